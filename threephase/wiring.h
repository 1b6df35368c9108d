#pragma once
// Wiring check of a three-phase meter from its own readings: the angle of
// each measuring element (from its active and reactive power), matched
// against every classic connection of the current inputs (which phase's
// current each input carries, and its polarity) and, three-wire, of the
// voltage terminals, for a load angle in a plausible range. The result names
// the fault in words, lists the connections that fit best first with their
// residual, and gives the correction factor (true power over the power the
// meter measured). Qt Core only.
//
// Angles are in degrees. A load angle is positive when the current lags its
// voltage (inductive), negative when it leads.
//
// Four-wire: element k is voltage input k times current input k. The
// voltage inputs are the reference: they are taken to carry A, B, C in
// positive sequence, or A, C, B when the meter lights 相序错. A connection
// says which voltage input's phase current each current input carries.
// Three-wire: two elements, Uab times current input 1 and Ucb times current
// input 2, reported in the phase A and phase C words of the measurement
// block (the B words unused). A connection names the phases on the voltage
// terminals a, b, c too.
#include "threephase/measurement.h"

#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace threephase::wiring {

enum class Mode { ThreeWire, FourWire };

// Per phase A, B, C (three-wire: element 1 in A, element 2 in C). Primary
// values: V, A, W, var.
struct Readings {
    Mode mode = Mode::FourWire;
    std::array<double, 3> volts{};     // phase voltages A, B, C
    std::array<double, 3> lineVolts{}; // Uab, Ubc, Uca
    std::array<double, 3> amps{};
    std::array<double, 3> watts{};
    std::array<double, 3> vars{};
    double hertz = 0;
    double ctRatio = 1;            // the minimum current is on the secondary side
    std::array<bool, 3> lostLamp{}; // Ua断相, Ub断相, Uc断相
    bool sequenceLamp = false;      // 相序错
};

// Readings from the measurement block's data bytes, the ratio block's data
// bytes and the 64 state bits; nothing when the data is short of the 30
// measurement words.
std::optional<Readings> DecodeReadings(const QByteArray &measurementData, const QByteArray &params,
                                       std::uint64_t stateBits);

struct Limits {
    double minLoadAngle = -30;   // most leading load angle believed
    double maxLoadAngle = 60;    // most lagging
    double minSecondaryAmps = 0.05; // below this an element is not judged
    double maxResidual = 8;      // degrees, RMS over the judged elements
    // A load angle this far outside the range still counts as inside it, so
    // that readings at its edge give the same verdict from poll to poll.
    double angleMargin = 3;
    double lostFraction = 0.3;   // a voltage below this share of the highest is lost
};

// One connection of the inputs.
struct Connection {
    // Four-wire: current input k carries the current of voltage input
    // phase[k] (0..2). Three-wire: inputs 1 and 2 carry phase[0], phase[1]
    // (0 for A, 2 for C) and phase[2] is unused.
    std::array<int, 3> phase{0, 1, 2};
    std::array<bool, 3> reversed{};
    // Three-wire only: the phase (0..2) on voltage terminals a, b, c.
    std::array<int, 3> terminals{0, 1, 2};
    bool operator==(const Connection &) const = default;
};

struct Fit {
    Connection connection;
    double loadAngle = 0; // the load angle this connection implies
    double residual = 0;  // RMS angle misfit over the judged elements
    std::optional<double> correction; // none when the meter measures next to nothing
    QString fault;        // the fault in words ("正确接线" when right)
};

struct Verdict {
    enum class Status {
        Judged,       // one connection fits
        Ambiguous,    // several fit: the readings cannot tell them apart
        NoFit,        // nothing fits in the load angle range
        TooLittleCurrent,
        NoVoltage,
    };
    Status status = Status::NoFit;
    QString text;       // the verdict in words
    QList<Fit> fits;    // best first: the nearest to unity power factor, then the residual
    std::array<double, 3> angles{};     // element angle, voltage to current
    std::array<bool, 3> judged{};       // the elements the fit used
    std::array<bool, 3> lost{};
    bool reverseSequence = false;
};

Verdict Analyse(const Readings &readings, const Limits &limits = {});

// The angle of each element's current from its voltage, and the phasors'
// angles for drawing: voltage and current angle of each element, with the
// first voltage at 0 degrees.
struct Phasor {
    double magnitude = 0;
    double angle = 0;
};
struct Diagram {
    std::array<Phasor, 3> voltages;
    std::array<Phasor, 3> currents;
    std::array<bool, 3> present{}; // three-wire: A and C only
};
Diagram PhasorDiagram(const Readings &readings, const Verdict &verdict);

// Words for a connection's fault ("正确接线", "B相电流互感器极性接反",
// "A、C相电流接错", ...), translated.
QString FaultText(const Connection &connection, Mode mode);
QString StatusText(Verdict::Status status);

// The right connection of a mode.
Connection RightConnection(Mode mode);
// Judged, the right connection, no voltage lost and the right sequence.
bool RightlyWired(const Verdict &verdict, Mode mode);

// Every classic connection: 48 for four-wire (6 orders of the currents x 8
// polarities), 48 for three-wire (6 terminal orders x 2 current orders x 4
// polarities).
QList<Connection> Connections(Mode mode);

} // namespace threephase::wiring
