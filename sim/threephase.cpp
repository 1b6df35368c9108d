#include "sim/threephase.h"

#include "sim/modbus.h"
#include "sim/registerwords.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace sim {

namespace {

// High byte 0, low byte two BCD digits worth at most max.
HoldingArea::WriteCheck BcdByteAtMost(int max)
{
    return [max](std::uint16_t value) { return value <= 0xFF && IsBcd(value) && BcdValue(value) <= max; };
}

constexpr double kDegrees120 = 2.0 * std::numbers::pi / 3.0;

} // namespace

ThreePhaseInstrument::ThreePhaseInstrument(std::uint64_t seed)
    : MeterInstrument({.wordCount = kWordCount,
                       .energyLast = kEnergyLast,
                       .readableLast = kStateLast,
                       .baseFirst = kBaseActive,
                       .clockFirst = kClockFirst,
                       .address = 1,
                       .maxAddress = 247,
                       .loneClockWrite = true,
                       .calibrationPoints = kCalibrationPoints})
{
    DefineSettings();
    StartEnergies(1234567, 1234, 456789, 987);
    SetPlant(plant_);
    Seed(seed);
}

void ThreePhaseInstrument::DefineSettings()
{
    // Alarm enables: only the phase-sequence alarm (0x37 bit 10) is on, and
    // the switch inputs are active when closed. 0x37 has no bits 14 and 15.
    alarmEnables_.Define(0x37, 0x0400, OnlyBits(0x3FFF));

    // Display: all three windows cyclic, 5 s per quantity, no energy metering
    // time; the cycles show the phase voltages, currents and active powers.
    display_.Define(0x38, 0, BcdByteAtMost(9));
    display_.Define(0x39, 0, BcdByteAtMost(9));
    display_.Define(0x3A, 0, BcdByteAtMost(24));
    for (std::uint16_t reg = 0x3B; reg <= 0x3D; ++reg)
        display_.Define(reg, ToBcd(5), BcdByteAtMost(99));
    display_.Define(0x3E, 0, IsBcd);
    display_.Define(0x3F, 0x0007, OnlyBits(0x01FF));
    display_.Define(0x40, 0x0007, OnlyBits(0x01FF));
    display_.Define(0x41, 0x0007);
    display_.Define(0x42, 0x0000, OnlyBits(0x00FF));

    // Initialisation: four-wire, ratios 1, small units, reclosing after 5 s.
    init_.Define(kWiringMode, 2, [](std::uint16_t mode) { return mode == 1 || mode == 2; });
    init_.Define(kPtRatio, ToBcd(1), IsBcd);
    init_.Define(kCtRatio, ToBcd(1), IsBcd);
    for (std::uint16_t reg : {kVoltageUnit, kCurrentUnit, kActivePowerUnit, kReactivePowerUnit,
                              kApparentPowerUnit, kActiveEnergyUnit, kReactiveEnergyUnit})
        init_.Define(reg, 0, AtMost(1));
    init_.Define(kReclosingDelay, ToBcd(5), IsBcd);

    // Alarm limits, group after group from 0x1000. Limits are pairs of value
    // and number of decimals; every group ends with its delay and relay.
    std::uint16_t reg = kLimitFirst;
    const auto limit = [&](std::uint16_t digits, std::uint16_t decimals) {
        limits_.Define(reg++, digits, IsBcd);
        limits_.Define(reg++, decimals, AtMost(3));
    };
    const auto signedLimit = [&](std::int16_t value) {
        limits_.Define(reg++, static_cast<std::uint16_t>(value), IsSignedLimit);
        limits_.Define(reg++, 0, AtMost(4));
    };
    const auto delay = [&] { limits_.Define(reg++, ToBcd(5), IsBcd); };
    const auto relay = [&] { limits_.Define(reg++, 0, AtMost(3)); }; // BCD 0..3
    const auto input = [&] { limits_.Define(reg++, 0, AtMost(3)); };

    for (int quantity = 0; quantity < 8; ++quantity) { // Ua .. line average
        limit(0x0999, 0);
        limit(0, 0);
    }
    limit(0, 0); // hysteresis
    delay();
    relay(); // voltage alarms
    relay(); // phase loss

    for (int quantity = 0; quantity < 5; ++quantity) { // Ia, Ib, Ic, average, zero-sequence
        limit(0x0999, 0);
        limit(0, 0);
    }
    for (int hysteresis = 0; hysteresis < 3; ++hysteresis) // phase, average, zero-sequence
        limit(0, 0);
    delay();
    relay();

    for (int phase = 0; phase < 4; ++phase) { // power factor 1.000
        limit(0x1000, 3);
        limit(0, 0);
    }
    limit(0, 0);
    delay();
    relay();

    for (int phase = 0; phase < 4; ++phase) { // active power, signed
        signedLimit(9999);
        signedLimit(0);
    }
    signedLimit(0);
    delay();
    relay();

    for (int phase = 0; phase < 4; ++phase) { // reactive power
        limit(0x9999, 0);
        limit(0, 0);
    }
    limit(0, 0);
    delay();
    relay();

    for (int unbalance = 0; unbalance < 2; ++unbalance) { // current, voltage: 20.00 %
        limit(0x2000, 2);
        limit(0, 0);
        delay();
        relay();
    }

    limit(0x7500, 2); // frequency 75.00 Hz
    limit(0x4500, 2); // 45.00 Hz
    limit(0, 0);
    delay();
    relay();

    delay(); // phase sequence
    relay();

    relay(); // DI1..DI3
    relay();
    relay();
    input(); // OUT1..OUT3
    input();
    input();
}

