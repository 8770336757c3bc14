#include "gui/AEffectText.h"

#include <cstdio>

const FlagInfo flagInfos[kNumFlagInfos] = {
    {0x1, "effFlagsHasEditor"},
    {0x2, "effFlagsHasClip"},
    {0x4, "effFlagsHasVu"},
    {0x8, "effFlagsCanMono"},
    {0x10, "effFlagsCanReplacing"},
    {0x20, "effFlagsProgramChunks"},
    {0x100, "effFlagsIsSynth"},
    {0x200, "effFlagsNoSoundInStop"},
    {0x400, "effFlagsExtIsAsync"},
    {0x800, "effFlagsExtHasBuffer"},
    {0x1000, "effFlagsCanDoubleReplacing"},
};

namespace
{
juce::String hex(uint64_t value)
{
    char digits[17];
    std::snprintf(digits, sizeof digits, "%llx", static_cast<unsigned long long>(value));
    return digits;
}

// Sign-widened, so a pointer reads the same on any build of the record.
juce::String pointerHex(const void* pointer)
{
    const auto widened = static_cast<int64_t>(reinterpret_cast<intptr_t>(pointer));
    return hex(static_cast<uint64_t>(widened));
}

juce::String shortestFloat(float value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}
} // namespace

juce::String long2Chars(long value)
{
    const auto bits = static_cast<uint32_t>(value);
    juce::String code;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const auto byte = static_cast<juce::juce_wchar>((bits >> shift) & 0xffu);
        code += juce::String::charToString(byte == 0 ? ' ' : byte);
    }
    return code;
}

juce::String describeAEffect(const AEffect& effect)
{
    juce::String text;
    text << "magic: " << long2Chars(effect.magic)   //
         << "\nnumPrograms: " << effect.numPrograms //
         << "\nnumParams: " << effect.numParams     //
         << "\nnumInputs: " << effect.numInputs     //
         << "\nnumOutputs: " << effect.numOutputs   //
         << "\nflags: 0x" << hex(static_cast<uint32_t>(effect.flags));
    for (const FlagInfo& flag : flagInfos)
        if ((static_cast<uint32_t>(effect.flags) & flag.mask) != 0)
            text << "\n\t\t\t\t" << flag.name;
    text << "\nresvd1: " << static_cast<juce::int64>(effect.resvd1) //
         << "\nresvd2: " << static_cast<juce::int64>(effect.resvd2) //
         << "\ninitialDelay: " << effect.initialDelay               //
         << "\nrealQualities: " << effect.realQualities             //
         << "\noffQualities: " << effect.offQualities               //
         << "\nioRatio: " << shortestFloat(effect.ioRatio)          //
         << "\nobject: 0x" << pointerHex(effect.object)             //
         << "\nuser: 0x" << pointerHex(effect.user)                 //
         << "\nuniqueID: " << long2Chars(effect.uniqueID)           //
         << "\nversion: " << effect.version;
    return text;
}
