// The reports the forwarders make around every call. These run on the host's audio and
// UI threads and on the hosted plug-in's threads, often several at once: count with two
// relaxed increments, test the switches, and only then build a line on the stack.
#include "logger/CallFormat.h"
#include "logger/OXLogger.h"
#include "logger/StructureDecoder.h"

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;

// Unsigned, so that negative opcodes are out of range too.
bool inRange(long opCode, int numOpCodes) noexcept
{
    return static_cast<unsigned long>(opCode) < static_cast<unsigned long>(numOpCodes);
}

DynamicDebugInfo& function(VstFunctionIndex index) noexcept
{
    return vstFunctionsLogInfo[index];
}

// What differs between the two directions of opcode calls.
struct OpCodePath
{
    VstFunctionIndex function;
    DynamicDebugInfo* records;
    const VstOpCodeInfo* catalogue;
    int numOpCodes;
    const char* prefix;
    bool rectangleKnown; // only dispatcher returns print the editor rectangle
};

constexpr OpCodePath dispatcherPath{
    fnDispatcher, vstDispatcherLogInfo, effOpCodes, kNumDispatcherOpCodes, "eff", true};
constexpr OpCodePath audioMasterPath{fnAudioMaster,      vstAudioMasterLogInfo,
                                     audioMasterOpCodes, kNumAudioMasterOpCodes,
                                     "audioMaster",      false};

bool opCodeEnabled(const OXLogger& logger, const OpCodePath& path, long opCode) noexcept
{
    return logger.loggingActive.load(relaxed) && function(path.function).isEnabled() &&
           path.records[opCode].isEnabled();
}

// Out of line, so that the counting path saves no registers for the line and its details.
[[gnu::noinline]] void writeCallLines(OXLogger& logger, const OpCodePath& path, long opCode,
                                      long index, long value, void* ptr, float opt) noexcept
{
    LineBuffer line;
    logger.beginLine(line);
    formatCallLine(line, path.prefix, path.catalogue[opCode], index, value, ptr, opt,
                   logger.logParameters.load(relaxed));
    logger.writeLine(line);
    reportCallDetails(logger, path.function, opCode, value, ptr);
}

void reportCall(OXLogger& logger, const OpCodePath& path, long opCode, long index, long value,
                void* ptr, float opt) noexcept
{
    if (!inRange(opCode, path.numOpCodes))
        return;
    // The function's count is the sum of these (see getVstOpCodeCount): one locked increment
    // is most of what a call costs while logging is stopped.
    path.records[opCode].increment();
    if (!opCodeEnabled(logger, path, opCode))
        return;
    writeCallLines(logger, path, opCode, index, value, ptr, opt);
}

[[gnu::noinline]] void writeReturnLines(OXLogger& logger, const OpCodePath& path, long opCode,
                                        void* ptr, long result) noexcept
{
    LineBuffer line;
    logger.beginLine(line);
    formatReturnLine(line, path.prefix, path.catalogue[opCode], ptr, result, path.rectangleKnown);
    logger.writeLine(line);
    reportReturnDetails(logger, path.function, opCode, ptr, result);
}

void reportReturn(OXLogger& logger, const OpCodePath& path, long opCode, void* ptr,
                  long result) noexcept
{
    if (!inRange(opCode, path.numOpCodes) || !hasReturnLine(path.catalogue[opCode]))
        return;
    if (!logger.logReturnParameters.load(relaxed) || !opCodeEnabled(logger, path, opCode))
        return;
    writeReturnLines(logger, path, opCode, ptr, result);
}
} // namespace

void OXLogger::logVstDispatcher(long opCode, long index, long value, void* ptr, float opt) noexcept
{
    reportCall(*this, dispatcherPath, opCode, index, value, ptr, opt);
}

void OXLogger::logVstDispatcherReturn(long opCode, void* ptr, long result) noexcept
{
    reportReturn(*this, dispatcherPath, opCode, ptr, result);
}

void OXLogger::logVstAudioMaster(long opCode, long index, long value, void* ptr, float opt) noexcept
{
    reportCall(*this, audioMasterPath, opCode, index, value, ptr, opt);
}

void OXLogger::logVstAudioMasterReturn(long opCode, void* ptr, long result) noexcept
{
    reportReturn(*this, audioMasterPath, opCode, ptr, result);
}

void OXLogger::logVstProcess(float** inputs, float** outputs, long sampleFrames,
                             bool replacing) noexcept
{
    const VstFunctionIndex index = replacing ? fnProcessReplacing : fnProcess;
    DynamicDebugInfo& record = function(index);
    record.increment();
    if (!loggingActive.load(relaxed) || !record.isEnabled())
        return;
    LineBuffer line;
    beginLine(line);
    line.appendText(vstFunctionNames[index]);
    if (logParameters.load(relaxed))
    {
        line.appendLiteral("(inputs:");
        line.appendPointer(inputs);
        line.appendLiteral(", outputs:");
        line.appendPointer(outputs);
        line.appendLiteral(", sampleFrames:");
        line.appendDecimal(sampleFrames);
        line.appendChar(')');
    }
    writeLine(line);
}

void OXLogger::logVstProcessDoubleReplacing(double** inputs, double** outputs,
                                            long sampleFrames) noexcept
{
    DynamicDebugInfo& record = function(fnProcessDoubleReplacing);
    record.increment();
    if (!loggingActive.load(relaxed) || !record.isEnabled())
        return;
    LineBuffer line;
    line.append("processDoubleReplacing");
    if (logParameters.load(relaxed))
        line.append("(inputs:%p, outputs:%p, sampleFrames:%ld)", static_cast<void*>(inputs),
                    static_cast<void*>(outputs), sampleFrames);
    log(line.c_str());
}

void OXLogger::logVstSetParameter(long index, float parameter) noexcept
{
    DynamicDebugInfo& record = function(fnSetParameter);
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
    DynamicDebugInfo& record = function(fnGetParameter);
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
        !function(fnGetParameter).isEnabled())
        return;
    LineBuffer line;
    beginLine(line);
    line.appendLiteral("getParameter returned ");
    line.appendFixed(static_cast<double>(value));
    writeLine(line);
}
