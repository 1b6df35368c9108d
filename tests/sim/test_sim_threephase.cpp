// The simulated three-phase instrument: register layout, writes, scaling,
// motion and energy counting, checked through Modbus frames.
#include "link/crc.h"
#include "sim/bus.h"
#include "sim/threephase.h"
#include "tests/support/testutil.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <cmath>

using sim::ThreePhaseInstrument;

namespace {

class SimThreePhase : public ::testing::Test {
protected:
    void SetUp() override
    {
        bus.Add(1, sim::Family::ThreePhase);
        meter = bus.ThreePhaseAt(1);
        ASSERT_NE(meter, nullptr);
    }

    // Sends "01 <pdu> CRC" and returns the reply without address and CRC,
    // after checking that those two are right.
    QByteArray Ask(const char *pduHex) { return Ask(Hex(pduHex)); }
    QByteArray Ask(const QByteArray &pdu)
    {
        const QByteArray reply = bus.Handle(WithCrc(Hex("01") + pdu));
        EXPECT_GE(reply.size(), 4) << qPrintable(ToHex(pdu));
        if (reply.size() < 4)
            return QByteArray();
        EXPECT_EQ(reply.at(0), 1);
        EXPECT_TRUE(CheckFrameCrc(reply)) << qPrintable(ToHex(reply));
        return reply.mid(1, reply.size() - 3);
    }

    // Data bytes of a read reply (after function and byte count).
    QByteArray Read(int start, int count)
    {
        const QByteArray pdu = Ask(QStringLiteral("03 %1 %2")
                                       .arg(start, 4, 16, QLatin1Char('0'))
                                       .arg(count, 4, 16, QLatin1Char('0'))
                                       .toLatin1()
                                       .constData());
        if (pdu.size() < 2) {
            ADD_FAILURE() << "no read reply from " << start;
            return QByteArray();
        }
        EXPECT_EQ(static_cast<unsigned char>(pdu.at(0)), 0x03) << qPrintable(ToHex(pdu));
        EXPECT_EQ(static_cast<unsigned char>(pdu.at(1)), pdu.size() - 2);
        return pdu.mid(2);
    }

    struct Measured {
        double v[8];  // phase A,B,C, line AB,BC,CA, avg phase, avg line (V)
        double i[5];  // A,B,C, zero-sequence, average (A)
        double pf[4]; // A,B,C,total
        double hz;
        double p[4], q[4], s[4]; // W, var, VA (A,B,C,total)
        long long energy[6];     // hundredths
    };

    static int Word(const QByteArray &d, int index)
    {
        return static_cast<unsigned char>(d.at(2 * index)) << 8 | static_cast<unsigned char>(d.at(2 * index + 1));
    }
    static int Signed(const QByteArray &d, int index) { return static_cast<qint16>(Word(d, index)); }

    // Full measurement poll decoded with the documented scaling.
    Measured Poll(int pt, int ct)
    {
        const QByteArray d = Read(0x0000, 0x2A);
        EXPECT_EQ(d.size(), 108);
        Measured m{};
        if (d.size() != 108)
            return m;
        for (int k = 0; k < 8; ++k)
            m.v[k] = Word(d, k) * pt / 10.0;
        m.i[0] = Word(d, 8) * ct / 1000.0;
        m.i[1] = Word(d, 9) * ct / 1000.0;
        m.i[2] = Word(d, 10) * ct / 1000.0;
        m.i[3] = Word(d, 11) * ct / 1000.0;
        m.i[4] = Word(d, 12) * ct / 1000.0;
        for (int k = 0; k < 4; ++k) {
            m.pf[k] = Signed(d, 13 + k) / 1000.0;
            m.p[k] = Signed(d, 18 + k) * double(pt) * ct;
            m.q[k] = Signed(d, 22 + k) * double(pt) * ct;
            m.s[k] = Signed(d, 26 + k) * double(pt) * ct;
        }
        m.hz = Word(d, 17) / 100.0;
        for (int e = 0; e < 6; ++e) {
            long long v = 0;
            for (int b = 0; b < 8; ++b)
                v = v << 8 | static_cast<unsigned char>(d.at(60 + 8 * e + b));
            m.energy[e] = v;
        }
        return m;
    }

    sim::Bus bus;
    ThreePhaseInstrument *meter = nullptr;
};

} // namespace

TEST_F(SimThreePhase, MeasurementPollOf42RegistersAnswers108DataBytes)
{
    const QByteArray reply = bus.Handle(Hex("01 03 00 00 00 2A C4 15"));
    ASSERT_EQ(reply.size(), 113);
    EXPECT_EQ(ToHex(reply.left(3)), QStringLiteral("01 03 6C"));
    EXPECT_TRUE(CheckFrameCrc(reply));
}

