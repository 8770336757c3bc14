// The recording's first item (RecordLayout.h, HeaderField): the writer hands it the session's
// values and writes the bytes.
#pragma once

#include "record/TickClock.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace recordFormat
{
struct HeaderValues
{
    const std::string& pluginPath;
    bool pathIsUtf8; // a CBOR text must be UTF-8: a path that is not goes in as its bytes
    uint64_t instance;
    const std::string& startTime;
    bool fullOutputs;
    tickClock::Calibration clock;
};

// Encodes the header into out; 0 when it does not fit (a path too long).
size_t encodeHeader(const HeaderValues& values, uint8_t* out, size_t size) noexcept;
} // namespace recordFormat
