#pragma once
// The simulator the benchmarks talk to: build/kzsim, started beside the
// benchmark program, on a pseudo-terminal it names on its standard output.
#include <QCoreApplication>
#include <QProcess>
#include <QString>

namespace bench {

// Starts the simulator in sim and returns its pseudo-terminal's path; empty
// when the simulator did not start or named no terminal within 5 s a line.
inline QString StartSimulator(QProcess &sim)
{
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kzsim"), {});
    QString pty;
    while (pty.isEmpty() && sim.waitForReadyRead(5000)) {
        const QString line = QString::fromUtf8(sim.readLine()).trimmed();
        if (line.startsWith(QLatin1String("PTY ")))
            pty = line.mid(4);
    }
    return pty;
}

// Stops a simulator StartSimulator started.
inline void StopSimulator(QProcess &sim)
{
    sim.terminate();
    sim.waitForFinished(3000);
}

} // namespace bench
