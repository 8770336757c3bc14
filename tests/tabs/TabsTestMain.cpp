// JUCE's components need a message manager; one per test process.
#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Without a DISPLAY JUCE tries ":0", which may be another test's X server; tests that
    // need none name one that no server answers.
    setenv("DISPLAY", ":no-display", 0);
    juce::ScopedJuceInitialiser_GUI juceGui;
    return RUN_ALL_TESTS();
}
