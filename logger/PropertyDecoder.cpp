// Speaker arrangements, pin properties and parameter properties. Each is copied whole, as the
// callee reads it; an arrangement's speakers no further than its channel count.
#include "logger/PropertyDecoder.h"

#include "logger/DetailText.h"
#include "vst/VstStructures.h"

#include <cstring>
#include <iterator>

namespace detail
{
namespace
{
const char* const kArrangementTypes[] = {"user defined", "empty", "mono", "stereo"};
const char* const kSpeakerTypes[] = {"M",   "L",   "R",   "C",   "Lfe", "Ls",  "Rs",
                                     "Lc",  "Rc",  "S",   "Sl",  "Sr",  "Tm",  "Tfl",
                                     "Tfc", "Tfr", "Trl", "Trc", "Trr", "Lfe2"};

constexpr FlagName kPinFlags[] = {{kVstPinIsActive, "active"},
                                  {kVstPinIsStereo, "stereoPair"},
                                  {kVstPinUseSpeaker, "arrangementValid"}};
constexpr FlagName kParameterFlags[] = {
    {kVstParameterIsSwitch, "switch"},
    {kVstParameterUsesIntegerMinMax, "integerMinMaxValid"},
    {kVstParameterUsesFloatStep, "floatStepsValid"},
    {kVstParameterUsesIntStep, "integerStepsValid"},
    {kVstParameterSupportsDisplayIndex, "displayIndexValid"},
    {kVstParameterSupportsDisplayCategory, "categoryValid"},
    {kVstParameterCanRamp, "canRamp"},
};

// Through a pointer to the plug-in's pointer, as GetSpeakerArrangement hands them out.
const void* storedAt(const void* at) noexcept
{
    return at != nullptr ? *static_cast<const void* const*>(at) : nullptr;
}

// A label field from the plug-in: not always terminated, and escaped like any text it hands
// over, so that it can neither split its line nor forge another one.
template <size_t N>
void appendLabel(LineBuffer& line, const char* key, const char (&field)[N]) noexcept
{
    char text[N + 1] = {};
    std::memcpy(text, field, N);
    line.append("%s=\"", key);
    line.appendEscapedText(text);
    line.append("\"");
}

void appendLabels(LineBuffer& line, const char (&label)[64], const char (&shortLabel)[8]) noexcept
{
    appendLabel(line, "label", label);
    appendLabel(line, " shortLabel", shortLabel);
    line.append(" flags=");
}

// A property or arrangement the plug-in did not hand out is not read.
bool filled(DetailLines& out, const char* what, const void* ptr, long result) noexcept
{
    if (ptr != nullptr && result != 0)
        return true;
    LineBuffer line;
    line.append("  %s: %s", what, ptr == nullptr ? "null pointer" : "not filled (result 0)");
    out.write(line.c_str());
    return false;
}
} // namespace

void decodeArrangement(DetailLines& out, const char* which, const void* ptr) noexcept
{
    LineBuffer line;
    line.append("  %s arrangement: ", which);
    if (ptr == nullptr)
    {
        line.append("null pointer");
        out.write(line.c_str());
        return;
    }
    int32_t head[2];
    std::memcpy(head, ptr, sizeof(head));
    appendNamed(line, nameAt(kArrangementTypes, head[0] + 2L), head[0], "type ");
    if (head[1] < 0)
    {
        line.append(", negative channel count %d", head[1]);
        out.write(line.c_str());
        return;
    }
    line.append(", %d channel%s%s", head[1], head[1] == 1 ? "" : "s", head[1] > 0 ? ":" : "");
    const long shown = head[1] < kMaxShown ? head[1] : kMaxShown;
    const auto* speakers =
        static_cast<const char*>(ptr) + offsetof(VstSpeakerArrangement, speakers);
    for (long i = 0; i < shown; ++i)
    {
        const auto speaker =
            copyOf<VstSpeakerProperties>(speakers + i * sizeof(VstSpeakerProperties));
        line.append(" ");
        appendNamed(line, nameAt(kSpeakerTypes, speaker.type), speaker.type);
    }
    if (head[1] > shown)
        line.append(" … %ld more", head[1] - shown);
    out.write(line.c_str());
}

void decodeArrangementsAt(DetailLines& out, const void* inputAt, const void* outputAt,
                          long result) noexcept
{
    if (!filled(out, "arrangements", outputAt, result))
        return;
    decodeArrangement(out, "input", storedAt(inputAt));
    decodeArrangement(out, "output", storedAt(outputAt));
}

void decodePin(DetailLines& out, const void* ptr, long result) noexcept
{
    if (!filled(out, "pin", ptr, result))
        return;
    const auto pin = copyOf<VstPinProperties>(ptr);
    LineBuffer line;
    line.append("  pin: ");
    appendLabels(line, pin.label, pin.shortLabel);
    appendFlags(line, pin.flags, kPinFlags, std::size(kPinFlags));
    if (pin.flags & kVstPinUseSpeaker)
    {
        line.append(" arrangement=");
        appendNamed(line, nameAt(kArrangementTypes, pin.arrangementType + 2L), pin.arrangementType);
    }
    out.write(line.c_str());
}

void decodeParameter(DetailLines& out, const void* ptr, long result) noexcept
{
    if (!filled(out, "parameter", ptr, result))
        return;
    const auto p = copyOf<VstParameterProperties>(ptr);
    LineBuffer line;
    line.append("  parameter: ");
    appendLabels(line, p.label, p.shortLabel);
    appendFlags(line, p.flags, kParameterFlags, std::size(kParameterFlags));
    if (p.flags & kVstParameterUsesIntegerMinMax)
        line.append(" min=%d max=%d", p.minInteger, p.maxInteger);
    if (p.flags & kVstParameterUsesFloatStep)
        line.append(" step=%g smallStep=%g largeStep=%g", static_cast<double>(p.stepFloat),
                    static_cast<double>(p.smallStepFloat), static_cast<double>(p.largeStepFloat));
    if (p.flags & kVstParameterUsesIntStep)
        line.append(" integerStep=%d largeIntegerStep=%d", p.stepInteger, p.largeStepInteger);
    if (p.flags & kVstParameterSupportsDisplayIndex)
        line.append(" displayIndex=%d", p.displayIndex);
    if (p.flags & kVstParameterSupportsDisplayCategory)
    {
        line.append(" category=%d", p.category);
        appendLabel(line, " categoryLabel", p.categoryLabel);
        line.append(" parametersInCategory=%d", p.numParametersInCategory);
    }
    out.write(line.c_str());
}

} // namespace detail
