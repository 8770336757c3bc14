// Reads a recording (see RecordFormat.h) into memory, record by record, and says where and why
// it stops: at the end marker, at the first damaged record, or where the file ends early.
#pragma once

#include "logger/TickClock.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace recfmt
{
struct Record
{
    size_t number = 0; // 1-based, counted after the header
    uint8_t kind = 0;
    uint32_t thread = 0;
    uint8_t role = 0;
    int function = 0;
    int32_t opcode = 0;
    int32_t index = 0;
    int64_t value = 0;
    float opt = 0.0f;
    uint64_t ptr = 0;
    uint32_t mxcsr = 0;
    uint64_t timeNs = 0;
    int64_t result = 0;
    float floatResult = 0.0f;
    bool resultIsFloat = false;
    uint64_t dropped = 0; // gap records
    // The data array: its byte strings and its numbers, each in order.
    std::vector<std::vector<uint8_t>> bytes;
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
    tickclock::Calibration clock;
};

enum class Ending
{
    complete,  // the end marker was read
    damaged,   // a record (or the header) is unreadable
    truncated, // the file ends without the end marker
};

struct Recording
{
    Header header;
    std::vector<Record> records;
    Ending ending = Ending::truncated;
    // The record the reading stopped at (0: the header) and why, unless complete.
    size_t stopRecord = 0;
    std::string problem;
    bool hasGap = false;
};

void readRecording(const uint8_t* data, size_t size, Recording& recording);
// False when the file cannot be read at all; the reason is in recording.problem.
bool readRecordingFile(const std::string& path, Recording& recording);
} // namespace recfmt
