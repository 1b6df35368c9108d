// The kzsim program as other tests and people use it: its command line and
// output contract, clean exits, independent Modbus masters (mbpoll and
// pymodbus) talking to it over the pty, and its reply time and idle CPU.
#include "link/crc.h"
#include "tests/support/testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// One running kzsim; stopped with SIGTERM when the object goes.
class KzSim {
public:
    ~KzSim()
    {
        if (proc.state() != QProcess::NotRunning) {
            proc.terminate();
            if (!proc.waitForFinished(5000)) {
                proc.kill();
                proc.waitForFinished(2000);
            }
        }
    }

    // Starts kzsim and waits for its "PTY <path>" line.
    ::testing::AssertionResult Start(const QStringList &args)
    {
        proc.setProgram(QStringLiteral(KZSIM_PATH));
        proc.setArguments(args);
        proc.start();
        if (!proc.waitForStarted(5000))
            return ::testing::AssertionFailure() << "kzsim did not start: " << qPrintable(proc.errorString());
        while (!out.contains('\n')) {
            if (!proc.waitForReadyRead(5000))
                return ::testing::AssertionFailure()
                       << "no PTY line; stderr: " << proc.readAllStandardError().constData();
            out += proc.readAllStandardOutput();
        }
        const QByteArray line = out.left(out.indexOf('\n'));
        if (!line.startsWith("PTY /"))
            return ::testing::AssertionFailure() << "unexpected first line: " << line.constData();
        path = QString::fromLocal8Bit(line.mid(4));
        return ::testing::AssertionSuccess();
    }

    qint64 Pid() const { return proc.processId(); }

    QProcess proc;
    QByteArray out;
    QString path;
};

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun RunTool(const QString &program, const QStringList &args, int timeoutMs = 15000)
{
    QProcess p;
    p.start(program, args);
    ToolRun r;
    if (!p.waitForStarted(5000))
        return r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timed out");
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

// mbpoll in RTU mode at 9600 8N1 with 0-based register numbers, once; the
// arguments name the slave, registers, device and any values to write.
ToolRun Mbpoll(const QStringList &args)
{
    return RunTool(QStringLiteral("mbpoll"),
                   QStringList{"-m", "rtu", "-b", "9600", "-P", "none", "-0", "-1", "-o", "0.5"} + args);
}

// "[80]: \t2" lines of mbpoll's output, in order.
QList<int> MbpollValues(const QString &out)
{
    QList<int> values;
    static const QRegularExpression line(QStringLiteral(R"(^\[\d+\]:\s*(-?\d+))"),
                                         QRegularExpression::MultilineOption);
    auto it = line.globalMatch(out);
    while (it.hasNext())
        values.append(it.next().captured(1).toInt());
    return values;
}

bool HaveMbpoll()
{
    return !QStandardPaths::findExecutable(QStringLiteral("mbpoll")).isEmpty();
}

// utime + stime of a process, in clock ticks.
long long CpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the parenthesised command name; utime and stime are the
    // 14th and 15th fields of the whole line.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return fields.at(11).toLongLong() + fields.at(12).toLongLong();
}

// 'R', 'S', 'Z', ... or 0 when the process is gone.
char ProcessState(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const int close = text.lastIndexOf(')');
    return close < 0 || close + 2 >= text.size() ? 0 : text.at(close + 2);
}

// A raw client of the slave side with a blocking-free exchange.
class RawClient {
public:
    explicit RawClient(const QString &path)
    {
        fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) {
            termios t{};
            tcgetattr(fd, &t);
            cfmakeraw(&t);
            tcsetattr(fd, TCSANOW, &t);
        }
    }
    ~RawClient()
    {
        if (fd >= 0)
            ::close(fd);
    }

    // Writes the request and reads until n bytes came or timeoutMs passed.
    QByteArray Exchange(const QByteArray &request, int n, int timeoutMs = 2000)
    {
        if (::write(fd, request.constData(), static_cast<size_t>(request.size())) != request.size())
            return QByteArray();
        QByteArray got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < n) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            char buffer[512];
            const ssize_t r = ::read(fd, buffer, sizeof buffer);
            if (r > 0)
                got.append(buffer, r);
        }
        return got;
    }

    int fd = -1;
};

} // namespace

