#include "link/fakeport.h"
#include "link/replylength.h"
#include "link/seriallink.h"
#include "tests/support/testutil.h"

#include <QElapsedTimer>
#include <algorithm>
#include <memory>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// ---- The reply length rule (the windows' link and kzctl's) ----

struct LengthCase {
    const char *received;
    int length;
};
class ReplyLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(ReplyLengthTest, FollowsFunctionAndByteCount)
{
    EXPECT_EQ(modbus::ReplyLength(Hex(GetParam().received)), GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(Frames, ReplyLengthTest,
                         ::testing::Values(LengthCase{"01", 2}, LengthCase{"01 03", 3}, LengthCase{"01 03 08", 13},
                                           LengthCase{"01 01 01", 6}, LengthCase{"01 10 00 34", 8},
                                           LengthCase{"01 06", 8}, LengthCase{"01 83", 5}, LengthCase{"01 90 02", 5},
                                           // the probe's 0x99 has bit 7 set and is no exception
                                           LengthCase{"05 99", 8}, LengthCase{"01 2B", 0}));


// A link on a fake port with one counting handler per destination.
struct LinkFixture : ::testing::Test {
    FakePortControl port;
    SerialLink link{&port};
    int fired[3][13] = {};

    void SetUp() override
    {
        port.SetPortOpen(true);
        link.PrepareReceive();
        for (int i = 1; i <= 12; ++i) {
            link.RegisterReplyHandler(Family::ThreePhase, i, [this, i] { ++fired[0][i]; });
            link.RegisterReplyHandler(Family::SinglePhase, i, [this, i] { ++fired[1][i]; });
        }
        for (int i = 1; i <= 5; ++i)
            link.RegisterReplyHandler(Family::Kz827, i, [this, i] { ++fired[2][i]; });
    }
};

const QByteArray kRead = WithCrc(Hex("01 03 02 12 34"));

} // namespace

TEST_F(LinkFixture, SlotSelectionIsOneHotAndReports88WhenNoneIsSet)
{
    EXPECT_EQ(link.ActiveSlotIndex(), 88);
    link.SelectSlot(7);
    link.SelectSlot(3);
    EXPECT_EQ(link.ActiveSlotIndex(), 3);
    EXPECT_EQ(std::count(link.SlotFlags.begin(), link.SlotFlags.end(), true), 1);
    link.SlotFlags[9] = true;
    EXPECT_EQ(link.ActiveSlotIndex(), 3);
}

TEST_F(LinkFixture, ReadReplyIsCutToItsLengthCheckedAndStored)
{
    link.SelectSlot(2);
    link.DispatchThreePhaseReply(kRead + Hex("FF 00 13"));
    EXPECT_EQ(ToHex(link.ReplySlots[2]), ToHex(kRead));
    EXPECT_EQ(fired[0][2], 1);

    // 6-byte reply with byte count 1: accepted only with the right CRC.
    const QByteArray six = WithCrc(Hex("01 03 01 07"));
    link.DispatchThreePhaseReply(six);
    EXPECT_EQ(fired[0][2], 2);
    QByteArray bad = six;
    bad[3] = 0x08;
    link.DispatchThreePhaseReply(bad);
    EXPECT_EQ(fired[0][2], 2);
}

TEST_F(LinkFixture, DropsShortUnlistedExceptionAndCorruptReplies)
{
    link.SelectSlot(2);
    link.DispatchThreePhaseReply(WithCrc(Hex("01 05 00"))); // 5 bytes, valid CRC
    link.DispatchThreePhaseReply(WithCrc(Hex("01 83 02 00")));   // exception
    link.DispatchThreePhaseReply(WithCrc(Hex("01 04 02 00 01"))); // not a listed function
    QByteArray corrupt = kRead;
    corrupt[4] = 0x00;
    link.DispatchThreePhaseReply(corrupt);
    // A reply cut short in transit no longer carries a matching CRC.
    link.DispatchThreePhaseReply(kRead.left(6));
    EXPECT_EQ(fired[0][2], 0);
    EXPECT_TRUE(link.ReplySlots[2].isEmpty());
}

TEST_F(LinkFixture, EchoAndCalibrationLengthsPerFamily)
{
    EXPECT_EQ(SerialLink::ExpectedLength(Family::ThreePhase, Hex("01 10 00 50")), 8);
    EXPECT_EQ(SerialLink::ExpectedLength(Family::ThreePhase, Hex("01 06 00 50")), 8);
    EXPECT_EQ(SerialLink::ExpectedLength(Family::ThreePhase, Hex("01 05 00 01")), 8);
    EXPECT_EQ(SerialLink::ExpectedLength(Family::ThreePhase, Hex("01 AA 72")), 82);
    EXPECT_EQ(SerialLink::ExpectedLength(Family::SinglePhase, Hex("01 AA 72")), 82);
    EXPECT_EQ(SerialLink::ExpectedLength(Family::Kz827, Hex("01 AA 72")), 19);
    EXPECT_EQ(SerialLink::ExpectedLength(Family::ThreePhase, Hex("01 AA 77")), 13);
    EXPECT_EQ(SerialLink::ExpectedLength(Family::Kz827, Hex("01 AA 77")), 7);
    EXPECT_EQ(SerialLink::ExpectedLength(Family::ThreePhase, Hex("01 83 02")), -1);
    // Byte counts above 250 are not wrapped to 8 bits.
    EXPECT_EQ(SerialLink::ExpectedLength(Family::ThreePhase, Hex("01 03 FF")), 260);
}

TEST_F(LinkFixture, RepliesFromAnotherAddressAreStillDispatched)
{
    link.LastAddress = 1;
    link.SelectSlot(6);
    link.DispatchThreePhaseReply(WithCrc(Hex("09 03 02 00 01")));
    EXPECT_EQ(fired[0][6], 1);
}

TEST_F(LinkFixture, FamilyChoosesTheDispatcherAndItsDestination)
{
    const QByteArray echo = WithCrc(Hex("01 10 00 50 00 0B"));
    link.SelectSlot(9);
    link.SinglePhaseIndex = 10;
    link.Kz827Type = 4;

    link.DeviceFamily.clear();
    link.Dispatch(echo);
    link.DeviceFamily = "KZ5500E";
    link.Dispatch(echo);
    EXPECT_EQ(fired[0][9], 2);

    link.DeviceFamily = "KZ2600E";
    link.Dispatch(echo);
    EXPECT_EQ(fired[1][10], 1);

    link.DeviceFamily = "KZ827KVE";
    link.Dispatch(echo);
    EXPECT_EQ(fired[2][4], 1);
    EXPECT_EQ(link.Kz827ReplySlots[4], echo);

    // No destination: dropped.
    link.DeviceFamily = "KZ2600E";
    link.SinglePhaseIndex = 0;
    link.Dispatch(echo);
    link.DeviceFamily = "KZ827KVE";
    link.Kz827Type = 0;
    link.Dispatch(echo);
    link.DeviceFamily = "KZ5500E";
    link.SelectSlot(0);
    link.Dispatch(echo);
    EXPECT_EQ(fired[0][9] + fired[1][10] + fired[2][4], 4);
}

TEST_F(LinkFixture, AddressProbeRepliesReachTheScanWindowInEveryFamily)
{
    const QByteArray probe = WithCrc(Hex("03 99 30 30 30 30"));
    // Three-phase: ordinary path, slot 10 must be the active one.
    link.SelectSlot(1);
    link.DispatchThreePhaseReply(probe);
    EXPECT_EQ(fired[0][10], 0);
    link.SelectSlot(10);
    link.DispatchThreePhaseReply(probe);
    EXPECT_EQ(fired[0][10], 1);
    EXPECT_EQ(link.ReplySlots[10], probe);

    // Single-phase and KZ827KVE: straight to the scan window, even with no
    // window of the family open; a bad CRC is no answer.
    link.SinglePhaseIndex = 0;
    link.DispatchSinglePhaseReply(probe);
    link.Kz827Type = 0;
    QByteArray badCrc = probe;
    badCrc[7] = 0;
    link.DispatchKz827Reply(badCrc);
    link.DispatchKz827Reply(probe);
    EXPECT_EQ(fired[0][10], 3);
    EXPECT_EQ(fired[1][0] + fired[2][0], 0);
}

TEST_F(LinkFixture, OnceWindowsAreNotFiredAgainWhilePending)
{
    link.SelectSlot(1);
    link.DispatchThreePhaseReply(kRead);
    EXPECT_TRUE(link.ReplyPending(Family::ThreePhase, 1));
    const QByteArray second = WithCrc(Hex("01 03 02 00 02"));
    link.DispatchThreePhaseReply(second);
    EXPECT_EQ(fired[0][1], 1);
    EXPECT_EQ(link.ReplySlots[1], second); // replaced, not fired
    link.ReplyPending(Family::ThreePhase, 1) = false;
    link.DispatchThreePhaseReply(second);
    EXPECT_EQ(fired[0][1], 2);

    // Windows without the flag are fired every time.
    link.SelectSlot(2);
    link.DispatchThreePhaseReply(kRead);
    link.DispatchThreePhaseReply(kRead);
    EXPECT_EQ(fired[0][2], 2);
    EXPECT_FALSE(SerialLink::IsOnce(Family::ThreePhase, 2));
    EXPECT_TRUE(SerialLink::IsOnce(Family::SinglePhase, 12));
    EXPECT_TRUE(SerialLink::IsOnce(Family::Kz827, 5));
}

TEST_F(LinkFixture, DestinationWithoutWindowStoresAndFiresNothing)
{
    SerialLink bare(&port);
    bare.SelectSlot(4);
    bare.DispatchThreePhaseReply(kRead);
    EXPECT_EQ(bare.ReplySlots[4], kRead);
    EXPECT_FALSE(bare.ReplyPending(Family::ThreePhase, 4));
    EXPECT_EQ(bare.TakeReply(Family::ThreePhase, 4), kRead);
    EXPECT_TRUE(bare.ReplySlots[4].isEmpty());
}

// ------------------------------------------------------------- collection

TEST_F(LinkFixture, SendDiscardsUnreadInputAndWritesTheFrame)
{
    port.Feed(Hex("55 66"));
    link.SendFrame(Hex("01 03 00 00 00 2A C4 15"));
    ASSERT_EQ(port.written.size(), 1);
    EXPECT_EQ(ToHex(port.written[0]), "01 03 00 00 00 2A C4 15");
    EXPECT_EQ(port.InBufferCount(), 0);
}

TEST_F(LinkFixture, ReplyInOneBurstIsDispatchedAfterSettleAndTwoPolls)
{
    link.SelectSlot(2);
    QElapsedTimer t;
    t.start();
    port.Feed(kRead);
    ASSERT_TRUE(WaitFor([&] { return fired[0][2] == 1; }, 1000));
    const qint64 ms = t.elapsed();
    EXPECT_GE(ms, 150);
    EXPECT_LT(ms, 400);
    EXPECT_FALSE(link.LinkBusy);
    EXPECT_FALSE(link.Collecting());
}

TEST_F(LinkFixture, SplitReplyIsCollectedWhole)
{
    link.SelectSlot(2);
    const QByteArray reply = WithCrc(Hex("01 03 14 00 02 01 20 00 00 00 05 00 00 00 00 00 00 00 00 00 00 00 00"));
    port.Feed(reply.left(5));
    port.FeedLater(reply.mid(5, 10), 110);
    port.FeedLater(reply.mid(15), 150);
    ASSERT_TRUE(WaitFor([&] { return fired[0][2] == 1; }, 1500));
    EXPECT_EQ(ToHex(link.ReplySlots[2]), ToHex(reply));
    Pump(300);
    EXPECT_EQ(fired[0][2], 1); // one reply, one dispatch
}

TEST_F(LinkFixture, SendDuringCollectionIsHeldAndNeverDiscardsTheReply)
{
    link.SelectSlot(2);
    QList<int> order;
    link.RegisterReplyHandler(Family::ThreePhase, 2, [&] { order.append(0); });
    port.Feed(kRead);
    Pump(50); // inside the settle time
    ASSERT_TRUE(link.Collecting());
    link.SendFrame(Hex("01 03 00 00 00 2A C4 15"));
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_EQ(link.HeldFrames(), 1);
    ASSERT_TRUE(WaitFor([&] { return !port.written.isEmpty(); }, 1000));
    EXPECT_EQ(order, QList<int>{0}); // the reply was dispatched before the send
    EXPECT_EQ(ToHex(port.written[0]), "01 03 00 00 00 2A C4 15");
}

TEST_F(LinkFixture, NothingWaitingEndsCollectionQuietly)
{
    link.SelectSlot(2);
    port.Feed(Hex("01"));
    port.SetInBufferCount(0); // discarded before the settle time is over
    Pump(200);
    EXPECT_FALSE(link.Collecting());
    EXPECT_FALSE(link.LinkBusy);
    EXPECT_EQ(fired[0][2], 0);
}

TEST_F(LinkFixture, FloodStopsCollectingPast500Bytes)
{
    link.SettleMs = 10;
    link.SelectSlot(2);
    QList<QByteArray> seen;
    QObject::connect(&link, &SerialLink::Collected, [&](const QByteArray &r) { seen.append(r); });
    // A device that never stops talking: 40 bytes every 10 ms.
    QTimer flood;
    QObject::connect(&flood, &QTimer::timeout, [&] { port.Feed(QByteArray(40, '\x01')); });
    flood.start(10);
    ASSERT_TRUE(WaitFor([&] { return !seen.isEmpty(); }, 3000));
    flood.stop();
    EXPECT_GT(seen.first().size(), 500);
    EXPECT_LT(seen.first().size(), 700);
}

TEST_F(LinkFixture, FailingHandlerDoesNotLeaveTheLinkBusy)
{
    link.SelectSlot(6);
    link.RegisterReplyHandler(Family::ThreePhase, 6, [] { throw std::runtime_error("boom"); });
    QStringList failures;
    QObject::connect(&link, &SerialLink::HandlerFailed, [&](const QString &m) { failures.append(m); });
    port.Feed(kRead);
    ASSERT_TRUE(WaitFor([&] { return !failures.isEmpty(); }, 1000));
    EXPECT_FALSE(link.LinkBusy);
    EXPECT_FALSE(link.Collecting());
    link.RegisterReplyHandler(Family::ThreePhase, 6, [this] { ++fired[0][6]; });
    port.Feed(kRead);
    EXPECT_TRUE(WaitFor([&] { return fired[0][6] == 1; }, 1000));
}

TEST_F(LinkFixture, BytesArrivingDuringAHandlerAreCollectedAfterIt)
{
    link.SelectSlot(2);
    bool first = true;
    link.RegisterReplyHandler(Family::ThreePhase, 2, [&] {
        ++fired[0][2];
        if (first) {
            first = false;
            // The next reply lands while this handler still runs (as during a
            // message box): its event is seen while the link is busy.
            port.Feed(kRead);
            Pump(30);
        }
    });
    port.Feed(kRead);
    EXPECT_TRUE(WaitFor([&] { return fired[0][2] == 2; }, 1500));
}

TEST_F(LinkFixture, SendingWithThePortClosedRefusesOnceUntilThePortOpens)
{
    QStringList refusals;
    QObject::connect(&link, &SerialLink::SendRefused, [&](const QString &m) { refusals.append(m); });
    port.SetPortOpen(false);
    for (int i = 0; i < 5; ++i) // a polling window's ticks
        link.SendFrame(Hex("01 03 00 00 00 2A C4 15"));
    EXPECT_EQ(refusals.size(), 1);
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_TRUE(refusals[0].contains(QStringLiteral("串口未打开")));
    port.SetPortOpen(true);
    port.SetPortOpen(false);
    link.SendFrame(Hex("01"));
    EXPECT_EQ(refusals.size(), 2);
}

TEST_F(LinkFixture, PortLostDuringACollectionEndsItAtOnce)
{
    link.SelectSlot(2);
    port.Feed(kRead.left(4));
    ASSERT_TRUE(WaitFor([&] { return link.Collecting(); }, 500));
    link.SendFrame(Hex("01 03 00 00 00 2A C4 15")); // held
    port.Lose("gone");
    EXPECT_FALSE(link.Collecting());
    EXPECT_FALSE(link.LinkBusy);
    EXPECT_EQ(link.HeldFrames(), 0);
    EXPECT_TRUE(port.written.isEmpty()); // the held frame met a closed port
    port.SetPortOpen(true);
    port.Feed(kRead);
    EXPECT_TRUE(WaitFor([&] { return fired[0][2] == 1; }, 1000));
}

TEST_F(LinkFixture, PrepareReceiveClearsBusyStateAndDestination)
{
    link.SelectSlot(3);
    link.LinkBusy = true;
    link.PrepareReceive();
    EXPECT_FALSE(link.LinkBusy);
    EXPECT_EQ(link.ActiveSlotIndex(), 88);
}

// A window's request is answered to that window only, and the window gets
// the request with the reply.
TEST_F(LinkFixture, AReplyGoesOnlyToTheDestinationThatAsked)
{
    const QByteArray request = Hex("01 03 00 34 00 04 44 07");
    link.SendFrameFor(Family::ThreePhase, 1, request);
    link.SelectSlot(6); // another window took the replies over meanwhile
    link.DispatchThreePhaseReply(kRead);
    EXPECT_EQ(fired[0][6], 0);
    EXPECT_TRUE(link.ReplySlots[6].isEmpty());

    link.SendFrameFor(Family::ThreePhase, 6, request);
    link.DispatchThreePhaseReply(kRead);
    EXPECT_EQ(fired[0][6], 1);
    const modbus::Exchange ex = link.TakeExchange(Family::ThreePhase, 6);
    EXPECT_EQ(ex.request, request);
    EXPECT_EQ(ex.reply, kRead);

    // A frame sent for no window (the address probe) is answered as before.
    link.SendFrame(request);
    link.SelectSlot(2);
    link.DispatchThreePhaseReply(kRead);
    EXPECT_EQ(fired[0][2], 1);
}

TEST_F(LinkFixture, ProbeAnswersReachTheScanOnlyWholeAndWithTheirCrc)
{
    for (const char *family : {"KZ2600E", "KZ827KVE"}) {
        link.DeviceFamily = family;
        fired[0][10] = 0;
        link.Dispatch(Hex("07 99 DE AD BE EF 00 00")); // line noise
        link.Dispatch(WithCrc(Hex("07 99 30 30 30")));  // cut short
        EXPECT_EQ(fired[0][10], 0) << family;
        link.Dispatch(WithCrc(Hex("07 99 30 30 30 30")) + Hex("FF"));
        EXPECT_EQ(fired[0][10], 1) << family;
    }
}

// ---- Requests with a handle: the reply goes to the request that asked ----

namespace {

struct Finished {
    bool done = false;
    modbus::Reply::Error error = modbus::Reply::Error::None;
    modbus::Exchange exchange;
};

std::shared_ptr<Finished> Watch(modbus::Reply *reply)
{
    auto f = std::make_shared<Finished>();
    QObject::connect(reply, &modbus::Reply::finished, [f, reply] {
        *f = {true, reply->Failure(), reply->Result()};
    });
    return f;
}

const QByteArray kAsk = WithCrc(Hex("01 03 00 00 00 01"));

struct HandleCase {
    const char *what;
    std::function<void(FakePortControl &, SerialLink &)> act; // after the send
    modbus::Reply::Error error;
    const char *reply; // hex of the exchange's reply
    const char *verdict; // of the last received frame, "" for none
};

void PrintTo(const HandleCase &c, std::ostream *os) { *os << c.what; }

class HandleTest : public ::testing::TestWithParam<HandleCase> {};

} // namespace

TEST_P(HandleTest, FinishesOnceWithTheExchangeOrWhyNot)
{
    using E = modbus::Reply::Error;
    const HandleCase &c = GetParam();
    FakePortControl port;
    SerialLink link{&port};
    link.ReplyTimeoutMs = 300;
    port.SetPortOpen(true);
    RequestInfo info{.requester = QStringLiteral("电量参数测量")};
    if (QString::fromLatin1(c.what) == QLatin1String("taken over"))
        info.holder = [] { return QStringLiteral("遥测、遥信"); };
    modbus::Reply *reply = link.Send(kAsk, info);
    const auto f = Watch(reply);
    EXPECT_FALSE(f->done); // never inside the call that sent it
    c.act(port, link);
    ASSERT_TRUE(WaitFor([&] { return f->done; }, 3000));
    EXPECT_EQ(f->error, c.error);
    EXPECT_EQ(ToHex(f->exchange.request), ToHex(kAsk));
    EXPECT_EQ(ToHex(f->exchange.reply), c.reply);
    if (c.error == E::None || c.error == E::NotTaken || c.error == E::BadFrame) {
        EXPECT_EQ(VerdictText(link.Log().At(link.Log().Size() - 1)), QString::fromUtf8(c.verdict));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, HandleTest,
    ::testing::Values(
        HandleCase{"answered", [](FakePortControl &p, SerialLink &) { p.Feed(kRead + Hex("FF")); },
                   modbus::Reply::Error::None, "01 03 02 12 34 B5 33", "交给 电量参数测量，截自 8 字节"},
        HandleCase{"exception", [](FakePortControl &p, SerialLink &) { p.Feed(WithCrc(Hex("01 83 02"))); },
                   modbus::Reply::Error::Exception, "01 83 02 C0 F1", ""},
        HandleCase{"bad crc", [](FakePortControl &p, SerialLink &) { p.Feed(Hex("01 03 02 12 34 00 00")); },
                   modbus::Reply::Error::BadFrame, "", "丢弃：CRC 错误"},
        HandleCase{"silence", [](FakePortControl &, SerialLink &) {}, modbus::Reply::Error::NoAnswer, "", ""},
        HandleCase{"superseded", [](FakePortControl &, SerialLink &l) { l.Send(kAsk, {}); },
                   modbus::Reply::Error::NoAnswer, "", ""},
        HandleCase{"port lost", [](FakePortControl &p, SerialLink &) { p.Lose(QStringLiteral("gone")); },
                   modbus::Reply::Error::PortLost, "", ""},
        HandleCase{"taken over", [](FakePortControl &p, SerialLink &) { p.Feed(kRead); },
                   modbus::Reply::Error::NotTaken, "", "丢弃：请求来自 电量参数测量，应答已归 遥测、遥信"}),
    [](const auto &info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST_F(LinkFixture, HandleRequestsHeldMergedOrRefusedLikeAnyOther)
{
    using E = modbus::Reply::Error;
    port.Feed(kRead); // a reply nobody waits for starts a collection
    ASSERT_TRUE(WaitFor([&] { return link.Collecting(); }, 1000));
    const auto first = Watch(link.Send(kAsk, {.requester = QStringLiteral("A")}));
    const auto again = Watch(link.Send(kAsk, {.requester = QStringLiteral("A")}));
    EXPECT_EQ(link.HeldFrames(), 1);
    ASSERT_TRUE(WaitFor([&] { return port.written.size() == 1; }, 1000));
    port.Feed(kRead);
    ASSERT_TRUE(WaitFor([&] { return first->done && again->done; }, 1000));
    EXPECT_EQ(first->error, E::None);
    EXPECT_EQ(ToHex(again->exchange.reply), ToHex(kRead));

    port.SetPortOpen(false);
    const auto refused = Watch(link.Send(kAsk, {}));
    EXPECT_FALSE(refused->done);
    ASSERT_TRUE(WaitFor([&] { return refused->done; }, 1000));
    EXPECT_EQ(refused->error, E::NotSent);
}
