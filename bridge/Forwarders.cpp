// The six functions of the proxy record and the callback handed to the hosted plug-in.
// Each reports the call, passes it on and reports the return. They run on any thread the host
// or the hosted plug-in calls from, several at once; nothing here locks, allocates or throws
// into the caller. A host call passes its session's gate: once Close has begun, or with
// nothing hosted, it returns 0 and touches no released record.
//
// Every function of the hosted plug-in gets its own record, never the proxy the host passed:
// plug-ins such as DPF's keep their instance data right behind the record they handed out and
// would read past the proxy otherwise.
#include "bridge/Forwarders.h"

#include "bridge/CallNames.h"
#include "bridge/CheckHooks.h"
#include "bridge/NameTag.h"
#include "bridge/RecordHooks.h"
#include "bridge/Session.h"
#include "logger/CaughtText.h"
#include "logger/CountSummary.h"
#include "vst/OpCodeTable.h"

#include <exception>

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;

// The session behind a record the host passed; null for anything that is no proxy of ours.
Session* sessionOf(AEffect* effect) noexcept
{
    // Atomic: Close rewrites the record while late host calls read it.
    if (effect == nullptr ||
        __atomic_load_n(&effect->dispatcher, __ATOMIC_RELAXED) != proxyDispatcher)
        return nullptr;
    return static_cast<ProxyRecord*>(effect)->session;
}

// One line naming the call an exception left, and what it said. Only inside a catch block.
void reportCaught(Session& session, int group, int32_t opcode) noexcept
{
    LineBuffer name;
    appendOpcodeName(name, group, opcode);
    logCaught(session.oxLogger, name.c_str());
}

// Nothing is thrown into the host or the hosted plug-in: a forwarder that fails says so in the
// log and returns zero (or nothing).
template <typename Function>
auto guarded(Session& session, int group, int32_t opcode, Function function) noexcept
{
    using Result = std::invoke_result_t<Function&>;
    try
    {
        return function();
    }
    catch (...)
    {
        reportCaught(session, group, opcode);
    }
    return Result();
}

VstIntPtr dispatchToHosted(Session& session, AEffect* hosted, int32_t opcode, int32_t index,
                           VstIntPtr value, void* ptr, float opt)
{
    if (!dispatcherSwitchesResources(opcode))
        return hosted->dispatcher(hosted, opcode, index, value, ptr, opt);
    const platform::ResourceRef saved = platform::currentResources();
    platform::useResources(session.bundleRes());
    const VstIntPtr result = hosted->dispatcher(hosted, opcode, index, value, ptr, opt);
    if (saved != 0)
        platform::useResources(saved);
    return result;
}

// No other host call enters from here on; those inside are waited for before the plug-in gets
// Close, and the session is taken down after it returned, whatever it did.
VstIntPtr closeSession(Session& session, rules::ThreadState* checked, AEffect* hosted,
                       int32_t index, VstIntPtr value, void* ptr, float opt) noexcept
{
    session.beforeClose();
    VstIntPtr result = 0;
    try
    {
        result = hosted->dispatcher(hosted, effClose, index, value, ptr, opt);
    }
    catch (...)
    {
        reportCaught(session, OXLogger::vstDispatcherOpCodes, effClose);
    }
    session.oxLogger.logVstDispatcherReturn(effClose, ptr, result);
    OPLEXA_RECORD(session, opcodeReturn, fnDispatcher, effClose, value, ptr, result);
    OPLEXA_CHECK_RETURN(checked, session, opcodeReturn, fnDispatcher, effClose, value, ptr, result);
    checkHooks::closed(session);
    // The recording's writer counts the last blocks' outputs for the output rules: it finishes
    // before the counts are written.
    if (session.checking.load(relaxed))
        session.recorder.stop(true);
    writeCountSummary(session.oxLogger);
    checkHooks::writeSummary(session);
    session.afterClose();
    return result;
}

