// One process per test binary: JUCE's message manager and the log sink are process-wide.
#include "logger/LogSink.h"
#include "logger/OXLogger.h"
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
    // Lines written by the calling thread, so that each is in the file when its click returns.
    OXLogger output;
    output.outputAttributes.set("logWrites", "direct");
    output.startOutput(juce::File());
    juce::ScopedJuceInitialiser_GUI juce;
    const int status = RUN_ALL_TESTS();
    stopLogOutput();
    return status;
}
