#include "singlephase/settings.h"

namespace singlephase {

using fields::CheckBit;
using fields::Kind;
using fields::MaskBit;
using fields::Value;

namespace alarmenable {

const std::array<const char *, 6> kColumns = {"电压", "电流", "功率因数", "频率", "有功功率", "无功功率"};
const std::array<const char *, 4> kHarmonicColumns = {"电压", "电流", "有功功率", "无功功率"};



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


constexpr std::array<words::Field, 4> kWords = {{
    words::Labelled(words::Byte("SpinEdit2", "上窗口测量参数显示间隔", 6, 99, "5"), "测量参数显示间隔"),
    words::Labelled(words::Byte("SpinEdit3", "中窗口测量参数显示间隔", 8, 99, "5"), "测量参数显示间隔"),
    words::Labelled(words::Byte("SpinEdit4", "下窗口测量参数显示间隔", 10, 99, "5"), "测量参数显示间隔"),
    words::Labelled(words::Word("SpinEdit5", "有功电能计量定时", 12, 9999, "0"), "有功电能计量定时："),
}};
static_assert(words::FitsBlock(kWords, kBytes));
const words::Block kBlock{kFields, kWords, kBytes};

fields::Values AllBoxes(bool ticked)
{
    fields::Values values(kFirstBox);
    for (int i = kFirstBox; i < static_cast<int>(kFields.size()); ++i)
        values.append(ticked ? QStringLiteral("1") : QStringLiteral("0"));
    return values;
}

fields::Values ResetFields()
{
    fields::Values values = AllBoxes(false);
    for (int i = 0; i < kFirstBox; ++i)
        values[i] = QStringLiteral("0");
    return values;
}

fields::Values ResetWords()
{
    return fields::Values(kWords.size(), QStringLiteral("0"));
}
} // namespace display

namespace initsettings {
constexpr std::array<words::Field, 10> kWords = {{
    words::Choice("RadioGroup1", "测量模式", 0, "普通模式|基波模式|谐波模式", "0"),
    words::Choice("RadioGroup2", "电压单位", 2, "V|KV", "0"),
    words::Labelled(words::Word("LabeledEdit1", "电压被率", 4, 9999, "1", true), "被率"),
    words::Labelled(words::Word("LabeledEdit2", "电流被率", 6, 9999, "1", true), "被率"),
    words::Choice("RadioGroup4", "有功功率单位", 8, "W|KW", "0"),
    words::Choice("RadioGroup5", "无功功率单位", 10, "var|Kvar", "0"),
    words::Choice("RadioGroup6", "视在功率单位", 12, "VA|KVA", "0"),
    words::Choice("RadioGroup7", "有功电能单位", 14, "KWH|MWH", "0"),
    words::Choice("RadioGroup8", "无功电能单位", 16, "KvarH|MvarH", "0"),
    words::Labelled(words::Word("SpinEdit2", "重合闸延时时间", 18, 1000, "5"), "秒"),
}};
static_assert(words::FitsBlock(kWords, kBytes));
const words::Block kBlock{{}, kWords, kBytes};
} // namespace initsettings

namespace alarmparams {
const std::array<const char *, 6> kQuantities = {"电压", "电流", "功率因数", "频率", "有功功率", "无功功率"};
const std::array<const char *, 4> kHarmonicQuantities = {"电压", "电流", "有功功率", "无功功率"};

// Rows of eight registers: upper, lower, hysteresis (value, decimals), delay, relay.
constexpr std::array<words::Field, 30> kNormal = {{
    words::LimitEdit("Edit1", "电压上限", 0, "9999"),
    words::LimitEdit("Edit2", "电压下限", 4, "0000"),
    words::LimitEdit("Edit3", "电压回差值", 8, "0000"),
    words::Labelled(words::Byte("SpinEdit1", "电压报警延时", 12, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit2", "电压报警继电器", 14, 3, "0"), "报警继电器"),
    words::LimitEdit("Edit4", "电流上限", 16, "9999"),
    words::LimitEdit("Edit5", "电流下限", 20, "0000"),
    words::LimitEdit("Edit6", "电流回差值", 24, "0000"),
    words::Labelled(words::Byte("SpinEdit3", "电流报警延时", 28, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit4", "电流报警继电器", 30, 3, "0"), "报警继电器"),
    words::LimitEdit("Edit7", "功率因数上限", 32, "9999"),
    words::LimitEdit("Edit8", "功率因数下限", 36, "0000"),
    words::LimitEdit("Edit9", "功率因数回差值", 40, "0000"),
    words::Labelled(words::Byte("SpinEdit5", "功率因数报警延时", 44, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit6", "功率因数报警继电器", 46, 3, "0"), "报警继电器"),
    words::LimitEdit("Edit10", "频率上限", 48, "9999"),
    words::LimitEdit("Edit11", "频率下限", 52, "0000"),
    words::LimitEdit("Edit12", "频率回差值", 56, "0000"),
    words::Labelled(words::Byte("SpinEdit7", "频率报警延时", 60, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit8", "频率报警继电器", 62, 3, "0"), "报警继电器"),
    words::LimitEdit("Edit13", "有功功率上限", 64, "9999"),
    words::LimitEdit("Edit14", "有功功率下限", 68, "0000"),
    words::LimitEdit("Edit15", "有功功率回差值", 72, "0000"),
    words::Labelled(words::Byte("SpinEdit9", "有功功率报警延时", 76, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit10", "有功功率报警继电器", 78, 3, "0"), "报警继电器"),
    words::LimitEdit("Edit16", "无功功率上限", 80, "9999"),
    words::LimitEdit("Edit17", "无功功率下限", 84, "0000"),
    words::LimitEdit("Edit18", "无功功率回差值", 88, "0000"),
    words::Labelled(words::Byte("SpinEdit11", "无功功率报警延时", 92, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit12", "无功功率报警继电器", 94, 3, "0"), "报警继电器"),
}};
static_assert(words::FitsBlock(kNormal, 96));

// Rows of eight registers: upper, lower, hysteresis (value, decimals), delay, relay.
constexpr std::array<words::Field, 30> kFundamental = {{
    words::LimitEdit("Edit19", "基波电压上限", 0, "9999", "电压上限"),
    words::LimitEdit("Edit20", "基波电压下限", 4, "0000", "电压下限"),
    words::LimitEdit("Edit21", "基波电压回差值", 8, "0000", "电压回差值"),
    words::Labelled(words::Byte("SpinEdit13", "基波电压报警延时", 12, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit14", "基波电压报警继电器", 14, 3, "0"), "报警继电器"),
    words::LimitEdit("Edit22", "基波电流上限", 16, "9999", "电流上限"),
    words::LimitEdit("Edit23", "基波电流下限", 20, "0000", "电流下限"),
    words::LimitEdit("Edit24", "基波电流回差值", 24, "0000", "电流回差值"),
    words::Labelled(words::Byte("SpinEdit15", "基波电流报警延时", 28, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit16", "基波电流报警继电器", 30, 3, "0"), "报警继电器"),
    words::LimitEdit("Edit25", "基波功率因数上限", 32, "9999", "功率因数上限"),
    words::LimitEdit("Edit26", "基波功率因数下限", 36, "0000", "功率因数下限"),
    words::LimitEdit("Edit27", "基波功率因数回差值", 40, "0000", "功率因数回差值"),
    words::Labelled(words::Byte("SpinEdit17", "基波功率因数报警延时", 44, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit18", "基波功率因数报警继电器", 46, 3, "0"), "报警继电器"),
    words::LimitEdit("Edit28", "基波频率上限", 48, "9999", "频率上限"),
    words::LimitEdit("Edit29", "基波频率下限", 52, "0000", "频率下限"),
    words::LimitEdit("Edit30", "基波频率回差值", 56, "0000", "频率回差值"),
    words::Labelled(words::Byte("SpinEdit19", "基波频率报警延时", 60, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit20", "基波频率报警继电器", 62, 3, "0"), "报警继电器"),
    words::LimitEdit("Edit31", "基波有功功率上限", 64, "9999", "有功功率上限"),
    words::LimitEdit("Edit32", "基波有功功率下限", 68, "0000", "有功功率下限"),
    words::LimitEdit("Edit33", "基波有功功率回差值", 72, "0000", "有功功率回差值"),
    words::Labelled(words::Byte("SpinEdit21", "基波有功功率报警延时", 76, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit22", "基波有功功率报警继电器", 78, 3, "0"), "报警继电器"),
    words::LimitEdit("Edit34", "基波无功功率上限", 80, "9999", "无功功率上限"),
    words::LimitEdit("Edit35", "基波无功功率下限", 84, "0000", "无功功率下限"),
    words::LimitEdit("Edit36", "基波无功功率回差值", 88, "0000", "无功功率回差值"),
    words::Labelled(words::Byte("SpinEdit23", "基波无功功率报警延时", 92, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit24", "基波无功功率报警继电器", 94, 3, "0"), "报警继电器"),
}};
static_assert(words::FitsBlock(kFundamental, 96));

// Rows of eight registers: upper, lower, hysteresis (value, decimals), delay, relay.
constexpr std::array<words::Field, 20> kHarmonic = {{
    words::LimitEdit("Edit37", "谐波电压上限", 0, "9999", "电压上限"),
    words::LimitEdit("Edit38", "谐波电压下限", 4, "0000", "电压下限"),
    words::LimitEdit("Edit39", "谐波电压回差值", 8, "0000", "电压回差值"),
    words::Labelled(words::Byte("SpinEdit25", "谐波电压报警延时", 12, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit26", "谐波电压报警继电器", 14, 3, "0"), "报警继电器"),
    words::LimitEdit("Edit40", "谐波电流上限", 16, "9999", "电流上限"),
    words::LimitEdit("Edit41", "谐波电流下限", 20, "0000", "电流下限"),
    words::LimitEdit("Edit42", "谐波电流回差值", 24, "0000", "电流回差值"),
    words::Labelled(words::Byte("SpinEdit27", "谐波电流报警延时", 28, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit28", "谐波电流报警继电器", 30, 3, "0"), "报警继电器"),
    words::LimitEdit("Edit43", "谐波有功功率上限", 32, "9999", "有功功率上限"),
    words::LimitEdit("Edit44", "谐波有功功率下限", 36, "0000", "有功功率下限"),
    words::LimitEdit("Edit45", "谐波有功功率回差值", 40, "0000", "有功功率回差值"),
    words::Labelled(words::Byte("SpinEdit29", "谐波有功功率报警延时", 44, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit30", "谐波有功功率报警继电器", 46, 3, "0"), "报警继电器"),
    words::LimitEdit("Edit46", "谐波无功功率上限", 48, "9999", "无功功率上限"),
    words::LimitEdit("Edit47", "谐波无功功率下限", 52, "0000", "无功功率下限"),
    words::LimitEdit("Edit48", "谐波无功功率回差值", 56, "0000", "无功功率回差值"),
    words::Labelled(words::Byte("SpinEdit31", "谐波无功功率报警延时", 60, 255, "0"), "报警延时"),
    words::Labelled(words::Byte("SpinEdit32", "谐波无功功率报警继电器", 62, 3, "0"), "报警继电器"),
}};
static_assert(words::FitsBlock(kHarmonic, 64));



const std::array<Group, 4> kGroups = {{
    {"普通", 0x1000, 0x30, {}, kNormal},
    {"基波", 0x1030, 0x30, {}, kFundamental},
    {"谐波", 0x1060, 0x20, {}, kHarmonic},
    {"开关量", 0x1080, 0x06, kSwitchInputs, {}},
}};
} // namespace alarmparams

} // namespace singlephase