// The opening every host call shares: the session behind the record, the gate, the call's line
// (counted, and written even when the call goes no further), and the hosted plug-in's function.
// forward runs only when the gate is open and that function is there; else the host gets zero.
template <auto field, typename Result, typename Report, typename Forward>
Result enterHostCall(AEffect* effect, int group, int32_t opcode, int32_t gateSlot, Report report,
                     Forward forward) noexcept
{
    Session* session = sessionOf(effect);
    if (session == nullptr)
        return Result();
    return guarded(*session, group, opcode,
                   [&]() -> Result
                   {
                       const callGate::Pass pass(session->gate, gateSlot);
                       report(session->oxLogger);
                       AEffect* hosted = session->vstEffect.load(relaxed);
                       if (!pass.open() || hosted == nullptr || hosted->*field == nullptr)
                       {
                           if (!pass.open() || hosted == nullptr)
                               OPLEXA_CHECK(*session, refusedCall,
                                            group == OXLogger::vstDispatcherOpCodes
                                                ? fnDispatcher
                                                : static_cast<VstFunctionIndex>(opcode),
                                            opcode);
                           return Result();
                       }
                       return forward(*session, hosted);
                   });
}
} // namespace

VstIntPtr proxyDispatcher(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                          void* ptr, float opt)
{
    return enterHostCall<&AEffect::dispatcher, VstIntPtr>(
        effect, OXLogger::vstDispatcherOpCodes, opcode, callGate::kDispatcherCalls + opcode,
        [&](OXLogger& logger) { logger.logVstDispatcher(opcode, index, value, ptr, opt); },
        [&](Session& session, AEffect* hosted) -> VstIntPtr
        {
            OPLEXA_RECORD(session, opcodeCall, fnDispatcher, opcode, index, value, ptr, opt);
            rules::ThreadState* const checked = OPLEXA_CHECK_CALL(session, opcodeCall, fnDispatcher,
                                                                  opcode, index, value, ptr, opt);
            if (opcode == effClose)
                return closeSession(session, checked, hosted, index, value, ptr, opt);
            const VstIntPtr result =
                dispatchToHosted(session, hosted, opcode, index, value, ptr, opt);
            OPLEXA_RECORD(session, opcodeReturn, fnDispatcher, opcode, value, ptr, result);
            OPLEXA_CHECK_RETURN(checked, session, opcodeReturn, fnDispatcher, opcode, value, ptr,
                                result);
            mirrorRecord(session.proxyEffect, *hosted);
            session.oxLogger.logVstDispatcherReturn(opcode, ptr, result);
            // The log has the plug-in's own name; the host reads the wrapper's.
            if (opcode == effGetEffectName && session.tagged && ptr != nullptr)
                tagEffectName(static_cast<char*>(ptr));
            return result;
        });
}

namespace
{
// The three process functions differ only in the record's function they call and the samples'
// type. The host's audio thread, mostly; only hosts that process in double precision call the
// third.
template <VstFunctionIndex function, auto field, typename Sample>
void forwardProcess(AEffect* effect, Sample** inputs, Sample** outputs, int32_t sampleFrames)
{
    enterHostCall<field, void>(
        effect, OXLogger::vstAEffectFunctions, function, function,
        [&](OXLogger& logger)
        {
            if constexpr (function == fnProcessDoubleReplacing)
                logger.logVstProcessDoubleReplacing(inputs, outputs, sampleFrames);
            else
                logger.logVstProcess(inputs, outputs, sampleFrames, function == fnProcessReplacing);
        },
        [&](Session& session, AEffect* hosted)
        {
            OPLEXA_RECORD(session, processCall, *hosted, function, reinterpret_cast<void**>(inputs),
                          reinterpret_cast<void**>(outputs), sampleFrames, sizeof(Sample));
            rules::ThreadState* const checked =
                OPLEXA_CHECK_CALL(session, processCall, function, sampleFrames);
            (hosted->*field)(hosted, inputs, outputs, sampleFrames);
            OPLEXA_CHECK_RETURN(checked, session, processReturn, function, sampleFrames);
            OPLEXA_RECORD(session, processReturn, *hosted, function,
                          reinterpret_cast<void**>(outputs), sampleFrames, sizeof(Sample));
            // Some plug-ins change their latency while processing, without IOChanged.
            mirrorAfterProcess(session.proxyEffect, *hosted);
        });
}
} // namespace

void proxyProcess(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames)
{
    forwardProcess<fnProcess, &AEffect::process>(effect, inputs, outputs, sampleFrames);
}

void proxyProcessReplacing(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames)
{
    forwardProcess<fnProcessReplacing, &AEffect::processReplacing>(effect, inputs, outputs,
                                                                   sampleFrames);
}

void proxyProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                 int32_t sampleFrames)
{
    forwardProcess<fnProcessDoubleReplacing, &AEffect::processDoubleReplacing>(
        effect, inputs, outputs, sampleFrames);
}

