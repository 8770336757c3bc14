// Every dispatcher and audioMaster opcode and the record's functions in one constant table: what
// each call carries in and out, the labels of its lines, and how Oplexa treats it. The log lines,
// the recorder, the replay and oplexa-host all read it; nothing else lists opcodes. A row is
// addressed by its opcode number, and each row names its constant, which the checks at the end
// hold to its position.
#pragma once

#include "vst/OpCodeInfo.h"

#include <cstddef>
#include <cstdint>

// Host to plug-in and plug-in to host stay apart, as the lines and the window keep them.
struct VstOpCodeTable
{
    const char* functions[kNumVstFunctions];
    VstOpCodeInfo dispatcher[kNumDispatcherOpCodes];
    VstOpCodeInfo audioMaster[kNumAudioMasterOpCodes];
};

inline constexpr VstOpCodeTable vstOpCodeTable = {
    {
        "dispatcher",
        "audioMaster",
        "process",
        "processReplacing",
        "setParameter",
        "getParameter",
        "processDoubleReplacing",
    },
    {
        // The dispatcher's opcodes.
        OpCodeRow(effOpen, "Open"),
        OpCodeRow(effClose, "Close"),
        OpCodeRow(effSetProgram, "SetProgram").value("program"),
        OpCodeRow(effGetProgram, "GetProgram").returns("program"),
        OpCodeRow(effSetProgramName, "SetProgramName").ptr(ptrString, "name"),
        OpCodeRow(effGetProgramName, "GetProgramName").ptrReturned(ptrString, "name"),
        OpCodeRow(effGetParamLabel, "GetParamLabel")
            .index("parameter")
            .ptrReturned(ptrString, "label"),
        OpCodeRow(effGetParamDisplay, "GetParamDisplay")
            .index("parameter")
            .ptrReturned(ptrString, "value"),
        OpCodeRow(effGetParamName, "GetParamName")
            .index("parameter")
            .ptrReturned(ptrString, "name"),
        OpCodeRow(effGetVu, "GetVu").returns("level"),
        OpCodeRow(effSetSampleRate, "SetSampleRate").opt("sampleRate"),
        OpCodeRow(effSetBlockSize, "SetBlockSize").value("blockSize"),
        OpCodeRow(effMainsChanged, "MainsChanged").value("state"),
        OpCodeRow(effEditGetRect, "EditGetRect")
            .returns("long")
            .ptrReturned(ptrRectOut, "rect")
            .carriesOut(Carried::rectangle)
            .editorCall(),
        OpCodeRow(effEditOpen, "EditOpen")
            .returns("long")
            .ptr(ptrData, "window")
            .editorCall()
            .switchesResources(),
        OpCodeRow(effEditClose, "EditClose").editorCall(),
        OpCodeRow(effEditDraw, "EditDraw").ptr(ptrRect, "rect").editorCall().switchesResources(),
        OpCodeRow(effEditMouse, "EditMouse")
            .returns("long")
            .index("x")
            .value("y")
            .editorCall()
            .switchesResources(),
        OpCodeRow(effEditKey, "EditKey")
            .returns("long")
            .value("keyCode")
            .editorCall()
            .switchesResources(),
        OpCodeRow(effEditIdle, "EditIdle").editorCall(),
        OpCodeRow(effEditTop, "EditTop").editorCall().switchesResources(),
        OpCodeRow(effEditSleep, "EditSleep").editorCall(),
        // Replays have never compared its answer, and recordings made so far rely on that.
        OpCodeRow(effIdentify, "Identify").returns("CCONST").resultIsAddress(),
        OpCodeRow(effGetChunk, "GetChunk")
            .returns("dataSize")
            .index("isPreset")
            .ptr(ptrChunk, "data")
            .carriesOut(Carried::chunkOut),
        OpCodeRow(effSetChunk, "SetChunk")
            .returns("long")
            .index("isPreset")
            .value("byteSize")
            .ptr(ptrData, "data")
            .carriesIn(Carried::chunkIn),
        OpCodeRow(effProcessEvents, "ProcessEvents")
            .returns("long")
            .ptr(ptrEvents, "events")
            .carriesIn(Carried::events),
        OpCodeRow(effCanBeAutomated, "CanBeAutomated").returns("bool").index("parameter"),
        OpCodeRow(effString2Parameter, "String2Parameter")
            .returns("bool")
            .index("parameter")
            .ptr(ptrString, "text"),
        OpCodeRow(effGetNumProgramCategories, "GetNumProgramCategories").returns("categories"),
        OpCodeRow(effGetProgramNameIndexed, "GetProgramNameIndexed")
            .returns("bool")
            .index("index")
            .value("category")
            .ptrReturned(ptrString, "text"),
        OpCodeRow(effCopyProgram, "CopyProgram").returns("bool").index("destination"),
        OpCodeRow(effConnectInput, "ConnectInput").index("index").value("state"),
        OpCodeRow(effConnectOutput, "ConnectOutput").index("index").value("state"),
        OpCodeRow(effGetInputProperties, "GetInputProperties")
            .returns("bool")
            .index("index")
            .ptr(ptrPinProperties, "properties")
            .carriesOut(Carried::pinProperties),
        OpCodeRow(effGetOutputProperties, "GetOutputProperties")
            .returns("bool")
            .index("index")
            .ptr(ptrPinProperties, "properties")
            .carriesOut(Carried::pinProperties),
        OpCodeRow(effGetPlugCategory, "GetPlugCategory").returns("category"),
        OpCodeRow(effGetCurrentPosition, "GetCurrentPosition").returns("long"),
        OpCodeRow(effGetDestinationBuffer, "GetDestinationBuffer")
            .returns("float*")
            .resultIsAddress(),
        OpCodeRow(effOfflineNotify, "OfflineNotify")
            .returns("bool")
            .index("start")
            .value("numAudioFiles")
            .ptr(ptrAudioFiles, "audioFiles"),
        OpCodeRow(effOfflinePrepare, "OfflinePrepare")
            .returns("bool")
            .value("count")
            .ptr(ptrOfflineTask, "offline"),
        OpCodeRow(effOfflineRun, "OfflineRun")
            .returns("bool")
            .value("count")
            .ptr(ptrOfflineTask, "offline"),
        OpCodeRow(effProcessVarIo, "ProcessVarIo").returns("bool").ptr(ptrVariableIo, "varIo"),
        OpCodeRow(effSetSpeakerArrangement, "SetSpeakerArrangement")
            .returns("bool")
            .value("pluginInput")
            .ptr(ptrSpeakerArrangement, "pluginOutput")
            .carriesIn(Carried::arrangements),
        OpCodeRow(effSetBlockSizeAndSampleRate, "SetBlockSizeAndSampleRate")
            .value("blockSize")
            .opt("sampleRate"),
        OpCodeRow(effSetBypass, "SetBypass").returns("bool").value("onOff"),
        OpCodeRow(effGetEffectName, "GetEffectName").returns("bool").ptrReturned(ptrString, "name"),
        OpCodeRow(effGetErrorText, "GetErrorText").returns("bool").ptrReturned(ptrString, "text"),
        OpCodeRow(effGetVendorString, "GetVendorString")
            .returns("bool")
            .ptrReturned(ptrString, "text"),
        OpCodeRow(effGetProductString, "GetProductString")
            .returns("bool")
            .ptrReturned(ptrString, "text"),
        OpCodeRow(effGetVendorVersion, "GetVendorVersion").returns("version"),
        OpCodeRow(effVendorSpecific, "VendorSpecific")
            .returns("long")
            .index("lArg1")
            .value("lArg2")
            .ptr(ptrData, "prtArg")
            .opt("floatArg"),
        OpCodeRow(effCanDo, "CanDo").returns("long").ptr(ptrString, "text"),
        OpCodeRow(effGetTailSize, "GetTailSize").returns("long"),
        OpCodeRow(effIdle, "Idle").returns("long"),
        OpCodeRow(effGetIcon, "GetIcon").returns("void*").resultIsAddress(),
        OpCodeRow(effSetViewPosition, "SetViewPosition").returns("bool").index("x").value("y"),
        OpCodeRow(effGetParameterProperties, "GetParameterProperties")
            .returns("bool")
            .index("index")
            .ptr(ptrParameterProperties, "properties")
            .carriesOut(Carried::parameterProperties),
        OpCodeRow(effKeysRequired, "KeysRequired").returns("bool"),
        OpCodeRow(effGetVstVersion, "GetVstVersion").returns("version"),
        OpCodeRow(effEditKeyDown, "EditKeyDown")
            .returns("long")
            .index("character")
            .value("virt")
            .opt("modifier")
            .editorCall()
            .switchesResources(),
        OpCodeRow(effEditKeyUp, "EditKeyUp")
            .returns("long")
            .index("character")
            .value("virt")
            .opt("modifier")
            .editorCall()
            .switchesResources(),
        OpCodeRow(effSetEditKnobMode, "SetEditKnobMode").returns("long").value("value"),
        OpCodeRow(effGetMidiProgramName, "GetMidiProgramName")
            .returns("programIndexes")
            .index("MidiChannel")
            .ptr(ptrMidiProgramName, "program"),
        OpCodeRow(effGetCurrentMidiProgram, "GetCurrentMidiProgram")
            .returns("programIndex")
            .ptr(ptrMidiProgramName, "program"),
        OpCodeRow(effGetMidiProgramCategory, "GetMidiProgramCategory")
            .returns("categoryIndexes")
            .ptr(ptrMidiProgramCategory, "category"),
        OpCodeRow(effHasMidiProgramsChanged, "HasMidiProgramsChanged")
            .returns("bool")
            .index("MidiChannel"),
        OpCodeRow(effGetMidiKeyName, "GetMidiKeyName").returns("bool").ptr(ptrMidiKeyName, "key"),
        OpCodeRow(effBeginSetProgram, "BeginSetProgram").returns("bool"),
        OpCodeRow(effEndSetProgram, "EndSetProgram").returns("bool"),
        OpCodeRow(effGetSpeakerArrangement, "GetSpeakerArrangement")
            .returns("bool")
            .value("pluginInput")
            .ptr(ptrSpeakerArrangement, "pluginOutput")
            .carriesOut(Carried::arrangementsAt),
        OpCodeRow(effShellGetNextPlugin, "ShellGetNextPlugin")
            .returns("uniqueID")
            .ptrReturned(ptrString, "name"),
        OpCodeRow(effStartProcess, "StartProcess").returns("long"),
        OpCodeRow(effStopProcess, "StopProcess").returns("long"),
        OpCodeRow(effSetTotalSampleToProcess, "SetTotalSampleToProcess")
            .returns("long")
            .value("value"),
        OpCodeRow(effSetPanLaw, "SetPanLaw").returns("bool").value("type").opt("gain"),
        OpCodeRow(effBeginLoadBank, "BeginLoadBank")
            .returns("long")
            .ptr(ptrPatchChunkInfo, "patchChunkInfo"),
        OpCodeRow(effBeginLoadProgram, "BeginLoadProgram")
            .returns("long")
            .ptr(ptrPatchChunkInfo, "patchChunkInfo"),
    },
    {
        // The audioMaster's opcodes.
        OpCodeRow(audioMasterAutomate, "Automate").index("index").opt("value"),
        OpCodeRow(audioMasterVersion, "Version").returns("version"),
        OpCodeRow(audioMasterCurrentId, "CurrentId").returns("Unique ID"),
        OpCodeRow(audioMasterIdle, "Idle"),
        OpCodeRow(audioMasterPinConnected, "PinConnected")
            .returns("connected")
            .index("pin index")
            .value("isOutput"),
        // No call of its own, yet it is counted, switched and saved like the others.
        OpCodeRow(audioMasterThereIsNoSuchOpCode, "ThereIsNoSuchOpCode"),
        OpCodeRow(audioMasterWantMidi, "WantMidi").value("filter"),
        OpCodeRow(audioMasterGetTime, "GetTime")
            .returns("TimeInfo")
            .value("filter")
            .carriesOut(Carried::timeInfo),
        OpCodeRow(audioMasterProcessEvents, "ProcessEvents")
            .returns("bool")
            .ptr(ptrEvents, "events")
            .carriesIn(Carried::events),
        OpCodeRow(audioMasterSetTime, "SetTime").value("filter").ptr(ptrTimeInfo, "TimeInfo"),
        OpCodeRow(audioMasterTempoAt, "TempoAt").returns("tempo").value("pos"),
        OpCodeRow(audioMasterGetNumAutomatableParameters, "GetNumAutomatableParameters")
            .returns("long"),
        OpCodeRow(audioMasterGetParameterQuantization, "GetParameterQuantization")
            .returns("long")
            .value("index"),
        OpCodeRow(audioMasterIOChanged, "IOChanged").returns("bool"),
        OpCodeRow(audioMasterNeedIdle, "NeedIdle").returns("bool"),
        OpCodeRow(audioMasterSizeWindow, "SizeWindow")
            .returns("bool")
            .index("width")
            .value("height"),
        OpCodeRow(audioMasterGetSampleRate, "GetSampleRate").returns("sampleRate"),
        OpCodeRow(audioMasterGetBlockSize, "GetBlockSize").returns("blockSize"),
        OpCodeRow(audioMasterGetInputLatency, "GetInputLatency").returns("latency"),
        OpCodeRow(audioMasterGetOutputLatency, "GetOutputLatency").returns("latency"),
        OpCodeRow(audioMasterGetPreviousPlug, "GetPreviousPlug")
            .returns("effect")
            .value("inpuPin")
            .resultIsAddress(),
        OpCodeRow(audioMasterGetNextPlug, "GetNextPlug")
            .returns("effect")
            .value("outputPin")
            .resultIsAddress(),
        OpCodeRow(audioMasterWillReplaceOrAccumulate, "WillReplaceOrAccumulate").returns("long"),
        OpCodeRow(audioMasterGetCurrentProcessLevel, "GetCurrentProcessLevel")
            .returns("long")
            .carriesOut(Carried::processLevel),
        OpCodeRow(audioMasterGetAutomationState, "GetAutomationState").returns("long"),
        OpCodeRow(audioMasterOfflineStart, "OfflineStart")
            .returns("bool")
            .index("numNewAudioFiles")
            .value("numAudioFiles")
            .ptr(ptrAudioFiles, "audioFiles"),
        OpCodeRow(audioMasterOfflineRead, "OfflineRead")
            .returns("bool")
            .index("readSource")
            .value("option")
            .ptr(ptrOfflineTask, "offline"),
        OpCodeRow(audioMasterOfflineWrite, "OfflineWrite")
            .returns("bool")
            .value("option")
            .ptr(ptrOfflineTask, "offline"),
        OpCodeRow(audioMasterOfflineGetCurrentPass, "OfflineGetCurrentPass").returns("long"),
        OpCodeRow(audioMasterOfflineGetCurrentMetaPass, "OfflineGetCurrentMetaPass")
            .returns("long"),
        OpCodeRow(audioMasterSetOutputSampleRate, "SetOutputSampleRate").opt("sampleRate"),
        OpCodeRow(audioMasterGetSpeakerArrangement, "GetSpeakerArrangement"),
        OpCodeRow(audioMasterGetVendorString, "GetVendorString")
            .returns("bool")
            .ptrReturned(ptrString, "bool"),
        OpCodeRow(audioMasterGetProductString, "GetProductString")
            .returns("bool")
            .ptrReturned(ptrString, "bool"),
        OpCodeRow(audioMasterGetVendorVersion, "GetVendorVersion").returns("version"),
        OpCodeRow(audioMasterVendorSpecific, "VendorSpecific")
            .returns("long")
            .index("lArg1")
            .value("lArg2")
            .ptr(ptrData, "prtArg")
            .opt("floatArg"),
        OpCodeRow(audioMasterSetIcon, "SetIcon").ptr(ptrData, "icon"),
        OpCodeRow(audioMasterCanDo, "CanDo").returns("long").ptr(ptrString, "bool"),
        OpCodeRow(audioMasterGetLanguage, "GetLanguage")
            .returns("language")
            .carriesOut(Carried::language),
        OpCodeRow(audioMasterOpenWindow, "OpenWindow").returns("bool").ptr(ptrWindow, "window"),
        OpCodeRow(audioMasterCloseWindow, "CloseWindow").returns("bool").ptr(ptrWindow, "window"),
        OpCodeRow(audioMasterGetDirectory, "GetDirectory")
            .returns("plugDir")
            .carriesOut(Carried::directoryText),
        OpCodeRow(audioMasterUpdateDisplay, "UpdateDisplay").returns("bool"),
        OpCodeRow(audioMasterBeginEdit, "BeginEdit").returns("bool").index("index"),
        OpCodeRow(audioMasterEndEdit, "EndEdit").returns("bool").index("index"),
        OpCodeRow(audioMasterOpenFileSelector, "OpenFileSelector")
            .returns("bool")
            .ptr(ptrFileSelect, "VstFileSelect*"),
        OpCodeRow(audioMasterCloseFileSelector, "CloseFileSelector")
            .returns("bool")
            .ptr(ptrFileSelect, "VstFileSelect*"),
        OpCodeRow(audioMasterEditFile, "EditFile").ptr(ptrString, "xml"),
        OpCodeRow(audioMasterGetChunkFile, "GetChunkFile")
            .returns("bool")
            .ptr(ptrData, "nativePath"),
        OpCodeRow(audioMasterGetInputSpeakerArrangement, "GetInputSpeakerArrangement")
            .returns("speakerArrangement")
            .resultIsAddress(),
    },
};

