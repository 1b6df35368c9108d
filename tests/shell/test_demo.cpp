// The simulator child of demo mode: its announcement, every way it can fail,
// and that no process is left behind.
#include "link/qtserialport.h"
#include "shell/demo.h"
#include "tests/support/testutil.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <cerrno>
#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/types.h>
#else
#include <windows.h>
#endif

namespace {
QString script(const QTemporaryDir &dir, const QString &body)
{
    return WriteShellScript(dir.filePath("kzsim"), body);
}

bool processGone(qint64 pid)
{
#ifdef Q_OS_UNIX
    return ::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH;
#else
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return true;
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
#endif
}

struct Demo {
    QTemporaryDir dir;
    DemoSimulator sim;
    QSignalSpy ready{&sim, &DemoSimulator::Ready};
    QSignalSpy failed{&sim, &DemoSimulator::Failed};
    QString failure() const { return failed.isEmpty() ? QString() : failed.last().at(0).toString(); }
};
} // namespace

TEST(DemoSimulator, AnnouncedPortAndStopLeavesNoProcess)
{
    KZ_NEEDS_POSIX("a /bin/sh script playing the simulator");
    Demo d;
    d.sim.Start(script(d.dir, "echo 'starting' >&2\necho 'PTY /dev/pts/77'\nexec sleep 30"));
    ASSERT_TRUE(WaitFor([&] { return d.ready.count() == 1; }, 5000));
    EXPECT_EQ(d.ready.at(0).at(0).toString(), "/dev/pts/77");
    EXPECT_EQ(d.sim.PtyPath(), "/dev/pts/77");
    const qint64 pid = d.sim.ProcessId();
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(processGone(pid));
    d.sim.Stop();
    EXPECT_TRUE(processGone(pid));
    EXPECT_FALSE(d.sim.Running());
    Pump(20);
    EXPECT_EQ(d.failed.count(), 0) << "a requested stop is no failure";
}

// Where there are no pseudo-terminals the simulator announces a Modbus TCP
// gateway; the demo offers it as an mbtcp:// port.
TEST(DemoSimulator, AnnouncedGatewayIsOfferedAsModbusTcpPort)
{
    KZ_NEEDS_POSIX("a /bin/sh script playing the simulator");
    Demo d;
    d.sim.Start(script(d.dir, "echo 'MBTCP 127.0.0.1:1502'\nexec sleep 30"));
    ASSERT_TRUE(WaitFor([&] { return d.ready.count() == 1; }, 5000));
    EXPECT_EQ(d.sim.PtyPath(), "mbtcp://127.0.0.1:1502");
    d.sim.Stop();
}

TEST(DemoSimulator, DestroyingItEndsTheChild)
{
    KZ_NEEDS_POSIX("a /bin/sh script playing the simulator");
    QTemporaryDir dir;
    qint64 pid = 0;
    {
        DemoSimulator sim;
        sim.Start(script(dir, "echo 'PTY /dev/pts/78'\nexec sleep 30"));
        ASSERT_TRUE(WaitFor([&] { return !sim.PtyPath().isEmpty(); }, 5000));
        pid = sim.ProcessId();
    }
    EXPECT_TRUE(processGone(pid));
}

TEST(DemoSimulator, ChildThatIgnoresTerminateIsKilled)
{
    KZ_NEEDS_POSIX("a /bin/sh script playing the simulator");
    Demo d;
    d.sim.StopGraceMs = 200;
    d.sim.Start(script(d.dir, "trap '' TERM\necho 'PTY /dev/pts/79'\nwhile :; do sleep 1; done"));
    ASSERT_TRUE(WaitFor([&] { return d.ready.count() == 1; }, 5000));
    const qint64 pid = d.sim.ProcessId();
    d.sim.Stop();
    EXPECT_TRUE(processGone(pid));
}

