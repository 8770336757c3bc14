// The window's content: four tabbed pages (five while the session checks rules) and, below the
// tabs, the control panel that acts on the logger. Message thread only.
#pragma once

#include "tabs/OldTabbedComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

struct AEffect;
class OXLogger;
namespace rules
{
class RuleChecker;
}

class OXContentComponent : public OldTabbedComponent, public juce::Button::Listener
{
public:
    static constexpr int kMaxPages = 5;

    // The AEffect page shows this record; the controls and pages act on this logger; the
    // Problems page, there only with a checker, shows its tallies. All must outlive the content.
    OXContentComponent(const AEffect& shownEffect, OXLogger& logger,
                       const rules::RuleChecker* checker = nullptr);
    ~OXContentComponent() override;

    // Adds the tabs, shows the first page and places the controls below the last tab.
    void init();
    // Every 50 ms: refreshes the selected page (not the about page) and the elapsed time.
    void updateGUI();

    void tabWasClicked(int tabIndex, bool clickedTabWasAlreadySelected,
                       const juce::ModifierKeys& modifiers) override;
    void buttonClicked(juce::Button* button) override;

    int getNumPages() const noexcept { return numPages; }
    juce::Component* getPage(int index) const noexcept;
    juce::Time getStartTime() const noexcept { return startTime; }
    void setStartTime(juce::Time newStartTime) noexcept { startTime = newStartTime; }

protected:
    // The help, site and donation pages; the result of starting the browser is ignored.
    virtual void openWebPage(const juce::URL& page);

private:
    juce::TextButton* makePushButton(const juce::String& name, const juce::String& tooltip, int y);
    juce::ToggleButton* makeCheckBox(const juce::String& text, const juce::String& tooltip,
                                     bool initialState, int y);
    juce::ImageButton* makeImageButton(const juce::String& name, const juce::Image& image,
                                       float normalOpacity, float overOpacity, float downOpacity,
                                       juce::Rectangle<int> bounds, const juce::String& tooltip);
    void updatePage(juce::Component* page);
    void repaintSelectedPage();
    void switchLogging();
    void resetTime();

    OXLogger& logger;
    // Owned here, not as children: at most one of them is a child at any time.
    juce::Component* pages[kMaxPages] = {};
    const char* pageNames[kMaxPages] = {};
    int numPages = 0;
    juce::TextButton* enableAllButton = nullptr;
    juce::TextButton* disableAllButton = nullptr;
    juce::TextButton* inverseAllButton = nullptr;
    juce::TextButton* stopLoggingButton = nullptr;
    juce::TextButton* resetCountersButton = nullptr;
    juce::TextButton* timeButton = nullptr;
    juce::TextButton* helpButton = nullptr;
    juce::Time startTime;
    juce::ToggleButton* logParametersButton = nullptr;
    juce::ToggleButton* logReturnParametersButton = nullptr;
    juce::ToggleButton* logTimeButton = nullptr;
    juce::ImageButton* logoButton = nullptr;
    juce::ImageButton* donateButton = nullptr;
    juce::TooltipWindow tooltipWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OXContentComponent)
};
