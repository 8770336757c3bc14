#include "logger/RecordReader.h"

#include "logger/RecordFormat.h"

#include <cbor.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace recfmt
{
namespace
{
struct ItemDeleter
{
    void operator()(cbor_item_t* item) const noexcept { cbor_decref(&item); }
};
using Item = std::unique_ptr<cbor_item_t, ItemDeleter>;

// Fields of the wrong type end the reading of the record as damaged.
struct BadField
{
};

uint64_t toUint(const cbor_item_t* item)
{
    if (!cbor_isa_uint(item))
        throw BadField{};
    return cbor_get_int(item);
}

int64_t toInt(const cbor_item_t* item)
{
    if (cbor_isa_uint(item))
        return static_cast<int64_t>(cbor_get_int(item));
    if (cbor_isa_negint(item))
        return -1 - static_cast<int64_t>(cbor_get_int(item));
    throw BadField{};
}

bool isFloat(const cbor_item_t* item)
{
    return cbor_isa_float_ctrl(item) && cbor_float_get_width(item) == CBOR_FLOAT_32;
}

float toFloat(const cbor_item_t* item)
{
    if (!isFloat(item))
        throw BadField{};
    return cbor_float_get_float4(item);
}

std::string toText(const cbor_item_t* item)
{
    if (!cbor_isa_string(item) || !cbor_string_is_definite(item))
        throw BadField{};
    return std::string(reinterpret_cast<const char*>(cbor_string_handle(item)),
                       cbor_string_length(item));
}

std::vector<uint8_t> toBytes(const cbor_item_t* item)
{
    if (!cbor_isa_bytestring(item) || !cbor_bytestring_is_definite(item))
        throw BadField{};
    const uint8_t* at = cbor_bytestring_handle(item);
    return std::vector<uint8_t>(at, at + cbor_bytestring_length(item));
}

cbor_item_t* const* arrayOf(const cbor_item_t* item, size_t size)
{
    if (!cbor_isa_array(item) || !cbor_array_is_definite(item) || cbor_array_size(item) != size)
        throw BadField{};
    return cbor_array_handle(item);
}

void readData(const cbor_item_t* item, Record& record)
{
    if (!cbor_isa_array(item) || !cbor_array_is_definite(item))
        throw BadField{};
    cbor_item_t* const* items = cbor_array_handle(item);
    for (size_t i = 0; i < cbor_array_size(item); ++i)
    {
        if (cbor_isa_uint(items[i]))
            record.numbers.push_back(cbor_get_int(items[i]));
        else
            record.bytes.push_back(toBytes(items[i]));
    }
}

void readPayload(const cbor_item_t* payload, Record& record)
{
    if (!cbor_isa_array(payload) || !cbor_array_is_definite(payload) ||
        cbor_array_size(payload) < 1)
        throw BadField{};
    record.kind = static_cast<uint8_t>(toUint(cbor_array_handle(payload)[0]));
    if (record.kind == kGap)
    {
        record.dropped = toUint(arrayOf(payload, 2)[1]);
        return;
    }
    if (record.kind == kEnd)
        return;
    const bool isCall = record.kind == kCall;
    if (!isCall && record.kind != kReturn)
        throw BadField{};
    cbor_item_t* const* f = arrayOf(payload, isCall ? 12 : 8);
    record.thread = static_cast<uint32_t>(toUint(f[1]));
    record.role = static_cast<uint8_t>(toUint(f[2]));
    record.function = static_cast<int>(toUint(f[3]));
    if (record.function > 6)
        throw BadField{};
    record.opcode = static_cast<int32_t>(toInt(f[4]));
    if (isCall)
    {
        record.index = static_cast<int32_t>(toInt(f[5]));
        record.value = toInt(f[6]);
        record.opt = toFloat(f[7]);
        record.ptr = toUint(f[8]);
        record.mxcsr = static_cast<uint32_t>(toUint(f[9]));
        record.timeNs = toUint(f[10]);
        readData(f[11], record);
        return;
    }
    record.resultIsFloat = isFloat(f[5]);
    if (record.resultIsFloat)
        record.floatResult = toFloat(f[5]);
    else
        record.result = toInt(f[5]);
    record.timeNs = toUint(f[6]);
    readData(f[7], record);
}

void readHeader(const cbor_item_t* item, Header& header, Recording& recording)
{
    if (!cbor_isa_array(item) || cbor_array_size(item) < 2 ||
        toText(cbor_array_handle(item)[0]) != kMagic)
        throw BadField{};
    header.version = toUint(cbor_array_handle(item)[1]);
    if (header.version < 1 || header.version > kVersion)
    {
        recording.problem = "format version " + std::to_string(header.version) +
                            ", this oplexa-host reads versions 1 to " + std::to_string(kVersion);
        return;
    }
    cbor_item_t* const* f = arrayOf(item, header.version == 1 ? 6 : 9);
    if (cbor_isa_bytestring(f[2])) // a path that is not valid UTF-8
    {
        const std::vector<uint8_t> path = toBytes(f[2]);
        header.pluginPath.assign(path.begin(), path.end());
    }
    else
        header.pluginPath = toText(f[2]);
    header.instance = toUint(f[3]);
    header.startTime = toText(f[4]);
    if (!cbor_isa_float_ctrl(f[5]) || cbor_float_get_width(f[5]) != CBOR_FLOAT_0 ||
        !cbor_is_bool(f[5]))
        throw BadField{};
    header.fullOutputs = cbor_get_bool(f[5]);
    if (header.version > 1)
        header.clock = {toUint(f[6]), toUint(f[7]), toUint(f[8])};
}

// Ticks to nanoseconds; outputs that a crash wrote before the writer hashed them, hashed.
void settle(const Header& header, Record& record)
{
    record.timeNs = tickclock::toNs(record.timeNs, header.clock);
    if (record.kind != kReturn || !isProcessFunction(static_cast<uint64_t>(record.function)) ||
        header.fullOutputs)
        return;
    for (const std::vector<uint8_t>& channel : record.bytes)
        record.numbers.push_back(outputHash(channel.data(), channel.size()));
    record.bytes.clear();
}

// One item's heads walked without building it. libcbor allocates what an array head claims
// before it looks for the elements, so an item is only loaded once it is known to be whole.
enum class Walk
{
    whole,
    cut,
    bad,
};

Walk walkItem(const uint8_t* data, size_t size, size_t& at, int depth)
{
    if (depth > 8)
        return Walk::bad;
    if (at >= size)
        return Walk::cut;
    const uint8_t major = data[at] >> 5;
    const uint8_t info = data[at] & 31;
    ++at;
    if (info > 27 || major == 5 || major == 6) // nor indefinite lengths, maps or tags
        return Walk::bad;
    uint64_t argument = info;
    if (info >= 24 && info <= 27)
    {
        const size_t length = size_t{1} << (info - 24);
        if (size - at < length)
            return Walk::cut;
        argument = 0;
        for (size_t i = 0; i < length; ++i)
            argument = argument << 8 | data[at++];
    }
    if (major == 2 || major == 3)
    {
        if (argument > size - at)
            return Walk::cut;
        at += argument;
    }
    else if (major == 4)
    {
        // Each element takes a byte at least.
        if (argument > size - at)
            return Walk::cut;
        for (uint64_t i = 0; i < argument; ++i)
            if (const Walk walk = walkItem(data, size, at, depth + 1); walk != Walk::whole)
                return walk;
    }
    return Walk::whole;
}

Walk checkWhole(const uint8_t* data, size_t size)
{
    size_t at = 0;
    return walkItem(data, size, at, 0);
}

// A file that still ends with the end marker was not cut short: a record that runs past its
// end was damaged instead.
bool endsWithEndMarker(const uint8_t* data, size_t size)
{
    const uint8_t payload[] = {0x81, kEnd};
    uint8_t marker[32];
    const size_t length = wrapRecord(payload, sizeof payload, marker, sizeof marker);
    return size >= length && std::memcmp(data + size - length, marker, length) == 0;
}

void stop(Recording& recording, Ending ending, size_t record, const std::string& problem)
{
    recording.ending = ending;
    recording.stopRecord = record;
    recording.problem = problem;
}
} // namespace

void readRecording(const uint8_t* data, size_t size, Recording& recording)
{
    const bool marked = endsWithEndMarker(data, size);
    size_t at = 0;
    for (size_t number = 0;; ++number)
    {
        if (at == size)
        {
            stop(recording, Ending::truncated, number,
                 number == 0 ? "the file is empty" : "the file ends without the end marker");
            return;
        }
        const Walk walk = checkWhole(data + at, size - at);
        cbor_load_result loaded{};
        const Item item(walk == Walk::whole ? cbor_load(data + at, size - at, &loaded) : nullptr);
        if (item == nullptr)
        {
            const bool cut = walk == Walk::cut && !marked;
            stop(recording, cut ? Ending::truncated : Ending::damaged, number,
                 cut ? "the file ends inside it" : "it is not valid CBOR");
            return;
        }
        at += loaded.read;
        try
        {
            if (number == 0)
            {
                readHeader(item.get(), recording.header, recording);
                if (!recording.problem.empty())
                {
                    recording.ending = Ending::damaged;
                    return;
                }
                continue;
            }
            cbor_item_t* const* wrapped = arrayOf(item.get(), 2);
            const std::vector<uint8_t> payload = toBytes(wrapped[0]);
            if (toUint(wrapped[1]) != checksum(payload.data(), payload.size()))
            {
                stop(recording, Ending::damaged, number, "its checksum does not match");
                return;
            }
            cbor_load_result inner{};
            const Item fields(checkWhole(payload.data(), payload.size()) == Walk::whole
                                  ? cbor_load(payload.data(), payload.size(), &inner)
                                  : nullptr);
            if (fields == nullptr || inner.read != payload.size())
                throw BadField{};
            Record record;
            record.number = number;
            readPayload(fields.get(), record);
            settle(recording.header, record);
            if (record.kind == kEnd)
            {
                recording.ending = Ending::complete;
                return;
            }
            recording.hasGap = recording.hasGap || record.kind == kGap;
            recording.records.push_back(std::move(record));
        }
        catch (const BadField&)
        {
            stop(recording, Ending::damaged, number,
                 number == 0 ? "it is no Oplexa recording header" : "its fields are malformed");
            return;
        }
    }
}

bool readRecordingFile(const std::string& path, Recording& recording)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
    {
        recording.problem = "cannot open " + path + ": " + std::strerror(errno);
        recording.ending = Ending::damaged;
        return false;
    }
    std::vector<uint8_t> data;
    uint8_t block[1 << 16];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        data.insert(data.end(), block, block + got);
    std::fclose(file);
    readRecording(data.data(), data.size(), recording);
    return true;
}
} // namespace recfmt
