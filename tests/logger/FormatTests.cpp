// Call and return lines, byte for byte (the common ones through the module in the bridge's
// log line test), and every gate that decides whether one is written.
#include "tests/logger/CapturingLogger.h"

#include "vst/VstInterface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using Lines = std::vector<std::string>;

// Switched-off opcodes and functions are checked through the module by the bridge's log line
// test, and their counting in the window by the end-to-end test.
TEST(Gates, StoppedLoggingWritesNothingAndCountsOn)
{
    CapturingLogger logger;
    logger.loggingActive = false;
    logger.logVstProcess(nullptr, nullptr, 1, false);
    logger.logVstDispatcher(effGetProgram, 0, 0, nullptr, 0.0f);
    logger.logVstDispatcherReturn(effGetProgram, nullptr, 0);
    EXPECT_TRUE(logger.take().empty());
    EXPECT_EQ(logger.getVstOpCodeCount(OXLogger::vstAEffectFunctions, fnProcess), 1);
    EXPECT_EQ(logger.getVstOpCodeCount(OXLogger::vstDispatcherOpCodes, effGetProgram), 1);
}

TEST(UnsafeInput, NullTextsAndOverlongLinesStaySafe)
{
    CapturingLogger logger;
    logger.logVstDispatcher(effSetProgramName, 0, 0, nullptr, 0.0f);
    logger.logVstDispatcherReturn(effGetProgramName, nullptr, 0);
    logger.logVstDispatcherReturn(effEditGetRect, nullptr, 0);
    EXPECT_EQ(logger.take(),
              (Lines{"effSetProgramName name=<null> ", "effGetProgramName returned name=<null>",
                     "effEditGetRect returned long=0 rect=(nil)"}));

    // A text longer than any line, with no terminator within reach, is read only as far as fits.
    std::vector<char> huge(8192, 'x');
    logger.logVstDispatcher(effSetProgramName, 0, 0, huge.data(), 0.0f);
    const auto lines = logger.take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_LT(lines[0].size(), 1024u);
    EXPECT_EQ(lines[0].rfind("effSetProgramName name=xxxx", 0), 0u);
}

TEST(UnsafeInput, ControlCharactersInTextsAreEscapedOnCallAndReturn)
{
    const struct
    {
        const char* text;
        std::string shown;
    } cases[] = {
        {"Cutoff", "Cutoff"},
        {"Gr\xC3\xB6\xC3\x9F"
         "e back\\slash %s",
         "Gr\xC3\xB6\xC3\x9F"
         "e back\\slash %s"},
        {"two\nlines", "two\\nlines"},
        {"\r\n(1) Test.so:effClose ", "\\r\\n(1) Test.so:effClose "},
        {"\t\x01\x1B\x7F", "\\x09\\x01\\x1b\\x7f"},
    };
    CapturingLogger logger;
    for (const auto& c : cases)
    {
        char text[64];
        std::strcpy(text, c.text);
        logger.logVstDispatcher(effCanDo, 0, 0, text, 0.0f);
        logger.logVstDispatcherReturn(effGetParamName, text, 0);
        logger.logVstAudioMasterReturn(audioMasterGetVendorString, text, 1);
        EXPECT_EQ(
            logger.take(),
            (Lines{"effCanDo text=" + c.shown + " ", "effGetParamName returned name=" + c.shown,
                   "audioMasterGetVendorString returned bool=1 bool=" + c.shown}));
    }
    // Escapes that would overrun the line are cut like any other piece.
    std::vector<char> newlines(2000, '\n');
    newlines.back() = '\0';
    logger.logVstDispatcher(effCanDo, 0, 0, newlines.data(), 0.0f);
    const auto lines = logger.take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].find('\n'), std::string::npos);
    EXPECT_LT(lines[0].size(), 1024u);
}

// The float writer against printf's "%f" for every 4099th float bit pattern (both signs,
// subnormals, the largest values, NaNs), exact halves at the sixth decimal, and the specials.
TEST(CallLines, FloatsReadExactlyAsPrintfWritesThem)
{
    std::vector<float> values = {0.0f, -0.0f, INFINITY, -INFINITY, NAN, -NAN, 3.4028235e38f};
    for (uint64_t bits = 0; bits < (uint64_t{1} << 32); bits += 4099)
    {
        const auto pattern = static_cast<uint32_t>(bits);
        float value;
        std::memcpy(&value, &pattern, sizeof value);
        values.push_back(value);
    }
    for (int k = -20001; k <= 20001; k += 2)
        values.push_back(static_cast<float>(k) / 128.0f);
    for (const float value : values)
    {
        LineBuffer line;
        line.appendFixed(static_cast<double>(value));
        char expected[400];
        std::snprintf(expected, sizeof expected, "%f", static_cast<double>(value));
        ASSERT_STREQ(line.c_str(), expected);
    }
    EXPECT_GT(values.size(), 1'000'000u);
}
