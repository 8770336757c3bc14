// Call and return lines, byte for byte, and every gate that decides whether one is written.
#include "tests/logger/CapturingLogger.h"

#include "bridge/VstInterface.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

TEST(ReturnLines, TextsRectanglesAndPointers)
{
    CapturingLogger logger;
    char name[32] = "Cutoff";
    logger.logVstDispatcher(effGetParamName, 4, 0, name, 0.0f);
    logger.logVstDispatcherReturn(effGetParamName, name, 0);

    ERect rect{0, 0, 200, 300};
    ERect* stored = &rect;
    logger.logVstDispatcherReturn(effEditGetRect, &stored, 1);
    ERect* none = nullptr;
    logger.logVstDispatcherReturn(effEditGetRect, &none, 0);
    logger.logVstDispatcherReturn(effEditGetRect, nullptr, 0);
    // audioMaster returns have no rectangle case.
    logger.logVstAudioMasterReturn(audioMasterGetVendorString, name, 1);

    char withStored[64], withNull[64];
    std::snprintf(withStored, sizeof withStored, "effEditGetRect returned long=0 rect=%p",
                  static_cast<void*>(&none));
    std::snprintf(withNull, sizeof withNull, "effEditGetRect returned long=0 rect=%p",
                  static_cast<void*>(nullptr));
    EXPECT_EQ(
        logger.take(),
        (Lines{"effGetParamName parameter=4 ", "effGetParamName returned name=Cutoff",
               "effEditGetRect returned long=1 rect=top(0), left(0), bottom(200), right(300) ",
               withStored, withNull, "audioMasterGetVendorString returned bool=1 bool=Cutoff"}));
}

TEST(Gates, CountingGoesOnWhateverIsSwitchedOff)
{
    CapturingLogger logger;
    const auto functions = OXLogger::vstAEffectFunctions;
    const auto dispatcher = OXLogger::vstDispatcherOpCodes;

    logger.loggingActive = false;
    logger.logVstProcess(nullptr, nullptr, 1, false);
    logger.logVstDispatcher(effGetProgram, 0, 0, nullptr, 0.0f);
    EXPECT_TRUE(logger.take().empty());
    EXPECT_EQ(logger.getVstOpCodeCount(functions, fnProcess), 1);
    logger.loggingActive = true;

    logger.setVstOpCodeEnabled(false, dispatcher, effGetProgram);
    logger.logVstDispatcher(effGetProgram, 0, 0, nullptr, 0.0f);
    logger.logVstDispatcherReturn(effGetProgram, nullptr, 0);
    EXPECT_TRUE(logger.take().empty());
    EXPECT_EQ(logger.getVstOpCodeCount(dispatcher, effGetProgram), 2);

    // Group 0 record 0 silences every dispatcher line; per-opcode counts keep growing.
    logger.setVstOpCodeEnabled(false, functions, fnDispatcher);
    logger.logVstDispatcher(effSetProgram, 0, 1, nullptr, 0.0f);
    logger.logVstAudioMaster(audioMasterIdle, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(logger.take(), (Lines{"audioMasterIdle "}));
    EXPECT_EQ(logger.getVstOpCodeCount(dispatcher, effSetProgram), 1);
    EXPECT_EQ(logger.getVstOpCodeCount(functions, fnDispatcher), 3);

    logger.setVstOpCodeEnabled(false, functions, fnGetParameter);
    logger.logVstGetParameter(0);
    logger.logVstGetParameterReturn(0.0f);
    EXPECT_TRUE(logger.take().empty());
}

TEST(UnsafeInput, NullTextsAndOverlongLinesStaySafe)
{
    CapturingLogger logger;
    logger.logVstDispatcher(effSetProgramName, 0, 0, nullptr, 0.0f);
    logger.logVstDispatcherReturn(effGetProgramName, nullptr, 0);
    EXPECT_EQ(logger.take(),
              (Lines{"effSetProgramName name=<null> ", "effGetProgramName returned name=<null>"}));

    // A text longer than any line, with no terminator within reach, is read only as far as fits.
    std::vector<char> huge(8192, 'x');
    logger.logVstDispatcher(effSetProgramName, 0, 0, huge.data(), 0.0f);
    const auto lines = logger.take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_LT(lines[0].size(), 1024u);
    EXPECT_EQ(lines[0].rfind("effSetProgramName name=xxxx", 0), 0u);
}