// Hosts call this from the audio thread for automation and from the UI thread for edits.
void proxySetParameter(AEffect* effect, int32_t index, float value)
{
    enterHostCall<&AEffect::setParameter, void>(
        effect, OXLogger::vstAEffectFunctions, fnSetParameter, fnSetParameter,
        [&](OXLogger& logger) { logger.logVstSetParameter(index, value); },
        [&](Session& session, AEffect* hosted)
        {
            OPLEXA_RECORD(session, parameter, fnSetParameter, false, index, value);
            rules::ThreadState* const checked =
                OPLEXA_CHECK_CALL(session, parameterCall, fnSetParameter, index, value);
            hosted->setParameter(hosted, index, value);
            OPLEXA_RECORD(session, parameter, fnSetParameter, true, index, 0.0f);
            OPLEXA_CHECK_RETURN(checked, session, parameterReturn, fnSetParameter, index, 0.0f);
            mirrorRecord(session.proxyEffect, *hosted);
        });
}

float proxyGetParameter(AEffect* effect, int32_t index)
{
    return enterHostCall<&AEffect::getParameter, float>(
        effect, OXLogger::vstAEffectFunctions, fnGetParameter, fnGetParameter,
        [&](OXLogger& logger) { logger.logVstGetParameter(index); },
        [&](Session& session, AEffect* hosted)
        {
            OPLEXA_RECORD(session, parameter, fnGetParameter, false, index, 0.0f);
            rules::ThreadState* const checked =
                OPLEXA_CHECK_CALL(session, parameterCall, fnGetParameter, index, 0.0f);
            const float value = hosted->getParameter(hosted, index);
            OPLEXA_RECORD(session, parameter, fnGetParameter, true, index, value);
            OPLEXA_CHECK_RETURN(checked, session, parameterReturn, fnGetParameter, index, value);
            session.oxLogger.logVstGetParameterReturn(value);
            return value;
        });
}

namespace
{
// A closed plug-in's thread still calling back: it reaches no host, and is said once.
VstIntPtr refuseLateCallback(Session& session, int32_t opcode) noexcept
{
    if (session.lateCallbackSaid.exchange(true, relaxed))
        return 0;
    LineBuffer line;
    session.oxLogger.beginLine(line);
    line.appendLiteral("Callback ");
    appendOpcodeName(line, OXLogger::vstAudioMasterOpCodes, opcode);
    line.appendLiteral(" after Close returned 0");
    session.oxLogger.writeLine(line);
    return 0;
}
} // namespace

// The hosted plug-in calls this, through its session's own callback, from any of its threads,
// also from inside its entry point before its record is known. The host gets the record the
// plug-in meant: null for null, else the session's proxy, brought up to date first so that a
// host handling audioMasterIOChanged reads the new values.
VstIntPtr forwardCallback(Session& session, AEffect* effect, int32_t opcode, int32_t index,
                          VstIntPtr value, void* ptr, float opt)
{
    if (session.callbacksEnded.load(relaxed))
    {
        OPLEXA_CHECK(session, refusedCall, fnAudioMaster, opcode);
        return refuseLateCallback(session, opcode);
    }
    return guarded(
        session, OXLogger::vstAudioMasterOpCodes, opcode,
        [&]() -> VstIntPtr
        {
            session.oxLogger.logVstAudioMaster(opcode, index, value, ptr, opt);
            const audioMasterCallback host = session.vstAudioMaster.load(relaxed);
            if (host == nullptr)
                return 0;
            OPLEXA_RECORD(session, opcodeCall, fnAudioMaster, opcode, index, value, ptr, opt);
            rules::ThreadState* const checked = OPLEXA_CHECK_CALL(
                session, opcodeCall, fnAudioMaster, opcode, index, value, ptr, opt);
            ProxyRecord* proxy = nullptr;
            if (effect != nullptr)
            {
                proxy = &session.proxyEffect;
                if (const AEffect* hosted = session.vstEffect.load(relaxed))
                    mirrorRecord(*proxy, *hosted);
            }
            const VstIntPtr result = host(proxy, opcode, index, value, ptr, opt);
            OPLEXA_RECORD(session, opcodeReturn, fnAudioMaster, opcode, value, ptr, result);
            OPLEXA_CHECK_RETURN(checked, session, opcodeReturn, fnAudioMaster, opcode, value, ptr,
                                result);
            session.oxLogger.logVstAudioMasterReturn(opcode, ptr, result);
            return result;
        });
}
