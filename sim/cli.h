#pragma once
// Command line of the kzsim program.
#include "sim/faults.h"
#include "sim/instrument.h"
#include "sim/miswire.h"
#include "sim/threephase.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <utility>

namespace sim {

struct SimOptions {
    // Where the bus is served: a pseudo-terminal, or a TCP server passing
    // RTU frames (--tcp) or speaking Modbus TCP (--mbtcp).
    enum class Serve { Pty, Tcp, Mbtcp };
    Serve serve = Serve::Pty;
    QString listenHost = QStringLiteral("127.0.0.1");
    quint16 listenPort = 0; // 0: any free port
    QString link;
    QList<std::pair<std::uint8_t, Family>> instruments;
    std::uint64_t seed = 1;
    QList<FaultRule> faults;
    // Switch inputs closed at start: instrument address and input 1..3.
    QList<std::pair<std::uint8_t, int>> inputs;
    // When above 0, every instrument flips its next switch input (DI1, DI2,
    // DI3 in turn) every that many seconds, so lamps and event logs move.
    int toggleSeconds = 0;
    // --load and --miswire: the plant and the wiring of every three-phase
    // instrument on the bus.
    std::optional<ThreePhasePlant> load;
    std::optional<Miswire> miswire;
    bool verbose = false;
    bool help = false;
};

// "U,I,PF" of --load: phase voltage in V, current in A, power factor with a
// negative sign for a leading (capacitive) load.
std::optional<ThreePhasePlant> ParseLoad(const QString &text, QString *error);

// The bus used when no --instrument is given.
QList<std::pair<std::uint8_t, Family>> DemoBus();

// "[ADDR:]PORT" of --tcp and --mbtcp: ADDR an IPv4 address or an IPv6
// address in brackets (127.0.0.1 when left out), PORT 0..65535 (0: any free
// port). False with *error set when malformed.
bool ParseListen(const QString &text, QString *host, quint16 *port, QString *error);

// "ADDR:PORT", an IPv6 address in brackets.
QString ListenText(const QString &host, quint16 port);

// Parses the arguments after the program name. Without --instrument the demo
// bus is filled in. On failure returns false with *error set.
bool ParseArguments(const QStringList &args, SimOptions *options, QString *error);

QString UsageText();

} // namespace sim
