#include "link/qtserialport.h"
#include "link/seriallink.h"
#include "tests/support/testutil.h"

#include <QSignalSpy>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#endif

TEST(Settings, ParsesEveryCombinationTheDialogOffers)
{
    for (const char *baud : {"1200", "2400", "4800", "9600", "14400", "19200"})
        for (const char *parity : {"n", "o", "e"})
            for (const char *data : {"5", "6", "7", "8"})
                for (const char *stop : {"1", "1.5", "2"}) {
                    const QString text = QStringLiteral("%1,%2,%3,%4").arg(baud, parity, data, stop);
                    const auto s = ParseSettings(text);
                    ASSERT_TRUE(s.has_value()) << text.toStdString();
                    EXPECT_EQ(s->baud, QString(baud).toInt());
                    EXPECT_EQ(s->parity, parity[0]);
                    EXPECT_EQ(s->dataBits, QString(data).toInt());
                    EXPECT_EQ(s->stopBits, stop);
                }
}

TEST(Settings, RefusesMalformedStringsWithAReason)
{
    for (const char *bad : {"", "9600", "9600,n,8", "abc,n,8,1", "9600,x,8,1", "9600,n,9,1", "9600,n,4,1",
                            "9600,n,8,3", "-9600,n,8,1", "9600,n,8,1,1"}) {
        QString why;
        EXPECT_FALSE(ParseSettings(bad, &why).has_value()) << bad;
        EXPECT_FALSE(why.isEmpty()) << bad;
    }
}

TEST(Settings, ComPortsMapToThePlatformsFirstFourSerialPorts)
{
#ifdef Q_OS_WIN
    EXPECT_EQ(PlatformPortName(1), "COM1");
    EXPECT_EQ(PlatformPortName(4), "COM4");
#else
    EXPECT_EQ(PlatformPortName(1), "/dev/ttyS0");
    EXPECT_EQ(PlatformPortName(4), "/dev/ttyS3");
#endif
}

#ifdef Q_OS_UNIX
namespace {
// A pseudo-terminal pair: the test plays the instrument on the master side.
struct Pty {
    int master = -1;
    int slave = -1;
    QString path;
    Pty()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            termios t{};
            tcgetattr(slave, &t);
            cfmakeraw(&t);
            tcsetattr(slave, TCSANOW, &t);
            path = QString::fromLocal8Bit(name);
        }
    }
    ~Pty()
    {
        closeMaster();
        if (slave >= 0)
            ::close(slave);
    }
    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    QByteArray readMaster(int want, int timeoutMs = 1000)
    {
        QByteArray got;
        WaitFor(
            [&] {
                char buf[256];
                fcntl(master, F_SETFL, O_NONBLOCK);
                const auto n = ::read(master, buf, sizeof buf);
                if (n > 0)
                    got.append(buf, static_cast<int>(n));
                return got.size() >= want;
            },
            timeoutMs);
        return got;
    }
};

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}
} // namespace

TEST(QtPort, OpensAPseudoTerminalAndCarriesARequestAndReply)
{
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    QtSerialPortControl port;
    port.SetPortName(pty.path);
    port.SetSettings("9600,n,8,1");
    QString error;
    ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
    SerialLink link(&port);
    link.SettleMs = 20;
    link.PrepareReceive();
    QByteArray got;
    const QByteArray request = WithCrc(Hex("01 03 00 50 00 01"));
    modbus::Reply *r = link.Send(request, {});
    QObject::connect(r, &modbus::Reply::finished, [&] { got = r->Result().reply; });
    EXPECT_EQ(ToHex(pty.readMaster(8)), ToHex(request));
    const QByteArray reply = WithCrc(Hex("01 03 02 00 02"));
    ASSERT_EQ(::write(pty.master, reply.constData(), reply.size()), reply.size());
    ASSERT_TRUE(WaitFor([&] { return !got.isEmpty(); }, 2000));
    EXPECT_EQ(ToHex(got), ToHex(reply));
    // The reply comes in an array of its own size, not in the port's 64 KiB
    // read block: the link keeps thousands of replies in its frame log.
    EXPECT_LT(got.capacity(), 1024);
}

TEST(QtPort, PeerGoingAwayClosesThePortOnceWithoutSpinning)
{
    // QSerialPort reads the reason for an end of file from errno, which
    // still holds whatever an earlier call left there: none, a non-blocking
    // read's EAGAIN (reported as a resource error), an ioctl's ENOTTY.
    for (const int leftOver : {0, EAGAIN, ENOTTY}) {
        Pty pty;
        ASSERT_FALSE(pty.path.isEmpty());
        QtSerialPortControl port;
        port.SetPortName(pty.path);
        ASSERT_TRUE(port.SetPortOpen(true));
        // Our own handle on the slave would keep the line alive: drop it.
        ::close(pty.slave);
        pty.slave = -1;
        QSignalSpy lost(&port, &SerialPortControl::PortLost);
        errno = leftOver;
        pty.closeMaster();
        ASSERT_TRUE(WaitFor([&] { return !port.PortOpen(); }, 3000)) << leftOver;
        const double before = processCpuSeconds();
        Pump(500);
        const double busy = processCpuSeconds() - before;
        ASSERT_EQ(lost.count(), 1) << leftOver;
        EXPECT_LT(busy, 0.15) << "event loop spun for " << busy << " s of CPU in 0.5 s";
        // A hang-up is an end of file: no system reason is shown with it.
        EXPECT_EQ(lost.at(0).at(0).toString(),
                  QStringLiteral("串口 %1 已断开，已关闭该串口。请检查连接后重新打开。").arg(pty.path))
            << leftOver;
    }
}

