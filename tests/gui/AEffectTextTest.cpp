#include "gui/AEffectText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
AEffect zeroRecord()
{
    AEffect effect;
    std::memset(static_cast<void*>(&effect), 0, sizeof effect);
    return effect;
}

// The text after "<label>: " up to the end of that line.
std::string valueOf(const juce::String& text, const char* label)
{
    const juce::String key = juce::String(label) + ": ";
    const int start = text.indexOf(key);
    if (start < 0)
        return "<missing>";
    const int end = text.indexOfChar(start, '\n');
    return text.substring(start + key.length(), end < 0 ? text.length() : end).toStdString();
}
} // namespace

TEST(AEffectText, WholeRecordReadsFieldByField)
{
    AEffect effect = zeroRecord();
    effect.magic = kEffectMagic;
    effect.numPrograms = 16;
    effect.numParams = 4;
    effect.numInputs = 2;
    effect.numOutputs = 2;
    effect.flags = effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks |
                   effFlagsCanDoubleReplacing;
    effect.resvd1 = -5;
    effect.resvd2 = 7;
    effect.initialDelay = 64;
    effect.realQualities = 1;
    effect.offQualities = 2;
    effect.ioRatio = 1.0f;
    effect.object = reinterpret_cast<void*>(uintptr_t{0x7f12ab34cd50});
    effect.user = nullptr;
    effect.uniqueID = 0x4f706c78; // "Oplx"
    effect.version = 1100;

    EXPECT_EQ(describeAEffect(effect).toStdString(), "magic: VstP\n"
                                                     "numPrograms: 16\n"
                                                     "numParams: 4\n"
                                                     "numInputs: 2\n"
                                                     "numOutputs: 2\n"
                                                     "flags: 0x1031\n"
                                                     "\t\t\t\teffFlagsHasEditor\n"
                                                     "\t\t\t\teffFlagsCanReplacing\n"
                                                     "\t\t\t\teffFlagsProgramChunks\n"
                                                     "\t\t\t\teffFlagsCanDoubleReplacing\n"
                                                     "resvd1: -5\n"
                                                     "resvd2: 7\n"
                                                     "initialDelay: 64\n"
                                                     "realQualities: 1\n"
                                                     "offQualities: 2\n"
                                                     "ioRatio: 1\n"
                                                     "object: 0x7f12ab34cd50\n"
                                                     "user: 0x0\n"
                                                     "uniqueID: Oplx\n"
                                                     "version: 1100");
}

// Edge values, each set on a zeroed record and read back from its line.
TEST(AEffectText, EdgeValuesFieldByField)
{
    const struct
    {
        void (*set)(AEffect&);
        const char* label;
        const char* shown;
    } cases[] = {
        {[](AEffect&) {}, "uniqueID", "    "},
        {[](AEffect& e) { e.uniqueID = 0x41004243; }, "uniqueID", "A BC"},
        {[](AEffect& e) { e.ioRatio = 0.1f; }, "ioRatio", "0.100000001"},
        {[](AEffect& e) { e.ioRatio = -2.25f; }, "ioRatio", "-2.25"},
        {[](AEffect& e) { e.numOutputs = INT32_MIN; }, "numOutputs", "-2147483648"},
        {[](AEffect& e) { e.resvd1 = INTPTR_MIN; }, "resvd1", "-9223372036854775808"},
        {[](AEffect& e) { e.resvd2 = INTPTR_MAX; }, "resvd2", "9223372036854775807"},
        {[](AEffect& e) { e.object = reinterpret_cast<void*>(~uintptr_t{0}); }, "object",
         "0xffffffffffffffff"},
        {[](AEffect& e) { e.user = reinterpret_cast<void*>(uintptr_t{0xABCDEF}); }, "user",
         "0xabcdef"},
        // Bits without a name show in the number only.
        {[](AEffect& e) { e.flags = 0x40; }, "flags", "0x40"},
        {[](AEffect& e) { e.flags = static_cast<int32_t>(0xffffe000u); }, "flags", "0xffffe000"},
    };
    for (const auto& c : cases)
    {
        AEffect effect = zeroRecord();
        c.set(effect);
        const juce::String text = describeAEffect(effect);
        EXPECT_EQ(valueOf(text, c.label), c.shown) << c.label;
        bool named = false;
        for (const FlagInfo& flag : flagInfos)
            named = named || (static_cast<uint32_t>(effect.flags) & flag.mask) != 0;
        EXPECT_EQ(text.contains("\t"), named) << c.label; // a line per named flag only
        EXPECT_FALSE(text.endsWithChar('\n'));
    }
    // Bytes above 0x7f keep their value as one character each.
    EXPECT_EQ(long2Chars(static_cast<long>(0xff0a4100u)),
              juce::String::charToString(0xff) + "\nA ");

    // Every named flag on its own line, in the table's order.
    AEffect effect = zeroRecord();
    effect.flags = -1;
    const juce::String all = describeAEffect(effect);
    int previous = all.indexOf("\nflags: 0xffffffff\n");
    for (const FlagInfo& flag : flagInfos)
    {
        const int at = all.indexOf(juce::String("\n\t\t\t\t") + flag.name + "\n");
        EXPECT_GT(at, previous) << flag.name;
        previous = at;
    }
}
