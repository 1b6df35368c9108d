// The link's record of each frame and its fate, on a fake port and against
// the simulator's injected faults; the bounded log and the trace file.
#include "tests/support/fakeport.h"
#include "ui/replyrouter.h"
#include "link/framerecorder.h"
#include "link/qtserialport.h"
#include "link/seriallink.h"
#include "sim/faults.h"
#include "sim/ptysimulator.h"
#include "tests/support/testutil.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using V = FrameRecord::Verdict;
using D = FrameRecord::Direction;

std::vector<V> verdicts(const FrameLog &log, D direction)
{
    std::vector<V> out;
    for (std::size_t i = 0; i < log.Size(); ++i)
        if (log.At(i).direction == direction)
            out.push_back(log.At(i).verdict);
    return out;
}

const FrameRecord *lastReceived(const FrameLog &log)
{
    for (std::size_t i = log.Size(); i-- > 0;)
        if (log.At(i).direction == D::Received)
            return &log.At(i);
    return nullptr;
}

struct Recorded : ::testing::Test {
    FakePortControl port;
    SerialLink link{&port};
    const QByteArray request = WithCrc(Hex("01 03 00 50 00 01"));
    const QByteArray reply = WithCrc(Hex("01 03 02 00 02"));
    // Two windows of the three-phase family.
    const QString init = QStringLiteral("仪表初始化设置"), limits = QStringLiteral("越限状态显示");

    void SetUp() override
    {
        port.SetPortOpen(true);
        link.PrepareReceive();
    }
    // Sends the request as the initialisation window, which holds the
    // family's replies when it sends.
    modbus::Reply *send()
    {
        ReplyRouter &router = ReplyRouter::Of(link);
        router.TakeOver(Family::ThreePhase, &init, init);
        return link.Send(request, router.RequestFor(Family::ThreePhase, &init, init));
    }
};

} // namespace

TEST_F(Recorded, SendWithThePortClosedIsRecordedAsRefusedEveryTime)
{
    port.SetPortOpen(false);
    send();
    send(); // the message is shown once, the record is kept each time
    EXPECT_EQ(verdicts(link.Log(), D::Sent), (std::vector<V>{V::Refused, V::Refused}));
    EXPECT_TRUE(link.Log().At(0).IsDrop());
    EXPECT_TRUE(port.written.isEmpty());
}

TEST_F(Recorded, ReceivedFramesGetTheirVerdict)
{
    struct Case {
        const char *name;
        bool held;
        QByteArray bytes;
        V verdict;
        const char *text;
    };
    const Case cases[] = {
        {"handed, cut", true, reply + Hex("AA BB"), V::Handed, "交给 仪表初始化设置，截自 9 字节"},
        {"crc", true, Hex("01 03 02 00 02 00 00"), V::BadCrc, "丢弃：CRC 错误"},
        {"short", true, Hex("01 03 02"), V::TooShort, "丢弃：太短"},
        {"exception", true, WithCrc(Hex("01 83 02")), V::Exception, "丢弃：异常应答，异常码 2"},
        {"unlisted", true, WithCrc(Hex("01 2B 00 00 00")), V::Unlisted, "丢弃：功能码 2B 不在应答表中"},
        {"no destination", false, reply, V::NoDestination, "丢弃：没有接收窗口"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        send();
        if (!c.held)
            ReplyRouter::Of(link).Release(Family::ThreePhase); // the window was closed
        link.Dispatch(c.bytes);
        const FrameRecord *r = lastReceived(link.Log());
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->verdict, c.verdict);
        EXPECT_EQ(r->bytes, c.bytes);
        EXPECT_EQ(VerdictText(*r), QString::fromUtf8(c.text));
    }
}

TEST_F(Recorded, ReplyForAWindowThatLostTheFamilyNamesBothWindows)
{
    bool handed = false;
    QObject::connect(send(), &modbus::Reply::finished, [&] { handed = true; });
    ReplyRouter::Of(link).TakeOver(Family::ThreePhase, &limits, limits); // another window took the family's replies
    port.Feed(reply);
    ASSERT_TRUE(WaitFor([&] { return lastReceived(link.Log()) != nullptr; }, 2000));
    const FrameRecord *r = lastReceived(link.Log());
    EXPECT_EQ(r->verdict, V::NotRequester);
    EXPECT_EQ(r->window, init);
    EXPECT_EQ(r->holder, limits);
    EXPECT_TRUE(handed); // finished, NotTaken
}

TEST_F(Recorded, HeldSendsAreRecordedWhenHeldMergedAndWrittenLater)
{
    send();
    port.Feed(reply.left(3));
    ASSERT_TRUE(WaitFor([&] { return link.Collecting(); }, 1000));
    send();
    send();
    port.Feed(reply.mid(3));
    ASSERT_TRUE(WaitFor([&] { return port.written.size() == 2; }, 2000));
    EXPECT_EQ(verdicts(link.Log(), D::Sent), (std::vector<V>{V::Written, V::Held, V::Merged, V::WrittenLater}));
    EXPECT_EQ(verdicts(link.Log(), D::Received), (std::vector<V>{V::Handed}));
}

