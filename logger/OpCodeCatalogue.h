// Constant tables of every opcode Oplexa knows, indexed by opcode number.
#pragma once

#include <cstdint>

enum VstPtrKind : int8_t
{
    ptrNone,
    ptrString,
    ptrRect,
    ptrRectOut,
    ptrChunk,
    ptrData,
    ptrEvents,
    ptrPinProperties,
    ptrParameterProperties,
    ptrTimeInfo,
    ptrWindow,
    ptrFileSelect,
    ptrAudioFiles,
    ptrOfflineTask,
    ptrVariableIo,
    ptrSpeakerArrangement,
    ptrMidiProgramName,
    ptrMidiProgramCategory,
    ptrMidiKeyName,
    ptrPatchChunkInfo,
};

// What a call line and a return line print for one opcode; a null label prints nothing.
struct VstOpCodeInfo
{
    const char* name;
    const char* returnLabel;
    const char* indexLabel;
    const char* valueLabel;
    bool ptrIsReturned;
    VstPtrKind ptrKind;
    const char* ptrLabel;
    const char* optLabel;
};

constexpr int kNumVstFunctions = 7;
constexpr int kNumDispatcherOpCodes = 77;
constexpr int kNumAudioMasterOpCodes = 50;

// Group 0: which of the record's functions was called.
enum VstFunctionIndex : int
{
    fnDispatcher = 0,
    fnAudioMaster = 1,
    fnProcess = 2,
    fnProcessReplacing = 3,
    fnSetParameter = 4,
    fnGetParameter = 5,
    fnProcessDoubleReplacing = 6,
};
static_assert(fnProcessDoubleReplacing + 1 == kNumVstFunctions);

extern const char* const vstFunctionNames[kNumVstFunctions];
extern const VstOpCodeInfo effOpCodes[kNumDispatcherOpCodes];
extern const VstOpCodeInfo audioMasterOpCodes[kNumAudioMasterOpCodes];
