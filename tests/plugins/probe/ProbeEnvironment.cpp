// The OPLEXA_PROBE_* variables, for runs where no test shares the probe's process.
#include "tests/plugins/probe/ProbeState.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace probe
{
namespace
{
bool parseNumber(const std::string& text, long long& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(text.c_str(), &end, 0);
    return errno == 0 && end != nullptr && *end == '\0';
}

void readNumberVariable(const char* name, int32_t& field)
{
    long long value = 0;
    if (const char* text = std::getenv(name); text != nullptr && parseNumber(text, value))
        field = static_cast<int32_t>(value);
}

int32_t parseWhen(const std::string& text, bool& ok)
{
    ok = true;
    if (text == "entry")
        return kProbeAtEntry;
    if (text == "process")
        return kProbeInProcess;
    if (text == "setParameter")
        return kProbeInSetParameter;
    long long opcode = 0;
    ok = parseNumber(text, opcode) && opcode >= 0 && opcode <= kProbeMaxOpcode;
    return static_cast<int32_t>(opcode);
}

// WHEN:OPCODE[,INDEX[,VALUE[,OPT]]][#BUFFERSIZE|=TEXT]
bool parseCall(const std::string& item, MasterCallRequest& request)
{
    const size_t colon = item.find(':');
    if (colon == std::string::npos)
        return false;
    bool ok = false;
    request.call = ProbeMasterCall{};
    request.call.when = parseWhen(item.substr(0, colon), ok);
    if (!ok)
        return false;
    std::string rest = item.substr(colon + 1);
    if (const size_t equals = rest.find('='); equals != std::string::npos)
    {
        request.text = rest.substr(equals + 1);
        request.hasText = true;
        rest.resize(equals);
    }
    else if (const size_t hash = rest.find('#'); hash != std::string::npos)
    {
        long long size = 0;
        if (!parseNumber(rest.substr(hash + 1), size) || size <= 0 || size > (1 << 20))
            return false;
        request.call.bufferSize = static_cast<int32_t>(size);
        rest.resize(hash);
    }
    long long numbers[3] = {0, 0, 0};
    float opt = 0.0f;
    size_t field = 0;
    size_t start = 0;
    while (start <= rest.size())
    {
        const size_t comma = std::min(rest.find(',', start), rest.size());
        const std::string piece = rest.substr(start, comma - start);
        if (field < 3)
        {
            if (!parseNumber(piece, numbers[field]))
                return false;
        }
        else if (field == 3)
            opt = std::strtof(piece.c_str(), nullptr);
        else
            return false;
        ++field;
        start = comma + 1;
    }
    request.call.opcode = static_cast<int32_t>(numbers[0]);
    request.call.index = static_cast<int32_t>(numbers[1]);
    request.call.value = static_cast<VstIntPtr>(numbers[2]);
    request.call.opt = opt;
    return true;
}

void readCalls(ProbeState& s)
{
    const char* text = std::getenv("OPLEXA_PROBE_CALLS");
    if (text == nullptr)
        return;
    const std::string all = text;
    size_t start = 0;
    while (start < all.size())
    {
        const size_t end = std::min(all.find(';', start), all.size());
        MasterCallRequest request;
        if (end > start && parseCall(all.substr(start, end - start), request) &&
            s.masterCalls.size() < kMaxMasterCalls)
            s.masterCalls.push_back(request);
        start = end + 1;
    }
}

void readRect(ProbeState& s)
{
    const char* text = std::getenv("OPLEXA_PROBE_RECT");
    if (text == nullptr)
        return;
    if (std::strcmp(text, "null") == 0)
    {
        s.nullRect = true;
        return;
    }
    int top = 0, left = 0, bottom = 0, right = 0;
    if (std::sscanf(text, "%d,%d,%d,%d", &top, &left, &bottom, &right) == 4)
        s.rect = ERect{static_cast<int16_t>(top), static_cast<int16_t>(left),
                       static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}
} // namespace

void readEnvironment()
{
    ProbeState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.environmentRead)
        return;
    s.environmentRead = true;

    if (const char* mode = std::getenv("OPLEXA_PROBE_MODE"))
    {
        if (std::strcmp(mode, "null") == 0)
            s.entryMode = kProbeEntryNull;
        else if (std::strcmp(mode, "badmagic") == 0)
            s.entryMode = kProbeEntryBadMagic;
        else if (std::strcmp(mode, "throw") == 0)
            s.entryMode = kProbeEntryThrow;
        else if (std::strcmp(mode, "throwown") == 0)
            s.entryMode = kProbeEntryThrowOwn;
        else
            s.entryMode = kProbeEntryNormal;
    }
    if (const char* path = std::getenv("OPLEXA_PROBE_REPORT"))
        s.reportPath = path;

    readNumberVariable("OPLEXA_PROBE_PROGRAMS", s.shape.numPrograms);
    readNumberVariable("OPLEXA_PROBE_PARAMS", s.shape.numParams);
    readNumberVariable("OPLEXA_PROBE_INPUTS", s.shape.numInputs);
    readNumberVariable("OPLEXA_PROBE_OUTPUTS", s.shape.numOutputs);
    readNumberVariable("OPLEXA_PROBE_FLAGS", s.shape.flags);
    readNumberVariable("OPLEXA_PROBE_UNIQUEID", s.shape.uniqueID);
    readNumberVariable("OPLEXA_PROBE_VERSION", s.shape.version);
    readNumberVariable("OPLEXA_PROBE_DELAY", s.shape.initialDelay);

    Misbehaviour& m = s.misbehaviour;
    readNumberVariable("OPLEXA_PROBE_PROCESS_SLEEP_MS", m.processSleepMs);
    readNumberVariable("OPLEXA_PROBE_CLOSE_SLEEP_MS", m.closeSleepMs);
    readNumberVariable("OPLEXA_PROBE_HANG_OPCODE", m.hangOpcode);
    readNumberVariable("OPLEXA_PROBE_CRASH_OPCODE", m.crashOpcode);
    readNumberVariable("OPLEXA_PROBE_UNWRITTEN_OUTPUT", m.unwrittenOutput);
    int32_t on = 0;
    readNumberVariable("OPLEXA_PROBE_WORKER", on);
    m.worker = on != 0;
    on = 0;
    readNumberVariable("OPLEXA_PROBE_ABORT_AFTER_CLOSE", on);
    m.abortAfterClose = on != 0;
    const char* crash = std::getenv("OPLEXA_PROBE_CRASH");
    m.crashWithAbort = crash != nullptr && std::strcmp(crash, "abort") == 0;
    m.crashWithThrow = crash != nullptr && std::strcmp(crash, "throw") == 0;

    readCalls(s);
    readRect(s);
    for (int opcode = 0; opcode <= kProbeMaxOpcode; ++opcode)
    {
        const std::string suffix = std::to_string(opcode);
        if (const char* text = std::getenv(("OPLEXA_PROBE_TEXT_" + suffix).c_str()))
            s.texts[static_cast<size_t>(opcode)] = std::string(text);
        long long result = 0;
        if (const char* text = std::getenv(("OPLEXA_PROBE_RESULT_" + suffix).c_str());
            text != nullptr && parseNumber(text, result))
            s.results[static_cast<size_t>(opcode)] = static_cast<VstIntPtr>(result);
    }
    on = 0;
    readNumberVariable("OPLEXA_PROBE_DOUBLE", on);
    s.alwaysDouble = on != 0;
    // Last: it changes the shape and the texts read above.
    if (const char* rule = std::getenv("OPLEXA_PROBE_BREAK");
        rule != nullptr && !readBreak(s, rule))
        std::fprintf(stderr, "probe: OPLEXA_PROBE_BREAK=%s names no rule the probe breaks\n", rule);
}
} // namespace probe
