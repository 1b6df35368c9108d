// The network port control under the link, against a gateway played by the
// test on a loopback TCP server: the bytes on the wire in both modes, reply
// matching, refusals and a gateway that goes away.
#include "tests/support/fakeport.h"
#include "link/mbap.h"
#include "link/portswitch.h"
#include "link/seriallink.h"
#include "link/tcpport.h"
#include "tests/support/testutil.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

struct Gateway : ::testing::Test {
    QTcpServer server;
    QPointer<QTcpSocket> peer;
    QByteArray received;
    TcpPortControl port;
    SerialLink link{&port};
    const QByteArray request = WithCrc(Hex("01 03 00 50 00 01"));
    const QByteArray reply = WithCrc(Hex("01 03 02 00 02"));

    void SetUp() override
    {
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            peer = server.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, [this] { received += peer->readAll(); });
        });
        link.SettleMs = 5;
        link.PollMs = 5;
    }

    QString name(const char *scheme) const
    {
        return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(scheme)).arg(server.serverPort());
    }

    void open(const char *scheme)
    {
        QString error;
        ASSERT_TRUE(port.OpenInstead(name(scheme), QStringLiteral("9600,n,8,1"), &error)) << error.toStdString();
        ASSERT_TRUE(WaitFor([this] { return !peer.isNull(); }));
    }

    // Sends frame through the link; the handle is kept for the test to read.
    QPointer<modbus::Reply> send(const QByteArray &frame)
    {
        return link.Send(frame, {.name = QStringLiteral("测试")});
    }

    // Waits until the gateway has n bytes, and takes them.
    QByteArray takeReceived(int n)
    {
        EXPECT_TRUE(WaitFor([&] { return received.size() >= n; })) << received.size();
        return std::exchange(received, {});
    }
};

} // namespace

TEST_F(Gateway, RtuOverTcpPassesTheBytesUnchanged)
{
    open("tcp");
    QPointer<modbus::Reply> r = send(request);
    QByteArray result;
    QObject::connect(r, &modbus::Reply::finished, [&] { result = r->Result().reply; });
    EXPECT_EQ(ToHex(takeReceived(request.size())), ToHex(request));
    peer->write(reply.left(3));
    peer->flush();
    Pump(2);
    peer->write(reply.mid(3));
    ASSERT_TRUE(WaitFor([&] { return !result.isEmpty(); }));
    EXPECT_EQ(ToHex(result), ToHex(reply));
}

TEST_F(Gateway, ModbusTcpMatchesRepliesByTransactionAndUnit)
{
    open("mbtcp");
    QByteArray result;
    QPointer<modbus::Reply> first = link.Send(request, {.name = QStringLiteral("测试"), .timeoutMs = 100});
    EXPECT_EQ(ToHex(takeReceived(12)), "00 01 00 00 00 06 01 03 00 50 00 01");
    // The first gets no answer; the second is a private function code.
    ASSERT_TRUE(WaitFor([&] { return first.isNull() || first->IsFinished(); }, 3000));
    const QByteArray calibration = WithCrc(Hex("01 AA 77 37 30 32 32 01 02 03 04"));
    QPointer<modbus::Reply> second = link.Send(calibration, {.name = QStringLiteral("校准"),
                                                               .calibration = modbus::CalibrationLengthsOf(Family::ThreePhase),
                                                               .timeoutMs = 3000});
    QObject::connect(second, &modbus::Reply::finished, [&] { result = second->Result().reply; });
    EXPECT_EQ(ToHex(takeReceived(17)), "00 02 00 00 00 0B 01 AA 77 37 30 32 32 01 02 03 04");
    // A late reply to the first transaction, one from another unit, then
    // the right one split inside its header: only the right one counts.
    peer->write(Hex("00 01 00 00 00 05 01 03 02 00 02"));
    peer->write(Hex("00 02 00 00 00 0B 05 AA 77 37 30 32 32 01 02 03 04"));
    peer->write(Hex("00 02 00 00"));
    peer->flush();
    Pump(20);
    peer->write(Hex("00 0B 01 AA 77 37 30 32 32 01 02 03 04"));
    ASSERT_TRUE(WaitFor([&] { return !result.isEmpty(); }));
    EXPECT_EQ(ToHex(result), ToHex(calibration));

    // The traffic record shows the frames as on the wire, and in RTU form.
    const FrameLog &log = link.Log();
    const FrameRecord &sent = log.At(0);
    const FrameRecord &got = log.At(log.Size() - 1);
    EXPECT_TRUE(FormatRecord(sent).endsWith("\t00 01 00 00 00 06 01 03 00 50 00 01\tRTU: " + ToHex(request)))
        << FormatRecord(sent).toStdString();
    EXPECT_EQ(got.verdict, FrameRecord::Verdict::Handed);
    EXPECT_EQ(ToHex(got.wire), "00 02 00 00 00 0B 01 AA 77 37 30 32 32 01 02 03 04");
    EXPECT_EQ(ToHex(got.bytes), ToHex(calibration));
}