TEST_F(SimThreePhase, RatioAndSettingsBlocksHaveTheirDefaults)
{
    // The measurement window's ratio request: 10 registers, byte count 20.
    const QByteArray ratio = bus.Handle(Hex("01 03 00 50 00 0A C5 DC"));
    EXPECT_EQ(ToHex(ratio), ToHex(WithCrc(Hex("01 03 14 0002 0001 0000 0001 0000 0000 0000 0000 0000 0000"))));
    // The settings upload: 11 registers including the reclosing delay (5 s).
    EXPECT_EQ(ToHex(Read(0x50, 11)), ToHex(Hex("0002 0001 0000 0001 0000 0000 0000 0000 0000 0000 0005")));
    EXPECT_EQ(meter->Pt(), 1);
    EXPECT_EQ(meter->Ct(), 1);
}

TEST_F(SimThreePhase, EnergyRegistersCarryFourBytesEachEvenInPartialReads)
{
    meter->PinEnergy(ThreePhaseInstrument::kTotalActive, 0x0102030405060708LL);
    meter->PinEnergy(ThreePhaseInstrument::kReverseReactive, -2);
    meter->PinRaw(0x1D, 0x1122);
    EXPECT_EQ(ToHex(Read(0x1E, 2)), QStringLiteral("01 02 03 04 05 06 07 08"));
    EXPECT_EQ(ToHex(Read(0x1E, 1)), QStringLiteral("01 02 03 04"));
    EXPECT_EQ(ToHex(Read(0x1F, 1)), QStringLiteral("05 06 07 08"));
    EXPECT_EQ(ToHex(Read(0x1D, 2)), QStringLiteral("11 22 01 02 03 04"));
    EXPECT_EQ(ToHex(Read(0x28, 2)), QStringLiteral("FF FF FF FF FF FF FF FE"));
    EXPECT_EQ(Read(0x1E, 12).size(), 48);
}

