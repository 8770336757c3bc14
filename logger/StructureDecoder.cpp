// Which structure each call and return carries; the chunk, time info, process level and
// language decoders, and what the decoders share.
#include "logger/StructureDecoder.h"
#include "logger/DetailText.h"
#include "logger/EventDecoder.h"
#include "logger/PropertyDecoder.h"
#include "vst/VstStructures.h"

#include <climits>
#include <cstring>
#include <iterator>

using namespace detail;

namespace
{
constexpr size_t kBytesShown = 16;

const char* const kProcessLevels[] = {"unknown", "user", "realtime", "prefetch", "offline"};
const char* const kLanguages[] = {nullptr,   "English", "German",  "French",
                                  "Italian", "Spanish", "Japanese"};
const char* const kSmpteRates[] = {"24", "25", "29.97", "30", "29.97 drop", "30 drop"};

constexpr FlagName kTimeFlags[] = {
    {kVstTransportChanged, "transportChanged"},
    {kVstTransportPlaying, "transportPlaying"},
    {kVstTransportCycleActive, "cycleActive"},
    {kVstTransportRecording, "recording"},
    {kVstAutomationWriting, "automationWriting"},
    {kVstAutomationReading, "automationReading"},
    {kVstNanosValid, "nanosValid"},
    {kVstPpqPosValid, "ppqPosValid"},
    {kVstTempoValid, "tempoValid"},
    {kVstBarsValid, "barsValid"},
    {kVstCyclePosValid, "cyclePosValid"},
    {kVstTimeSigValid, "timeSigValid"},
    {kVstSmpteValid, "smpteValid"},
    {kVstClockValid, "clockValid"},
};

// GetSpeakerArrangement hands its input arrangement back through value, which the return
// report does not get; the call leaves it here for the return on the same thread.
struct PendingArrangement
{
    const void* ptr;
    long value;
};
thread_local PendingArrangement pendingArrangement{nullptr, 0};

void writeLine(OXLogger& logger, const LineBuffer& line) noexcept
{
    logger.log(line.c_str());
}

// The data pointer is read only when there are bytes to show.
void decodeBytes(OXLogger& logger, const char* what, const void* const* dataAt, long size) noexcept
{
    LineBuffer line;
    line.append("  %s: ", what);
    if (size < 0)
        line.append("negative size %ld", size);
    else if (size > INT_MAX)
        line.append("size %ld makes no sense", size);
    else if (size == 0)
        line.append("0 bytes");
    else if (dataAt == nullptr || *dataAt == nullptr)
        line.append("%ld bytes at a null pointer", size);
    else
    {
        line.append("%ld bytes:", size);
        const auto given = static_cast<size_t>(size);
        appendHex(line, static_cast<const unsigned char*>(*dataAt),
                  given < kBytesShown ? given : kBytesShown, given);
    }
    writeLine(logger, line);
}

void decodeTime(OXLogger& logger, long result) noexcept
{
    LineBuffer line;
    line.append("  time: ");
    if (result == 0)
    {
        line.append("none (null pointer)");
        writeLine(logger, line);
        return;
    }
    const auto time = copyOf<VstTimeInfo>(reinterpret_cast<const void*>(result));
    const int32_t flags = time.flags;
    line.append("samplePos=%.10g sampleRate=%.10g", time.samplePos, time.sampleRate);
    if (flags & kVstNanosValid)
        line.append(" nanoSeconds=%.10g", time.nanoSeconds);
    if (flags & kVstPpqPosValid)
        line.append(" ppqPos=%.10g", time.ppqPos);
    if (flags & kVstTempoValid)
        line.append(" tempo=%.10g", time.tempo);
    if (flags & kVstBarsValid)
        line.append(" barStartPos=%.10g", time.barStartPos);
    if (flags & kVstCyclePosValid)
        line.append(" cycle=%.10g..%.10g", time.cycleStartPos, time.cycleEndPos);
    if (flags & kVstTimeSigValid)
        line.append(" timeSig=%d/%d", time.timeSigNumerator, time.timeSigDenominator);
    if (flags & kVstSmpteValid)
    {
        line.append(" smpteOffset=%d smpteRate=", time.smpteOffset);
        appendNamed(line, nameAt(kSmpteRates, time.smpteFrameRate), time.smpteFrameRate, "code ");
    }
    if (flags & kVstClockValid)
        line.append(" samplesToNextClock=%d", time.samplesToNextClock);
    line.append(" flags=");
    appendFlags(line, flags, kTimeFlags, std::size(kTimeFlags));
    writeLine(logger, line);
}

void decodeNamed(OXLogger& logger, const char* what, const char* name, long result) noexcept
{
    LineBuffer line;
    if (name != nullptr)
        line.append("  %s: %s", what, name);
    else
        line.append("  %s: %ld (not a known value)", what, result);
    writeLine(logger, line);
}
} // namespace

void decodeCall(OXLogger& logger, VstFunctionIndex function, long opCode, long value,
                void* ptr) noexcept
{
    if (function == fnAudioMaster || opCode == effProcessEvents)
        decodeEvents(logger, ptr);
    else if (opCode == effSetChunk)
        decodeBytes(logger, "chunk", &ptr, value);
    else if (opCode == effSetSpeakerArrangement)
    {
        decodeArrangement(logger, "input", reinterpret_cast<const void*>(value));
        decodeArrangement(logger, "output", ptr);
    }
    else if (opCode == effGetSpeakerArrangement)
        pendingArrangement = {ptr, value};
}

void decodeReturn(OXLogger& logger, VstFunctionIndex function, long opCode, void* ptr,
                  long result) noexcept
{
    if (function == fnAudioMaster)
    {
        if (opCode == audioMasterGetTime)
            decodeTime(logger, result);
        else if (opCode == audioMasterGetCurrentProcessLevel)
            decodeNamed(logger, "process level", nameAt(kProcessLevels, result), result);
        else
            decodeNamed(logger, "language", nameAt(kLanguages, result), result);
        return;
    }
    switch (opCode)
    {
    case effGetChunk:
        decodeBytes(logger, "chunk", static_cast<const void* const*>(ptr), result);
        break;
    case effGetInputProperties:
    case effGetOutputProperties:
        decodePin(logger, ptr, result);
        break;
    case effGetParameterProperties:
        decodeParameter(logger, ptr, result);
        break;
    default: // effGetSpeakerArrangement
    {
        const long input = pendingArrangement.ptr == ptr ? pendingArrangement.value : 0;
        pendingArrangement = {nullptr, 0};
        decodeArrangementsAt(logger, reinterpret_cast<const void*>(input), ptr, result);
    }
    }
}
