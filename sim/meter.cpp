#include "sim/meter.h"

#include "sim/registerwords.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sim {

MeterInstrument::MeterInstrument(const Layout &layout)
    : layout_(layout), address_(layout.address), calWords_(static_cast<std::size_t>(layout.calibrationPoints), 0)
{
}

bool MeterInstrument::PinRaw(std::uint16_t reg, int raw)
{
    if (reg >= layout_.wordCount)
        return false;
    pinnedWords_[reg] = static_cast<std::uint16_t>(raw);
    return true;
}

void MeterInstrument::UnpinAll()
{
    pinnedCalibration_.clear();
    pinnedWords_.clear();
    pinnedEnergy_.clear();
}

void MeterInstrument::ApplyWordPins(std::span<std::uint16_t> words) const
{
    for (auto it = pinnedWords_.constBegin(); it != pinnedWords_.constEnd(); ++it)
        words[it.key()] = it.value();
}

void MeterInstrument::StartEnergies(double forwardActive, double reverseActive, double forwardReactive,
                                    double reverseReactive)
{
    energy_[kForwardActive] = forwardActive;
    energy_[kReverseActive] = reverseActive;
    energy_[kTotalActive] = energy_[kForwardActive] + energy_[kReverseActive];
    energy_[kForwardReactive] = forwardReactive;
    energy_[kReverseReactive] = reverseReactive;
    energy_[kTotalReactive] = energy_[kForwardReactive] + energy_[kReverseReactive];
}

void MeterInstrument::CountEnergy(double watts, double vars)
{
    const double hours = secondsPerRead_ / 3600.0;
    const double dp = watts / 1000.0 * hours * 100.0;
    const double dq = vars / 1000.0 * hours * 100.0;
    energy_[dp >= 0 ? kForwardActive : kReverseActive] += std::abs(dp);
    energy_[kTotalActive] += std::abs(dp);
    energy_[dq >= 0 ? kForwardReactive : kReverseReactive] += std::abs(dq);
    energy_[kTotalReactive] += std::abs(dq);
}

std::int64_t MeterInstrument::EnergyValue(Energy which) const
{
    const auto pin = pinnedEnergy_.constFind(which);
    if (pin != pinnedEnergy_.constEnd())
        return *pin;
    return static_cast<std::int64_t>(std::floor(energy_[which]));
}

void MeterInstrument::SetEnergyBase(int which, std::int64_t hundredths)
{
    bases_[which] = hundredths;
    energy_[which == 0 ? kTotalActive : kTotalReactive] = static_cast<double>(hundredths);
}

void MeterInstrument::AppendEnergyHalf(QByteArray &out, int half) const
{
    const auto value = static_cast<std::uint64_t>(EnergyValue(static_cast<Energy>(half / 2)));
    const bool high = half % 2 == 0;
    AppendBigEndian(out, high ? value >> 32 : value & 0xFFFFFFFFu, 4);
}

void MeterInstrument::AppendEnergyBase(QByteArray &out, int which) const
{
    AppendBigEndian(out, static_cast<std::uint64_t>(bases_[which]), 8);
}

std::variant<MeterInstrument::PlannedWrite, ExceptionCode>
MeterInstrument::PlanWrite(const QByteArray &pdu, HoldingAreas &areas, const RegisterWidth &width, int baseFirst)
{
    PlannedWrite plan;
    auto areaRuns = PlanMultipleWrite(
        pdu, width, [&](int reg) { return areas.At(reg); },
        [&](int reg, int offset) -> std::optional<ExceptionCode> {
            if (reg == baseFirst || reg == baseFirst + 1) {
                auto &base = plan.bases[reg - baseFirst];
                base = EnergyBaseAt(pdu, offset);
                if (!base)
                    return kIllegalDataValue;
                return std::nullopt;
            }
            if (plan.blockStart < 0)
                plan.blockStart = reg;
            plan.blockWords.push_back(WordAt(pdu, offset));
            return std::nullopt;
        });
    if (const ExceptionCode *refusal = std::get_if<ExceptionCode>(&areaRuns))
        return *refusal;
    plan.runs = std::move(std::get<std::vector<AreaRun>>(areaRuns));
    return plan;
}

void MeterInstrument::StoreWrite(const PlannedWrite &plan)
{
    StoreRuns(plan.runs);
    for (int which = 0; which < 2; ++which) {
        if (plan.bases[which])
            SetEnergyBase(which, *plan.bases[which]);
    }
}

QDateTime MeterInstrument::Clock() const
{
    return QDateTime::currentDateTime().addSecs(clockOffset_);
}

void MeterInstrument::SetClock(const QDateTime &time)
{
    clockOffset_ = QDateTime::currentDateTime().secsTo(time);
}

std::uint32_t MeterInstrument::CalibrationWord(int point) const
{
    return point >= 1 && point <= static_cast<int>(calWords_.size()) ? calWords_[static_cast<std::size_t>(point - 1)]
                                                                      : 0;
}

QByteArray MeterInstrument::Calibrate(const QByteArray &pdu)
{
    return HandleCalibration(pdu, calWords_, benchPoint_, [this] { return CalibrationValues(); });
}

double MeterInstrument::BenchAngle(int group, double plantPowerFactor)
{
    if (group >= 0)
        return group < 2 ? 0.0 : std::numbers::pi / 3;
    const double angle = std::acos(std::clamp(std::fabs(plantPowerFactor), 0.0, 1.0));
    return plantPowerFactor < 0 ? -angle : angle;
}

bool MeterInstrument::ChangeInput(int input, bool closed)
{
    if (input < 0 || input > 2 || inputs_[input] == closed)
        return false;
    inputs_[input] = closed;
    return true;
}