TEST(SimProgram, PrintsOnePtyLineMakesTheLinkAndRemovesItOnSigterm)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyKZ"));
    KzSim sim;
    ASSERT_TRUE(sim.Start({"--link", link}));
    EXPECT_EQ(sim.out, QByteArray("PTY ") + sim.path.toLocal8Bit() + '\n');
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), sim.path);

    // The demo bus: 1 three-phase, 2 single-phase, 3 KZ827KVE, nobody at 4.
    RawClient client(link);
    ASSERT_GE(client.fd, 0);
    for (int address = 1; address <= 3; ++address) {
        QByteArray probe(1, static_cast<char>(address));
        probe += Hex("99 30 30 30 30");
        AppendCrc(probe);
        EXPECT_EQ(ToHex(client.Exchange(probe, 8)), ToHex(probe)) << address;
    }
    EXPECT_TRUE(client.Exchange(WithCrc(Hex("04 99 30 30 30 30")), 8, 300).isEmpty());

    sim.proc.terminate();
    ASSERT_TRUE(sim.proc.waitForFinished(5000));
    EXPECT_EQ(sim.proc.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.proc.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(sim.proc.readAllStandardOutput().isEmpty()) << "nothing after the PTY line";
}

TEST(SimProgram, SigintAndSighupAlsoEndItCleanly)
{
    for (int sig : {SIGINT, SIGHUP}) {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("tty"));
        KzSim sim;
        ASSERT_TRUE(sim.Start({"--link", link}));
        ASSERT_TRUE(QFileInfo(link).isSymLink());
        ::kill(static_cast<pid_t>(sim.Pid()), sig);
        ASSERT_TRUE(sim.proc.waitForFinished(5000)) << sig;
        EXPECT_EQ(sim.proc.exitStatus(), QProcess::NormalExit) << sig;
        EXPECT_EQ(sim.proc.exitCode(), 0) << sig;
        EXPECT_FALSE(QFileInfo(link).isSymLink()) << sig;
    }
}

TEST(SimProgram, EndsWhenItsParentDies)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("tty"));
    // The shell starts kzsim, waits until it is ready, reports its pid and
    // exits without stopping it.
    const QString script = QStringLiteral(
        "\"$0\" --link \"$1\" >/dev/null & pid=$!; i=0;"
        " while [ ! -L \"$1\" ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i+1)); done; echo $pid");
    const ToolRun shell = RunTool(QStringLiteral("/bin/sh"), {"-c", script, QStringLiteral(KZSIM_PATH), link});
    ASSERT_EQ(shell.exitCode, 0) << qPrintable(shell.err);
    const qint64 pid = shell.out.trimmed().toLongLong();
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(WaitFor([&] { return !QFileInfo(link).isSymLink(); }, 5000)) << "link left behind";
    EXPECT_TRUE(WaitFor([&] { const char s = ProcessState(pid); return s == 0 || s == 'Z'; }, 5000))
        << "kzsim still running: state " << ProcessState(pid);
}

TEST(SimProgram, HelpAndBadArguments)
{
    const ToolRun help = RunTool(QStringLiteral(KZSIM_PATH), {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QLatin1String("Usage: kzsim")));
    for (const char *word : {"--link", "--instrument", "three-phase", "single-phase", "kz827", "--seed", "--fault",
                             "drop", "badcrc", "split", "garbage", "delay", "wrongaddr", "@every=N", "@prob=P"})
        EXPECT_TRUE(help.out.contains(QLatin1String(word))) << word;

    for (const QStringList &args : {QStringList{"--instrument", "1:four-phase"}, QStringList{"--fault", "x"},
                                    QStringList{"--bogus"}}) {
        const ToolRun bad = RunTool(QStringLiteral(KZSIM_PATH), args);
        EXPECT_EQ(bad.exitCode, 2) << qPrintable(args.join(' '));
        EXPECT_TRUE(bad.out.isEmpty());
        EXPECT_TRUE(bad.err.startsWith(QLatin1String("kzsim: "))) << qPrintable(bad.err);
    }

    // A --link onto an ordinary file is refused and the file kept.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("keep"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const ToolRun refused = RunTool(QStringLiteral(KZSIM_PATH), {"--link", file});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.out.isEmpty());
    EXPECT_TRUE(QFileInfo(file).isFile());
}

