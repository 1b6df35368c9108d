#include "tests/support/fakeport.h"
#include "link/replylength.h"
#include "link/seriallink.h"
#include "tests/support/testutil.h"

#include <QElapsedTimer>
#include <algorithm>
#include <memory>
#include <gtest/gtest.h>
#include <stdexcept>
#include <tuple>

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
                                           LengthCase{"05 99", 8}, LengthCase{"01 2B", 0},
                                           // byte counts above 250 are not wrapped to 8 bits
                                           LengthCase{"01 03 FF", 260}));

} // namespace

// Each family's calibration replies (0xAA): data (byte 2 'r') or an answer.
TEST(ReplyLength, CalibrationRepliesFollowTheFamilysLengths)
{
    for (const auto &[family, data, other] :
         {std::tuple{Family::ThreePhase, 82, 13}, std::tuple{Family::SinglePhase, 82, 13}, std::tuple{Family::Kz827, 19, 7}}) {
        const modbus::CalibrationLengths lengths = modbus::CalibrationLengthsOf(family);
        EXPECT_EQ(modbus::ReplyLength(Hex("01 AA 72"), lengths), data);
        EXPECT_EQ(modbus::ReplyLength(Hex("01 AA 77"), lengths), other);
    }
    // Without calibration replies 0xAA is an exception reply.
    EXPECT_EQ(modbus::ReplyLength(Hex("01 AA 72")), 5);
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
const QByteArray kRead = WithCrc(Hex("01 03 02 12 34"));

// A link on an open fake port, and requests sent through it by name.
struct LinkFixture : ::testing::Test {
    FakePortControl port;
    SerialLink link{&port};
    // Who sends: the address of a name stands for its window.
    QStringList requesters{"A", "B"};

    void SetUp() override
    {
        port.SetPortOpen(true);
        link.PrepareReceive();
    }
    RequestInfo as(int who) { return {.requester = &requesters[who], .name = requesters[who]}; }
    std::shared_ptr<Finished> ask(int who = 0, const QByteArray &frame = kAsk)
    {
        return Watch(link.Send(frame, as(who)));
    }
    QString lastVerdict() const { return VerdictText(link.Log().At(link.Log().Size() - 1)); }
};

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
    const QString measurement = QStringLiteral("电量参数测量"), telemetry = QStringLiteral("遥测、遥信");
    // What the request's check answers once the reply is in (the router's
    // rules are tested with the router).
    auto acceptance = std::make_shared<RequestInfo::Acceptance>();
    RequestInfo info{.requester = &measurement, .name = measurement, .accept = [acceptance] { return *acceptance; }};
    modbus::Reply *reply = link.Send(kAsk, info);
    if (QString::fromLatin1(c.what) == QLatin1String("taken over"))
        *acceptance = {.taken = false, .holder = telemetry};
    if (QString::fromLatin1(c.what) == QLatin1String("closed") ||
        QString::fromLatin1(c.what) == QLatin1String("family changed"))
        *acceptance = {.taken = false};
    const auto f = Watch(reply);
    EXPECT_FALSE(f->done); // never inside the call that sent it
    c.act(port, link);
    ASSERT_TRUE(WaitFor([&] { return f->done; }, 3000));
    EXPECT_EQ(f->error, c.error);
    EXPECT_EQ(ToHex(f->exchange.request), ToHex(kAsk));
    EXPECT_EQ(ToHex(f->exchange.reply), c.reply);
    if (*c.verdict)
        EXPECT_EQ(VerdictText(link.Log().At(link.Log().Size() - 1)), QString::fromUtf8(c.verdict));
    else
        EXPECT_NE(c.error, E::None);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, HandleTest,
    ::testing::Values(
        HandleCase{"answered", [](FakePortControl &p, SerialLink &) { p.Feed(kRead + Hex("FF")); },
                   modbus::Reply::Error::None, "01 03 02 12 34 B5 33", "交给 电量参数测量，截自 8 字节"},
        // Some meters answer a short block: its CRC makes it count.
        HandleCase{"short with its crc", [](FakePortControl &p, SerialLink &) { p.Feed(WithCrc(Hex("01 03 02 07"))); },
                   modbus::Reply::Error::None, "01 03 02 07 B1 7A", "交给 电量参数测量"},
        // The meter at another address answered: still this request's reply.
        HandleCase{"other address", [](FakePortControl &p, SerialLink &) { p.Feed(WithCrc(Hex("09 03 02 00 01"))); },
                   modbus::Reply::Error::None, "09 03 02 00 01 98 45", "交给 电量参数测量，地址与请求（1）不符"},
        HandleCase{"exception", [](FakePortControl &p, SerialLink &) { p.Feed(WithCrc(Hex("01 83 02"))); },
                   modbus::Reply::Error::Exception, "01 83 02 C0 F1", "丢弃：异常应答，异常码 2"},
        HandleCase{"bad crc", [](FakePortControl &p, SerialLink &) { p.Feed(Hex("01 03 02 12 34 00 00")); },
                   modbus::Reply::Error::BadFrame, "", "丢弃：CRC 错误"},
        HandleCase{"cut short", [](FakePortControl &p, SerialLink &) { p.Feed(kRead.left(6)); },
                   modbus::Reply::Error::BadFrame, "", "丢弃：太短"},
        HandleCase{"unlisted", [](FakePortControl &p, SerialLink &) { p.Feed(WithCrc(Hex("01 04 02 00 01"))); },
                   modbus::Reply::Error::BadFrame, "", "丢弃：功能码 04 不在应答表中"},
        HandleCase{"silence", [](FakePortControl &, SerialLink &) {}, modbus::Reply::Error::NoAnswer, "", ""},
        HandleCase{"superseded", [](FakePortControl &, SerialLink &l) { l.Send(kAsk, {}); },
                   modbus::Reply::Error::NoAnswer, "", ""},
        HandleCase{"port lost", [](FakePortControl &p, SerialLink &) { p.Lose(QStringLiteral("gone")); },
                   modbus::Reply::Error::PortLost, "", ""},
        HandleCase{"taken over", [](FakePortControl &p, SerialLink &) { p.Feed(kRead); },
                   modbus::Reply::Error::NotTaken, "", "丢弃：请求来自 电量参数测量，应答已归 遥测、遥信"},
        HandleCase{"closed", [](FakePortControl &p, SerialLink &) { p.Feed(kRead); },
                   modbus::Reply::Error::NotTaken, "", "丢弃：没有接收窗口"},
        HandleCase{"family changed", [](FakePortControl &p, SerialLink &) { p.Feed(kRead); },
                   modbus::Reply::Error::NotTaken, "", "丢弃：没有接收窗口"}),
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
    const auto first = ask(0);
    const auto again = ask(0);
    const auto other = ask(1); // another requester's is held on its own
    EXPECT_EQ(link.HeldFrames(), 2);
    ASSERT_TRUE(WaitFor([&] { return port.written.size() == 2; }, 1000));
    // Written one after the other: the first is answered by nobody now.
    EXPECT_TRUE(first->done && again->done);
    EXPECT_EQ(first->error, E::NoAnswer);
    EXPECT_EQ(again->error, E::NoAnswer);
    port.Feed(kRead);
    ASSERT_TRUE(WaitFor([&] { return other->done; }, 1000));
    EXPECT_EQ(other->error, E::None);
    EXPECT_EQ(ToHex(other->exchange.reply), ToHex(kRead));

    port.SetPortOpen(false);
    const auto refused = ask();
    EXPECT_FALSE(refused->done);
    ASSERT_TRUE(WaitFor([&] { return refused->done; }, 1000));
    EXPECT_EQ(refused->error, E::NotSent);
}