bool MeterInstrument::Readable(int reg)
{
    return reg <= layout_.readableLast || Areas().At(reg) || IsBase(reg) || InClockBlock(reg);
}

int MeterInstrument::WriteWidth(int reg)
{
    if (Areas().At(reg) || InClockBlock(reg))
        return 2;
    if (IsBase(reg))
        return 4;
    return 0;
}

QByteArray MeterInstrument::ReadHolding(const QByteArray &pdu)
{
    const std::optional<RegisterRead> read = ParseRegisterRead(pdu);
    if (!read)
        return ExceptionPdu(0x03, kIllegalDataValue);
    const auto [start, count] = *read;
    if (std::optional<QByteArray> log = ReadLog(start, count))
        return *log;
    const int end = start + count; // one past the last register
    for (int reg = start; reg < end; ++reg) {
        if (!Readable(reg))
            return ExceptionPdu(0x03, kIllegalDataAddress);
    }
    if (start <= layout_.energyLast)
        Step();
    const std::function<std::uint16_t(int)> word = WordServer();
    QByteArray data;
    // Energies, bases and the clock block here; the settings areas serve
    // their own words.
    const auto other = [&](int reg) {
        if (reg >= layout_.wordCount && reg <= layout_.energyLast)
            AppendEnergyHalf(data, reg - layout_.wordCount);
        else if (IsBase(reg))
            AppendEnergyBase(data, reg - layout_.baseFirst);
        else if (InClockBlock(reg))
            AppendWord(data, ClockBlockWord(reg));
        else
            AppendWord(data, word(reg));
    };
    Areas().Read(start, end, other, data);
    if (data.size() > 255) // a guard: the maps keep reads within a reply
        return ExceptionPdu(0x03, kIllegalDataValue);
    return HoldingReadReply(data);
}

QByteArray MeterInstrument::WriteSingle(const QByteArray &pdu)
{
    return Areas().WriteSingle(pdu, [this](int reg, std::uint16_t value) -> std::optional<ExceptionCode> {
        if (InClockBlock(reg))
            return WriteClockBlock(reg, {value});
        return kIllegalDataAddress;
    });
}

QByteArray MeterInstrument::WriteMultiple(const QByteArray &pdu)
{
    const auto planned = PlanWrite(pdu, Areas(), [this](int reg) { return WriteWidth(reg); }, layout_.baseFirst);
    if (const ExceptionCode *refusal = std::get_if<ExceptionCode>(&planned))
        return ExceptionPdu(0x10, *refusal);
    const PlannedWrite &plan = std::get<PlannedWrite>(planned);
    if (plan.blockStart >= 0) {
        if (layout_.loneClockWrite && (!plan.runs.empty() || plan.bases[0] || plan.bases[1]))
            return ExceptionPdu(0x10, kIllegalDataAddress);
        if (const auto refusal = WriteClockBlock(plan.blockStart, plan.blockWords))
            return ExceptionPdu(0x10, *refusal);
    }
    StoreWrite(plan);
    return pdu.left(5);
}

std::uint16_t MeterInstrument::ClockBlockWord(int reg) const
{
    const QDateTime t = Clock();
    switch (reg - layout_.clockFirst) {
    case 0: return static_cast<std::uint16_t>(t.date().year());
    case 1: return static_cast<std::uint16_t>(t.date().month());
    case 2: return static_cast<std::uint16_t>(t.date().day());
    case 3: return static_cast<std::uint16_t>(t.time().hour());
    case 4: return static_cast<std::uint16_t>(t.time().minute());
    case 5: return static_cast<std::uint16_t>(t.time().second());
    case 6: return address_;
    case 7: return baudCode_;
    default: return 0;
    }
}

std::optional<ExceptionCode> MeterInstrument::WriteClockBlock(int start, const std::vector<std::uint16_t> &values)
{
    // The block as it would be after the write.
    std::array<int, 8> v{};
    for (int i = 0; i < 8; ++i)
        v[i] = ClockBlockWord(layout_.clockFirst + i);
    bool clockWritten = false;
    bool addressWritten = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int at = start + static_cast<int>(i) - layout_.clockFirst;
        v[at] = values[i];
        clockWritten = clockWritten || at < 6;
        addressWritten = addressWritten || at == 6;
    }
    const QDate date(v[0], v[1], v[2]);
    const QTime time(v[3], v[4], v[5]);
    if (clockWritten && (v[0] < 2000 || v[0] > 2099 || !date.isValid() || !time.isValid()))
        return kIllegalDataValue;
    if (v[7] < 1 || v[7] > 6)
        return kIllegalDataValue;
    // The bus moves the instrument after the reply; refused when the new
    // address is 0 (broadcast), beyond the family's addresses, or taken.
    const bool moving = addressWritten && v[6] != address_;
    if (addressWritten && (v[6] < 1 || v[6] > layout_.maxAddress))
        return kIllegalDataValue;
    if (moving && !RequestAddress(static_cast<std::uint8_t>(v[6])))
        return kIllegalDataValue;
    if (clockWritten)
        SetClock(QDateTime(date, time));
    if (addressWritten)
        address_ = static_cast<std::uint8_t>(v[6]);
    baudCode_ = static_cast<std::uint16_t>(v[7]);
    return std::nullopt;
}

void MeterInstrument::AppendClockStamp(QByteArray &record) const
{
    const QDateTime t = Clock();
    for (int part : {t.date().year() % 100, t.date().month(), t.date().day(), t.time().hour(), t.time().minute(),
                     t.time().second()})
        record.append(static_cast<char>(BcdByte(part)));
}

} // namespace sim
