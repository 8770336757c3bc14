#include "gui/OXContentComponent.h"

#include "gui/ElapsedTimeText.h"
#include "gui/OXAboutContent.h"
#include "gui/OXColours.h"
#include "gui/OXProblemsComponent.h"
#include "gui/OXVstAEffectComponent.h"
#include "gui/OXVstOpCodeListComponent.h"
#include "gui/OXWebPages.h"
#include "logger/OXLogger.h"
#include "resources/DonateButtonData.h"
#include "resources/LogoData.h"
#include "tabs/OldTabbedComponentBasicTab.h"

namespace
{
constexpr int kControlX = 10;
constexpr int kPushButtonWidth = 180;
constexpr int kControlHeight = 25;
constexpr int kTooltipDelayMs = 700;
// The tabs end at y 116, which leaves room below them for the whole control panel: the donate
// badge then ends at 625 of the content's 632 pixels. Four tabs are 32 pixels long, five 26.
constexpr int kTabsEnd = 116;

juce::URL sitePage(const char* path)
{
    return juce::URL(juce::String(kOplexaSite) + path);
}
} // namespace

OXContentComponent::OXContentComponent(const AEffect& shownEffect, OXLogger& loggerToUse,
                                       const rules::RuleChecker* checker)
    : OldTabbedComponent("OXContentComponent"), logger(loggerToUse),
      startTime(juce::Time::getCurrentTime()), tooltipWindow(nullptr, kTooltipDelayMs)
{
    setColours(oxTabFillColour, oxTabTextColour, oxTabSelectedOutlineColour,
               oxTabNormalOutlineColour, oxTabDeselectedTabColour);

    const auto add = [this](const char* name, juce::Component* page)
    {
        pageNames[numPages] = name;
        pages[numPages++] = page;
    };
    add("AEffect", new OXVstAEffectComponent(shownEffect, logger));
    add("Dispatcher OpCodes", new OXVstOpCodeListComponent(logger, OXLogger::vstDispatcherOpCodes));
    add("AudioMaster OpCodes",
        new OXVstOpCodeListComponent(logger, OXLogger::vstAudioMasterOpCodes));
    if (checker != nullptr)
        add("Problems", new OXProblemsComponent(*checker));
    add("About", new OXAboutContent());
}

OXContentComponent::~OXContentComponent()
{
    // The page on show is deleted here too; the tabbed base then finds no page to delete.
    for (auto*& page : pages)
    {
        delete page;
        page = nullptr;
    }
    // Only the controls: the tab strip's parts belong to the tabbed base, which still uses
    // them in its own destructor.
    juce::Component* controls[] = {
        enableAllButton,           disableAllButton, inverseAllButton, resetCountersButton,
        stopLoggingButton,         timeButton,       helpButton,       logParametersButton,
        logReturnParametersButton, logTimeButton,    logoButton,       donateButton};
    for (auto* control : controls)
        delete control;
}

void OXContentComponent::init()
{
    for (int i = 0; i < numPages; ++i)
        addTab(i, new OldTabbedComponentBasicTab(pageNames[i]));

    setTabOrientation(tabsOnLeft, 200, 2, 2);
    // Each tab overlaps the one before it.
    const int tabLength = (kTabsEnd + getOverlap() * (numPages - 1)) / numPages;
    for (int i = 0; i < getNumTabs(); ++i)
        getTabComponent(i)->setSize(getTabComponent(i)->getWidth(), tabLength);
    tabsChanged();
    setCurrentlySelectedTab(0);

    const int y0 = kTabsEnd;

    enableAllButton =
        makePushButton("Enable All", "Enable logging of all functions and OpCodes", y0 + 10);
    disableAllButton =
        makePushButton("Disable All", "Disable logging of all functions and OpCodes", y0 + 43);
    inverseAllButton = makePushButton(
        "Inverse All", "Inverse logging enable/disable state of all functions and OpCodes",
        y0 + 76);
    resetCountersButton = makePushButton(
        "Reset Counters", "Reset the counters of all functions and OpCodes", y0 + 109);
    stopLoggingButton = makePushButton("Stop Logging", "Stop logging", y0 + 142);
    timeButton =
        makePushButton({}, "Click to reset time display and log a time reset event", y0 + 175);
    timeButton->setName("TimeButton");
    helpButton = makePushButton("Help...", "View Oplexa user guide on the Web", y0 + 208);

    logParametersButton = makeCheckBox(
        "Log Parameters", "Enable/Disable logging of function parameters and return parameters",
        logger.logParameters, y0 + 241);
    logReturnParametersButton = makeCheckBox("Log Return Parameters",
                                             "Enable/Disable logging of function return parameters",
                                             logger.logReturnParameters, y0 + 274);
    logTimeButton = makeCheckBox("Log Time", "Enable/Disable logging of the function call time",
                                 logger.logTime, y0 + 307);

    logoButton = makeImageButton(
        "LogoButton", juce::ImageCache::getFromMemory(LogoData::logo_png, LogoData::logo_pngSize),
        1.0f, 0.75f, 0.5f, {kControlX, y0 + 340, 181, 136}, "Sometimes, do the wrong thing");
    donateButton =
        makeImageButton("DonateButton",
                        juce::ImageCache::getFromMemory(DonateButtonData::donate_png,
                                                        DonateButtonData::donate_pngSize),
                        0.5f, 0.75f, 1.0f, {64, y0 + 480, 72, 29}, "Do the right thing!");
}

