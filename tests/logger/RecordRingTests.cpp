// The recording ring with many producers and a consumer at once: every record arrives whole
// and in each thread's order, or is counted as dropped; what a crash-time drain writes reads
// back as a recording. The ThreadSanitizer build runs these too.
#include "record/PluginWatch.h"
#include "record/RecordCapture.h"
#include "record/RecordFormat.h"
#include "record/RecordReader.h"
#include "tests/support/TestFiles.h"
#include "vst/VstStructures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr int kProducers = 4;
constexpr int kCallsEach = 20000;

// A consumer that keeps each record it takes wrapped, as the writer writes it.
struct Wrapping
{
    void operator()(const uint8_t* payload, size_t size)
    {
        const size_t bytes =
            recordFormat::wrapRecord(payload, size, scratch.data(), scratch.size());
        records.insert(records.end(), scratch.begin(), scratch.begin() + static_cast<long>(bytes));
    }
    std::vector<uint8_t> scratch;
    std::vector<uint8_t> records;
};

// A header and the end marker around wrapped records make a file the reader takes.
recordFormat::Recording readBack(const std::vector<uint8_t>& records)
{
    std::vector<uint8_t> file(64);
    recordFormat::Writer header(file.data(), file.size());
    header.array(9);
    header.text("OPLEXA-REC", 10);
    header.uint(recordFormat::kVersion);
    header.text("x.so", 4);
    header.uint(1);
    header.text("t", 1);
    header.boolean(false);
    for (int i = 0; i < 3; ++i)
        header.uint(0);
    file.resize(header.size());
    file.insert(file.end(), records.begin(), records.end());
    const uint8_t end[] = {0x81, recordFormat::kEnd};
    uint8_t wrapped[32];
    file.insert(file.end(), wrapped, wrapped + recordFormat::wrapRecord(end, 2, wrapped, 32));
    recordFormat::Recording recording;
    recordFormat::readRecording(file.data(), file.size(), recording);
    return recording;
}

// Writes a record of size bytes, each byte its value; false when it was dropped.
bool put(RecordRing& ring, size_t size, uint8_t value)
{
    RecordRing::Slot slot;
    if (!ring.reserve(size, slot))
        return false;
    std::memset(slot.payload, value, size);
    ring.publish(slot, size);
    return true;
}

TEST(RecordRing, ARingItsConsumerKeepsEmptyStaysInItsNearPartAndAFullOneRecovers)
{
    constexpr size_t kCapacity = size_t{1} << 16;
    RecordRing ring(kCapacity);
    for (int i = 0; i < 1000; ++i)
    {
        RecordRing::Slot slot;
        ASSERT_TRUE(ring.reserve(100, slot));
        EXPECT_LT(slot.position % kCapacity, kCapacity / 2) << "record " << i;
        ring.publish(slot, 100);
        ring.consume([](const uint8_t*, size_t) {});
    }
    int kept = 0;
    while (put(ring, 4000, 1))
        ++kept;
    EXPECT_EQ(kept, 16);
    EXPECT_EQ(ring.consume([](const uint8_t*, size_t) {}), size_t(kept));
    EXPECT_TRUE(put(ring, 4000, 2)); // the room the consumer freed is seen
    EXPECT_EQ(ring.dropped(), 1u);
}

// Starting over leaves only the room before the consumer's tail until it passes the padding:
// whatever the ring held then, the largest record must still fit.
TEST(RecordRing, WhenTheRingStartsOverTheLargestRecordStillFits)
{
    constexpr size_t kCapacity = size_t{1} << 16;
    for (int every : {1, 7, 20, 40}) // backlogs of up to 5 KB
    {
        RecordRing ring(kCapacity);
        size_t last = 0;
        int startsOver = 0;
        for (int i = 1; i <= 5000 && startsOver < 3; ++i)
        {
            RecordRing::Slot slot;
            ASSERT_TRUE(ring.reserve(100, slot));
            ring.publish(slot, 100);
            if (slot.position % kCapacity < last)
            {
                ++startsOver;
                EXPECT_TRUE(put(ring, kCapacity / 4 - 16, 4)) << "every " << every;
            }
            last = slot.position % kCapacity;
            if (i % every == 0)
                ring.consume([](const uint8_t*, size_t) {});
        }
        EXPECT_EQ(startsOver, 3) << "every " << every;
    }
}

