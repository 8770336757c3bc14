// Walks a recording (see RecordFormat.h) record by record, holding one record at a time, and says
// where and why it stops: at the end marker, at the first damaged record, or where the file ends
// early. A recording comes from anyone (bug reports): every count and length is held to what the
// file still holds and to the limits of RecordFormat.h.
#pragma once

#include "record/RecordFormat.h"
#include "record/TickClock.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

namespace recordFormat
{
// Bytes where the file holds them, read in place: a record costs no copy of its data.
class Bytes
{
public:
    Bytes() = default;
    Bytes(const uint8_t* data, size_t size) : start(data), length(size) {}
    Bytes(const std::vector<uint8_t>& bytes) : start(bytes.data()), length(bytes.size()) {}

    const uint8_t* data() const { return start; }
    size_t size() const { return length; }
    bool empty() const { return length == 0; }
    const uint8_t* begin() const { return start; }
    const uint8_t* end() const { return start + length; }
    bool operator==(const Bytes& other) const;
    bool operator!=(const Bytes& other) const { return !(*this == other); }

private:
    const uint8_t* start = nullptr;
    size_t length = 0;
};

// A kPlugin record's values (RecordLayout.h, PluginField).
struct PluginRecord
{
    int32_t flags = 0;
    int32_t numPrograms = 0;
    int32_t numParams = 0;
    int32_t numInputs = 0;
    int32_t numOutputs = 0;
    int32_t initialDelay = 0;
    uint32_t functions = 0; // bit f: function f (VstFunctionIndex) is there
};

struct Record
{
    Record() = default;
    // Moved, never copied: its Bytes point into its storage.
    Record(Record&&) = default;
    Record& operator=(Record&&) = default;
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;

    size_t number = 0; // 1-based, counted after the header; 0 for kPlugin, which takes none
    int64_t value = 0;
    uint64_t ptr = 0;
    uint64_t timeNs = 0;
    int64_t result = 0;
    uint64_t dropped = 0; // gap records
    uint32_t thread = 0;
    int32_t opcode = 0;
    int32_t index = 0;
    uint32_t mxcsr = 0;
    float opt = 0.0f;
    float floatResult = 0.0f;
    uint8_t kind = 0;
    uint8_t role = 0;
    uint8_t function = 0;
    bool resultIsFloat = false;
    // A process call's block, in the places of its opcode, index and value (RecordLayout.h).
    int32_t outputs() const { return opcode; }
    int32_t inputs() const { return index; }
    int64_t frames() const { return value; }
    // The data array: its byte strings and its numbers, each in order.
    std::vector<Bytes> bytes;
    std::vector<uint64_t> numbers;
    std::vector<uint8_t> storage; // the record's payload, which bytes point into
    PluginRecord plugin;          // kPlugin records
    // A process return's, a channel each: as recorded (version 4), or counted from outputs in
    // full; empty where the recording does not carry them.
    std::vector<OutputCounts> outputCounts;
};

// What a record takes in memory, with its lists and its payload.
size_t memoryOf(const Record& record);

// A single record (a plug-in's chunk) is read whole, up to this size.
constexpr size_t kMaxRecordBytes = size_t{256} << 20;

struct Header
{
    uint64_t version = 0;
    std::string pluginPath;
    uint64_t instance = 0;
    std::string startTime;
    bool fullOutputs = false;
    // Version 1 wrote nanoseconds: no rate, no conversion.
    tickClock::Calibration clock;
};

enum class Ending
{
    complete,  // the end marker was read
    damaged,   // a record (or the header) is unreadable
    truncated, // the file ends without the end marker
};
// "complete", "damaged" or "truncated", as reports name it.
const char* endingName(Ending ending) noexcept;

// Reads a file (or bytes in memory) record by record with a buffer of about a record.
class RecordStream
{
public:
    RecordStream() = default;
    RecordStream(const RecordStream&) = delete;
    RecordStream& operator=(const RecordStream&) = delete;
    ~RecordStream();

    // False when the file cannot be opened; the reason is in problem.
    bool open(const std::string& path);
    // data must outlive the stream.
    void open(const uint8_t* data, size_t size);
    // The next record; false where the reading stops (ending, stopRecord and problem say why).
    // The first call reads the header.
    bool next(Record& record);

    Header header;
    Ending ending = Ending::truncated;
    // The record the reading stopped at (0: the header) and why, unless complete.
    size_t stopRecord = 0;
    std::string problem;

private:
    bool fill();
    bool stop(Ending how, const std::string& why);

    FILE* file = nullptr;
    std::vector<uint8_t> buffer;
    const uint8_t* data = nullptr; // the unread bytes are data[begin, end)
    size_t begin = 0;
    size_t end = 0;
    bool marked = false; // the file ends with the end marker
    bool finished = false;
    size_t number = 0;
    uint64_t samples = 0;
    uint64_t sampleBudget = 0;
};

struct Recording
{
    Header header;
    std::deque<Record> records;
    Ending ending = Ending::truncated;
    // The record the reading stopped at (0: the header) and why, unless complete.
    size_t stopRecord = 0;
    std::string problem;
    bool hasGap = false;
};

// All records of a recording in memory, for small ones (tests).
void readRecording(const uint8_t* data, size_t size, Recording& recording);
} // namespace recordFormat
