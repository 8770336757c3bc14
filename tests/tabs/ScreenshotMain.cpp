// Shows the tabbed widget in real windows, one per orientation, clicks and scrolls it with
// xdotool and saves each window as a PNG with ImageMagick's import. Needs an X display with a
// window manager. Usage: oplexa_tabs_screenshots <output folder>
#include "tests/tabs/ScreenshotDemoWidget.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>
#include <memory>

namespace
{
// The window behind the widget: the widget leaves the areas outside its frame transparent.
class Backdrop : public juce::Component
{
public:
    explicit Backdrop(std::unique_ptr<ScreenshotDemoWidget> tabbed) : widget(std::move(tabbed))
    {
        setOpaque(true);
        addAndMakeVisible(*widget);
    }

    void paint(juce::Graphics& g) override { g.fillAll(juce::Colour(0xff101418)); }
    void resized() override { widget->setBounds(getLocalBounds().reduced(12)); }

    std::unique_ptr<ScreenshotDemoWidget> widget;
};

struct Scene
{
    juce::String name;
    OldTabbedComponent::TabOrientation orientation;
    int depth;
    int width;
    int height;
    juce::StringArray tabs;
};

void runLoop(int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil(milliseconds);
}

bool run(const juce::StringArray& command)
{
    juce::ChildProcess process;

    if (!process.start(command))
        return false;

    process.waitForProcessToFinish(10000);
    return process.getExitCode() == 0;
}

juce::String windowIdOf(juce::Component& window)
{
    auto* peer = window.getPeer();
    return peer == nullptr
               ? juce::String()
               : juce::String(static_cast<juce::uint64>(
                     reinterpret_cast<juce::pointer_sized_uint>(peer->getNativeHandle())));
}

// Moves the real pointer to a point of the widget and optionally clicks or scrolls there.
bool pointerAt(Backdrop& window, juce::Point<int> inWidget, const juce::String& action)
{
    const auto p = inWidget + window.widget->getPosition();
    juce::StringArray command{"xdotool",          "mousemove",       "--window",
                              windowIdOf(window), juce::String(p.x), juce::String(p.y)};
    command.addTokens(action, false);
    return run(command);
}

bool capture(Backdrop& window, const juce::File& file)
{
    runLoop(400);
    return run({"import", "-window", windowIdOf(window), file.getFullPathName()});
}

juce::Point<int> centreOfTab(ScreenshotDemoWidget& widget, int index)
{
    auto* tab = widget.getTabComponent(index);
    return widget.getLocalArea(tab, tab->getLocalBounds()).getCentre();
}

int failures = 0;

void check(bool condition, const juce::String& what)
{
    if (!condition)
    {
        std::cerr << "FAILED: " << what << std::endl;
        ++failures;
    }
}

void showScene(const Scene& scene, const juce::File& folder)
{
    auto widget = std::make_unique<ScreenshotDemoWidget>(scene.tabs);
    widget->setTabOrientation(scene.orientation, scene.depth, 2, 2);
    auto& demo = *widget;
    Backdrop window(std::move(widget));
    window.setName("Oplexa tabs " + scene.name);
    window.setSize(scene.width, scene.height);
    window.addToDesktop(juce::ComponentPeer::windowHasTitleBar |
                        juce::ComponentPeer::windowAppearsOnTaskbar);
    window.setTopLeftPosition(40, 40);
    window.setVisible(true);
    demo.setCurrentlySelectedTab(0);
    runLoop(500);

    // A real click reaches the tab through the transparent frame pieces.
    check(pointerAt(window, centreOfTab(demo, 1), "click 1"), scene.name + ": xdotool click");
    runLoop(300);
    check(demo.getCurrentTabIndex() == 1, scene.name + ": clicking tab 1 selects it");
    check(demo.getContentComponent() != nullptr, scene.name + ": page shown");

    // Leave the pointer over a deselected tab so its name shows the hover colour.
    check(pointerAt(window, centreOfTab(demo, 2), {}), scene.name + ": xdotool move");
    check(capture(window, folder.getChildFile(scene.name + ".png")), scene.name + ": capture");

    if (demo.getScrollBar()->isVisible())
    {
        const auto firstTab = demo.getTabComponent(0)->getBounds();
        check(pointerAt(window, centreOfTab(demo, 1), "click 5"), scene.name + ": wheel");
        runLoop(400);
        check(demo.getTabComponent(0)->getBounds() != firstTab,
              scene.name + ": the wheel over a tab scrolls the strip");
        check(capture(window, folder.getChildFile(scene.name + "-scrolled.png")),
              scene.name + ": capture scrolled");
    }

    window.removeFromDesktop();
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::cerr << "usage: " << argv[0] << " <output folder>" << std::endl;
        return 2;
    }

    const juce::File folder(juce::File::getCurrentWorkingDirectory().getChildFile(argv[1]));
    folder.createDirectory();
    juce::ScopedJuceInitialiser_GUI juceGui;

    const juce::StringArray monitorTabs{"Dispatcher", "AudioMaster", "AEffect", "About"};
    const juce::StringArray manyTabs{"One",  "Two", "Three", "Four",
                                     "Five", "Six", "Seven", "A very long tab name"};
    const Scene scenes[] = {
        {"tabsOnLeft", OldTabbedComponent::tabsOnLeft, 200, 640, 420, monitorTabs},
        {"tabsOnTop", OldTabbedComponent::tabsOnTop, 25, 640, 420, monitorTabs},
        {"tabsOnBottom", OldTabbedComponent::tabsOnBottom, 25, 640, 420, monitorTabs},
        {"tabsOnRight", OldTabbedComponent::tabsOnRight, 120, 640, 420, monitorTabs},
        {"tabsOnTop-many", OldTabbedComponent::tabsOnTop, 25, 320, 240, manyTabs},
        {"tabsOnLeft-many", OldTabbedComponent::tabsOnLeft, 90, 360, 260, manyTabs},
    };

    for (const auto& scene : scenes)
        showScene(scene, folder);

    std::cout << (failures == 0 ? "all screenshots taken" : "screenshot checks failed")
              << std::endl;
    return failures == 0 ? 0 : 1;
}
