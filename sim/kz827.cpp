#include "sim/kz827.h"

#include "sim/modbus.h"
#include "sim/registerwords.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace sim {

namespace {

constexpr std::uint16_t kVoltageUnit = 0x1000;
constexpr std::uint16_t kVoltageRatio = 0x1001;
constexpr std::uint16_t kCurrentUnit = 0x1002;
constexpr std::uint16_t kCurrentRatio = 0x1003;
constexpr std::uint16_t kPowerUnit = 0x1004;
constexpr std::uint16_t kBaudRegister = 0x1006;

constexpr double kUnity = 4194304.0; // coefficient 1.0 of voltage and current
constexpr double kPowerUnity = 100000.0;
constexpr std::uint32_t kMax24 = 0xFFFFFF;
constexpr double kPhaseStep = 2.8 / 127; // degrees per step of the phase coefficient

// A measurement field: the value in its unit with as many decimals as four
// digits hold, then decimals (high byte) and unit code (low byte).
void AppendField(std::array<std::uint16_t, 6> &words, int at, double value, int unit, bool signMagnitude)
{
    const bool negative = signMagnitude && value < 0;
    const double magnitude = std::abs(value);
    int decimals = 3;
    while (decimals > 0 && std::lround(magnitude * std::pow(10.0, decimals)) > 9999)
        --decimals;
    const long digits = std::min(std::lround(magnitude * std::pow(10.0, decimals)), 9999L);
    words[at] = static_cast<std::uint16_t>(digits | (negative && digits != 0 ? 0x8000 : 0));
    words[at + 1] = static_cast<std::uint16_t>(decimals << 8 | unit);
}

std::uint32_t Raw24(double value)
{
    return static_cast<std::uint32_t>(std::clamp(std::llround(value), 0LL, static_cast<long long>(kMax24)));
}

} // namespace

Kz827Instrument::Kz827Instrument()
{
    init_.Define(kVoltageUnit, 0, AtMost(1));
    init_.Define(kVoltageRatio, 0x0001, IsBcd);
    init_.Define(kCurrentUnit, 0, AtMost(1));
    init_.Define(kCurrentRatio, 0x0001, IsBcd);
    init_.Define(kPowerUnit, 0, AtMost(2));
    init_.Define(kAddressRegister, 0, [](std::uint16_t value) { return value >= 1 && value <= 247; });
    init_.Define(kBaudRegister, 3, AtMost(5));
    // Upper limits 9999 (no point, small unit) in every block.
    for (std::uint16_t block : {0x1008, 0x1018, 0x1028})
        alarms_.Define(static_cast<std::uint16_t>(block + 1), 0x9999);
}

void Kz827Instrument::SetPlant(const Kz827Plant &plant)
{
    plant_ = plant;
    benchItem_ = -1;
    volts_ = plant.volts;
    amps_ = plant.amps;
    powerFactor_ = plant.powerFactor;
}

double Kz827Instrument::MeasuredVolts() const
{
    return volts_ * gain_[kVoltage] * coefficients_[kVoltage] / kUnity;
}

double Kz827Instrument::MeasuredAmps() const
{
    return amps_ * gain_[kCurrent] * coefficients_[kCurrent] / kUnity;
}

double Kz827Instrument::SeenWatts() const
{
    const std::uint32_t phase = coefficients_[kPhase] & 0xFF;
    const double steps = (phase & 0x7F) * (phase & 0x80 ? -1.0 : 1.0);
    const double shift = angleError_ - steps * kPhaseStep;
    if (shift == 0)
        return volts_ * amps_ * powerFactor_;
    const double angle = std::acos(std::clamp(std::fabs(powerFactor_), 0.0, 1.0)) + shift * std::numbers::pi / 180;
    return std::copysign(volts_ * amps_ * std::cos(angle), powerFactor_);
}

double Kz827Instrument::MeasuredWatts() const
{
    return SeenWatts() * gain_[kPower] * coefficients_[kPower] / kPowerUnity;
}

void Kz827Instrument::SetBench(int item)
{
    benchItem_ = item;
    volts_ = plant_.volts;
    amps_ = plant_.amps;
    powerFactor_ = item == kPhase ? 0.5 : 1.0;
}

std::array<std::uint16_t, 6> Kz827Instrument::MeasurementWords() const
{
    const auto ratio = [this](std::uint16_t reg) {
        const int v = BcdValue(init_.Value(reg));
        return v == 0 ? 1 : v;
    };
    const int voltageUnit = init_.Value(kVoltageUnit) ? 1 : 0;
    const int currentUnit = init_.Value(kCurrentUnit) ? 1 : 0;
    const int powerUnit = std::min<int>(init_.Value(kPowerUnit), 2);
    const double pt = ratio(kVoltageRatio);
    const double ct = ratio(kCurrentRatio);
    std::array<std::uint16_t, 6> words{};
    AppendField(words, 0, MeasuredVolts() * pt / (voltageUnit ? 1000.0 : 1.0), voltageUnit, false);
    AppendField(words, 2, MeasuredAmps() * ct / (currentUnit ? 1000.0 : 1.0), currentUnit, false);
    AppendField(words, 4, MeasuredWatts() * pt * ct / std::pow(1000.0, powerUnit), powerUnit, true);
    return words;
}

