#include "tools/oplexa/TraceCallArgs.h"

#include "tools/host/RecordPrint.h"
#include "tools/host/ReplayScript.h"
#include "vst/OpCodeTable.h"

namespace oplexa
{
const std::string& CallNames::of(uint8_t function, int32_t opcode)
{
    if (functions.empty())
    {
        for (int f = 0; f < kNumVstFunctions; ++f)
            functions.push_back(host::callName(f, 0));
        for (int32_t op = 0; op < kNumDispatcherOpCodes; ++op)
            dispatcher.push_back(host::callName(fnDispatcher, op));
        for (int32_t op = 0; op < kNumAudioMasterOpCodes; ++op)
            audioMaster.push_back(host::callName(fnAudioMaster, op));
    }
    const bool known = opcode >= 0;
    if (function == fnDispatcher && known && opcode < kNumDispatcherOpCodes)
        return dispatcher[static_cast<size_t>(opcode)];
    if (function == fnAudioMaster && known && opcode < kNumAudioMasterOpCodes)
        return audioMaster[static_cast<size_t>(opcode)];
    if (function != fnDispatcher && function != fnAudioMaster && function < kNumVstFunctions)
        return functions[function];
    other = host::callName(function, opcode);
    return other;
}

void writeCallArgs(TraceJson& json, const PendingCall& call, const CallResult* result)
{
    const auto function = static_cast<VstFunctionIndex>(call.function);
    json.arg("call", static_cast<int64_t>(call.number));
    if (call.inside != 0)
        json.arg("inside", static_cast<int64_t>(call.inside));
    if (function == fnSetParameter || function == fnGetParameter)
    {
        json.arg("index", static_cast<int64_t>(call.index));
        if (function == fnSetParameter)
            json.arg("opt", static_cast<double>(call.opt));
        else if (result != nullptr)
            json.arg("result", static_cast<double>(result->floatResult));
        return;
    }
    if (function != fnDispatcher && function != fnAudioMaster)
    {
        json.arg("frames", call.value);
        if (call.budgetNs != 0)
            json.argMicroseconds("budget", call.budgetNs);
        return;
    }
    // Only what the opcode has, as the printout shows it; an unknown opcode shows everything.
    const VstOpCodeInfo* info = opCodeInfo(function, call.opcode);
    if (info == nullptr || info->indexLabel != nullptr)
        json.arg("index", static_cast<int64_t>(call.index));
    if (info != nullptr && info->valueLabel != nullptr && host::valueIsFlags(function, call.opcode))
        json.argHex("value", static_cast<uint64_t>(call.value));
    else if (info == nullptr || info->valueLabel != nullptr)
        json.arg("value", call.value);
    if (info == nullptr || info->optLabel != nullptr)
        json.arg("opt", static_cast<double>(call.opt));
    if (result == nullptr || (info != nullptr && info->returnLabel == nullptr))
        return;
    if (info != nullptr && host::resultIsPointer(function, *info))
        json.argHex("result", static_cast<uint64_t>(result->result));
    else
        json.arg("result", result->result);
}
} // namespace oplexa
