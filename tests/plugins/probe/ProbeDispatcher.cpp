#include "tests/plugins/probe/ProbeState.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace probe
{
namespace
{
constexpr VstIntPtr kMaxChunkBytes = 16 * 1024 * 1024;
constexpr char kChunkTag[8] = {'O', 'X', 'P', 'R', 'O', 'B', 'E', '1'};

bool takesText(int32_t opcode)
{
    return opcode == effSetProgramName || opcode == effString2Parameter || opcode == effCanDo;
}

int32_t paramCount()
{
    const int32_t count = state().record.numParams;
    return count < 0 ? 0 : (count > kMaxParams ? kMaxParams : count);
}

bool validParam(int32_t index)
{
    return index >= 0 && index < paramCount();
}

bool hasConfiguredText(int32_t opcode)
{
    ProbeState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return opcode >= 0 && opcode <= kProbeMaxOpcode && s.texts[static_cast<size_t>(opcode)];
}

// The configured text of a string opcode, or the probe's own.
std::string textFor(int32_t opcode, int32_t index)
{
    ProbeState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (opcode >= 0 && opcode <= kProbeMaxOpcode && s.texts[static_cast<size_t>(opcode)])
        return *s.texts[static_cast<size_t>(opcode)];
    switch (opcode)
    {
    case effGetProgramName:
        return s.programNames[static_cast<size_t>(s.currentProgram)];
    case effGetProgramNameIndexed:
        return s.programNames[static_cast<size_t>(index)];
    case effGetParamName:
        return index == 0 ? "Gain" : "Param " + std::to_string(index);
    case effGetParamLabel:
        return index == 0 ? "x" : "units";
    case effGetParamDisplay:
    {
        char display[32];
        std::snprintf(display, sizeof(display), "%.4f",
                      static_cast<double>(s.params[static_cast<size_t>(index)].load()));
        return display;
    }
    case effGetEffectName:
        return "Oplexa Probe";
    case effGetVendorString:
        return "Oplexa Tests";
    case effGetProductString:
        return "oplexa-probe";
    default:
        return "";
    }
}

// Writes the whole text, however long: how far a plug-in writes is what the tests probe.
VstIntPtr writeText(int32_t opcode, int32_t index, void* ptr, ProbeDispatchCall& call)
{
    if (ptr == nullptr)
        return 0;
    const std::string text = textFor(opcode, index);
    std::memcpy(ptr, text.c_str(), text.size() + 1);
    copyText(call.text, text.c_str());
    return 1;
}

VstIntPtr getChunk(void* ptr)
{
    ProbeState& s = state();
    if (ptr == nullptr)
        return 0;
    std::lock_guard<std::mutex> lock(s.mutex);
    s.chunkOut.assign(kChunkTag, kChunkTag + sizeof(kChunkTag));
    const int32_t params = paramCount();
    for (int32_t i = 0; i < params; ++i)
    {
        const float value = s.params[static_cast<size_t>(i)].load();
        const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
        s.chunkOut.insert(s.chunkOut.end(), bytes, bytes + sizeof(value));
    }
    *static_cast<void**>(ptr) = breakInGetChunk() ? nullptr : s.chunkOut.data();
    return static_cast<VstIntPtr>(s.chunkOut.size());
}

VstIntPtr setChunk(VstIntPtr size, void* ptr)
{
    ProbeState& s = state();
    if (ptr == nullptr || size <= 0 || size > kMaxChunkBytes)
        return 0;
    std::lock_guard<std::mutex> lock(s.mutex);
    const auto* bytes = static_cast<const unsigned char*>(ptr);
    s.chunkIn.assign(bytes, bytes + size);
    if (s.chunkIn.size() < sizeof(kChunkTag) ||
        std::memcmp(s.chunkIn.data(), kChunkTag, sizeof(kChunkTag)) != 0)
        return 0;
    const size_t values = (s.chunkIn.size() - sizeof(kChunkTag)) / sizeof(float);
    for (size_t i = 0; i < values && i < static_cast<size_t>(paramCount()); ++i)
    {
        float value = 0.0f;
        std::memcpy(&value, s.chunkIn.data() + sizeof(kChunkTag) + i * sizeof(float),
                    sizeof(value));
        s.params[i].store(value);
    }
    return 1;
}

// Copies the configured bytes to where the caller asked for them; false when none are set.
bool fill(int32_t opcode, VstIntPtr value, void* ptr)
{
    ProbeState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (ptr == nullptr || opcode < 0 || opcode > kProbeMaxOpcode)
        return false;
    const auto& bytes = s.fills[static_cast<size_t>(opcode)];
    if (bytes.empty())
        return false;
    std::memcpy(ptr, bytes.data(), bytes.size());
    if (opcode == effGetSpeakerArrangement && value != 0)
        std::memcpy(reinterpret_cast<void*>(value), bytes.data(), bytes.size());
    return true;
}

VstIntPtr handle(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, ProbeDispatchCall& call)
{
    ProbeState& s = state();
    if (fill(opcode, value, ptr))
        return 1;
    switch (opcode)
    {
    case effOpen:
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.open.store(true);
        return 0;
    }
    case effSetProgram:
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (value >= 0 && value < s.record.numPrograms && value < kMaxPrograms)
            s.currentProgram = static_cast<int32_t>(value);
        return 0;
    }
    case effGetProgram:
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        return s.currentProgram;
    }
    case effSetProgramName:
    {
        if (ptr == nullptr)
            return 0;
        std::lock_guard<std::mutex> lock(s.mutex);
        s.programNames[static_cast<size_t>(s.currentProgram)] = static_cast<const char*>(ptr);
        return 0;
    }
    case effGetProgramName:
    case effGetEffectName:
    case effGetVendorString:
    case effGetProductString:
        return writeText(opcode, index, ptr, call);
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
        return validParam(index) ? writeText(opcode, index, ptr, call) : 0;
    case effGetProgramNameIndexed:
        return index >= 0 && index < kMaxPrograms && index < s.record.numPrograms
                   ? writeText(opcode, index, ptr, call)
                   : 0;
    case effGetErrorText:
    case effShellGetNextPlugin:
        // Only a configured text is written; the result comes from the configuration too.
        if (hasConfiguredText(opcode))
            writeText(opcode, index, ptr, call);
        return 0;
    case effEditGetRect:
    {
        if (ptr == nullptr)
            return 0;
        std::lock_guard<std::mutex> lock(s.mutex);
        *static_cast<ERect**>(ptr) = s.nullRect ? nullptr : &s.rect;
        return s.nullRect ? 0 : 1;
    }
    case effEditOpen:
        return 1;
    case effGetChunk:
        return getChunk(ptr);
    case effSetChunk:
        return setChunk(value, ptr);
    case effCanBeAutomated:
        return validParam(index) ? 1 : 0;
    case effString2Parameter:
        if (ptr == nullptr)
            return 1;
        if (!validParam(index))
            return 0;
        s.params[static_cast<size_t>(index)].store(
            std::strtof(static_cast<const char*>(ptr), nullptr));
        return 1;
    case effGetPlugCategory:
        return 1; // an effect
    case effGetVendorVersion:
        return 1100;
    case effGetVstVersion:
        return 2400;
    default:
        return 0;
    }
}
} // namespace

