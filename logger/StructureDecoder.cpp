// The chunk, time info, process level and language decoders, and the choice of decoder.
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

// The data pointer is read only when there are bytes to show.
void decodeBytes(DetailLines& out, const char* what, const void* const* dataAt, long size) noexcept
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
    out.write(line.c_str());
}

void decodeTime(DetailLines& out, long result) noexcept
{
    LineBuffer line;
    line.append("  time: ");
    if (result == 0)
    {
        line.append("none (null pointer)");
        out.write(line.c_str());
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
    out.write(line.c_str());
}

void decodeNamed(DetailLines& out, const char* what, const char* name, long result) noexcept
{
    LineBuffer line;
    if (name != nullptr)
        line.append("  %s: %s", what, name);
    else
        line.append("  %s: %ld (not a known value)", what, result);
    out.write(line.c_str());
}
} // namespace

void decodeCall(DetailLines& out, VstFunctionIndex function, long opCode, long value,
                void* ptr) noexcept
{
    switch (carriedIn(function, opCode))
    {
    case Carried::events:
        decodeEvents(out, ptr);
        break;
    case Carried::chunkIn:
        decodeBytes(out, "chunk", &ptr, value);
        break;
    case Carried::arrangements:
        decodeArrangement(out, "input", reinterpret_cast<const void*>(value));
        decodeArrangement(out, "output", ptr);
        break;
    default:
        break;
    }
}

void decodeReturn(DetailLines& out, VstFunctionIndex function, long opCode, long value, void* ptr,
                  long result) noexcept
{
    switch (carriedOut(function, opCode))
    {
    case Carried::timeInfo:
        decodeTime(out, result);
        break;
    case Carried::processLevel:
        decodeNamed(out, "process level", nameAt(kProcessLevels, result), result);
        break;
    case Carried::language:
        decodeNamed(out, "language", nameAt(kLanguages, result), result);
        break;
    case Carried::chunkOut:
        decodeBytes(out, "chunk", static_cast<const void* const*>(ptr), result);
        break;
    case Carried::pinProperties:
        decodePin(out, ptr, result);
        break;
    case Carried::parameterProperties:
        decodeParameter(out, ptr, result);
        break;
    case Carried::arrangementsAt:
        decodeArrangementsAt(out, reinterpret_cast<const void*>(value), ptr, result);
        break;
    default:
        break;
    }
}
