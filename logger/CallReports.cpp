// The reports the forwarders make around every call. These run on the host's audio and
// UI threads and on the hosted plug-in's threads, often several at once: count with one
// relaxed increment, test the switches, and only then build a line on the stack.
#include "logger/CallFormat.h"
#include "logger/LogSink.h"
#include "logger/OXLogger.h"
#include "logger/ProcessLog.h"
#include "logger/StructureDecoder.h"
#include "logger/ThreadSlots.h"

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;

class LoggerLines final : public detail::DetailLines
{
public:
    explicit LoggerLines(OXLogger& target) noexcept : logger(target) {}
    void write(const char* message) noexcept override { logger.log(message); }

private:
    OXLogger& logger;
};

void reportCallDetails(OXLogger& logger, VstFunctionIndex function, long opCode, long value,
                       void* ptr) noexcept
{
    if (!logger.decodeStructures.load(relaxed))
        return;
    ProcessLog::PendingArrangement* pending = nullptr;
    if (function == fnDispatcher && opCode == effGetSpeakerArrangement &&
        (pending = processLog.pendingArrangements.mine()) != nullptr)
    {
        pending->ptr = ptr;
        pending->value = value;
    }
    if (!decodesCall(function, opCode))
        return;
    LoggerLines lines(logger);
    decodeCall(lines, function, opCode, value, ptr);
}

void reportReturnDetails(OXLogger& logger, VstFunctionIndex function, long opCode, void* ptr,
                         long result) noexcept
{
    if (!decodesReturn(function, opCode) || !logger.decodeStructures.load(relaxed))
        return;
    long value = 0;
    ProcessLog::PendingArrangement* pending = nullptr;
    if (function == fnDispatcher && opCode == effGetSpeakerArrangement &&
        (pending = processLog.pendingArrangements.find(threadSlots::currentThread())) != nullptr)
    {
        value = pending->ptr == ptr ? pending->value : 0;
        pending->clear();
    }
    LoggerLines lines(logger);
    decodeReturn(lines, function, opCode, value, ptr, result);
}

DynamicDebugInfo& function(OXLogger& logger, VstFunctionIndex index) noexcept
{
    return logger.logInfo(OXLogger::vstAEffectFunctions)[index];
}

// The two directions of opcode calls differ only in their row of the group table and in the
// logger's records of that group. The group is a template argument, so that finding the
// records is a fixed offset from the logger.
using Group = OXLogger::vstOpCodeGroup;

template <Group group> bool opCodeEnabled(OXLogger& logger, long opCode) noexcept
{
    constexpr const OpCodeGroupInfo& path = OpCodeGroupsInfo[group];
    return logger.loggingActive.load(relaxed) && function(logger, path.function).isEnabled() &&
           logger.logInfo(group)[opCode].isEnabled();
}

// Out of line, so that the counting path saves no registers for the line and its details.
[[gnu::noinline]] void writeCallLines(OXLogger& logger, const OpCodeGroupInfo& path, long opCode,
                                      long index, long value, void* ptr, float opt) noexcept
{
    LineBuffer line;
    logger.beginLine(line);
    formatCallLine(line, path.prefix, path.catalogue[opCode], index, value, ptr, opt,
                   logger.logParameters.load(relaxed));
    logger.writeLine(line);
    reportCallDetails(logger, path.function, opCode, value, ptr);
}

template <Group group>
void reportCall(OXLogger& logger, long opCode, long index, long value, void* ptr,
                float opt) noexcept
{
    constexpr const OpCodeGroupInfo& path = OpCodeGroupsInfo[group];
    if (!path.contains(opCode))
        return;
    // The function's count is the sum of these (see getVstOpCodeCount): one locked increment
    // is most of what a call costs while logging is stopped.
    logger.logInfo(group)[opCode].increment();
    if (!opCodeEnabled<group>(logger, opCode))
        return;
    writeCallLines(logger, path, opCode, index, value, ptr, opt);
}

