// The simulator behind a real pseudo-terminal, driven in-process by a
// QSerialPort client on the same event loop.
#include "link/crc.h"
#include "sim/ptysimulator.h"
#include "sim/threephase.h"
#include "tests/support/testutil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class SimPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim.bus().Add(1, sim::Family::ThreePhase);
        sim.bus().Add(2, sim::Family::SinglePhase);
        QString error;
        ASSERT_TRUE(sim.Open(&error)) << qPrintable(error);
        ASSERT_TRUE(QFileInfo::exists(sim.SlavePath()));
    }

    // Opens the slave side as the program does; every byte received is
    // appended to 'got' with its arrival time.
    void Connect()
    {
        port.setPortName(sim.SlavePath());
        ASSERT_TRUE(port.open(QIODevice::ReadWrite)) << qPrintable(port.errorString());
        port.setBaudRate(9600);
        QObject::connect(&port, &QSerialPort::readyRead, [this] {
            got += port.readAll();
            arrivals.append(clock.elapsed());
        });
        clock.start();
    }

    void Send(const QByteArray &bytes)
    {
        ASSERT_EQ(port.write(bytes), bytes.size());
        port.flush();
    }

    bool WaitBytes(int n, int timeoutMs = 2000)
    {
        return WaitFor([&] { return got.size() >= n; }, timeoutMs);
    }

    sim::PtySimulator sim;
    QSerialPort port;
    QByteArray got;
    QList<qint64> arrivals;
    QElapsedTimer clock;
};

// CPU time this process used, in milliseconds.
double CpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

// Runs the event loop for ms without any polling of our own, so that only
// the simulator's notifiers and timers can use CPU meanwhile.
void IdleLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

TEST_F(SimPty, AQSerialPortClientGetsProbeAndMeasurementReplies)
{
    Connect();
    const QByteArray probe = WithCrc(Hex("02 99 30 30 30 30"));
    Send(probe);
    ASSERT_TRUE(WaitBytes(8));
    EXPECT_EQ(ToHex(got), ToHex(probe));

    got.clear();
    Send(Hex("01 03 00 00 00 2A C4 15"));
    ASSERT_TRUE(WaitBytes(113));
    Pump(30);
    EXPECT_EQ(got.size(), 113);
    EXPECT_EQ(ToHex(got.left(3)), QStringLiteral("01 03 6C"));
    EXPECT_TRUE(CheckFrameCrc(got));

    // Nobody at address 9: nothing comes back.
    got.clear();
    Send(WithCrc(Hex("09 99 30 30 30 30")));
    Pump(150);
    EXPECT_TRUE(got.isEmpty());
    EXPECT_EQ(sim.RequestsSeen(), 3);
}

TEST_F(SimPty, RequestsInPiecesAreJoinedAndBackToBackRequestsSplit)
{
    Connect();
    const QByteArray write = WithCrc(Hex("01 10 00 50 00 0B 16 0002 0200 0001 0005 0000 0000 0000 0000 0000 0000 0005"));
    Send(write.left(3));
    Pump(10);
    Send(write.mid(3, 5));
    Pump(10);
    Send(write.mid(8));
    ASSERT_TRUE(WaitBytes(8));
    EXPECT_EQ(ToHex(got), ToHex(WithCrc(Hex("01 10 00 50 00 0B"))));
    EXPECT_EQ(sim.bus().ThreePhaseAt(1)->Pt(), 200);

    got.clear();
    const QByteArray probe1 = WithCrc(Hex("01 99 30 30 30 30"));
    const QByteArray probe2 = WithCrc(Hex("02 99 30 30 30 30"));
    Send(probe1 + probe2);
    ASSERT_TRUE(WaitBytes(16));
    EXPECT_EQ(ToHex(got), ToHex(probe1 + probe2));
}

TEST_F(SimPty, AnInterruptedRequestIsDroppedAtThePauseAndTheNextOneAnswered)
{
    sim.SetSilenceMs(30);
    Connect();
    Send(Hex("01 03 00"));
    Pump(120);
    const QByteArray probe = WithCrc(Hex("01 99 30 30 30 30"));
    Send(probe);
    ASSERT_TRUE(WaitBytes(8));
    Pump(50);
    EXPECT_EQ(ToHex(got), ToHex(probe));
}

