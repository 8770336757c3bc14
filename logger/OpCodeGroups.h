// The three opcode groups in one table: size, name, catalogue, and how a call of the group is
// reported. Names, range checks, the settings file and both call directions read it; nothing
// else describes the groups. The counters and switches belong to each logger (OXLogger::logInfo).
#pragma once

#include "vst/OpCodeTable.h"

struct OpCodeGroupInfo
{
    int numOpCodes;
    const char* groupName; // also the element name in the settings file
    // Dispatcher and audioMaster opcodes have catalogue entries; the record's functions only
    // have names.
    const VstOpCodeInfo* catalogue;
    const char* const* names;
    const char* prefix; // in front of the name in call and return lines
    // The function that carries every call of the group and gates its lines; unused in the
    // functions' own row.
    VstFunctionIndex function;
    bool rectangleKnown; // only dispatcher returns print the editor rectangle

    // Unsigned, so that negative opcodes are out of range too.
    constexpr bool contains(long opCode) const noexcept
    {
        return static_cast<unsigned long>(opCode) < static_cast<unsigned long>(numOpCodes);
    }
    // For opcodes the group contains.
    constexpr const char* name(long opCode) const noexcept
    {
        return catalogue != nullptr ? catalogue[opCode].name : names[opCode];
    }
};

constexpr int kNumOpCodeGroups = 3;

// Indexed by OXLogger::vstOpCodeGroup. Every walk over all groups goes through this table, in
// this order.
inline constexpr OpCodeGroupInfo OpCodeGroupsInfo[kNumOpCodeGroups] = {
    {kNumVstFunctions, "vstAEffectFunctions", nullptr, vstFunctionNames, "", fnDispatcher, false},
    {kNumDispatcherOpCodes, "vstDispatcherOpCodes", effOpCodes, nullptr, "eff", fnDispatcher, true},
    {kNumAudioMasterOpCodes, "vstAudioMasterOpCodes", audioMasterOpCodes, nullptr, "audioMaster",
     fnAudioMaster, false},
};
