#include "record/RecordReader.h"

#include "record/RecordFormat.h"
#include "record/RecordLayout.h"
#include "vst/OpCodeTable.h"
#include "vst/VstStructures.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace recordFormat
{
bool Bytes::operator==(const Bytes& other) const
{
    return length == other.length && (length == 0 || std::memcmp(start, other.start, length) == 0);
}

namespace
{
// Fields of the wrong type end the reading of the record as damaged; Beyond says which limit.
struct BadField
{
};
struct Beyond
{
    std::string what;
};

// One item's heads walked without reading it, to tell a cut file from a damaged one.
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

// Reads the CBOR items of one whole item in place; any other type than asked is a BadField.
class Cursor
{
public:
    Cursor(const uint8_t* at, size_t size) : cursor(at), bound(at + size) {}

    bool atEnd() const { return cursor == bound; }
    uint8_t peekMajor() const
    {
        if (cursor == bound)
            throw BadField{};
        return static_cast<uint8_t>(*cursor >> 5);
    }
    uint64_t uint() { return head(0); }
    int64_t integer()
    {
        const uint8_t major = peekMajor();
        const uint64_t value = head(major == 1 ? 1 : 0);
        if (value > static_cast<uint64_t>(INT64_MAX))
            throw BadField{};
        return major == 1 ? -1 - static_cast<int64_t>(value) : static_cast<int64_t>(value);
    }
    bool isSingle() const { return cursor != bound && *cursor == 0xFA; }
    float single()
    {
        if (!isSingle() || bound - cursor < 5)
            throw BadField{};
        uint32_t bits = 0;
        for (int i = 1; i <= 4; ++i)
            bits = bits << 8 | cursor[i];
        cursor += 5;
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    bool boolean()
    {
        if (cursor == bound || (*cursor != 0xF4 && *cursor != 0xF5))
            throw BadField{};
        return *cursor++ == 0xF5;
    }
    uint64_t array() { return head(4); }
    Bytes bytes() { return content(2); }
    std::string text()
    {
        const Bytes text = content(3);
        return std::string(text.begin(), text.end());
    }

private:
    uint64_t head(uint8_t major)
    {
        if (cursor == bound || *cursor >> 5 != major)
            throw BadField{};
        const uint8_t info = *cursor++ & 31;
        if (info < 24)
            return info;
        if (info > 27 || static_cast<size_t>(bound - cursor) < (size_t{1} << (info - 24)))
            throw BadField{};
        uint64_t value = 0;
        for (size_t i = 0; i < size_t{1} << (info - 24); ++i)
            value = value << 8 | *cursor++;
        return value;
    }
    Bytes content(uint8_t major)
    {
        const uint64_t size = head(major);
        if (size > static_cast<uint64_t>(bound - cursor))
            throw BadField{};
        const Bytes bytes(cursor, static_cast<size_t>(size));
        cursor += size;
        return bytes;
    }

    const uint8_t* cursor;
    const uint8_t* bound;
};

void readData(Cursor& in, Record& record)
{
    const uint64_t count = in.array();
    if (count > kMaxDataItems)
        throw Beyond{"it carries " + std::to_string(count) + " data items, more than the " +
                     std::to_string(kMaxDataItems) + " of an event list of " +
                     std::to_string(kMaxEvents) + " events"};
    // Counted first, so that each list takes no more than it holds.
    Cursor counting = in;
    size_t numbers = 0;
    for (uint64_t i = 0; i < count; ++i)
    {
        if (counting.peekMajor() == 0)
        {
            counting.uint();
            ++numbers;
        }
        else
            counting.bytes();
    }
    record.numbers.reserve(numbers);
    record.bytes.reserve(count - numbers);
    for (uint64_t i = 0; i < count; ++i)
    {
        if (in.peekMajor() == 0)
            record.numbers.push_back(in.uint());
        else
            record.bytes.push_back(in.bytes());
    }
}

uint64_t blockSamples(const Record& record)
{
    return static_cast<uint64_t>(std::max<int64_t>(record.frames(), 0)) *
           static_cast<uint64_t>(std::max<int64_t>(int64_t{record.inputs()} + record.outputs(), 1));
}

void checkProcessCall(const Record& record)
{
    const int64_t inputs = record.inputs();
    const int64_t outputs = record.outputs();
    if (inputs < 0 || outputs < 0 || inputs > kMaxChannels || outputs > kMaxChannels)
        throw Beyond{"its process call has " + std::to_string(inputs) + " inputs and " +
                     std::to_string(outputs) + " outputs, more than " +
                     std::to_string(kMaxChannels) + " or fewer than none"};
    if (record.frames() > kMaxFrames || record.frames() < INT32_MIN)
        throw Beyond{"its process call has " + std::to_string(record.frames()) +
                     " frames, more than " + std::to_string(kMaxFrames)};
    if (const uint64_t samples = blockSamples(record); samples > kMaxBlockSamples)
        throw Beyond{"its process call has " + std::to_string(samples) +
                     " samples in its channels, more than " + std::to_string(kMaxBlockSamples)};
}

template <typename T> T fieldAt(const Bytes& bytes, size_t offset)
{
    T value{};
    if (bytes.size() >= offset + sizeof value)
        std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// A structure the plug-in reads as far as its own counts say holds all of it.
void checkArrangement(const Bytes& bytes)
{
    if (bytes.empty())
        return;
    const auto channels = fieldAt<int32_t>(bytes, offsetof(VstSpeakerArrangement, numChannels));
    if (channels > kMaxChannels ||
        bytes.size() <
            offsetof(VstSpeakerArrangement, speakers) +
                sizeof(VstSpeakerProperties) * static_cast<size_t>(std::max(channels, 0)))
        throw Beyond{"its speaker arrangement of " + std::to_string(channels) +
                     " channels is not all in it"};
}

void checkEvents(const Record& record)
{
    for (size_t i = 0; i < record.bytes.size(); ++i)
    {
        const Bytes& event = record.bytes[i];
        if (event.empty() || fieldAt<int32_t>(event, offsetof(VstEvent, type)) != kVstEventSysEx)
            continue;
        const auto claimed = fieldAt<int32_t>(event, offsetof(VstMidiSysexEvent, dumpBytes));
        const bool dump = fieldAt<uint64_t>(event, offsetof(VstMidiSysexEvent, dump)) != 0;
        const size_t recorded = i + 1 < record.bytes.size() ? record.bytes[++i].size() : 0;
        if (dump && claimed > 0 && recorded != static_cast<size_t>(claimed))
            throw Beyond{"its SysEx event of " + std::to_string(claimed) +
                         " bytes does not hold them"};
    }
}

// What the plug-in is handed reads no further than the recording holds.
void checkCall(const Record& record)
{
    const auto function = static_cast<VstFunctionIndex>(record.function);
    if (isProcessFunction(record.function))
    {
        checkProcessCall(record);
        return;
    }
    switch (carriedIn(function, record.opcode))
    {
    case Carried::chunkIn:
        if (record.ptr != 0 && record.value > 0 &&
            (record.bytes.empty() || record.bytes[0].size() != static_cast<uint64_t>(record.value)))
            throw Beyond{"its chunk of " + std::to_string(record.value) +
                         " bytes is not all in it"};
        break;
    case Carried::events:
        checkEvents(record);
        break;
    case Carried::arrangements:
        for (const Bytes& arrangement : record.bytes)
            checkArrangement(arrangement);
        break;
    default:
        break;
    }
}

void readPayload(Cursor& in, Record& record)
{
    const uint64_t fields = in.array();
    if (fields < 1)
        throw BadField{};
    record.kind = static_cast<uint8_t>(std::min<uint64_t>(in.uint(), 255));
    if (record.kind == kGap || record.kind == kEnd)
    {
        if (fields != (record.kind == kGap ? fieldCount<GapField> : fieldCount<EndField>))
            throw BadField{};
        if (record.kind == kGap)
            record.dropped = in.uint();
        return;
    }
    const bool isCall = record.kind == kCall;
    if ((!isCall && record.kind != kReturn) ||
        fields != (isCall ? fieldCount<CallField> : fieldCount<ReturnField>))
        throw BadField{};
    record.thread = static_cast<uint32_t>(in.uint());
    record.role = static_cast<uint8_t>(std::min<uint64_t>(in.uint(), 255));
    const uint64_t function = in.uint();
    if (function >= kNumVstFunctions)
        throw BadField{};
    record.function = static_cast<uint8_t>(function);
    record.opcode = static_cast<int32_t>(in.integer());
    if (isCall)
    {
        record.index = static_cast<int32_t>(in.integer());
        record.value = in.integer();
        record.opt = in.single();
        record.ptr = in.uint();
        record.mxcsr = static_cast<uint32_t>(in.uint());
        record.timeNs = in.uint();
        readData(in, record);
        checkCall(record);
        return;
    }
    record.resultIsFloat = in.isSingle();
    if (record.resultIsFloat)
        record.floatResult = in.single();
    else
        record.result = in.integer();
    record.timeNs = in.uint();
    readData(in, record);
    if (carriedOut(static_cast<VstFunctionIndex>(record.function), record.opcode) ==
        Carried::arrangementsAt)
        for (const Bytes& arrangement : record.bytes)
            checkArrangement(arrangement);
}

void readHeader(Cursor& in, Header& header, Recording& recording)
{
    const uint64_t fields = in.array();
    if (fields < 2 || in.text() != kMagic)
        throw BadField{};
    header.version = in.uint();
    if (header.version < 1 || header.version > kVersion)
    {
        recording.problem = "format version " + std::to_string(header.version) +
                            ", this oplexa-host reads versions 1 to " + std::to_string(kVersion);
        return;
    }
    if (fields != (header.version == 1 ? place(kVersion1HeaderEnd) : fieldCount<HeaderField>))
        throw BadField{};
    if (in.peekMajor() == 2) // a path that is not valid UTF-8
    {
        const Bytes path = in.bytes();
        header.pluginPath.assign(path.begin(), path.end());
    }
    else
        header.pluginPath = in.text();
    header.instance = in.uint();
    header.startTime = in.text();
    header.fullOutputs = in.boolean();
    if (header.version > 1)
    {
        const uint64_t ticks = in.uint();
        const uint64_t ns = in.uint();
        header.clock = {ticks, ns, in.uint()};
    }
}

// Ticks to nanoseconds; outputs that a crash wrote before the writer hashed them, hashed.
void settle(const Header& header, Record& record)
{
    record.timeNs = tickClock::toNs(record.timeNs, header.clock);
    if (record.kind != kReturn || !isProcessFunction(record.function) || header.fullOutputs)
        return;
    for (const Bytes& channel : record.bytes)
        record.numbers.push_back(outputHash(channel.data(), channel.size()));
    record.bytes.clear();
    record.bytes.shrink_to_fit();
}

// What a record costs in memory kept: itself, its lists, their allocations, and the replay's
// and the printout's arrangement of it.
size_t footprint(const Record& record)
{
    constexpr size_t kAllocation = 16;
    constexpr size_t kArranged = 64;
    return sizeof(Record) + kArranged +
           (record.bytes.empty() ? 0 : record.bytes.capacity() * sizeof(Bytes) + kAllocation) +
           (record.numbers.empty() ? 0
                                   : record.numbers.capacity() * sizeof(uint64_t) + kAllocation);
}

// A file that still ends with the end marker was not cut short: a record that runs past its
// end was damaged instead.
bool endsWithEndMarker(const uint8_t* data, size_t size)
{
    uint8_t payload[8];
    uint8_t marker[32];
    const size_t length =
        wrapRecord(payload, endPayload(payload, sizeof payload), marker, sizeof marker);
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
    const size_t budget = size + kRecordsSlack;
    size_t used = 0;
    const uint64_t sampleBudget = kSamplesPerFileByte * size + kFreeSamples;
    uint64_t samples = 0;
    size_t at = 0;
    for (size_t number = 0;; ++number)
    {
        if (at == size)
        {
            stop(recording, Ending::truncated, number,
                 number == 0 ? "the file is empty" : "the file ends without the end marker");
            return;
        }
        size_t next = at;
        const Walk walk = walkItem(data, size, next, 0);
        if (walk != Walk::whole)
        {
            const bool cut = walk == Walk::cut && !marked;
            stop(recording, cut ? Ending::truncated : Ending::damaged, number,
                 cut ? "the file ends inside it" : "it is not valid CBOR");
            return;
        }
        Cursor item(data + at, next - at);
        at = next;
        try
        {
            if (number == 0)
            {
                readHeader(item, recording.header, recording);
                if (!recording.problem.empty())
                {
                    recording.ending = Ending::damaged;
                    return;
                }
                continue;
            }
            if (item.array() != 2)
                throw BadField{};
            const Bytes payload = item.bytes();
            if (item.uint() != checksum(payload.data(), payload.size()))
            {
                stop(recording, Ending::damaged, number, "its checksum does not match");
                return;
            }
            Cursor fields(payload.data(), payload.size());
            Record record;
            record.number = number;
            readPayload(fields, record);
            if (!fields.atEnd())
                throw BadField{};
            settle(recording.header, record);
            if (record.kind == kEnd)
            {
                recording.ending = Ending::complete;
                return;
            }
            if (record.kind == kCall && isProcessFunction(record.function))
                samples += blockSamples(record);
            if (samples > sampleBudget)
                throw Beyond{"the blocks up to it hold more than the " +
                             std::to_string(sampleBudget) +
                             " samples oplexa-host replays from a file of its size"};
            used += footprint(record);
            if (used > budget)
                throw Beyond{"the records up to it take more than the " +
                             std::to_string(budget >> 20) +
                             " MB oplexa-host keeps for a file of its size"};
            recording.hasGap = recording.hasGap || record.kind == kGap;
            recording.records.push_back(std::move(record));
        }
        catch (const BadField&)
        {
            stop(recording, Ending::damaged, number,
                 number == 0 ? "it is no Oplexa recording header" : "its fields are malformed");
            return;
        }
        catch (const Beyond& beyond)
        {
            stop(recording, Ending::damaged, number, beyond.what);
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
    // Sized once from the file's length, so that it takes no more than the file.
    std::vector<uint8_t>& data = recording.file;
    if (std::fseek(file, 0, SEEK_END) == 0)
        if (const long length = std::ftell(file); length > 0)
            data.reserve(static_cast<size_t>(length));
    std::rewind(file);
    uint8_t block[1 << 16];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        data.insert(data.end(), block, block + got);
    std::fclose(file);
    readRecording(data.data(), data.size(), recording);
    return true;
}
} // namespace recordFormat
