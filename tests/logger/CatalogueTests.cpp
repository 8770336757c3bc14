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

TEST(Catalogue, CounterWrapsPastTheLargestSignedValue)
{
    DynamicDebugInfo record;
    record.count.store(0x7fffffffu);
    record.increment();
    EXPECT_EQ(record.getCount(), INT32_MIN);
}
