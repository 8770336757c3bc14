#include "logger/OXLogger.h"

#include "logger/LogSink.h"
#include "logger/ProcessLog.h"

#include <ctime>

namespace
{
void localHourAndMinute(int64_t second, int& hours, int& minutes) noexcept
{
    const uint64_t stamped = processLog.stampedSecond.load(std::memory_order_relaxed);
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
        processLog.stampedSecond.store(static_cast<uint64_t>(second) << 11 |
                                           static_cast<uint64_t>(hours) << 6 |
                                           static_cast<uint64_t>(minutes),
                                       std::memory_order_relaxed);
}
} // namespace

OXLogger::~OXLogger()
{
    if (juce::Logger::getCurrentLogger() == this)
        juce::Logger::setCurrentLogger(nullptr);
}

void OXLogger::init(const juce::String& name, bool becomeJuceLogger)
{
    logReturnParameters = true;
    logTime = false;
    loggingActive = true;
    logParameters = true;
    decodeStructures = false;
    logSummary = false;
    moduleName = name;
    setVstOpCodesEnabled(true);
    resetVstOpCodeCounters();
    if (becomeJuceLogger)
        juce::Logger::setCurrentLogger(this);
}

void OXLogger::beginLine(LineBuffer& line) const noexcept
{
    beginNamedLine(line, moduleName.toRawUTF8(), logTime.load(std::memory_order_relaxed));
}

void OXLogger::beginNamedLine(LineBuffer& line, const char* name, bool withTime) noexcept
{
    if (withTime)
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
    line.appendText(name);
    line.appendChar(':');
    line.markMessageStart();
}

void OXLogger::writeLine(LineBuffer& line) noexcept
{
    const size_t length = line.finishLine();
    sendLogLine(line.c_str(), length);
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
