#include "singlephase/settings.h"

#include "core/fieldtexts.h"

namespace singlephase {

using fields::CheckBit;
using fields::Kind;
using fields::MaskBit;
using fields::Radio;
using fields::Shown;
using fields::Value;

namespace {
// A mode's quantities, as the enable boxes and limit rows go.
struct Mode {
    const char *name;   // caption of the enable boxes' frame
    const char *prefix; // what limit row captions of the mode begin with
    std::span<const char *const> quantities;
};
constexpr std::array<Mode, 3> kModes = {{
    {QT_TRANSLATE_NOOP("kz", "普通模式"), "", kQuantities},
    {QT_TRANSLATE_NOOP("kz", "基波模式"), QT_TRANSLATE_NOOP("kz", "基波"), kQuantities},
    {QT_TRANSLATE_NOOP("kz", "谐波模式"), QT_TRANSLATE_NOOP("kz", "谐波"), kHarmonicQuantities},
}};
constexpr std::size_t kRows = 2 * kQuantities.size() + kHarmonicQuantities.size();
} // namespace

namespace alarmenable {

namespace {
// Each mode's boxes take the bits of its word from bit 0 up: the quantity's
// upper (H), then lower (L) limit.
constexpr auto kNames = fields::Numbered<kCheckBoxes>("CheckBox", 1);
constexpr auto kCaptions = [] {
    fields::Texts<2 * kRows> captions;
    for (const Mode &m : kModes)
        for (const char *q : m.quantities) {
            captions.Add(m.name, q, "H");
            captions.Add(m.name, q, "L");
        }
    return captions;
}();
constexpr const char *kRelaySources = QT_TRANSLATE_NOOP("kz", "无对应|对应开关量信号DI1|对应开关量信号DI2|对应开关量信号DI3");
} // namespace

constexpr std::array<fields::Field, 36> kFields = [] {
    std::array<fields::Field, 36> table{};
    std::size_t box = 0;
    for (std::size_t m = 0; m < kModes.size(); ++m)
        for (std::size_t bit = 0; bit < 2 * kModes[m].quantities.size(); ++bit, ++box)
            table[box] = CheckBit(kNames[box], kCaptions[box], static_cast<int>(6 + 2 * m), static_cast<int>(bit), "");
    table[box] = CheckBit(kNames[box], QT_TRANSLATE_NOOP("kz", "断相"), 6, 12);
    table[33] = Value("ComboBox1", QT_TRANSLATE_NOOP("kz", "继电器DO1："), Kind::ComboByte, 0, 0, "0", kRelaySources);
    table[34] = Value("ComboBox2", QT_TRANSLATE_NOOP("kz", "继电器DO2："), Kind::ComboByte, 2, 0, "0", kRelaySources);
    table[35] = Value("ComboBox3", QT_TRANSLATE_NOOP("kz", "继电器DO3："), Kind::ComboByte, 4, 0, "0", kRelaySources);
    return table;
}();
static_assert(fields::FitsBlock(kFields, kBytes));
static_assert(kCaptions.used == kCheckBoxes - 1);

fields::Values Preset(bool ticked)
{
    fields::Values values;
    for (int i = 0; i < kCheckBoxes; ++i)
        values.append(ticked ? QStringLiteral("1") : QStringLiteral("0"));
    for (int i = 0; i < 3; ++i)
        values.append(QStringLiteral("0"));
    return values;
}
} // namespace alarmenable

namespace display {

fields::Values AllBoxes(bool ticked)
{
    fields::Values values(kFields.size());
    for (int i = kFirstBox; i < kFirstSpin; ++i)
        values[i] = ticked ? QStringLiteral("1") : QStringLiteral("0");
    return values;
}

fields::Values Reset()
{
    return fields::Values(kFields.size(), QStringLiteral("0"));
}
} // namespace display

namespace initsettings {
constexpr std::array<fields::Field, 10> kFields = {{
    Radio("RadioGroup1", QT_TRANSLATE_NOOP("kz", "测量模式"), Kind::RadioIndex, 0, QT_TRANSLATE_NOOP("kz", "普通模式|基波模式|谐波模式"), "0"),
    Radio("RadioGroup2", QT_TRANSLATE_NOOP("kz", "电压单位"), Kind::RadioIndex, 2, "V|KV", "0"),
    Shown(Value("LabeledEdit1", QT_TRANSLATE_NOOP("kz", "电压被率"), Kind::WordText, 4, 9999, "1"), QT_TRANSLATE_NOOP("kz", "被率")),
    Shown(Value("LabeledEdit2", QT_TRANSLATE_NOOP("kz", "电流被率"), Kind::WordText, 6, 9999, "1"), QT_TRANSLATE_NOOP("kz", "被率")),
    Radio("RadioGroup4", QT_TRANSLATE_NOOP("kz", "有功功率单位"), Kind::RadioIndex, 8, "W|KW", "0"),
    Radio("RadioGroup5", QT_TRANSLATE_NOOP("kz", "无功功率单位"), Kind::RadioIndex, 10, "var|Kvar", "0"),
    Radio("RadioGroup6", QT_TRANSLATE_NOOP("kz", "视在功率单位"), Kind::RadioIndex, 12, "VA|KVA", "0"),
    Radio("RadioGroup7", QT_TRANSLATE_NOOP("kz", "有功电能单位"), Kind::RadioIndex, 14, "KWH|MWH", "0"),
    Radio("RadioGroup8", QT_TRANSLATE_NOOP("kz", "无功电能单位"), Kind::RadioIndex, 16, "KvarH|MvarH", "0"),
    Shown(Value("SpinEdit2", QT_TRANSLATE_NOOP("kz", "重合闸延时时间"), Kind::WordSpin, 18, 1000, "5"), QT_TRANSLATE_NOOP("kz", "秒")),
}};
static_assert(fields::FitsBlock(kFields, kBytes));
} // namespace initsettings

namespace alarmparams {

namespace {
// A row of eight registers a quantity: upper, lower, hysteresis (value,
// decimals each), delay, relay. Outside the normal mode the edits are
// captioned with the mode and labelled as the normal mode's.
constexpr std::array<const char *, 3> kEdits = {QT_TRANSLATE_NOOP("kz", "上限"), QT_TRANSLATE_NOOP("kz", "下限"), QT_TRANSLATE_NOOP("kz", "回差值")};
constexpr auto kEditNames = fields::Numbered<3 * kRows>("Edit", 1);
constexpr auto kSpinNames = fields::Numbered<2 * kRows>("SpinEdit", 1);
constexpr auto kCaptions = [] {
    fields::Texts<5 * kRows> captions;
    for (const Mode &m : kModes)
        for (const char *q : m.quantities) {
            for (const char *edit : kEdits)
                captions.Add(m.prefix, q, edit);
            captions.Add(m.prefix, q, QT_TRANSLATE_NOOP("kz", "报警延时"));
            captions.Add(m.prefix, q, QT_TRANSLATE_NOOP("kz", "报警继电器"));
        }
    return captions;
}();
constexpr auto kLabels = [] {
    fields::Texts<3 * kRows> labels;
    for (const Mode &m : kModes)
        for (const char *q : m.quantities)
            for (const char *edit : kEdits)
                labels.Add(q, edit);
    return labels;
}();

constexpr std::array<fields::Field, 5 * kRows> kRowTable = [] {
    std::array<fields::Field, 5 * kRows> table{};
    std::size_t field = 0, edit = 0, spin = 0;
    for (const Mode &m : kModes) {
        const bool normal = *m.prefix == '\0';
        int offset = 0;
        auto spinBox = [&](int max, const char *label) {
            table[field] = Shown(Value(kSpinNames[spin++], kCaptions[field], Kind::ByteSpin, offset, max, "0"), label);
            ++field;
            offset += 2;
        };
        for (std::size_t q = 0; q < m.quantities.size(); ++q) {
            for (std::size_t e = 0; e < kEdits.size(); ++e, ++edit, ++field, offset += 4)
                table[field] = Shown(Value(kEditNames[edit], kCaptions[field], Kind::ShortLimit, offset, 0,
                                           e == 0 ? "9999" : "0000"),
                                     normal ? nullptr : kLabels[edit]);
            spinBox(255, QT_TRANSLATE_NOOP("kz", "报警延时"));
            spinBox(3, QT_TRANSLATE_NOOP("kz", "报警继电器"));
        }
    }
    return table;
}();

constexpr fields::Table Rows(std::size_t mode)
{
    std::size_t start = 0;
    for (std::size_t m = 0; m < mode; ++m)
        start += 5 * kModes[m].quantities.size();
    return fields::Table(kRowTable).subspan(start, 5 * kModes[mode].quantities.size());
}
} // namespace

constexpr std::array<Group, 4> kGroups = {{
    {QT_TRANSLATE_NOOP("kz", "普通"), 0x1000, 0x30, Rows(0)},
    {QT_TRANSLATE_NOOP("kz", "基波"), 0x1030, 0x30, Rows(1)},
    {QT_TRANSLATE_NOOP("kz", "谐波"), 0x1060, 0x20, Rows(2)},
    {QT_TRANSLATE_NOOP("kz", "开关量"), 0x1080, 0x06, kSwitchInputs},
}};

constexpr bool GroupsFit()
{
    for (const Group &g : kGroups)
        if (!fields::FitsBlock(g.table, g.Bytes()))
            return false;
    return true;
}
static_assert(GroupsFit());
} // namespace alarmparams

} // namespace singlephase