TEST(DemoSimulator, Failures)
{
    KZ_NEEDS_POSIX("a /bin/sh script playing the simulator");
    {
        Demo d;
        d.sim.Start("/nonexistent/kzsim");
        EXPECT_EQ(d.failed.count(), 0) << "reported inside Start";
        ASSERT_TRUE(WaitFor([&] { return d.failed.count() == 1; }));
        EXPECT_EQ(d.failure(), "找不到模拟仪表程序 /nonexistent/kzsim，演示模式不可用。");
    }
    {
        Demo d; // exits before announcing, with a reason on stderr
        d.sim.Start(script(d.dir, "echo 'kzsim: openpty failed' >&2\nexit 3"));
        ASSERT_TRUE(WaitFor([&] { return d.failed.count() == 1; }, 5000));
        EXPECT_TRUE(d.failure().contains("没有就绪就退出了（退出码 3）")) << d.failure().toStdString();
        EXPECT_TRUE(d.failure().contains("kzsim: openpty failed")) << d.failure().toStdString();
        EXPECT_EQ(d.ready.count(), 0);
    }
    {
        Demo d; // never announces, and ignores the request to end
        d.sim.ReadyTimeoutMs = 300;
        d.sim.StopGraceMs = 200;
        d.sim.Start(script(d.dir, "trap '' TERM\nwhile :; do sleep 0.1; done"));
        const qint64 pid = d.sim.ProcessId();
        ASSERT_TRUE(WaitFor([&] { return d.failed.count() == 1; }, 5000));
        EXPECT_TRUE(d.failure().contains("没有就绪")) << d.failure().toStdString();
        EXPECT_TRUE(WaitFor([&] { return !d.sim.Running(); }));
        EXPECT_TRUE(processGone(pid));
    }
    {
        Demo d; // dies after announcing
        d.sim.Start(script(d.dir, "echo 'PTY /dev/pts/80'\nsleep 0.2\nexit 4"));
        ASSERT_TRUE(WaitFor([&] { return d.failed.count() == 1; }, 5000));
        EXPECT_EQ(d.ready.count(), 1);
        EXPECT_EQ(d.failure(), "模拟仪表程序已退出（退出码 4），模拟仪表不再应答。");
    }
    {
        Demo d; // a file that is not a program
        const QString path = d.dir.filePath("kzsim");
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("data");
        f.close();
        d.sim.Start(path);
        ASSERT_TRUE(WaitFor([&] { return d.failed.count() == 1; }));
        EXPECT_TRUE(d.failure().startsWith("找不到模拟仪表程序")) << d.failure().toStdString();
    }
}

// The real simulator: its demo bus answers the address probe of instrument 1
// on the announced pseudo-terminal, and it ends with Stop.
TEST(DemoSimulator, RealSimulatorServesTheDemoBus)
{
#ifndef KZSIM_PATH
    GTEST_SKIP() << "the simulator is not part of this build";
#else
    KZ_NEEDS_PTY();
    if (!QFileInfo(QStringLiteral(KZSIM_PATH)).isExecutable())
        GTEST_SKIP() << "the simulator has not been built: " << KZSIM_PATH;
    DemoSimulator sim;
    QSignalSpy failed(&sim, &DemoSimulator::Failed);
    sim.Start(QStringLiteral(KZSIM_PATH));
    ASSERT_TRUE(WaitFor([&] { return !sim.PtyPath().isEmpty() || failed.count() > 0; }, 10000));
    ASSERT_EQ(failed.count(), 0) << failed.at(0).at(0).toString().toStdString();
    const qint64 pid = sim.ProcessId();

    QtSerialPortControl port;
    port.SetPortName(sim.PtyPath());
    port.SetSettings("9600,n,8,1");
    QString error;
    ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
    const QByteArray probe = WithCrc(Hex("01 99 30 30 30 30"));
    ASSERT_TRUE(port.Output(probe));
    ASSERT_TRUE(WaitFor([&] { return port.InBufferCount() >= 8; }, 3000));
    const QByteArray reply = port.Input();
    EXPECT_EQ(ToHex(reply.left(2)), "01 99");
    EXPECT_EQ(reply.size(), 8);
    port.SetPortOpen(false);

    sim.Stop();
    EXPECT_TRUE(processGone(pid));
    EXPECT_EQ(failed.count(), 0);
#endif
}

// The real simulator as the Windows demo starts it: a Modbus TCP gateway on
// this computer that answers the address probe of instrument 1.
TEST(DemoSimulator, RealSimulatorServesTheDemoBusAsAGateway)
{
#ifndef KZSIM_PATH
    GTEST_SKIP() << "the simulator is not part of this build";
#else
    DemoSimulator sim;
    QSignalSpy failed(&sim, &DemoSimulator::Failed);
    sim.Start(QStringLiteral(KZSIM_PATH), {QStringLiteral("--mbtcp"), QStringLiteral("127.0.0.1:0")});
    ASSERT_TRUE(WaitFor([&] { return !sim.PtyPath().isEmpty() || failed.count() > 0; }, 10000));
    ASSERT_EQ(failed.count(), 0) << failed.at(0).at(0).toString().toStdString();
    const QUrl url(sim.PtyPath());
    ASSERT_EQ(url.scheme(), "mbtcp") << sim.PtyPath().toStdString();
    QTcpSocket gateway;
    gateway.connectToHost(url.host(), static_cast<quint16>(url.port()));
    ASSERT_TRUE(WaitFor([&] { return gateway.state() == QAbstractSocket::ConnectedState; }, 5000));
    // MBAP: transaction 7, protocol 0, length 6, unit 1; the probe's PDU.
    gateway.write(Hex("00 07 00 00 00 06 01 99 30 30 30 30"));
    QByteArray reply;
    ASSERT_TRUE(WaitFor([&] { reply += gateway.readAll(); return reply.size() >= 8; }, 3000));
    EXPECT_EQ(ToHex(reply.left(8)), ToHex(Hex("00 07 00 00").append(reply.mid(4, 2)).append(Hex("01 99"))));
    const qint64 pid = sim.ProcessId();
    sim.Stop();
    EXPECT_TRUE(processGone(pid));
    EXPECT_EQ(failed.count(), 0);
#endif
}
