// One process per test binary: JUCE's message manager and the log sink are process-wide.
#include "tests/gui/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <juce_gui_basics/juce_gui_basics.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Without a DISPLAY JUCE tries ":0", which may be another test's X server; tests that
    // need none name one that no server answers.
    setenv("DISPLAY", ":no-display", 0);
    LogCapture::install();
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