void ThreePhaseInstrument::SetPlant(const ThreePhasePlant &plant)
{
    plant_ = plant;
    // A slightly unbalanced starting point, so the three phases differ.
    volts_ = {plant.phaseVolts, plant.phaseVolts * 1.002, plant.phaseVolts * 0.998};
    amps_ = {plant.amps, plant.amps * 1.01, plant.amps * 0.99};
    pf_ = {plant.powerFactor, plant.powerFactor, plant.powerFactor};
    hertz_ = plant.hertz;
}

void ThreePhaseInstrument::SetMiswire(const Miswire &wiring)
{
    miswire_ = wiring;
    miswired_ = true;
    if (wiring.threeWire)
        SetWiringMode(1);
}

std::optional<MeterView> ThreePhaseInstrument::Terminals() const
{
    const bool threeWire = (init_.Value(kWiringMode) & 0xFF) == 1;
    if (!miswired_ && !threeWire && !plant_.leading)
        return std::nullopt;
    PlantPhases phases;
    for (int k = 0; k < 3; ++k) {
        phases.volts[k] = volts_[k];
        phases.amps[k] = amps_[k];
        const double phi = std::acos(std::clamp(std::fabs(pf_[k]), 0.0, 1.0));
        phases.loadAngle[k] = plant_.leading ? -phi : phi;
    }
    return Measure(phases, miswire_, threeWire);
}

void ThreePhaseInstrument::SetRatios(int pt, int ct)
{
    init_.Set(kPtRatio, ToBcd(pt));
    init_.Set(kCtRatio, ToBcd(ct));
}

void ThreePhaseInstrument::SetUnitFlags(unsigned mask)
{
    const std::uint16_t regs[] = {kVoltageUnit,      kCurrentUnit,      kActivePowerUnit,
                                  kReactivePowerUnit, kApparentPowerUnit, kActiveEnergyUnit,
                                  kReactiveEnergyUnit};
    for (int bit = 0; bit < 7; ++bit)
        init_.Set(regs[bit], (mask >> bit) & 1u);
}

bool ThreePhaseInstrument::SetRegister(std::uint16_t reg, std::uint16_t value)
{
    return init_.Set(reg, value);
}

std::uint16_t ThreePhaseInstrument::Register(std::uint16_t reg) const
{
    return init_.Value(reg);
}

int ThreePhaseInstrument::Pt() const
{
    const int v = BcdValue(init_.Value(kPtRatio));
    return v == 0 ? 1 : v;
}

int ThreePhaseInstrument::Ct() const
{
    const int v = BcdValue(init_.Value(kCtRatio));
    return v == 0 ? 1 : v;
}

std::uint16_t ThreePhaseInstrument::RawWord(std::uint16_t reg) const
{
    if (reg >= kWordCount)
        return 0;
    return ComputeWords()[reg];
}

