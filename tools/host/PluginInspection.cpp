#include "tools/host/PluginInspection.h"

#include "tools/host/Fnv.h"
#include "tools/host/HostLog.h"
#include "tools/host/HostOpcodes.h"
#include "tools/host/TextBuffer.h"

#include <algorithm>
#include <string>
#include <vector>

namespace host
{
namespace
{
constexpr VstIntPtr kMaxChunkBytes = 256 * 1024 * 1024;

std::string fourCharCode(int32_t id)
{
    std::string code;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const auto c = static_cast<char>((static_cast<uint32_t>(id) >> shift) & 0xff);
        code += (c >= 0x20 && c < 0x7f) ? c : '.';
    }
    return code;
}

std::string hexBytes(const unsigned char* bytes, size_t count)
{
    std::string hex;
    char pair[3];
    for (size_t i = 0; i < count; ++i)
    {
        std::snprintf(pair, sizeof(pair), "%02x", bytes[i]);
        hex += pair;
    }
    return hex;
}

std::string paramText(PluginCaller& plugin, TextBuffer& text, int32_t opcode, int32_t index)
{
    plugin.dispatch(opcode, index, 0, text.clear());
    return text.quotedText();
}
} // namespace

int usableCount(int32_t count, int limit, const char* what)
{
    if (count < 0 || count > limit)
    {
        hostLog().problem("warning: the record's %s is %d; not walked", what, count);
        return 0;
    }
    return count;
}

void reportRecord(SessionReport& report, const AEffect& record, const char* when)
{
    report.line("record %s: magic=0x%08x numPrograms=%d numParams=%d numInputs=%d numOutputs=%d "
                "flags=0x%x initialDelay=%d realQualities=%d offQualities=%d ioRatio=%.9g "
                "uniqueID=0x%08x '%s' version=%d",
                when, static_cast<uint32_t>(record.magic), record.numPrograms, record.numParams,
                record.numInputs, record.numOutputs, static_cast<uint32_t>(record.flags),
                record.initialDelay, record.realQualities, record.offQualities,
                static_cast<double>(record.ioRatio), static_cast<uint32_t>(record.uniqueID),
                fourCharCode(record.uniqueID).c_str(), record.version);
    report.line("record %s: dispatcher=%s process=%s processReplacing=%s setParameter=%s "
                "getParameter=%s",
                when, record.dispatcher ? "set" : "null", record.process ? "set" : "null",
                record.processReplacing ? "set" : "null", record.setParameter ? "set" : "null",
                record.getParameter ? "set" : "null");
}

void reportNames(PluginCaller& plugin, SessionReport& report)
{
    TextBuffer text;
    const struct
    {
        int32_t opcode;
        const char* key;
    } names[] = {{effGetEffectName, "effectName"},
                 {effGetVendorString, "vendor"},
                 {effGetProductString, "product"}};
    for (const auto& name : names)
    {
        const VstIntPtr result = plugin.dispatch(name.opcode, 0, 0, text.clear());
        report.line("%s: %s (result %ld)", name.key, text.quotedText().c_str(),
                    static_cast<long>(result));
    }
    report.line("vendorVersion: %ld", static_cast<long>(plugin.dispatch(effGetVendorVersion)));
    report.line("vstVersion: %ld", static_cast<long>(plugin.dispatch(effGetVstVersion)));
    report.line("plugCategory: %ld", static_cast<long>(plugin.dispatch(effGetPlugCategory)));
    report.line("tailSize: %ld", static_cast<long>(plugin.dispatch(effGetTailSize)));

    static const char* const kCanDos[] = {"receiveVstEvents",
                                          "receiveVstMidiEvent",
                                          "receiveVstTimeInfo",
                                          "sendVstEvents",
                                          "sendVstMidiEvent",
                                          "offline",
                                          "bypass",
                                          "midiProgramNames",
                                          "plugAsChannelInsert",
                                          "plugAsSend",
                                          "1in1out",
                                          "2in2out"};
    for (const char* what : kCanDos)
    {
        std::string copy = what; // plug-ins get a writable copy, as from a real host
        report.line("canDo %s: %ld", what,
                    static_cast<long>(plugin.dispatch(effCanDo, 0, 0, copy.data())));
    }
}