TEST_F(SimThreePhase, RegistersOutsideTheMapAndBadCountsAreRefused)
{
    struct Case {
        const char *pdu;
        const char *reply;
    } cases[] = {
        {"03 00 2D 00 02", "83 02"}, // runs past the state words
        {"03 20 00 00 02", "83 03"}, // a log is read as one register
        {"03 20 1D 00 01", "83 02"}, // past the 29 logs
        {"03 00 4F 00 02", "83 02"}, // gap before the initialisation block
        {"03 00 5C 00 02", "83 02"}, // past the energy bases
        {"03 FF FF 00 02", "83 02"}, // wraps past 0xFFFF
        {"03 00 33 00 02", "83 02"}, // gap before the alarm enables
        {"03 00 42 00 02", "83 02"}, // past the display settings
        {"03 0F FF 00 02", "83 02"}, // gap before the alarm limits
        {"03 10 98 00 02", "83 02"}, // past the alarm limits
        {"10 10 98 00 02 04 0000 0000", "90 02"},
        {"06 00 43 00 00", "86 02"},
        {"03 00 00 00 00", "83 03"},
        {"03 00 50 00 7E", "83 03"},
        {"03 00 50 00 01 00", "83 03"}, // one byte too many, CRC right
        {"10 00 00 00 01 02 00 01", "90 02"}, // measurements are read only
        {"10 00 5A 00 02 04 00 05 00 00", "90 03"}, // a base takes 4 bytes, not 2
        {"10 00 50 00 01 02 00", "90 03"},          // byte count larger than the data
        {"06 00 00 00 01", "86 02"},
        {"06 00 5B 00 01", "86 02"}, // a base cannot be written one word at a time
        {"04 00 00 00 01", "84 01"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ToHex(Ask(c.pdu)), ToHex(Hex(c.reply))) << c.pdu;
    EXPECT_EQ(Read(0x5C, 1).size(), 8);
}

TEST_F(SimThreePhase, WrittenSettingsAreEchoedAndReadBack)
{
    // Four-wire, PT 200, CT 5, kV, delay 5: the settings window's download.
    const QByteArray data = Hex("0002 0200 0001 0005 0000 0000 0000 0000 0000 0000 0005");
    const QByteArray request = WithCrc(Hex("01 10 00 50 00 0B 16") + data);
    EXPECT_EQ(ToHex(bus.Handle(request)), ToHex(WithCrc(Hex("01 10 00 50 00 0B"))));
    EXPECT_EQ(ToHex(Read(0x50, 11)), ToHex(data));
    EXPECT_EQ(meter->Pt(), 200);
    EXPECT_EQ(meter->Ct(), 5);

    // Single-register write of the CT, and of all the unit flags.
    EXPECT_EQ(ToHex(Ask("06 00 53 01 20")), QStringLiteral("06 00 53 01 20"));
    EXPECT_EQ(meter->Ct(), 120);
    EXPECT_EQ(ToHex(Ask("10 00 54 00 06 0C 0001 0001 0001 0001 0001 0001")), QStringLiteral("10 00 54 00 06"));
    EXPECT_EQ(ToHex(Read(0x52, 8)), ToHex(Hex("0001 0120 0001 0001 0001 0001 0001 0001")));
}

TEST_F(SimThreePhase, ARefusedWriteChangesNothing)
{
    const QByteArray before = Read(0x50, 11);
    const char *bad[] = {
        "10 00 50 00 02 04 0002 00C8", // PT written in binary, not BCD
        "10 00 50 00 01 02 0003",      // no wiring mode 3
        "10 00 51 00 02 04 0100 0002", // voltage unit flag must be 0 or 1
        "10 00 59 00 02 04 0000 0A00", // delay digit above 9
        "06 00 50 00 00",
        "10 00 5A 00 02 06 0007 0000 7B 64", // hundredths 100
    };
    for (const char *pdu : bad) {
        const QByteArray reply = Ask(pdu);
        ASSERT_EQ(reply.size(), 2) << pdu;
        EXPECT_EQ(static_cast<unsigned char>(reply.at(1)), 0x03) << pdu << " " << qPrintable(ToHex(reply));
    }
    EXPECT_EQ(ToHex(Read(0x50, 11)), ToHex(before));
    EXPECT_EQ(ToHex(Read(0x5B, 2)), ToHex(QByteArray(16, 0)));
}

TEST_F(SimThreePhase, EnergyBasesAreWrittenAsFieldsAndReadAs64BitValues)
{
    // 123.45 kWh and 66051.07 kvarh, as the settings window writes them.
    EXPECT_EQ(ToHex(Ask("10 00 5B 00 02 08 00 00 7B 2D 01 02 03 07")), QStringLiteral("10 00 5B 00 02"));
    EXPECT_EQ(meter->EnergyBase(0), 12345);
    EXPECT_EQ(meter->EnergyBase(1), 6605107);
    EXPECT_EQ(ToHex(Read(0x5B, 2)), QStringLiteral("00 00 00 00 00 00 30 39 00 00 00 00 00 64 C9 33"));
    EXPECT_EQ(ToHex(Read(0x5C, 1)), QStringLiteral("00 00 00 00 00 64 C9 33"));

    // The counters restart from the bases.
    meter->SetFrozen(true);
    const Measured m = Poll(1, 1);
    EXPECT_EQ(m.energy[ThreePhaseInstrument::kTotalActive], 12345);
    EXPECT_EQ(m.energy[ThreePhaseInstrument::kTotalReactive], 6605107);

    // Largest field: 16777215.99.
    EXPECT_EQ(ToHex(Ask("10 00 5B 00 01 04 FF FF FF 63")), QStringLiteral("10 00 5B 00 01"));
    EXPECT_EQ(meter->EnergyBase(0), 1677721599LL);
    // Settings and a base in one write: 2 bytes for 0x5A, 4 for 0x5B.
    EXPECT_EQ(ToHex(Ask("10 00 5A 00 02 06 0009 00 00 01 02")), QStringLiteral("10 00 5A 00 02"));
    EXPECT_EQ(meter->Register(0x5A), 9);
    EXPECT_EQ(meter->EnergyBase(0), 102);
}

TEST_F(SimThreePhase, MeasurementsArePlausibleAndConsistentAtUnitRatios)
{
    for (int read = 0; read < 50; ++read) {
        const Measured m = Poll(1, 1);
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(testing::Message() << "read " << read << " phase " << k);
            EXPECT_NEAR(m.v[k], 220.0, 4.0);
            EXPECT_NEAR(m.v[3 + k], 220.0 * std::sqrt(3.0), 7.0);
            EXPECT_NEAR(m.i[k], 5.0, 0.3);
            EXPECT_NEAR(m.pf[k], 0.95, 0.03);
            // P = U I PF, S = U I, Q = U I sin(phi), within rounding.
            const double s = m.v[k] * m.i[k];
            EXPECT_NEAR(m.s[k], s, s * 0.003 + 1);
            EXPECT_NEAR(m.p[k], s * m.pf[k], s * 0.003 + 2);
            EXPECT_NEAR(m.q[k], s * std::sin(std::acos(m.pf[k])), s * 0.01 + 2);
        }
        EXPECT_NEAR(m.v[6], (m.v[0] + m.v[1] + m.v[2]) / 3, 0.15);
        EXPECT_NEAR(m.v[7], (m.v[3] + m.v[4] + m.v[5]) / 3, 0.15);
        EXPECT_NEAR(m.i[4], (m.i[0] + m.i[1] + m.i[2]) / 3, 0.002);
        EXPECT_LT(m.i[3], 0.5) << "zero-sequence current of a nearly balanced load";
        EXPECT_NEAR(m.hz, 50.0, 0.1);
        EXPECT_NEAR(m.p[3], m.p[0] + m.p[1] + m.p[2], 2);
        EXPECT_NEAR(m.q[3], m.q[0] + m.q[1] + m.q[2], 2);
        EXPECT_NEAR(m.s[3], std::hypot(m.p[3], m.q[3]), 2);
        EXPECT_NEAR(m.pf[3], m.p[3] / m.s[3], 0.002);
    }
}

