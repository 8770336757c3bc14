// Any bytes as a recording: the reader, the replay's arrangement of what it read and the
// printout must end cleanly, never crash, hang, read out of bounds or take memory beyond the
// file's size and the replay's window. Mutations break the records' checksums, which would stop the
// reader at the first one: each record's checksum is made right again before reading, so that the
// fuzzer reaches the fields behind it.
#include "record/RecordFormat.h"
#include "record/RecordReader.h"
#include "tools/host/RecordPrint.h"
#include "tools/host/ReplayScript.h"

#include <cstdio>
#include <vector>

namespace
{
// Past one CBOR item from at; false when it is not whole.
bool skip(const uint8_t* data, size_t size, size_t& at, int depth = 0)
{
    if (at >= size || depth > 8)
        return false;
    const uint8_t major = data[at] >> 5;
    const uint8_t info = data[at++] & 31;
    uint64_t argument = info;
    if (info > 27)
        return false;
    if (info >= 24)
    {
        const size_t length = size_t{1} << (info - 24);
        if (size - at < length)
            return false;
        argument = 0;
        for (size_t i = 0; i < length; ++i)
            argument = argument << 8 | data[at++];
    }
    if (major == 2 || major == 3)
    {
        if (argument > size - at)
            return false;
        at += argument;
        return true;
    }
    if (major == 4)
        for (uint64_t i = 0; i < argument; ++i)
            if (!skip(data, size, at, depth + 1))
                return false;
    return major != 5 && major != 6;
}

// The sequence with each [payload, checksum] item's checksum recomputed; the rest as it was.
std::vector<uint8_t> withChecksums(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> out;
    out.reserve(size + 64);
    size_t at = 0;
    for (bool header = true; at < size; header = false)
    {
        const size_t begin = at;
        size_t payload = at + 1;
        const size_t payloadBegin = payload;
        if (!header && data[at] == 0x82 && payload < size && data[payload] >> 5 == 2 &&
            skip(data, size, payload))
        {
            size_t sum = payload;
            skip(data, size, sum);
            out.push_back(0x82);
            out.insert(out.end(), data + payloadBegin, data + payload);
            // The payload's bytes follow its head: found by skipping the head alone.
            size_t content = payloadBegin;
            const uint8_t info = data[content] & 31;
            content += 1 + (info >= 24 && info <= 27 ? size_t{1} << (info - 24) : 0);
            uint8_t encoded[9];
            recordFormat::Writer writer(encoded, sizeof encoded);
            writer.uint(recordFormat::checksum(data + content, payload - content));
            out.insert(out.end(), encoded, encoded + writer.size());
            at = sum;
            continue;
        }
        if (!skip(data, size, at))
            at = size;
        out.insert(out.end(), data + begin, data + at);
    }
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> fixed = withChecksums(data, size);
    recordFormat::Recording recording;
    recordFormat::readRecording(fixed.data(), fixed.size(), recording);
    recordFormat::RecordStream surveyed;
    surveyed.open(fixed.data(), fixed.size());
    host::ReplayScript::Survey found;
    host::ReplayScript::survey(surveyed, found);
    host::ReplayScript script(found);
    script.open(fixed.data(), fixed.size());
    for (size_t call = 0; script.readTo(call) && !script.done(call); script.release(++call))
        script.loaded();
    static FILE* const nowhere = std::fopen("/dev/null", "w");
    host::printRecords(recording, nowhere);
    return 0;
}
