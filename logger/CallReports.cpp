// The reports the forwarders make around every call. These run on the host's audio and
// UI threads and on the hosted plug-in's threads, often several at once: count with two
// relaxed increments, test the switches, and only then build a line on the stack.
#include "logger/CallFormat.h"
#include "logger/OXLogger.h"

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
} // namespace

void OXLogger::logVstDispatcher(long opCode, long index, long value, void* ptr, float opt) noexcept
{
    if (!inRange(opCode, kNumDispatcherOpCodes))
        return;
    DynamicDebugInfo& record = vstDispatcherLogInfo[opCode];
    function(fnDispatcher).increment();
    record.increment();
    if (!loggingActive.load(relaxed) || !function(fnDispatcher).isEnabled() || !record.isEnabled())
        return;
    LineBuffer line;
    formatCallLine(line, "eff", effOpCodes[opCode], index, value, ptr, opt,
                   logParameters.load(relaxed));
    log(line.c_str());
}

void OXLogger::logVstDispatcherReturn(long opCode, void* ptr, long result) noexcept
{
    if (!inRange(opCode, kNumDispatcherOpCodes) || !hasReturnLine(effOpCodes[opCode]))
        return;
    if (!logReturnParameters.load(relaxed) || !loggingActive.load(relaxed) ||
        !function(fnDispatcher).isEnabled() || !vstDispatcherLogInfo[opCode].isEnabled())
        return;
    LineBuffer line;
    formatReturnLine(line, "eff", effOpCodes[opCode], ptr, result, true);
    log(line.c_str());
}

void OXLogger::logVstAudioMaster(long opCode, long index, long value, void* ptr, float opt) noexcept
{
    if (!inRange(opCode, kNumAudioMasterOpCodes))
        return;
    DynamicDebugInfo& record = vstAudioMasterLogInfo[opCode];
    function(fnAudioMaster).increment();
    record.increment();
    if (!loggingActive.load(relaxed) || !function(fnAudioMaster).isEnabled() ||
        !record.isEnabled())
        return;
    LineBuffer line;
    formatCallLine(line, "audioMaster", audioMasterOpCodes[opCode], index, value, ptr, opt,
                   logParameters.load(relaxed));
    log(line.c_str());
}

void OXLogger::logVstAudioMasterReturn(long opCode, void* ptr, long result) noexcept
{
    if (!inRange(opCode, kNumAudioMasterOpCodes) || !hasReturnLine(audioMasterOpCodes[opCode]))
        return;
    if (!logReturnParameters.load(relaxed) || !loggingActive.load(relaxed) ||
        !function(fnAudioMaster).isEnabled() || !vstAudioMasterLogInfo[opCode].isEnabled())
        return;
    LineBuffer line;
    formatReturnLine(line, "audioMaster", audioMasterOpCodes[opCode], ptr, result, false);
    log(line.c_str());
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
