#include "threephase/display.h"

#include "core/fieldtexts.h"

#include <span>

namespace threephase::display {

using fields::Field;
using fields::Kind;

namespace {

// Lists and spin boxes share their on-screen label (text) between the three
// windows; the caption, their accessible name, says which window it is for.
using fields::Shown;

constexpr Field Quantity(const char *object, const char *caption, const char *text, int offset, const char *items)
{
    return Shown(fields::Value(object, caption, Kind::ComboBcd, offset, 0, "0", items), text);
}

constexpr Field Interval(const char *object, const char *caption, int offset)
{
    return fields::Hinted(Shown(fields::Value(object, caption, Kind::BcdByteSpin, offset, 99, "5"), QT_TRANSLATE_NOOP("kz", "测量参数显示间隔")),
                          QT_TRANSLATE_NOOP("kz", "数据大于99取值99"));
}

constexpr const char *kUpperItems = QT_TRANSLATE_NOOP("kz", "循环测量|UA测量|UB测量|UC测量|UAB测量|UBC测量|UCA测量|"
                                    "三相相平均电压测量|三相线平均电压测量|相频率测量");
constexpr const char *kMiddleItems = QT_TRANSLATE_NOOP("kz", "循环测量|IA测量|IB测量|IC测量|三相平均电流测量|零序电流测量|"
                                     "A相功率因数测量|B相功率因数测量|C相功率因数测量|合相功率因数测量");
constexpr const char *kLowerItems =
    QT_TRANSLATE_NOOP("kz", "循环测量|A相有功功率测量|B相有功功率测量|C相有功功率测量|合相有功功率测量|"
    "A相无功功率测量|B相无功功率测量|C相无功功率测量|合相无功功率测量|"
    "A相视在功率测量|B相视在功率测量|C相视在功率测量|合相视在功率测量|"
    "有功总电能低字节测量|有功总电能高字节测量|正向有功总电能低字节测量|正向有功总电能高字节测量|"
    "反向有功总电能低字节测量|反向有功总电能高字节测量|无功总电能低字节测量|无功总电能高字节测量|"
    "正向无功总电能低字节测量|正向无功总电能高字节测量|反向无功总电能低字节测量|反向无功总电能高字节测量");

// The leave-out boxes' quantities of each window, and where its bits begin.
struct Window {
    const char *prefix;
    int offset;
    std::span<const char *const> quantities;
};
constexpr const char *kUpperBoxes[] = {"UA", "UB", "UC", "UAB", "UBC", "UCA", QT_TRANSLATE_NOOP("kz", "相平均电压"), QT_TRANSLATE_NOOP("kz", "线平均电压"), QT_TRANSLATE_NOOP("kz", "频率")};
constexpr const char *kMiddleBoxes[] = {"IA", "IB", "IC", QT_TRANSLATE_NOOP("kz", "平均电流"), QT_TRANSLATE_NOOP("kz", "零序电流"),
                                        QT_TRANSLATE_NOOP("kz", "A相功率因子"), QT_TRANSLATE_NOOP("kz", "B相功率因子"), QT_TRANSLATE_NOOP("kz", "C相功率因子"), QT_TRANSLATE_NOOP("kz", "合相功率因子")};
constexpr const char *kLowerBoxes[] = {
    QT_TRANSLATE_NOOP("kz", "A相有功功率"), QT_TRANSLATE_NOOP("kz", "B相有功功率"), QT_TRANSLATE_NOOP("kz", "C相有功功率"), QT_TRANSLATE_NOOP("kz", "合相有功功率"), QT_TRANSLATE_NOOP("kz", "A相无功功率"), QT_TRANSLATE_NOOP("kz", "B相无功功率"),
    QT_TRANSLATE_NOOP("kz", "C相无功功率"), QT_TRANSLATE_NOOP("kz", "合相无功功率"), QT_TRANSLATE_NOOP("kz", "A相视在功率"), QT_TRANSLATE_NOOP("kz", "B相视在功率"), QT_TRANSLATE_NOOP("kz", "C相视在功率"), QT_TRANSLATE_NOOP("kz", "合相视在功率"),
    QT_TRANSLATE_NOOP("kz", "有功总电能低字节"), QT_TRANSLATE_NOOP("kz", "有功总电能高字节"), QT_TRANSLATE_NOOP("kz", "正向有功电能低字节"), QT_TRANSLATE_NOOP("kz", "正向有功电能高字节"),
    QT_TRANSLATE_NOOP("kz", "反向有功电能低字节"), QT_TRANSLATE_NOOP("kz", "反向有功电能高字节"), QT_TRANSLATE_NOOP("kz", "无功总电能低字节"), QT_TRANSLATE_NOOP("kz", "无功总电能高字节"),
    QT_TRANSLATE_NOOP("kz", "正向无功电能低字节"), QT_TRANSLATE_NOOP("kz", "正向无功电能高字节"), QT_TRANSLATE_NOOP("kz", "反向无功电能低字节"), QT_TRANSLATE_NOOP("kz", "反向无功电能高字节")};
constexpr std::array<Window, 3> kWindows = {{
    {QT_TRANSLATE_NOOP("kz", "上窗口显示屏蔽："), 14, kUpperBoxes},
    {QT_TRANSLATE_NOOP("kz", "中窗口显示屏蔽："), 16, kMiddleBoxes},
    {QT_TRANSLATE_NOOP("kz", "下窗口显示屏蔽："), 18, kLowerBoxes},
}};
constexpr auto kBoxNames = fields::Numbered<kBoxes>("CheckBox", 1);
constexpr auto kBoxCaptions = [] {
    fields::Texts<kBoxes, 56> captions;
    for (const Window &w : kWindows)
        for (const char *q : w.quantities)
            captions.Add(w.prefix, q);
    return captions;
}();
static_assert(kWindowBoxes[0] == std::ssize(kUpperBoxes) && kWindowBoxes[1] == std::ssize(kMiddleBoxes) &&
              kWindowBoxes[2] == std::ssize(kLowerBoxes));

} // namespace

// Captions without the label's colon: they also name the control in the
// refusal messages.
constexpr std::array<Field, 49> kFields = [] {
    std::array<Field, 49> table = {{
    Quantity("ComboBox1", QT_TRANSLATE_NOOP("kz", "上窗口测量参数选择"), QT_TRANSLATE_NOOP("kz", "上窗口测量参数选择："), 0, kUpperItems),
    Quantity("ComboBox2", QT_TRANSLATE_NOOP("kz", "中窗口测量参数选择"), QT_TRANSLATE_NOOP("kz", "中窗口测量参数选择："), 2, kMiddleItems),
    Quantity("ComboBox3", QT_TRANSLATE_NOOP("kz", "下窗口测量参数选择"), QT_TRANSLATE_NOOP("kz", "下窗口测量参数选择："), 4, kLowerItems),
    Interval("SpinEdit4", QT_TRANSLATE_NOOP("kz", "上窗口测量参数显示间隔"), 6),
    Interval("SpinEdit3", QT_TRANSLATE_NOOP("kz", "中窗口测量参数显示间隔"), 8),
    Interval("SpinEdit2", QT_TRANSLATE_NOOP("kz", "下窗口测量参数显示间隔"), 10),
    fields::Hinted(Shown(fields::Value("Edit1", QT_TRANSLATE_NOOP("kz", "有功电能计量定时"), Kind::BcdText, 12, 9999, "0"), QT_TRANSLATE_NOOP("kz", "有功电能计量定时：")),
                   QT_TRANSLATE_NOOP("kz", "数据大于9999取值9999")),
    }};
    // Each window's boxes follow each other bit by bit from its first word.
    // They show the quantity; their accessible name adds the window. Ticked
    // in the factory state but for each window's first three.
    int box = kFirstBox;
    for (std::size_t w = 0; w < kWindows.size(); ++w)
        for (int i = 0; i < kWindowBoxes[w]; ++i, ++box)
            table[box] = Shown(fields::MaskBit(kBoxNames[box - kFirstBox], kBoxCaptions[box - kFirstBox],
                                               kWindows[w].offset + 2 * (i / 16), i % 16, i < 3 ? "0" : "1"),
                               kWindows[w].quantities[i]);
    return table;
}();
static_assert(fields::FitsBlock(kFields, kBytes));
static_assert(kFirstBox + kBoxes == int(kFields.size()));
static_assert(kWindowBoxes[0] + kWindowBoxes[1] + kWindowBoxes[2] == kBoxes);

fields::Values AllBoxes(bool ticked)
{
    fields::Values values(kFields.size());
    for (int i = kFirstBox; i < int(kFields.size()); ++i)
        values[i] = ticked ? QStringLiteral("1") : QStringLiteral("0");
    return values;
}

fields::Values ResetValues(bool clearBoxes)
{
    fields::Values values = clearBoxes ? AllBoxes(false) : fields::Values(kFields.size());
    for (int i = 0; i < kFirstBox; ++i)
        values[i] = QStringLiteral("0");
    return values;
}

} // namespace threephase::display