TEST(SimProgram, MbpollReadsAndWritesTheThreePhaseInstrument)
{
    if (!HaveMbpoll())
        GTEST_SKIP() << "mbpoll is not installed";
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyKZ"));
    KzSim sim;
    ASSERT_TRUE(sim.Start({"--link", link, "--instrument", "1:three-phase", "--instrument", "2:single-phase"}));

    // Function 03 on the one-word measurements.
    ToolRun r = Mbpoll({"-a", "1", "-r", "0", "-c", "30", link});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.out + r.err);
    QList<int> v = MbpollValues(r.out);
    ASSERT_EQ(v.size(), 30) << qPrintable(r.out);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(v[k], 2200, 60) << "phase voltage, 0.1 V";
        EXPECT_NEAR(v[3 + k], 3810, 100) << "line voltage, 0.1 V";
        EXPECT_NEAR(v[8 + k], 5000, 300) << "current, mA";
        EXPECT_NEAR(v[13 + k], 950, 30) << "power factor, 1/1000";
    }
    EXPECT_NEAR(v[17], 5000, 10) << "frequency, 0.01 Hz";

    // Function 10 (several values), then 03 gives them back.
    r = Mbpoll({"-a", "1", "-r", "0x51", link, "0x200", "0", "5"});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.out + r.err);
    r = Mbpoll({"-a", "1", "-r", "0x50", "-c", "11", link});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.out + r.err);
    EXPECT_EQ(MbpollValues(r.out), (QList<int>{2, 0x200, 0, 5, 0, 0, 0, 0, 0, 0, 5}));

    // The new PT shows in the raw voltages: 220 V through PT 200 is about 11.
    r = Mbpoll({"-a", "1", "-r", "0", "-c", "3", link});
    v = MbpollValues(r.out);
    ASSERT_EQ(v.size(), 3);
    EXPECT_NEAR(v[0], 11, 1);

    // Refusals come back as Modbus exceptions; an absent address times out.
    r = Mbpoll({"-a", "1", "-r", "0x30", link});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE((r.out + r.err).contains(QLatin1String("Illegal data address"))) << qPrintable(r.out + r.err);
    r = Mbpoll({"-a", "1", "-r", "0x50", link, "--", "7"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE((r.out + r.err).contains(QLatin1String("Illegal data value"))) << qPrintable(r.out + r.err);
    r = Mbpoll({"-a", "2", "-t", "3", "-r", "0", link}); // input registers: no instrument has them
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE((r.out + r.err).contains(QLatin1String("Illegal function"))) << qPrintable(r.out + r.err);
    r = Mbpoll({"-a", "9", "-r", "0", link});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE((r.out + r.err).contains(QLatin1String("timed out"), Qt::CaseInsensitive)) << qPrintable(r.out + r.err);
}

TEST(SimProgram, FaultsChosenOnTheCommandLineHitTheChosenRequests)
{
    if (!HaveMbpoll())
        GTEST_SKIP() << "mbpoll is not installed";
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("tty"));
    KzSim sim;
    ASSERT_TRUE(sim.Start({"--link", link, "--instrument", "5:three-phase", "--fault", "drop@at=2", "--fault",
                           "badcrc@at=3", "--seed", "3"}));
    const QStringList read = {"-a", "5", "-r", "0x50", "-c", "2", link};
    EXPECT_EQ(Mbpoll(read).exitCode, 0);
    const ToolRun dropped = Mbpoll(read);
    EXPECT_NE(dropped.exitCode, 0);
    EXPECT_TRUE((dropped.out + dropped.err).contains(QLatin1String("timed out"), Qt::CaseInsensitive));
    const ToolRun corrupt = Mbpoll(read);
    EXPECT_NE(corrupt.exitCode, 0);
    EXPECT_TRUE((corrupt.out + corrupt.err).contains(QLatin1String("CRC"), Qt::CaseInsensitive))
        << qPrintable(corrupt.out + corrupt.err);
    EXPECT_EQ(Mbpoll(read).exitCode, 0);
}