TEST_F(Gateway, RefusedAndUnresolvableGiveTheSystemsReasonAndStayClosed)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 free = closed.serverPort();
    closed.close();
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("tcp://127.0.0.1:%1").arg(free), QStringLiteral("连接被拒绝")},
        {QStringLiteral("mbtcp://[::1]:%1").arg(free), QStringLiteral("无法连接")},
        {QStringLiteral("mbtcp://no-such-gateway.invalid:502"), QStringLiteral("找不到主机")},
        {QStringLiteral("tcp://gateway:0"), QStringLiteral("端口号")},
    };
    QSignalSpy opened(&port, &SerialPortControl::OpenChanged);
    for (const auto &[portName, reason] : cases) {
        QString error;
        EXPECT_FALSE(port.OpenInstead(portName, QStringLiteral("9600,n,8,1"), &error));
        EXPECT_TRUE(error.startsWith(QStringLiteral("无法连接 ") + portName)) << error.toStdString();
        EXPECT_TRUE(error.contains(reason)) << error.toStdString();
        EXPECT_FALSE(port.PortOpen());
    }
    EXPECT_EQ(opened.count(), 0);
}

TEST_F(Gateway, AConnectionThatNeverCompletesTimesOutWhileTheEventLoopRuns)
{
    // A listener with a backlog of one that accepts nothing: the second
    // connection attempt gets no answer. (Windows refuses it instead.)
    KZ_NEEDS_POSIX("a listener that leaves a connection unanswered");
#ifdef Q_OS_UNIX
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof at;
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&at), size), 0);
    ASSERT_EQ(::listen(fd, 0), 0);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&at), &size);
    const quint16 full = ntohs(at.sin_port);
    QTcpSocket first;
    first.connectToHost(QHostAddress::LocalHost, full);
    ASSERT_TRUE(first.waitForConnected(1000));

    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    port.ConnectTimeoutMs = 300;
    QString error;
    const QString target = QStringLiteral("mbtcp://127.0.0.1:%1").arg(full);
    EXPECT_FALSE(port.OpenInstead(target, {}, &error));
    EXPECT_EQ(error, QStringLiteral("无法连接 %1：连接超时 (300 ms 内未连上)").arg(target));
    EXPECT_GE(ticks, 5) << "the event loop went on while connecting";
    EXPECT_FALSE(port.PortOpen());
    ::close(fd);
#endif
}

TEST_F(Gateway, ADroppedConnectionIsOneLossThatEndsTheWaitingRequestAndReopens)
{
    open("mbtcp");
    QSignalSpy lost(&port, &SerialPortControl::PortLost);
    QPointer<modbus::Reply> r = link.Send(request, {.name = QStringLiteral("测试"), .timeoutMs = 5000});
    modbus::Reply::Error failure = modbus::Reply::Error::None;
    QObject::connect(r, &modbus::Reply::finished, [&] { failure = r->Failure(); });
    takeReceived(12);
    peer->write(Hex("00 01 00 00 00 05 01")); // half a reply, then gone
    peer->flush();
    peer->close();
    ASSERT_TRUE(WaitFor([&] { return failure != modbus::Reply::Error::None; }));
    EXPECT_EQ(failure, modbus::Reply::Error::PortLost);
    Pump(50);
    ASSERT_EQ(lost.count(), 1);
    EXPECT_TRUE(lost.first().first().toString().contains(name("mbtcp") + QStringLiteral(" 已断开")));
    EXPECT_FALSE(port.PortOpen());

    // Reopening connects again; transaction ids go on rising.
    peer.clear();
    QString error;
    ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
    ASSERT_TRUE(WaitFor([this] { return !peer.isNull(); }));
    send(request);
    EXPECT_EQ(ToHex(takeReceived(12)), "00 02 00 00 00 06 01 03 00 50 00 01");

    // The same gateway chosen again (in the other mode) is let go first: a
    // gateway of one client would refuse a second connection.
    QPointer<QTcpSocket> before = peer;
    QSignalSpy changes(&port, &SerialPortControl::OpenChanged);
    ASSERT_TRUE(port.OpenInstead(name("tcp"), {}, &error)) << error.toStdString();
    EXPECT_EQ(changes.count(), 2);
    ASSERT_TRUE(WaitFor([&] { return before->state() == QAbstractSocket::UnconnectedState; }));
}

