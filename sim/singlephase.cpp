#include "sim/singlephase.h"

#include "sim/modbus.h"
#include "sim/registerwords.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

// One limit-checked quantity: its row in the normal and fundamental groups,
// its row in the harmonic group (-1: none), its enable bit in 0x33/0x34 and
// in 0x35, its upper-limit bit in the alarm word and its event kinds.
struct Quantity {
    int row;
    int harmonicRow;
    int enableBit;
    int harmonicEnableBit;
    int alarmBit;
    int kind;
    int harmonicKind;
};
constexpr Quantity kQuantities[] = {
    {0, 0, 0, 0, SinglePhaseInstrument::kVoltageHigh, 0, 18},       // voltage
    {1, 1, 2, 2, SinglePhaseInstrument::kCurrentHigh, 1, 19},       // current
    {2, -1, 4, -1, SinglePhaseInstrument::kPowerFactorHigh, 3, -1}, // power factor
    {3, -1, 6, -1, SinglePhaseInstrument::kFrequencyHigh, 2, -1},   // frequency
    {4, 2, 8, 4, SinglePhaseInstrument::kActiveHigh, 4, 20},        // active power
    {5, 3, 10, 6, SinglePhaseInstrument::kReactiveHigh, 5, 21},     // reactive power
};
constexpr int kHarmonicPercent = 3;

} // namespace

SinglePhaseInstrument::SinglePhaseInstrument(std::uint64_t seed)
    : MeterInstrument({.wordCount = kWordCount,
                       .energyLast = kEnergyLast,
                       .readableLast = kStateWord,
                       .baseFirst = kBaseActive,
                       .clockFirst = kClockFirst,
                       .address = 0,
                       .maxAddress = 255,
                       .loneClockWrite = false,
                       .calibrationPoints = kCalibrationPoints})
{
    DefineSettings();
    StartEnergies(765432, 321, 234567, 89);
    SetPlant(plant_);
    Seed(seed);
}

void SinglePhaseInstrument::DefineSettings()
{
    for (std::uint16_t reg = 0x30; reg <= 0x32; ++reg)
        enables_.Define(reg, 0, AtMost(3));
    enables_.Define(0x33, 0, OnlyBits(0x1FFF));
    enables_.Define(0x34, 0, OnlyBits(0x0FFF));
    enables_.Define(0x35, 0, OnlyBits(0x00FF));

    display_.Define(0x36, 0, AtMost(2));
    display_.Define(0x37, 0, AtMost(2));
    display_.Define(0x38, 0, AtMost(15));
    for (std::uint16_t reg = 0x39; reg <= 0x3B; ++reg)
        display_.Define(reg, 5, AtMost(99));
    display_.Define(0x3C, 0, AtMost(9999));
    display_.Define(0x3D, 0x0007, OnlyBits(0x7FFF));

    setup_.Define(kMode, 0, AtMost(2));
    setup_.Define(kVoltageUnit, 0, AtMost(1));
    setup_.Define(kVoltageRatio, 1, AtMost(9999));
    setup_.Define(kCurrentRatio, 1, AtMost(9999));
    for (std::uint16_t reg = 0x54; reg <= 0x58; ++reg)
        setup_.Define(reg, 0, AtMost(1));
    setup_.Define(kReclose, 5, AtMost(1000));

    for (int row = 0; row < 16; ++row) {
        const auto first = static_cast<std::uint16_t>(kLimitFirst + row * 8);
        for (int limit = 0; limit < 3; ++limit) {
            limits_.Define(static_cast<std::uint16_t>(first + limit * 2), limit == 0 ? 9999 : 0, IsSignedLimit);
            limits_.Define(static_cast<std::uint16_t>(first + limit * 2 + 1), 0, AtMost(4));
        }
        limits_.Define(static_cast<std::uint16_t>(first + 6), 0, AtMost(255));
        limits_.Define(static_cast<std::uint16_t>(first + 7), 0, AtMost(3));
    }
    for (std::uint16_t reg = 0x1080; reg <= 0x1082; ++reg)
        limits_.Define(reg, 0, AtMost(3));
    for (std::uint16_t reg = 0x1083; reg <= 0x1085; ++reg)
        limits_.Define(reg, 0, AtMost(1));
}

void SinglePhaseInstrument::SetPlant(const SinglePhasePlant &plant)
{
    plant_ = plant;
    volts_ = plant.volts;
    amps_ = plant.amps;
    pf_ = plant.powerFactor;
    hertz_ = plant.hertz;
}

std::uint16_t SinglePhaseInstrument::Holding(std::uint16_t reg) const
{
    if (const HoldingArea *area = areas_.At(reg))
        return area->Value(reg);
    if (reg == kStateWord)
        return StateWord();
    if (reg == kAlarmWord)
        return static_cast<std::uint16_t>(alarms_ | (InputActive(0) << kInput1) | (InputActive(1) << kInput2) |
                                          (InputActive(2) << kInput3));
    return ClockBlockWord(reg);
}

