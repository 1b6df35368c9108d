// The simulated single-phase tester through Modbus frames: measurement
// layout and scaling, checked writes, the alarm word, coils and inputs, the
// event logs, and the clock and address block.
#include "link/crc.h"
#include "sim/bus.h"
#include "sim/singlephase.h"
#include "tests/support/testutil.h"

#include <gtest/gtest.h>

using sim::SinglePhaseInstrument;

namespace {

class SimSinglePhase : public ::testing::Test {
protected:
    void SetUp() override
    {
        bus.Add(2, sim::Family::SinglePhase);
        meter = bus.SinglePhaseAt(2);
        ASSERT_NE(meter, nullptr);
        meter->SetFrozen(true);
    }
    // The reply PDU (no address, no CRC) to "02 <pdu> CRC".
    QString Ask(const char *pdu)
    {
        const QByteArray reply = bus.Handle(WithCrc(Hex("02") + Hex(pdu)));
        if (reply.size() < 4 || !CheckFrameCrc(reply) || reply.at(0) != 2)
            return QStringLiteral("bad reply %1").arg(ToHex(reply));
        return ToHex(reply.mid(1, reply.size() - 3));
    }
    QByteArray Data(const char *readPdu) { return Hex(Ask(readPdu).toLatin1().constData()).mid(2); }

    sim::Bus bus;
    SinglePhaseInstrument *meter = nullptr;
};

} // namespace

TEST_F(SimSinglePhase, MeasurementBlockIsSixtyTwoBytesScaledByTheRatios)
{
    meter->SetHolding(0x52, 100);
    meter->SetHolding(0x53, 5);
    meter->PinEnergy(SinglePhaseInstrument::kTotalActive, 0x3039);
    const QByteArray data = Data("03 00 00 00 13");
    ASSERT_EQ(data.size(), 62);
    const auto word = [&](int i) { return static_cast<std::int16_t>(static_cast<std::uint8_t>(data[2 * i]) << 8 |
                                                                   static_cast<std::uint8_t>(data[2 * i + 1])); };
    EXPECT_EQ(word(0), 22);          // 220 V / 100 * 10
    EXPECT_EQ(word(1), 1000);        // 5 A / 5 * 1000
    EXPECT_EQ(word(2), 5000);        // 50 Hz
    EXPECT_EQ(word(3), 950);         // PF 0.95
    EXPECT_EQ(word(4), 1045 / 500);  // W / (VR * CR)
    EXPECT_EQ(ToHex(data.mid(14, 8)), "00 00 00 00 00 00 30 39");
    // The setting block the measurement window reads first: 9 plain words.
    EXPECT_EQ(Ask("03 00 50 00 09"), "03 12 00 00 00 00 00 64 00 05 00 00 00 00 00 00 00 00 00 00");
}

