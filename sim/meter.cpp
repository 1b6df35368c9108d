#include "sim/meter.h"

#include <cmath>

namespace sim {

MeterInstrument::MeterInstrument(int wordCount, int calibrationPoints)
    : wordCount_(wordCount), calWords_(static_cast<std::size_t>(calibrationPoints), 0)
{
}

bool MeterInstrument::PinRaw(std::uint16_t reg, int raw)
{
    if (reg >= wordCount_)
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

} // namespace sim
