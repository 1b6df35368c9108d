#include "threephase/limits.h"

#include "core/fieldtexts.h"

namespace threephase::limits {

using fields::Field;
using fields::Kind;

namespace {

// The limit rows of one group: an upper and, where the group has them, a
// lower limit for each quantity (captioned quantity + "上限"/"下限"), the
// hysteresis edits, the alarm delay in seconds and the alarm relays (BCD
// words, relays 0..3). Edits are unsigned with up to 3 decimals, or signed
// with up to 4 (kind); lists stop at their first nullptr.
struct LimitRows {
    Kind kind;
    std::array<const char *, 8> quantities;
    const char *upper; // factory values; lower nullptr: no lower limits
    const char *lower;
    std::array<const char *, 3> hysteresis;
    std::array<const char *, 2> relays;
};

template <std::size_t N>
constexpr int Used(const std::array<const char *, N> &list)
{
    int n = 0;
    while (n < static_cast<int>(N) && list[n])
        ++n;
    return n;
}
constexpr int Limits(const LimitRows &r)
{
    return Used(r.quantities) * (r.lower ? 2 : 1);
}
constexpr int Rows(const LimitRows &r)
{
    return Limits(r) + Used(r.hysteresis) + 1 + Used(r.relays);
}

// Power factor, active and reactive power share one layout; the unbalance
// limits are captioned like the other groups' first limit.
constexpr std::array<const char *, 8> kPhases = {QT_TRANSLATE_NOOP("kz", "A相"), QT_TRANSLATE_NOOP("kz", "B相"), QT_TRANSLATE_NOOP("kz", "C相"), QT_TRANSLATE_NOOP("kz", "合相")};
constexpr std::array<LimitRows, 9> kLimitRows = {{
    {Kind::BcdLimit, {"Ua", "Ub", "Uc", "Uab", "Ubc", "Uca", QT_TRANSLATE_NOOP("kz", "相平均"), QT_TRANSLATE_NOOP("kz", "线平均")}, "999", "0", {QT_TRANSLATE_NOOP("kz", "电压回差值")},
     {QT_TRANSLATE_NOOP("kz", "电压报警继电器"), QT_TRANSLATE_NOOP("kz", "断相报警继电器")}},
    {Kind::BcdLimit, {"Ia", "Ib", "Ic", QT_TRANSLATE_NOOP("kz", "平均电流"), QT_TRANSLATE_NOOP("kz", "零序电流")}, "999", "0",
     {QT_TRANSLATE_NOOP("kz", "单相电流回差"), QT_TRANSLATE_NOOP("kz", "平均电流回差"), QT_TRANSLATE_NOOP("kz", "零序电流回差")}, {QT_TRANSLATE_NOOP("kz", "报警继电器")}},
    {Kind::BcdLimit, kPhases, "1.000", "0", {QT_TRANSLATE_NOOP("kz", "回差值")}, {QT_TRANSLATE_NOOP("kz", "报警继电器")}},
    {Kind::SignedLimit, kPhases, "9999", "0", {QT_TRANSLATE_NOOP("kz", "回差值")}, {QT_TRANSLATE_NOOP("kz", "报警继电器")}},
    {Kind::BcdLimit, kPhases, "9999", "0", {QT_TRANSLATE_NOOP("kz", "回差值")}, {QT_TRANSLATE_NOOP("kz", "报警继电器")}},
    {Kind::BcdLimit, {QT_TRANSLATE_NOOP("kz", "A相")}, "20.00", nullptr, {QT_TRANSLATE_NOOP("kz", "回差值")}, {QT_TRANSLATE_NOOP("kz", "报警继电器")}},
    {Kind::BcdLimit, {QT_TRANSLATE_NOOP("kz", "A相")}, "20.00", nullptr, {QT_TRANSLATE_NOOP("kz", "回差值")}, {QT_TRANSLATE_NOOP("kz", "报警继电器")}},
    {Kind::BcdLimit, {QT_TRANSLATE_NOOP("kz", "A相")}, "75.00", "45.00", {QT_TRANSLATE_NOOP("kz", "回差值")}, {QT_TRANSLATE_NOOP("kz", "报警继电器")}},
    {Kind::BcdLimit, {}, nullptr, nullptr, {}, {QT_TRANSLATE_NOOP("kz", "报警继电器")}}, // phase sequence: delay and relay only
}};

constexpr int Total(int (*count)(const LimitRows &))
{
    int n = 0;
    for (const LimitRows &r : kLimitRows)
        n += count(r);
    return n;
}
constexpr int kRowFields = Total(Rows);
constexpr int kJoined = Total(Limits);
constexpr int kRowSpins = kRowFields - kLimitFields;

constexpr auto kEdits = fields::Numbered<kLimitFields>("LabeledEdit", 1);
constexpr auto kSpins = fields::Numbered<kRowSpins>("SpinEdit", 2);
constexpr auto kCaptions = [] {
    fields::Texts<kJoined> captions;
    for (const LimitRows &r : kLimitRows)
        for (int q = 0; q < Used(r.quantities); ++q) {
            captions.Add(r.quantities[q], QT_TRANSLATE_NOOP("kz", "上限"));
            if (r.lower)
                captions.Add(r.quantities[q], QT_TRANSLATE_NOOP("kz", "下限"));
        }
    return captions;
}();

// All limit rows in register order; each group's rows start at offset 0.
constexpr auto kRowTable = [] {
    std::array<Field, kRowFields> table{};
    int row = 0, edit = 0, spin = 0, caption = 0;
    for (const LimitRows &r : kLimitRows) {
        int offset = 0;
        auto limit = [&](const char *text, const char *factory) {
            table[row++] = fields::Value(kEdits[edit++], text, r.kind, offset, 9999, factory);
            offset += 4;
        };
        auto spinBox = [&](const char *text, int max) {
            table[row++] = fields::Value(kSpins[spin++], text, Kind::BcdSpin, offset, max);
            offset += 2;
        };
        for (int q = 0; q < Used(r.quantities); ++q) {
            limit(kCaptions[caption++], r.upper);
            if (r.lower)
                limit(kCaptions[caption++], r.lower);
        }
        for (int h = 0; h < Used(r.hysteresis); ++h)
            limit(r.hysteresis[h], "0");
        spinBox(QT_TRANSLATE_NOOP("kz", "报警延时"), 9999);
        for (int n = 0; n < Used(r.relays); ++n)
            spinBox(r.relays[n], 3);
    }
    return table;
}();

constexpr fields::Table LimitGroup(int group)
{
    int start = 0;
    for (int g = 0; g < group; ++g)
        start += Rows(kLimitRows[g]);
    return fields::Table(kRowTable).subspan(start, Rows(kLimitRows[group]));
}

// The relays of DI1..DI3, then the switch input that drives each output:
// 0 none, 1..3 DI1..DI3.
constexpr Field Input(const char *object, const char *caption, int offset)
{
    return fields::Value(object, caption, Kind::ComboByte, offset, 0, nullptr, QT_TRANSLATE_NOOP("kz", "无对应|DI1|DI2|DI3"));
}
constexpr std::array<Field, 6> kSwitchInputs = {{
    fields::Value("SpinEdit21", "DI1", Kind::BcdSpin, 0, 3),
    fields::Value("SpinEdit22", "DI2", Kind::BcdSpin, 2, 3),
    fields::Value("SpinEdit23", "DI3", Kind::BcdSpin, 4, 3),
    Input("ComboBox1", QT_TRANSLATE_NOOP("kz", "OUT1输入"), 6),
    Input("ComboBox2", QT_TRANSLATE_NOOP("kz", "OUT2输入"), 8),
    Input("ComboBox3", QT_TRANSLATE_NOOP("kz", "OUT3输入"), 10),
}};

} // namespace

// The voltage group is shown from 71 data bytes on (its last relay may be
// missing); the phase-sequence and switch-input groups from any length.
constexpr std::array<Group, 10> kGroups = {{
    {QT_TRANSLATE_NOOP("kz", "电压"), QT_TRANSLATE_NOOP("kz", "电压参数"), 0x1000, 37, 71, LimitGroup(0)},
    {QT_TRANSLATE_NOOP("kz", "电流"), QT_TRANSLATE_NOOP("kz", "电流参数"), 0x1025, 28, 56, LimitGroup(1)},
    {QT_TRANSLATE_NOOP("kz", "功率因数"), QT_TRANSLATE_NOOP("kz", "功率因子参数"), 0x1041, 20, 40, LimitGroup(2)},
    {QT_TRANSLATE_NOOP("kz", "有功功率"), QT_TRANSLATE_NOOP("kz", "有功功率参数"), 0x1055, 20, 40, LimitGroup(3)},
    {QT_TRANSLATE_NOOP("kz", "无功功率"), QT_TRANSLATE_NOOP("kz", "无功功率参数"), 0x1069, 20, 40, LimitGroup(4)},
    {QT_TRANSLATE_NOOP("kz", "电流不平衡"), QT_TRANSLATE_NOOP("kz", "电流不平衡参数"), 0x107D, 6, 12, LimitGroup(5)},
    {QT_TRANSLATE_NOOP("kz", "电压不平衡"), QT_TRANSLATE_NOOP("kz", "电压不平衡参数"), 0x1083, 6, 12, LimitGroup(6)},
    {QT_TRANSLATE_NOOP("kz", "频率"), QT_TRANSLATE_NOOP("kz", "频率参数"), 0x1089, 8, 16, LimitGroup(7)},
    {QT_TRANSLATE_NOOP("kz", "相序"), QT_TRANSLATE_NOOP("kz", "相序参数设置"), 0x1091, 2, 0, LimitGroup(8)},
    {QT_TRANSLATE_NOOP("kz", "开关量"), QT_TRANSLATE_NOOP("kz", "开关量报警继电器"), 0x1093, 6, 0, kSwitchInputs},
}};

namespace {

// Every group's fields lie in its block, the groups follow each other from
// 0x1000 to 0x1098, and every data byte of a group belongs to a field.
constexpr bool GroupsSound()
{
    std::uint16_t next = 0x1000;
    int limitFields = 0;
    for (const Group &g : kGroups) {
        if (g.first != next || !fields::FitsBlock(g.table, g.Bytes()) || g.minimum > g.Bytes())
            return false;
        int covered = 0;
        for (const Field &f : g.table) {
            covered += f.Width();
            limitFields += f.IsTextEdit() ? 1 : 0;
        }
        if (covered != g.Bytes())
            return false;
        next = static_cast<std::uint16_t>(g.first + g.count);
    }
    return next == 0x1099 && limitFields == kLimitFields;
}
static_assert(GroupsSound());

} // namespace

} // namespace threephase::limits