// ------------------------------------------------------------- collection

TEST_F(LinkFixture, SendDiscardsUnreadInputAndWritesTheFrame)
{
    port.Feed(Hex("55 66"));
    ask(0, Hex("01 03 00 00 00 2A C4 15"));
    ASSERT_EQ(port.written.size(), 1);
    EXPECT_EQ(ToHex(port.written[0]), "01 03 00 00 00 2A C4 15");
    EXPECT_EQ(port.InBufferCount(), 0);
    EXPECT_EQ(link.Log().At(0).verdict, FrameRecord::Verdict::Stale);
}

TEST_F(LinkFixture, ReplyInOneBurstIsHandedAfterSettleAndTwoPolls)
{
    const auto f = ask();
    QElapsedTimer t;
    t.start();
    port.Feed(kRead);
    ASSERT_TRUE(WaitFor([&] { return f->done; }, 1000));
    const qint64 ms = t.elapsed();
    EXPECT_GE(ms, 150);
    EXPECT_LT(ms, 400);
    EXPECT_EQ(f->error, modbus::Reply::Error::None);
    EXPECT_FALSE(link.Collecting());
}

TEST_F(LinkFixture, SplitReplyIsCollectedWhole)
{
    const auto f = ask();
    const QByteArray reply = WithCrc(Hex("01 03 14 00 02 01 20 00 00 00 05 00 00 00 00 00 00 00 00 00 00 00 00"));
    port.Feed(reply.left(5));
    port.FeedLater(reply.mid(5, 10), 110);
    port.FeedLater(reply.mid(15), 150);
    ASSERT_TRUE(WaitFor([&] { return f->done; }, 1500));
    EXPECT_EQ(ToHex(f->exchange.reply), ToHex(reply));
    Pump(300);
    EXPECT_EQ(link.Log().Size(), 2u); // one request, one reply
}