// The consumer clears nothing in the ring, and a record given up may have written its whole room,
// where later headers fall: bytes that look like a published header must not be taken.
TEST(RecordRing, ARecordGivenUpLeavesNothingALaterHeaderCouldBeTakenFor)
{
    RecordRing ring(size_t{1} << 16);
    const uint32_t published[4] = {1, 16, 8, 0};
    for (size_t size : {16000, 16000, 16000, 16000, 1456}) // the whole ring
    {
        RecordRing::Slot slot;
        ASSERT_TRUE(ring.reserve(size, slot));
        for (size_t at = 0; at + sizeof published <= slot.room; at += sizeof published)
            std::memcpy(slot.payload + at, published, sizeof published);
        ring.publish(slot, 0);
    }
    EXPECT_EQ(ring.consume([](const uint8_t*, size_t) {}), 0u);
    ASSERT_TRUE(put(ring, 16, 3));
    RecordRing::Slot open;
    ASSERT_TRUE(ring.reserve(16, open));
    std::vector<uint8_t> first;
    EXPECT_EQ(ring.consume([&](const uint8_t* payload, size_t size)
                           { first.assign(payload, payload + size); }),
              1u);
    EXPECT_EQ(first, std::vector<uint8_t>(16, 3));
}

TEST(RecordRing, ProducersAndAConsumerAtOnceLoseNothingUncountedAndKeepEachThreadsOrder)
{
    RecordRing ring(size_t{1} << 16);
    std::atomic<int> running{kProducers};
    Wrapping take{std::vector<uint8_t>(1 << 12), {}};
    std::thread consumer(
        [&]
        {
            while (running.load() > 0)
                ring.consume(take);
            ring.consume(take);
        });
    runTogether(
        kProducers,
        [&ring, &running](int producer)
        {
            const auto t = static_cast<uint32_t>(producer) + 1;
            // Records of many sizes, so that slots start anywhere in earlier ones.
            char text[128];
            for (int i = 0; i < kCallsEach; ++i)
            {
                std::memset(text, 'a', sizeof text);
                text[i % 100] = '\0';
                recordCapture::opcodeCall(ring, {t, 2}, fnDispatcher, effCanDo, i, 0, text, 0.0f);
            }
            --running;
        });
    consumer.join();

    const recordFormat::Recording recording = readBack(take.records);
    ASSERT_EQ(recording.ending, recordFormat::Ending::complete) << recording.problem;
    std::map<uint32_t, int> last;
    for (const recordFormat::Record& record : recording.records)
    {
        ASSERT_EQ(record.bytes.size(), 1u);
        EXPECT_EQ(record.bytes[0].size(), static_cast<size_t>(record.index % 100));
        auto [at, first] = last.emplace(record.thread, record.index);
        EXPECT_TRUE(first || record.index > at->second) << "thread " << record.thread;
        at->second = record.index;
    }
    EXPECT_EQ(recording.records.size() + ring.dropped(), size_t{kProducers * kCallsEach});
}

// Plug-ins change their record on any thread, and every thread that calls looks at it: however
// the threads race to write the changes, the last plug-in record holds the values as they ended.
TEST(RecordRing, ThreadsRacingOverPluginChangesLeaveTheFinalValuesLast)
{
    RecordRing ring(size_t{1} << 23);
    PluginWatch watch;
    AEffect plugin{};
    runTogether(kProducers,
                [&](int producer)
                {
                    const auto t = static_cast<uint32_t>(producer) + 1;
                    for (int i = 0; i < kCallsEach; ++i)
                    {
                        __atomic_store_n(&plugin.initialDelay, i * kProducers + producer,
                                         __ATOMIC_RELAXED);
                        watch.look(ring, {t, 2}, plugin);
                    }
                });
    watch.look(ring, {1, 2}, plugin);
    Wrapping take{std::vector<uint8_t>(1 << 12), {}};
    ring.consume(take);
    const recordFormat::Recording recording = readBack(take.records);
    ASSERT_EQ(recording.ending, recordFormat::Ending::complete) << recording.problem;
    ASSERT_FALSE(recording.records.empty());
    EXPECT_EQ(recording.records.back().kind, recordFormat::kPlugin);
    EXPECT_EQ(recording.records.back().plugin.initialDelay, plugin.initialDelay);
    EXPECT_EQ(ring.dropped(), 0u);
}