TEST_F(SimPty, AFrameOfUnknownLengthEndsWithThePause)
{
    sim.SetSilenceMs(40);
    Connect();
    QElapsedTimer t;
    t.start();
    // A function no instrument has: only the pause ends its frame.
    Send(WithCrc(Hex("01 45 00 11 22 33")));
    ASSERT_TRUE(WaitBytes(5));
    EXPECT_GE(t.elapsed(), 35);
    EXPECT_EQ(ToHex(got), ToHex(WithCrc(Hex("01 C5 01"))));
}

TEST_F(SimPty, SplitAndDelayedRepliesArriveInPiecesAndLate)
{
    sim.bus().Faults().Add(*sim::ParseFault(QStringLiteral("split:60,40@at=1")));
    sim.bus().Faults().Add(*sim::ParseFault(QStringLiteral("delay:200@at=2")));
    Connect();

    const qint64 sent = clock.elapsed();
    Send(Hex("01 03 00 00 00 2A C4 15"));
    ASSERT_TRUE(WaitBytes(113));
    EXPECT_TRUE(CheckFrameCrc(got));
    ASSERT_GE(arrivals.size(), 3) << "three pieces of 40, 40, 33 bytes";
    EXPECT_LT(arrivals.first() - sent, 50);
    EXPECT_GE(arrivals.last() - arrivals.first(), 110);

    got.clear();
    const QByteArray probe = WithCrc(Hex("01 99 30 30 30 30"));
    const qint64 second = clock.elapsed();
    Send(probe);
    Pump(120);
    EXPECT_TRUE(got.isEmpty()) << "still held back";
    ASSERT_TRUE(WaitBytes(8));
    EXPECT_GE(arrivals.last() - second, 190);
    EXPECT_EQ(got, probe);
}

TEST_F(SimPty, ALateReplyIsNotWrittenIntoTheNextTerminal)
{
    sim.bus().Faults().Add(*sim::ParseFault(QStringLiteral("delay:100")));
    Connect();
    Send(WithCrc(Hex("01 99 30 30 30 30")));
    ASSERT_TRUE(WaitFor([&] { return sim.RequestsSeen() == 1; }));
    port.close();
    sim.Close();
    ASSERT_TRUE(sim.Open());
    QSerialPort next;
    next.setPortName(sim.SlavePath());
    ASSERT_TRUE(next.open(QIODevice::ReadWrite));
    Pump(250);
    EXPECT_TRUE(next.readAll().isEmpty());
}

TEST_F(SimPty, ServedReportsEveryExchangeAndTheReplyTimeIsShort)
{
    QList<QByteArray> requests, replies;
    QObject::connect(&sim, &sim::PtySimulator::Served,
                     [&](const QByteArray &rq, const QByteArray &rp, qint64) {
                         requests.append(rq);
                         replies.append(rp);
                     });
    Connect();
    EXPECT_EQ(sim.LastReplyMicros(), -1);
    QList<qint64> micros;
    for (int i = 0; i < 20; ++i) {
        got.clear();
        Send(Hex("01 03 00 00 00 2A C4 15"));
        ASSERT_TRUE(WaitBytes(113));
        micros.append(sim.LastReplyMicros());
    }
    Send(WithCrc(Hex("07 99 30 30 30 30")));
    ASSERT_TRUE(WaitFor([&] { return requests.size() == 21; }));
    EXPECT_TRUE(replies.last().isEmpty());
    EXPECT_EQ(replies.first().size(), 113);

    std::sort(micros.begin(), micros.end());
    const qint64 median = micros.at(micros.size() / 2);
    std::printf("in-process reply time (request complete -> reply written): median %lld us, max %lld us\n",
                static_cast<long long>(median), static_cast<long long>(micros.last()));
    RecordProperty("reply_us_median", static_cast<int>(median));
    EXPECT_GE(median, 0);
    EXPECT_LT(median, 5000);
}

