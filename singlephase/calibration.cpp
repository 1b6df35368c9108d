#include "singlephase/calibration.h"

#include "core/codecs.h"

namespace singlephase::calibration {

namespace {

using calib::Formula;

enum Row { kPower, kVoltage, kCurrent };

constexpr calib::Point kPoints[] = {
    {"有功功率（100%I）- 1.0      [ 1 ]", "1100.00W", Formula::PowerUnity, kPower},
    {"有功功率（10%I ）- 1.0      [ 2 ]", "110.00W", Formula::PowerUnity, kPower},
    {"有功功率（100%I）- 0.5L     [ 3 ]", "550.00W", Formula::PowerHalfLagging, kPower},
    {"有功功率（10%I ）- 0.5L     [ 4 ]", "55.00W", Formula::PowerHalfLagging, kPower},
    {"电压                        [ 5 ]", "220.00V", Formula::Ratio, kVoltage},
    {"电流                        [ 6 ]", "5.000A", Formula::Ratio, kCurrent},
};

constexpr calib::ReadOut kReadOuts[] = {
    {"StaticText1", "U:", "0.0V", "电压"},
    {"StaticText4", "I:", "0.0A", "电流"},
    {"StaticText7", "P:", "0.0", "有功功率"},
    {"StaticText10", "PF:", "0.0", "功率因数"},
    {"StaticText13", "频率:", "0.0", "频率"},
};

} // namespace

std::span<const calib::Point> Decoder::Points() const
{
    return kPoints;
}

std::span<const calib::ReadOut> Decoder::ReadOuts() const
{
    return kReadOuts;
}

void Decoder::Take(QByteArray values)
{
    const std::uint32_t power = calib::TakeValue24(values);
    const std::uint32_t partner = calib::TakeValue24(values);
    calib::TakeValue24(values);
    history_[kPower].Push(calib::Signed24(power) / 256.0);
    history_[kVoltage].Push(calib::Signed24(calib::TakeValue24(values)) / 8192.0);
    history_[kCurrent].Push(calib::Signed24(calib::TakeValue24(values)) / 8192.0);
    const double pf = calib::Signed24(calib::TakeValue24(values)) / 8388608.0;
    powerFactor_ = calib::SignsDiffer(power, partner) ? -pf : pf;
    hertz_ = calib::TakeValue24(values) / 8192.0;
}

QStringList Decoder::Texts() const
{
    return {FormatFixed(history_[kVoltage].Mean(), 4) + QLatin1Char('V'),
            FormatFixed(history_[kCurrent].Mean(), 4) + QLatin1Char('A'),
            FormatFixed(history_[kPower].Mean(), 4) + QLatin1Char('W'), FormatFixed(powerFactor_, 4),
            FormatFixed(hertz_, 2) + QStringLiteral("Hz")};
}

double Decoder::Reading(int which) const
{
    return which >= 0 && which < 3 ? history_[which].Mean() : 0;
}

} // namespace singlephase::calibration
