// A stand-in for a native window: it puts a component "on the desktop" without a display,
// records every repaint JUCE asks of it, and feeds mouse events through JUCE's own path.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

class RecordingPeer : public juce::ComponentPeer
{
public:
    RecordingPeer(juce::Component& owner, int windowStyle);

    std::vector<juce::Rectangle<int>> repaints;

    // Mouse events as the platform layer delivers them, in the peer's coordinates.
    void click(juce::Point<int> position,
               juce::ModifierKeys::Flags button = juce::ModifierKeys::leftButtonModifier);

    void* getNativeHandle() const override { return nullptr; }
    void setVisible(bool) override {}
    void setTitle(const juce::String&) override {}
    void setBounds(const juce::Rectangle<int>& newBounds, bool) override { bounds = newBounds; }
    juce::Rectangle<int> getBounds() const override { return bounds; }
    juce::Point<float> localToGlobal(juce::Point<float> p) override
    {
        return p + bounds.getPosition().toFloat();
    }
    juce::Point<float> globalToLocal(juce::Point<float> p) override
    {
        return p - bounds.getPosition().toFloat();
    }
    using juce::ComponentPeer::globalToLocal;
    using juce::ComponentPeer::localToGlobal;
    void setMinimised(bool shouldBeMinimised) override { minimised = shouldBeMinimised; }
    bool isMinimised() const override { return minimised; }
    void setFullScreen(bool) override {}
    bool isFullScreen() const override { return false; }
    void setIcon(const juce::Image&) override {}
    bool contains(juce::Point<int> localPos, bool) const override
    {
        return bounds.withZeroOrigin().contains(localPos);
    }
    OptionalBorderSize getFrameSizeIfPresent() const override { return {}; }
    juce::BorderSize<int> getFrameSize() const override { return {}; }
    bool setAlwaysOnTop(bool) override { return false; }
    void toFront(bool) override {}
    void toBehind(juce::ComponentPeer*) override {}
    bool isFocused() const override { return true; }
    void grabFocus() override {}
    void repaint(const juce::Rectangle<int>& area) override { repaints.push_back(area); }
    void performAnyPendingRepaintsNow() override {}
    void setAlpha(float) override {}
    juce::StringArray getAvailableRenderingEngines() override { return {"Software"}; }
    void textInputRequired(juce::Point<int>, juce::TextInputTarget&) override {}

private:
    void send(juce::Point<int> position, juce::ModifierKeys buttons);

    juce::Rectangle<int> bounds;
    bool minimised = false;
    juce::int64 eventTime = 1000;
};

// Holds a component in a desktop window of its own, backed by a RecordingPeer.
class PeerHost : public juce::Component
{
public:
    explicit PeerHost(juce::Component& content);
    ~PeerHost() override;

    RecordingPeer& peer();
    juce::ComponentPeer* createNewPeer(int styleFlags, void*) override;

private:
    juce::Component& content;
};
