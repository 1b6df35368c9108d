#include "threephase/wiring.h"

#include "core/tr.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace threephase::wiring {

namespace {

using C = std::complex<double>;

constexpr double kDeg = 180.0 / std::numbers::pi;

// Into -180..180.
double Wrap(double degrees)
{
    double d = std::fmod(degrees + 180.0, 360.0);
    if (d < 0)
        d += 360.0;
    return d - 180.0;
}

C Unit(double degrees)
{
    return std::polar(1.0, degrees / kDeg);
}

// Angles of the phases A, B, C in positive sequence.
constexpr std::array<double, 3> kPhaseAngles{0.0, -120.0, 120.0};

QString PhaseLetter(int phase)
{
    return QString(QChar(u'A' + phase));
}

std::uint16_t Word(const QByteArray &data, int index)
{
    const int at = 2 * index;
    return static_cast<std::uint16_t>((static_cast<std::uint8_t>(data.at(at)) << 8) |
                                      static_cast<std::uint8_t>(data.at(at + 1)));
}

bool IsEven(const std::array<int, 3> &order)
{
    int inversions = 0;
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j)
            inversions += order[i] > order[j];
    return inversions % 2 == 0;
}

// The six orders of 0, 1, 2.
QList<std::array<int, 3>> Orders()
{
    QList<std::array<int, 3>> out;
    std::array<int, 3> order{0, 1, 2};
    do
        out << order;
    while (std::next_permutation(order.begin(), order.end()));
    return out;
}

// The voltage input angles of four-wire: A, B, C, or A, C, B on reverse
// sequence.
std::array<double, 3> VoltageInputAngles(bool reverse)
{
    return reverse ? std::array<double, 3>{0.0, 120.0, -120.0} : kPhaseAngles;
}

// Three-wire terminal voltages a, b, c for a terminal order, with a lost
// terminal: b floats to the middle of a and c (the two voltage coils in
// series across them), a lost a or c takes the potential of b through its
// coil, so that element reads nothing.
std::array<C, 3> TerminalVoltages(const std::array<int, 3> &terminals, const std::array<bool, 3> &lost)
{
    std::array<C, 3> v;
    for (int t = 0; t < 3; ++t)
        v[t] = Unit(kPhaseAngles[terminals[t]]);
    if (lost[1])
        v[1] = (v[0] + v[2]) / 2.0;
    if (lost[0])
        v[0] = v[1];
    if (lost[2])
        v[2] = v[1];
    return v;
}

// What a connection makes each element's angle, less the load angle: the
// element's voltage angle less its current's (before the load angle).
// Elements with no voltage get NaN.
std::array<double, 3> Offsets(const Connection &c, Mode mode, bool reverse, const std::array<bool, 3> &lost)
{
    std::array<double, 3> out{};
    if (mode == Mode::FourWire) {
        const auto va = VoltageInputAngles(reverse);
        for (int k = 0; k < 3; ++k)
            out[k] = lost[k] ? std::nan("") : Wrap(va[k] - va[c.phase[k]] + (c.reversed[k] ? 180.0 : 0.0));
        return out;
    }
    const auto v = TerminalVoltages(c.terminals, lost);
    const C elements[2] = {v[0] - v[1], v[2] - v[1]};
    for (int e = 0; e < 2; ++e) {
        const int slot = e == 0 ? 0 : 2;
        if (std::abs(elements[e]) < 1e-6) {
            out[slot] = std::nan("");
            continue;
        }
        const double current = kPhaseAngles[c.phase[e]] + (c.reversed[e] ? 180.0 : 0.0);
        out[slot] = Wrap(std::arg(elements[e]) * kDeg - current);
    }
    out[1] = std::nan("");
    return out;
}

QString Joined(const QList<int> &phases)
{
    QStringList letters;
    for (int p : phases)
        letters << PhaseLetter(p);
    return letters.join(QStringLiteral("、"));
}

QString LostText(const std::array<bool, 3> &lost)
{
    QStringList parts;
    for (int k = 0; k < 3; ++k)
        if (lost[k])
            parts << kz::Tr(QT_TRANSLATE_NOOP("kz", "U%1断相")).arg(QChar(u'a' + k));
    return parts.join(QStringLiteral("；"));
}

QString SequenceText()
{
    return kz::Tr(QT_TRANSLATE_NOOP("kz", "相序错（电压逆相序）"));
}

} // namespace