std::array<std::uint16_t, ThreePhaseInstrument::kWordCount> ThreePhaseInstrument::ComputeWords() const
{
    using C = std::complex<double>;
    const double pt = Pt();
    const double ct = Ct();
    const double ptct = pt * ct;
    std::array<std::uint16_t, kWordCount> w{};

    // Phasors: voltages at 0, -120, +120 degrees; each current lags its
    // voltage by the phase angle of its power factor.
    std::array<C, 3> u, i;
    std::array<double, 3> p{}, q{}, s{};
    for (int k = 0; k < 3; ++k) {
        const double angle = -kDegrees120 * (k == 2 ? -1 : k);
        const double phi = std::acos(std::clamp(pf_[k], -1.0, 1.0));
        u[k] = std::polar(volts_[k], angle);
        i[k] = std::polar(amps_[k], angle - phi);
        s[k] = volts_[k] * amps_[k];
        p[k] = s[k] * pf_[k];
        q[k] = s[k] * std::sin(phi);
    }
    const double line[3] = {std::abs(u[0] - u[1]), std::abs(u[1] - u[2]), std::abs(u[2] - u[0])};
    double sumV = 0, sumL = 0, sumI = 0, pt3 = 0, qt3 = 0;
    for (int k = 0; k < 3; ++k) {
        w[k] = RawUnsigned(volts_[k] * 10.0 / pt);
        w[3 + k] = RawUnsigned(line[k] * 10.0 / pt);
        w[8 + k] = RawUnsigned(amps_[k] * 1000.0 / ct);
        w[13 + k] = RawSigned(pf_[k] * 1000.0);
        w[18 + k] = RawSigned(p[k] / ptct);
        w[22 + k] = RawSigned(q[k] / ptct);
        w[26 + k] = RawSigned(s[k] / ptct);
        sumV += volts_[k];
        sumL += line[k];
        sumI += amps_[k];
        pt3 += p[k];
        qt3 += q[k];
    }
    const double st3 = std::hypot(pt3, qt3);
    w[6] = RawUnsigned(sumV / 3.0 * 10.0 / pt);
    w[7] = RawUnsigned(sumL / 3.0 * 10.0 / pt);
    w[11] = RawUnsigned(std::abs(i[0] + i[1] + i[2]) * 1000.0 / ct);
    w[12] = RawUnsigned(sumI / 3.0 * 1000.0 / ct);
    w[16] = RawSigned(st3 > 0 ? pt3 / st3 * 1000.0 : 1000.0);
    w[17] = RawUnsigned(hertz_ * 100.0);
    w[21] = RawSigned(pt3 / ptct);
    w[25] = RawSigned(qt3 / ptct);
    w[29] = RawSigned(st3 / ptct);

    if (const auto view = Terminals()) {
        // The same words from what the meter's terminals see.
        double pTotal = 0, qTotal = 0, sumV = 0, sumL = 0, sumI = 0;
        for (int k = 0; k < 3; ++k) {
            const double apparent = std::hypot(view->watts[k], view->vars[k]);
            w[k] = RawUnsigned(view->volts[k] * 10.0 / pt);
            w[3 + k] = RawUnsigned(view->lineVolts[k] * 10.0 / pt);
            w[8 + k] = RawUnsigned(view->amps[k] * 1000.0 / ct);
            w[13 + k] = RawSigned(apparent > 0 ? view->watts[k] / apparent * 1000.0 : 0.0);
            w[18 + k] = RawSigned(view->watts[k] / ptct);
            w[22 + k] = RawSigned(view->vars[k] / ptct);
            w[26 + k] = RawSigned(apparent / ptct);
            pTotal += view->watts[k];
            qTotal += view->vars[k];
            sumV += view->volts[k];
            sumL += view->lineVolts[k];
            sumI += view->amps[k];
        }
        const double sTotal = std::hypot(pTotal, qTotal);
        w[6] = RawUnsigned(sumV / 3.0 * 10.0 / pt);
        w[7] = RawUnsigned(sumL / 3.0 * 10.0 / pt);
        w[11] = RawUnsigned(view->zeroSequenceAmps * 1000.0 / ct);
        w[12] = RawUnsigned(sumI / 3.0 * 1000.0 / ct);
        w[16] = RawSigned(sTotal > 0 ? pTotal / sTotal * 1000.0 : 1000.0);
        w[21] = RawSigned(pTotal / ptct);
        w[25] = RawSigned(qTotal / ptct);
        w[29] = RawSigned(sTotal / ptct);
    }

    ApplyWordPins(w);
    return w;
}

void ThreePhaseInstrument::Step()
{
    ++measurementReads_;
    if (Frozen())
        return;
    // Mean-reverting random walk around the nominal values.
    Wander wander(*this);
    for (int k = 0; k < 3; ++k) {
        volts_[k] = std::max(0.0, wander(volts_[k], plant_.phaseVolts, plant_.phaseVolts * 0.002));
        amps_[k] = std::max(0.0, wander(amps_[k], plant_.amps, plant_.amps * 0.01));
        pf_[k] = std::clamp(wander(pf_[k], plant_.powerFactor, 0.004), -1.0, 1.0);
    }
    hertz_ = wander(hertz_, plant_.hertz, 0.01);

    // Energy of the simulated interval, in hundredths of kWh / kvarh.
    double p = 0, q = 0;
    for (int k = 0; k < 3; ++k) {
        const double s = volts_[k] * amps_[k];
        p += s * pf_[k];
        q += s * std::sin(std::acos(pf_[k]));
    }
    CountEnergy(p, q);
}

