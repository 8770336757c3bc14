#include "logger/OXLogger.h"

#include "logger/LineBuffer.h"
#include "logger/LogSink.h"

OXLogger oxLogger;

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