TEST_F(Recorded, BytesClearedBeforeARequestAreKeptAsStale)
{
    // A reply that is still arriving when the next request goes out; the
    // port is fed without an event so the link has not started collecting.
    port.SetInBufferCount(0);
    QByteArray late = reply;
    port.blockSignals(true);
    port.Feed(late);
    port.blockSignals(false);
    send();
    ASSERT_EQ(link.Log().Size(), 2u);
    EXPECT_EQ(link.Log().At(0).verdict, V::Stale);
    EXPECT_EQ(link.Log().At(0).bytes, late);
    EXPECT_EQ(link.Log().At(1).verdict, V::Written);
}

TEST(FrameLog, KeepsTheLastRecordsAndFindsWhatCameAfter)
{
    FrameLog log(3);
    for (int i = 0; i < 5; ++i)
        log.Append({.bytes = QByteArray(1, char(i))});
    ASSERT_EQ(log.Size(), 3u);
    EXPECT_EQ(log.Total(), 5u);
    EXPECT_EQ(log.At(0).bytes, QByteArray(1, char(2)));
    EXPECT_EQ(log.At(2).bytes, QByteArray(1, char(4)));
    EXPECT_EQ(log.IndexOf(4), 2u); // record number 4 (0-based) is the newest
    EXPECT_EQ(log.IndexOf(0), 0u); // gone: clamped to the oldest kept
    EXPECT_EQ(log.IndexOf(5), 3u); // nothing new
    log.Clear();
    EXPECT_EQ(log.Size(), 0u);
    EXPECT_EQ(log.IndexOf(5), 0u);
}

TEST(FrameLog, KeepsAFrameWithoutTheSpareRoomOfItsArray)
{
    // A port can hand over a reply in a 64 KiB read block; 10,000 records
    // holding such blocks would be hundreds of megabytes.
    QByteArray block;
    block.reserve(65536);
    block.append(Hex("01 03 02 00 02 39 85"));
    FrameLog log(2);
    log.Append({.bytes = block});
    EXPECT_EQ(log.At(0).bytes, block);
    EXPECT_LT(log.At(0).bytes.capacity(), 1024);
}

TEST_F(Recorded, TraceFileAppendsOneFlushedLinePerRecord)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.txt"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("earlier\n");
    }
    TraceFile trace;
    ASSERT_TRUE(trace.Open(path, link));
    send();
    link.Dispatch(reply);
    // On disk now, before the trace object is gone.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4); // with the header
    EXPECT_EQ(lines[0], QStringLiteral("earlier"));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("\t发送\t1\t03\t8\t已发送\t01 03 00 50 00 01 ")));
    EXPECT_TRUE(lines[3].contains(QStringLiteral("\t接收\t1\t03\t7\t交给 仪表初始化设置\t01 03 02 00 02 ")));

    TraceFile bad;
    QString error;
    EXPECT_FALSE(bad.Open(dir.filePath(QStringLiteral("no/such/dir/t.txt")), link, &error));
    EXPECT_FALSE(error.isEmpty());
}

// ------------------------------------------------------------ simulated bus

namespace {

struct FaultCase {
    const char *rule;
    int waitMs;
    std::vector<V> received;
    const char *textHas;
};

class RecordedOnTheBus : public ::testing::TestWithParam<FaultCase> {};

} // namespace

TEST_P(RecordedOnTheBus, EachInjectedFaultGetsItsVerdict)
{
    const FaultCase &c = GetParam();
    sim::PtySimulator simulator;
    KZ_NEEDS_PTY();
    ASSERT_TRUE(simulator.Open());
    simulator.bus().Add(1, sim::Family::ThreePhase);
    if (*c.rule) {
        const auto rule = sim::ParseFault(QString::fromLatin1(c.rule));
        ASSERT_TRUE(rule.has_value());
        simulator.bus().Faults().Add(*rule);
    }
    QtSerialPortControl port;
    port.SetPortName(simulator.SlavePath());
    ASSERT_TRUE(port.SetPortOpen(true));
    SerialLink link{&port};
    link.PrepareReceive();
    link.Send(WithCrc(Hex("01 03 00 50 00 01")), {.name = QStringLiteral("A")});
    Pump(c.waitMs);
    EXPECT_EQ(verdicts(link.Log(), D::Sent), (std::vector<V>{V::Written}));
    EXPECT_EQ(verdicts(link.Log(), D::Received), c.received);
    if (*c.textHas) {
        const FrameRecord *r = lastReceived(link.Log());
        ASSERT_NE(r, nullptr);
        EXPECT_TRUE(VerdictText(*r).contains(QString::fromUtf8(c.textHas))) << VerdictText(*r).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RecordedOnTheBus,
    ::testing::Values(FaultCase{"", 700, {V::Handed}, ""}, FaultCase{"drop", 700, {}, ""},
                      FaultCase{"badcrc", 700, {V::BadCrc}, "CRC"},
                      FaultCase{"garbage:5", 700, {V::Handed}, "截自 12 字节"},
                      FaultCase{"wrongaddr:7", 700, {V::Handed}, "地址与请求（1）不符"},
                      FaultCase{"split:400", 1200, {V::TooShort, V::TooShort}, ""},
                      FaultCase{"delay:500", 1200, {V::Handed}, ""}));
