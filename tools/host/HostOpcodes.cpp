#include "tools/host/HostOpcodes.h"

#include <iterator>

namespace host
{
namespace
{
const char* const kDispatcherNames[] = {
    "Open",
    "Close",
    "SetProgram",
    "GetProgram",
    "SetProgramName",
    "GetProgramName",
    "GetParamLabel",
    "GetParamDisplay",
    "GetParamName",
    "GetVu",
    "SetSampleRate",
    "SetBlockSize",
    "MainsChanged",
    "EditGetRect",
    "EditOpen",
    "EditClose",
    "EditDraw",
    "EditMouse",
    "EditKey",
    "EditIdle",
    "EditTop",
    "EditSleep",
    "Identify",
    "GetChunk",
    "SetChunk",
    "ProcessEvents",
    "CanBeAutomated",
    "String2Parameter",
    "GetNumProgramCategories",
    "GetProgramNameIndexed",
    "CopyProgram",
    "ConnectInput",
    "ConnectOutput",
    "GetInputProperties",
    "GetOutputProperties",
    "GetPlugCategory",
    "GetCurrentPosition",
    "GetDestinationBuffer",
    "OfflineNotify",
    "OfflinePrepare",
    "OfflineRun",
    "ProcessVarIo",
    "SetSpeakerArrangement",
    "SetBlockSizeAndSampleRate",
    "SetBypass",
    "GetEffectName",
    "GetErrorText",
    "GetVendorString",
    "GetProductString",
    "GetVendorVersion",
    "VendorSpecific",
    "CanDo",
    "GetTailSize",
    "Idle",
    "GetIcon",
    "SetViewPosition",
    "GetParameterProperties",
    "KeysRequired",
    "GetVstVersion",
    "EditKeyDown",
    "EditKeyUp",
    "SetEditKnobMode",
    "GetMidiProgramName",
    "GetCurrentMidiProgram",
    "GetMidiProgramCategory",
    "HasMidiProgramsChanged",
    "GetMidiKeyName",
    "BeginSetProgram",
    "EndSetProgram",
    "GetSpeakerArrangement",
    "ShellGetNextPlugin",
    "StartProcess",
    "StopProcess",
    "SetTotalSampleToProcess",
    "SetPanLaw",
    "BeginLoadBank",
    "BeginLoadProgram",
    "SetProcessPrecision",
    "GetNumMidiInputChannels",
    "GetNumMidiOutputChannels",
};

const char* const kAudioMasterNames[] = {
    "Automate",
    "Version",
    "CurrentId",
    "Idle",
    "PinConnected",
    "?",
    "WantMidi",
    "GetTime",
    "ProcessEvents",
    "SetTime",
    "TempoAt",
    "GetNumAutomatableParameters",
    "GetParameterQuantization",
    "IOChanged",
    "NeedIdle",
    "SizeWindow",
    "GetSampleRate",
    "GetBlockSize",
    "GetInputLatency",
    "GetOutputLatency",
    "GetPreviousPlug",
    "GetNextPlug",
    "WillReplaceOrAccumulate",
    "GetCurrentProcessLevel",
    "GetAutomationState",
    "OfflineStart",
    "OfflineRead",
    "OfflineWrite",
    "OfflineGetCurrentPass",
    "OfflineGetCurrentMetaPass",
    "SetOutputSampleRate",
    "GetOutputSpeakerArrangement",
    "GetVendorString",
    "GetProductString",
    "GetVendorVersion",
    "VendorSpecific",
    "SetIcon",
    "CanDo",
    "GetLanguage",
    "OpenWindow",
    "CloseWindow",
    "GetDirectory",
    "UpdateDisplay",
    "BeginEdit",
    "EndEdit",
    "OpenFileSelector",
    "CloseFileSelector",
    "EditFile",
    "GetChunkFile",
    "GetInputSpeakerArrangement",
};

template <size_t N> const char* lookUp(const char* const (&names)[N], int32_t opcode)
{
    if (opcode < 0 || static_cast<size_t>(opcode) >= N)
        return "?";
    return names[opcode];
}
} // namespace

bool dispatcherTakesText(int32_t opcode)
{
    return opcode == effSetProgramName || opcode == effString2ParameterOpcode || opcode == effCanDo;
}

bool dispatcherReturnsText(int32_t opcode)
{
    switch (opcode)
    {
    case effGetProgramName:
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
    case effGetProgramNameIndexed:
    case effGetEffectName:
    case effGetErrorTextOpcode:
    case effGetVendorString:
    case effGetProductString:
    case effShellGetNextPluginOpcode:
        return true;
    default:
        return false;
    }
}

const char* dispatcherOpcodeName(int32_t opcode)
{
    return lookUp(kDispatcherNames, opcode);
}

const char* audioMasterOpcodeName(int32_t opcode)
{
    return lookUp(kAudioMasterNames, opcode);
}
} // namespace host