TEST_F(SimThreePhase, RawValuesFollowTheRatiosSoDecodedValuesStayThePlantValues)
{
    meter->SetFrozen(true);
    const Measured unit = Poll(1, 1);

    // Same plant behind PT 100 / CT 300: the raw words shrink by the ratios.
    meter->SetRatios(100, 300);
    const Measured scaled = Poll(100, 300);
    EXPECT_NEAR(meter->RawWord(0), unit.v[0] * 10 / 100, 1);
    EXPECT_NEAR(meter->RawWord(8), unit.i[0] * 1000 / 300, 1);
    for (int k = 0; k < 8; ++k)
        EXPECT_NEAR(scaled.v[k], unit.v[k], 100 / 10.0 / 2 + 1e-9) << k; // half a raw step
    for (int k = 0; k < 5; ++k)
        EXPECT_NEAR(scaled.i[k], unit.i[k], 300 / 1000.0 / 2 + 1e-9) << k;
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(scaled.p[k], unit.p[k], 30000.0 / 2 + 1) << k;
        EXPECT_EQ(scaled.pf[k], unit.pf[k]);
    }
    EXPECT_EQ(scaled.hz, unit.hz);
    EXPECT_EQ(scaled.energy[0], unit.energy[0]) << "ratios are not applied to energies";

    // A high-voltage plant at realistic ratios keeps full resolution.
    meter->SetPlant({22000.0, 1500.0, 0.95, 50.0});
    const Measured hv = Poll(100, 300);
    EXPECT_NEAR(hv.v[0], 22000.0, 10);
    EXPECT_NEAR(hv.i[0], 1500.0, 0.3);
    EXPECT_NEAR(hv.p[0], 22000.0 * 1500.0 * 0.95, 30000.0);
    EXPECT_NEAR(meter->RawWord(18), 1045, 1);
    // Ratio 0 is taken as 1, as the program does.
    meter->SetRatios(0, 0);
    EXPECT_EQ(meter->Pt(), 1);
    EXPECT_EQ(meter->Ct(), 1);
}

TEST_F(SimThreePhase, ValuesMoveAtEachPollAndEnergiesKeepIncreasing)
{
    Measured prev = Poll(1, 1);
    int changed = 0;
    for (int read = 0; read < 30; ++read) {
        const Measured m = Poll(1, 1);
        if (m.v[0] != prev.v[0] || m.i[0] != prev.i[0])
            ++changed;
        EXPECT_GT(m.energy[ThreePhaseInstrument::kTotalActive], prev.energy[ThreePhaseInstrument::kTotalActive]);
        EXPECT_GT(m.energy[ThreePhaseInstrument::kForwardActive], prev.energy[ThreePhaseInstrument::kForwardActive]);
        EXPECT_GT(m.energy[ThreePhaseInstrument::kTotalReactive], prev.energy[ThreePhaseInstrument::kTotalReactive]);
        EXPECT_EQ(m.energy[ThreePhaseInstrument::kReverseActive], prev.energy[ThreePhaseInstrument::kReverseActive]);
        prev = m;
    }
    EXPECT_GE(changed, 25);
    EXPECT_EQ(meter->MeasurementReads(), 31);
    // Reading only the settings does not advance the measurements.
    Read(0x50, 10);
    EXPECT_EQ(meter->MeasurementReads(), 31);
}

TEST_F(SimThreePhase, FrozenAndPinnedValuesAreServedExactly)
{
    meter->SetFrozen(true);
    meter->PinRaw(0x00, 2200);
    meter->PinRaw(0x0D, -500);
    meter->PinRaw(0x12, -2000);
    meter->PinEnergy(ThreePhaseInstrument::kTotalActive, 12345);
    const QByteArray first = Read(0, 0x2A);
    const QByteArray second = Read(0, 0x2A);
    EXPECT_EQ(ToHex(first), ToHex(second));
    EXPECT_EQ(ToHex(first.mid(0, 2)), QStringLiteral("08 98"));
    EXPECT_EQ(ToHex(first.mid(26, 2)), QStringLiteral("FE 0C"));
    EXPECT_EQ(ToHex(first.mid(36, 2)), QStringLiteral("F8 30"));
    EXPECT_EQ(ToHex(first.mid(60, 8)), QStringLiteral("00 00 00 00 00 00 30 39"));
    EXPECT_FALSE(meter->PinRaw(0x1E, 1)) << "energies are pinned with PinEnergy";

    // Pins hold while the rest moves again.
    meter->SetFrozen(false);
    const QByteArray third = Read(0, 0x2A);
    EXPECT_EQ(ToHex(third.mid(0, 2)), QStringLiteral("08 98"));
    EXPECT_NE(ToHex(third.mid(2, 24)), ToHex(first.mid(2, 24)));
    meter->UnpinAll();
    EXPECT_NE(ToHex(Read(0x0D, 1)), QStringLiteral("FE 0C"));
}

