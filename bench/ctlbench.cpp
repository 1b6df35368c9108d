// Benchmark of the command line's link against the simulator (build/kzsim
// as a child process on a pseudo-terminal, three meters at 1..3): the time
// of a 1..247 address scan and the time per read, each beside what the same
// bytes take on a real wire at 9600 baud (10 bits a byte with one stop bit,
// no parity). A pseudo-terminal has no baud rate, so the measured times show
// what the link itself adds: the wait for silent addresses and the time to
// recognise a complete reply.
#include "cli/meter.h"
#include "core/addressscan.h"
#include "link/modbusframes.h"
#include "bench/simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>

namespace {

double WireMs(qint64 bytes) { return double(bytes) * 10.0 * 1000.0 / 9600.0; }

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

    cli::SyncLink link;
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

    bench::StopSimulator(sim);
    return 0;
}