void SinglePhaseInstrument::SetInput(int input, bool closed)
{
    if (!ChangeInput(input, closed))
        return;
    const bool active = InputActive(input);
    Log(6 + input, active ? 1 : 0, active ? 0 : 1);
}

bool SinglePhaseInstrument::InputActive(int input) const
{
    // 0x1083.. : 0 active when closed, 1 active when open.
    return inputs_[input] != (limits_.Value(0x1083 + input) == 1);
}

int SinglePhaseInstrument::Ratio(std::uint16_t reg) const
{
    const int v = setup_.Value(reg);
    return v == 0 ? 1 : v;
}

std::uint16_t SinglePhaseInstrument::RawWord(std::uint16_t reg) const
{
    return reg < kWordCount ? ComputeWords()[reg] : 0;
}

std::array<std::uint16_t, SinglePhaseInstrument::kWordCount> SinglePhaseInstrument::ComputeWords() const
{
    const double vr = Ratio(kVoltageRatio);
    const double cr = Ratio(kCurrentRatio);
    const double s = volts_ * amps_;
    const double p = s * pf_;
    const double q = s * std::sin(std::acos(std::clamp(pf_, -1.0, 1.0)));
    std::array<std::uint16_t, kWordCount> w{};
    w[0] = RawSigned(volts_ * 10.0 / vr);
    w[1] = RawSigned(amps_ * 1000.0 / cr);
    w[2] = RawSigned(hertz_ * 100.0);
    w[3] = RawSigned(pf_ * 1000.0);
    w[4] = RawSigned(p / (vr * cr));
    w[5] = RawSigned(q / (vr * cr));
    w[6] = RawSigned(s / (vr * cr));
    ApplyWordPins(w);
    return w;
}

void SinglePhaseInstrument::Step()
{
    if (Frozen())
        return;
    Wander wander(*this);
    volts_ = std::max(0.0, wander(volts_, plant_.volts, plant_.volts * 0.002));
    amps_ = std::max(0.0, wander(amps_, plant_.amps, plant_.amps * 0.01));
    pf_ = std::clamp(wander(pf_, plant_.powerFactor, 0.004), -1.0, 1.0);
    hertz_ = wander(hertz_, plant_.hertz, 0.01);

    const double s = volts_ * amps_;
    CountEnergy(s * pf_, s * std::sin(std::acos(pf_)));
}

double SinglePhaseInstrument::Measured(int quantity, int mode) const
{
    const double s = volts_ * amps_;
    const double values[] = {volts_, amps_, pf_, hertz_, s * pf_, s * std::sin(std::acos(std::clamp(pf_, -1.0, 1.0)))};
    return mode == 2 ? values[quantity] * kHarmonicPercent / 100.0 : values[quantity];
}

std::uint16_t SinglePhaseInstrument::AlarmWord()
{
    const int mode = setup_.Value(kMode) & 3;
    // A change of mode ends the alarms of the old mode and starts over.
    const std::uint16_t previous = mode == alarmMode_ ? alarms_ : 0;
    std::uint16_t next = 0;
    for (int i = 0; i < 6 && mode <= 2; ++i) {
        const Quantity &q = kQuantities[i];
        const int row = mode == 2 ? q.harmonicRow : q.row;
        if (row < 0)
            continue;
        const int enableBit = mode == 2 ? q.harmonicEnableBit : q.enableBit;
        const std::uint16_t enables = enables_.Value(0x33 + mode);
        const int first = kLimitFirst + mode * 0x30 + row * 8;
        auto limit = [&](int at) {
            const auto raw = static_cast<std::int16_t>(limits_.Value(first + at));
            return raw / std::pow(10.0, std::min<int>(limits_.Value(first + at + 1), 4));
        };
        const double v = Measured(i, mode);
        const double upper = limit(0), lower = limit(2), hysteresis = limit(4);
        const bool wasHigh = previous >> q.alarmBit & 1u, wasLow = previous >> (q.alarmBit + 1) & 1u;
        const bool high = (enables >> enableBit & 1u) && (wasHigh ? v > upper - hysteresis : v > upper);
        const bool low = (enables >> (enableBit + 1) & 1u) && (wasLow ? v < lower + hysteresis : v < lower);
        next |= static_cast<std::uint16_t>(high << q.alarmBit | low << (q.alarmBit + 1));
    }
    const bool loss = mode == 0 && (enables_.Value(0x33) >> 12 & 1u) && volts_ * 10.0 / Ratio(kVoltageRatio) < 100.0;
    next |= static_cast<std::uint16_t>(loss << kPhaseLoss);

    // Every start and end of an alarm goes into the log of its mode and
    // quantity, with the value measured then.
    const auto logChanges = [this](std::uint16_t from, std::uint16_t to, int inMode) {
        for (int bit = 0; bit <= kPhaseLoss; ++bit) {
            const bool was = from >> bit & 1u, is = to >> bit & 1u;
            if (was == is)
                continue;
            int quantity = 0;
            for (int i = 0; i < 6; ++i)
                if (kQuantities[i].alarmBit == bit || kQuantities[i].alarmBit + 1 == bit)
                    quantity = i;
            const Quantity &q = kQuantities[quantity];
            const int kind = inMode == 2 ? q.harmonicKind : inMode == 1 ? q.kind + 12 : q.kind;
            const int type = (bit == kPhaseLoss ? 4 : bit == q.alarmBit ? 0 : 2) + (is ? 0 : 1);
            if (kind >= 0)
                Log(kind, static_cast<std::int32_t>(std::lround(Measured(quantity, inMode) * 1000.0)),
                    static_cast<std::uint8_t>(type));
        }
    };
    if (mode != alarmMode_)
        logChanges(alarms_, 0, alarmMode_);
    logChanges(previous, next, mode);
    alarms_ = next;
    alarmMode_ = mode;
    return Holding(kAlarmWord);
}

