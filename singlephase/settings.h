#pragma once
// The settings blocks of the single-phase tester as register field tables:
// alarm enables (0x0030..0x0035), display (0x0036..0x003D), the set-up block
// (0x0050..0x0059) with the energy bases at 0x005A, and the alarm
// parameters (0x1000..0x1085 in four groups). Qt Core only.
#include "core/energybase.h"
#include "core/fields.h"

#include <array>
#include <cstdint>

namespace singlephase {

// The quantities watched for alarms, in the order of the enable bits and of
// the limit rows; the harmonic mode watches four of them.
inline constexpr std::array<const char *, 6> kQuantities = {QT_TRANSLATE_NOOP("kz", "电压"), QT_TRANSLATE_NOOP("kz", "电流"), QT_TRANSLATE_NOOP("kz", "功率因数"), QT_TRANSLATE_NOOP("kz", "频率"), QT_TRANSLATE_NOOP("kz", "有功功率"), QT_TRANSLATE_NOOP("kz", "无功功率")};
inline constexpr std::array<const char *, 4> kHarmonicQuantities = {QT_TRANSLATE_NOOP("kz", "电压"), QT_TRANSLATE_NOOP("kz", "电流"), QT_TRANSLATE_NOOP("kz", "有功功率"), QT_TRANSLATE_NOOP("kz", "无功功率")};

namespace alarmenable {
constexpr std::uint16_t kFirstRegister = 0x0030;
constexpr std::uint16_t kRegisters = 6;
constexpr int kBytes = 12;
// CheckBox1..CheckBox33 (in the order of the enable bits: normal mode
// 0x0033 bits 0-11, fundamental 0x0034 bits 0-11, harmonic 0x0035 bits
// 0-7, phase loss 0x0033 bit 12), then ComboBox1..3 (relay DO1..DO3 source).
// Boxes show no text: the frame, column and H/L row captions name them.
extern const std::array<fields::Field, 36> kFields;
constexpr int kCheckBoxes = 33;
// Column captions of the normal and fundamental frames, and of the harmonic one.
inline constexpr const auto &kColumns = kQuantities;
inline constexpr const auto &kHarmonicColumns = kHarmonicQuantities;
// Every box ticked or clear, each relay on "无对应".
fields::Values Preset(bool ticked);
} // namespace alarmenable

namespace display {
constexpr std::uint16_t kFirstRegister = 0x0036;
constexpr std::uint16_t kRegisters = 8;
constexpr int kBytes = 16;
// ComboBox1..3 (quantity of the upper, middle, lower window), the fifteen
// mask boxes CheckBox1..CheckBox15 (ticked: shown in the cycle), then
// SpinEdit2..4 (display intervals) and SpinEdit5 (metering time).
inline constexpr std::array<fields::Field, 22> kFields = {{
    fields::Value("ComboBox1", QT_TRANSLATE_NOOP("kz", "上窗口测量参数选择："), fields::Kind::ComboByte, 0, 0, "0", QT_TRANSLATE_NOOP("kz", "循环测量|电压测量|相频率测量")),
    fields::Value("ComboBox2", QT_TRANSLATE_NOOP("kz", "中窗口测量参数选择："), fields::Kind::ComboByte, 2, 0, "0", QT_TRANSLATE_NOOP("kz", "循环测量|电流测量|功率因数测量")),
    fields::Value("ComboBox3", QT_TRANSLATE_NOOP("kz", "下窗口测量参数选择："), fields::Kind::ComboByte, 4, 0, "0",
          QT_TRANSLATE_NOOP("kz", "循环测量|有功功率测量|无功功率测量|视在功率测量|有功总电能低字节测量|有功总电能高字节测量|正向有功总电能低字节测量|正向有功总电能高字节测量|反向有功总电能低字节测量|反向有功总电能高字节测量|无功总电能低字节测量|无功总电能高字节测量|正向无功总电能低字节测量|正向无功总电能高字节测量|反向无功总电能低字节测量|反向无功总电能高字节测量")),
    fields::MaskBit("CheckBox1", QT_TRANSLATE_NOOP("kz", "有功功率"), 14, 0, "0"),
    fields::MaskBit("CheckBox2", QT_TRANSLATE_NOOP("kz", "无功功率"), 14, 1, "0"),
    fields::MaskBit("CheckBox3", QT_TRANSLATE_NOOP("kz", "视在功率"), 14, 2, "0"),
    fields::MaskBit("CheckBox4", QT_TRANSLATE_NOOP("kz", "有功总电能低字节"), 14, 3, "1"),
    fields::MaskBit("CheckBox5", QT_TRANSLATE_NOOP("kz", "有功总电能高字节"), 14, 4, "1"),
    fields::MaskBit("CheckBox6", QT_TRANSLATE_NOOP("kz", "正向有功电能低字节"), 14, 5, "1"),
    fields::MaskBit("CheckBox7", QT_TRANSLATE_NOOP("kz", "正向有功电能高字节"), 14, 6, "1"),
    fields::MaskBit("CheckBox8", QT_TRANSLATE_NOOP("kz", "反向有功电能低字节"), 14, 7, "1"),
    fields::MaskBit("CheckBox9", QT_TRANSLATE_NOOP("kz", "反向有功电能高字节"), 14, 8, "1"),
    fields::MaskBit("CheckBox10", QT_TRANSLATE_NOOP("kz", "无功总电能低字节"), 14, 9, "1"),
    fields::MaskBit("CheckBox11", QT_TRANSLATE_NOOP("kz", "无功总电能高字节"), 14, 10, "1"),
    fields::MaskBit("CheckBox12", QT_TRANSLATE_NOOP("kz", "正向无功电能低字节"), 14, 11, "1"),
    fields::MaskBit("CheckBox13", QT_TRANSLATE_NOOP("kz", "正向无功电能高字节"), 14, 12, "1"),
    fields::MaskBit("CheckBox14", QT_TRANSLATE_NOOP("kz", "反向无功电能低字节"), 14, 13, "1"),
    fields::MaskBit("CheckBox15", QT_TRANSLATE_NOOP("kz", "反向无功电能高字节"), 14, 14, "1"),
    fields::Shown(fields::Value("SpinEdit2", QT_TRANSLATE_NOOP("kz", "上窗口测量参数显示间隔"), fields::Kind::ByteSpin, 6, 99, "5"), QT_TRANSLATE_NOOP("kz", "测量参数显示间隔")),
    fields::Shown(fields::Value("SpinEdit3", QT_TRANSLATE_NOOP("kz", "中窗口测量参数显示间隔"), fields::Kind::ByteSpin, 8, 99, "5"), QT_TRANSLATE_NOOP("kz", "测量参数显示间隔")),
    fields::Shown(fields::Value("SpinEdit4", QT_TRANSLATE_NOOP("kz", "下窗口测量参数显示间隔"), fields::Kind::ByteSpin, 10, 99, "5"), QT_TRANSLATE_NOOP("kz", "测量参数显示间隔")),
    fields::Shown(fields::Value("SpinEdit5", QT_TRANSLATE_NOOP("kz", "有功电能计量定时"), fields::Kind::WordSpin, 12, 9999, "0"), QT_TRANSLATE_NOOP("kz", "有功电能计量定时：")),
}};
static_assert(fields::FitsBlock(kFields, kBytes));
constexpr int kFirstBox = 3;
constexpr int kFirstSpin = 18;
// Every box ticked or clear, nothing else changed.
fields::Values AllBoxes(bool ticked);
// What an upload starts from: lists on item 0, boxes clear, spins 0.
fields::Values Reset();
} // namespace display

namespace initsettings {
constexpr std::uint16_t kFirstRegister = 0x0050;
constexpr std::uint16_t kRegisters = 10;
constexpr int kBytes = 20;
// RadioGroup1 (mode), RadioGroup2 (voltage unit), LabeledEdit1,
// LabeledEdit2 (ratios), RadioGroup4..8 (units), SpinEdit2 (reclose delay).
extern const std::array<fields::Field, 10> kFields;
// Energy bases: read 2 registers (16 bytes), write 2 registers with 8 bytes.
constexpr std::uint16_t kBaseRegister = 0x005A;
constexpr std::uint16_t kBaseRegisters = 2;
constexpr int kBaseReadBytes = 16;
} // namespace initsettings

namespace alarmparams {
struct Group {
    const char *radio; // caption of the radio button that picks it
    std::uint16_t first;
    std::uint16_t count;
    fields::Table table; // the limit rows, or the switch-input lists
    constexpr int Bytes() const { return count * 2; }
};
// Limit rows of the normal, fundamental and harmonic groups, one a
// quantity: upper, lower, hysteresis edits (Edit1..Edit48) and delay, relay
// spins (SpinEdit1..SpinEdit32), eight registers per row.
// ComboBox2, 4, 6 (alarm relay of DI1..3), ComboBox1, 3, 5 (input signal).
inline constexpr std::array<fields::Field, 6> kSwitchInputs = {{
    fields::Value("ComboBox2", QT_TRANSLATE_NOOP("kz", "DI1报警对应继电器"), fields::Kind::ComboByte, 0, 0, "0", QT_TRANSLATE_NOOP("kz", "无对应|对应DO1|对应DO2|对应DO3")),
    fields::Value("ComboBox4", QT_TRANSLATE_NOOP("kz", "DI2报警对应继电器"), fields::Kind::ComboByte, 2, 0, "0", QT_TRANSLATE_NOOP("kz", "无对应|对应DO1|对应DO2|对应DO3")),
    fields::Value("ComboBox6", QT_TRANSLATE_NOOP("kz", "DI3报警对应继电器"), fields::Kind::ComboByte, 4, 0, "0", QT_TRANSLATE_NOOP("kz", "无对应|对应DO1|对应DO2|对应DO3")),
    fields::Value("ComboBox1", QT_TRANSLATE_NOOP("kz", "DI1输入信号选择"), fields::Kind::ComboByte, 6, 0, "0", QT_TRANSLATE_NOOP("kz", "接通有效|断开有效")),
    fields::Value("ComboBox3", QT_TRANSLATE_NOOP("kz", "DI2输入信号选择"), fields::Kind::ComboByte, 8, 0, "0", QT_TRANSLATE_NOOP("kz", "接通有效|断开有效")),
    fields::Value("ComboBox5", QT_TRANSLATE_NOOP("kz", "DI3输入信号选择"), fields::Kind::ComboByte, 10, 0, "0", QT_TRANSLATE_NOOP("kz", "接通有效|断开有效")),
}};
static_assert(fields::FitsBlock(kSwitchInputs, 12));
// Groups 1..4 (AlarmParamGroup) are kGroups[0..3].
extern const std::array<Group, 4> kGroups;
// Quantities of the rows, as captions begin.
using singlephase::kHarmonicQuantities;
using singlephase::kQuantities;
} // namespace alarmparams

} // namespace singlephase
