#include "threephase/limits.h"

namespace threephase::limits {

using fields::Field;
using fields::Kind;

namespace {

// Limit edits: unsigned with up to 3 decimals, or signed with up to 4.
constexpr Field Limit(const char *object, const char *caption, int offset, const char *factory)
{
    return fields::Value(object, caption, Kind::BcdLimit, offset, 9999, factory);
}
constexpr Field Signed(const char *object, const char *caption, int offset, const char *factory)
{
    return fields::Value(object, caption, Kind::SignedLimit, offset, 9999, factory);
}
// Alarm delay in seconds and alarm relay number, both BCD words.
constexpr Field Delay(const char *object, int offset)
{
    return fields::Value(object, "报警延时", Kind::BcdSpin, offset, 9999);
}
constexpr Field Relay(const char *object, const char *caption, int offset)
{
    return fields::Value(object, caption, Kind::BcdSpin, offset, 3);
}
// The switch input that drives an output: 0 none, 1..3 DI1..DI3.
constexpr Field Input(const char *object, const char *caption, int offset)
{
    return fields::Value(object, caption, Kind::ComboByte, offset, 0, nullptr, "无对应|DI1|DI2|DI3");
}

} // namespace

constexpr std::array<Field, 20> kVoltage = {{
    Limit("LabeledEdit1", "Ua上限", 0, "999"),
    Limit("LabeledEdit2", "Ua下限", 4, "0"),
    Limit("LabeledEdit3", "Ub上限", 8, "999"),
    Limit("LabeledEdit4", "Ub下限", 12, "0"),
    Limit("LabeledEdit5", "Uc上限", 16, "999"),
    Limit("LabeledEdit6", "Uc下限", 20, "0"),
    Limit("LabeledEdit7", "Uab上限", 24, "999"),
    Limit("LabeledEdit8", "Uab下限", 28, "0"),
    Limit("LabeledEdit9", "Ubc上限", 32, "999"),
    Limit("LabeledEdit10", "Ubc下限", 36, "0"),
    Limit("LabeledEdit11", "Uca上限", 40, "999"),
    Limit("LabeledEdit12", "Uca下限", 44, "0"),
    Limit("LabeledEdit13", "相平均上限", 48, "999"),
    Limit("LabeledEdit14", "相平均下限", 52, "0"),
    Limit("LabeledEdit15", "线平均上限", 56, "999"),
    Limit("LabeledEdit16", "线平均下限", 60, "0"),
    Limit("LabeledEdit17", "电压回差值", 64, "0"),
    Delay("SpinEdit2", 68),
    Relay("SpinEdit3", "电压报警继电器", 70),
    Relay("SpinEdit4", "断相报警继电器", 72),
}};

constexpr std::array<Field, 15> kCurrent = {{
    Limit("LabeledEdit18", "Ia上限", 0, "999"),
    Limit("LabeledEdit19", "Ia下限", 4, "0"),
    Limit("LabeledEdit20", "Ib上限", 8, "999"),
    Limit("LabeledEdit21", "Ib下限", 12, "0"),
    Limit("LabeledEdit22", "Ic上限", 16, "999"),
    Limit("LabeledEdit23", "Ic下限", 20, "0"),
    Limit("LabeledEdit24", "平均电流上限", 24, "999"),
    Limit("LabeledEdit25", "平均电流下限", 28, "0"),
    Limit("LabeledEdit26", "零序电流上限", 32, "999"),
    Limit("LabeledEdit27", "零序电流下限", 36, "0"),
    Limit("LabeledEdit28", "单相电流回差", 40, "0"),
    Limit("LabeledEdit29", "平均电流回差", 44, "0"),
    Limit("LabeledEdit30", "零序电流回差", 48, "0"),
    Delay("SpinEdit5", 52),
    Relay("SpinEdit6", "报警继电器", 54),
}};

// Power factor, active and reactive power share one layout.
constexpr std::array<Field, 11> kPowerFactor = {{
    Limit("LabeledEdit31", "A相上限", 0, "1.000"),
    Limit("LabeledEdit32", "A相下限", 4, "0"),
    Limit("LabeledEdit33", "B相上限", 8, "1.000"),
    Limit("LabeledEdit34", "B相下限", 12, "0"),
    Limit("LabeledEdit35", "C相上限", 16, "1.000"),
    Limit("LabeledEdit36", "C相下限", 20, "0"),
    Limit("LabeledEdit37", "合相上限", 24, "1.000"),
    Limit("LabeledEdit38", "合相下限", 28, "0"),
    Limit("LabeledEdit39", "回差值", 32, "0"),
    Delay("SpinEdit7", 36),
    Relay("SpinEdit8", "报警继电器", 38),
}};

constexpr std::array<Field, 11> kActivePower = {{
    Signed("LabeledEdit40", "A相上限", 0, "9999"),
    Signed("LabeledEdit41", "A相下限", 4, "0"),
    Signed("LabeledEdit42", "B相上限", 8, "9999"),
    Signed("LabeledEdit43", "B相下限", 12, "0"),
    Signed("LabeledEdit44", "C相上限", 16, "9999"),
    Signed("LabeledEdit45", "C相下限", 20, "0"),
    Signed("LabeledEdit46", "合相上限", 24, "9999"),
    Signed("LabeledEdit47", "合相下限", 28, "0"),
    Signed("LabeledEdit48", "回差值", 32, "0"),
    Delay("SpinEdit9", 36),
    Relay("SpinEdit10", "报警继电器", 38),
}};

constexpr std::array<Field, 11> kReactivePower = {{
    Limit("LabeledEdit49", "A相上限", 0, "9999"),
    Limit("LabeledEdit50", "A相下限", 4, "0"),
    Limit("LabeledEdit51", "B相上限", 8, "9999"),
    Limit("LabeledEdit52", "B相下限", 12, "0"),
    Limit("LabeledEdit53", "C相上限", 16, "9999"),
    Limit("LabeledEdit54", "C相下限", 20, "0"),
    Limit("LabeledEdit55", "合相上限", 24, "9999"),
    Limit("LabeledEdit56", "合相下限", 28, "0"),
    Limit("LabeledEdit57", "回差值", 32, "0"),
    Delay("SpinEdit11", 36),
    Relay("SpinEdit12", "报警继电器", 38),
}};

// The unbalance limit is captioned like the other groups' first limit.
constexpr std::array<Field, 4> kCurrentUnbalance = {{
    Limit("LabeledEdit58", "A相上限", 0, "20.00"),
    Limit("LabeledEdit59", "回差值", 4, "0"),
    Delay("SpinEdit13", 8),
    Relay("SpinEdit14", "报警继电器", 10),
}};

constexpr std::array<Field, 4> kVoltageUnbalance = {{
    Limit("LabeledEdit60", "A相上限", 0, "20.00"),
    Limit("LabeledEdit61", "回差值", 4, "0"),
    Delay("SpinEdit15", 8),
    Relay("SpinEdit16", "报警继电器", 10),
}};

constexpr std::array<Field, 5> kFrequency = {{
    Limit("LabeledEdit62", "A相上限", 0, "75.00"),
    Limit("LabeledEdit63", "A相下限", 4, "45.00"),
    Limit("LabeledEdit64", "回差值", 8, "0"),
    Delay("SpinEdit17", 12),
    Relay("SpinEdit18", "报警继电器", 14),
}};

constexpr std::array<Field, 2> kPhaseSequence = {{
    Delay("SpinEdit19", 0),
    Relay("SpinEdit20", "报警继电器", 2),
}};

constexpr std::array<Field, 6> kSwitchInputs = {{
    Relay("SpinEdit21", "DI1", 0),
    Relay("SpinEdit22", "DI2", 2),
    Relay("SpinEdit23", "DI3", 4),
    Input("ComboBox1", "OUT1输入", 6),
    Input("ComboBox2", "OUT2输入", 8),
    Input("ComboBox3", "OUT3输入", 10),
}};

// The voltage group is shown from 71 data bytes on (its last relay may be
// missing); the phase-sequence and switch-input groups from any length.
constexpr std::array<Group, 10> kGroups = {{
    {"电压", "电压参数", 0x1000, 37, 71, kVoltage},
    {"电流", "电流参数", 0x1025, 28, 56, kCurrent},
    {"功率因数", "功率因子参数", 0x1041, 20, 40, kPowerFactor},
    {"有功功率", "有功功率参数", 0x1055, 20, 40, kActivePower},
    {"无功功率", "无功功率参数", 0x1069, 20, 40, kReactivePower},
    {"电流不平衡", "电流不平衡参数", 0x107D, 6, 12, kCurrentUnbalance},
    {"电压不平衡", "电压不平衡参数", 0x1083, 6, 12, kVoltageUnbalance},
    {"频率", "频率参数", 0x1089, 8, 16, kFrequency},
    {"相序", "相序参数设置", 0x1091, 2, 0, kPhaseSequence},
    {"开关量", "开关量报警继电器", 0x1093, 6, 0, kSwitchInputs},
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