TEST_F(SimThreePhase, TestHooksSetTheInitialisationBlockWithoutChecks)
{
    meter->SetWiringMode(3);
    meter->SetUnitFlags(0x7F);
    meter->SetRatios(12000, 5); // limited to 9999 as BCD
    EXPECT_EQ(ToHex(Read(0x50, 10)), ToHex(Hex("0003 9999 0001 0005 0001 0001 0001 0001 0001 0001")));
    meter->SetUnitFlags(0x01);
    EXPECT_EQ(ToHex(Read(0x52, 3)), ToHex(Hex("0001 0005 0000")));
    EXPECT_FALSE(meter->SetRegister(0x5B, 1));
    EXPECT_TRUE(meter->SetRegister(0x51, 0x00FF)); // not BCD: counted by nibble weight
    EXPECT_EQ(meter->Pt(), 15 * 10 + 15);
}

TEST(SimThreePhaseSeed, TheSameSeedGivesTheSameSequence)
{
    auto run = [](std::uint64_t seed) {
        sim::Bus bus(seed);
        bus.Add(1, sim::Family::ThreePhase);
        QByteArray all;
        for (int i = 0; i < 5; ++i)
            all += bus.Handle(WithCrc(Hex("01 03 00 00 00 2A")));
        return all;
    };
    EXPECT_EQ(run(7), run(7));
    EXPECT_NE(run(7), run(8));

    // Two instruments on one bus wander differently.
    sim::Bus bus(7);
    bus.Add(1, sim::Family::ThreePhase);
    bus.Add(2, sim::Family::ThreePhase);
    const QByteArray a = bus.Handle(WithCrc(Hex("01 03 00 00 00 1E")));
    const QByteArray b = bus.Handle(WithCrc(Hex("02 03 00 00 00 1E")));
    EXPECT_NE(a.mid(3, 60), b.mid(3, 60));
}

TEST_F(SimThreePhase, SettingsAreasServeTheirFactoryValues)
{
    // Alarm enables and display settings in one read across both areas: only
    // the phase-sequence alarm; cyclic windows, 5 s, three quantities each.
    EXPECT_EQ(ToHex(Read(0x34, 15)),
              ToHex(Hex("0000 0000 0000 0400 0000 0000 0000 0005 0005 0005 0000 0007 0007 0007 0000")));

    // Each limit group read as a whole: its first register and size must
    // match, or the values land in the wrong fields.
    const QByteArray tail = Hex("0000 0000 0005 0000"); // hysteresis 0, delay 5 s, no relay
    const QByteArray unbalance = Hex("2000 0002 0000 0000 0005 0000");
    const struct {
        int first;
        QByteArray data;
    } groups[] = {
        {0x1000, Hex("0999 0000 0000 0000").repeated(8) + tail + Hex("0000")},
        {0x1025, Hex("0999 0000 0000 0000").repeated(5) + Hex("0000 0000").repeated(2) + tail},
        {0x1041, Hex("1000 0003 0000 0000").repeated(4) + tail},
        {0x1055, Hex("270F 0000 0000 0000").repeated(4) + tail},
        {0x1069, Hex("9999 0000 0000 0000").repeated(4) + tail},
        {0x107D, unbalance},
        {0x1083, unbalance},
        {0x1089, Hex("7500 0002 4500 0002") + tail},
        {0x1091, Hex("0005 0000")},
        {0x1093, QByteArray(12, 0)},
    };
    int next = ThreePhaseInstrument::kLimitFirst;
    for (const auto &g : groups) {
        EXPECT_EQ(g.first, next) << "groups follow each other";
        EXPECT_EQ(ToHex(Read(g.first, g.data.size() / 2)), ToHex(g.data)) << std::hex << g.first;
        next = g.first + g.data.size() / 2;
    }
    EXPECT_EQ(next, ThreePhaseInstrument::kLimitLast + 1);
}