TEST(RecordRing, ADrainWritesWhatTheWriterHasNotTakenAsRecords)
{
    RecordRing ring(size_t{1} << 16);
    for (int i = 0; i < 10; ++i)
        recordCapture::parameterCall(ring, {1, 0}, fnSetParameter, i, 0.25f);
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const size_t written = ring.drainTo(fileno(file));
    std::vector<uint8_t> drained(written);
    std::rewind(file);
    ASSERT_EQ(std::fread(drained.data(), 1, written, file), written);
    std::fclose(file);

    const recordFormat::Recording recording = readBack(drained);
    ASSERT_EQ(recording.ending, recordFormat::Ending::complete) << recording.problem;
    ASSERT_EQ(recording.records.size(), 10u);
    EXPECT_EQ(recording.records[9].index, 9);
    EXPECT_EQ(ring.consume([](const uint8_t*, size_t) {}), 10u); // the drain took nothing
}
// A process record's room is counted before its buffers are copied in unchecked: every shape
// must fit its count and read back whole.
TEST(RecordRing, ProcessRecordsOfEveryShapeFitTheirRoomAndReadBackWhole)
{
    struct Shape
    {
        VstFunctionIndex function;
        int channels;
        int32_t frames;
        size_t sampleBytes;
        bool nullBuffers;
    };
    const Shape shapes[] = {
        {fnProcessReplacing, 2, 64, sizeof(float), false},
        {fnProcess, 2, 64, sizeof(float), false}, // what the outputs held goes in too
        {fnProcessDoubleReplacing, 80, 1024, sizeof(double), false}, // past 64 channels too
        {fnProcessReplacing, 3, 1, sizeof(float), true},
        {fnProcessReplacing, 1, 0, sizeof(float), false},
        {fnProcessReplacing, 1, -5, sizeof(float), false},
    };
    std::vector<double> samples(size_t{80} * 1024 * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<double>(i);
    for (const Shape& shape : shapes)
    {
        std::vector<void*> buffers(size_t{80} * 2);
        for (size_t c = 0; c < buffers.size(); ++c)
            buffers[c] = shape.nullBuffers ? nullptr : samples.data() + c * 1024;
        RecordRing ring(size_t{1} << 22);
        recordCapture::processCall(ring, {1, 1}, shape.function, buffers.data(),
                                   buffers.data() + 80, shape.frames, shape.channels,
                                   shape.channels, shape.sampleBytes);
        recordCapture::processReturn(ring, {1, 1}, shape.function, buffers.data() + 80,
                                     shape.frames, shape.channels, shape.sampleBytes);
        Wrapping take{std::vector<uint8_t>(size_t{1} << 20), {}};
        ring.consume(take);
        const recordFormat::Recording recording = readBack(take.records);
        const std::string shapeName = std::to_string(shape.function) + "/" +
                                      std::to_string(shape.channels) + "/" +
                                      std::to_string(shape.frames);
        ASSERT_EQ(recording.ending, recordFormat::Ending::complete)
            << shapeName << recording.problem;
        ASSERT_EQ(recording.records.size(), 2u) << shapeName;
        const auto channels = static_cast<size_t>(shape.channels);
        const size_t channelBytes = shape.nullBuffers || shape.frames <= 0
                                        ? 0
                                        : static_cast<size_t>(shape.frames) * shape.sampleBytes;
        const recordFormat::Record& call = recording.records[0];
        const recordFormat::Record& back = recording.records[1];
        EXPECT_EQ(call.bytes.size(), shape.function == fnProcess ? 2 * channels : channels)
            << shapeName;
        for (const recordFormat::Bytes& channel : call.bytes)
            EXPECT_EQ(channel.size(), channelBytes) << shapeName;
        // The reader hashes and counts outputs that come unhashed, as a crash's drain leaves them.
        EXPECT_EQ(back.numbers.size(), channels) << shapeName;
        EXPECT_EQ(back.outputCounts.size(), channels) << shapeName;
        ASSERT_GT(channels, 0u) << shapeName;
        EXPECT_EQ(back.numbers.back(),
                  recordFormat::outputHash(
                      shape.nullBuffers ? nullptr : samples.data() + (80 + channels - 1) * 1024,
                      channelBytes))
            << shapeName;
        EXPECT_EQ(call.value, shape.frames) << shapeName;
        EXPECT_EQ(ring.dropped(), 0u) << shapeName;
    }
}
} // namespace

// A speaker arrangement goes in with every speaker its count names, past 64 too.
TEST(RecordRing, ArrangementsKeepEverySpeaker)
{
    const int32_t speakers = 100;
    std::vector<uint8_t> wide(8 + speakers * sizeof(VstSpeakerProperties));
    std::memcpy(wide.data() + offsetof(VstSpeakerArrangement, numChannels), &speakers, 4);
    RecordRing ring(size_t{1} << 20);
    recordCapture::opcodeCall(ring, {1, 0}, fnDispatcher, effSetSpeakerArrangement, 0,
                              reinterpret_cast<VstIntPtr>(wide.data()), wide.data(), 0.0f);
    Wrapping take{std::vector<uint8_t>(size_t{1} << 16), {}};
    ring.consume(take);
    const recordFormat::Recording recording = readBack(take.records);
    ASSERT_EQ(recording.ending, recordFormat::Ending::complete) << recording.problem;
    ASSERT_EQ(recording.records.at(0).bytes.size(), 2u);
    EXPECT_EQ(recording.records[0].bytes[1].size(), wide.size());
}
