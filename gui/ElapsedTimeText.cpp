#include "gui/ElapsedTimeText.h"

#include <cmath>
#include <cstdint>

namespace
{
void addUnit(juce::StringArray& fields, int64_t n, const char* singular, const char* plural)
{
    if (n > 0)
        fields.add(juce::String(n) + " " + (n == 1 ? singular : plural));
}
} // namespace

juce::String elapsedTimeText(juce::RelativeTime elapsed)
{
    const double seconds = elapsed.inSeconds();
    if (!(std::abs(seconds) >= 0.001))
        return "0";

    const double magnitude = std::abs(seconds);
    // Whole units in 64 bits: a clock that jumped by years must not overflow an int.
    const auto whole = [magnitude](double unitSeconds)
    { return static_cast<int64_t>(std::floor(magnitude / unitSeconds)); };

    juce::StringArray fields;
    addUnit(fields, whole(604800.0), "week", "weeks");
    addUnit(fields, whole(86400.0) % 7, "day", "days");
    if (fields.size() < 2)
        addUnit(fields, whole(3600.0) % 24, "hr", "hrs");
    if (fields.size() < 2)
        addUnit(fields, whole(60.0) % 60, "min", "mins");
    if (fields.size() < 2)
        addUnit(fields, whole(1.0) % 60, "sec", "secs");
    // The nudge keeps a whole number of milliseconds, such as 0.29 s, from reading one less.
    if (fields.isEmpty())
        fields.add(
            juce::String(static_cast<int64_t>(std::floor(magnitude * 1000.0 + 1e-6)) % 1000) +
            " ms");

    return (seconds < 0 ? "-" : "") + fields.joinIntoString(" ");
}