// The names the rest of the code reads the table by.
inline constexpr const auto& vstFunctionNames = vstOpCodeTable.functions;
inline constexpr const auto& effOpCodes = vstOpCodeTable.dispatcher;
inline constexpr const auto& audioMasterOpCodes = vstOpCodeTable.audioMaster;

// The row of an opcode, or null outside both tables.
constexpr const VstOpCodeInfo* opCodeInfo(VstFunctionIndex function, long opCode) noexcept
{
    if (function == fnDispatcher && opCode >= 0 && opCode < kNumDispatcherOpCodes)
        return &effOpCodes[opCode];
    if (function == fnAudioMaster && opCode >= 0 && opCode < kNumAudioMasterOpCodes)
        return &audioMasterOpCodes[opCode];
    return nullptr;
}

constexpr Carried carriedIn(VstFunctionIndex function, long opCode) noexcept
{
    const VstOpCodeInfo* info = opCodeInfo(function, opCode);
    return info != nullptr ? info->carriedIn : Carried::nothing;
}

constexpr Carried carriedOut(VstFunctionIndex function, long opCode) noexcept
{
    const VstOpCodeInfo* info = opCodeInfo(function, opCode);
    return info != nullptr ? info->carriedOut : Carried::nothing;
}

constexpr bool isEditorCall(long opCode) noexcept
{
    const VstOpCodeInfo* info = opCodeInfo(fnDispatcher, opCode);
    return info != nullptr && info->editorCall;
}

