// Measures the receive path on a real pseudo-terminal:
//  - latency from the last byte of a reply to its reply handler running,
//  - the longest stall of the UI event loop meanwhile,
//  - the same stall with the traffic monitor open on a full log, and with an
//    empty window of the monitor's size opening instead, the least that
//    putting up a window costs,
//  - the memory the three-phase measurement window keeps while it polls the
//    simulator, once the link's frame log is full,
//  - start-up time of the program to its main window, and its peak RSS.
#include "link/crc.h"
#include "link/qtserialport.h"
#include "link/seriallink.h"

#include <QCoreApplication>
#ifdef KZ_BENCH_MONITOR
#include "shell/trafficmonitor.h"
#include <QFontDatabase>
#include <QStandardItemModel>
#include <QTableView>
#include <QApplication>
#endif
#ifdef KZ_BENCH_WINDOW
#include "ui/messagebox.h"
#include "ui/recordbutton.h"
#include "threephase/measurement.h"
#include "threephase/measurementwindow.h"
#include "bench/simulator.h"
#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#endif
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <pty.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char **environ;

namespace {

void waitMs(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

// What opens while the replies come in.
enum class Opening { Nothing, Monitor, EmptyWindow };

// stallMs: the longest event-loop stall seen, for the ratio of the runs.
int benchLink(int rounds, Opening opening, double *stallMs)
{
    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);

    QtSerialPortControl port;
    port.SetPortName(QString::fromLocal8Bit(name));
    QString error;
    if (!port.SetPortOpen(true, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    SerialLink link(&port);
    link.PrepareReceive();
    // Each reply answers a request, as on a bus: the request's bytes are
    // read off the terminal's other end so that they never fill it.
    const QByteArray request("\x01\x03\x00\x00\x00\x36\xC5\xDC", 8);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    const auto drain = [master] {
        char buf[256];
        while (::read(master, buf, sizeof buf) > 0) {
        }
    };
#ifdef KZ_BENCH_MONITOR
    // A full log (10,000 frames): the monitor opens on it while replies come
    // in, and then every new line also drops the oldest one from its view.
    std::unique_ptr<TrafficMonitor> monitor;
    std::unique_ptr<QTableView> warmUp;
    std::unique_ptr<QWidget> empty;
    if (opening != Opening::Nothing) {
        for (int i = 0; i < 10000; ++i)
            link.Dispatch(QByteArray("\x01\x03\x02\x00\x02\x00\x00", 7));
        monitor = std::make_unique<TrafficMonitor>(link);
        // In the program the main window is already up when the monitor
        // opens, and its windows with tables are made: pay the window
        // system's, the fonts' and the table's one-time start-up with a
        // first table here, so the stall below is the monitor's.
        auto *few = new QStandardItemModel(3, 3);
        few->setItem(0, 0, new QStandardItem(QStringLiteral("发送 01 03 00 00")));
        warmUp = std::make_unique<QTableView>();
        few->setParent(warmUp.get());
        warmUp->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        warmUp->setModel(few);
        warmUp->show();
        waitMs(100);
    }
#endif
    const bool withMonitor = opening == Opening::Monitor;

    QElapsedTimer clock;
    clock.start();
    qint64 handled = -1;

    // Event-loop stall probe: a 1 ms timer; the largest gap between its ticks
    // beyond its period is the longest time the loop was not serving events.
    qint64 lastTick = clock.nsecsElapsed();
    qint64 worstGap = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worstGap = std::max(worstGap, now - lastTick);
        lastTick = now;
    });
    probe.start(1);
#ifdef KZ_BENCH_MONITOR
    // Opened from the event loop, as a click on its menu entry opens it, so
    // that putting the window up counts in the stall.
    if (opening == Opening::Monitor)
        QTimer::singleShot(0, monitor.get(), [&monitor] { monitor->show(); });
    if (opening == Opening::EmptyWindow)
        QTimer::singleShot(0, [&empty, &monitor] {
            empty = std::make_unique<QWidget>();
            empty->resize(monitor->size());
            empty->show();
        });
#endif

    // A full 113-byte measurement reply.
    QByteArray reply("\x01\x03\x6C", 3);
    for (int i = 0; i < 108; ++i)
        reply.append(static_cast<char>(i));
    AppendCrc(reply);

    std::vector<double> latencies;
    for (int i = 0; i < rounds; ++i) {
        handled = -1;
        modbus::Reply *pending = link.Send(request, {.name = QStringLiteral("bench")});
        QObject::connect(pending, &modbus::Reply::finished, [&, pending] {
            if (pending->Ok())
                handled = clock.nsecsElapsed();
        });
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        drain();
        const qint64 sent = clock.nsecsElapsed();
        if (::write(master, reply.constData(), reply.size()) != reply.size()) {
            std::perror("write");
            return 1;
        }
        QElapsedTimer guard;
        guard.start();
        while (handled < 0 && guard.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (handled < 0) {
            std::fprintf(stderr, "reply %d was not handled\n", i);
            return 1;
        }
        latencies.push_back((handled - sent) / 1e6);
        waitMs(20);
    }
    probe.stop();
    *stallMs = worstGap / 1e6;
    std::sort(latencies.begin(), latencies.end());
    if (opening == Opening::EmptyWindow) {
        std::printf("longest event-loop stall while an empty window of the same size opens: %.2f ms\n", worstGap / 1e6);
    } else if (withMonitor) {
        std::printf("longest event-loop stall while the traffic monitor opens on a full log and shows the replies: %.2f ms "
                    "(reply handler median %.1f ms)\n",
                    worstGap / 1e6, latencies[latencies.size() / 2]);
#ifdef KZ_BENCH_MONITOR
        // The stall above includes the machine's own scheduling noise; the
        // monitor's share is its longest single refresh, timed here: opening
        // on a full log (one refresh: the table draws only the rows in
        // sight), then refreshes with a full log, where each new frame drops
        // the oldest.
        TrafficMonitor fresh(link);
        double openWorst = 0, steadyWorst = 0;
        {
            QElapsedTimer t;
            t.start();
            fresh.show();
            fresh.Refresh();
            QCoreApplication::processEvents();
            openWorst = t.nsecsElapsed() / 1e6;
        }
        for (int i = 0; i < 50; ++i) {
            for (int j = 0; j < 5; ++j)
                link.Dispatch(QByteArray("\x01\x03\x02\x00\x02\x00\x00", 7));
            QElapsedTimer t;
            t.start();
            fresh.Refresh();
            steadyWorst = std::max(steadyWorst, t.nsecsElapsed() / 1e6);
        }
        std::printf("traffic monitor's longest refresh pass: %.2f ms opening on a full log, %.2f ms for 5 new frames "
                    "with 10,000 shown\n",
                    openWorst, steadyWorst);
#endif
    } else {
        std::printf("replies: %d (113 bytes each, one burst, pseudo-terminal)\n", rounds);
        std::printf("last byte -> reply handler: median %.1f ms, max %.1f ms, min %.1f ms\n",
                    latencies[latencies.size() / 2], latencies.back(), latencies.front());
        std::printf("longest event-loop stall: %.2f ms (1 ms probe timer)\n", worstGap / 1e6);
    }
    ::close(master);
    ::close(slave);
    return 0;
}

#ifdef KZ_BENCH_WINDOW
// Resident set size of this process, in KiB (-1 when unknown).
long residentKb()
{
    std::FILE *statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return -1;
    long size = 0, resident = -1;
    if (std::fscanf(statm, "%ld %ld", &size, &resident) != 2)
        resident = -1;
    std::fclose(statm);
    return resident < 0 ? -1 : resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Bytes the allocator has handed out and not had back (-1 when unknown).
long long heapInUse()
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
    const struct mallinfo2 m = mallinfo2();
    return static_cast<long long>(m.uordblks + m.hblkhd);
#else
    return -1;
#endif
}

// The three-phase measurement window polls the simulator (build/kzsim on a
// pseudo-terminal) through the link as in the program, only faster: its
// poll timer and the link's collection periods are shortened. The link's
// frame log keeps the last 10,000 frames and so grows until it is full; it
// is filled first with records of the same sizes as the polling makes, so
// the growth measured is what polling keeps beyond that bounded log.
int benchWindowMemory(int replies)
{
    constexpr int kPollMs = 20;
    constexpr int kWarmUp = 200;
    QProcess sim;
    const QString pty = bench::StartSimulator(sim);
    if (pty.isEmpty()) {
        std::printf("memory while the measurement window polls: the simulator did not start, skipped\n");
        return 0;
    }
    ui::SetMessageRecorder([](QWidget *, const QString &text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });

    QtSerialPortControl port;
    port.SetPortName(pty);
    QString error;
    if (!port.SetPortOpen(true, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    SerialLink link(&port);
    link.SettleMs = 5;
    link.PollMs = 2;
    link.PrepareReceive();

    // A full log of polling traffic: the 8-byte request and the 113-byte
    // reply, each in an array of its own as the link records them.
    const QByteArray request = threephase::MeasurementPoll(1);
    QByteArray reply("\x01\x03\x6C", 3);
    reply.append(QByteArray(108, '\0'));
    AppendCrc(reply);
    for (std::size_t i = 0; i < link.Log().Capacity(); i += 2) {
        link.Log().Append({.direction = FrameRecord::Direction::Sent,
                           .bytes = QByteArray(request.constData(), request.size())});
        link.Log().Append({.direction = FrameRecord::Direction::Received,
                           .verdict = FrameRecord::Verdict::Handed,
                           .bytes = QByteArray(reply.constData(), reply.size())});
    }

    threephase::MeasurementWindow window(link);
    window.show();
    window.findChild<QSpinBox *>(QStringLiteral("SpinEdit1"))->setValue(1);
    window.findChild<QTimer *>(QStringLiteral("Timer1"))->setInterval(kPollMs);

    // Runs the event loop until the window has shown count measurements.
    QEventLoop loop;
    int shown = 0;
    int target = 0;
    QObject::connect(window.findChild<RecordButton *>(QStringLiteral("RecordButton")), &RecordButton::Measured,
                     &loop, [&] {
                         if (++shown >= target)
                             loop.quit();
                     });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto showUntil = [&](int count) {
        target = count;
        guard.start(120000);
        if (shown < count)
            loop.exec();
        return shown >= count;
    };

    window.findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
    // The first replies pay for one-time work (fonts, the first paint).
    if (!showUntil(kWarmUp)) {
        std::fprintf(stderr, "the measurement window showed only %d replies\n", shown);
        return 1;
    }
    const long before = residentKb();
    const long long heapBefore = heapInUse();
    QElapsedTimer clock;
    clock.start();
    if (!showUntil(kWarmUp + replies)) {
        std::fprintf(stderr, "the measurement window showed only %d replies\n", shown);
        return 1;
    }
    const long after = residentKb();
    const long long heapAfter = heapInUse();
    const double seconds = clock.elapsed() / 1000.0;
    window.findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
    std::printf("RSS growth over %d replies shown by the three-phase measurement window, polling the simulator "
                "every %d ms, frame log already full (%zu frames): %+ld KiB (%.0f bytes per reply; heap in use "
                "%+.0f KiB; %.0f s)\n",
                replies, kPollMs, link.Log().Size(), after - before, (after - before) * 1024.0 / replies,
                (heapAfter - heapBefore) / 1024.0, seconds);
    bench::StopSimulator(sim);
    return 0;
}
#endif

int benchStartup(const QString &program)
{
    if (!QFileInfo::exists(program)) {
        std::printf("start-up: %s not found, skipped\n", qPrintable(program));
        return 0;
    }
    QByteArray path = program.toLocal8Bit();
    QByteArray flag("--quit-after-show");
    char *argv[] = {path.data(), flag.data(), nullptr};
    // Without a display the program is measured on the offscreen platform.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::vector<double> times;
    long peakKb = 0;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        pid_t pid = 0;
        if (posix_spawn(&pid, path.constData(), nullptr, nullptr, argv, environ) != 0) {
            std::perror("posix_spawn");
            return 1;
        }
        int status = 0;
        rusage ru{};
        wait4(pid, &status, 0, &ru);
        times.push_back(t.nsecsElapsed() / 1e6);
        peakKb = std::max(peakKb, ru.ru_maxrss);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "%s --quit-after-show failed (status %d)\n", path.constData(), status);
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("start-up to main window shown, all windows created, then exit: median %.0f ms, max %.0f ms (5 runs)\n",
                times[times.size() / 2], times.back());
    std::printf("peak RSS: %.1f MiB\n", peakKb / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
#if defined(KZ_BENCH_MONITOR) || defined(KZ_BENCH_WINDOW)
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    double closedStall = 0;
    int rc = benchLink(50, Opening::Nothing, &closedStall);
#ifdef KZ_BENCH_MONITOR
    double openStall = 0;
    if (rc == 0)
        rc = benchLink(50, Opening::Monitor, &openStall);
    double emptyStall = 0;
    if (rc == 0)
        rc = benchLink(50, Opening::EmptyWindow, &emptyStall);
    if (rc == 0)
        std::printf("longest stall with the monitor opening / closed: %.1fx (an empty window opening / closed: %.1fx)\n",
                    openStall / closedStall, emptyStall / closedStall);
#endif
#ifdef KZ_BENCH_WINDOW
    if (rc == 0)
        rc = benchWindowMemory(2000);
#endif
    if (rc == 0)
        rc = benchStartup(QCoreApplication::applicationDirPath() + "/kzdebug");
    return rc;
}
