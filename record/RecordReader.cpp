#include "record/RecordReader.h"

#include "record/RecordFormat.h"
#include "record/RecordLayout.h"
#include "vst/OpCodeTable.h"
#include "vst/VstStructures.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>

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

int32_t int32Field(Cursor& in)
{
    const int64_t value = in.integer();
    if (value < INT32_MIN || value > INT32_MAX)
        throw BadField{};
    return static_cast<int32_t>(value);
}

void readPlugin(Cursor& in, Record& record)
{
    record.thread = static_cast<uint32_t>(in.uint());
    PluginRecord& plugin = record.plugin;
    for (int32_t* field : {&plugin.flags, &plugin.numPrograms, &plugin.numParams, &plugin.numInputs,
                           &plugin.numOutputs, &plugin.initialDelay})
        *field = int32Field(in);
    const uint64_t functions = in.uint();
    if (functions >= uint64_t{1} << kNumVstFunctions)
        throw BadField{};
    plugin.functions = static_cast<uint32_t>(functions);
}

// The counts a hashed process return carries (kProcessReturnCounts): triples of a channel, in
// increasing order, and its two counts.
void readOutputCounts(Cursor& in, Record& record)
{
    const size_t channels = record.numbers.size();
    if (!isProcessFunction(record.function) || !record.bytes.empty())
        throw BadField{};
    if (channels > static_cast<size_t>(kMaxChannels))
        throw Beyond{"its process return has " + std::to_string(channels) + " outputs, more than " +
                     std::to_string(kMaxChannels)};
    const uint64_t items = in.array();
    if (items % 3 != 0 || items / 3 > channels)
        throw BadField{};
    record.outputCounts.assign(channels, {});
    for (uint64_t i = 0, next = 0; i < items / 3; ++i)
    {
        const uint64_t channel = in.uint();
        const uint64_t nonFinite = in.uint();
        const uint64_t denormal = in.uint();
        if (channel < next || channel >= channels || nonFinite > UINT32_MAX ||
            denormal > UINT32_MAX)
            throw BadField{};
        record.outputCounts[channel] = {static_cast<uint32_t>(nonFinite),
                                        static_cast<uint32_t>(denormal)};
        next = channel + 1;
    }
}

void readPayload(Cursor& in, Record& record, uint64_t version)
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
    if (record.kind == kPlugin)
    {
        if (version < 4 || fields != fieldCount<PluginField>)
            throw BadField{};
        readPlugin(in, record);
        return;
    }
    const bool isCall = record.kind == kCall;
    const bool counted = !isCall && version >= 4 && fields == kProcessReturnCounts + 1;
    if ((!isCall && record.kind != kReturn) ||
        (fields != (isCall ? fieldCount<CallField> : fieldCount<ReturnField>)&&!counted))
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
    if (counted)
        readOutputCounts(in, record);
    if (carriedOut(static_cast<VstFunctionIndex>(record.function), record.opcode) ==
        Carried::arrangementsAt)
        for (const Bytes& arrangement : record.bytes)
            checkArrangement(arrangement);
}

template <typename Reading> void readHeader(Cursor& in, Header& header, Reading& recording)
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

// Ticks to nanoseconds; outputs in full counted; outputs that a crash wrote before the writer
// hashed them, hashed.
void settle(const Header& header, Record& record)
{
    if (record.kind == kPlugin)
        return;
    record.timeNs = tickClock::toNs(record.timeNs, header.clock);
    if (record.kind != kReturn || !isProcessFunction(record.function))
        return;
    if (!record.bytes.empty() && record.bytes.size() <= static_cast<size_t>(kMaxChannels))
        for (const Bytes& channel : record.bytes)
            record.outputCounts.push_back(countSamples(
                channel.data(), channel.size(), record.function == fnProcessDoubleReplacing));
    if (header.fullOutputs)
        return;
    for (const Bytes& channel : record.bytes)
        record.numbers.push_back(outputHash(channel.data(), channel.size()));
    record.bytes.clear();
    record.bytes.shrink_to_fit();
    record.storage = {};
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

} // namespace

const char* endingName(Ending ending) noexcept
{
    switch (ending)
    {
    case Ending::complete:
        return "complete";
    case Ending::damaged:
        return "damaged";
    default:
        return "truncated";
    }
}

size_t memoryOf(const Record& record)
{
    constexpr size_t kAllocation = 16;
    return sizeof(Record) + record.storage.capacity() +
           (record.bytes.empty() ? 0 : record.bytes.capacity() * sizeof(Bytes) + kAllocation) +
           (record.numbers.empty() ? 0
                                   : record.numbers.capacity() * sizeof(uint64_t) + kAllocation) +
           (record.outputCounts.empty()
                ? 0
                : record.outputCounts.capacity() * sizeof(OutputCounts) + kAllocation);
}

RecordStream::~RecordStream()
{
    if (file != nullptr)
        std::fclose(file);
}

