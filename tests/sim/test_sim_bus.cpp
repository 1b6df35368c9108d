// The simulated bus: who answers, probe, silence on bad frames, exceptions.
#include "link/crc.h"
#include "sim/bus.h"
#include "sim/modbus.h"
#include "sim/threephase.h"
#include "tests/support/testutil.h"

#include <gtest/gtest.h>

using sim::Bus;
using sim::Family;

namespace {

void MakeDemo(Bus &bus)
{
    ASSERT_NE(bus.Add(1, Family::ThreePhase), nullptr);
    ASSERT_NE(bus.Add(2, Family::SinglePhase), nullptr);
    ASSERT_NE(bus.Add(3, Family::Kz827), nullptr);
}

} // namespace

TEST(SimBus, EveryFamilyAnswersTheProbeWithAnEchoFromItsOwnAddress)
{
    Bus bus;
    MakeDemo(bus);
    for (int address : {1, 2, 3}) {
        QByteArray probe;
        probe.append(static_cast<char>(address));
        probe.append(Hex("99 30 30 30 30"));
        const QByteArray request = WithCrc(probe);
        const QByteArray reply = bus.Handle(request);
        EXPECT_EQ(ToHex(reply), ToHex(request)) << "address " << address;
    }
}

TEST(SimBus, ProbeEchoesWhateverFourBytesItCarries)
{
    Bus bus;
    MakeDemo(bus);
    const QByteArray request = WithCrc(Hex("02 99 12 34 56 78"));
    EXPECT_EQ(ToHex(bus.Handle(request)), ToHex(request));
}

TEST(SimBus, OnlyTheAddressedInstrumentAnswersAndAbsentAddressesAreSilent)
{
    Bus bus;
    MakeDemo(bus);
    EXPECT_TRUE(bus.Handle(WithCrc(Hex("04 99 30 30 30 30"))).isEmpty());
    EXPECT_TRUE(bus.Handle(WithCrc(Hex("00 99 30 30 30 30"))).isEmpty()) << "broadcast";
    EXPECT_TRUE(bus.Handle(WithCrc(Hex("FF 03 00 00 00 01"))).isEmpty());
    // The three-phase instrument at 1 answers a read; the reply carries its address.
    const QByteArray reply = bus.Handle(WithCrc(Hex("01 03 00 50 00 01")));
    ASSERT_EQ(reply.size(), 7);
    EXPECT_EQ(reply.at(0), 1);
}

TEST(SimBus, FramesWithABadCrcOrTooShortGetNoAnswer)
{
    Bus bus;
    MakeDemo(bus);
    QByteArray request = WithCrc(Hex("01 03 00 00 00 2A"));
    ASSERT_EQ(ToHex(request), QStringLiteral("01 03 00 00 00 2A C4 15"));
    request[7] = static_cast<char>(0x16);
    EXPECT_TRUE(bus.Handle(request).isEmpty());
    request = WithCrc(Hex("01 99 30 30 30 30"));
    request[3] = '1'; // body changed after the CRC was made
    EXPECT_TRUE(bus.Handle(request).isEmpty());
    EXPECT_TRUE(bus.Handle(QByteArray()).isEmpty());
    EXPECT_TRUE(bus.Handle(WithCrc(Hex("01"))).isEmpty());
    EXPECT_TRUE(bus.Handle(Hex("01 03")).isEmpty());
}

TEST(SimBus, FunctionsAnInstrumentLacksGetException01WithAValidCrc)
{
    Bus bus;
    MakeDemo(bus);
    struct Case {
        const char *request;
        const char *reply;
    } cases[] = {
        // Input registers (04) and multiple coils (0F): no instrument has them.
        {"01 04 00 00 00 01", "01 84 01"},
        {"02 04 00 00 00 01", "02 84 01"},
        {"03 04 00 00 00 01", "03 84 01"},
        {"01 0F 00 00 00 03 01 07", "01 8F 01"},
    };
    for (const Case &c : cases) {
        const QByteArray reply = bus.Handle(WithCrc(Hex(c.request)));
        EXPECT_EQ(ToHex(reply), ToHex(WithCrc(Hex(c.reply)))) << c.request;
        EXPECT_TRUE(CheckFrameCrc(reply));
    }
}

