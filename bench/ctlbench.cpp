// Benchmark of the command line's link against the simulator (build/kzsim
// as a child process on a pseudo-terminal, three meters at 1..3): the time
// of a 1..247 address scan and the time per read, each beside what the same
// bytes take on a real wire at 9600 baud (10 bits a byte with one stop bit,
// no parity). A pseudo-terminal has no baud rate, so the measured times show
// what the link itself adds: the wait for silent addresses and the time to
// recognise a complete reply.
//
// Then the network: the same reads over loopback TCP in both gateway modes
// beside the pseudo-terminal (what a connection adds per exchange), and a
// kzctl backup of 4 simulated Modbus TCP gateways with 8 meters each, all
// at once, against the same 32 meters behind one gateway. Each reply can be
// held back by a fixed time (second argument, ms; default 30) standing in
// for the RS-485 wire behind a real gateway; the simulator alone answers at
// once, and then the run measures only the computer.
#include "cli/meter.h"
#include "core/addressscan.h"
#include "link/modbusframes.h"
#include "bench/simulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

double WireMs(qint64 bytes) { return double(bytes) * 10.0 * 1000.0 / 9600.0; }

// Milliseconds per read of the 42 measurement registers over port, or a
// negative number when a read failed.
double ReadMs(const QString &port, int reads)
{
    cli::SyncLink link;
    cli::PortSettings settings;
    settings.port = port;
    QString error;
    if (link.Open(settings, &error) != cli::SyncLink::OpenResult::Opened) {
        std::fprintf(stderr, "kzctlbench: %s\n", error.toUtf8().constData());
        return -1;
    }
    const QByteArray poll = modbus::ReadRegisters(1, 0x0000, 42);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < reads; ++i)
        if (!link.Transact(poll)) {
            std::fprintf(stderr, "kzctlbench: %s: read %d got no answer\n", port.toUtf8().constData(), i + 1);
            return -1;
        }
    return double(clock.nsecsElapsed()) / 1e6 / reads;
}

// Seconds kzctl takes to back up meters 1..count of every port, or a
// negative number when it failed.
double BackupSeconds(const QStringList &ports, int count, const QString &folder)
{
    QStringList args{"backup", "--family", "three-phase", "--address", QStringLiteral("1-%1").arg(count), "-o",
                     QDir(folder).filePath(QStringLiteral("site.json"))};
    for (const QString &p : ports)
        args << "--port" << p;
    QProcess kzctl;
    QElapsedTimer clock;
    clock.start();
    kzctl.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kzctl"), args);
    if (!kzctl.waitForFinished(600000) || kzctl.exitCode() != 0) {
        std::fprintf(stderr, "kzctlbench: kzctl backup failed: %s\n", kzctl.readAllStandardError().constData());
        return -1;
    }
    return double(clock.nsecsElapsed()) / 1e9;
}

// kzsim arguments for meters 1..count, all three-phase, each reply held
// back delayMs.
QStringList Meters(int count, int delayMs)
{
    QStringList args;
    for (int a = 1; a <= count; ++a)
        args << "--instrument" << QStringLiteral("%1:three-phase").arg(a);
    if (delayMs > 0)
        args << "--fault" << QStringLiteral("delay:%1").arg(delayMs);
    return args;
}

