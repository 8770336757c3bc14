#include "gui/ElapsedTimeText.h"

#include <gtest/gtest.h>

TEST(ElapsedTimeText, ReadsAsTheTimeButtonShowsIt)
{
    const struct
    {
        double seconds;
        const char* text;
    } cases[] = {
        {75.0, "1 min 15 secs"},
        {3725.0, "1 hr 2 mins"},
        // Below a millisecond is zero, either side.
        {0.0, "0"},
        {-0.0009, "0"},
        // Singular and plural.
        {1.0, "1 sec"},
        {60.0, "1 min"},
        {2 * 86400.0 + 5.0, "2 days 5 secs"},
        // At most two units after weeks and days, which are always written; milliseconds
        // only when no larger unit was.
        {3661.0, "1 hr 1 min"},
        {86400.0 + 3660.0, "1 day 1 hr"},
        {604800.0 + 86400.0 + 3600.0, "1 week 1 day"},
        {-75.0, "-1 min 15 secs"},
        {-0.25, "-250 ms"},
        // About 100 years: more weeks than a 32-bit count of seconds could hold.
        {5218.0 * 604800.0 + 3.0 * 86400.0, "5218 weeks 3 days"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(elapsedTimeText(juce::RelativeTime(c.seconds)).toStdString(), c.text)
            << c.seconds << " s";
    for (int ms = 1; ms < 1000; ++ms)
        EXPECT_EQ(elapsedTimeText(juce::RelativeTime::milliseconds(ms)).toStdString(),
                  std::to_string(ms) + " ms");
}
