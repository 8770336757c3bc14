#include "logger/CountSummary.h"

#include "logger/LineBuffer.h"
#include "logger/OXLogger.h"

#include <cstdio>
#include <cstring>
#include <iterator>

namespace
{
// What log puts in front of a message besides the module's name, at most:
// "00:00:00.000 ", "(FFFFFFFFFFFFFFFF) " and the colon.
constexpr size_t kPrefixWithoutName = 13 + 19 + 1;
// Room kept for a message however long the module's name is; a longer name cuts the line.
constexpr size_t kMinBudget = 128;

const char* const kGroupTitles[] = {"functions", "dispatcher", "audioMaster"};
static_assert(std::size(kGroupTitles) == kNumOpCodeGroups);

size_t messageBudget(const OXLogger& logger) noexcept
{
    const size_t used = kPrefixWithoutName + logger.moduleName.getNumBytesAsUTF8();
    const size_t text = LineBuffer::kCapacity - 2;
    return used + kMinBudget < text ? text - used : kMinBudget;
}

} // namespace

void writeCountSummary(OXLogger& logger) noexcept
{
    if (!logger.logSummary.load(std::memory_order_relaxed))
        return;
    const size_t budget = messageBudget(logger);
    for (int g = 0; g < kNumOpCodeGroups; ++g)
    {
        const OpCodeGroupInfo& group = OpCodeGroupsInfo[g];
        LineBuffer line;
        for (int i = 0; i < group.numOpCodes; ++i)
        {
            // Through the logger: a function's count may be the sum of its opcodes'.
            const auto count = static_cast<int32_t>(
                logger.getVstOpCodeCount(static_cast<OXLogger::vstOpCodeGroup>(g), i));
            if (count == 0)
                continue;
            char entry[128];
            std::snprintf(entry, sizeof entry, " %s%s=%d", group.prefix, group.name(i), count);
            if (line.length() > 0 && line.length() + std::strlen(entry) > budget)
            {
                logger.log(line.c_str());
                line = LineBuffer();
            }
            if (line.length() == 0)
                line.append("  summary %s:", kGroupTitles[g]);
            line.appendText(entry);
        }
        if (line.length() > 0)
            logger.log(line.c_str());
    }
}
