// The reports the forwarders make around every call. These run on the host's audio and
// UI threads and on the hosted plug-in's threads, often several at once: count with one
// relaxed increment, test the switches, and only then build a line on the stack.
#include "logger/CallFormat.h"
#include "logger/OXLogger.h"
#include "logger/StructureDecoder.h"

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;

DynamicDebugInfo& function(OXLogger& logger, VstFunctionIndex index) noexcept
{
    return logger.logInfo(OXLogger::vstAEffectFunctions)[index];
}

// The two directions of opcode calls differ only in their row of the group table and in the
// logger's records of that group; group is a constant in every caller, so finding the records
// costs no more than a fixed offset from the logger.
struct CallPath
{
    const OpCodeGroupInfo& info;
    DynamicDebugInfo* records;
};

CallPath dispatcherPath(OXLogger& logger) noexcept
{
    return {OpCodeGroupsInfo[OXLogger::vstDispatcherOpCodes],
            logger.logInfo(OXLogger::vstDispatcherOpCodes)};
}

CallPath audioMasterPath(OXLogger& logger) noexcept
{
    return {OpCodeGroupsInfo[OXLogger::vstAudioMasterOpCodes],
            logger.logInfo(OXLogger::vstAudioMasterOpCodes)};
}

bool opCodeEnabled(OXLogger& logger, const CallPath& path, long opCode) noexcept
{
    return logger.loggingActive.load(relaxed) && function(logger, path.info.function).isEnabled() &&
           path.records[opCode].isEnabled();
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

void reportCall(OXLogger& logger, const CallPath& path, long opCode, long index, long value,
                void* ptr, float opt) noexcept
{
    if (!path.info.contains(opCode))
        return;
    // The function's count is the sum of these (see getVstOpCodeCount): one locked increment
    // is most of what a call costs while logging is stopped.
    path.records[opCode].increment();
    if (!opCodeEnabled(logger, path, opCode))
        return;
    writeCallLines(logger, path.info, opCode, index, value, ptr, opt);
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

void reportReturn(OXLogger& logger, const CallPath& path, long opCode, void* ptr,
                  long result) noexcept
{
    if (!path.info.contains(opCode) || !hasReturnLine(path.info.catalogue[opCode]))
        return;
    if (!logger.logReturnParameters.load(relaxed) || !opCodeEnabled(logger, path, opCode))
        return;
    writeReturnLines(logger, path.info, opCode, ptr, result);
}
// The three process functions differ only in their name and the type of their buffers.
void reportProcess(OXLogger& logger, VstFunctionIndex index, const void* inputs,
                   const void* outputs, long sampleFrames) noexcept
{
    DynamicDebugInfo& record = function(logger, index);
    record.increment();
    if (!logger.loggingActive.load(relaxed) || !record.isEnabled())
        return;
    LineBuffer line;
    logger.beginLine(line);
    line.appendText(vstFunctionNames[index]);
    if (logger.logParameters.load(relaxed))
    {
        line.appendLiteral("(inputs:");
        line.appendPointer(inputs);
        line.appendLiteral(", outputs:");
        line.appendPointer(outputs);
        line.appendLiteral(", sampleFrames:");
        line.appendDecimal(sampleFrames);
        line.appendChar(')');
    }
    logger.writeLine(line);
}
} // namespace

void OXLogger::logVstDispatcher(long opCode, long index, long value, void* ptr, float opt) noexcept
{
    reportCall(*this, dispatcherPath(*this), opCode, index, value, ptr, opt);
}

void OXLogger::logVstDispatcherReturn(long opCode, void* ptr, long result) noexcept
{
    reportReturn(*this, dispatcherPath(*this), opCode, ptr, result);
}

void OXLogger::logVstAudioMaster(long opCode, long index, long value, void* ptr, float opt) noexcept
{
    reportCall(*this, audioMasterPath(*this), opCode, index, value, ptr, opt);
}

void OXLogger::logVstAudioMasterReturn(long opCode, void* ptr, long result) noexcept
{
    reportReturn(*this, audioMasterPath(*this), opCode, ptr, result);
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
    line.appendLiteral("setParameter");
    if (logParameters.load(relaxed))
    {
        line.appendLiteral("(index: ");
        line.appendDecimal(index);
        line.appendLiteral(", parameter: ");
        line.appendFixed(static_cast<double>(parameter));
        line.appendChar(')');
    }
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
    line.appendLiteral("getParameter");
    if (logParameters.load(relaxed))
    {
        line.appendLiteral("(index: ");
        line.appendDecimal(index);
        line.appendChar(')');
    }
    writeLine(line);
}

void OXLogger::logVstGetParameterReturn(float value) noexcept
{
    if (!logReturnParameters.load(relaxed) || !loggingActive.load(relaxed) ||
        !function(*this, fnGetParameter).isEnabled())
        return;
    LineBuffer line;
    beginLine(line);
    line.appendLiteral("getParameter returned ");
    line.appendFixed(static_cast<double>(value));
    writeLine(line);
}
