#include "gui/ElapsedTimeText.h"

#include <gtest/gtest.h>

namespace
{
std::string text(double seconds)
{
    return elapsedTimeText(juce::RelativeTime(seconds)).toStdString();
}
} // namespace

TEST(ElapsedTimeText, ExamplesOfTheTimeButton)
{
    EXPECT_EQ(text(75.0), "1 min 15 secs");
    EXPECT_EQ(text(3725.0), "1 hr 2 mins");
    EXPECT_EQ(text(0.25), "250 ms");
}

TEST(ElapsedTimeText, BelowAMillisecondIsZero)
{
    EXPECT_EQ(text(0.0), "0");
    EXPECT_EQ(text(0.0009), "0");
    EXPECT_EQ(text(-0.0009), "0");
    EXPECT_EQ(text(0.001), "1 ms");
}

TEST(ElapsedTimeText, SingularAndPlural)
{
    EXPECT_EQ(text(1.0), "1 sec");
    EXPECT_EQ(text(2.0), "2 secs");
    EXPECT_EQ(text(60.0), "1 min");
    EXPECT_EQ(text(61.0), "1 min 1 sec");
    EXPECT_EQ(text(7200.0), "2 hrs");
    EXPECT_EQ(text(86400.0), "1 day");
    EXPECT_EQ(text(2 * 86400.0 + 5.0), "2 days 5 secs");
    EXPECT_EQ(text(604800.0), "1 week");
    EXPECT_EQ(text(2 * 604800.0), "2 weeks");
}

TEST(ElapsedTimeText, AtMostTwoUnitsAfterWeeksAndDays)
{
    EXPECT_EQ(text(3600.0 + 60.0 + 1.0), "1 hr 1 min");
    EXPECT_EQ(text(86400.0 + 3600.0 + 60.0), "1 day 1 hr");
    // Weeks and days are always written, so nothing smaller follows them.
    EXPECT_EQ(text(604800.0 + 86400.0 + 3600.0), "1 week 1 day");
    EXPECT_EQ(text(604800.0 + 3600.0 + 60.0), "1 week 1 hr");
    // Milliseconds only when no larger unit was written.
    EXPECT_EQ(text(1.5), "1 sec");
    EXPECT_EQ(text(0.999), "999 ms");
}

TEST(ElapsedTimeText, WholeMillisecondsReadExactly)
{
    for (int ms = 1; ms < 1000; ++ms)
        EXPECT_EQ(elapsedTimeText(juce::RelativeTime::milliseconds(ms)).toStdString(),
                  std::to_string(ms) + " ms");
}

TEST(ElapsedTimeText, NegativeDurations)
{
    EXPECT_EQ(text(-75.0), "-1 min 15 secs");
    EXPECT_EQ(text(-0.25), "-250 ms");
}

TEST(ElapsedTimeText, LongUptimesDoNotOverflow)
{
    // About 100 years: more weeks than a 32-bit count of seconds could hold.
    EXPECT_EQ(text(5218.0 * 604800.0 + 3.0 * 86400.0), "5218 weeks 3 days");
}
