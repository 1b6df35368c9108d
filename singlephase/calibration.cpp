#include "singlephase/calibration.h"

namespace singlephase::calibration {

namespace {

using calib::Formula;

enum Row { kPower, kVoltage, kCurrent };

constexpr calib::Point kPoints[] = {
    {QT_TRANSLATE_NOOP("kz", "有功功率（100%I）- 1.0      [ 1 ]"), "1100.00W", Formula::PowerUnity, kPower},
    {QT_TRANSLATE_NOOP("kz", "有功功率（10%I ）- 1.0      [ 2 ]"), "110.00W", Formula::PowerUnity, kPower},
    {QT_TRANSLATE_NOOP("kz", "有功功率（100%I）- 0.5L     [ 3 ]"), "550.00W", Formula::PowerHalfLagging, kPower},
    {QT_TRANSLATE_NOOP("kz", "有功功率（10%I ）- 0.5L     [ 4 ]"), "55.00W", Formula::PowerHalfLagging, kPower},
    {QT_TRANSLATE_NOOP("kz", "电压                        [ 5 ]"), "220.00V", Formula::Ratio, kVoltage},
    {QT_TRANSLATE_NOOP("kz", "电流                        [ 6 ]"), "5.000A", Formula::Ratio, kCurrent},
};

constexpr calib::ReadOut kReadOuts[] = {
    {"StaticText1", "U:", "0.0V", QT_TRANSLATE_NOOP("kz", "电压")},
    {"StaticText4", "I:", "0.0A", QT_TRANSLATE_NOOP("kz", "电流")},
    {"StaticText7", "P:", "0.0", QT_TRANSLATE_NOOP("kz", "有功功率")},
    {"StaticText10", "PF:", "0.0", QT_TRANSLATE_NOOP("kz", "功率因数")},
    {"StaticText13", QT_TRANSLATE_NOOP("kz", "频率:"), "0.0", QT_TRANSLATE_NOOP("kz", "频率")},
};

constexpr calib::ReplyLayout kLayout{kPoints, kReadOuts, 1, 1, 1, 0, true};

} // namespace

calib::Plan DefaultPlan()
{
    QList<calib::DefaultSource> sources;
    for (int n = 1; n <= 6; ++n)
        sources.append({n, n == 2 || n == 4 ? 10.0 : 100.0});
    return calib::MakeDefaultPlan(QStringLiteral(QT_TRANSLATE_NOOP("kz", "单相表默认校验方案")), kPoints, sources);
}

Decoder::Decoder() : calib::PhaseDecoder(kLayout) {}

} // namespace singlephase::calibration
