// The recording's cost on the calling thread, set against copying the same input buffers and
// against the least any recording must do, and the size of the file a minute of audio makes.
#include "record/PluginWatch.h"
#include "record/RecordCapture.h"
#include "record/RecordFormat.h"
#include "tests/bench/CallBenchmarks.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <ostream>
#include <thread>
#include <vector>

namespace
{
constexpr int kFrames = 64;
constexpr int kChannels = 2;
constexpr recordCapture::Thread kAudioThread{1, 1};

struct StereoBlock
{
    std::vector<float> samples = std::vector<float>(kFrames * kChannels * 2, 0.25f);
    void* inputs[kChannels] = {samples.data(), samples.data() + kFrames};
    void* outputs[kChannels] = {samples.data() + 2 * kFrames, samples.data() + 3 * kFrames};
};

void copyInputs(benchmark::State& state)
{
    StereoBlock block;
    std::vector<float> copy(kFrames * kChannels);
    for (auto _ : state)
    {
        for (int c = 0; c < kChannels; ++c)
            std::memcpy(copy.data() + c * kFrames, block.inputs[c], kFrames * sizeof(float));
        benchmark::ClobberMemory();
    }
}

constexpr int kBatch = 64;

// As a session's writer: a thread of its own that takes what the calling thread wrote, a batch of
// kBatch calls at a time and one batch behind; only waiting for it is outside the timing.
class BatchTaker
{
public:
    // take(batch) reads batch number batch (from 1) and returns a sum of what it read.
    explicit BatchTaker(std::function<uint32_t(int)> take) : thread([this, take] { run(take); }) {}
    ~BatchTaker()
    {
        batches.store(-1, std::memory_order_release);
        thread.join();
    }
    // After each call: hands the batch over once it is full.
    void called(benchmark::State& state)
    {
        if (++calls < kBatch)
            return;
        state.PauseTiming();
        while (taken.load(std::memory_order_acquire) < handed)
            std::this_thread::yield();
        batches.store(++handed, std::memory_order_release);
        calls = 0;
        state.ResumeTiming();
    }
    int batch() const { return handed; }
    int call() const { return calls; }

private:
    void run(const std::function<uint32_t(int)>& take)
    {
        uint32_t sum = 0;
        for (int batch = 1;; ++batch)
        {
            int started = 0;
            while ((started = batches.load(std::memory_order_acquire)) >= 0 && started < batch)
                std::this_thread::yield();
            if (started < 0)
                break;
            sum += take(batch);
            taken.store(batch, std::memory_order_release);
        }
        benchmark::DoNotOptimize(sum);
    }

    std::atomic<int> batches{0};
    std::atomic<int> taken{0};
    int handed = 0;
    int calls = 0;
    std::thread thread;
};

// From a ring of the session's size, while the calling thread goes on; before each record the
// plug-in's record is looked at, as a session does (kLook false: what that look costs).
template <bool kLook> void recordProcessReplacing(benchmark::State& state)
{
    StereoBlock block;
    RecordRing ring(size_t{16} << 20);
    AEffect plugin{};
    plugin.numInputs = plugin.numOutputs = kChannels;
    PluginWatch watch;
    {
        BatchTaker writer(
            [&](int)
            {
                uint32_t sum = 0;
                ring.consume([&](const uint8_t* payload, size_t size)
                             { sum += recordFormat::checksum(payload, size); });
                return sum;
            });
        for (auto _ : state)
        {
            if (kLook)
                watch.look(ring, kAudioThread, plugin);
            recordCapture::processCall(ring, kAudioThread, fnProcessReplacing, block.inputs,
                                       block.outputs, kFrames, kChannels, kChannels, sizeof(float));
            if (kLook)
                watch.look(ring, kAudioThread, plugin);
            recordCapture::processReturn(ring, kAudioThread, fnProcessReplacing, block.outputs,
                                         kFrames, kChannels, sizeof(float));
            benchmark::ClobberMemory();
            writer.called(state);
        }
    }
    state.counters["dropped"] = static_cast<double>(ring.dropped());
}

// The least any recording does with a block: its inputs (and, with outputs, its outputs) copied
// to memory that another thread then reads, arranged as the recording's ring is (16 MB, read one
// batch behind). Nothing is encoded, reserved or timed.
template <bool kOutputs> void handOverBuffers(benchmark::State& state)
{
    StereoBlock block;
    constexpr size_t kBlockBytes = (kOutputs ? 2 : 1) * kChannels * kFrames * sizeof(float);
    constexpr size_t kBatchBytes = kBatch * kBlockBytes;
    std::vector<uint8_t> area(size_t{16} << 20);
    const size_t batchesInArea = area.size() / kBatchBytes;
    const auto batchAt = [&](int batch)
    { return area.data() + static_cast<size_t>(batch) % batchesInArea * kBatchBytes; };
    BatchTaker reader([&](int batch)
                      { return recordFormat::checksum(batchAt(batch - 1), kBatchBytes); });
    for (auto _ : state)
    {
        uint8_t* slot = batchAt(reader.batch()) + static_cast<size_t>(reader.call()) * kBlockBytes;
        for (void* const* buffers : {block.inputs, block.outputs})
            for (int c = 0; c < kChannels && (kOutputs || buffers == block.inputs);
                 ++c, slot += kFrames * sizeof(float))
                std::memcpy(slot, buffers[c], kFrames * sizeof(float));
        benchmark::ClobberMemory();
        reader.called(state);
    }
}
} // namespace

void registerRecordingBenchmarks()
{
    benchmark::RegisterBenchmark("recording:copyInputs64", copyInputs);
    benchmark::RegisterBenchmark("recording:processReplacing64", recordProcessReplacing<true>);
    benchmark::RegisterBenchmark("recording:processReplacing64/withoutPluginLook",
                                 recordProcessReplacing<false>);
    benchmark::RegisterBenchmark("recording:handOverInputs64", handOverBuffers<false>);
    benchmark::RegisterBenchmark("recording:handOverBuffers64", handOverBuffers<true>);
}

void printRecordingFileSize(std::ostream& out)
{
    constexpr int kBlocks = 60 * 48000 / kFrames;
    StereoBlock block;
    RecordRing ring(size_t{16} << 20);
    size_t bytes = 0;
    std::vector<uint8_t> wrapped(1 << 16);
    uint8_t hashed[1024];
    for (int i = 0; i < kBlocks; ++i)
    {
        recordCapture::processCall(ring, kAudioThread, fnProcessReplacing, block.inputs,
                                   block.outputs, kFrames, kChannels, kChannels, sizeof(float));
        recordCapture::processReturn(ring, kAudioThread, fnProcessReplacing, block.outputs, kFrames,
                                     kChannels, sizeof(float));
        ring.consume(
            [&](const uint8_t* payload, size_t size)
            {
                // As the writer thread does: outputs hashed before the record is written.
                if (const size_t shorter =
                        recordFormat::hashOutputs(payload, size, hashed, sizeof hashed))
                {
                    payload = hashed;
                    size = shorter;
                }
                bytes += recordFormat::wrapRecord(payload, size, wrapped.data(), wrapped.size());
            });
    }
    out << "recording file, one minute of stereo 48 kHz in 64-frame blocks with output hashes: "
        << static_cast<double>(bytes) / 1e6 << " MB (at most 35 MB)\n";
}
