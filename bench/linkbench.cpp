// Measures the receive path on a real pseudo-terminal:
//  - latency from the last byte of a reply to its reply handler running,
//  - the longest stall of the UI event loop meanwhile,
//  - the same stall with the traffic monitor open on a full log, and with an
//    empty window of the monitor's size opening instead, the least that
//    putting up a window costs,
//  - a soak of the three-phase measurement window polling the simulator with
//    the trend following it: the memory as the frame log and the trend fill
//    up to their bounds, and that it levels off once they are full,
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
#ifdef KZ_HAVE_CHARTS
#include "shell/trendwindow.h"
#endif
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
// Resident set size of this process, in KiB (-1 when unknown); anonymous
// leaves out the pages backed by files (the program's and libraries' code
// and data as they are paged in).
long residentKb(bool anonymous = false)
{
    std::FILE *statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return -1;
    long size = 0, resident = -1, shared = 0;
    if (std::fscanf(statm, "%ld %ld %ld", &size, &resident, &shared) != 3)
        resident = -1;
    std::fclose(statm);
    if (anonymous)
        resident -= shared;
    return resident < 0 ? -1 : resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Bytes the allocator has handed out and not had back, or (held) the bytes
// it holds from the system, free ones included (-1 when unknown).
long long heapInUse(bool held = false)
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
    const struct mallinfo2 m = mallinfo2();
    return static_cast<long long>((held ? m.arena : m.uordblks) + m.hblkhd);
#else
    return -1;
#endif
}

// The three-phase measurement window polls the simulator (build/kzsim on a
// pseudo-terminal) through the link as in the program, only faster: its
// poll timer and the link's collection periods are shortened, and the trend
// window follows it as it does in the program. What grows while polling is
// held in two bounded stores: the link's frame log (the last 10,000 frames)
// and the trend (at most 3,600 points a quantity). The soak runs until both
// are full and then as long again, sampling the memory as it goes, so that
// the report shows the growth stop and what the two stores hold when full.
int benchWindowMemory(int replies)
{
    constexpr int kPollMs = 10;
    constexpr int kWarmUp = 200;
    constexpr int kSamples = 10;
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

    threephase::MeasurementWindow window(link);
#ifdef KZ_HAVE_CHARTS
    TrendWindow trend;
    trend.Follow(window.findChild<RecordButton *>(QStringLiteral("RecordButton")));
#endif
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
        guard.start(600000);
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
    const long rssStart = residentKb();
    const long anonStart = residentKb(true);
    const long long heapStart = heapInUse();
    const long long heldStart = heapInUse(true);
    std::vector<long> rss;
    std::vector<long long> heap;
    std::vector<long> anon;
    std::vector<long long> held;
    QElapsedTimer clock;
    clock.start();
    std::printf("memory while the three-phase measurement window polls every %d ms, the trend following it "
                "(replies shown, frames in the log, trend points a quantity, RSS, its "
                "anonymous part (no file-backed pages), heap held from the system and heap in use, since the start):\n",
                kPollMs);
    for (int i = 1; i <= kSamples; ++i) {
        if (!showUntil(kWarmUp + replies * i / kSamples)) {
            std::fprintf(stderr, "the measurement window showed only %d replies\n", shown);
            return 1;
        }
        rss.push_back(residentKb() - rssStart);
        heap.push_back(heapInUse() - heapStart);
        held.push_back(heapInUse(true) - heldStart);
        anon.push_back(residentKb(true) - anonStart);
        std::size_t points = 0;
#ifdef KZ_HAVE_CHARTS
        points = trend.Buffer().Captions().isEmpty() ? 0 : trend.Buffer().PointCount(0);
#endif
        std::printf("  %6d replies  %6zu frames  %5zu points  RSS %+6.2f MiB  anonymous %+6.2f MiB  held %+6.2f MiB  heap %+6.2f MiB\n",
                    shown - kWarmUp, link.Log().Size(), points, rss.back() / 1024.0, anon.back() / 1024.0, held.back() / 1048576.0,
                    heap.back() / 1048576.0);
    }
    window.findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
    // The last half of the samples comes after both stores are full.
    const std::size_t half = rss.size() / 2;
    std::printf("plateau: over the last %d replies RSS %+ld KiB (anonymous %+ld KiB), heap %+.0f KiB (%.0f s in all); "
                "the frame log and the trend hold %.1f MiB when full\n",
                replies - replies * int(half) / kSamples, rss.back() - rss[half - 1], anon.back() - anon[half - 1],
                (heap.back() - heap[half - 1]) / 1024.0, clock.elapsed() / 1000.0, heap.back() / 1048576.0);
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
        rc = benchWindowMemory(qEnvironmentVariableIntValue("KZ_SOAK_REPLIES") > 0 ? qEnvironmentVariableIntValue("KZ_SOAK_REPLIES") : 10000);
#endif
    if (rc == 0)
        rc = benchStartup(QCoreApplication::applicationDirPath() + "/kzdebug");
    return rc;
}
