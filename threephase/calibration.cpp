#include "threephase/calibration.h"

namespace threephase::calibration {

namespace {

using calib::Formula;

constexpr calib::Point kPoints[] = {
    {QT_TRANSLATE_NOOP("kz", "A相功率（100%）-1.0      [ 1  ]"), "1100.00W", Formula::PowerUnity, 0},
    {QT_TRANSLATE_NOOP("kz", "B相功率（100%）-1.0      [ 2  ]"), "1100.00W", Formula::PowerUnity, 1},
    {QT_TRANSLATE_NOOP("kz", "C相功率（100%）-1.0      [ 3  ]"), "1100.00W", Formula::PowerUnity, 2},
    {QT_TRANSLATE_NOOP("kz", "A相功率（10%）-1.0       [ 4  ]"), "110.000W", Formula::PowerUnity, 0},
    {QT_TRANSLATE_NOOP("kz", "B相功率（10%）-1.0       [ 5  ]"), "110.000W", Formula::PowerUnity, 1},
    {QT_TRANSLATE_NOOP("kz", "C相功率（10%）-1.0       [ 6  ]"), "110.000W", Formula::PowerUnity, 2},
    {QT_TRANSLATE_NOOP("kz", "A相功率（100%）-0.5L     [ 7  ]"), "550.00W", Formula::PowerHalfLagging, 0},
    {QT_TRANSLATE_NOOP("kz", "B相功率（100%）-0.5L     [ 8  ]"), "550.00W", Formula::PowerHalfLagging, 1},
    {QT_TRANSLATE_NOOP("kz", "C相功率（100%）-0.5L     [ 9  ]"), "550.00W", Formula::PowerHalfLagging, 2},
    {QT_TRANSLATE_NOOP("kz", "A相功率（10%）-0.5L      [ 10 ]"), "55.00W", Formula::PowerHalfLagging, 0},
    {QT_TRANSLATE_NOOP("kz", "B相功率（10%）-0.5L      [ 11 ]"), "55.00W", Formula::PowerHalfLagging, 1},
    {QT_TRANSLATE_NOOP("kz", "C相功率（10%）-0.5L      [ 12 ]"), "55.00W", Formula::PowerHalfLagging, 2},
    {QT_TRANSLATE_NOOP("kz", "A相电压                  [ 13 ]"), "220.00V", Formula::Ratio, 3},
    {QT_TRANSLATE_NOOP("kz", "B相电压                  [ 14 ]"), "220.00V", Formula::Ratio, 4},
    {QT_TRANSLATE_NOOP("kz", "C相电压                  [ 15 ]"), "220.00V", Formula::Ratio, 5},
    {QT_TRANSLATE_NOOP("kz", "A相电流                  [ 16 ]"), "5.000A", Formula::Ratio, 6},
    {QT_TRANSLATE_NOOP("kz", "B相电流                  [ 17 ]"), "5.000A", Formula::Ratio, 7},
    {QT_TRANSLATE_NOOP("kz", "C相电流                  [ 18 ]"), "5.000A", Formula::Ratio, 8},
    {QT_TRANSLATE_NOOP("kz", "A相功率因数              [ 19 ]"), "", Formula::None, 0},
    {QT_TRANSLATE_NOOP("kz", "B相功率因数              [ 20 ]"), "", Formula::None, 0},
    {QT_TRANSLATE_NOOP("kz", "C相功率因数              [ 21 ]"), "", Formula::None, 0},
    {QT_TRANSLATE_NOOP("kz", "合相功率因数             [ 22 ]"), "", Formula::None, 0},
    {QT_TRANSLATE_NOOP("kz", "频率                     [ 23 ]"), "", Formula::None, 0},
};

// In the order Texts() fills them.
constexpr calib::ReadOut kReadOuts[] = {
    {"StaticText1", "Ua:", "0.0V", QT_TRANSLATE_NOOP("kz", "A相电压")},       {"StaticText2", "Ub:", "0.0V", QT_TRANSLATE_NOOP("kz", "B相电压")},
    {"StaticText3", "Uc:", "0.0V", QT_TRANSLATE_NOOP("kz", "C相电压")},       {"StaticText4", "Ia:", "0.0A", QT_TRANSLATE_NOOP("kz", "A相电流")},
    {"StaticText5", "Ib:", "0.0A", QT_TRANSLATE_NOOP("kz", "B相电流")},       {"StaticText6", "Ic:", "0.0A", QT_TRANSLATE_NOOP("kz", "C相电流")},
    {"StaticText7", "Pa:", "0.0", QT_TRANSLATE_NOOP("kz", "A相有功功率")},    {"StaticText8", "Pb:", "0.0", QT_TRANSLATE_NOOP("kz", "B相有功功率")},
    {"StaticText9", "Pc:", "0.0", QT_TRANSLATE_NOOP("kz", "C相有功功率")},    {"StaticText10", "PFa:", "0.0", QT_TRANSLATE_NOOP("kz", "A相功率因数")},
    {"StaticText11", "PFb:", "0.0", QT_TRANSLATE_NOOP("kz", "B相功率因数")},  {"StaticText12", "PFc:", "0.0", QT_TRANSLATE_NOOP("kz", "C相功率因数")},
    {"StaticText14", "PFabc:", "0.0", QT_TRANSLATE_NOOP("kz", "合相功率因数")}, {"StaticText13", QT_TRANSLATE_NOOP("kz", "频率:"), "0.0", QT_TRANSLATE_NOOP("kz", "频率")},
};

constexpr calib::ReplyLayout kLayout{kPoints, kReadOuts, 3, 4, 4, 1, false};

} // namespace

calib::Plan DefaultPlan()
{
    const QString phases[] = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    QList<calib::DefaultSource> sources;
    for (int n = 1; n <= 18; ++n) {
        const int group = (n - 1) / 3; // 0-3 power groups, 4 voltage, 5 current
        sources.append({n, group == 1 || group == 3 ? 10.0 : 100.0, phases[(n - 1) % 3]});
    }
    return calib::MakeDefaultPlan(QStringLiteral(QT_TRANSLATE_NOOP("kz", "三相模块默认校验方案")), kPoints, sources);
}

Decoder::Decoder() : calib::PhaseDecoder(kLayout) {}

} // namespace threephase::calibration