TEST_F(Gateway, TheSwitchOpensANetworkPortBesideTheSerialOneAndClosesThatAfter)
{
    auto *serial = new FakePortControl;
    auto *network = new TcpPortControl;
    PortSwitch any(serial, network);
    any.SetPortName(QStringLiteral("/dev/ttyUSB0"));
    ASSERT_TRUE(any.SetPortOpen(true));
    QSignalSpy changes(&any, &SerialPortControl::OpenChanged);
    QString error;
    EXPECT_FALSE(any.OpenInstead(QStringLiteral("tcp://bad host:1"), {}, &error));
    EXPECT_TRUE(serial->PortOpen()); // a refused choice leaves the serial port working
    ASSERT_TRUE(any.OpenInstead(name("tcp"), QStringLiteral("9600,n,8,1"), &error)) << error.toStdString();
    EXPECT_FALSE(serial->PortOpen());
    EXPECT_EQ(any.Active(), network);
    EXPECT_EQ(any.CommPort(), name("tcp"));
    ASSERT_EQ(changes.count(), 2);
    EXPECT_FALSE(changes.at(0).first().toBool());
    EXPECT_TRUE(changes.at(1).first().toBool());
    ASSERT_TRUE(WaitFor([this] { return !peer.isNull(); }));
    EXPECT_TRUE(any.Output(request));
    EXPECT_EQ(ToHex(takeReceived(request.size())), ToHex(request));
    EXPECT_TRUE(serial->written.isEmpty());
    // Through the switch too, the link learns that Modbus TCP replies
    // carry the port's CRC, not the meter's.
    EXPECT_TRUE(any.RepliesCarryCrc());
    ASSERT_TRUE(any.OpenInstead(name("mbtcp"), {}, &error)) << error.toStdString();
    EXPECT_FALSE(any.RepliesCarryCrc());
}

TEST_F(Gateway, AModbusTcpFrameThatLiesCostsOnlyItsOwnExchange)
{
    // The answer to reading eleven registers (byte count 22), and the lies
    // a gateway may tell in it.
    QByteArray data(22, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(0x30 + i);
    const QByteArray read = WithCrc(Hex("01 03 00 00 00 0B"));
    const QByteArray answer = Hex("01 03 16") + data;
    const auto setLength = [](QByteArray frame, int length) {
        frame[4] = char(length >> 8);
        frame[5] = char(length & 0xFF);
        return frame;
    };
    struct Lie {
        const char *name;
        std::function<QByteArray(const QByteArray &)> tell;
        modbus::Reply::Error failure;
    };
    const Lie lies[] = {
        {"length 20 too long", [&](const QByteArray &f) { return setLength(f, 20 + 25); }, modbus::Reply::Error::NoAnswer},
        {"length 254", [&](const QByteArray &f) { return setLength(f, 254); }, modbus::Reply::Error::NoAnswer},
        {"cut short", [&](const QByteArray &f) { return setLength(f.left(f.size() - 2), 23); }, modbus::Reply::Error::BadFrame},
    };
    open("mbtcp");
    for (const Lie &lie : lies) {
        SCOPED_TRACE(lie.name);
        QPointer<modbus::Reply> lied = link.Send(read, {.name = QStringLiteral("测试"), .timeoutMs = 150});
        modbus::Reply::Error failure = modbus::Reply::Error::None;
        QByteArray got;
        QObject::connect(lied, &modbus::Reply::finished, [&] { failure = lied->Failure(), got = lied->Result().reply; });
        QByteArray asked = takeReceived(12);
        peer->write(lie.tell(*mbap::FromRtu(WithCrc(answer), mbap::Take(asked)->transaction)));
        ASSERT_TRUE(WaitFor([&] { return lied.isNull() || lied->IsFinished(); }));
        EXPECT_EQ(failure, lie.failure);
        EXPECT_TRUE(got.isEmpty()) << ToHex(got).toStdString();

        // The next request gets its reply.
        QPointer<modbus::Reply> next = link.Send(read, {.name = QStringLiteral("测试"), .timeoutMs = 1000});
        QByteArray result;
        QObject::connect(next, &modbus::Reply::finished, [&] { result = next->Result().reply; });
        QByteArray again = takeReceived(12);
        peer->write(*mbap::FromRtu(WithCrc(answer), mbap::Take(again)->transaction));
        ASSERT_TRUE(WaitFor([&] { return !result.isEmpty(); })) << lie.name;
        EXPECT_EQ(ToHex(result), ToHex(WithCrc(answer)));
    }
}