TEST_F(SimPty, StaysIdleWhenNoClientHasTheSlaveOpen)
{
    // A client comes and goes: this is when a pty master would report EIO
    // (hang-up) if the simulator did not hold the slave open itself.
    Connect();
    Send(WithCrc(Hex("01 99 30 30 30 30")));
    ASSERT_TRUE(WaitBytes(8));
    port.close();

    const double before = CpuMs();
    IdleLoop(1000);
    const double used = CpuMs() - before;
    std::printf("CPU used by an idle in-process simulator over 1 s: %.1f ms\n", used);
    EXPECT_LT(used, 60.0);

    // And it still serves the next client.
    got.clear();
    QSerialPort again;
    again.setPortName(sim.SlavePath());
    ASSERT_TRUE(again.open(QIODevice::ReadWrite));
    again.write(WithCrc(Hex("02 99 30 30 30 30")));
    QByteArray reply;
    ASSERT_TRUE(WaitFor([&] {
        reply += again.readAll();
        return reply.size() >= 8;
    }));
    EXPECT_EQ(reply, WithCrc(Hex("02 99 30 30 30 30")));
}

TEST_F(SimPty, AClientThatNeverReadsDoesNotStallTheSimulator)
{
    int served = 0;
    QObject::connect(&sim, &sim::PtySimulator::Served, [&] { ++served; });
    const int fd = ::open(sim.SlavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    const QByteArray poll = Hex("01 03 00 00 00 2A C4 15");
    constexpr int kRequests = 1500; // about 170 KB of replies
    for (int i = 0; i < kRequests; ++i) {
        ASSERT_EQ(::write(fd, poll.constData(), 8), 8);
        if (i % 100 == 99) {
            ASSERT_TRUE(WaitFor([&] { return served == i + 1; }, 5000)) << served;
        }
    }
    ASSERT_TRUE(WaitFor([&] { return served == kRequests; }, 5000));

    // What is waiting ends with a complete reply.
    QByteArray waiting;
    char buffer[65536];
    for (int idle = 0; idle < 20;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            waiting.append(buffer, n);
            idle = 0;
        } else {
            Pump(5);
            ++idle;
        }
    }
    ::close(fd);
    ASSERT_GE(waiting.size(), 113);
    EXPECT_TRUE(CheckFrameCrc(waiting.right(113)));
}

TEST_F(SimPty, LinkPointsAtTheSlaveAndIsRemovedOnClose)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("ttyKZ"));
    QString error;
    ASSERT_TRUE(sim.SetLink(link, &error)) << qPrintable(error);
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), sim.SlavePath());

    QSerialPort viaLink;
    viaLink.setPortName(link);
    ASSERT_TRUE(viaLink.open(QIODevice::ReadWrite)) << qPrintable(viaLink.errorString());
    viaLink.write(WithCrc(Hex("01 99 30 30 30 30")));
    QByteArray reply;
    ASSERT_TRUE(WaitFor([&] {
        reply += viaLink.readAll();
        return reply.size() >= 8;
    }));
    viaLink.close();

    sim.Close();
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(sim.SlavePath().isEmpty());
}

TEST_F(SimPty, LinkReplacesAStaleLinkButNeverAnOrdinaryFile)
{
    QTemporaryDir dir;
    const QString stale = dir.filePath(QStringLiteral("stale"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/pts/nonexistent"), stale));
    QString error;
    ASSERT_TRUE(sim.SetLink(stale, &error)) << qPrintable(error);
    EXPECT_EQ(QFileInfo(stale).symLinkTarget(), sim.SlavePath());

    const QString plain = dir.filePath(QStringLiteral("plain"));
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    EXPECT_FALSE(sim.SetLink(plain, &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("keep me"));
    // The failed call kept the earlier link.
    EXPECT_EQ(QFileInfo(stale).symLinkTarget(), sim.SlavePath());

    // A link that someone else re-pointed is not ours to remove.
    const QString taken = dir.filePath(QStringLiteral("taken"));
    ASSERT_TRUE(sim.SetLink(taken, &error));
    EXPECT_FALSE(QFileInfo(stale).isSymLink()) << "moved to the new name";
    ASSERT_TRUE(QFile::remove(taken));
    ASSERT_TRUE(QFile::link(plain, taken));
    sim.Close();
    EXPECT_TRUE(QFileInfo(taken).isSymLink());
}

TEST(SimPtyClosed, LinkNeedsAnOpenTerminal)
{
    sim::PtySimulator sim;
    QString error;
    EXPECT_FALSE(sim.SetLink(QDir::temp().filePath(QStringLiteral("kzsim-never")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(sim.SlavePath().isEmpty());
}