TEST_F(SimThreePhase, SettingsWritesAreCheckedAndARefusedOneStoresNothing)
{
    // Valid words from a register, and a wrong value for the last of them.
    const struct {
        int start;
        const char *good;
        std::uint16_t badLast;
        const char *why;
    } cases[] = {
        {0x34, "FFFF FFFF FFFF 3FFF", 0x4000, "0x37 has no bit 14"},
        {0x35, "0001 0000 3800", 0x8000, "nor bit 15"},
        {0x37, "0000 0009", 0x0109, "window quantity: high byte 0"},
        {0x38, "0009 0009", 0x0010, "middle window items end at 9"},
        {0x39, "0009 0024", 0x0025, "lower window items end at 24"},
        {0x3A, "0024 0099", 0x009A, "interval: two BCD digits"},
        {0x3B, "0099 0099 0099 9999", 0x999A, "metering time: a BCD word"},
        {0x3E, "3600 0100", 0x0400, "upper window mask has 9 bits"},
        {0x3E, "3600 01FF 01FF", 0x0200, "middle window mask has 9 bits"},
        {0x3F, "01FF 01FF FFFF 00FF", 0x0100, "second lower window mask has 8 bits"},
        {0x50, "0001 9999 0001", 0x0002, "unit flags 0 or 1"},
        {0x58, "0001 0001 0009", 0x000A, "reclosing delay: BCD"},
        {0x1000, "2200 0001 0999", 0x0A00, "limit digits: BCD"},
        {0x1000, "2200 0003", 0x0004, "at most 3 decimals"},
        {0x1000, "2200 0001", 0x0101, "decimals: high byte 0"},
        {0x1021, "0000 9999 0003", 0x0004, "relays 0..3"},
        {0x1041, "0950 0003", 0x0004, "power factor limits: BCD with 3 decimals"},
        {0x1053, "0010 0003 D8F1", 0x2710, "active power limit at most 9999"},
        {0x1055, "FF83 0001 D8F1", 0xD8F0, "nor below -9999"},
        {0x1055, "D8F1 0004", 0x0005, "active power limits: up to 4 decimals"},
        {0x1095, "0003 0001 0002 0003", 0x00FF, "input choice 0..3"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        bus.Remove(1); // a fresh instrument with its factory values
        bus.Add(1, sim::Family::ThreePhase);
        meter = bus.ThreePhaseAt(1);
        const QByteArray good = Hex(c.good);
        const int n = good.size() / 2;
        const int last = c.start + n - 1;
        QByteArray bad = good;
        bad[2 * n - 2] = static_cast<char>(c.badLast >> 8);
        bad[2 * n - 1] = static_cast<char>(c.badLast & 0xFF);
        const QByteArray header = Hex("10") + QByteArray(1, char(c.start >> 8)) + QByteArray(1, char(c.start)) +
                                  QByteArray(1, 0) + QByteArray(1, char(n));
        const QByteArray before = Read(c.start, n);
        ASSERT_NE(ToHex(before.left(2 * n - 2)), ToHex(good.left(2 * n - 2))) << "nothing to see unchanged";

        EXPECT_EQ(ToHex(Ask(header + QByteArray(1, char(2 * n)) + bad)), QStringLiteral("90 03"));
        const QByteArray single = Hex("06") + QByteArray(1, char(last >> 8)) + QByteArray(1, char(last)) + bad.right(2);
        EXPECT_EQ(ToHex(Ask(single)), QStringLiteral("86 03"));
        EXPECT_EQ(ToHex(Read(c.start, n)), ToHex(before));

        EXPECT_EQ(ToHex(Ask(header + QByteArray(1, char(2 * n)) + good)), ToHex(header));
        EXPECT_EQ(ToHex(Read(c.start, n)), ToHex(good));
    }
}

TEST_F(SimThreePhase, HoldingHooksReachEverySettingsAreaWithoutChecks)
{
    EXPECT_TRUE(meter->SetHolding(0x37, 0xC400));
    EXPECT_TRUE(meter->SetHolding(0x42, 0xFFFF));
    EXPECT_TRUE(meter->SetHolding(0x51, 0x0200));
    EXPECT_TRUE(meter->SetHolding(0x1098, 0x00FF));
    EXPECT_EQ(ToHex(Read(0x37, 1) + Read(0x42, 1) + Read(0x1098, 1)), QStringLiteral("C4 00 FF FF 00 FF"));
    EXPECT_EQ(meter->Pt(), 200) << "the initialisation block is one storage for both hooks";
    EXPECT_EQ(meter->Register(0x51), 0x0200);

    EXPECT_EQ(ToHex(Ask("06 10 96 00 02")), QStringLiteral("06 10 96 00 02"));
    EXPECT_EQ(meter->Holding(0x1096), 2);
    for (int reg : {0x33, 0x43, 0x4F, 0x5B, 0x0FFF, 0x1099}) {
        EXPECT_FALSE(meter->SetHolding(reg, 1)) << std::hex << reg;
        EXPECT_EQ(meter->Holding(reg), 0) << std::hex << reg;
    }
}

// ---- Relays, inputs, state words, event logs, clock and address ----

TEST_F(SimThreePhase, CoilsAndInputsAreReadAndSwitchedAndEveryChangeIsLogged)
{
    meter->SetClock(QDateTime(QDate(2009, 5, 12), QTime(8, 30, 5)));
    EXPECT_EQ(ToHex(Ask("05 00 01 FF 00")), "05 00 01 FF 00");
    EXPECT_EQ(ToHex(Ask("05 00 01 12 34")), "85 03");
    EXPECT_EQ(ToHex(Ask("05 00 03 FF 00")), "85 02");
    meter->SetInput(0, true);
    meter->SetInput(2, true);
    meter->SetInput(2, true); // no change: no record
    EXPECT_EQ(ToHex(Ask("01 00 00 00 03")), "01 01 02");
    EXPECT_EQ(ToHex(Ask("02 00 00 00 03")), "02 01 05");
    EXPECT_EQ(ToHex(Ask("02 00 01 00 02")), "02 01 02");
    EXPECT_EQ(ToHex(Ask("01 00 02 00 02")), "81 02");

    const QByteArray log = Read(0x2000 + 27, 1); // OUT2
    ASSERT_EQ(log.size(), 160);
    EXPECT_EQ(ToHex(log.left(7)), "00 01 09 05 12 08 30"); // value 0001, 2009-05-12 08:30
    EXPECT_EQ(ToHex(log.mid(8, 8)), "00 00 00 00 00 00 00 00");
    EXPECT_EQ(meter->EventLog(25).size(), 1); // DI3 once
    EXPECT_EQ(meter->EventLog(24).size(), 0);
    for (int i = 0; i < 25; ++i)
        Ask(i % 2 ? "05 00 00 FF 00" : "05 00 00 00 00");
    EXPECT_EQ(meter->EventLog(26).size(), 20); // the oldest records went
}

TEST_F(SimThreePhase, StateWordsFollowLimitsEnablesInputsAndCoils)
{
    meter->SetFrozen(true);
    meter->PinRaw(0x00, 2300);   // Ua 230.0 V
    meter->PinRaw(0x11, 4400);   // 44.00 Hz
    EXPECT_EQ(ToHex(Read(0x2A, 4)), "00 00 00 00 00 00 00 00"); // nothing enabled
    // Enable Ua upper, the frequency lower limit and the phase-loss alarms.
    Ask("10 00 34 00 04 08 00 01 00 0F 00 00 00 80");
    EXPECT_EQ(ToHex(Read(0x2A, 4)), "00 00 00 00 00 00 00 40"); // 44 Hz < 45.00
    Ask("10 10 00 00 02 04 22 00 00 01"); // Ua upper 220.0
    meter->PinRaw(0x01, 100);              // Ub 10 V: phase lost
    meter->SetInput(1, true);
    Ask("05 00 02 FF 00");
    EXPECT_EQ(ToHex(Read(0x2A, 4)), "00 01 00 02 00 00 88 40");
    // DI2 active when open: closed no longer counts.
    Ask("10 00 37 00 01 02 10 80");
    EXPECT_EQ(ToHex(Read(0x2D, 1)), "80 40");
}

TEST_F(SimThreePhase, ClockRunsAndWritesAreCheckedAsAWhole)
{
    meter->SetAddress(1);
    meter->SetClock(QDateTime(QDate(2026, 3, 7), QTime(9, 5, 0)));
    const QByteArray block = Read(0x60, 8);
    ASSERT_EQ(block.size(), 16);
    EXPECT_EQ(ToHex(block.left(8)), "07 EA 00 03 00 07 00 09");
    EXPECT_EQ(ToHex(block.mid(12)), "00 01 00 04");

    const char *refused[] = {
        "10 00 60 00 06 0C 07 EA 00 02 00 1E 00 08 00 05 00 09", // 30 February
        "10 00 60 00 06 0C 07 EA 00 0D 00 01 00 08 00 05 00 09", // month 13
        "10 00 60 00 06 0C 07 EA 00 0C 00 06 00 18 00 05 00 09", // hour 24
        "10 00 60 00 06 0C 07 EA 00 0C 00 06 00 08 00 3C 00 09", // minute 60
        "10 00 67 00 01 02 00 07",                               // baud code 7
        "10 00 67 00 01 02 00 00",
        "10 00 66 00 01 02 00 00",                               // address 0
    };
    for (const char *pdu : refused)
        EXPECT_EQ(static_cast<unsigned char>(Ask(pdu).at(0)), 0x90) << pdu;
    EXPECT_EQ(meter->BaudCode(), 4);

    EXPECT_EQ(ToHex(Ask("10 00 60 00 06 0C 07 EA 00 0C 00 06 00 08 00 05 00 09")), "10 00 60 00 06");
    EXPECT_LE(std::abs(meter->Clock().secsTo(QDateTime(QDate(2026, 12, 6), QTime(8, 5, 9)))), 2);
    EXPECT_EQ(ToHex(Ask("10 00 67 00 01 02 00 06")), "10 00 67 00 01");
    EXPECT_EQ(meter->BaudCode(), 6);
}

TEST_F(SimThreePhase, AnAddressWriteIsAnsweredFromTheOldAddressThenMoves)
{
    meter->SetAddress(1);
    bus.Add(9, sim::Family::SinglePhase);
    EXPECT_EQ(static_cast<unsigned char>(Ask("10 00 66 00 01 02 00 09").at(0)), 0x90); // taken
    EXPECT_EQ(ToHex(Ask("10 00 66 00 01 02 00 12")), "10 00 66 00 01");
    EXPECT_EQ(bus.ThreePhaseAt(0x12), meter);
    EXPECT_EQ(bus.At(1), nullptr);
    const QByteArray reply = bus.Handle(WithCrc(Hex("12 03 00 66 00 01")));
    EXPECT_EQ(ToHex(reply), ToHex(WithCrc(Hex("12 03 02 00 12"))));
}

// Calibration exchange (0xAA, 13-byte form), decoded here by the layout in
// sim/threephase.h: value n (1..24) is at PDU offset 7 + 3 (n - 1).
namespace {
double Value(const QByteArray &pdu, int n, bool isSigned = true)
{
    const int at = 7 + 3 * (n - 1);
    const auto b = [&](int i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(pdu.at(at + i))); };
    const std::uint32_t v = b(0) << 16 | b(1) << 8 | b(2);
    return isSigned && v > 0x800000 ? double(v) - 16777216.0 : double(v);
}
} // namespace

