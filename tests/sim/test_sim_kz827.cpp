// The simulated KZ827KVE: measurement fields from the plant, ratios and
// units; relay coils; the alarm and initialisation registers; the address
// move; the 12-byte calibration exchange and its framing.
#include "link/crc.h"
#include "sim/bus.h"
#include "sim/kz827.h"
#include "sim/modbus.h"
#include "tests/support/testutil.h"

#include <QSet>
#include <gtest/gtest.h>

using sim::Kz827Instrument;

namespace {

class SimKz827 : public ::testing::Test {
protected:
    void SetUp() override
    {
        bus.Add(3, sim::Family::Kz827);
        meter = bus.Kz827At(3);
        ASSERT_NE(meter, nullptr);
        meter->SetFrozen(true);
    }
    // "03 <pdu> CRC" -> the whole reply frame as hex ("" for silence).
    QString Ask(const char *pdu) { return ToHex(bus.Handle(WithCrc(Hex("03") + Hex(pdu)))); }
    QString Reply(const char *pdu) { return ToHex(WithCrc(Hex("03") + Hex(pdu))); }

    sim::Bus bus;
    Kz827Instrument *meter = nullptr;
};

} // namespace

TEST_F(SimKz827, MeasurementFieldsFollowRatiosAndUnits)
{
    // 220 V, 5 A, 1100 W at ratio 1: as many decimals as four digits hold.
    EXPECT_EQ(Ask("03 00 00 00 06"), Reply("03 0C 08 98 01 00 13 88 03 00 04 4C 00 00"));
    // PT 100 in KV, CT 20 in A, power in KW: 22.00 KV, 100.0 A, 2200 KW.
    ASSERT_FALSE(Ask("10 10 00 00 05 0A 00 01 01 00 00 00 00 20 00 01").isEmpty());
    EXPECT_EQ(Ask("03 00 00 00 06"), Reply("03 0C 08 98 02 01 03 E8 01 00 08 98 00 01"));
    // Power flowing back is sign and magnitude.
    meter->SetPlant({220, 5, -0.5});
    EXPECT_EQ(meter->MeasurementWords()[4], 0x8000 | 1100);
    // Outside the map.
    EXPECT_EQ(Ask("03 00 04 00 04"), Reply("83 02"));
}

TEST_F(SimKz827, CoilsAndSettingsRegisters)
{
    EXPECT_EQ(Ask("05 00 02 FF 00"), Reply("05 00 02 FF 00"));
    EXPECT_TRUE(meter->Coil(2));
    EXPECT_FALSE(meter->Coil(1));
    EXPECT_EQ(Ask("05 00 02 00 00"), Reply("05 00 02 00 00"));
    EXPECT_FALSE(meter->Coil(2));
    EXPECT_EQ(Ask("05 00 03 FF 00"), Reply("85 02"));
    EXPECT_EQ(Ask("05 00 01 12 34"), Reply("85 03"));

    // The alarm block is kept as written, fillers too; factory upper limits 9999.
    EXPECT_EQ(meter->Holding(0x1009), 0x9999);
    QByteArray write = Hex("03 10 10 08 00 2B 56");
    for (int i = 0; i < 86; ++i)
        write.append(static_cast<char>(i));
    EXPECT_EQ(ToHex(bus.Handle(WithCrc(write))), Reply("10 10 08 00 2B"));
    const QString read = Ask("03 10 08 00 2B");
    EXPECT_EQ(read.mid(9, 3 * 86 - 1), ToHex(write.mid(7)));

    // Initialisation values are checked; a refused write stores nothing.
    EXPECT_EQ(Ask("10 10 00 00 05 0A 00 02 00 01 00 00 00 01 00 00"), Reply("90 03")); // unit 2
    EXPECT_EQ(Ask("10 10 01 00 01 02 1A 00"), Reply("90 03"));                      // not BCD
    EXPECT_EQ(Ask("10 10 06 00 01 02 00 06"), Reply("90 03"));                      // rate 6
    EXPECT_EQ(Ask("10 10 06 00 01 02 00 05"), Reply("10 10 06 00 01"));
    EXPECT_EQ(Ask("03 10 00 00 07"), Reply("03 0E 00 00 00 01 00 00 00 01 00 00 00 00 00 05"));
    EXPECT_EQ(Ask("03 10 06 00 03"), Reply("83 02")); // 0x1007 is not there
}

TEST_F(SimKz827, AddressChangeAnswersFromTheOldAddress)
{
    bus.Add(9, sim::Family::ThreePhase);
    EXPECT_EQ(Ask("10 10 05 00 01 02 00 09"), Reply("90 03")); // taken
    EXPECT_EQ(Ask("10 10 05 00 01 02 00 0C"), Reply("10 10 05 00 01"));
    EXPECT_EQ(bus.Kz827At(12), meter);
    EXPECT_EQ(bus.At(3), nullptr);
    EXPECT_EQ(meter->Holding(0x1005), 12);
}

TEST_F(SimKz827, CalibrationExchange)
{
    // A read: 'r', the tag, raw voltage, current, power and K.
    EXPECT_EQ(Ask("AA 80 0F 54 60 03 00 00 00"), Reply("AA 72 54 60 54 7A E1 99 99 9A 19 58 10 01 86 A0"));
    // Zero commands are counted and acknowledged.
    for (const char *sub : {"00", "01", "06", "07", "07"})
        EXPECT_EQ(Ask(qPrintable(QStringLiteral("AA 80 %1 54 60 03 00 00 00").arg(sub))), Reply("AA 77 54 60"));
    EXPECT_EQ(meter->ZeroCommands(Kz827Instrument::kCurrentClear), 2);
    EXPECT_EQ(meter->ZeroCommands(Kz827Instrument::kVoltageZero), 1);
    // A voltage coefficient 2 % low reads 2 % low.
    EXPECT_EQ(Ask("AA 80 02 54 60 03 3E B8 52"), Reply("AA 77 54 60"));
    EXPECT_EQ(meter->Coefficient(Kz827Instrument::kVoltage), 0x3EB852u);
    EXPECT_NEAR(meter->CalibrationValues()[0], 0x547AE1 * 0.98, 2);
    // Malformed requests get no reply at all.
    for (const char *bad : {"AA 80 08 54 60 03 00 00 00", "AA 81 0F 54 60 03 00 00 00", "AA 80 0F 54 60 04 00 00 00",
                            "AA 80 0F 54 60 03 00 00", "AA 72 37 30 32 32 42 30 30 30"})
        EXPECT_EQ(Ask(bad), "") << bad;
}

// Calibration is done on a standard source: its reads hold steady from the
// first one, before any coefficient is written, so a guided run can take the
// reading as the meter stands; measurement reads still see the plant move.
TEST_F(SimKz827, CalibrationReadsHoldSteadyWhileThePlantWanders)
{
    meter->SetFrozen(false);
    const QString first = Ask("AA 80 0F 54 60 03 00 00 00");
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(Ask("AA 80 0F 54 60 03 00 00 00"), first);
    QSet<QString> measured;
    for (int i = 0; i < 20; ++i)
        measured.insert(Ask("03 00 00 00 06"));
    EXPECT_GT(measured.size(), 1);
}

TEST(SimKz827Framing, TheKz827CalibrationRequestIsTwelveBytes)
{
    EXPECT_EQ(sim::RequestLength(Hex("03 AA")), 0);
    EXPECT_EQ(sim::RequestLength(Hex("03 AA 80")), 12);
    EXPECT_EQ(sim::RequestLength(Hex("03 AA 72")), 13); // the three-phase and single-phase form
}
