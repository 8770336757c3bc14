// The switches and detail flags as the settings file keeps them. Reading tolerates anything:
// each malformed piece is skipped on its own and the rest still counts.
#include "logger/OXLogger.h"

namespace
{
// Name and flag in one row, so that the two can never drift apart.
struct DetailFlag
{
    const char* name;
    std::atomic<bool> OXLogger::*flag;
};
constexpr DetailFlag kDetailFlags[] = {{"logParameters", &OXLogger::logParameters},
                                       {"logReturnParameters", &OXLogger::logReturnParameters},
                                       {"logTime", &OXLogger::logTime},
                                       {"decodeStructures", &OXLogger::decodeStructures},
                                       {"logSummary", &OXLogger::logSummary}};
// Kept as the file had them. hostedPlugin, oplexaModule and tag are written by `oplexa wrap` only.
const char* const kOutputAttributeNames[] = {
    "logFile", "logWrites", "logQueueKB", "singleInstance", "hostedPlugin", "oplexaModule", "tag"};

const juce::String* findAttribute(const juce::XmlElement& element, const char* name)
{
    for (int i = 0; i < element.getNumAttributes(); ++i)
        if (element.getAttributeName(i).equalsIgnoreCase(name))
            return &element.getAttributeValue(i);
    return nullptr;
}

// Attribute names match without regard to case, like tag names.
int intAttribute(const juce::XmlElement& element, const char* name)
{
    const juce::String* value = findAttribute(element, name);
    return value != nullptr ? value->getIntValue() : -1;
}

juce::String textAttribute(const juce::XmlElement& element, const char* name)
{
    for (int i = 0; i < element.getNumAttributes(); ++i)
        if (element.getAttributeName(i).equalsIgnoreCase(name))
            return element.getAttributeValue(i);
    return {};
}

void loadGroup(const juce::XmlElement& groupElement, const OpCodeGroupInfo& group,
               DynamicDebugInfo* records)
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
            records[index].setEnabled(enabled != 0);
    }
}
} // namespace

void OXLogger::saveState(juce::XmlElement& element) const
{
    element.deleteAllChildElements();
    for (int g = 0; g < kNumOpCodeGroups; ++g)
    {
        const OpCodeGroupInfo& group = OpCodeGroupsInfo[g];
        const DynamicDebugInfo* records = logInfo(static_cast<vstOpCodeGroup>(g));
        auto* groupElement = element.createNewChildElement(group.groupName);
        for (int i = 0; i < group.numOpCodes; ++i)
        {
            auto* opCode = groupElement->createNewChildElement("opCode");
            opCode->setAttribute("index", i);
            opCode->setAttribute("name", group.name(i));
            opCode->setAttribute("enabled", records[i].isEnabled() ? "1" : "0");
        }
    }
    auto* parameters = element.createNewChildElement("Parameters");
    for (const DetailFlag& detail : kDetailFlags)
        parameters->setAttribute(detail.name, (this->*detail.flag) ? "1" : "0");
    // Only what the file had, as it had it.
    for (const char* name : kOutputAttributeNames)
        if (const juce::var* value = outputAttributes.getVarPointer(name))
            parameters->setAttribute(name, value->toString());
    if (recordFolder.isNotEmpty())
        parameters->setAttribute("recordFolder", recordFolder);
    if (recordOutputs.isNotEmpty())
        parameters->setAttribute("recordOutputs", recordOutputs);
    if (recordWhenFull.isNotEmpty())
        parameters->setAttribute("recordWhenFull", recordWhenFull);
    if (checkRules.isNotEmpty())
        parameters->setAttribute("checkRules", checkRules);
}

void OXLogger::loadState(const juce::XmlElement& element)
{
    for (int g = 0; g < kNumOpCodeGroups; ++g)
        if (const auto* groupElement = element.getChildByName(OpCodeGroupsInfo[g].groupName))
            loadGroup(*groupElement, OpCodeGroupsInfo[g], logInfo(static_cast<vstOpCodeGroup>(g)));

    outputAttributes.clear();
    if (const auto* parameters = element.getChildByName("Parameters"))
    {
        for (const char* name : kOutputAttributeNames)
            if (const juce::String* value = findAttribute(*parameters, name))
                outputAttributes.set(name, *value);
        for (const DetailFlag& detail : kDetailFlags)
        {
            const int value = intAttribute(*parameters, detail.name);
            if (value >= 0)
                (this->*detail.flag).store(value != 0);
        }
        recordFolder = textAttribute(*parameters, "recordFolder");
        recordOutputs = textAttribute(*parameters, "recordOutputs");
        recordWhenFull = textAttribute(*parameters, "recordWhenFull");
        checkRules = textAttribute(*parameters, "checkRules");
    }
}