TEST_F(SimThreePhase, CalibrationReadServesThePlantInTheExchangesScales)
{
    meter->SetCalibrationErrors({{}, {}, {}, {}, {}});
    const QByteArray pdu = Ask("AA 72 37 30 32 32 42 30 30 30");
    ASSERT_EQ(pdu.size(), 79); // 82 with address and CRC
    EXPECT_EQ(ToHex(pdu.left(7)), "AA 72 37 30 32 32 00");
    EXPECT_EQ(Value(pdu, 13), 220 * 8192);       // Ua
    EXPECT_EQ(Value(pdu, 16), 5 * 8192);         // Ia
    EXPECT_EQ(Value(pdu, 24, false), 50 * 8192); // frequency
    EXPECT_NEAR(Value(pdu, 20) / 8388608, 0.95, 1e-6);
    EXPECT_NEAR(Value(pdu, 1) / 256, 1045, 0.01);
    EXPECT_NEAR(Value(pdu, 4) / 256, 3 * 1045, 0.01);
    EXPECT_GT(Value(pdu, 5), 0) << "inductive: reactive power on the same side";
    // Pinned values are served as they are.
    meter->PinCalibrationValue(1, 0xFFFF00);
    EXPECT_EQ(Value(Ask("AA 72 37 30 32 32 42 30 30 30"), 1), -256);
}

