#include "tests/gui/RecordingPeer.h"

RecordingPeer::RecordingPeer(juce::Component& owner, int windowStyle)
    : juce::ComponentPeer(owner, windowStyle)
{
}

void RecordingPeer::send(juce::Point<int> position, juce::ModifierKeys buttons)
{
    eventTime += 50;
    handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, position.toFloat(), buttons,
                     juce::MouseInputSource::defaultPressure,
                     juce::MouseInputSource::defaultOrientation, eventTime);
}

void RecordingPeer::click(juce::Point<int> position, juce::ModifierKeys::Flags button)
{
    send(position, juce::ModifierKeys()); // moves there first, as a real pointer does
    send(position, juce::ModifierKeys(button));
    send(position, juce::ModifierKeys());
}

PeerHost::PeerHost(juce::Component& contentToHold) : content(contentToHold)
{
    setBounds(content.getLocalBounds() + juce::Point<int>(100, 100));
    addAndMakeVisible(content);
    content.setTopLeftPosition(0, 0);
    addToDesktop(0);
    setVisible(true);
}

PeerHost::~PeerHost()
{
    removeChildComponent(&content);
    removeFromDesktop();
}

RecordingPeer& PeerHost::peer()
{
    return *static_cast<RecordingPeer*>(getPeer());
}

juce::ComponentPeer* PeerHost::createNewPeer(int styleFlags, void*)
{
    return new RecordingPeer(*this, styleFlags);
}
