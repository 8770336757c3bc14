#include "tools/host/InstanceSet.h"

#include "tools/host/AudioBuffers.h"
#include "tools/host/AudioMaster.h"
#include "tools/host/HostLog.h"
#include "tools/host/PluginCaller.h"
#include "tools/host/PluginSession.h"
#include "tools/host/SessionAudio.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace host
{
namespace
{
struct FileCloser
{
    void operator()(FILE* file) const { std::fclose(file); }
};

struct Instance
{
    int number = 0; // from 1, in the order of the entry-point calls
    std::unique_ptr<PluginCaller> plugin;
    std::unique_ptr<AudioBuffers> buffers; // null when the channel counts are unusable
    std::unique_ptr<FILE, FileCloser> audio;
    bool written = true;
};

// Values of their own for every instance, the same on every run, away from the ends of the
// range where plug-ins switch modes.
float parameterValue(int number, int32_t index)
{
    const double turn = 0.37 * number + 0.11 * index;
    return static_cast<float>(0.2 + 0.6 * (turn - std::floor(turn)));
}

HostExitCode start(Instance& instance, VstPluginMainProc entry, const char* entryName,
                   const HostOptions& options)
{
    HostExitCode failure = kExitOk;
    AEffect* effect = callEntry(entry, entryName, options, failure);
    if (effect == nullptr)
        return failure;
    hostState().effect.store(effect);
    instance.plugin = std::make_unique<PluginCaller>(effect);
    PluginCaller& plugin = *instance.plugin;
    plugin.dispatch(effOpen);
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(options.sampleRate));
    plugin.dispatch(effSetBlockSize, 0, options.blockSize);
    for (int32_t i = 0; i < std::min(effect->numParams, 10000); ++i)
        plugin.setParameter(i, parameterValue(instance.number, i));
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.dispatch(effStartProcess);
    if (effect->numInputs >= 0 && effect->numInputs <= kMaxChannels && effect->numOutputs >= 0 &&
        effect->numOutputs <= kMaxChannels)
        instance.buffers = std::make_unique<AudioBuffers>(effect->numInputs, effect->numOutputs,
                                                          options.blockSize);
    else
        hostLog().problem("warning: instance %d has %d inputs and %d outputs; no audio",
                          instance.number, effect->numInputs, effect->numOutputs);
    if (!options.audioPath.empty())
    {
        const std::string path = options.audioPath + "." + std::to_string(instance.number);
        instance.audio.reset(std::fopen(path.c_str(), "wb"));
        if (instance.audio == nullptr)
            return kExitOutputFailed;
    }
    return kExitOk;
}

void processBlock(Instance& instance, int block, const HostOptions& options)
{
    if (instance.buffers == nullptr)
        return;
    AudioBuffers& buffers = *instance.buffers;
    const int64_t firstFrame = static_cast<int64_t>(block) * options.blockSize;
    advanceTime(static_cast<double>(firstFrame));
    buffers.prepare(firstFrame, options.sampleRate, instance.number - 1, options.dirtyOutputs);
    instance.plugin->process(buffers.inputs(), buffers.outputs(), buffers.frames());
    hostLog().line("instance %d: process block %d", instance.number, block);
    if (instance.audio != nullptr)
        instance.written = buffers.writeOutputs(instance.audio.get()) && instance.written;
}

// Positions in instances, in the order they are closed.
std::vector<size_t> closeOrder(size_t count, const HostOptions& options)
{
    std::vector<size_t> order(count);
    std::iota(order.rbegin(), order.rend(), size_t{0});
    if (!options.randomCloseOrder)
        return order;
    const unsigned shuffle =
        options.closeShuffle >= 0
            ? static_cast<unsigned>(options.closeShuffle)
            : static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::mt19937 random(shuffle);
    std::shuffle(order.begin(), order.end(), random);
    std::string shown;
    for (const size_t position : order)
        shown += " " + std::to_string(position + 1);
    // On standard error also when quiet, so that a failing order can be run again.
    std::fprintf(stderr, "close order random:%u:%s\n", shuffle, shown.c_str());
    return order;
}
} // namespace

HostExitCode runInstances(VstPluginMainProc entry, const char* entryName,
                          const HostOptions& options)
{
    std::vector<Instance> instances(static_cast<size_t>(options.instances));
    HostExitCode result = kExitOk;
    size_t started = 0;
    for (; started < instances.size() && result == kExitOk; ++started)
    {
        instances[started].number = static_cast<int>(started) + 1;
        result = start(instances[started], entry, entryName, options);
    }
    for (int block = 0; block < options.blocks && result == kExitOk; ++block)
        for (Instance& instance : instances)
            processBlock(instance, block, options);
    for (const size_t position : closeOrder(started, options))
    {
        Instance& instance = instances[position];
        if (instance.plugin == nullptr)
            continue;
        hostLog().line("closing instance %d", instance.number);
        instance.plugin->dispatch(effStopProcess);
        instance.plugin->dispatch(effMainsChanged, 0, 0);
        instance.plugin->close();
        if (!instance.written ||
            (instance.audio != nullptr && std::fflush(instance.audio.get()) != 0))
            result = result == kExitOk ? kExitOutputFailed : result;
    }
    return result;
}
} // namespace host