std::array<std::uint32_t, 4> Kz827Instrument::CalibrationValues() const
{
    // The raw power ignores K: the program multiplies K in.
    const double watts = SeenWatts() * gain_[kPower];
    return {Raw24(MeasuredVolts() * 16777216.0 * 150.0 / (250.0 * 400.0)),
            Raw24(MeasuredAmps() * 16777216.0 * 150.0 / (250.0 * 5.0)),
            Raw24(std::abs(watts) * 4718592.0 / 3125.0), coefficients_[kPower]};
}

void Kz827Instrument::Step()
{
    ++reads_;
    if (Frozen() || benchItem_ >= 0)
        return;
    Wander wander(*this);
    volts_ = std::max(0.0, wander(volts_, plant_.volts, plant_.volts * 0.001));
    amps_ = std::max(0.0, wander(amps_, plant_.amps, plant_.amps * 0.002));
}

QByteArray Kz827Instrument::ReadHolding(const QByteArray &pdu)
{
    const std::optional<RegisterRead> read = ParseRegisterRead(pdu);
    if (!read)
        return ExceptionPdu(0x03, kIllegalDataValue);
    const auto [start, count] = *read;
    const int end = start + count;
    QByteArray data;
    if (end <= 6) { // measurements
        Step();
        const auto words = MeasurementWords();
        for (int reg = start; reg < end; ++reg)
            AppendWord(data, words[reg]);
    } else {
        const HoldingArea *area = areas_.At(start);
        if (!area || !area->Read(start, count, data))
            return ExceptionPdu(0x03, kIllegalDataAddress);
    }
    return HoldingReadReply(data);
}

QByteArray Kz827Instrument::WriteMultiple(const QByteArray &pdu)
{
    if (pdu.size() < 6)
        return ExceptionPdu(0x10, kIllegalDataValue);
    const std::uint16_t start = WordAt(pdu, 1);
    const std::uint16_t count = WordAt(pdu, 3);
    const int byteCount = static_cast<std::uint8_t>(pdu.at(5));
    if (count < 1 || count > 123 || byteCount != 2 * count || pdu.size() != 6 + byteCount)
        return ExceptionPdu(0x10, kIllegalDataValue);
    HoldingArea *area = areas_.At(start);
    if (!area)
        return ExceptionPdu(0x10, kIllegalDataAddress);
    std::vector<std::uint16_t> words;
    for (int i = 0; i < count; ++i)
        words.push_back(WordAt(pdu, 6 + 2 * i));
    if (const auto refusal = area->Check(start, words))
        return ExceptionPdu(0x10, *refusal);
    // A new address must be free on the bus; the move happens after the reply.
    const int addressAt = kAddressRegister - start;
    if (area == &init_ && addressAt >= 0 && addressAt < count &&
        !RequestAddress(static_cast<std::uint8_t>(words[addressAt])))
        return ExceptionPdu(0x10, kIllegalDataValue);
    area->Store(start, words);
    return pdu.left(5);
}

QByteArray Kz827Instrument::WriteCoil(const QByteArray &pdu)
{
    // Coils 1 and 2.
    return WriteCoilRequest(pdu, 1, 2, CoilCheck::AddressFirst, [this](int coil, bool on) { coils_[coil - 1] = on; });
}

QByteArray Kz827Instrument::Calibrate(const QByteArray &pdu)
{
    // AA 80 sub 54 60 03 d1 d2 d3
    const auto at = [&](int i) { return static_cast<std::uint8_t>(pdu.at(i)); };
    if (pdu.size() != 9 || at(1) != 0x80 || at(3) != 0x54 || at(4) != 0x60 || at(5) != 0x03)
        return QByteArray();
    const std::uint8_t sub = at(2);
    QByteArray reply;
    reply.append(static_cast<char>(0xAA));
    if (sub == 0x0F) {
        reply.append(static_cast<char>(0x72));
        reply.append(static_cast<char>(0x54));
        reply.append(static_cast<char>(0x60));
        for (std::uint32_t value : CalibrationValues())
            AppendBigEndian(reply, value, 3);
        return reply;
    }
    // Sub-commands 00, 01, 06 and 07 are the zero commands; 02..05 write a
    // coefficient.
    constexpr std::array<std::pair<std::uint8_t, ZeroCommand>, 4> kZeroCommands{
        {{0x00, kVoltageZero}, {0x01, kCurrentZero}, {0x06, kVoltageClear}, {0x07, kCurrentClear}}};
    const auto zero = std::find_if(kZeroCommands.begin(), kZeroCommands.end(), [&](const auto &z) { return z.first == sub; });
    if (zero != kZeroCommands.end())
        ++zeroCommands_[zero->second];
    else if (sub >= 0x02 && sub <= 0x05) {
        coefficients_[sub - 0x02] = static_cast<std::uint32_t>(at(6)) << 16 | at(7) << 8 | at(8);
        SetBench(sub - 0x02);
    } else
        return QByteArray();
    reply.append(static_cast<char>(0x77));
    reply.append(static_cast<char>(0x54));
    reply.append(static_cast<char>(0x60));
    return reply;
}

} // namespace sim
