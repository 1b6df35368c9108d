#pragma once
// Wrong wiring of a simulated three-phase meter, and what such a meter
// measures, worked out from the physics: the plant's phase voltages and
// currents as phasors, put on the meter's terminals as wired, then each
// measuring element's power as voltage times the conjugate of current.
//
// Four-wire: element k is voltage terminal k (to neutral) times current
// input k. Three-wire: element 1 is Uab times current input A, element 2
// Ucb times current input C (the B input is not used); they are served in
// the phase A and phase C words, the B words carry no power and the current
// -(Ia + Ic).
//
// The miswire text, items separated by commas (case does not matter):
//   I=XYZ      the currents on inputs A, B, C: X, Y, Z are phase letters,
//              each may follow a '-' for a reversed current transformer
//              (I=A-BC: B reversed; I=CBA: A and C swapped)
//   U=XYZ      the phases on voltage terminals A, B, C (U=ACB: reverse
//              sequence)
//   lost=X     voltage terminal X (or several, lost=AB) has no voltage
//   three-wire the meter is set to three-wire at start
//   correct    nothing wrong (the same as an empty text)
#include <QString>

#include <array>
#include <optional>

namespace sim {

struct Miswire {
    std::array<int, 3> currents{0, 1, 2}; // phase (0 A .. 2 C) on current inputs A, B, C
    std::array<bool, 3> reversed{};
    std::array<int, 3> terminals{0, 1, 2}; // phase on voltage terminals A, B, C
    std::array<bool, 3> lost{};
    bool threeWire = false;
};

std::optional<Miswire> ParseMiswire(const QString &text, QString *error);
QString MiswireSyntaxHelp();

// The plant per phase A, B, C: voltage, current and load angle (radians,
// positive when the current lags).
struct PlantPhases {
    std::array<double, 3> volts{};
    std::array<double, 3> amps{};
    std::array<double, 3> loadAngle{};
};

// What the meter measures, per phase word A, B, C.
struct MeterView {
    std::array<double, 3> volts{};     // terminal to neutral (three-wire: to the terminals' mean)
    std::array<double, 3> lineVolts{}; // ab, bc, ca
    std::array<double, 3> amps{};
    std::array<double, 3> watts{};
    std::array<double, 3> vars{};
    double zeroSequenceAmps = 0;
    bool reverseSequence = false; // all three terminals live and turning A, C, B
};

MeterView Measure(const PlantPhases &plant, const Miswire &wiring, bool threeWire);

} // namespace sim
