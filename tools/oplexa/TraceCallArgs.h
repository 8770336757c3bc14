// A call's event: its name and its args (index, value, opt, result), as `oplexa print` shows them.
#pragma once

#include "tools/oplexa/TraceJson.h"

#include <cstdint>
#include <string>
#include <vector>

namespace oplexa
{
// What a call's event needs of the call while it waits for its return.
struct PendingCall
{
    uint64_t beginNs;
    uint64_t number; // as `oplexa print` numbers it
    int64_t value;
    uint64_t budgetNs; // of a process call at a known sample rate; else 0
    uint64_t inside;   // of an audioMaster call: the host call it was made in; else 0
    int32_t index;
    int32_t opcode;
    float opt;
    uint8_t function;
};

// The result of a return, as its record holds it.
struct CallResult
{
    int64_t result;
    float floatResult;
};

// The function's or opcode's name as `oplexa print` and the replay give it, made once per name.
class CallNames
{
public:
    const std::string& of(uint8_t function, int32_t opcode);

private:
    std::vector<std::string> dispatcher;
    std::vector<std::string> audioMaster;
    std::vector<std::string> functions;
    std::string other;
};

// The args of a complete event; result is null for a call that never returned.
void writeCallArgs(TraceJson& json, const PendingCall& call, const CallResult* result);
} // namespace oplexa