void reportPrograms(PluginCaller& plugin, SessionReport& report, int programs)
{
    TextBuffer text;
    const VstIntPtr original = plugin.dispatch(effGetProgram);
    report.line("program: %ld", static_cast<long>(original));
    for (int32_t i = 0; i < programs; ++i)
    {
        const VstIntPtr result = plugin.dispatch(effGetProgramNameIndexed, i, -1, text.clear());
        report.line("program %d indexed name: %s (result %ld)", i, text.quotedText().c_str(),
                    static_cast<long>(result));
    }
    for (int32_t i = 0; i < programs; ++i)
    {
        plugin.dispatch(effSetProgram, 0, i);
        const VstIntPtr current = plugin.dispatch(effGetProgram);
        plugin.dispatch(effGetProgramName, 0, 0, text.clear());
        report.line("program %d selected: getProgram=%ld name=%s", i, static_cast<long>(current),
                    text.quotedText().c_str());
    }
    if (programs > 0 && original >= 0 && original < programs)
        plugin.dispatch(effSetProgram, 0, original);
}

void reportParameters(PluginCaller& plugin, SessionReport& report, int params)
{
    TextBuffer text;
    for (int32_t i = 0; i < params; ++i)
    {
        const std::string name = paramText(plugin, text, effGetParamName, i);
        const std::string label = paramText(plugin, text, effGetParamLabel, i);
        const std::string display = paramText(plugin, text, effGetParamDisplay, i);
        const float value = plugin.getParameter(i);
        const VstIntPtr automatable = plugin.dispatch(effCanBeAutomated, i);
        report.line("param %d: name=%s label=%s display=%s value=%.9g automatable=%ld", i,
                    name.c_str(), label.c_str(), display.c_str(), static_cast<double>(value),
                    static_cast<long>(automatable));
    }
}

void exerciseParameters(PluginCaller& plugin, SessionReport& report, int params)
{
    TextBuffer text;
    for (int32_t i = 0; i < params; ++i)
    {
        const float original = plugin.getParameter(i);
        for (const float value : {0.0f, 0.25f, 0.5f, 1.0f})
        {
            plugin.setParameter(i, value);
            const float readBack = plugin.getParameter(i);
            const std::string display = paramText(plugin, text, effGetParamDisplay, i);
            report.line("param %d set %.9g: value=%.9g display=%s", i, static_cast<double>(value),
                        static_cast<double>(readBack), display.c_str());
        }
        plugin.setParameter(i, original);
        report.line("param %d restored: value=%.9g", i,
                    static_cast<double>(plugin.getParameter(i)));
    }
}

void exerciseChunk(PluginCaller& plugin, SessionReport& report)
{
    void* data = nullptr;
    const VstIntPtr size = plugin.dispatch(effGetChunk, 0, 0, &data);
    if (data == nullptr || size <= 0 || size > kMaxChunkBytes)
    {
        report.line("chunk: unusable (size %ld, data %s)", static_cast<long>(size),
                    data == nullptr ? "null" : "set");
        if (data != nullptr || size != 0)
            hostLog().problem("warning: GetChunk answered size %ld with data %p; not used",
                              static_cast<long>(size), data);
        return;
    }
    // SetChunk may free the plug-in's own chunk memory, so it gets a copy.
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::vector<unsigned char> copy(bytes, bytes + size);
    report.line("chunk: bytes=%ld fnv1a=%016llx head=%s", static_cast<long>(size),
                static_cast<unsigned long long>(fnv1a(copy.data(), copy.size())),
                hexBytes(copy.data(), std::min<size_t>(copy.size(), 16)).c_str());
    const VstIntPtr result = plugin.dispatch(effSetChunk, 0, size, copy.data());
    report.line("setChunk: %ld", static_cast<long>(result));
}
} // namespace host