TEST(SimProgram, PymodbusReadsWritesAndSeesExceptions)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFileInfo(python).isExecutable() ||
        RunTool(python, {"-c", "import pymodbus.client, pymodbus.transaction"}).exitCode != 0)
        GTEST_SKIP() << "/usr/bin/python3 with pymodbus is not available";
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("tty"));
    KzSim sim;
    ASSERT_TRUE(sim.Start({"--link", link}));
    const QString script = QStringLiteral(R"(
import sys
from pymodbus.client import ModbusSerialClient
from pymodbus.transaction import ModbusRtuFramer
c = ModbusSerialClient(port=sys.argv[1], framer=ModbusRtuFramer, baudrate=9600, parity='N', timeout=1)
assert c.connect()
print("init", c.read_holding_registers(0x50, 10, slave=1).registers)
w = c.write_registers(0x50, [1, 0x0120, 1, 0x0300], slave=1)
print("write", w.isError(), w.address, w.count)
print("back", c.read_holding_registers(0x50, 4, slave=1).registers)
e = c.read_holding_registers(0x2E, 1, slave=1)
print("exception", e.isError(), e.exception_code)
e = c.write_registers(0x51, [0x00C8], slave=1)
print("refused", e.isError(), e.exception_code)
print("after", c.read_holding_registers(0x51, 1, slave=1).registers)
c.close()
)");
    const ToolRun r = RunTool(python, {"-c", script, link}, 30000);
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.out + r.err);
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines, (QStringList{"init [2, 1, 0, 1, 0, 0, 0, 0, 0, 0]", "write False 80 4", "back [1, 288, 1, 768]",
                                  "exception True 2", "refused True 3", "after [288]"}))
        << qPrintable(r.out + r.err);
}

TEST(SimProgram, ReplyTimeIsShort)
{
    KzSim sim;
    ASSERT_TRUE(sim.Start({"--verbose"}));
    RawClient client(sim.path);
    ASSERT_GE(client.fd, 0);
    const QByteArray poll = Hex("01 03 00 00 00 2A C4 15");
    QList<double> roundTrip;
    for (int i = 0; i < 100; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        const QByteArray reply = client.Exchange(poll, 113);
        const auto t1 = std::chrono::steady_clock::now();
        ASSERT_EQ(reply.size(), 113) << "request " << i;
        ASSERT_TRUE(CheckFrameCrc(reply));
        roundTrip.append(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    // The simulator's own measure: request complete -> reply written, from
    // its --verbose log.
    sim.proc.terminate();
    ASSERT_TRUE(sim.proc.waitForFinished(5000));
    const QString log = QString::fromLocal8Bit(sim.proc.readAllStandardError());
    QList<double> inside;
    static const QRegularExpression us(QStringLiteral(R"(\((\d+) us\))"));
    for (auto it = us.globalMatch(log); it.hasNext();)
        inside.append(it.next().captured(1).toDouble());
    ASSERT_EQ(inside.size(), 100) << qPrintable(log.left(500));

    std::sort(roundTrip.begin(), roundTrip.end());
    std::sort(inside.begin(), inside.end());
    std::printf("kzsim reply time, request received -> reply written: median %.0f us, max %.0f us\n",
                inside.at(50), inside.last());
    std::printf("round trip through the pty (write -> 113 bytes read): median %.0f us, max %.0f us\n",
                roundTrip.at(50), roundTrip.last());
    RecordProperty("reply_us_median", static_cast<int>(inside.at(50)));
    RecordProperty("round_trip_us_median", static_cast<int>(roundTrip.at(50)));
    EXPECT_LT(inside.at(50), 2000.0);
    EXPECT_LT(roundTrip.at(50), 10000.0);
}

TEST(SimProgram, IdleCpuIsNearZeroAfterAClientCameAndWent)
{
    KzSim sim;
    ASSERT_TRUE(sim.Start({}));
    {
        RawClient client(sim.path);
        ASSERT_EQ(client.Exchange(WithCrc(Hex("01 99 30 30 30 30")), 8).size(), 8);
    } // the slave is closed again: no client left
    Pump(200);
    const long long before = CpuTicks(sim.Pid());
    ASSERT_GE(before, 0);
    ::usleep(5 * 1000 * 1000);
    const long long after = CpuTicks(sim.Pid());
    const double ms = (after - before) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    std::printf("kzsim idle CPU over 5 s: %lld ticks = %.0f ms (%.2f%%)\n", after - before, ms, ms / 50.0);
    RecordProperty("idle_cpu_ms_per_5s", static_cast<int>(ms));
    EXPECT_LE(ms, 50.0);
    // Still alive and serving.
    RawClient client(sim.path);
    EXPECT_EQ(client.Exchange(WithCrc(Hex("02 99 30 30 30 30")), 8).size(), 8);
}
