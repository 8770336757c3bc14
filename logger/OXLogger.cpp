#include "logger/OXLogger.h"

#include "logger/LogSink.h"

#include <ctime>

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
    if (info == nullptr ||
        static_cast<unsigned long>(opCode) >= static_cast<unsigned long>(info->numOpCodes))
        return nullptr;
    return &info->logInfo[opCode];
}

// The local hour and minute of the last second a line was stamped in, packed with that second.
// juce::Time's getHours and getMinutes each call localtime_r, which takes glibc's time zone lock;
// this way it runs about once a second instead of twice a line.
std::atomic<uint64_t> stampedSecond{UINT64_MAX};

void localHourAndMinute(int64_t second, int& hours, int& minutes) noexcept
{
    const uint64_t stamped = stampedSecond.load(std::memory_order_relaxed);
    if (second >= 0 && stamped >> 11 == static_cast<uint64_t>(second))
    {
        hours = static_cast<int>((stamped >> 6) & 31);
        minutes = static_cast<int>(stamped & 63);
        return;
    }
    // What juce::Time gives: the fields of localtime_r, or zero when it fails.
    const auto t = static_cast<time_t>(second);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr)
        local = std::tm{};
    hours = local.tm_hour;
    minutes = local.tm_min;
    if (second >= 0)
        stampedSecond.store(static_cast<uint64_t>(second) << 11 |
                                static_cast<uint64_t>(hours) << 6 | static_cast<uint64_t>(minutes),
                            std::memory_order_relaxed);
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

void OXLogger::beginLine(LineBuffer& line) const noexcept
{
    if (logTime.load(std::memory_order_relaxed))
    {
        const juce::Time now = juce::Time::getCurrentTime();
        int hours = 0;
        int minutes = 0;
        localHourAndMinute(now.toMilliseconds() / 1000, hours, minutes);
        line.appendDigits(hours, 2);
        line.appendChar(':');
        line.appendDigits(minutes, 2);
        line.appendChar(':');
        line.appendDigits(now.getSeconds(), 2);
        line.appendChar('.');
        line.appendDigits(now.getMilliseconds(), 3);
        line.appendChar(' ');
    }
    // The full pthread handle: cutting it to 32 bits could make two threads look alike.
    line.appendChar('(');
    line.appendHex(reinterpret_cast<uintptr_t>(juce::Thread::getCurrentThreadId()));
    line.appendLiteral(") ");
    line.appendText(moduleName.toRawUTF8());
    line.appendChar(':');
    line.markMessageStart();
}

void OXLogger::writeLine(LineBuffer& line) noexcept
{
    const size_t length = line.finishLine();
    writeLogLine(line.c_str(), length);
}

void OXLogger::log(const char* message)
{
    LineBuffer line;
    beginLine(line);
    line.appendText(message != nullptr ? message : "");
    writeLine(line);
}

void OXLogger::logMessage(const juce::String& message)
{
    log(message.toRawUTF8());
}

juce::String OXLogger::getVstOpCodeName(vstOpCodeGroup group, long opCode) const
{
    const OpCodeGroupInfo* info = groupInfo(group);
    if (info == nullptr ||
        static_cast<unsigned long>(opCode) >= static_cast<unsigned long>(info->numOpCodes))
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
    // Dispatcher and audioMaster calls are counted per opcode only; their function's count is
    // the sum, wrapping like each counter does.
    if (group == vstAEffectFunctions && (opCode == fnDispatcher || opCode == fnAudioMaster))
    {
        const OpCodeGroupInfo& calls =
            OpCodeGroupsInfo[opCode == fnDispatcher ? vstDispatcherOpCodes : vstAudioMasterOpCodes];
        uint32_t sum = 0;
        for (int i = 0; i < calls.numOpCodes; ++i)
            sum += calls.logInfo[i].count.load(std::memory_order_relaxed);
        return static_cast<int32_t>(sum);
    }
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
