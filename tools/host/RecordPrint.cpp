// oplexa-host --print: every recorded call as the lines Oplexa's log gives it with every lamp on,
// parameters and return values shown and structures decoded, made by the logger's own
// formatting and decoders from the recorded data. Where the log's prefix has the time of day
// and the thread's handle, these have the time since the first record and the recorded thread
// with its role; call lines start with the number the replay names calls by.
#include "tools/host/RecordPrint.h"

#include "logger/CallFormat.h"
#include "logger/StructureDecoder.h"
#include "record/RecordFormat.h"
#include "record/RecordLayout.h"
#include "tools/host/HostLog.h"
#include "tools/host/RecordedStructures.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace host
{
namespace
{
using recordFormat::Record;
constexpr size_t kOutputsPointer =
    recordFormat::place(recordFormat::ProcessCallData::outputsPointer);

class PrintedLines final : public detail::DetailLines
{
public:
    PrintedLines(FILE* to, std::string linePrefix) : out(to), prefix(std::move(linePrefix)) {}

    // A line begun with the prefix, for the caller to add its message to.
    void begin(LineBuffer& line, const char* before = "") const noexcept
    {
        line.appendText(before);
        line.appendText(prefix.c_str());
        line.markMessageStart();
    }
    void finish(LineBuffer& line) const noexcept
    {
        const size_t length = line.finishLine();
        std::fwrite(line.c_str(), 1, length, out);
    }
    void write(const char* message) noexcept override
    {
        LineBuffer line;
        begin(line);
        line.appendText(message);
        finish(line);
    }

private:
    FILE* out;
    std::string prefix;
};

const char* prefixOf(VstFunctionIndex function)
{
    return function == fnDispatcher ? "eff" : "audioMaster";
}

bool isOpcodeFunction(int function)
{
    return function == fnDispatcher || function == fnAudioMaster;
}

void* recordedPointer(uint64_t value)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(value));
}

// Not in the log: what the recording keeps of the outputs, 8 channels a line past 8.
void showOutputs(PrintedLines& printed, const Record& record)
{
    constexpr size_t kPerLine = 8;
    const size_t hashes = record.numbers.size();
    const size_t channels = hashes + record.bytes.size();
    for (size_t first = 0; first == 0 || first < channels; first += kPerLine)
    {
        LineBuffer line;
        const size_t end = std::min(channels, first + kPerLine);
        if (channels <= kPerLine)
            line.append("  outputs:");
        else
            line.append("  outputs %zu-%zu:", first, end - 1);
        for (size_t c = first; c < end; ++c)
            if (c < hashes)
                line.append(" xxh3 %016" PRIx64, record.numbers[c]);
            else
                line.append(" %zu bytes", record.bytes[c - hashes].size());
        printed.write(line.c_str());
    }
}

// What a return reads of its call, kept while the call is open: a few numbers, not its bytes,
// since a streamed call's record is read over by the next one, and a thread may leave a million
// calls open.
struct OpenCall
{
    uint64_t ptr;
    int64_t value;
    int32_t opcode;
    uint8_t function;

    Record asRecord() const
    {
        Record call;
        call.kind = recordFormat::kCall;
        call.ptr = ptr;
        call.value = value;
        call.opcode = opcode;
        call.function = function;
        return call;
    }
};

class Printer
{
public:
    Printer(FILE* to, const recordFormat::Header& header) : out(to), name(recordedName(header)) {}

    void print(const Record& record);

    void call(const Record& record);
    void ret(const Record& record);

private:
    PrintedLines lines(const Record& record) const;
    void showMxcsr(PrintedLines& lines, const Record& record);

    FILE* out;
    std::string name;
    uint64_t firstNs = 0;
    size_t ordinal = 0;
    // The calls each thread is inside: a return rebuilds what it needs on its own.
    // The calls still open on each thread, as much of them as their returns read.
    std::map<uint32_t, std::vector<OpenCall>> open;
    std::map<uint32_t, uint32_t> mxcsr;
};

PrintedLines Printer::lines(const Record& record) const
{
    const uint64_t ns = record.timeNs >= firstNs ? record.timeNs - firstNs : 0;
    char thread[48];
    threadLabel(thread, sizeof thread, record.thread, record.role);
    char prefix[96];
    std::snprintf(prefix, sizeof prefix, "%" PRIu64 ".%09" PRIu64 " (%s) ", ns / 1000000000,
                  ns % 1000000000, thread);
    return PrintedLines(out, prefix + name + ":");
}

