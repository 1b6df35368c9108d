#include "threephase/display.h"

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
    return fields::Hinted(Shown(fields::Value(object, caption, Kind::BcdByteSpin, offset, 99, "5"), "测量参数显示间隔"),
                          "数据大于99取值99");
}

// A leave-out box: it shows the quantity (text); its accessible name adds
// the window. Ticked in the factory state unless shown is set.
constexpr Field Box(const char *object, const char *name, const char *text, int offset, int bit,
                    bool shown = false)
{
    return Shown(fields::MaskBit(object, name, offset, bit, shown ? "0" : "1"), text);
}

constexpr const char *kUpperItems = "循环测量|UA测量|UB测量|UC测量|UAB测量|UBC测量|UCA测量|"
                                    "三相相平均电压测量|三相线平均电压测量|相频率测量";
constexpr const char *kMiddleItems = "循环测量|IA测量|IB测量|IC测量|三相平均电流测量|零序电流测量|"
                                     "A相功率因数测量|B相功率因数测量|C相功率因数测量|合相功率因数测量";
constexpr const char *kLowerItems =
    "循环测量|A相有功功率测量|B相有功功率测量|C相有功功率测量|合相有功功率测量|"
    "A相无功功率测量|B相无功功率测量|C相无功功率测量|合相无功功率测量|"
    "A相视在功率测量|B相视在功率测量|C相视在功率测量|合相视在功率测量|"
    "有功总电能低字节测量|有功总电能高字节测量|正向有功总电能低字节测量|正向有功总电能高字节测量|"
    "反向有功总电能低字节测量|反向有功总电能高字节测量|无功总电能低字节测量|无功总电能高字节测量|"
    "正向无功总电能低字节测量|正向无功总电能高字节测量|反向无功总电能低字节测量|反向无功总电能高字节测量";

} // namespace

// Captions without the label's colon: they also name the control in the
// refusal messages.
constexpr std::array<Field, 49> kFields = {{
    Quantity("ComboBox1", "上窗口测量参数选择", "上窗口测量参数选择：", 0, kUpperItems),
    Quantity("ComboBox2", "中窗口测量参数选择", "中窗口测量参数选择：", 2, kMiddleItems),
    Quantity("ComboBox3", "下窗口测量参数选择", "下窗口测量参数选择：", 4, kLowerItems),
    Interval("SpinEdit4", "上窗口测量参数显示间隔", 6),
    Interval("SpinEdit3", "中窗口测量参数显示间隔", 8),
    Interval("SpinEdit2", "下窗口测量参数显示间隔", 10),
    fields::Hinted(Shown(fields::Value("Edit1", "有功电能计量定时", Kind::BcdText, 12, 9999, "0"), "有功电能计量定时："),
                   "数据大于9999取值9999"),
    Box("CheckBox1", "上窗口显示屏蔽：UA", "UA", 14, 0, true),
    Box("CheckBox2", "上窗口显示屏蔽：UB", "UB", 14, 1, true),
    Box("CheckBox3", "上窗口显示屏蔽：UC", "UC", 14, 2, true),
    Box("CheckBox4", "上窗口显示屏蔽：UAB", "UAB", 14, 3),
    Box("CheckBox5", "上窗口显示屏蔽：UBC", "UBC", 14, 4),
    Box("CheckBox6", "上窗口显示屏蔽：UCA", "UCA", 14, 5),
    Box("CheckBox7", "上窗口显示屏蔽：相平均电压", "相平均电压", 14, 6),
    Box("CheckBox8", "上窗口显示屏蔽：线平均电压", "线平均电压", 14, 7),
    Box("CheckBox9", "上窗口显示屏蔽：频率", "频率", 14, 8),
    Box("CheckBox10", "中窗口显示屏蔽：IA", "IA", 16, 0, true),
    Box("CheckBox11", "中窗口显示屏蔽：IB", "IB", 16, 1, true),
    Box("CheckBox12", "中窗口显示屏蔽：IC", "IC", 16, 2, true),
    Box("CheckBox13", "中窗口显示屏蔽：平均电流", "平均电流", 16, 3),
    Box("CheckBox14", "中窗口显示屏蔽：零序电流", "零序电流", 16, 4),
    Box("CheckBox15", "中窗口显示屏蔽：A相功率因子", "A相功率因子", 16, 5),
    Box("CheckBox16", "中窗口显示屏蔽：B相功率因子", "B相功率因子", 16, 6),
    Box("CheckBox17", "中窗口显示屏蔽：C相功率因子", "C相功率因子", 16, 7),
    Box("CheckBox18", "中窗口显示屏蔽：合相功率因子", "合相功率因子", 16, 8),
    Box("CheckBox19", "下窗口显示屏蔽：A相有功功率", "A相有功功率", 18, 0, true),
    Box("CheckBox20", "下窗口显示屏蔽：B相有功功率", "B相有功功率", 18, 1, true),
    Box("CheckBox21", "下窗口显示屏蔽：C相有功功率", "C相有功功率", 18, 2, true),
    Box("CheckBox22", "下窗口显示屏蔽：合相有功功率", "合相有功功率", 18, 3),
    Box("CheckBox23", "下窗口显示屏蔽：A相无功功率", "A相无功功率", 18, 4),
    Box("CheckBox24", "下窗口显示屏蔽：B相无功功率", "B相无功功率", 18, 5),
    Box("CheckBox25", "下窗口显示屏蔽：C相无功功率", "C相无功功率", 18, 6),
    Box("CheckBox26", "下窗口显示屏蔽：合相无功功率", "合相无功功率", 18, 7),
    Box("CheckBox27", "下窗口显示屏蔽：A相视在功率", "A相视在功率", 18, 8),
    Box("CheckBox28", "下窗口显示屏蔽：B相视在功率", "B相视在功率", 18, 9),
    Box("CheckBox29", "下窗口显示屏蔽：C相视在功率", "C相视在功率", 18, 10),
    Box("CheckBox30", "下窗口显示屏蔽：合相视在功率", "合相视在功率", 18, 11),
    Box("CheckBox31", "下窗口显示屏蔽：有功总电能低字节", "有功总电能低字节", 18, 12),
    Box("CheckBox32", "下窗口显示屏蔽：有功总电能高字节", "有功总电能高字节", 18, 13),
    Box("CheckBox33", "下窗口显示屏蔽：正向有功电能低字节", "正向有功电能低字节", 18, 14),
    Box("CheckBox34", "下窗口显示屏蔽：正向有功电能高字节", "正向有功电能高字节", 18, 15),
    Box("CheckBox35", "下窗口显示屏蔽：反向有功电能低字节", "反向有功电能低字节", 20, 0),
    Box("CheckBox36", "下窗口显示屏蔽：反向有功电能高字节", "反向有功电能高字节", 20, 1),
    Box("CheckBox37", "下窗口显示屏蔽：无功总电能低字节", "无功总电能低字节", 20, 2),
    Box("CheckBox38", "下窗口显示屏蔽：无功总电能高字节", "无功总电能高字节", 20, 3),
    Box("CheckBox39", "下窗口显示屏蔽：正向无功电能低字节", "正向无功电能低字节", 20, 4),
    Box("CheckBox40", "下窗口显示屏蔽：正向无功电能高字节", "正向无功电能高字节", 20, 5),
    Box("CheckBox41", "下窗口显示屏蔽：反向无功电能低字节", "反向无功电能低字节", 20, 6),
    Box("CheckBox42", "下窗口显示屏蔽：反向无功电能高字节", "反向无功电能高字节", 20, 7),
}};
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
