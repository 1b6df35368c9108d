// The simulator child of demo mode: its announcement, every way it can fail,
// and that no process is left behind.
#include "link/qtserialport.h"
#include "shell/demo.h"
#include "tests/support/testutil.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cerrno>
#include <sys/types.h>

namespace {
QString script(const QTemporaryDir &dir, const QString &body)
{
    return WriteShellScript(dir.filePath("kzsim"), body);
}

bool processGone(qint64 pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH;
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

TEST(DemoSimulator, DestroyingItEndsTheChild)
{
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
    EXPECT_TRUE(::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH);
    EXPECT_EQ(failed.count(), 0);
#endif
}
