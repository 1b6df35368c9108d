#include "threephase/alarmmask.h"

#include "core/fieldtexts.h"

#include <span>

namespace threephase::alarmmask {

using fields::CheckBit;
using fields::Kind;
using fields::Radio;

constexpr std::array<const char *, 8> kVoltageColumns = {"UA", "UB", "UC", "UAB", "UBC", "UCA", QT_TRANSLATE_NOOP("kz", "相平均电压"), QT_TRANSLATE_NOOP("kz", "线平均电压")};
constexpr std::array<const char *, 9> kCurrentColumns = {"IA", "IB", "IC", QT_TRANSLATE_NOOP("kz", "平均电流"), QT_TRANSLATE_NOOP("kz", "零序电流"), "PFA", "PFB", "PFC", "PFabc"};
constexpr std::array<const char *, 9> kPowerColumns = {"Pa", "Pb", "Pc", "Pabc", "Qa", "Qb", "Qc", "Qabc", QT_TRANSLATE_NOOP("kz", "频率")};

namespace {
// The boxes in bit order: the upper and lower limit alarm of each voltage
// column, the phase-loss alarms, the limit alarms of the current and power
// columns, then unbalance and phase sequence.
constexpr std::array<const char *, 4> kPhaseLoss = {QT_TRANSLATE_NOOP("kz", "断相总允许"), QT_TRANSLATE_NOOP("kz", "Ua断相"), QT_TRANSLATE_NOOP("kz", "Ub断相"), QT_TRANSLATE_NOOP("kz", "Uc断相")};
constexpr std::array<const char *, 3> kLast = {QT_TRANSLATE_NOOP("kz", "电流不平衡"), QT_TRANSLATE_NOOP("kz", "电压不平蘅"), QT_TRANSLATE_NOOP("kz", "相序错")};
constexpr std::size_t kLimitBoxes = 2 * (kVoltageColumns.size() + kCurrentColumns.size() + kPowerColumns.size());
static_assert(kLimitBoxes + kPhaseLoss.size() + kLast.size() == kCheckBoxes);

constexpr auto kNames = fields::Numbered<kCheckBoxes>("CheckBox", 1);
constexpr auto kCaptions = [] {
    fields::Texts<kLimitBoxes> captions;
    for (std::span<const char *const> columns : {std::span<const char *const>(kVoltageColumns),
                                                 std::span<const char *const>(kCurrentColumns),
                                                 std::span<const char *const>(kPowerColumns)})
        for (const char *q : columns) {
            captions.Add(q, QT_TRANSLATE_NOOP("kz", "上限"));
            captions.Add(q, QT_TRANSLATE_NOOP("kz", "下限"));
        }
    return captions;
}();
} // namespace

// H/L boxes show no text of their own: the grid's column and row captions
// name them, and their accessible names say which alarm they are.
constexpr std::array<fields::Field, 62> kFields = [] {
    std::array<fields::Field, 62> table{};
    int box = 0;
    std::size_t caption = 0;
    auto add = [&](const char *name, const char *text) {
        table[box] = CheckBit(kNames[box], name, 2 * (box / 16), box % 16, text);
        ++box;
    };
    auto limits = [&](std::size_t columns) {
        for (std::size_t i = 0; i < 2 * columns; ++i)
            add(kCaptions[caption++], "");
    };
    limits(kVoltageColumns.size());
    for (const char *name : kPhaseLoss)
        add(name, nullptr);
    limits(kCurrentColumns.size() + kPowerColumns.size());
    for (const char *name : kLast)
        add(name, nullptr);
    table[59] = Radio("RadioGroup1", QT_TRANSLATE_NOOP("kz", "DI1输入有效"), Kind::RadioBit, 6, QT_TRANSLATE_NOOP("kz", "DI1断开有效|DI1接通有效"), nullptr, 11);
    table[60] = Radio("RadioGroup2", QT_TRANSLATE_NOOP("kz", "DI2输入有效"), Kind::RadioBit, 6, QT_TRANSLATE_NOOP("kz", "DI2断开有效|DI2接通有效"), nullptr, 12);
    table[61] = Radio("RadioGroup3", QT_TRANSLATE_NOOP("kz", "DI3输入有效"), Kind::RadioBit, 6, QT_TRANSLATE_NOOP("kz", "DI3断开有效|DI3接通有效"), nullptr, 13);
    return table;
}();
static_assert(fields::FitsBlock(kFields, kBytes));

QByteArray SelectAllData()
{
    return QByteArray::fromHex("FFFFFFFFFFFF07FF");
}

QByteArray ClearAllData()
{
    return QByteArray::fromHex("0000000000003800");
}

QByteArray FactoryData()
{
    return QByteArray::fromHex("0000000000000400");
}

} // namespace threephase::alarmmask