TEST_F(LinkFixture, SendDuringCollectionIsHeldAndNeverDiscardsTheReply)
{
    const auto f = ask();
    port.Feed(kRead);
    Pump(50); // inside the settle time
    ASSERT_TRUE(link.Collecting());
    const auto next = ask(0, Hex("01 03 00 00 00 2A C4 15"));
    EXPECT_EQ(port.written.size(), 1);
    EXPECT_EQ(link.HeldFrames(), 1);
    ASSERT_TRUE(WaitFor([&] { return port.written.size() == 2; }, 1000));
    EXPECT_EQ(f->error, modbus::Reply::Error::None); // handed before the held send went out
    EXPECT_EQ(ToHex(port.written[1]), "01 03 00 00 00 2A C4 15");
    EXPECT_FALSE(next->done);
}

TEST_F(LinkFixture, NothingWaitingEndsCollectionQuietly)
{
    const auto f = ask();
    port.Feed(Hex("01"));
    port.SetInBufferCount(0); // discarded before the settle time is over
    Pump(200);
    EXPECT_FALSE(link.Collecting());
    EXPECT_FALSE(f->done);
}

TEST_F(LinkFixture, AReplyNobodyWaitsForIsDropped)
{
    port.Feed(kRead);
    ASSERT_TRUE(WaitFor([&] { return link.Log().Size() == 1; }, 1000));
    EXPECT_EQ(lastVerdict(), QStringLiteral("丢弃：没有等待应答的请求"));
    EXPECT_TRUE(link.Log().At(0).IsDrop());
}

TEST_F(LinkFixture, FloodStopsCollectingPast500Bytes)
{
    link.SettleMs = 10;
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
    modbus::Reply *reply = link.Send(kAsk, as(0));
    QObject::connect(reply, &modbus::Reply::finished, [] { throw std::runtime_error("boom"); });
    QStringList failures;
    QObject::connect(&link, &SerialLink::HandlerFailed, [&](const QString &m) { failures.append(m); });
    port.Feed(kRead);
    ASSERT_TRUE(WaitFor([&] { return !failures.isEmpty(); }, 1000));
    EXPECT_EQ(failures[0], QStringLiteral("应答处理出错：boom"));
    EXPECT_FALSE(link.Collecting());
    const auto f = ask();
    port.Feed(kRead);
    EXPECT_TRUE(WaitFor([&] { return f->done && f->error == modbus::Reply::Error::None; }, 1000));
}

TEST_F(LinkFixture, BytesArrivingDuringAHandlerAreCollectedAfterIt)
{
    modbus::Reply *reply = link.Send(kAsk, as(0));
    QObject::connect(reply, &modbus::Reply::finished, [&] {
        // More bytes land while this handler still runs (as during a
        // message box): their event is seen while the link is busy.
        port.Feed(kRead);
        Pump(30);
    });
    port.Feed(kRead);
    // Collected once the handler is done, not left for the next request
    // to clear.
    EXPECT_TRUE(WaitFor([&] { return link.Log().Size() == 3; }, 1500));
    EXPECT_EQ(lastVerdict(), QStringLiteral("丢弃：没有等待应答的请求"));
}

TEST_F(LinkFixture, SendingWithThePortClosedRefusesOnceUntilThePortOpens)
{
    QStringList refusals;
    QObject::connect(&link, &SerialLink::SendRefused, [&](const QString &m) { refusals.append(m); });
    port.SetPortOpen(false);
    for (int i = 0; i < 5; ++i) // a polling window's ticks
        ask();
    EXPECT_EQ(refusals.size(), 1);
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_TRUE(refusals[0].contains(QStringLiteral("串口未打开")));
    port.SetPortOpen(true);
    port.SetPortOpen(false);
    ask();
    EXPECT_EQ(refusals.size(), 2);
}

TEST_F(LinkFixture, PortLostDuringACollectionEndsItAtOnce)
{
    const auto f = ask();
    port.Feed(kRead.left(4));
    ASSERT_TRUE(WaitFor([&] { return link.Collecting(); }, 500));
    const auto held = ask(1);
    port.Lose("gone");
    EXPECT_FALSE(link.Collecting());
    EXPECT_EQ(link.HeldFrames(), 0);
    EXPECT_EQ(port.written.size(), 1); // the held frame met a closed port
    EXPECT_EQ(f->error, modbus::Reply::Error::PortLost);
    ASSERT_TRUE(WaitFor([&] { return held->done; }, 500));
    EXPECT_EQ(held->error, modbus::Reply::Error::NotSent);
    port.SetPortOpen(true);
    const auto again = ask();
    port.Feed(kRead);
    EXPECT_TRUE(WaitFor([&] { return again->done && again->error == modbus::Reply::Error::None; }, 1000));
}
