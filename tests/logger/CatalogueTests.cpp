// The opcode catalogue and the per-opcode records as the window and the settings file use them.
#include "tests/logger/CapturingLogger.h"

#include <gtest/gtest.h>

#include <set>

using Group = OXLogger::vstOpCodeGroup;

TEST(Catalogue, TablesKeepTheirInvariants)
{
    for (const auto* table : {effOpCodes, audioMasterOpCodes})
    {
        const int size = table == effOpCodes ? kNumDispatcherOpCodes : kNumAudioMasterOpCodes;
        std::set<std::string> names;
        for (int i = 0; i < size; ++i)
        {
            const VstOpCodeInfo& info = table[i];
            ASSERT_NE(info.name, nullptr);
            names.insert(info.name);
            EXPECT_EQ(info.ptrKind == ptrNone, info.ptrLabel == nullptr) << info.name;
            if (info.ptrIsReturned)
            {
                EXPECT_TRUE(info.ptrKind == ptrString || info.ptrKind == ptrRectOut) << info.name;
            }
        }
        EXPECT_EQ(names.size(), static_cast<size_t>(size));
    }
}

TEST(Catalogue, InitLogInfoIgnoresEmptyAndNegativeCounts)
{
    DynamicDebugInfo records[2];
    records[0].setEnabled(false);
    records[0].increment();
    initLogInfo(records, 0);
    initLogInfo(records, -3);
    initLogCounters(records, -1);
    EXPECT_EQ(records[0].getCount(), 1);
    EXPECT_FALSE(records[0].isEnabled());
    initLogInfo(records, 1);
    EXPECT_EQ(records[0].getCount(), 0);
    EXPECT_TRUE(records[0].isEnabled());
    EXPECT_FALSE(records[1].isEnabled());
}

TEST(Catalogue, CounterWrapsPastTheLargestSignedValue)
{
    DynamicDebugInfo record;
    record.count.store(0x7fffffffu);
    record.increment();
    EXPECT_EQ(record.getCount(), INT32_MIN);
}
