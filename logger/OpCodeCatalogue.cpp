#include "logger/OpCodeCatalogue.h"

#include "vst/VstInterface.h"

#include <cstddef>
#include <type_traits>

constexpr const char* vstFunctionNames[kNumVstFunctions] = {
    "dispatcher",
    "audioMaster",
    "process",
    "processReplacing",
    "setParameter",
    "getParameter",
    "processDoubleReplacing",
};

// name, returnLabel, indexLabel, valueLabel, ptrIsReturned, ptrKind, ptrLabel, optLabel
constexpr VstOpCodeInfo effOpCodes[kNumDispatcherOpCodes] = {
    {"Open", nullptr, nullptr, nullptr, false, ptrNone, nullptr, nullptr},                 // 0
    {"Close", nullptr, nullptr, nullptr, false, ptrNone, nullptr, nullptr},                // 1
    {"SetProgram", nullptr, nullptr, "program", false, ptrNone, nullptr, nullptr},         // 2
    {"GetProgram", "program", nullptr, nullptr, false, ptrNone, nullptr, nullptr},         // 3
    {"SetProgramName", nullptr, nullptr, nullptr, false, ptrString, "name", nullptr},      // 4
    {"GetProgramName", nullptr, nullptr, nullptr, true, ptrString, "name", nullptr},       // 5
    {"GetParamLabel", nullptr, "parameter", nullptr, true, ptrString, "label", nullptr},   // 6
    {"GetParamDisplay", nullptr, "parameter", nullptr, true, ptrString, "value", nullptr}, // 7
    {"GetParamName", nullptr, "parameter", nullptr, true, ptrString, "name", nullptr},     // 8
    {"GetVu", "level", nullptr, nullptr, false, ptrNone, nullptr, nullptr},                // 9
    {"SetSampleRate", nullptr, nullptr, nullptr, false, ptrNone, nullptr, "sampleRate"},   // 10
    {"SetBlockSize", nullptr, nullptr, "blockSize", false, ptrNone, nullptr, nullptr},     // 11
    {"MainsChanged", nullptr, nullptr, "state", false, ptrNone, nullptr, nullptr},         // 12
    {"EditGetRect", "long", nullptr, nullptr, true, ptrRectOut, "rect", nullptr},          // 13
    {"EditOpen", "long", nullptr, nullptr, false, ptrData, "window", nullptr},             // 14
    {"EditClose", nullptr, nullptr, nullptr, false, ptrNone, nullptr, nullptr},            // 15
    {"EditDraw", nullptr, nullptr, nullptr, false, ptrRect, "rect", nullptr},              // 16
    {"EditMouse", "long", "x", "y", false, ptrNone, nullptr, nullptr},                     // 17
    {"EditKey", "long", nullptr, "keyCode", false, ptrNone, nullptr, nullptr},             // 18
    {"EditIdle", nullptr, nullptr, nullptr, false, ptrNone, nullptr, nullptr},             // 19
    {"EditTop", nullptr, nullptr, nullptr, false, ptrNone, nullptr, nullptr},              // 20
    {"EditSleep", nullptr, nullptr, nullptr, false, ptrNone, nullptr, nullptr},            // 21
    {"Identify", "CCONST", nullptr, nullptr, false, ptrNone, nullptr, nullptr},            // 22
    {"GetChunk", "dataSize", "isPreset", nullptr, false, ptrChunk, "data", nullptr},       // 23
    {"SetChunk", "long", "isPreset", "byteSize", false, ptrData, "data", nullptr},         // 24
    {"ProcessEvents", "long", nullptr, nullptr, false, ptrEvents, "events", nullptr},      // 25
    {"CanBeAutomated", "bool", "parameter", nullptr, false, ptrNone, nullptr, nullptr},    // 26
    {"String2Parameter", "bool", "parameter", nullptr, false, ptrString, "text", nullptr}, // 27
    {"GetNumProgramCategories", "categories", nullptr, nullptr, false, ptrNone, nullptr,
     nullptr},                                                                                // 28
    {"GetProgramNameIndexed", "bool", "index", "category", true, ptrString, "text", nullptr}, // 29
    {"CopyProgram", "bool", "destination", nullptr, false, ptrNone, nullptr, nullptr},        // 30
    {"ConnectInput", nullptr, "index", "state", false, ptrNone, nullptr, nullptr},            // 31
    {"ConnectOutput", nullptr, "index", "state", false, ptrNone, nullptr, nullptr},           // 32
    {"GetInputProperties", "bool", "index", nullptr, false, ptrPinProperties, "properties",
     nullptr}, // 33
    {"GetOutputProperties", "bool", "index", nullptr, false, ptrPinProperties, "properties",
     nullptr},                                                                              // 34
    {"GetPlugCategory", "category", nullptr, nullptr, false, ptrNone, nullptr, nullptr},    // 35
    {"GetCurrentPosition", "long", nullptr, nullptr, false, ptrNone, nullptr, nullptr},     // 36
    {"GetDestinationBuffer", "float*", nullptr, nullptr, false, ptrNone, nullptr, nullptr}, // 37
    {"OfflineNotify", "bool", "start", "numAudioFiles", false, ptrAudioFiles, "audioFiles",
     nullptr},                                                                               // 38
    {"OfflinePrepare", "bool", nullptr, "count", false, ptrOfflineTask, "offline", nullptr}, // 39
    {"OfflineRun", "bool", nullptr, "count", false, ptrOfflineTask, "offline", nullptr},     // 40
    {"ProcessVarIo", "bool", nullptr, nullptr, false, ptrVariableIo, "varIo", nullptr},      // 41
    {"SetSpeakerArrangement", "bool", nullptr, "pluginInput", false, ptrSpeakerArrangement,
     "pluginOutput", nullptr}, // 42
    {"SetBlockSizeAndSampleRate", nullptr, nullptr, "blockSize", false, ptrNone, nullptr,
     "sampleRate"},                                                                      // 43
    {"SetBypass", "bool", nullptr, "onOff", false, ptrNone, nullptr, nullptr},           // 44
    {"GetEffectName", "bool", nullptr, nullptr, true, ptrString, "name", nullptr},       // 45
    {"GetErrorText", "bool", nullptr, nullptr, true, ptrString, "text", nullptr},        // 46
    {"GetVendorString", "bool", nullptr, nullptr, true, ptrString, "text", nullptr},     // 47
    {"GetProductString", "bool", nullptr, nullptr, true, ptrString, "text", nullptr},    // 48
    {"GetVendorVersion", "version", nullptr, nullptr, false, ptrNone, nullptr, nullptr}, // 49
    {"VendorSpecific", "long", "lArg1", "lArg2", false, ptrData, "prtArg", "floatArg"},  // 50
    {"CanDo", "long", nullptr, nullptr, false, ptrString, "text", nullptr},              // 51
    {"GetTailSize", "long", nullptr, nullptr, false, ptrNone, nullptr, nullptr},         // 52
    {"Idle", "long", nullptr, nullptr, false, ptrNone, nullptr, nullptr},                // 53
    {"GetIcon", "void*", nullptr, nullptr, false, ptrNone, nullptr, nullptr},            // 54
    {"SetViewPosition", "bool", "x", "y", false, ptrNone, nullptr, nullptr},             // 55
    {"GetParameterProperties", "bool", "index", nullptr, false, ptrParameterProperties,
     "properties", nullptr},                                                           // 56
    {"KeysRequired", "bool", nullptr, nullptr, false, ptrNone, nullptr, nullptr},      // 57
    {"GetVstVersion", "version", nullptr, nullptr, false, ptrNone, nullptr, nullptr},  // 58
    {"EditKeyDown", "long", "character", "virt", false, ptrNone, nullptr, "modifier"}, // 59
    {"EditKeyUp", "long", "character", "virt", false, ptrNone, nullptr, "modifier"},   // 60
    {"SetEditKnobMode", "long", nullptr, "value", false, ptrNone, nullptr, nullptr},   // 61
    {"GetMidiProgramName", "programIndexes", "MidiChannel", nullptr, false, ptrMidiProgramName,
     "program", nullptr}, // 62
    {"GetCurrentMidiProgram", "programIndex", nullptr, nullptr, false, ptrMidiProgramName,
     "program", nullptr}, // 63
    {"GetMidiProgramCategory", "categoryIndexes", nullptr, nullptr, false, ptrMidiProgramCategory,
     "category", nullptr}, // 64
    {"HasMidiProgramsChanged", "bool", "MidiChannel", nullptr, false, ptrNone, nullptr,
     nullptr},                                                                           // 65
    {"GetMidiKeyName", "bool", nullptr, nullptr, false, ptrMidiKeyName, "key", nullptr}, // 66
    {"BeginSetProgram", "bool", nullptr, nullptr, false, ptrNone, nullptr, nullptr},     // 67
    {"EndSetProgram", "bool", nullptr, nullptr, false, ptrNone, nullptr, nullptr},       // 68
    {"GetSpeakerArrangement", "bool", nullptr, "pluginInput", false, ptrSpeakerArrangement,
     "pluginOutput", nullptr},                                                               // 69
    {"ShellGetNextPlugin", "uniqueID", nullptr, nullptr, true, ptrString, "name", nullptr},  // 70
    {"StartProcess", "long", nullptr, nullptr, false, ptrNone, nullptr, nullptr},            // 71
    {"StopProcess", "long", nullptr, nullptr, false, ptrNone, nullptr, nullptr},             // 72
    {"SetTotalSampleToProcess", "long", nullptr, "value", false, ptrNone, nullptr, nullptr}, // 73
    {"SetPanLaw", "bool", nullptr, "type", false, ptrNone, nullptr, "gain"},                 // 74
    {"BeginLoadBank", "long", nullptr, nullptr, false, ptrPatchChunkInfo, "patchChunkInfo",
     nullptr}, // 75
    {"BeginLoadProgram", "long", nullptr, nullptr, false, ptrPatchChunkInfo, "patchChunkInfo",
     nullptr}, // 76
};