bool RecordStream::open(const std::string& path)
{
    file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
    {
        problem = "cannot open " + path + ": " + std::strerror(errno);
        ending = Ending::damaged;
        return false;
    }
    long size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::max(std::ftell(file), 0L);
    // The file's tail, to tell whether it holds the end marker.
    uint8_t tail[32];
    const size_t tailSize = std::min(static_cast<size_t>(size), sizeof tail);
    const bool tailRead = std::fseek(file, size - static_cast<long>(tailSize), SEEK_SET) == 0 &&
                          std::fread(tail, 1, tailSize, file) == tailSize;
    marked = tailRead && endsWithEndMarker(tail, tailSize);
    std::rewind(file);
    sampleBudget = kSamplesPerFileByte * static_cast<uint64_t>(size) + kFreeSamples;
    return true;
}

void RecordStream::open(const uint8_t* bytes, size_t size)
{
    data = bytes;
    end = size;
    marked = endsWithEndMarker(bytes, size);
    sampleBudget = kSamplesPerFileByte * size + kFreeSamples;
}

// More of the file after the unread bytes; false at its end. The buffer grows to hold a record.
bool RecordStream::fill()
{
    if (file == nullptr)
        return false;
    constexpr size_t kChunk = size_t{1} << 20;
    const size_t unread = end - begin;
    if (begin > 0)
        std::memmove(buffer.data(), buffer.data() + begin, unread);
    begin = 0;
    end = unread;
    if (buffer.size() < kChunk || unread == buffer.size())
    {
        if (buffer.size() >= kMaxRecordBytes)
            return false;
        buffer.resize(std::min(std::max(buffer.size() * 2, kChunk), kMaxRecordBytes));
    }
    data = buffer.data();
    const size_t got = std::fread(buffer.data() + end, 1, buffer.size() - end, file);
    end += got;
    return got > 0;
}

bool RecordStream::stop(Ending how, const std::string& why)
{
    finished = true;
    ending = how;
    stopRecord = number;
    problem = why;
    return false;
}

bool RecordStream::next(Record& record)
{
    for (; !finished; ++number)
    {
        if (begin == end && !fill())
            return stop(Ending::truncated,
                        number == 0 ? "the file is empty" : "the file ends without the end marker");
        size_t next = begin;
        Walk walk = walkItem(data, end, next, 0);
        while (walk == Walk::cut && fill())
            walk = walkItem(data, end, next = begin, 0);
        if (walk == Walk::cut && end - begin >= kMaxRecordBytes)
            return stop(Ending::damaged, "it is longer than the " +
                                             std::to_string(kMaxRecordBytes >> 20) +
                                             " MB oplexa-host reads in one record");
        if (walk != Walk::whole)
        {
            const bool cut = walk == Walk::cut && !marked;
            return stop(cut ? Ending::truncated : Ending::damaged,
                        cut ? "the file ends inside it" : "it is not valid CBOR");
        }
        Cursor item(data + begin, next - begin);
        begin = next;
        try
        {
            if (number == 0)
            {
                readHeader(item, header, *this);
                if (!problem.empty())
                    return stop(Ending::damaged, problem);
                continue;
            }
            if (item.array() != 2)
                throw BadField{};
            const Bytes payload = item.bytes();
            if (item.uint() != checksum(payload.data(), payload.size()))
                return stop(Ending::damaged, "its checksum does not match");
            record = Record{};
            record.storage.assign(payload.begin(), payload.end());
            Cursor fields(record.storage.data(), record.storage.size());
            record.number = number;
            readPayload(fields, record, header.version);
            if (!fields.atEnd())
                throw BadField{};
            settle(header, record);
            if (record.kind == kEnd)
            {
                stop(Ending::complete, "");
                return false;
            }
            if (record.kind == kPlugin)
            {
                record.number = 0;
                return true;
            }
            if (record.kind == kCall && isProcessFunction(record.function))
                samples += blockSamples(record);
            if (samples > sampleBudget)
                throw Beyond{"the blocks up to it hold more than the " +
                             std::to_string(sampleBudget) +
                             " samples oplexa-host replays from a file of its size"};
            ++number;
            return true;
        }
        catch (const BadField&)
        {
            return stop(Ending::damaged, number == 0 ? "it is no Oplexa recording header"
                                                     : "its fields are malformed");
        }
        catch (const Beyond& beyond)
        {
            return stop(Ending::damaged, beyond.what);
        }
    }
    return false;
}

void readRecording(const uint8_t* data, size_t size, Recording& recording)
{
    RecordStream stream;
    stream.open(data, size);
    Record record;
    while (stream.next(record))
    {
        recording.hasGap = recording.hasGap || record.kind == kGap;
        recording.records.push_back(std::move(record));
    }
    recording.header = stream.header;
    recording.ending = stream.ending;
    recording.stopRecord = stream.stopRecord;
    recording.problem = stream.problem;
}
} // namespace recordFormat
