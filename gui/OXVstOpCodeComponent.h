// One row of an opcode list: the logging lamp, the opcode's name and its call count.
// Runs on the message thread; reads the logger's counters and switches while painting.
#pragma once

#include "logger/OXLogger.h"

#include <juce_gui_basics/juce_gui_basics.h>

class OXVstOpCodeComponent : public juce::Component
{
public:
    static constexpr int kWidth = 280;
    static constexpr int kHeight = 16;
    // The count is right-aligned here; the name box runs under it.
    static juce::Rectangle<int> countBox() { return {222, 0, 56, 16}; }
    static juce::Rectangle<int> countRepaintArea() { return {222, 0, 58, 16}; }

    // The logger must outlive the row.
    OXVstOpCodeComponent(OXLogger& logger, OXLogger::vstOpCodeGroup group, long opCode);
    ~OXVstOpCodeComponent() override;

    void paint(juce::Graphics& g) override;
    void mouseDown(const juce::MouseEvent& e) override;

    // Repaints only what a changed count needs: the whole row for a first count, else the count.
    void updateGUI();
    void toggleEnabledState();
    void setEnabledState(bool enabled);

    int getOpCode() const noexcept { return opCode; }
    int getShownCount() const noexcept { return shownCount; }

private:
    // Counters wrap modulo 2^32; a row shows them as the signed 32-bit value they then read as.
    int32_t count() const;

    OXLogger& logger;
    OXLogger::vstOpCodeGroup group;
    int32_t opCode;
    int32_t shownCount = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OXVstOpCodeComponent)
};
