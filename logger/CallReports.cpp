// The reports the forwarders make around every call. These run on the host's audio and
// UI threads and on the hosted plug-in's threads, often several at once: count with two
// relaxed increments, test the switches, and only then build a line on the stack.
#include "logger/CallFormat.h"
#include "logger/OXLogger.h"

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;

DynamicDebugInfo& function(VstFunctionIndex index) noexcept
{
    return OpCodeGroupsInfo[OXLogger::vstAEffectFunctions].logInfo[index];
}

// The two directions of opcode calls differ only in their row of the group table.
constexpr const OpCodeGroupInfo& dispatcherPath = OpCodeGroupsInfo[OXLogger::vstDispatcherOpCodes];
constexpr const OpCodeGroupInfo& audioMasterPath =
    OpCodeGroupsInfo[OXLogger::vstAudioMasterOpCodes];

bool opCodeEnabled(const OXLogger& logger, const OpCodeGroupInfo& path, long opCode) noexcept
{
    return logger.loggingActive.load(relaxed) && path.functionLogInfo->isEnabled() &&
           path.logInfo[opCode].isEnabled();
}

void reportCall(OXLogger& logger, const OpCodeGroupInfo& path, long opCode, long index, long value,
                void* ptr, float opt) noexcept
{
    if (!path.contains(opCode))
        return;
    path.functionLogInfo->increment();
    path.logInfo[opCode].increment();
    if (!opCodeEnabled(logger, path, opCode))
        return;
    LineBuffer line;
    formatCallLine(line, path.prefix, path.catalogue[opCode], index, value, ptr, opt,
                   logger.logParameters.load(relaxed));
    logger.log(line.c_str());
}

void reportReturn(OXLogger& logger, const OpCodeGroupInfo& path, long opCode, void* ptr,
                  long result) noexcept
{
    if (!path.contains(opCode) || !hasReturnLine(path.catalogue[opCode]))
        return;
    if (!logger.logReturnParameters.load(relaxed) || !opCodeEnabled(logger, path, opCode))
        return;
    LineBuffer line;
    formatReturnLine(line, path.prefix, path.catalogue[opCode], ptr, result, path.rectangleKnown);
    logger.log(line.c_str());
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
    line.append("%s", vstFunctionNames[index]);
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
    line.append("setParameter");
    if (logParameters.load(relaxed))
        line.append("(index: %ld, parameter: %f)", index, static_cast<double>(parameter));
    log(line.c_str());
}

void OXLogger::logVstGetParameter(long index) noexcept
{
    DynamicDebugInfo& record = function(fnGetParameter);
    record.increment();
    if (!loggingActive.load(relaxed) || !record.isEnabled())
        return;
    LineBuffer line;
    line.append("getParameter");
    if (logParameters.load(relaxed))
        line.append("(index: %ld)", index);
    log(line.c_str());
}

void OXLogger::logVstGetParameterReturn(float value) noexcept
{
    if (!logReturnParameters.load(relaxed) || !loggingActive.load(relaxed) ||
        !function(fnGetParameter).isEnabled())
        return;
    LineBuffer line;
    line.append("getParameter returned %f", static_cast<double>(value));
    log(line.c_str());
}
