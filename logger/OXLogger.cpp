#include "logger/OXLogger.h"

#include "logger/LineBuffer.h"
#include "logger/LogSink.h"

OXLogger oxLogger;

namespace
{
const OpCodeGroupInfo* groupInfo(OXLogger::vstOpCodeGroup group) noexcept
{
    const auto index = static_cast<unsigned>(group);
    return index < static_cast<unsigned>(kNumOpCodeGroups) ? &OpCodeGroupsInfo[index] : nullptr;
}

// The system passes only valid pairs; anything else reads a record that does not exist.
DynamicDebugInfo* record(OXLogger::vstOpCodeGroup group, long opCode) noexcept
{
    const OpCodeGroupInfo* info = groupInfo(group);
    if (info == nullptr || static_cast<unsigned long>(opCode) >= static_cast<unsigned long>(info->numOpCodes))
        return nullptr;
    return &info->logInfo[opCode];
}
} // namespace

OXLogger::~OXLogger()
{
    if (juce::Logger::getCurrentLogger() == this)
        juce::Logger::setCurrentLogger(nullptr);
}

void OXLogger::init(const juce::String& name)
{
    logReturnParameters = true;
    logTime = false;
    loggingActive = true;
    logParameters = true;
    decodeStructures = false;
    logSummary = false;
    moduleName = name;
    for (const OpCodeGroupInfo& group : OpCodeGroupsInfo)
        initLogInfo(group.logInfo, group.numOpCodes);
    openLogSink();
    juce::Logger::setCurrentLogger(this);
}

void OXLogger::log(const char* message)
{
    LineBuffer line;
    if (logTime.load(std::memory_order_relaxed))
    {
        const juce::Time now = juce::Time::getCurrentTime();
        line.append("%02d:%02d:%02d.%03d ", now.getHours(), now.getMinutes(), now.getSeconds(),
                    now.getMilliseconds());
    }
    // The full pthread handle: cutting it to 32 bits could make two threads look alike.
    const auto thread = reinterpret_cast<uintptr_t>(juce::Thread::getCurrentThreadId());
    line.append("(%lX) ", static_cast<unsigned long>(thread));
    line.appendText(moduleName.toRawUTF8());
    line.append(":");
    line.appendText(message != nullptr ? message : "");
    const size_t length = line.finishLine();
    writeLogLine(line.c_str(), length);
}

void OXLogger::logMessage(const juce::String& message)
{
    log(message.toRawUTF8());
}

juce::String OXLogger::getVstOpCodeName(vstOpCodeGroup group, long opCode) const
{
    const OpCodeGroupInfo* info = groupInfo(group);
    if (info == nullptr || static_cast<unsigned long>(opCode) >= static_cast<unsigned long>(info->numOpCodes))
        return "unknown";
    switch (group)
    {
    case vstAEffectFunctions:
        return vstFunctionNames[opCode];
    case vstDispatcherOpCodes:
        return effOpCodes[opCode].name;
    case vstAudioMasterOpCodes:
        return audioMasterOpCodes[opCode].name;
    }
    return "unknown";
}

int OXLogger::getVstNumOpCodes(vstOpCodeGroup group) const noexcept
{
    const OpCodeGroupInfo* info = groupInfo(group);
    return info != nullptr ? info->numOpCodes : 0;
}

void OXLogger::setVstOpCodeEnabled(bool enabled, vstOpCodeGroup group, long opCode) noexcept
{
    if (DynamicDebugInfo* info = record(group, opCode))
        info->setEnabled(enabled);
}

void OXLogger::setVstOpCodesEnabled(bool enabled) noexcept
{
    for (const OpCodeGroupInfo& group : OpCodeGroupsInfo)
        for (int i = 0; i < group.numOpCodes; ++i)
            group.logInfo[i].setEnabled(enabled);
}

void OXLogger::toggleVstOpCodesEnabled() noexcept
{
    for (const OpCodeGroupInfo& group : OpCodeGroupsInfo)
        for (int i = 0; i < group.numOpCodes; ++i)
            group.logInfo[i].setEnabled(!group.logInfo[i].isEnabled());
}

long OXLogger::getVstOpCodeCount(vstOpCodeGroup group, long opCode) const noexcept
{
    const DynamicDebugInfo* info = record(group, opCode);
    return info != nullptr ? info->getCount() : 0;
}

bool OXLogger::isVstOpCodeEnabled(vstOpCodeGroup group, long opCode) const noexcept
{
    const DynamicDebugInfo* info = record(group, opCode);
    return info != nullptr && info->isEnabled();
}

void OXLogger::resetVstOpCodeCounters() noexcept
{
    for (const OpCodeGroupInfo& group : OpCodeGroupsInfo)
        initLogCounters(group.logInfo, group.numOpCodes);
}