TEST_F(SimThreePhase, CalibrationWritesAreStoredAndCorrectTheReadings)
{
    // The voltage of phase A reads 0.6 % high: the correction k = 1 / 1.006 - 1
    // brings it back, and writing point 7 switches the bench to 0.5 lagging.
    const double k = 1 / 1.006 - 1;
    const auto word = static_cast<std::uint32_t>(std::lround(k * 8388608) + 16777216) & 0xFFFFFF;
    QByteArray write = Hex("AA 77 37 30 32 32 0D");
    for (int shift : {16, 8, 0})
        write.append(static_cast<char>((word >> shift) & 0xFF));
    EXPECT_EQ(ToHex(Ask(write)), ToHex(write)) << "acknowledged with the bytes it carried";
    EXPECT_EQ(meter->CalibrationWord(13), word);
    EXPECT_NEAR(Value(Ask("AA 72 37 30 32 32 42 30 30 30"), 13) / 8192, 220, 220 * 1e-6);

    EXPECT_EQ(ToHex(Ask("AA 77 37 30 32 32 07 00 00 00")), "AA 77 37 30 32 32 07 00 00 00");
    EXPECT_EQ(meter->BenchPoint(), 7);
    const QByteArray pdu = Ask("AA 72 37 30 32 32 42 30 30 30");
    EXPECT_NEAR(Value(pdu, 20) / 8388608, std::cos(M_PI / 3 + 0.0052), 1e-6) << "the deliberate phase error";

    // Wrong points, commands or tags get no reply at all.
    for (const char *bad : {"AA 77 37 30 32 32 00 00 00 00", "AA 77 37 30 32 32 18 00 00 00",
                            "AA 77 37 30 32 33 01 00 00 00", "AA 72 37 30 32 32 42 30 30 31",
                            "AA 78 37 30 32 32 01 00 00 00", "AA 72 37 30 32 32 42 30 30"})
        EXPECT_TRUE(bus.Handle(WithCrc(Hex("01") + Hex(bad))).isEmpty()) << bad;
}
