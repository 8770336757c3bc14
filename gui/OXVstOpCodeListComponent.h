// A page with one row per opcode of a group, filled column by column. Message thread only.
#pragma once

#include "gui/OXVstOpCodeComponent.h"
#include "logger/OXLogger.h"

#include <juce_gui_basics/juce_gui_basics.h>

class OXVstOpCodeListComponent : public juce::Component
{
public:
    static constexpr int kColumnPitch = 282;

    // The logger must outlive the page.
    OXVstOpCodeListComponent(OXLogger& logger, OXLogger::vstOpCodeGroup group);
    ~OXVstOpCodeListComponent() override;

    // Builds the rows on the first call, once the page has its final size; later calls do
    // nothing.
    virtual void init();
    virtual void updateGUI();

    bool isInitialised() const noexcept { return initialised; }
    int getNumRows() const noexcept { return rows.size(); }
    OXVstOpCodeComponent* getRow(int opCode) const noexcept { return rows[opCode]; }

private:
    bool initialised = false;
    OXLogger& logger;
    OXLogger::vstOpCodeGroup group;
    // Entry i is the row of opcode i; the rows are owned as children.
    juce::Array<OXVstOpCodeComponent*> rows;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OXVstOpCodeListComponent)
};