namespace opCodeTableChecks
{
template <size_t N> constexpr bool rowsInPlace(const VstOpCodeInfo (&rows)[N]) noexcept
{
    for (size_t i = 0; i < N; ++i)
        if (rows[i].opCode != static_cast<int32_t>(i) || rows[i].name == nullptr)
            return false;
    return true;
}

constexpr bool sameText(const char* a, const char* b) noexcept
{
    while (*a != '\0' && *a == *b)
        ++a, ++b;
    return *a == *b;
}

template <size_t N> constexpr bool namesDiffer(const VstOpCodeInfo (&rows)[N]) noexcept
{
    for (size_t i = 0; i < N; ++i)
        for (size_t j = i + 1; j < N; ++j)
            if (sameText(rows[i].name, rows[j].name))
                return false;
    return true;
}

// A pointer is printed under a label exactly when it has a kind; only texts and the editor
// rectangle come back through ptr; only editor calls switch resources, and only the dispatcher has
// editor calls.
template <size_t N>
constexpr bool rowsAgree(const VstOpCodeInfo (&rows)[N], bool editorCallsKnown) noexcept
{
    for (const VstOpCodeInfo& info : rows)
    {
        if ((info.ptrKind == ptrNone) != (info.ptrLabel == nullptr))
            return false;
        if (info.ptrIsReturned && info.ptrKind != ptrString && info.ptrKind != ptrRectOut)
            return false;
        if (info.switchesResources && !info.editorCall)
            return false;
        if (info.editorCall && !editorCallsKnown)
            return false;
    }
    return true;
}

static_assert(rowsInPlace(effOpCodes) && rowsInPlace(audioMasterOpCodes));
static_assert(namesDiffer(effOpCodes) && namesDiffer(audioMasterOpCodes));
static_assert(rowsAgree(effOpCodes, true) && rowsAgree(audioMasterOpCodes, false));
static_assert(vstFunctionNames[kNumVstFunctions - 1] != nullptr);
} // namespace opCodeTableChecks

// The resource-switching opcodes as one word, so that the dispatcher path tests a bit instead of
// reading the table (an opcode past 63 would not compile here).
inline constexpr uint64_t kResourceSwitchingOpCodes = []
{
    uint64_t bits = 0;
    for (const VstOpCodeInfo& info : effOpCodes)
        if (info.switchesResources)
            bits |= uint64_t{1} << info.opCode;
    return bits;
}();

// Editor calls that must run with the hosted plug-in's resources current.
constexpr bool dispatcherSwitchesResources(int32_t opCode) noexcept
{
    return static_cast<uint32_t>(opCode) < 64 && ((kResourceSwitchingOpCodes >> opCode) & 1) != 0;
}