TEST(SimBus, AProbeOfTheWrongLengthIsRefusedNotEchoed)
{
    Bus bus;
    MakeDemo(bus);
    EXPECT_EQ(ToHex(bus.Handle(WithCrc(Hex("01 99 30 30")))), ToHex(WithCrc(Hex("01 99 03"))));
}

TEST(SimBus, AddressesAreUniqueAndNeverZero)
{
    Bus bus;
    EXPECT_NE(bus.Add(7, Family::ThreePhase), nullptr);
    EXPECT_EQ(bus.Add(7, Family::Kz827), nullptr);
    EXPECT_EQ(bus.Add(0, Family::Kz827), nullptr);
    EXPECT_EQ(bus.At(7)->family(), Family::ThreePhase);
    EXPECT_NE(bus.ThreePhaseAt(7), nullptr);
    EXPECT_EQ(bus.Size(), 1);
    EXPECT_TRUE(bus.Remove(7));
    EXPECT_FALSE(bus.Remove(7));
    EXPECT_TRUE(bus.Handle(WithCrc(Hex("07 99 30 30 30 30"))).isEmpty());
    EXPECT_NE(bus.Add(255, Family::SinglePhase), nullptr);
    EXPECT_EQ(bus.ThreePhaseAt(255), nullptr);
    EXPECT_FALSE(bus.Handle(WithCrc(Hex("FF 99 30 30 30 30"))).isEmpty());
}

TEST(SimBus, FamilyNamesRoundTripAndUnknownNamesAreRejected)
{
    for (Family f : {Family::ThreePhase, Family::SinglePhase, Family::Kz827})
        EXPECT_EQ(sim::ParseFamily(sim::FamilyName(f)), f);
    EXPECT_FALSE(sim::ParseFamily(QStringLiteral("Three-Phase")).has_value());
    EXPECT_FALSE(sim::ParseFamily(QString()).has_value());
}

TEST(SimBus, RespondWithoutFaultsSendsTheWholeReplyAtOnceAndCountsOnlyAnsweredRequests)
{
    Bus bus;
    MakeDemo(bus);
    const QByteArray request = WithCrc(Hex("01 99 30 30 30 30"));
    const sim::Transmission t = bus.Respond(request);
    ASSERT_EQ(t.size(), 1);
    EXPECT_EQ(t.first().delayMs, 0);
    EXPECT_EQ(t.first().bytes, request);
    EXPECT_TRUE(bus.Respond(WithCrc(Hex("09 99 30 30 30 30"))).isEmpty());
    EXPECT_EQ(bus.Faults().RequestCount(), 1);
}

// Length rules the pty uses to cut requests out of the byte stream.
TEST(SimRequestLength, KnownFunctionsHaveTheirModbusLengthUnknownOnesWaitForSilence)
{
    EXPECT_EQ(sim::RequestLength(QByteArray()), 0);
    EXPECT_EQ(sim::RequestLength(Hex("01")), 0);
    for (const char *f : {"01", "02", "03", "04", "05", "06", "99"})
        EXPECT_EQ(sim::RequestLength(Hex("01") + Hex(f)), 8) << f;
    EXPECT_EQ(sim::RequestLength(Hex("01 10 00 50 00")), 0) << "byte count not there yet";
    EXPECT_EQ(sim::RequestLength(Hex("01 10 00 50 00 0B 16")), 9 + 22);
    EXPECT_EQ(sim::RequestLength(Hex("01 10 00 5B 00 02 08")), 17) << "byte count, not 2 x count";
    EXPECT_EQ(sim::RequestLength(Hex("01 10 00 00 00 80 FF")), 9 + 255);
    // Calibration: the KZ827KVE form (0x80 at offset 2) is 12 bytes, the
    // three-phase and single-phase form ('r' or 'w') 13, anything else waits.
    EXPECT_EQ(sim::RequestLength(Hex("01 AA")), 0);
    EXPECT_EQ(sim::RequestLength(Hex("01 AA 80")), 12);
    EXPECT_EQ(sim::RequestLength(Hex("01 AA 72")), 13);
    EXPECT_EQ(sim::RequestLength(Hex("01 AA 77")), 13);
    EXPECT_EQ(sim::RequestLength(Hex("01 AA 00")), -1);
    EXPECT_EQ(sim::RequestLength(Hex("01 83")), -1);
}
