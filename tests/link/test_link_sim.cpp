// The real link (QSerialPort) talking to the simulated bus over a
// pseudo-terminal, with each kind of fault the simulator can inject.
#include "link/qtserialport.h"
#include "link/seriallink.h"
#include "sim/faults.h"
#include "sim/ptysimulator.h"
#include "tests/support/testutil.h"

#include <gtest/gtest.h>

namespace {

struct LinkSim : ::testing::Test {
    sim::PtySimulator simulator;
    QtSerialPortControl port;
    SerialLink link{&port};
    QList<QByteArray> handled;
    // Register 0x0050 of the default three-phase instrument: four-wire.
    const QByteArray request = WithCrc(Hex("01 03 00 50 00 01"));
    const QByteArray reply = WithCrc(Hex("01 03 02 00 02"));

    void SetUp() override
    {
        KZ_NEEDS_PTY();
        ASSERT_TRUE(simulator.Open());
        simulator.bus().Add(1, sim::Family::ThreePhase);
        port.SetPortName(simulator.SlavePath());
        QString error;
        ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
        link.PrepareReceive();
    }

    void send()
    {
        modbus::Reply *r = link.Send(request, {.name = QStringLiteral("A")});
        QObject::connect(r, &modbus::Reply::finished, [this, r] {
            if (r->Ok())
                handled.append(r->Result().reply);
        });
    }

    void fault(const char *rule)
    {
        QString error;
        const auto parsed = sim::ParseFault(rule, &error);
        ASSERT_TRUE(parsed.has_value()) << error.toStdString();
        simulator.bus().Faults().Add(*parsed);
    }

    // Sends the request and waits long enough for any reply to be handled.
    void exchange(int waitMs = 700)
    {
        send();
        Pump(waitMs);
    }
};

} // namespace

TEST_F(LinkSim, CleanReplyIsHandedOverWithItsExactBytes)
{
    exchange();
    ASSERT_EQ(handled.size(), 1);
    EXPECT_EQ(ToHex(handled[0]), ToHex(reply));
}

TEST_F(LinkSim, MissingAndCorruptRepliesAreDropped)
{
    fault("drop@at=1");
    fault("badcrc@at=2");
    exchange();
    exchange();
    EXPECT_TRUE(handled.isEmpty());
    exchange(); // the bus is healthy again
    ASSERT_EQ(handled.size(), 1);
    EXPECT_EQ(handled[0], reply);
}

// The network faults on a line: a hang-up stops the reply half-way, and a
// mute bus answers nothing until the terminal is opened again.
TEST_F(LinkSim, AReplyCutByAHangUpAndAMuteBusGiveNothing)
{
    fault("hangup@at=1");
    fault("mute@at=3");
    exchange();
    EXPECT_TRUE(handled.isEmpty());
    EXPECT_EQ(link.Log().At(link.Log().Size() - 1).verdict, FrameRecord::Verdict::TooShort);
    exchange();
    EXPECT_EQ(handled.size(), 1);
    exchange();
    exchange();
    EXPECT_EQ(handled.size(), 1);
    EXPECT_EQ(simulator.RequestsSeen(), 4);
}

TEST_F(LinkSim, TrailingGarbageIsCutOffBeforeTheCrcCheck)
{
    fault("garbage:5");
    exchange();
    ASSERT_EQ(handled.size(), 1);
    EXPECT_EQ(ToHex(handled[0]), ToHex(reply));
}

TEST_F(LinkSim, ReplyInPiecesWithShortGapsIsCollectedWhole)
{
    fault("split:40,2");
    exchange(900);
    ASSERT_EQ(handled.size(), 1);
    EXPECT_EQ(ToHex(handled[0]), ToHex(reply));
}

TEST_F(LinkSim, ReplyTornByALongGapIsDroppedNotMisread)
{
    fault("split:400");
    exchange(1200);
    EXPECT_TRUE(handled.isEmpty());
    EXPECT_FALSE(link.Collecting());
}

TEST_F(LinkSim, DelayedReplyIsStillHandedOver)
{
    fault("delay:500");
    exchange(1200);
    ASSERT_EQ(handled.size(), 1);
    EXPECT_EQ(handled[0], reply);
}

TEST_F(LinkSim, ReplyFromAnotherAddressIsHandedOverAsReceived)
{
    fault("wrongaddr:7");
    exchange();
    ASSERT_EQ(handled.size(), 1);
    EXPECT_EQ(ToHex(handled[0]), ToHex(WithCrc(Hex("07 03 02 00 02"))));
}

TEST_F(LinkSim, SendDuringADelayedCollectionWaitsForTheReply)
{
    fault("split:60@at=1");
    send();
    // The first piece has started a collection: a poll request now is held
    // until that reply has been dispatched, instead of discarding it.
    ASSERT_TRUE(WaitFor([&] { return link.Collecting(); }, 500));
    send();
    EXPECT_EQ(link.HeldFrames(), 1);
    ASSERT_TRUE(WaitFor([&] { return handled.size() == 2; }, 2000));
    EXPECT_EQ(handled[0], reply);
    EXPECT_EQ(handled[1], reply);
}
