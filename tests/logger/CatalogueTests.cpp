// The per-opcode records as the window and the settings file use them. The opcode table checks
// itself where it is written (vst/OpCodeTable.h).
#include "tests/logger/CapturingLogger.h"

#include <gtest/gtest.h>

TEST(Catalogue, CounterWrapsPastTheLargestSignedValue)
{
    DynamicDebugInfo record;
    record.count.store(0x7fffffffu);
    record.increment();
    EXPECT_EQ(record.getCount(), INT32_MIN);
}
