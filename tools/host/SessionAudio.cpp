#include "tools/host/SessionAudio.h"

#include "tools/host/AudioBuffers.h"
#include "tools/host/AudioMaster.h"
#include "tools/host/HostLog.h"
#include "tools/host/NoteSequence.h"

#include <atomic>
#include <thread>
#include <vector>

namespace host
{
bool processBlocks(PluginCaller& plugin, const HostOptions& options, int inputs, int outputs,
                   const AudioSinks& sinks, SessionReport& report)
{
    AudioBuffers buffers(inputs, outputs, options.blockSize);
    bool written = true;
    for (int block = 0; block < options.blocks; ++block)
    {
        const int64_t firstFrame = static_cast<int64_t>(block) * options.blockSize;
        advanceTime(static_cast<double>(firstFrame));
        buffers.prepare(firstFrame, options.sampleRate);
        if (sinks.inputs != nullptr)
            written = buffers.writeInputs(sinks.inputs) && written;
        if (options.notes)
            sendNotes(plugin, block, options.blockSize);
        plugin.process(buffers.inputs(), buffers.outputs(), buffers.frames());
        hostLog().line("%s(inputs=%d, outputs=%d, frames=%d) block %d",
                       plugin.canReplace() ? "processReplacing" : "process", inputs, outputs,
                       buffers.frames(), block);
        buffers.hashOutputs();
        if (sinks.outputs != nullptr)
            written = buffers.writeOutputs(sinks.outputs) && written;
    }
    report.line("audio: %s blocks=%d frames=%d inputs=%d outputs=%d fnv1a=%016llx",
                plugin.canReplace() ? "processReplacing" : "process", options.blocks,
                options.blockSize, inputs, outputs,
                static_cast<unsigned long long>(buffers.outputHash()));
    return written;
}

void runConcurrentCalls(PluginCaller& plugin, const HostOptions& options, int params, int inputs,
                        int outputs, SessionReport& report)
{
    std::atomic<bool> go{false};
    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < options.threads; ++t)
    {
        threads.emplace_back(
            [&, t]()
            {
                while (!go.load())
                    std::this_thread::yield();
                for (int call = 0; call < options.threadCalls; ++call)
                {
                    if (params > 0)
                    {
                        const int32_t index = (t + call) % params;
                        plugin.setParameter(index, plugin.getParameter(index));
                    }
                    plugin.dispatchQuietly(effGetVendorVersion);
                }
                finished.fetch_add(1);
            });
    }

    AudioBuffers buffers(inputs, outputs, options.blockSize);
    long blocks = 0;
    go.store(true);
    while (finished.load() < options.threads || blocks < options.blocks)
    {
        buffers.prepare(blocks * options.blockSize, options.sampleRate);
        plugin.process(buffers.inputs(), buffers.outputs(), buffers.frames());
        ++blocks;
    }
    for (auto& thread : threads)
        thread.join();
    hostLog().line("threads: %d threads made %d calls each while %ld blocks were processed",
                   options.threads, options.threadCalls, blocks);
    report.line("threads: %d x %d calls", options.threads, options.threadCalls);
}
} // namespace host