VstIntPtr dispatcher(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                     float opt)
{
    ProbeState& s = state();
    noteCall(kProbeDispatcher, effect);
    const int slot = dispatchSlot(opcode);
    s.dispatchCounts[static_cast<size_t>(slot)].fetch_add(1);
    misbehaveInDispatcher(opcode);

    ProbeDispatchCall call{};
    call.effect = effect;
    call.index = index;
    call.value = value;
    call.ptr = ptr;
    call.opt = opt;
    call.sequenceIn = nextSequence();
    if (takesText(opcode) && ptr != nullptr)
        copyText(call.text, static_cast<const char*>(ptr));

    VstIntPtr result = handle(opcode, index, value, ptr, call);
    makeMasterCalls(opcode);
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (opcode >= 0 && opcode <= kProbeMaxOpcode && s.results[static_cast<size_t>(opcode)])
            result = *s.results[static_cast<size_t>(opcode)];
    }
    call.result = result;
    call.sequenceOut = nextSequence();
    call.count = s.dispatchCounts[static_cast<size_t>(slot)].load();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.lastDispatch[static_cast<size_t>(slot)] = call;
    }
    if (opcode == effClose)
    {
        s.closed.store(true);
        s.open.store(false);
        s.closeSequence.store(call.sequenceOut);
        writeReportFile("close");
    }
    return result;
}
} // namespace probe
