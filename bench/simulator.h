#pragma once
// The simulator the benchmarks talk to: build/kzsim, started beside the
// benchmark program, on a pseudo-terminal or a TCP port it names on its
// standard output.
#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace bench {

// Starts the simulator in sim with args and returns the port to open: the
// pseudo-terminal's path, or with --tcp or --mbtcp the tcp:// or mbtcp://
// name of its address. Empty when the simulator did not start or named no
// port within 5 s a line.
inline QString StartSimulator(QProcess &sim, const QStringList &args = {})
{
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kzsim"), args);
    QString port;
    while (port.isEmpty() && sim.waitForReadyRead(5000)) {
        const QString line = QString::fromUtf8(sim.readLine()).trimmed();
        if (line.startsWith(QLatin1String("PTY ")))
            port = line.mid(4);
        else if (line.startsWith(QLatin1String("TCP ")))
            port = QStringLiteral("tcp://") + line.mid(4);
        else if (line.startsWith(QLatin1String("MBTCP ")))
            port = QStringLiteral("mbtcp://") + line.mid(6);
    }
    return port;
}

// Stops a simulator StartSimulator started.
inline void StopSimulator(QProcess &sim)
{
    sim.terminate();
    sim.waitForFinished(3000);
}

} // namespace bench
