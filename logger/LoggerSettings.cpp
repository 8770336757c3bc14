// The switches and detail flags as the settings file keeps them. Reading tolerates anything:
// each malformed piece is skipped on its own and the rest still counts.
#include "logger/OXLogger.h"

namespace
{
const char* const kDetailFlagNames[] = {"logParameters", "logReturnParameters", "logTime",
                                        "decodeStructures", "logSummary"};

// Attribute names match without regard to case, like tag names.
int intAttribute(const juce::XmlElement& element, const char* name)
{
    for (int i = 0; i < element.getNumAttributes(); ++i)
        if (element.getAttributeName(i).equalsIgnoreCase(name))
            return element.getAttributeValue(i).getIntValue();
    return -1;
}

juce::String textAttribute(const juce::XmlElement& element, const char* name)
{
    for (int i = 0; i < element.getNumAttributes(); ++i)
        if (element.getAttributeName(i).equalsIgnoreCase(name))
            return element.getAttributeValue(i);
    return {};
}

void loadGroup(const juce::XmlElement& groupElement, const OpCodeGroupInfo& group)
{
    for (const auto* opCode : groupElement.getChildIterator())
    {
        if (!opCode->hasTagName("opCode"))
            continue;
        const int index = intAttribute(*opCode, "index");
        if (!group.contains(index))
            continue;
        const int enabled = intAttribute(*opCode, "enabled");
        if (enabled >= 0)
            group.logInfo[index].setEnabled(enabled != 0);
    }
}
} // namespace

void OXLogger::saveState(juce::XmlElement& element) const
{
    element.deleteAllChildElements();
    for (const OpCodeGroupInfo& group : OpCodeGroupsInfo)
    {
        auto* groupElement = element.createNewChildElement(group.groupName);
        for (int i = 0; i < group.numOpCodes; ++i)
        {
            auto* opCode = groupElement->createNewChildElement("opCode");
            opCode->setAttribute("index", i);
            opCode->setAttribute("name", group.name(i));
            opCode->setAttribute("enabled", group.logInfo[i].isEnabled() ? "1" : "0");
        }
    }
    auto* parameters = element.createNewChildElement("Parameters");
    const std::atomic<bool>* flags[] = {&logParameters, &logReturnParameters, &logTime,
                                        &decodeStructures, &logSummary};
    for (size_t i = 0; i < std::size(flags); ++i)
        parameters->setAttribute(kDetailFlagNames[i], *flags[i] ? "1" : "0");
    if (recordFolder.isNotEmpty())
        parameters->setAttribute("recordFolder", recordFolder);
    if (recordOutputs.isNotEmpty())
        parameters->setAttribute("recordOutputs", recordOutputs);
}

void OXLogger::loadState(const juce::XmlElement& element)
{
    for (const OpCodeGroupInfo& group : OpCodeGroupsInfo)
        if (const auto* groupElement = element.getChildByName(group.groupName))
            loadGroup(*groupElement, group);

    if (const auto* parameters = element.getChildByName("Parameters"))
    {
        std::atomic<bool>* flags[] = {&logParameters, &logReturnParameters, &logTime,
                                      &decodeStructures, &logSummary};
        for (size_t i = 0; i < std::size(flags); ++i)
        {
            const int value = intAttribute(*parameters, kDetailFlagNames[i]);
            if (value >= 0)
                flags[i]->store(value != 0);
        }
        recordFolder = textAttribute(*parameters, "recordFolder");
        recordOutputs = textAttribute(*parameters, "recordOutputs");
    }
}
