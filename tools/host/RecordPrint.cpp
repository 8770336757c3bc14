// oplexa-host --print: a recording as Oplexa's call and return lines, formatted by the logger's
// own CallFormat; each line starts with the call number, the recorded thread and its role.
// The structures are shown by a short equivalent of the logger's decoders (which need JUCE):
// sizes, events, time info, and the output hashes of each block.
#include "tools/host/Replay.h"

#include "logger/CallFormat.h"
#include "logger/RecordFormat.h"
#include "logger/RecordReader.h"
#include "tools/host/HostLog.h"
#include "vst/VstStructures.h"

#include <cinttypes>
#include <cstring>
#include <map>
#include <vector>

namespace host
{
namespace
{
using recfmt::Record;

const char* prefixOf(int function)
{
    return function == fnDispatcher ? "eff" : "audioMaster";
}

const VstOpCodeInfo* infoOf(const Record& record)
{
    if (record.function == fnDispatcher && record.opcode >= 0 &&
        record.opcode < kNumDispatcherOpCodes)
        return &effOpCodes[record.opcode];
    if (record.function == fnAudioMaster && record.opcode >= 0 &&
        record.opcode < kNumAudioMasterOpCodes)
        return &audioMasterOpCodes[record.opcode];
    return nullptr;
}

// A recorded text, terminated, for the formatter.
std::string textOf(const Record& record)
{
    return record.bytes.empty() ? std::string()
                                : std::string(record.bytes[0].begin(), record.bytes[0].end());
}

void printDetails(const Record& record)
{
    const bool isCall = record.kind == recfmt::kCall;
    if (record.function >= fnProcess && record.function != fnSetParameter &&
        record.function != fnGetParameter)
    {
        if (!isCall)
            for (size_t c = 0; c < record.numbers.size(); ++c)
                std::printf("  output %zu: xxh3 %016" PRIx64 "\n", c, record.numbers[c]);
        for (size_t c = 0; !isCall && c < record.bytes.size(); ++c)
            std::printf("  output %zu: %zu bytes\n", c, record.bytes[c].size());
        return;
    }
    if (record.function == fnAudioMaster && record.opcode == audioMasterGetTime && !isCall &&
        !record.bytes.empty() && record.bytes[0].size() >= sizeof(VstTimeInfo))
    {
        VstTimeInfo time;
        std::memcpy(&time, record.bytes[0].data(), sizeof time);
        std::printf("  time: samplePos=%.10g sampleRate=%.10g ppqPos=%.10g tempo=%.10g flags=%X\n",
                    time.samplePos, time.sampleRate, time.ppqPos, time.tempo,
                    static_cast<unsigned>(time.flags));
        return;
    }
    const VstOpCodeInfo* info = infoOf(record);
    if (info == nullptr || info->ptrKind == ptrString)
        return;
    for (size_t i = 0; i < record.bytes.size(); ++i)
    {
        const std::vector<uint8_t>& bytes = record.bytes[i];
        std::printf("  %s %zu: %zu bytes:", info->ptrKind == ptrEvents ? "event" : "data", i,
                    bytes.size());
        for (size_t b = 0; b < bytes.size() && b < 16; ++b)
            std::printf(" %02X", bytes[b]);
        std::printf("%s\n", bytes.size() > 16 ? " ..." : "");
    }
}

void printCall(const Record& record, size_t ordinal)
{
    std::printf("#%zu t%u %s: ", ordinal, record.thread, recfmt::roleName(record.role));
    LineBuffer line;
    if (const VstOpCodeInfo* info = infoOf(record))
    {
        std::string text = textOf(record);
        void* ptr = reinterpret_cast<void*>(static_cast<uintptr_t>(record.ptr));
        if (info->ptrKind == ptrString && !info->ptrIsReturned && ptr != nullptr)
            ptr = text.data();
        formatCallLine(line, prefixOf(record.function), *info, record.index,
                       static_cast<long>(record.value), ptr, record.opt, true);
    }
    else if (record.function == fnSetParameter || record.function == fnGetParameter)
        line.append("%s(index: %d%s", vstFunctionNames[record.function], record.index,
                    record.function == fnSetParameter ? ", parameter: " : ")");
    else if (record.function >= 0 && record.function < kNumVstFunctions &&
             record.function != fnDispatcher && record.function != fnAudioMaster)
        line.append("%s(inputs: %d, outputs: %d, sampleFrames: %ld)",
                    vstFunctionNames[record.function], record.index, record.opcode,
                    static_cast<long>(record.value));
    else
        line.append("%s opcode %d", prefixOf(record.function), record.opcode);
    if (record.function == fnSetParameter)
    {
        line.appendFixed(static_cast<double>(record.opt));
        line.appendChar(')');
    }
    std::printf("%s (mxcsr %04X)\n", line.c_str(), record.mxcsr);
    printDetails(record);
}

void printReturn(const Record& record, const Record* call)
{
    std::printf("   t%u %s: ", record.thread, recfmt::roleName(record.role));
    LineBuffer line;
    if (const VstOpCodeInfo* info = infoOf(record))
    {
        std::string text = textOf(record);
        void* ptr =
            call != nullptr ? reinterpret_cast<void*>(static_cast<uintptr_t>(call->ptr)) : nullptr;
        if (info->ptrKind == ptrString && info->ptrIsReturned)
            ptr = text.data();
        formatReturnLine(line, prefixOf(record.function), *info, ptr,
                         static_cast<long>(record.result), false);
    }
    else if (record.resultIsFloat)
    {
        line.append("%s returned ", vstFunctionNames[record.function]);
        line.appendFixed(static_cast<double>(record.floatResult));
    }
    else
        line.append("%s returned", record.function >= 0 && record.function < kNumVstFunctions
                                       ? vstFunctionNames[record.function]
                                       : "?");
    const uint64_t took =
        call != nullptr && record.timeNs >= call->timeNs ? record.timeNs - call->timeNs : 0;
    std::printf("%s (%" PRIu64 " ns)\n", line.c_str(), took);
    printDetails(record);
}
} // namespace

HostExitCode printRecording(const HostOptions& options)
{
    recfmt::Recording recording;
    if (!recfmt::readRecordingFile(options.printPath, recording))
    {
        hostLog().problem("print: %s", recording.problem.c_str());
        return kExitUnreadable;
    }
    const recfmt::Header& header = recording.header;
    std::printf("recording of %s, instance %" PRIu64 ", started %s, format version %" PRIu64
                ", outputs %s\n",
                header.pluginPath.c_str(), header.instance, header.startTime.c_str(),
                header.version, header.fullOutputs ? "in full" : "as hashes");
    std::map<uint32_t, std::vector<const Record*>> open;
    size_t ordinal = 0;
    for (const Record& record : recording.records)
    {
        std::vector<const Record*>& stack = open[record.thread];
        if (record.kind == recfmt::kCall)
        {
            printCall(record, ++ordinal);
            stack.push_back(&record);
        }
        else if (record.kind == recfmt::kReturn)
        {
            printReturn(record, stack.empty() ? nullptr : stack.back());
            if (!stack.empty())
                stack.pop_back();
        }
        else if (record.kind == recfmt::kGap)
            std::printf("gap: %" PRIu64 " records dropped: the recording queue was full\n",
                        record.dropped);
    }
    if (recording.ending == recfmt::Ending::complete)
    {
        std::printf("end of the recording\n");
        return kExitOk;
    }
    hostLog().problem("print: record %zu %s: %s", recording.stopRecord,
                      recording.ending == recfmt::Ending::damaged ? "is unreadable" : "is missing",
                      recording.problem.c_str());
    return recording.ending == recfmt::Ending::damaged ? kExitUnreadable : kExitEndsEarly;
}
} // namespace host