// The network part of the report; false when something failed.
bool NetworkReport(const QString &pty, int delayMs)
{
    const int reads = 200;
    QProcess tcp;
    QProcess mbtcp;
    const QString tcpPort = bench::StartSimulator(tcp, {"--tcp", "0"});
    const QString mbtcpPort = bench::StartSimulator(mbtcp, {"--mbtcp", "0"});
    if (tcpPort.isEmpty() || mbtcpPort.isEmpty()) {
        std::fputs("kzctlbench: the network simulators did not start\n", stderr);
        return false;
    }
    const double onPty = ReadMs(pty, reads);
    const double onTcp = ReadMs(tcpPort, reads);
    const double onMbtcp = ReadMs(mbtcpPort, reads);
    bench::StopSimulator(tcp);
    bench::StopSimulator(mbtcp);
    if (onPty < 0 || onTcp < 0 || onMbtcp < 0)
        return false;
    std::printf("read of 42 registers, %d reads each: pty %.3f ms, RTU over TCP %.3f ms (%+.3f ms), "
                "Modbus TCP %.3f ms (%+.3f ms) per exchange on loopback\n",
                reads, onPty, onTcp, onTcp - onPty, onMbtcp, onMbtcp - onPty);

    QTemporaryDir folder;
    std::vector<std::unique_ptr<QProcess>> gateways;
    QStringList ports;
    for (int g = 0; g < 4; ++g) {
        gateways.push_back(std::make_unique<QProcess>());
        ports << bench::StartSimulator(*gateways.back(), QStringList{"--mbtcp", "0"} + Meters(8, delayMs));
        if (ports.last().isEmpty()) {
            std::fputs("kzctlbench: a gateway simulator did not start\n", stderr);
            return false;
        }
    }
    QProcess one;
    const QString onePort = bench::StartSimulator(one, QStringList{"--mbtcp", "0"} + Meters(32, delayMs));
    if (onePort.isEmpty()) {
        std::fputs("kzctlbench: the one-gateway simulator did not start\n", stderr);
        return false;
    }
    const double parallel = BackupSeconds(ports, 8, folder.path());
    const double single = BackupSeconds({onePort}, 32, folder.path());
    for (auto &g : gateways)
        bench::StopSimulator(*g);
    bench::StopSimulator(one);
    if (parallel < 0 || single < 0)
        return false;
    std::printf("kzctl backup of 32 three-phase meters over Modbus TCP, each reply %d ms late:\n"
                "  4 gateways x 8 meters in parallel: %.2f s; 1 gateway x 32 meters: %.2f s; %.1fx faster\n",
                delayMs, parallel, single, single / parallel);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int timeoutMs = argc > 1 ? std::atoi(argv[1]) : 100;
    const int reads = 200;

    QProcess sim;
    const QString pty = bench::StartSimulator(sim);
    if (pty.isEmpty()) {
        std::fputs("kzctlbench: the simulator did not start (is build/kzsim there?)\n", stderr);
        return 1;
    }

    auto owned = std::make_unique<cli::SyncLink>();
    cli::SyncLink &link = *owned;
    QString error;
    cli::PortSettings settings;
    settings.port = pty;
    settings.timeoutMs = timeoutMs;
    if (link.Open(settings, &error) != cli::SyncLink::OpenResult::Opened) {
        std::fprintf(stderr, "kzctlbench: %s\n", error.toUtf8().constData());
        return 1;
    }

    // Scan 1..247 as kzctl does: a probe each, the family of those answering.
    QElapsedTimer clock;
    clock.start();
    int found = 0;
    qint64 wireBytes = 0;
    for (int a = 1; a <= 247; ++a) {
        wireBytes += 8;
        if (!link.Transact(AddressProbeFrame(std::uint8_t(a))))
            continue;
        wireBytes += 8;
        ++found;
        cli::ProbeFamily(link, std::uint8_t(a));
    }
    const double scanMs = double(clock.nsecsElapsed()) / 1e6;
    const int silent = 247 - found;
    std::printf("scan 1..247, %d meters found, timeout %d ms: %.0f ms\n", found, timeoutMs, scanMs);
    std::printf("  wire at 9600 baud: %.0f ms of probes and answers + %d silent addresses x %d ms = %.0f ms\n",
                WireMs(wireBytes), silent, timeoutMs, WireMs(wireBytes) + double(silent) * timeoutMs);

    // Reads of the three-phase measurement block (42 registers, 113-byte reply).
    const QByteArray poll = modbus::ReadRegisters(1, 0x0000, 42);
    qint64 replyBytes = 0;
    qint64 waitMicros = 0;
    clock.restart();
    for (int i = 0; i < reads; ++i) {
        const auto reply = link.Transact(poll);
        if (!reply) {
            std::fputs("kzctlbench: a read got no answer\n", stderr);
            return 1;
        }
        replyBytes = reply->size();
        waitMicros += link.LastWaitMicros();
    }
    const double perRead = double(clock.nsecsElapsed()) / 1e6 / reads;
    std::printf("read of 42 registers (%lld-byte reply), %d reads: %.3f ms each, %.3f ms waiting for the reply\n",
                static_cast<long long>(replyBytes), reads, perRead, double(waitMicros) / 1000.0 / reads);
    std::printf("  wire at 9600 baud: %.1f ms (8-byte request + reply)\n", WireMs(8 + replyBytes));
    std::fflush(stdout);

    owned.reset(); // the terminal is opened again below
    const int delayMs = argc > 2 ? std::atoi(argv[2]) : 30;
    const bool network = NetworkReport(pty, delayMs);
    bench::StopSimulator(sim);
    if (!network) {
        std::fputs("kzctlbench: the network part failed\n", stderr);
        return 1;
    }
    return 0;
}