#else
// Windows has no pseudo-terminal to play the instrument on.
TEST(QtPort, OpensAPseudoTerminalAndCarriesARequestAndReply) { KZ_NEEDS_PTY(); }
TEST(QtPort, PeerGoingAwayClosesThePortOnceWithoutSpinning) { KZ_NEEDS_PTY(); }
TEST(QtPort, EveryOtherOfferedCombinationOpensOnAPty) { KZ_NEEDS_PTY(); }
#endif

TEST(QtPort, ALostPortShowsOnlyAReasonTheSystemGaveForThisEvent)
{
    const QString eio = qt_error_string(EIO);
    EXPECT_EQ(PortLossReason(QSerialPort::ResourceError, eio, false), eio);
    EXPECT_EQ(PortLossReason(QSerialPort::ResourceError, eio, true), "");
#ifdef Q_OS_UNIX
    // A non-blocking read's leftover EAGAIN is no reason (errno is POSIX's;
    // Windows' serial driver reports its own errors only).
    EXPECT_EQ(PortLossReason(QSerialPort::ResourceError, qt_error_string(EAGAIN), false), "");
#endif
    EXPECT_EQ(PortLossReason(QSerialPort::WriteError, eio, false), "");
}

TEST(QtPort, PathsThatAreNoSerialPortAreRefusedAsSuch)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const std::pair<QString, QString> cases[] = {
        {file.fileName(), QStringLiteral("不是串口设备")},
        {dir.path(), QStringLiteral("不是串口设备")},
        {QDir::toNativeSeparators(file.fileName()), QStringLiteral("不是串口设备")},
#ifdef Q_OS_UNIX
        {"/dev/ptmx", QStringLiteral("不是串口设备")},
        {"/dev/null", QStringLiteral("不是串口设备")},
        {"/dev/" + QString(300, 'a'), QStringLiteral("串口名称过长")},
#endif
    };
    for (const auto &[path, reason] : cases) {
        QtSerialPortControl port;
        port.SetPortName(path);
        QString error;
        EXPECT_FALSE(port.SetPortOpen(true, &error)) << path.toStdString();
        EXPECT_FALSE(port.PortOpen());
        EXPECT_TRUE(error.contains(reason)) << error.toStdString();
    }
}

TEST(QtPort, MissingPortIsRefusedWithItsNameAndReason)
{
    QtSerialPortControl port;
    port.SetPortName("/dev/does-not-exist-kz");
    QString error;
    EXPECT_FALSE(port.SetPortOpen(true, &error));
    EXPECT_FALSE(port.PortOpen());
    EXPECT_TRUE(error.contains("/dev/does-not-exist-kz"));
    EXPECT_TRUE(error.startsWith(QStringLiteral("无法打开串口")));
    EXPECT_FALSE(error.contains("Unknown error"));
}

TEST(QtPort, OneAndAHalfStopBitsAreRefusedClearlyOffWindows)
{
#ifndef Q_OS_WIN
    Pty pty;
    QtSerialPortControl port;
    port.SetPortName(pty.path);
    port.SetSettings("9600,n,8,1.5");
    QString error;
    EXPECT_FALSE(port.SetPortOpen(true, &error));
    EXPECT_TRUE(error.contains("1.5"));
    EXPECT_FALSE(port.PortOpen());
#endif
}

#ifdef Q_OS_UNIX
TEST(QtPort, EveryOtherOfferedCombinationOpensOnAPty)
{
    Pty pty;
    QtSerialPortControl port;
    port.SetPortName(pty.path);
    QStringList refused;
    for (const char *baud : {"1200", "2400", "4800", "9600", "14400", "19200"})
        for (const char *parity : {"n", "o", "e"})
            for (const char *data : {"5", "6", "7", "8"})
                for (const char *stop : {"1", "2"}) {
                    port.SetSettings(QStringLiteral("%1,%2,%3,%4").arg(baud, parity, data, stop));
                    QString error;
                    if (!port.SetPortOpen(true, &error))
                        refused << port.Settings() + ": " + error;
                    port.SetPortOpen(false);
                }
    EXPECT_TRUE(refused.isEmpty()) << refused.join('\n').toStdString();
}
#endif