// Opcode 5 has no call of its own, yet it is counted, switched and saved like the others.
constexpr VstOpCodeInfo audioMasterOpCodes[kNumAudioMasterOpCodes] = {
    {"Automate", nullptr, "index", nullptr, false, ptrNone, nullptr, "value"},                // 0
    {"Version", "version", nullptr, nullptr, false, ptrNone, nullptr, nullptr},               // 1
    {"CurrentId", "Unique ID", nullptr, nullptr, false, ptrNone, nullptr, nullptr},           // 2
    {"Idle", nullptr, nullptr, nullptr, false, ptrNone, nullptr, nullptr},                    // 3
    {"PinConnected", "connected", "pin index", "isOutput", false, ptrNone, nullptr, nullptr}, // 4
    {"ThereIsNoSuchOpCode", nullptr, nullptr, nullptr, false, ptrNone, nullptr, nullptr},     // 5
    {"WantMidi", nullptr, nullptr, "filter", false, ptrNone, nullptr, nullptr},               // 6
    {"GetTime", "TimeInfo", nullptr, "filter", false, ptrNone, nullptr, nullptr},             // 7
    {"ProcessEvents", "bool", nullptr, nullptr, false, ptrEvents, "events", nullptr},         // 8
    {"SetTime", nullptr, nullptr, "filter", false, ptrTimeInfo, "TimeInfo", nullptr},         // 9
    {"TempoAt", "tempo", nullptr, "pos", false, ptrNone, nullptr, nullptr},                   // 10
    {"GetNumAutomatableParameters", "long", nullptr, nullptr, false, ptrNone, nullptr,
     nullptr},                                                                                // 11
    {"GetParameterQuantization", "long", nullptr, "index", false, ptrNone, nullptr, nullptr}, // 12
    {"IOChanged", "bool", nullptr, nullptr, false, ptrNone, nullptr, nullptr},                // 13
    {"NeedIdle", "bool", nullptr, nullptr, false, ptrNone, nullptr, nullptr},                 // 14
    {"SizeWindow", "bool", "width", "height", false, ptrNone, nullptr, nullptr},              // 15
    {"GetSampleRate", "sampleRate", nullptr, nullptr, false, ptrNone, nullptr, nullptr},      // 16
    {"GetBlockSize", "blockSize", nullptr, nullptr, false, ptrNone, nullptr, nullptr},        // 17
    {"GetInputLatency", "latency", nullptr, nullptr, false, ptrNone, nullptr, nullptr},       // 18
    {"GetOutputLatency", "latency", nullptr, nullptr, false, ptrNone, nullptr, nullptr},      // 19
    {"GetPreviousPlug", "effect", nullptr, "inpuPin", false, ptrNone, nullptr, nullptr},      // 20
    {"GetNextPlug", "effect", nullptr, "outputPin", false, ptrNone, nullptr, nullptr},        // 21
    {"WillReplaceOrAccumulate", "long", nullptr, nullptr, false, ptrNone, nullptr, nullptr},  // 22
    {"GetCurrentProcessLevel", "long", nullptr, nullptr, false, ptrNone, nullptr, nullptr},   // 23
    {"GetAutomationState", "long", nullptr, nullptr, false, ptrNone, nullptr, nullptr},       // 24
    {"OfflineStart", "bool", "numNewAudioFiles", "numAudioFiles", false, ptrAudioFiles,
     "audioFiles", nullptr}, // 25
    {"OfflineRead", "bool", "readSource", "option", false, ptrOfflineTask, "offline",
     nullptr},                                                                                 // 26
    {"OfflineWrite", "bool", nullptr, "option", false, ptrOfflineTask, "offline", nullptr},    // 27
    {"OfflineGetCurrentPass", "long", nullptr, nullptr, false, ptrNone, nullptr, nullptr},     // 28
    {"OfflineGetCurrentMetaPass", "long", nullptr, nullptr, false, ptrNone, nullptr, nullptr}, // 29
    {"SetOutputSampleRate", nullptr, nullptr, nullptr, false, ptrNone, nullptr, "sampleRate"}, // 30
    {"GetSpeakerArrangement", nullptr, nullptr, nullptr, false, ptrNone, nullptr, nullptr},    // 31
    {"GetVendorString", "bool", nullptr, nullptr, true, ptrString, "bool", nullptr},           // 32
    {"GetProductString", "bool", nullptr, nullptr, true, ptrString, "bool", nullptr},          // 33
    {"GetVendorVersion", "version", nullptr, nullptr, false, ptrNone, nullptr, nullptr},       // 34
    {"VendorSpecific", "long", "lArg1", "lArg2", false, ptrData, "prtArg", "floatArg"},        // 35
    {"SetIcon", nullptr, nullptr, nullptr, false, ptrData, "icon", nullptr},                   // 36
    {"CanDo", "long", nullptr, nullptr, false, ptrString, "bool", nullptr},                    // 37
    {"GetLanguage", "language", nullptr, nullptr, false, ptrNone, nullptr, nullptr},           // 38
    {"OpenWindow", "bool", nullptr, nullptr, false, ptrWindow, "window", nullptr},             // 39
    {"CloseWindow", "bool", nullptr, nullptr, false, ptrWindow, "window", nullptr},            // 40
    {"GetDirectory", "plugDir", nullptr, nullptr, false, ptrNone, nullptr, nullptr},           // 41
    {"UpdateDisplay", "bool", nullptr, nullptr, false, ptrNone, nullptr, nullptr},             // 42
    {"BeginEdit", "bool", "index", nullptr, false, ptrNone, nullptr, nullptr},                 // 43
    {"EndEdit", "bool", "index", nullptr, false, ptrNone, nullptr, nullptr},                   // 44
    {"OpenFileSelector", "bool", nullptr, nullptr, false, ptrFileSelect, "VstFileSelect*",
     nullptr}, // 45
    {"CloseFileSelector", "bool", nullptr, nullptr, false, ptrFileSelect, "VstFileSelect*",
     nullptr},                                                                         // 46
    {"EditFile", nullptr, nullptr, nullptr, false, ptrString, "xml", nullptr},         // 47
    {"GetChunkFile", "bool", nullptr, nullptr, false, ptrData, "nativePath", nullptr}, // 48
    {"GetInputSpeakerArrangement", "speakerArrangement", nullptr, nullptr, false, ptrNone, nullptr,
     nullptr}, // 49
};

namespace
{
// A table shorter than its count would be filled up with unnamed entries.
template <typename Entry, size_t N> constexpr bool everyEntryNamed(const Entry (&table)[N])
{
    for (const Entry& entry : table)
        if constexpr (std::is_pointer_v<Entry>)
        {
            if (entry == nullptr)
                return false;
        }
        else if (entry.name == nullptr)
            return false;
    return true;
}
} // namespace

static_assert(everyEntryNamed(vstFunctionNames));
static_assert(everyEntryNamed(effOpCodes));
static_assert(everyEntryNamed(audioMasterOpCodes));
static_assert(effStopProcess < kNumDispatcherOpCodes && effEditKeyUp < kNumDispatcherOpCodes);
static_assert(audioMasterEndEdit < kNumAudioMasterOpCodes);