// The log does not show a thread's floating-point mode; the printout does where its controls
// change (not its sticky exception flags).
void Printer::showMxcsr(PrintedLines& lines, const Record& record)
{
    constexpr uint32_t kControls = ~0x3Fu;
    const auto known = mxcsr.find(record.thread);
    if (known != mxcsr.end() && (known->second & kControls) == (record.mxcsr & kControls))
        return;
    mxcsr[record.thread] = record.mxcsr;
    LineBuffer line;
    line.append("  mxcsr: %04X%s%s", record.mxcsr, record.mxcsr & 0x8000 ? " flush-to-zero" : "",
                record.mxcsr & 0x0040 ? " denormals-are-zero" : "");
    lines.write(line.c_str());
}

void Printer::call(const Record& record)
{
    PrintedLines printed = lines(record);
    const std::string number = "#" + std::to_string(++ordinal) + " ";
    RecordedStructures structures;
    const auto function = static_cast<VstFunctionIndex>(record.function);
    LineBuffer line;
    printed.begin(line, number.c_str());
    const VstOpCodeInfo* info = opCodeInfo(function, record.opcode);
    CallArguments arguments;
    const bool decoded = info != nullptr && decodesCall(function, record.opcode);
    if (info != nullptr)
    {
        // Rebuilt only where a text or a decoder reads them.
        const bool textIn = info->ptrKind == ptrString && !info->ptrIsReturned;
        if (textIn || decoded)
            arguments = structures.callArguments(record);
        VstOpCodeInfo shown = *info;
        const bool flags = valueIsFlags(function, record.opcode) && info->valueLabel != nullptr;
        if (flags)
            shown.valueLabel = nullptr;
        formatCallLine(line, prefixOf(function), shown, record.index,
                       static_cast<long>(record.value),
                       textIn ? arguments.ptr : recordedPointer(record.ptr), record.opt, true);
        if (flags)
            line.append("%s=0x%" PRIX64 " ", info->valueLabel, static_cast<uint64_t>(record.value));
    }
    else if (isOpcodeFunction(function) || function < 0 || function >= kNumVstFunctions)
        line.append("%s opcode %d",
                    function >= 0 && function < kNumVstFunctions ? vstFunctionNames[function]
                                                                 : "function",
                    record.opcode);
    else if (function == fnSetParameter)
        formatSetParameterLine(line, record.index, record.opt, true);
    else if (function == fnGetParameter)
        formatGetParameterLine(line, record.index, true);
    else
        formatProcessLine(line, function, recordedPointer(record.ptr),
                          recordedPointer(record.numbers.size() > kOutputsPointer
                                              ? record.numbers[kOutputsPointer]
                                              : 0),
                          static_cast<long>(record.frames()), true);
    printed.finish(line);
    if (decoded)
        decodeCall(printed, function, record.opcode, static_cast<long>(arguments.value),
                   arguments.ptr);
    showMxcsr(printed, record);
    open[record.thread].push_back({record.ptr, record.value, record.opcode, record.function});
}

void Printer::ret(const Record& record)
{
    std::vector<OpenCall>& stack = open[record.thread];
    if (stack.empty())
        return;
    const Record call = stack.back().asRecord();
    stack.pop_back();
    PrintedLines printed = lines(record);
    const auto function = static_cast<VstFunctionIndex>(call.function);
    LineBuffer line;
    if (function == fnGetParameter)
    {
        printed.begin(line);
        formatGetParameterReturnLine(line, record.floatResult);
        printed.finish(line);
        return;
    }
    if (recordFormat::isProcessFunction(static_cast<uint64_t>(function)))
    {
        showOutputs(printed, record);
        return;
    }
    const VstOpCodeInfo* info = opCodeInfo(function, call.opcode);
    if (info == nullptr || !hasReturnLine(*info))
        return;
    RecordedStructures structures;
    const CallArguments arguments = structures.returnArguments(call, record);
    const bool rectangle = info->ptrKind == ptrRectOut && function == fnDispatcher;
    const bool rectangleRecorded = rectangle && !record.bytes.empty();
    const bool textOut = info->ptrKind == ptrString && info->ptrIsReturned;
    VstOpCodeInfo shown = *info;
    const bool pointer = resultIsPointer(function, *info) && info->returnLabel != nullptr;
    if (pointer)
        shown.returnLabel = nullptr;
    printed.begin(line);
    formatReturnLine(line, prefixOf(function), shown,
                     textOut || rectangleRecorded ? arguments.ptr : recordedPointer(call.ptr),
                     static_cast<long>(record.result), rectangleRecorded);
    if (pointer)
    {
        line.append("%s=", info->returnLabel);
        line.appendPointer(recordedPointer(static_cast<uint64_t>(record.result)));
        line.appendChar(' ');
    }
    printed.finish(line);
    if (decodesReturn(function, call.opcode))
        decodeReturn(printed, function, call.opcode, static_cast<long>(arguments.value),
                     arguments.ptr, static_cast<long>(arguments.result));
}

