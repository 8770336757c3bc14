// What the opcode table says about one opcode, and how a row of it is written.
#pragma once

#include "vst/VstInterface.h"

#include <cstdint>

constexpr int kNumVstFunctions = fnProcessDoubleReplacing + 1;
constexpr int kNumDispatcherOpCodes = effBeginLoadProgram + 1;
constexpr int kNumAudioMasterOpCodes = audioMasterGetInputSpeakerArrangement + 1;

// What ptr points to. Only texts and the returned editor rectangle change how a line prints it;
// every other kind prints the pointer.
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

// Which structure a call carries in and which its return carries out, beyond texts (ptrKind says
// those): the decoders show it, the recorder keeps it and the replay hands it back.
enum class Carried : uint8_t
{
    nothing,
    chunkIn,        // effSetChunk: value bytes at ptr
    chunkOut,       // effGetChunk: result bytes at the pointer stored at ptr
    events,         // a VstEvents list at ptr
    arrangements,   // effSetSpeakerArrangement: input at value, output at ptr
    arrangementsAt, // effGetSpeakerArrangement: pointers to them stored at value and ptr
    pinProperties,  // at ptr
    parameterProperties,
    rectangle,     // effEditGetRect: an ERect pointer stored at ptr
    timeInfo,      // audioMasterGetTime: a VstTimeInfo at result
    directoryText, // audioMasterGetDirectory: a text at result
    processLevel,  // the result names a value
    language,
};

// One opcode. The first eight fields are what its call line and return line print; a null label
// prints nothing.
struct VstOpCodeInfo
{
    const char* name; // without the "eff" or "audioMaster" in front
    const char* returnLabel;
    const char* indexLabel;
    const char* valueLabel;
    bool ptrIsReturned; // the callee fills in what ptr points to: printed on the return line
    VstPtrKind ptrKind;
    const char* ptrLabel;
    const char* optLabel;
    int32_t opCode; // its named constant, held to the row's position
    Carried carriedIn;
    Carried carriedOut;
    bool editorCall;        // about the plug-in's editor: a replay skips it
    bool switchesResources; // made with the hosted plug-in's resources current
    bool resultIsAddress;   // a replay neither compares it nor hands it on
};

// Builds a row naming only what the opcode has.
class OpCodeRow
{
    // Defined before the builders that use it: clang evaluates them as soon as they are seen.
    template <typename Field>
    constexpr OpCodeRow with(Field VstOpCodeInfo::*field, Field fieldValue) const noexcept
    {
        OpCodeRow row = *this;
        row.info.*field = fieldValue;
        return row;
    }

public:
    constexpr OpCodeRow(int32_t opCode, const char* name) noexcept
        : info{name,    nullptr, nullptr,          nullptr,          false, ptrNone, nullptr,
               nullptr, opCode,  Carried::nothing, Carried::nothing, false, false,   false}
    {
    }
    constexpr OpCodeRow returns(const char* label) const noexcept
    {
        return with(&VstOpCodeInfo::returnLabel, label);
    }
    constexpr OpCodeRow index(const char* label) const noexcept
    {
        return with(&VstOpCodeInfo::indexLabel, label);
    }
    constexpr OpCodeRow value(const char* label) const noexcept
    {
        return with(&VstOpCodeInfo::valueLabel, label);
    }
    constexpr OpCodeRow opt(const char* label) const noexcept
    {
        return with(&VstOpCodeInfo::optLabel, label);
    }
    constexpr OpCodeRow ptr(VstPtrKind kind, const char* label) const noexcept
    {
        return with(&VstOpCodeInfo::ptrKind, kind).with(&VstOpCodeInfo::ptrLabel, label);
    }
    constexpr OpCodeRow ptrReturned(VstPtrKind kind, const char* label) const noexcept
    {
        return ptr(kind, label).with(&VstOpCodeInfo::ptrIsReturned, true);
    }
    constexpr OpCodeRow carriesIn(Carried carried) const noexcept
    {
        return with(&VstOpCodeInfo::carriedIn, carried);
    }
    constexpr OpCodeRow carriesOut(Carried carried) const noexcept
    {
        return with(&VstOpCodeInfo::carriedOut, carried);
    }
    constexpr OpCodeRow editorCall() const noexcept
    {
        return with(&VstOpCodeInfo::editorCall, true);
    }
    constexpr OpCodeRow switchesResources() const noexcept
    {
        return with(&VstOpCodeInfo::switchesResources, true);
    }
    constexpr OpCodeRow resultIsAddress() const noexcept
    {
        return with(&VstOpCodeInfo::resultIsAddress, true);
    }
    constexpr operator VstOpCodeInfo() const noexcept { return info; }

private:
    VstOpCodeInfo info;
};