std::optional<Readings> DecodeReadings(const QByteArray &data, const QByteArray &params, std::uint64_t stateBits)
{
    constexpr int kWords = 30;
    if (data.size() < 2 * kWords)
        return std::nullopt;
    const Ratios ratios = DecodeRatios(params);
    const double pt = ratios.pt;
    const double ct = ratios.ct;
    const auto s = [&](int index) { return static_cast<double>(static_cast<std::int16_t>(Word(data, index))); };
    Readings r;
    r.mode = ratios.wiring == 1 ? Mode::ThreeWire : Mode::FourWire;
    for (int k = 0; k < 3; ++k) {
        r.volts[k] = Word(data, k) * pt / 10.0;
        r.lineVolts[k] = Word(data, 3 + k) * pt / 10.0;
        r.amps[k] = Word(data, 8 + k) * ct / 1000.0;
        // Active and reactive power words carry W and var before the ratios.
        r.watts[k] = s(18 + k) * pt * ct;
        r.vars[k] = s(22 + k) * pt * ct;
        r.lostLamp[k] = (stateBits >> (16 + k)) & 1;
    }
    r.hertz = Word(data, 17) / 100.0;
    r.ctRatio = ct;
    r.sequenceLamp = (stateBits >> 57) & 1;
    return r;
}

Connection RightConnection(Mode mode)
{
    Connection c;
    if (mode == Mode::ThreeWire)
        c.phase = {0, 2, 1};
    return c;
}

bool RightlyWired(const Verdict &v, Mode mode)
{
    return v.status == Verdict::Status::Judged && v.fits.first().connection == RightConnection(mode) &&
           !v.reverseSequence && !v.lost[0] && !v.lost[1] && !v.lost[2];
}

QList<Connection> Connections(Mode mode)
{
    QList<Connection> out;
    if (mode == Mode::FourWire) {
        for (const auto &order : Orders())
            for (int polarity = 0; polarity < 8; ++polarity) {
                Connection c;
                c.phase = order;
                for (int k = 0; k < 3; ++k)
                    c.reversed[k] = (polarity >> k) & 1;
                out << c;
            }
        return out;
    }
    for (const auto &terminals : Orders())
        for (const std::array<int, 3> currents : {std::array<int, 3>{0, 2, 1}, std::array<int, 3>{2, 0, 1}})
            for (int polarity = 0; polarity < 4; ++polarity) {
                Connection c;
                c.terminals = terminals;
                c.phase = currents;
                c.reversed = {(polarity & 1) != 0, (polarity & 2) != 0, false};
                out << c;
            }
    return out;
}

QString FaultText(const Connection &c, Mode mode)
{
    QStringList parts;
    const int inputs = mode == Mode::FourWire ? 3 : 2;
    if (mode == Mode::ThreeWire && c.terminals != std::array<int, 3>{0, 1, 2}) {
        QString order;
        for (int t : c.terminals)
            order += PhaseLetter(t);
        parts << kz::Tr(QT_TRANSLATE_NOOP("kz", "电压接错（a、b、c端子接%1）")).arg(order);
        if (!IsEven(c.terminals))
            parts << SequenceText();
    }
    // Which phases' currents are on the wrong inputs.
    QList<int> misplaced;
    for (int k = 0; k < inputs; ++k) {
        const int expected = mode == Mode::FourWire ? k : (k == 0 ? 0 : 2);
        if (c.phase[k] != expected)
            misplaced << c.phase[k];
    }
    std::sort(misplaced.begin(), misplaced.end());
    if (misplaced.size() == 2)
        parts << kz::Tr(QT_TRANSLATE_NOOP("kz", "%1相电流接错")).arg(Joined(misplaced));
    else if (misplaced.size() == 3) {
        QStringList carried;
        for (int k = 0; k < 3; ++k)
            carried << QStringLiteral("I%1").arg(QChar(u'a' + c.phase[k]));
        parts << kz::Tr(QT_TRANSLATE_NOOP("kz", "三相电流错位（A、B、C元件接%1）")).arg(carried.join(QStringLiteral("、")));
    }
    QList<int> reversed;
    for (int k = 0; k < inputs; ++k)
        if (c.reversed[k])
            reversed << c.phase[k];
    std::sort(reversed.begin(), reversed.end());
    if (!reversed.isEmpty())
        parts << kz::Tr(QT_TRANSLATE_NOOP("kz", "%1相电流互感器极性接反")).arg(Joined(reversed));
    if (parts.isEmpty())
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "正确接线"));
    return parts.join(QStringLiteral("；"));
}

