#include "link/codecs.h"
#include "link/crc.h"
#include "tests/support/testutil.h"

#include <gtest/gtest.h>

TEST(Crc, ExampleFrames)
{
    EXPECT_EQ(ToHex(WithCrc(Hex("01 03 00 50 00 0A"))), "01 03 00 50 00 0A C5 DC");
}
