// Reads a recording (see RecordFormat.h) into memory, record by record, and says where and why
// it stops: at the end marker, at the first damaged record, or where the file ends early. A
// recording comes from anyone (bug reports): every count and length is held to what the file
// still holds and to the limits of RecordFormat.h, and the records to what its size allows.
#pragma once

#include "record/TickClock.h"

#include <cstddef>
#include <cstdint>
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

struct Record
{
    size_t number = 0; // 1-based, counted after the header
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
};

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

struct Recording
{
    // The file's bytes, which the records' Bytes point into (empty when the caller holds them).
    std::vector<uint8_t> file;
    Header header;
    std::deque<Record> records;
    Ending ending = Ending::truncated;
    // The record the reading stopped at (0: the header) and why, unless complete.
    size_t stopRecord = 0;
    std::string problem;
    bool hasGap = false;
};

// data must outlive recording's records.
void readRecording(const uint8_t* data, size_t size, Recording& recording);
// False when the file cannot be read at all; the reason is in recording.problem.
bool readRecordingFile(const std::string& path, Recording& recording);
} // namespace recordFormat