QString StatusText(Verdict::Status status)
{
    switch (status) {
    case Verdict::Status::Judged:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "已判定"));
    case Verdict::Status::Ambiguous:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "读数无法区分以下接线（所需负载角不同）"));
    case Verdict::Status::NoFit:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "没有接线在负载角范围（滞后60°至超前30°）内相符，无法判断"));
    case Verdict::Status::TooLittleCurrent:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "电流太小，无法判断"));
    case Verdict::Status::NoVoltage:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "电压不足，无法判断"));
    }
    return {};
}

namespace {

// Which voltages the meter has lost: its lamps, or a voltage far below the
// highest (the lamps only light when their alarms are enabled).
std::array<bool, 3> LostVoltages(const Readings &r, const Limits &limits)
{
    std::array<bool, 3> lost = r.lostLamp;
    if (r.mode == Mode::FourWire) {
        const double highest = *std::max_element(r.volts.begin(), r.volts.end());
        for (int k = 0; k < 3; ++k)
            lost[k] = lost[k] || r.volts[k] < highest * limits.lostFraction;
        return lost;
    }
    // Three-wire: a lost a or c leaves its line voltage to b at nothing; a
    // lost b halves both of them against Uca.
    const double uab = r.lineVolts[0], ubc = r.lineVolts[1], uca = r.lineVolts[2];
    const double highest = std::max({uab, ubc, uca});
    lost[0] = lost[0] || uab < highest * limits.lostFraction;
    lost[2] = lost[2] || ubc < highest * limits.lostFraction;
    lost[1] = lost[1] || (!lost[0] && !lost[2] && uab < uca * 0.7 && ubc < uca * 0.7);
    return lost;
}

// The power the load truly takes under a connection and load angle: the
// measured magnitudes put back on the phases they belong to.
double TruePower(const Readings &r, const Connection &c, double loadAngle, const std::array<bool, 3> &lost)
{
    const double cosine = std::cos(loadAngle / kDeg);
    if (r.mode == Mode::FourWire) {
        double present = 0;
        int count = 0;
        for (int k = 0; k < 3; ++k)
            if (!lost[k]) {
                present += r.volts[k];
                ++count;
            }
        const double stand = count ? present / count : 0; // a lost phase still has its voltage
        double total = 0;
        for (int k = 0; k < 3; ++k) {
            const int phase = c.phase[k];
            total += (lost[phase] ? stand : r.volts[phase]) * r.amps[k] * cosine;
        }
        return total;
    }
    const double line = std::max({r.lineVolts[0], r.lineVolts[1], r.lineVolts[2]});
    double ia = 0, ic = 0;
    for (int e = 0; e < 2; ++e)
        (c.phase[e] == 0 ? ia : ic) = r.amps[e == 0 ? 0 : 2];
    return line * (ia * std::cos((loadAngle + 30.0) / kDeg) + ic * std::cos((loadAngle - 30.0) / kDeg));
}

} // namespace