std::uint16_t SinglePhaseInstrument::StateWord() const
{
    return static_cast<std::uint16_t>(coils_[0] | coils_[1] << 1 | coils_[2] << 2 | (setup_.Value(kMode) & 3) << 3);
}

void SinglePhaseInstrument::Log(int kind, std::int32_t value, std::uint8_t type)
{
    QByteArray record;
    AppendBigEndian(record, static_cast<std::uint32_t>(value), 4);
    record.append('\0');
    record.append(static_cast<char>(type));
    AppendClockStamp(record);
    auto &log = events_[kind];
    log.push_front(record);
    if (static_cast<int>(log.size()) > kEventRecords)
        log.pop_back();
}

QByteArray SinglePhaseInstrument::EventLog(int kind) const
{
    QByteArray data;
    for (const QByteArray &record : events_[kind])
        data.append(record);
    data.append(QByteArray(kEventRecords * 12 - data.size(), '\0'));
    return data;
}

std::function<std::uint16_t(int reg)> SinglePhaseInstrument::WordServer()
{
    return [this, words = ComputeWords()](int reg) -> std::uint16_t {
        if (reg < kWordCount)
            return words[reg];
        if (reg == kAlarmWord)
            return AlarmWord();
        return Holding(static_cast<std::uint16_t>(reg));
    };
}

QByteArray SinglePhaseInstrument::ReadBits(const QByteArray &pdu)
{
    // Any count from 1 up: too many bits is an address beyond the three.
    return ReadThreeBits(pdu, static_cast<std::uint8_t>(pdu.at(0)) == 0x01 ? coils_ : inputs_, 0xFFFF);
}

QByteArray SinglePhaseInstrument::WriteCoil(const QByteArray &pdu)
{
    return WriteCoilRequest(pdu, 0, 2, CoilCheck::AddressFirst, [this](int coil, bool on) {
        coils_[coil] = on;
        Log(9 + coil, on ? 1 : 0, on ? 0 : 1);
    });
}

std::optional<QByteArray> SinglePhaseInstrument::ReadLog(int start, int count)
{
    if (start < kEventFirst || start >= kEventFirst + kEventKinds)
        return std::nullopt;
    // One log is 240 bytes: a read of more than one would not fit a reply.
    if (count != 1)
        return ExceptionPdu(0x03, kIllegalDataValue);
    AlarmWord(); // alarms that started or ended by now are in the log
    return HoldingReadReply(EventLog(start - kEventFirst));
}

std::array<std::uint32_t, 24> SinglePhaseInstrument::CalibrationValues() const
{
    const auto k = [&](int point) { return CorrectionOf(point); };
    // Bench of the last point written: 1 full current at PF 1.0, 2 10 % at
    // 1.0, 3 full at 0.5 lagging, 4 10 % at 0.5 lagging.
    const int bench = BenchPoint() >= 1 && BenchPoint() <= 4 ? BenchPoint() : 0;
    const bool low = bench == 2 || bench == 4;
    const double volts = plant_.volts / Ratio(kVoltageRatio);
    const double amps = plant_.amps / Ratio(kCurrentRatio) * (low ? 0.1 : 1.0);
    const double angle = BenchAngle(bench - 1, plant_.powerFactor);

    const SinglePhaseCalibrationErrors &e = calErrors_;
    const double seen = angle + e.phase - k(low ? 4 : 3);
    const double gain = (1 + e.powerGain + (low ? e.lowCurrentGain : 0)) * (1 + k(low ? 2 : 1));
    std::array<std::uint32_t, 24> v{};
    v[0] = Word24(volts * amps * std::cos(seen) * gain, kPowerScale);
    v[1] = Word24(volts * amps * std::sin(seen) * gain, kPowerScale);
    v[2] = Word24(volts * amps * gain, kPowerScale);
    v[3] = Word24(volts * (1 + e.voltageGain) * (1 + k(5)), kRmsScale);
    v[4] = Word24(amps * (1 + e.currentGain) * (1 + k(6)), kRmsScale);
    v[5] = Word24(std::fabs(std::cos(seen)), kFactorScale);
    v[6] = Word24(plant_.hertz, kRmsScale);
    ApplyCalibrationPins(v);
    return v;
}

} // namespace sim
