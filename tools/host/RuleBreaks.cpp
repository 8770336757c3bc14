#include "tools/host/RuleBreaks.h"

#include "tools/host/AudioBuffers.h"
#include "tools/host/AudioMaster.h"
#include "tools/host/HostLog.h"
#include "vst/VstStructures.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <thread>
#include <vector>

namespace host
{
namespace
{
// effSetProcessPrecision and its 64-bit value: past the opcodes the project names.
constexpr int32_t kSetProcessPrecision = 77;
constexpr VstIntPtr kPrecision64 = 1;

int channels(int32_t count)
{
    return std::clamp(count, 0, 4096);
}

int32_t blockSize()
{
    return hostState().blockSize;
}

void said(const char* rule, const char* what)
{
    hostLog().line("break %s: %s", rule, what);
}

void nothingBroken(const char* rule, const char* why)
{
    hostLog().problem("warning: --break %s: %s; nothing broken", rule, why);
}

// One block of the test signal through processReplacing, or process when the plug-in can't replace.
void processBlock(PluginCaller& plugin, int32_t frames)
{
    const AEffect& record = plugin.record();
    const int inputs = channels(record.numInputs);
    const int outputs = channels(record.numOutputs);
    AudioBuffers buffers(inputs, outputs, frames);
    buffers.prepare(0, hostState().sampleRate);
    plugin.process(buffers.inputs(), buffers.outputs(), frames);
    hostLog().line("%s(inputs=%d, outputs=%d, frames=%d) for --break",
                   plugin.canReplace() ? "processReplacing" : "process", inputs, outputs, frames);
}

// One block of silence through processDoubleReplacing.
void processDoubleBlock(PluginCaller& plugin)
{
    const AEffect& record = plugin.record();
    const auto frames = static_cast<size_t>(blockSize());
    std::vector<std::vector<double>> in(static_cast<size_t>(channels(record.numInputs)),
                                        std::vector<double>(frames));
    std::vector<std::vector<double>> out(static_cast<size_t>(channels(record.numOutputs)),
                                         std::vector<double>(frames));
    std::vector<double*> inputs;
    std::vector<double*> outputs;
    for (auto& channel : in)
        inputs.push_back(channel.data());
    for (auto& channel : out)
        outputs.push_back(channel.data());
    inputs.push_back(nullptr);
    outputs.push_back(nullptr);
    plugin.processDouble(inputs.data(), outputs.data(), blockSize());
    hostLog().line("processDoubleReplacing(frames=%d) for --break", blockSize());
}

void processOnAnotherThread(void* plugin)
{
    std::thread([plugin] { processBlock(*static_cast<PluginCaller*>(plugin), blockSize()); })
        .join();
}

// Makes call with the plug-in's first callback inside it held open while another thread
// processes a block: the only way to overlap two calls for sure is from inside one of them.
template <typename Call> void overlapWithProcess(const char* rule, PluginCaller& plugin, Call call)
{
    holdNextCallback(processOnAnotherThread, &plugin);
    call();
    if (!endHold())
        nothingBroken(rule, "the plug-in made no callback inside the call to hold it open");
}

// A note on per delta, in this order, then the block they belong to.
void sendEvents(PluginCaller& plugin, std::initializer_list<int32_t> deltas)
{
    VstMidiEvent midi[2]{};
    VstEvents list{};
    for (const int32_t delta : deltas)
    {
        VstMidiEvent& event = midi[list.numEvents];
        event.type = kVstEventMidi;
        event.byteSize = sizeof(VstMidiEvent) - 8;
        event.deltaFrames = delta;
        event.midiData[0] = 0x90;
        event.midiData[1] = static_cast<uint8_t>(60 + list.numEvents);
        event.midiData[2] = 100;
        list.events[list.numEvents++] = reinterpret_cast<VstEvent*>(&event);
    }
    plugin.dispatch(effProcessEvents, 0, 0, &list);
    processBlock(plugin, blockSize());
}

bool hasDouble(const PluginCaller& plugin)
{
    return plugin.record().processDoubleReplacing != nullptr;
}

bool offersDouble(const PluginCaller& plugin)
{
    return (plugin.record().flags & effFlagsCanDoubleReplacing) != 0;
}

struct Break
{
    const char* rule;
    SessionPoint point;
    void (*make)(const char* rule, PluginCaller& plugin);
};

const Break kBreaks[] = {
    {"process-while-suspended", SessionPoint::beforeResume,
     [](const char* rule, PluginCaller& plugin)
     {
         said(rule, "a block before effMainsChanged 1");
         processBlock(plugin, blockSize());
     }},
    {"setup-while-resumed", SessionPoint::resumed,
     [](const char* rule, PluginCaller& plugin)
     {
         said(rule, "effSetBlockSize, the same size, while resumed");
         plugin.dispatch(effSetBlockSize, 0, blockSize());
     }},
    {"block-larger-than-set", SessionPoint::resumed,
     [](const char* rule, PluginCaller& plugin)
     {
         said(rule, "a block of twice the size set");
         processBlock(plugin, 2 * blockSize());
     }},
    {"concurrent-process", SessionPoint::resumed,
     [](const char* rule, PluginCaller& plugin)
     {
         said(rule, "another thread processes inside the plug-in's callback from a block");
         overlapWithProcess(rule, plugin, [&] { processBlock(plugin, blockSize()); });
     }},
    {"process-during-setup", SessionPoint::resumed,
     [](const char* rule, PluginCaller& plugin)
     {
         said(rule, "another thread processes inside the plug-in's callback from a second "
                    "effMainsChanged 1");
         overlapWithProcess(rule, plugin, [&] { plugin.dispatch(effMainsChanged, 0, 1); });
     }},
    {"call-after-close", SessionPoint::afterClose,
     [](const char* rule, PluginCaller& plugin)
     {
         said(rule, "effGetVendorVersion on the closed record");
         AEffect& record = plugin.record();
         const VstIntPtr result =
             record.dispatcher(&record, effGetVendorVersion, 0, 0, nullptr, 0.0f);
         hostLog().line("dispatcher(opcode=%d GetVendorVersion) after Close -> %ld",
                        effGetVendorVersion, static_cast<long>(result));
     }},
    {"index-out-of-range", SessionPoint::beforeResume,
     [](const char* rule, PluginCaller& plugin)
     {
         said(rule, "getParameter of index numParams");
         plugin.getParameter(plugin.record().numParams);
     }},
    {"parameter-value-out-of-range", SessionPoint::beforeResume,
     [](const char* rule, PluginCaller& plugin)
     {
         if (plugin.record().numParams < 1)
             return nothingBroken(rule, "the plug-in has no parameter");
         said(rule, "parameter 0 set to 1.5, then back");
         const float value = plugin.getParameter(0);
         plugin.setParameter(0, 1.5f);
         plugin.setParameter(0, value);
     }},
    {"function-not-offered", SessionPoint::beforeResume,
     [](const char*, PluginCaller& plugin)
     {
         if (hasDouble(plugin) && !offersDouble(plugin))
             plugin.dispatch(kSetProcessPrecision, 0, kPrecision64);
     }},
    {"function-not-offered", SessionPoint::resumed,
     [](const char* rule, PluginCaller& plugin)
     {
         if (!hasDouble(plugin) || offersDouble(plugin))
             return nothingBroken(rule, "the record needs processDoubleReplacing without "
                                        "effFlagsCanDoubleReplacing");
         said(rule, "processDoubleReplacing without effFlagsCanDoubleReplacing");
         processDoubleBlock(plugin);
     }},
    {"precision-not-set", SessionPoint::resumed,
     [](const char* rule, PluginCaller& plugin)
     {
         if (!hasDouble(plugin) || !offersDouble(plugin))
             return nothingBroken(rule, "the plug-in does not offer processDoubleReplacing");
         said(rule, "processDoubleReplacing without effSetProcessPrecision 1");
         processDoubleBlock(plugin);
     }},
    {"editor-thread", SessionPoint::resumed,
     [](const char* rule, PluginCaller& plugin)
     {
         said(rule, "effEditIdle from another thread, then from the processing one");
         processBlock(plugin, blockSize());
         std::thread([&plugin] { plugin.dispatch(effEditIdle); }).join();
         plugin.dispatch(effEditIdle);
     }},
    {"null-buffer", SessionPoint::beforeResume,
     [](const char* rule, PluginCaller& plugin)
     {
         said(rule, "effGetEffectName with a null pointer");
         plugin.dispatch(effGetEffectName);
     }},
    {"event-outside-block", SessionPoint::resumed,
     [](const char* rule, PluginCaller& plugin)
     {
         said(rule, "an event at the block's frame count");
         sendEvents(plugin, {blockSize()});
     }},
    {"events-unsorted", SessionPoint::resumed,
     [](const char* rule, PluginCaller& plugin)
     {
         said(rule, "an event at the block's last frame, then one at its first");
         sendEvents(plugin, {blockSize() - 1, 0});
     }},
    {"text-too-long", SessionPoint::beforeResume,
     [](const char* rule, PluginCaller& plugin)
     {
         said(rule, "effSetProgramName with a name past 24 bytes");
         char name[] = "A program name well past its room";
         plugin.dispatch(effSetProgramName, 0, 0, name);
     }},
};
} // namespace

bool isHostBreak(const std::string& id)
{
    return std::any_of(std::begin(kBreaks), std::end(kBreaks),
                       [&](const Break& row) { return id == row.rule; });
}

std::string hostBreakIds()
{
    std::string ids;
    const char* last = "";
    for (const Break& row : kBreaks)
        if (std::strcmp(row.rule, last) != 0)
        {
            ids += (ids.empty() ? "" : ", ") + std::string(row.rule);
            last = row.rule;
        }
    return ids;
}

void breakRule(const std::string& rule, SessionPoint point, PluginCaller& plugin)
{
    for (const Break& row : kBreaks)
        if (rule == row.rule && point == row.point)
            row.make(row.rule, plugin);
}
} // namespace host
