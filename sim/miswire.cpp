#include "sim/miswire.h"

#include <QStringList>

#include <cmath>
#include <complex>
#include <numbers>

namespace sim {

namespace {

int PhaseOf(QChar letter)
{
    const QChar c = letter.toUpper();
    return c == u'A' ? 0 : c == u'B' ? 1 : c == u'C' ? 2 : -1;
}

} // namespace

std::optional<Miswire> ParseMiswire(const QString &text, QString *error)
{
    Miswire m;
    for (const QString &raw : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString item = raw.trimmed();
        const QString lower = item.toLower();
        if (lower == QLatin1String("correct"))
            continue;
        if (lower == QLatin1String("three-wire")) {
            m.threeWire = true;
            continue;
        }
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        const QString key = item.left(eq).toLower();
        const QString value = eq < 0 ? QString() : item.mid(eq + 1);
        if (key == QLatin1String("i")) {
            int input = 0;
            bool minus = false;
            for (QChar c : value) {
                if (c == u'-' && !minus) {
                    minus = true;
                    continue;
                }
                const int phase = PhaseOf(c);
                if (phase < 0 || input > 2) {
                    input = -1;
                    break;
                }
                m.currents[input] = phase;
                m.reversed[input] = minus;
                minus = false;
                ++input;
            }
            if (input != 3 || minus) {
                *error = QStringLiteral("'%1': I= takes three phase letters, each may follow a '-', e.g. I=A-BC")
                             .arg(item);
                return std::nullopt;
            }
        } else if (key == QLatin1String("u")) {
            bool ok = value.size() == 3;
            for (int t = 0; ok && t < 3; ++t) {
                m.terminals[t] = PhaseOf(value[t]);
                ok = m.terminals[t] >= 0;
            }
            if (!ok || m.terminals[0] == m.terminals[1] || m.terminals[1] == m.terminals[2] ||
                m.terminals[0] == m.terminals[2]) {
                *error = QStringLiteral("'%1': U= takes the three phase letters in some order, e.g. U=ACB").arg(item);
                return std::nullopt;
            }
        } else if (key == QLatin1String("lost")) {
            bool ok = !value.isEmpty();
            for (QChar c : value) {
                const int phase = PhaseOf(c);
                ok = ok && phase >= 0;
                if (phase >= 0)
                    m.lost[phase] = true;
            }
            if (!ok) {
                *error = QStringLiteral("'%1': lost= takes terminal letters, e.g. lost=B").arg(item);
                return std::nullopt;
            }
        } else {
            *error = QStringLiteral("'%1': expected I=, U=, lost=, three-wire or correct").arg(item);
            return std::nullopt;
        }
    }
    return m;
}

QString MiswireSyntaxHelp()
{
    return QStringLiteral(
        "Miswire WIRING (three-phase instruments), items separated by commas:\n"
        "  I=XYZ       phases whose currents inputs A, B, C carry; '-' before a letter\n"
        "              reverses that current transformer: I=A-BC (B reversed),\n"
        "              I=CBA (A and C currents swapped). Three-wire uses inputs A and C.\n"
        "  U=XYZ       phases on voltage terminals A, B, C: U=ACB is reverse sequence\n"
        "  lost=X      voltage terminal X has no voltage (lost=B; several: lost=AB)\n"
        "  three-wire  set the meter to three-wire at start\n"
        "  correct     right wiring\n"
        "  e.g. --load 220,5,0.9 --miswire I=A-BC   or   --miswire U=ACB,lost=C\n");
}

MeterView Measure(const PlantPhases &plant, const Miswire &wiring, bool threeWire)
{
    using C = std::complex<double>;
    constexpr double third = 2.0 * std::numbers::pi / 3.0;
    const double phaseAngle[3] = {0.0, -third, third};
    std::array<C, 3> e, j;
    for (int x = 0; x < 3; ++x) {
        e[x] = std::polar(plant.volts[x], phaseAngle[x]);
        j[x] = std::polar(plant.amps[x], phaseAngle[x] - plant.loadAngle[x]);
    }
    std::array<C, 3> v, k;
    for (int t = 0; t < 3; ++t) {
        v[t] = e[wiring.terminals[t]];
        k[t] = wiring.reversed[t] ? -j[wiring.currents[t]] : j[wiring.currents[t]];
    }
    const bool anyLost = wiring.lost[0] || wiring.lost[1] || wiring.lost[2];
    MeterView view;
    if (!threeWire) {
        for (int t = 0; t < 3; ++t)
            if (wiring.lost[t])
                v[t] = 0;
        for (int t = 0; t < 3; ++t) {
            const C s = v[t] * std::conj(k[t]);
            view.volts[t] = std::abs(v[t]);
            view.amps[t] = std::abs(k[t]);
            view.watts[t] = s.real();
            view.vars[t] = s.imag();
        }
        view.zeroSequenceAmps = std::abs(k[0] + k[1] + k[2]);
    } else {
        // A lost b floats between a and c (the two voltage coils in series);
        // a lost a or c follows b through its coil.
        if (wiring.lost[1])
            v[1] = (v[0] + v[2]) / 2.0;
        if (wiring.lost[0])
            v[0] = v[1];
        if (wiring.lost[2])
            v[2] = v[1];
        const C s1 = (v[0] - v[1]) * std::conj(k[0]);
        const C s2 = (v[2] - v[1]) * std::conj(k[2]);
        view.watts = {s1.real(), 0.0, s2.real()};
        view.vars = {s1.imag(), 0.0, s2.imag()};
        view.amps = {std::abs(k[0]), std::abs(k[0] + k[2]), std::abs(k[2])};
        const C mean = (v[0] + v[1] + v[2]) / 3.0;
        for (int t = 0; t < 3; ++t)
            view.volts[t] = wiring.lost[t] ? 0.0 : std::abs(v[t] - mean);
    }
    for (int t = 0; t < 3; ++t)
        view.lineVolts[t] = std::abs(v[t] - v[(t + 1) % 3]);
    // B lagging A by 120 degrees is the right way round.
    view.reverseSequence = !anyLost && std::arg(v[1] / v[0]) > 0;
    return view;
}

} // namespace sim
