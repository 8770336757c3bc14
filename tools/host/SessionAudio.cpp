#include "tools/host/SessionAudio.h"

#include "tools/host/AudioBuffers.h"
#include "tools/host/AudioMaster.h"
#include "tools/host/HostLog.h"
#include "tools/host/NoteSequence.h"

#include <chrono>

namespace host
{
bool processBlocks(PluginCaller& plugin, const HostOptions& options, int inputs, int outputs,
                   FILE* audio, SessionReport& report)
{
    AudioBuffers buffers(inputs, outputs, options.blockSize);
    bool written = true;
    std::chrono::steady_clock::duration slowest{};
    int slowestBlock = -1;
    for (int block = 0; block < options.blocks; ++block)
    {
        const int64_t firstFrame = static_cast<int64_t>(block) * options.blockSize;
        advanceTime(static_cast<double>(firstFrame));
        buffers.prepare(firstFrame, options.sampleRate, 0, options.dirtyOutputs);
        if (options.notes)
            sendNotes(plugin, block, options.blockSize);
        const auto callStart = std::chrono::steady_clock::now();
        plugin.process(buffers.inputs(), buffers.outputs(), buffers.frames());
        const auto took = std::chrono::steady_clock::now() - callStart;
        if (took > slowest)
        {
            slowest = took;
            slowestBlock = block;
        }
        hostLog().line("%s(inputs=%d, outputs=%d, frames=%d) block %d",
                       plugin.canReplace() ? "processReplacing" : "process", inputs, outputs,
                       buffers.frames(), block);
        buffers.hashOutputs();
        if (audio != nullptr)
            written = buffers.writeOutputs(audio) && written;
    }
    if (options.slowestProcess)
        std::fprintf(stderr, "slowest process call: %lld us (block %d)\n",
                     static_cast<long long>(
                         std::chrono::duration_cast<std::chrono::microseconds>(slowest).count()),
                     slowestBlock);
    report.line("audio: %s blocks=%d frames=%d inputs=%d outputs=%d fnv1a=%016llx",
                plugin.canReplace() ? "processReplacing" : "process", options.blocks,
                options.blockSize, inputs, outputs,
                static_cast<unsigned long long>(buffers.outputHash()));
    return written;
}

void sweepParameters(PluginCaller& plugin, const HostOptions& options, int inputs, int outputs,
                     int params)
{
    AudioBuffers buffers(inputs, outputs, options.blockSize);
    int64_t firstFrame = static_cast<int64_t>(options.blocks) * options.blockSize;
    for (const float value : {0.0f, 0.5f, 1.0f})
    {
        for (int32_t i = 0; i < params; ++i)
            plugin.setParameter(i, value);
        advanceTime(static_cast<double>(firstFrame));
        buffers.prepare(firstFrame, options.sampleRate);
        plugin.process(buffers.inputs(), buffers.outputs(), buffers.frames());
        firstFrame += options.blockSize;
    }
}
} // namespace host
