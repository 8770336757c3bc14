#include "gui/OXVstOpCodeListComponent.h"

OXVstOpCodeListComponent::OXVstOpCodeListComponent(OXLogger::vstOpCodeGroup opCodeGroup)
    : group(opCodeGroup)
{
    setName("OXVstOpCodeListComponent " + juce::String(static_cast<int>(group)));
}

OXVstOpCodeListComponent::~OXVstOpCodeListComponent()
{
    deleteAllChildren();
}

void OXVstOpCodeListComponent::init()
{
    if (initialised)
        return;
    initialised = true;

    const int numOpCodes = oxLogger.getVstNumOpCodes(group);
    int x = 0;
    int y = 0;
    for (int opCode = 0; opCode < numOpCodes; ++opCode)
    {
        // A row that ends exactly at the bottom edge still fits its column.
        if (y + OXVstOpCodeComponent::kHeight > getHeight())
        {
            x += kColumnPitch;
            y = 0;
        }
        auto* row = new OXVstOpCodeComponent(group, opCode);
        row->setBounds(x, y, OXVstOpCodeComponent::kWidth, OXVstOpCodeComponent::kHeight);
        y += OXVstOpCodeComponent::kHeight;
        addAndMakeVisible(row);
        rows.add(row);
    }
}

void OXVstOpCodeListComponent::updateGUI()
{
    for (auto* row : rows)
        row->updateGUI();
}

void OXVstOpCodeListComponent::setOpCodesEnableState(bool enabled)
{
    for (auto* row : rows)
        row->setEnabledState(enabled);
}

void OXVstOpCodeListComponent::toggleOpCodesEnableState()
{
    for (auto* row : rows)
        row->toggleEnabledState();
}