Verdict Analyse(const Readings &r, const Limits &limits)
{
    Verdict v;
    v.lost = LostVoltages(r, limits);
    v.reverseSequence = r.sequenceLamp;
    const std::array<int, 3> elementSlots = r.mode == Mode::FourWire ? std::array<int, 3>{0, 1, 2} : std::array<int, 3>{0, 2, -1};
    int withVoltage = 0;
    int judged = 0;
    for (int slot : elementSlots) {
        if (slot < 0)
            continue;
        v.angles[slot] = std::atan2(r.vars[slot], r.watts[slot]) * kDeg;
        // Four-wire: the element's own voltage. Three-wire: element 1 reads
        // nothing without a, element 2 without c; a lost b leaves both half
        // of Uca.
        const bool voltage = !v.lost[slot];
        withVoltage += voltage;
        v.judged[slot] = voltage && r.amps[slot] / std::max(r.ctRatio, 1.0) >= limits.minSecondaryAmps;
        judged += v.judged[slot];
    }
    QStringList voltageFaults;
    if (r.mode == Mode::FourWire) {
        if (const QString lost = LostText(v.lost); !lost.isEmpty())
            voltageFaults << lost;
        if (v.reverseSequence)
            voltageFaults << SequenceText();
    } else if (const QString lost = LostText(v.lost); !lost.isEmpty()) {
        voltageFaults << lost;
    }
    const auto finish = [&](Verdict::Status status, const QString &fault) {
        v.status = status;
        QStringList parts = voltageFaults;
        if (status == Verdict::Status::Judged) {
            if (fault != kz::Tr(QT_TRANSLATE_NOOP("kz", "正确接线")) || parts.isEmpty())
                parts << fault;
        } else {
            parts << StatusText(status);
        }
        v.text = parts.join(QStringLiteral("；"));
        return v;
    };
    if (withVoltage < 2)
        return finish(Verdict::Status::NoVoltage, {});
    if (judged < 2)
        return finish(Verdict::Status::TooLittleCurrent, {});

    const double low = limits.minLoadAngle - limits.angleMargin;
    const double high = limits.maxLoadAngle + limits.angleMargin;
    for (const Connection &c : Connections(r.mode)) {
        // Three-wire: the 相序错 lamp says which way the terminals turn.
        if (r.mode == Mode::ThreeWire && IsEven(c.terminals) == r.sequenceLamp)
            continue;
        const auto offsets = Offsets(c, r.mode, r.sequenceLamp, v.lost);
        // The load angle: the mean of what each judged element implies.
        C sum;
        int n = 0;
        for (int k = 0; k < 3; ++k)
            if (v.judged[k] && !std::isnan(offsets[k])) {
                sum += Unit(v.angles[k] - offsets[k]);
                ++n;
            }
        if (n < 2)
            continue;
        const double load = std::arg(sum) * kDeg;
        double squares = 0;
        for (int k = 0; k < 3; ++k)
            if (v.judged[k] && !std::isnan(offsets[k]))
                squares += std::pow(Wrap(v.angles[k] - offsets[k] - load), 2);
        const double residual = std::sqrt(squares / n);
        if (residual > limits.maxResidual || load < low || load > high)
            continue;
        Fit fit;
        fit.connection = c;
        fit.loadAngle = load;
        fit.residual = residual;
        // Three-wire: the two elements only (the B words carry no element).
        const double measured = r.watts[0] + r.watts[2] + (r.mode == Mode::FourWire ? r.watts[1] : 0.0);
        const double truePower = TruePower(r, c, load, v.lost);
        if (std::abs(measured) > std::abs(truePower) * 0.02)
            fit.correction = truePower / measured;
        fit.fault = FaultText(c, r.mode);
        // Connections that differ only on elements not judged read the
        // same: one stands for them, and says which it could not see.
        const auto same = [&](const Fit &other) {
            const auto theirs = Offsets(other.connection, r.mode, r.sequenceLamp, v.lost);
            for (int k = 0; k < 3; ++k)
                if (v.judged[k] && !std::isnan(offsets[k]) && std::abs(Wrap(theirs[k] - offsets[k])) > 1e-6)
                    return false;
            return true;
        };
        if (std::any_of(v.fits.begin(), v.fits.end(), same))
            continue;
        QStringList unseen;
        for (int k : elementSlots)
            if (k >= 0 && !v.judged[k])
                unseen << PhaseLetter(k);
        if (!unseen.isEmpty())
            fit.fault += kz::Tr(QT_TRANSLATE_NOOP("kz", "（%1元件未判断）")).arg(unseen.join(QStringLiteral("、")));
        v.fits << fit;
    }
    // Fits the readings cannot tell apart differ in the load angle they
    // need; a power factor near 1 is the likelier.
    std::stable_sort(v.fits.begin(), v.fits.end(), [](const Fit &a, const Fit &b) {
        const double da = std::round(std::abs(a.loadAngle)), db = std::round(std::abs(b.loadAngle));
        return da != db ? da < db : a.residual < b.residual;
    });
    if (v.fits.isEmpty())
        return finish(Verdict::Status::NoFit, {});
    if (v.fits.size() == 1)
        return finish(Verdict::Status::Judged, v.fits.first().fault);
    return finish(Verdict::Status::Ambiguous, {});
}

Diagram PhasorDiagram(const Readings &r, const Verdict &verdict)
{
    Diagram d;
    if (r.mode == Mode::FourWire) {
        const auto va = VoltageInputAngles(verdict.reverseSequence);
        for (int k = 0; k < 3; ++k) {
            d.present[k] = true;
            d.voltages[k] = {r.volts[k], va[k]};
            d.currents[k] = {r.amps[k], Wrap(va[k] - verdict.angles[k])};
        }
        return d;
    }
    // Three-wire: Uab and Ucb where a right connection puts them.
    const double elementAngles[3] = {30.0, 0.0, 90.0};
    const double elementVolts[3] = {r.lineVolts[0], 0.0, r.lineVolts[1]};
    for (int slot : {0, 2}) {
        d.present[slot] = true;
        d.voltages[slot] = {elementVolts[slot], elementAngles[slot]};
        d.currents[slot] = {r.amps[slot], Wrap(elementAngles[slot] - verdict.angles[slot])};
    }
    return d;
}

} // namespace threephase::wiring
