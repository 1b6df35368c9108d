// The address probe frame and the bookkeeping of a scan.
#include "core/addressscan.h"
#include "tests/support/testutil.h"

#include <gtest/gtest.h>
#include <vector>

TEST(AddressProbe, FrameIsAddress99AsciiZerosAndCrc)
{
    EXPECT_EQ(ToHex(AddressProbeFrame(1)), "01 99 30 30 30 30 06 CD");
    EXPECT_EQ(ToHex(AddressProbeFrame(0)), "00 99 30 30 30 30 07 1C");
    EXPECT_EQ(ToHex(AddressProbeFrame(247)), "F7 99 30 30 30 30 12 5B");
}

namespace {
struct ScanRun {
    std::vector<int> probed;       // the addresses of the ticks, not the first
    std::vector<int> percents;
    int ticks = 0;
};

// Ticks a started scan until it ends, with a fixed end address.
ScanRun TickToEnd(AddressScan &scan, int end)
{
    ScanRun run;
    while (scan.Running() && run.ticks < 1000) {
        ++run.ticks;
        if (auto next = scan.Tick(end))
            run.probed.push_back(*next);
        run.percents.push_back(scan.Percent());
    }
    return run;
}
} // namespace

TEST(AddressScanLogic, RangeProbesEveryAddressAndEndsOneTickAfterTheLast)
{
    AddressScan scan;
    ASSERT_TRUE(scan.Start(5, 10));
    EXPECT_EQ(scan.Current(), 5);
    EXPECT_EQ(scan.Step(), 2000);
    EXPECT_EQ(scan.Progress(), 0);
    const ScanRun run = TickToEnd(scan, 10);
    EXPECT_EQ(run.probed, (std::vector<int>{6, 7, 8, 9, 10}));
    EXPECT_EQ(run.ticks, 6);
    EXPECT_EQ(run.percents, (std::vector<int>{20, 40, 60, 80, 100, 100}));
    EXPECT_EQ(scan.Progress(), AddressScan::kScanProgressMax);
    EXPECT_EQ(scan.Current(), 10);
}

TEST(AddressScanLogic, DefaultRangeUsesIntegerStepAndStillReachesFull)
{
    AddressScan scan;
    ASSERT_TRUE(scan.Start(0, 247));
    EXPECT_EQ(scan.Step(), 40); // 10000 div 247
    const ScanRun run = TickToEnd(scan, 247);
    EXPECT_EQ(run.probed.size(), 247u); // plus the probe of address 0 at start
    EXPECT_EQ(run.ticks, 248);
    EXPECT_EQ(run.percents[0], 0);   // 1 x 100 div 247
    EXPECT_EQ(run.percents[123], 50); // 124 x 100 div 247
    EXPECT_EQ(run.percents[246], 100);
    EXPECT_EQ(scan.Progress(), 10000);
}

TEST(AddressScanLogic, OneAddressRangeHasAFullStepAndEndsAtFirstTick)
{
    AddressScan scan;
    ASSERT_TRUE(scan.Start(7, 7));
    EXPECT_EQ(scan.Step(), 10000);
    EXPECT_EQ(scan.Current(), 7);
    const ScanRun run = TickToEnd(scan, 7);
    EXPECT_TRUE(run.probed.empty());
    EXPECT_EQ(run.ticks, 1);
    EXPECT_EQ(scan.Percent(), 100);
    EXPECT_EQ(scan.Progress(), 10000);

    // The top of the address range works the same way.
    ASSERT_TRUE(scan.Start(255, 255));
    EXPECT_FALSE(scan.Tick(255));
    EXPECT_EQ(scan.Percent(), 100);
}

TEST(AddressScanLogic, StartAboveEndIsRefusedAndChangesNothing)
{
    AddressScan scan;
    ASSERT_TRUE(scan.Start(2, 4));
    ASSERT_TRUE(scan.Tick(4));
    EXPECT_FALSE(scan.Start(9, 8));
    EXPECT_TRUE(scan.Running());
    EXPECT_EQ(scan.Current(), 3);
    EXPECT_EQ(scan.Progress(), 5000);
}

TEST(AddressScanLogic, EndReadAtEveryTick)
{
    AddressScan scan;
    ASSERT_TRUE(scan.Start(0, 10));
    ASSERT_EQ(scan.Tick(10), 1);
    ASSERT_EQ(scan.Tick(10), 2);
    // Lowered below the current address: the scan ends at this tick.
    EXPECT_FALSE(scan.Tick(1));
    EXPECT_FALSE(scan.Running());
    EXPECT_EQ(scan.Percent(), 100);

    // Raised: the scan goes on, with bar and percentage held at full.
    ASSERT_TRUE(scan.Start(0, 2));
    const ScanRun run = TickToEnd(scan, 6);
    EXPECT_EQ(run.probed, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    for (int p : run.percents)
        EXPECT_LE(p, 100);
    EXPECT_EQ(scan.Progress(), 10000);
}

TEST(AddressScanLogic, StoppedScanTicksNoMore)
{
    AddressScan scan;
    EXPECT_FALSE(scan.Tick(5)); // never started
    ASSERT_TRUE(scan.Start(0, 5));
    scan.Stop();
    EXPECT_FALSE(scan.Tick(5));
    EXPECT_EQ(scan.Progress(), 0);
}

TEST(AddressScanLogic, RangeWiderThanTheProgressScaleStillCounts)
{
    AddressScan scan;
    ASSERT_TRUE(scan.Start(0, 20000));
    EXPECT_EQ(scan.Step(), 1);
    for (int i = 0; i < 5000; ++i)
        ASSERT_TRUE(scan.Tick(20000));
    EXPECT_EQ(scan.Progress(), 5000);
    EXPECT_EQ(scan.Percent(), 25);
}