TEST_F(SimSinglePhase, WritesAreCheckedAndARefusedWriteStoresNothing)
{
    const struct {
        const char *pdu;
        const char *reply;
    } cases[] = {
        {"10 00 30 00 06 0C 00 01 00 02 00 FF 00 00 00 00 00 00", "90 03"}, // a relay source without a choice
        {"10 00 33 00 01 02 20 00", "90 03"},                               // no such alarm bit
        {"10 00 36 00 08 10 00 02 00 02 00 0F 00 63 00 63 00 63 27 0F 7F FF", "10 00 36 00 08"},
        {"10 00 3C 00 01 02 27 10", "90 03"},                               // metering time 10000 s
        {"10 00 50 00 0A 14 00 02 00 01 27 10 00 01 00 00 00 00 00 00 00 00 00 00 00 05", "90 03"}, // ratio 10000
        {"10 10 00 00 02 04 86 9F 00 00", "90 03"},                         // 99999 cut to 16 bits
        {"10 10 06 00 02 04 01 00 00 03", "90 03"},                         // delay 256 s
        {"10 10 06 00 01 02 00 FF", "10 10 06 00 01"},
        {"10 10 83 00 03 06 00 01 00 00 00 02", "90 03"},                   // input signal 2
        {"10 00 5A 00 02 08 00 00 7B 2D 00 00 01 64", "90 03"},             // 100 hundredths
        {"10 00 5A 00 02 04 00 00 7B 2D", "90 03"},                         // byte count of 2 registers is 8
        {"03 20 00 00 02", "83 03"},                                        // one log per read
        {"03 00 15 00 01", "83 02"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Ask(c.pdu).toStdString(), c.reply) << c.pdu;
    EXPECT_EQ(meter->Holding(0x30), 0);
    EXPECT_EQ(meter->Holding(0x52), 1);
    EXPECT_EQ(meter->Holding(0x1000), 9999);
    EXPECT_EQ(meter->Holding(0x1006), 0xFF);
    EXPECT_EQ(Ask("03 00 3D 00 01"), "03 02 7F FF");

    EXPECT_EQ(Ask("10 00 5A 00 02 08 00 00 7B 2D 00 00 01 05"), "10 00 5A 00 02");
    EXPECT_EQ(ToHex(Data("03 00 5A 00 02")), "00 00 00 00 00 00 30 39 00 00 00 00 00 00 00 69");
}

TEST_F(SimSinglePhase, AlarmWordFollowsLimitsEnablesAndInputsAndIsLogged)
{
    EXPECT_EQ(Ask("03 00 13 00 02"), "03 04 00 00 00 00");
    // Voltage upper limit 200.0 V, enabled in normal mode.
    EXPECT_EQ(Ask("10 10 00 00 02 04 07 D0 00 01"), "10 10 00 00 02");
    EXPECT_EQ(Ask("03 00 13 00 01"), "03 02 00 00"); // not enabled yet
    EXPECT_EQ(Ask("06 00 33 00 01"), "06 00 33 00 01");
    EXPECT_EQ(Ask("03 00 13 00 01"), "03 02 00 01");

    // Harmonic mode reads its own limits: the voltage alarm ends, the state
    // word shows the mode.
    EXPECT_EQ(Ask("06 00 50 00 02"), "06 00 50 00 02");
    EXPECT_EQ(Ask("03 00 13 00 02"), "03 04 00 00 00 10");

    meter->SetInput(1, true);
    EXPECT_EQ(meter->AlarmWord(), 0x4000);
    EXPECT_EQ(Ask("02 00 00 00 03"), "02 01 02");

    const QByteArray voltage = Data("03 20 00 00 01");
    ASSERT_EQ(voltage.size(), 240);
    // Newest first: the alarm ended (type 1) after it started (type 0) at 220 V.
    EXPECT_EQ(ToHex(voltage.mid(0, 6)), "00 03 5B 60 00 01");
    EXPECT_EQ(ToHex(voltage.mid(12, 6)), "00 03 5B 60 00 00");
    EXPECT_EQ(ToHex(voltage.mid(24, 12)), "00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(ToHex(Data("03 20 07 00 01").left(6)), "00 00 00 01 00 00");
}

TEST_F(SimSinglePhase, CoilsTakeOnlyTheTwoStandardValuesAndAreLogged)
{
    EXPECT_EQ(Ask("05 00 01 12 34"), "85 03");
    EXPECT_EQ(Ask("05 00 03 FF 00"), "85 02");
    EXPECT_EQ(Ask("05 00 01 FF 00"), "05 00 01 FF 00");
    EXPECT_EQ(Ask("01 00 00 00 03"), "01 01 02");
    EXPECT_EQ(meter->StateWord(), 0x0002);
    EXPECT_EQ(Ask("05 00 01 00 00"), "05 00 01 00 00");
    const QByteArray log = Data("03 20 0A 00 01");
    EXPECT_EQ(ToHex(log.mid(0, 6)), "00 00 00 00 00 01");
    EXPECT_EQ(ToHex(log.mid(12, 6)), "00 00 00 01 00 00");
}

TEST_F(SimSinglePhase, ClockRunsAndAnAddressChangeAnswersFromTheOldAddress)
{
    bus.Add(7, sim::Family::ThreePhase);
    meter->SetAddress(2);
    EXPECT_EQ(Ask("10 00 5C 00 06 0C 07 EA 00 0C 00 06 00 08 00 05 00 09"), "10 00 5C 00 06");
    EXPECT_TRUE(Ask("03 00 5C 00 08").startsWith("03 10 07 EA 00 0C 00 06 00 08 00 05"));
    EXPECT_EQ(Ask("10 00 5C 00 03 06 07 EA 00 02 00 1E"), "90 03"); // 30 February
    EXPECT_EQ(Ask("10 00 62 00 01 02 00 00"), "90 03");              // broadcast
    EXPECT_EQ(Ask("10 00 62 00 01 02 00 07"), "90 03");              // taken
    EXPECT_EQ(Ask("10 00 63 00 01 02 00 07"), "90 03");              // no baud rate code 7
    EXPECT_EQ(Ask("10 00 62 00 02 04 00 09 00 06"), "10 00 62 00 02");
    EXPECT_EQ(bus.SinglePhaseAt(9), meter);
    EXPECT_EQ(meter->Holding(0x62), 9);
    EXPECT_EQ(meter->Holding(0x63), 6);
}

TEST_F(SimSinglePhase, CalibrationExchangeServesCorrectsAndRefuses)
{
    // Value n (1..24) of a read is at PDU offset 7 + 3 (n - 1).
    const auto value = [](const QByteArray &pdu, int n) {
        const int at = 7 + 3 * (n - 1);
        const auto b = [&](int i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(pdu.at(at + i))); };
        const std::uint32_t v = b(0) << 16 | b(1) << 8 | b(2);
        return v > 0x800000 ? double(v) - 16777216.0 : double(v);
    };
    const auto read = [&] { return Hex(Ask("AA 72 37 30 32 32 42 30 30 30").toLatin1().constData()); };
    meter->SetCalibrationErrors({0.01, 0, 0, 0, 0});
    QByteArray pdu = read();
    ASSERT_EQ(pdu.size(), 79);
    EXPECT_EQ(ToHex(pdu.left(7)), "AA 72 37 30 32 32 00");
    EXPECT_NEAR(value(pdu, 4) / 8192, 222.2, 1e-3) << "voltage 1 % high";
    EXPECT_NEAR(value(pdu, 5) / 8192, 5, 1e-3);
    EXPECT_NEAR(value(pdu, 6) / 8388608, 0.95, 1e-6);
    EXPECT_EQ(value(pdu, 7), 50 * 8192);
    EXPECT_EQ(pdu.mid(7 + 21), QByteArray(51, '\0')) << "values 8-24";

    // Point 1 sets the bench to full current at power factor 1.0; a
    // voltage correction of 1 / 1.01 - 1 removes the error.
    EXPECT_EQ(Ask("AA 77 37 30 32 32 01 00 00 00"), "AA 77 37 30 32 32 01 00 00 00");
    EXPECT_NEAR(value(read(), 1) / 256, 1100, 0.01);
    const auto word = static_cast<std::uint32_t>(std::lround((1 / 1.01 - 1) * 8388608) + 16777216) & 0xFFFFFF;
    QByteArray write = Hex("AA 77 37 30 32 32 05");
    for (int shift : {16, 8, 0})
        write.append(static_cast<char>((word >> shift) & 0xFF));
    EXPECT_EQ(Ask(qPrintable(ToHex(write))), ToHex(write));
    EXPECT_EQ(meter->CalibrationWord(5), word);
    EXPECT_NEAR(value(read(), 4) / 8192, 220, 220 * 1e-6);

    for (const char *bad : {"AA 77 37 30 32 32 07 00 00 00", "AA 77 37 30 32 32 00 00 00 00",
                            "AA 72 37 30 32 32 42 30 30 31", "AA 72 38 30 32 32 42 30 30 30"})
        EXPECT_TRUE(bus.Handle(WithCrc(Hex("02") + Hex(bad))).isEmpty()) << bad;
}