std::function<std::uint16_t(int reg)> ThreePhaseInstrument::WordServer()
{
    return [this, words = ComputeWords()](int reg) {
        if (reg < kWordCount)
            return words[reg];
        return StateWords(words)[reg - kStateFirst];
    };
}

} // namespace sim

// ------------------------------------------------ relays, states, logs, clock

namespace sim {

namespace {

// A limit pair as the instrument keeps it: four BCD digits (or a signed word)
// and the number of decimals.
double LimitValue(std::uint16_t digits, std::uint16_t decimals, bool isSigned)
{
    const double v = isSigned ? static_cast<std::int16_t>(digits) : BcdValue(digits);
    return v / std::pow(10.0, decimals);
}

double Unbalance(double a, double b, double c)
{
    const double average = (a + b + c) / 3.0;
    if (average <= 0)
        return 0;
    return (std::max({a, b, c}) - std::min({a, b, c})) / average * 100.0;
}

} // namespace

std::array<std::uint16_t, 4> ThreePhaseInstrument::StateWords() const
{
    return StateWords(ComputeWords());
}

std::array<std::uint16_t, 4> ThreePhaseInstrument::StateWords(const std::array<std::uint16_t, kWordCount> &w) const
{
    const double pt = Pt();
    const double ct = Ct();
    const auto s = [&](int reg) { return static_cast<double>(static_cast<std::int16_t>(w[reg])); };
    // Primary values, from the words a read serves.
    double volts[8], amps[5], pf[4], kw[4], kvar[4];
    for (int i = 0; i < 8; ++i)
        volts[i] = w[i] * pt / 10.0;
    for (int i = 0; i < 5; ++i) // Ia, Ib, Ic, average, zero-sequence
        amps[i] = w[i < 3 ? 8 + i : (i == 3 ? 12 : 11)] * ct / 1000.0;
    for (int i = 0; i < 4; ++i) {
        pf[i] = s(13 + i) / 1000.0;
        kw[i] = s(18 + i) * pt * ct / 1000.0;
        kvar[i] = s(22 + i) * pt * ct / 1000.0;
    }
    const double hertz = w[17] / 100.0;

    std::uint64_t bits = 0;
    const auto enabled = [&](int bit) {
        const int enable = bit < 16 ? bit : bit + 1;
        return (alarmEnables_.Value(kAlarmEnableFirst + enable / 16) >> (enable % 16)) & 1;
    };
    const auto set = [&](int bit, bool on) {
        if (on && enabled(bit))
            bits |= std::uint64_t{1} << bit;
    };
    // A quantity's upper and lower limit pair at reg, reg + 2.
    const auto limits = [&](int bit, double value, std::uint16_t reg, bool isSigned = false) {
        const double upper = LimitValue(limits_.Value(reg), limits_.Value(reg + 1), isSigned);
        const double lower = LimitValue(limits_.Value(reg + 2), limits_.Value(reg + 3), isSigned);
        set(bit, value > upper);
        set(bit + 1, value < lower);
    };
    for (int i = 0; i < 8; ++i)
        limits(2 * i, volts[i], static_cast<std::uint16_t>(0x1000 + 4 * i));
    const bool master = alarmEnables_.Value(0x35) & 1;
    for (int k = 0; k < 3; ++k)
        set(16 + k, master && volts[k] < plant_.phaseVolts * 0.3);
    for (int i = 0; i < 5; ++i)
        limits(19 + 2 * i, amps[i], static_cast<std::uint16_t>(0x1025 + 4 * i));
    for (int i = 0; i < 4; ++i) {
        limits(29 + 2 * i, pf[i], static_cast<std::uint16_t>(0x1041 + 4 * i));
        limits(37 + 2 * i, kw[i], static_cast<std::uint16_t>(0x1055 + 4 * i), true);
        limits(45 + 2 * i, kvar[i], static_cast<std::uint16_t>(0x1069 + 4 * i));
    }
    limits(53, hertz, 0x1089);
    set(55, Unbalance(amps[0], amps[1], amps[2]) > LimitValue(limits_.Value(0x107D), limits_.Value(0x107E), false));
    set(56, Unbalance(volts[0], volts[1], volts[2]) > LimitValue(limits_.Value(0x1083), limits_.Value(0x1084), false));
    if (const auto view = Terminals())
        set(57, view->reverseSequence);
    const std::uint16_t levels = alarmEnables_.Value(0x37);
    for (int k = 0; k < 3; ++k) {
        const bool activeWhenOpen = (levels >> (11 + k)) & 1;
        if (inputs_[k] != activeWhenOpen)
            bits |= std::uint64_t{1} << (58 + k);
        if (coils_[k])
            bits |= std::uint64_t{1} << (61 + k);
    }
    return {static_cast<std::uint16_t>(bits), static_cast<std::uint16_t>(bits >> 16),
            static_cast<std::uint16_t>(bits >> 32), static_cast<std::uint16_t>(bits >> 48)};
}

QByteArray ThreePhaseInstrument::ReadBits(const QByteArray &pdu)
{
    return ReadThreeBits(pdu, static_cast<std::uint8_t>(pdu.at(0)) == 0x01 ? coils_ : inputs_, 2000);
}

QByteArray ThreePhaseInstrument::WriteCoil(const QByteArray &pdu)
{
    return WriteCoilRequest(pdu, 0, 2, CoilCheck::ValueFirst, [this](int coil, bool on) {
        coils_[coil] = on;
        Log(26 + coil, on);
    });
}

void ThreePhaseInstrument::SetInput(int input, bool closed)
{
    if (ChangeInput(input, closed))
        Log(23 + input, closed);
}

void ThreePhaseInstrument::Log(int kind, bool on)
{
    QByteArray record;
    record.append(char(0));
    record.append(static_cast<char>(on ? 0x01 : 0x00));
    AppendClockStamp(record);
    QList<QByteArray> &log = logs_[kind];
    log.append(record);
    while (log.size() > kLogRecords)
        log.removeFirst();
}

std::optional<QByteArray> ThreePhaseInstrument::ReadLog(int start, int count)
{
    if (start < kLogFirst || start >= kLogFirst + 0x100)
        return std::nullopt;
    if (count != 1)
        return ExceptionPdu(0x03, kIllegalDataValue);
    if (start >= kLogFirst + kLogKinds)
        return ExceptionPdu(0x03, kIllegalDataAddress);
    QByteArray data;
    for (const QByteArray &record : logs_.value(start - kLogFirst))
        data += record;
    data.append(QByteArray(8 * kLogRecords - data.size(), '\0'));
    return HoldingReadReply(data);
}

std::array<std::uint32_t, 24> ThreePhaseInstrument::CalibrationValues() const
{
    const auto k = [&](int point) { return CorrectionOf(point); };
    // Bench group of the last point written: 0 full current at PF 1.0, 1
    // 10 % at 1.0, 2 full at 0.5 lagging, 3 10 % at 0.5 lagging.
    const int group = BenchPoint() >= 1 && BenchPoint() <= 12 ? (BenchPoint() - 1) / 3 : -1;
    const double volts = plant_.phaseVolts / Pt();
    const double amps = plant_.amps / Ct() * (group == 1 || group == 3 ? 0.1 : 1.0);
    const bool low = group == 1 || group == 3;
    const double angle = BenchAngle(group, plant_.powerFactor);

    std::array<std::uint32_t, 24> v{};
    double pTotal = 0, qTotal = 0;
    for (int p = 0; p < 3; ++p) {
        const ThreePhaseCalibrationErrors &e = calErrors_;
        const double seen = angle + e.phase[p] - k((low ? 10 : 7) + p);
        const double gain = (1 + e.powerGain[p] + (low ? e.lowCurrentGain[p] : 0)) * (1 + k((low ? 4 : 1) + p));
        const double active = volts * amps * std::cos(seen) * gain;
        const double reactive = volts * amps * std::sin(seen) * gain;
        pTotal += active;
        qTotal += reactive;
        v[p] = Word24(active, kPowerScale);
        v[4 + p] = Word24(reactive, kPowerScale);
        v[12 + p] = Word24(volts * (1 + e.voltageGain[p]) * (1 + k(13 + p)), kRmsScale);
        v[15 + p] = Word24(amps * (1 + e.currentGain[p]) * (1 + k(16 + p)), kRmsScale);
        v[19 + p] = Word24(std::fabs(std::cos(seen)), kFactorScale);
    }
    v[3] = Word24(pTotal, kPowerScale);
    v[7] = Word24(qTotal, kPowerScale);
    const double apparent = std::hypot(pTotal, qTotal);
    v[22] = Word24(apparent > 0 ? std::fabs(pTotal) / apparent : 0.0, kFactorScale);
    v[23] = Word24(plant_.hertz, kRmsScale);
    ApplyCalibrationPins(v);
    return v;
}

} // namespace sim