void Printer::print(const Record& record)
{
    if (record.number == 1)
        firstNs = record.timeNs;
    if (record.kind == recordFormat::kCall)
        call(record);
    else if (record.kind == recordFormat::kReturn)
        ret(record);
    else if (record.kind == recordFormat::kGap)
        std::fprintf(out, "gap: %" PRIu64 " records dropped: the recording queue was full\n",
                     record.dropped);
}

HostExitCode printEnd(const recordFormat::RecordStream& recording)
{
    if (recording.ending == recordFormat::Ending::complete)
    {
        std::printf("end of the recording\n");
        return kExitOk;
    }
    hostLog().problem("print: record %zu %s: %s", recording.stopRecord,
                      recording.ending == recordFormat::Ending::damaged ? "is unreadable"
                                                                        : "is missing",
                      recording.problem.c_str());
    return recording.ending == recordFormat::Ending::damaged ? kExitUnreadable : kExitEndsEarly;
}
} // namespace

std::string threadName(uint32_t thread, uint64_t role)
{
    char label[48];
    threadLabel(label, sizeof label, thread, static_cast<uint8_t>(role));
    return label;
}

void printRecords(const recordFormat::Recording& recording, FILE* out)
{
    Printer printer(out, recording.header);
    for (const Record& record : recording.records)
        printer.print(record);
}

std::string recordedName(const recordFormat::Header& header)
{
    const std::string& path = header.pluginPath;
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (header.instance > 1)
        name += "#" + std::to_string(header.instance);
    return name;
}

// By hand: the printout makes one a line and stays as fast as before.
int threadLabel(char* out, size_t size, uint32_t thread, uint8_t role)
{
    char text[48] = {'t'};
    char digits[12];
    int count = 0;
    do
        digits[count++] = static_cast<char>('0' + thread % 10);
    while ((thread /= 10) != 0);
    int length = 1;
    while (count > 0)
        text[length++] = digits[--count];
    text[length++] = ' ';
    for (const char* name = recordFormat::roleName(role); *name != '\0'; ++name)
        text[length++] = *name;
    if (size > 0)
    {
        const size_t kept = std::min(static_cast<size_t>(length), size - 1);
        std::memcpy(out, text, kept);
        out[kept] = '\0';
    }
    return length;
}

bool valueIsFlags(VstFunctionIndex function, int32_t opcode)
{
    return function == fnAudioMaster && opcode == audioMasterGetTime;
}

bool resultIsPointer(VstFunctionIndex function, const VstOpCodeInfo& info)
{
    const Carried carried = carriedOut(function, info.opCode);
    return info.resultIsAddress || carried == Carried::timeInfo ||
           carried == Carried::directoryText;
}

HostExitCode printRecording(const HostOptions& options)
{
    recordFormat::RecordStream recording;
    if (!recording.open(options.printPath))
    {
        hostLog().problem("print: %s", recording.problem.c_str());
        return kExitUnreadable;
    }
    Record record;
    const bool any = recording.next(record);
    const recordFormat::Header& header = recording.header;
    std::printf("recording of %s, instance %" PRIu64 ", started %s, format version %" PRIu64
                ", outputs %s\n",
                header.pluginPath.c_str(), header.instance, header.startTime.c_str(),
                header.version, header.fullOutputs ? "in full" : "as hashes");
    Printer printer(stdout, header);
    for (bool more = any; more; more = recording.next(record))
        printer.print(record);
    return printEnd(recording);
}
} // namespace host