juce::TextButton* OXContentComponent::makePushButton(const juce::String& name,
                                                     const juce::String& tooltip, int y)
{
    auto* button = new juce::TextButton(name, tooltip);
    button->setColour(juce::TextButton::textColourOffId, oxButtonTextColor);
    button->setColour(juce::TextButton::textColourOnId, oxButtonTextColor);
    button->setColour(juce::TextButton::buttonColourId, oxButtonBackColor);
    button->setColour(juce::TextButton::buttonOnColourId, oxButtonOutColor);
    button->setBounds(kControlX, y, kPushButtonWidth, kControlHeight);
    addAndMakeVisible(button);
    button->addListener(this);
    return button;
}

juce::ToggleButton* OXContentComponent::makeCheckBox(const juce::String& text,
                                                     const juce::String& tooltip, bool initialState,
                                                     int y)
{
    auto* box = new juce::ToggleButton(text);
    box->setBounds(kControlX, y, 0, kControlHeight);
    box->setTooltip(tooltip);
    box->setToggleState(initialState, juce::dontSendNotification);
    box->changeWidthToFitText();
    addAndMakeVisible(box);
    box->addListener(this);
    return box;
}

juce::ImageButton*
OXContentComponent::makeImageButton(const juce::String& name, const juce::Image& image,
                                    float normalOpacity, float overOpacity, float downOpacity,
                                    juce::Rectangle<int> bounds, const juce::String& tooltip)
{
    auto* button = new juce::ImageButton(name);
    addAndMakeVisible(button);
    const juce::Colour noOverlay = juce::Colours::transparentBlack;
    button->setImages(true, true, true, image, normalOpacity, noOverlay, image, overOpacity,
                      noOverlay, image, downOpacity, noOverlay, 0.5f);
    button->setBounds(bounds);
    button->setTooltip(tooltip);
    button->addListener(this);
    return button;
}

juce::Component* OXContentComponent::getPage(int index) const noexcept
{
    return juce::isPositiveAndBelow(index, numPages) ? pages[index] : nullptr;
}

void OXContentComponent::updatePage(juce::Component* page)
{
    if (auto* list = dynamic_cast<OXVstOpCodeListComponent*>(page))
        list->updateGUI();
    else if (auto* problems = dynamic_cast<OXProblemsComponent*>(page))
        problems->updateGUI();
}

void OXContentComponent::tabWasClicked(int tabIndex, bool clickedTabWasAlreadySelected,
                                       const juce::ModifierKeys&)
{
    if (clickedTabWasAlreadySelected)
        return;
    auto* page = getPage(tabIndex);
    if (page == nullptr)
        return;
    setContentComponent(page);
    // Rows are built on the first init only, when the page already has its final size.
    if (auto* list = dynamic_cast<OXVstOpCodeListComponent*>(page))
        list->init();
    // Shown as it is now, not as it was when last on show.
    if (auto* problems = dynamic_cast<OXProblemsComponent*>(page))
        problems->updateGUI();
}

void OXContentComponent::updateGUI()
{
    updatePage(getPage(getCurrentTabIndex()));
    if (timeButton != nullptr)
        timeButton->setButtonText(elapsedTimeText(juce::Time::getCurrentTime() - startTime));
}

void OXContentComponent::repaintSelectedPage()
{
    if (auto* page = getPage(getCurrentTabIndex()))
        page->repaint();
}

void OXContentComponent::switchLogging()
{
    const bool nowActive = !logger.loggingActive;
    logger.loggingActive = nowActive;
    const juce::String label = nowActive ? "Stop Logging" : "Start Logging";
    stopLoggingButton->setTooltip(nowActive ? "Stop logging" : "Start logging");
    stopLoggingButton->setButtonText(label);
    stopLoggingButton->setName(label);
}

void OXContentComponent::resetTime()
{
    const juce::Time now = juce::Time::getCurrentTime();
    const juce::String message = "Oplexa timer reset after " + elapsedTimeText(now - startTime);
    logger.log(message.toRawUTF8());
    startTime = now;
}

void OXContentComponent::openWebPage(const juce::URL& page)
{
    page.launchInDefaultBrowser();
}

void OXContentComponent::buttonClicked(juce::Button* button)
{
    if (button == nullptr)
        return;
    if (button == enableAllButton)
    {
        logger.setVstOpCodesEnabled(true);
        repaintSelectedPage();
    }
    else if (button == disableAllButton)
    {
        logger.setVstOpCodesEnabled(false);
        repaintSelectedPage();
    }
    else if (button == inverseAllButton)
    {
        logger.toggleVstOpCodesEnabled();
        repaintSelectedPage();
    }
    else if (button == resetCountersButton)
    {
        logger.resetVstOpCodeCounters();
        repaintSelectedPage();
    }
    else if (button == stopLoggingButton)
        switchLogging();
    else if (button == timeButton)
        resetTime();
    else if (button == helpButton)
        openWebPage(sitePage(kOplexaGuidePath));
    else if (button == logParametersButton)
        logger.logParameters = button->getToggleState();
    else if (button == logReturnParametersButton)
        logger.logReturnParameters = button->getToggleState();
    else if (button == logTimeButton)
        logger.logTime = button->getToggleState();
    else if (button == logoButton)
        openWebPage(juce::URL(kOplexaSite));
    else if (button == donateButton)
        openWebPage(sitePage(kOplexaDonatePath));
}
