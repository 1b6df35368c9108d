#include "threephase/calibration.h"

#include "core/codecs.h"

namespace threephase::calibration {

namespace {

using calib::Formula;

constexpr calib::Point kPoints[] = {
    {"A相功率（100%）-1.0      [ 1  ]", "1100.00W", Formula::PowerUnity, 0},
    {"B相功率（100%）-1.0      [ 2  ]", "1100.00W", Formula::PowerUnity, 1},
    {"C相功率（100%）-1.0      [ 3  ]", "1100.00W", Formula::PowerUnity, 2},
    {"A相功率（10%）-1.0       [ 4  ]", "110.000W", Formula::PowerUnity, 0},
    {"B相功率（10%）-1.0       [ 5  ]", "110.000W", Formula::PowerUnity, 1},
    {"C相功率（10%）-1.0       [ 6  ]", "110.000W", Formula::PowerUnity, 2},
    {"A相功率（100%）-0.5L     [ 7  ]", "550.00W", Formula::PowerHalfLagging, 0},
    {"B相功率（100%）-0.5L     [ 8  ]", "550.00W", Formula::PowerHalfLagging, 1},
    {"C相功率（100%）-0.5L     [ 9  ]", "550.00W", Formula::PowerHalfLagging, 2},
    {"A相功率（10%）-0.5L      [ 10 ]", "55.00W", Formula::PowerHalfLagging, 0},
    {"B相功率（10%）-0.5L      [ 11 ]", "55.00W", Formula::PowerHalfLagging, 1},
    {"C相功率（10%）-0.5L      [ 12 ]", "55.00W", Formula::PowerHalfLagging, 2},
    {"A相电压                  [ 13 ]", "220.00V", Formula::Ratio, 3},
    {"B相电压                  [ 14 ]", "220.00V", Formula::Ratio, 4},
    {"C相电压                  [ 15 ]", "220.00V", Formula::Ratio, 5},
    {"A相电流                  [ 16 ]", "5.000A", Formula::Ratio, 6},
    {"B相电流                  [ 17 ]", "5.000A", Formula::Ratio, 7},
    {"C相电流                  [ 18 ]", "5.000A", Formula::Ratio, 8},
    {"A相功率因数              [ 19 ]", "", Formula::None, 0},
    {"B相功率因数              [ 20 ]", "", Formula::None, 0},
    {"C相功率因数              [ 21 ]", "", Formula::None, 0},
    {"合相功率因数             [ 22 ]", "", Formula::None, 0},
    {"频率                     [ 23 ]", "", Formula::None, 0},
};

// In the order Texts() fills them.
constexpr calib::ReadOut kReadOuts[] = {
    {"StaticText1", "Ua:", "0.0V", "A相电压"},       {"StaticText2", "Ub:", "0.0V", "B相电压"},
    {"StaticText3", "Uc:", "0.0V", "C相电压"},       {"StaticText4", "Ia:", "0.0A", "A相电流"},
    {"StaticText5", "Ib:", "0.0A", "B相电流"},       {"StaticText6", "Ic:", "0.0A", "C相电流"},
    {"StaticText7", "Pa:", "0.0", "A相有功功率"},    {"StaticText8", "Pb:", "0.0", "B相有功功率"},
    {"StaticText9", "Pc:", "0.0", "C相有功功率"},    {"StaticText10", "PFa:", "0.0", "A相功率因数"},
    {"StaticText11", "PFb:", "0.0", "B相功率因数"},  {"StaticText12", "PFc:", "0.0", "C相功率因数"},
    {"StaticText14", "PFabc:", "0.0", "合相功率因数"}, {"StaticText13", "频率:", "0.0", "频率"},
};

constexpr double kPowerScale = 256.0;
constexpr double kRmsScale = 8192.0;
constexpr double kFactorScale = 8388608.0;

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
    std::array<std::uint32_t, 8> head{};
    for (std::uint32_t &v : head)
        v = calib::TakeValue24(values);
    for (int k = 0; k < 3; ++k)
        power_[k].Push(calib::Signed24(head[k]) / kPowerScale);
    values.remove(0, 12);
    for (double &v : last_)
        v = calib::Signed24(calib::TakeValue24(values)) / kRmsScale;
    values.remove(0, 3);
    // Phase A with values 1 and 5, B with 2 and 6, C with 3 and 7, the
    // total with 4 and 8.
    for (int k = 0; k < 4; ++k) {
        const double pf = calib::Signed24(calib::TakeValue24(values)) / kFactorScale;
        powerFactor_[k] = calib::SignsDiffer(head[k], head[k + 4]) ? -pf : pf;
    }
    hertz_ = calib::TakeValue24(values) / kRmsScale;
}

QStringList Decoder::Texts() const
{
    QStringList texts;
    for (int i = 0; i < 6; ++i)
        texts << FormatFixed(last_[i], 4) + QLatin1Char(i < 3 ? 'V' : 'A');
    for (const calib::History &h : power_)
        texts << FormatFixed(h.Mean(), 4) + QLatin1Char('W');
    for (double pf : powerFactor_)
        texts << FormatFixed(pf, 4);
    texts << FormatFixed(hertz_, 2) + QStringLiteral("Hz");
    return texts;
}

double Decoder::Reading(int which) const
{
    if (which >= 0 && which < 3)
        return power_[which].Mean();
    if (which >= 3 && which < 9)
        return last_[which - 3];
    return 0;
}

} // namespace threephase::calibration
