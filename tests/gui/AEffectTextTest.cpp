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
    effect.flags = effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks;
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
                                                     "flags: 0x31\n"
                                                     "\t\t\t\teffFlagsHasEditor\n"
                                                     "\t\t\t\teffFlagsCanReplacing\n"
                                                     "\t\t\t\teffFlagsProgramChunks\n"
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

TEST(AEffectText, FourCharacterCodes)
{
    EXPECT_EQ(long2Chars(0x56737450).toStdString(), "VstP");
    EXPECT_EQ(long2Chars(0).toStdString(), "    ");
    EXPECT_EQ(long2Chars(0x41004243).toStdString(), "A BC");
    // Bytes above 0x7f keep their value as one character each.
    const juce::String high = long2Chars(static_cast<long>(0xff0a4100u));
    ASSERT_EQ(high.length(), 4);
    EXPECT_EQ(high[0], static_cast<juce::juce_wchar>(0xff));
    EXPECT_EQ(high[1], static_cast<juce::juce_wchar>('\n'));
    EXPECT_EQ(high[2], static_cast<juce::juce_wchar>('A'));
    EXPECT_EQ(high[3], static_cast<juce::juce_wchar>(' '));

    AEffect effect = zeroRecord();
    EXPECT_EQ(valueOf(describeAEffect(effect), "uniqueID"), "    ");
    EXPECT_EQ(valueOf(describeAEffect(effect), "magic"), "    ");
    effect.uniqueID = 0x41004243;
    EXPECT_EQ(valueOf(describeAEffect(effect), "uniqueID"), "A BC");
}

TEST(AEffectText, FlagLines)
{
    AEffect effect = zeroRecord();
    const juce::String noFlags = describeAEffect(effect);
    EXPECT_TRUE(noFlags.contains("\nflags: 0x0\nresvd1: "));
    EXPECT_FALSE(noFlags.contains("\t"));

    effect.flags = 0x11;
    EXPECT_TRUE(describeAEffect(effect).contains(
        "\nflags: 0x11\n\t\t\t\teffFlagsHasEditor\n\t\t\t\teffFlagsCanReplacing\nresvd1: "));

    // Bits without a name show in the number only.
    for (const uint32_t unnamed : {0x40u, 0x80u, 0xc0u, 0x1000u, 0x80000000u, 0xfffff000u})
    {
        effect.flags = static_cast<int32_t>(unnamed);
        const juce::String text = describeAEffect(effect);
        char expected[64];
        std::snprintf(expected, sizeof expected, "\nflags: 0x%x\nresvd1: ", unnamed);
        EXPECT_TRUE(text.contains(expected)) << text;
    }

    effect.flags = -1;
    const juce::String all = describeAEffect(effect);
    EXPECT_TRUE(all.contains("\nflags: 0xffffffff\n"));
    int previous = -1;
    for (const FlagInfo& flag : flagInfos)
    {
        const int at = all.indexOf(juce::String("\n\t\t\t\t") + flag.name + "\n");
        EXPECT_GT(at, previous) << flag.name;
        previous = at;
    }
}

TEST(AEffectText, Numbers)
{
    AEffect effect = zeroRecord();
    const auto ratio = [&](float value)
    {
        effect.ioRatio = value;
        return valueOf(describeAEffect(effect), "ioRatio");
    };
    EXPECT_EQ(ratio(1.0f), "1");
    EXPECT_EQ(ratio(0.5f), "0.5");
    EXPECT_EQ(ratio(0.1f), "0.100000001");
    EXPECT_EQ(ratio(0.0f), "0");
    EXPECT_EQ(ratio(-2.25f), "-2.25");

    effect.numInputs = -1;
    effect.numOutputs = INT32_MIN;
    effect.resvd1 = INTPTR_MIN;
    effect.resvd2 = INTPTR_MAX;
    const juce::String text = describeAEffect(effect);
    EXPECT_EQ(valueOf(text, "numInputs"), "-1");
    EXPECT_EQ(valueOf(text, "numOutputs"), "-2147483648");
    EXPECT_EQ(valueOf(text, "resvd1"), "-9223372036854775808");
    EXPECT_EQ(valueOf(text, "resvd2"), "9223372036854775807");
}

TEST(AEffectText, Pointers)
{
    AEffect effect = zeroRecord();
    EXPECT_EQ(valueOf(describeAEffect(effect), "object"), "0x0");
    EXPECT_EQ(valueOf(describeAEffect(effect), "user"), "0x0");

    effect.object = reinterpret_cast<void*>(~uintptr_t{0});
    effect.user = reinterpret_cast<void*>(uintptr_t{0xABCDEF});
    const juce::String text = describeAEffect(effect);
    EXPECT_EQ(valueOf(text, "object"), "0xffffffffffffffff");
    EXPECT_EQ(valueOf(text, "user"), "0xabcdef");
    EXPECT_FALSE(text.endsWithChar('\n'));
}