[[gnu::noinline]] void writeReturnLines(OXLogger& logger, const OpCodeGroupInfo& path, long opCode,
                                        void* ptr, long result) noexcept
{
    LineBuffer line;
    logger.beginLine(line);
    formatReturnLine(line, path.prefix, path.catalogue[opCode], ptr, result, path.rectangleKnown);
    logger.writeLine(line);
    reportReturnDetails(logger, path.function, opCode, ptr, result);
}

template <Group group>
void reportReturn(OXLogger& logger, long opCode, void* ptr, long result) noexcept
{
    constexpr const OpCodeGroupInfo& path = OpCodeGroupsInfo[group];
    if (!path.contains(opCode) || !hasReturnLine(path.catalogue[opCode]))
        return;
    if (!logger.logReturnParameters.load(relaxed) || !opCodeEnabled<group>(logger, opCode))
        return;
    writeReturnLines(logger, path, opCode, ptr, result);
}
// The three process functions differ only in their name and the type of their buffers.
void reportProcess(OXLogger& logger, VstFunctionIndex index, const void* inputs,
                   const void* outputs, long sampleFrames) noexcept
{
    markProcessThread();
    DynamicDebugInfo& record = function(logger, index);
    record.increment();
    if (!logger.loggingActive.load(relaxed) || !record.isEnabled())
        return;
    LineBuffer line;
    logger.beginLine(line);
    formatProcessLine(line, index, inputs, outputs, sampleFrames,
                      logger.logParameters.load(relaxed));
    logger.writeLine(line);
}
} // namespace

void OXLogger::logVstDispatcher(long opCode, long index, long value, void* ptr, float opt) noexcept
{
    reportCall<OXLogger::vstDispatcherOpCodes>(*this, opCode, index, value, ptr, opt);
}

void OXLogger::logVstDispatcherReturn(long opCode, void* ptr, long result) noexcept
{
    reportReturn<OXLogger::vstDispatcherOpCodes>(*this, opCode, ptr, result);
}

void OXLogger::logVstAudioMaster(long opCode, long index, long value, void* ptr, float opt) noexcept
{
    reportCall<OXLogger::vstAudioMasterOpCodes>(*this, opCode, index, value, ptr, opt);
}

void OXLogger::logVstAudioMasterReturn(long opCode, void* ptr, long result) noexcept
{
    reportReturn<OXLogger::vstAudioMasterOpCodes>(*this, opCode, ptr, result);
}

void OXLogger::logVstProcess(float** inputs, float** outputs, long sampleFrames,
                             bool replacing) noexcept
{
    reportProcess(*this, replacing ? fnProcessReplacing : fnProcess, inputs, outputs, sampleFrames);
}

void OXLogger::logVstProcessDoubleReplacing(double** inputs, double** outputs,
                                            long sampleFrames) noexcept
{
    reportProcess(*this, fnProcessDoubleReplacing, inputs, outputs, sampleFrames);
}

void OXLogger::logVstSetParameter(long index, float parameter) noexcept
{
    DynamicDebugInfo& record = function(*this, fnSetParameter);
    record.increment();
    if (!loggingActive.load(relaxed) || !record.isEnabled())
        return;
    LineBuffer line;
    beginLine(line);
    formatSetParameterLine(line, index, parameter, logParameters.load(relaxed));
    writeLine(line);
}

void OXLogger::logVstGetParameter(long index) noexcept
{
    DynamicDebugInfo& record = function(*this, fnGetParameter);
    record.increment();
    if (!loggingActive.load(relaxed) || !record.isEnabled())
        return;
    LineBuffer line;
    beginLine(line);
    formatGetParameterLine(line, index, logParameters.load(relaxed));
    writeLine(line);
}

void OXLogger::logVstGetParameterReturn(float value) noexcept
{
    if (!logReturnParameters.load(relaxed) || !loggingActive.load(relaxed) ||
        !function(*this, fnGetParameter).isEnabled())
        return;
    LineBuffer line;
    beginLine(line);
    formatGetParameterReturnLine(line, value);
    writeLine(line);
}
