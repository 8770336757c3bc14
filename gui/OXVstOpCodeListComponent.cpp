#include "gui/OXVstOpCodeListComponent.h"

OXVstOpCodeListComponent::OXVstOpCodeListComponent(OXLogger& loggerToShow,
                                                   OXLogger::vstOpCodeGroup opCodeGroup)
    : logger(loggerToShow), group(opCodeGroup)
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

    const int numOpCodes = logger.getVstNumOpCodes(group);
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
        auto* row = new OXVstOpCodeComponent(logger, group, opCode);
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
