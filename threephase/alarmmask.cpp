#include "threephase/alarmmask.h"

namespace threephase::alarmmask {

using fields::CheckBit;
using fields::Kind;
using fields::Radio;

// H/L boxes show no text of their own: the grid's column and row captions
// name them, and their accessible names say which alarm they are.
constexpr std::array<fields::Field, 62> kFields = {{
    CheckBit("CheckBox1", "UA上限", 0, 0, ""),
    CheckBit("CheckBox2", "UA下限", 0, 1, ""),
    CheckBit("CheckBox3", "UB上限", 0, 2, ""),
    CheckBit("CheckBox4", "UB下限", 0, 3, ""),
    CheckBit("CheckBox5", "UC上限", 0, 4, ""),
    CheckBit("CheckBox6", "UC下限", 0, 5, ""),
    CheckBit("CheckBox7", "UAB上限", 0, 6, ""),
    CheckBit("CheckBox8", "UAB下限", 0, 7, ""),
    CheckBit("CheckBox9", "UBC上限", 0, 8, ""),
    CheckBit("CheckBox10", "UBC下限", 0, 9, ""),
    CheckBit("CheckBox11", "UCA上限", 0, 10, ""),
    CheckBit("CheckBox12", "UCA下限", 0, 11, ""),
    CheckBit("CheckBox13", "相平均电压上限", 0, 12, ""),
    CheckBit("CheckBox14", "相平均电压下限", 0, 13, ""),
    CheckBit("CheckBox15", "线平均电压上限", 0, 14, ""),
    CheckBit("CheckBox16", "线平均电压下限", 0, 15, ""),
    CheckBit("CheckBox17", "断相总允许", 2, 0),
    CheckBit("CheckBox18", "Ua断相", 2, 1),
    CheckBit("CheckBox19", "Ub断相", 2, 2),
    CheckBit("CheckBox20", "Uc断相", 2, 3),
    CheckBit("CheckBox21", "IA上限", 2, 4, ""),
    CheckBit("CheckBox22", "IA下限", 2, 5, ""),
    CheckBit("CheckBox23", "IB上限", 2, 6, ""),
    CheckBit("CheckBox24", "IB下限", 2, 7, ""),
    CheckBit("CheckBox25", "IC上限", 2, 8, ""),
    CheckBit("CheckBox26", "IC下限", 2, 9, ""),
    CheckBit("CheckBox27", "平均电流上限", 2, 10, ""),
    CheckBit("CheckBox28", "平均电流下限", 2, 11, ""),
    CheckBit("CheckBox29", "零序电流上限", 2, 12, ""),
    CheckBit("CheckBox30", "零序电流下限", 2, 13, ""),
    CheckBit("CheckBox31", "PFA上限", 2, 14, ""),
    CheckBit("CheckBox32", "PFA下限", 2, 15, ""),
    CheckBit("CheckBox33", "PFB上限", 4, 0, ""),
    CheckBit("CheckBox34", "PFB下限", 4, 1, ""),
    CheckBit("CheckBox35", "PFC上限", 4, 2, ""),
    CheckBit("CheckBox36", "PFC下限", 4, 3, ""),
    CheckBit("CheckBox37", "PFabc上限", 4, 4, ""),
    CheckBit("CheckBox38", "PFabc下限", 4, 5, ""),
    CheckBit("CheckBox39", "Pa上限", 4, 6, ""),
    CheckBit("CheckBox40", "Pa下限", 4, 7, ""),
    CheckBit("CheckBox41", "Pb上限", 4, 8, ""),
    CheckBit("CheckBox42", "Pb下限", 4, 9, ""),
    CheckBit("CheckBox43", "Pc上限", 4, 10, ""),
    CheckBit("CheckBox44", "Pc下限", 4, 11, ""),
    CheckBit("CheckBox45", "Pabc上限", 4, 12, ""),
    CheckBit("CheckBox46", "Pabc下限", 4, 13, ""),
    CheckBit("CheckBox47", "Qa上限", 4, 14, ""),
    CheckBit("CheckBox48", "Qa下限", 4, 15, ""),
    CheckBit("CheckBox49", "Qb上限", 6, 0, ""),
    CheckBit("CheckBox50", "Qb下限", 6, 1, ""),
    CheckBit("CheckBox51", "Qc上限", 6, 2, ""),
    CheckBit("CheckBox52", "Qc下限", 6, 3, ""),
    CheckBit("CheckBox53", "Qabc上限", 6, 4, ""),
    CheckBit("CheckBox54", "Qabc下限", 6, 5, ""),
    CheckBit("CheckBox55", "频率上限", 6, 6, ""),
    CheckBit("CheckBox56", "频率下限", 6, 7, ""),
    CheckBit("CheckBox57", "电流不平衡", 6, 8),
    CheckBit("CheckBox58", "电压不平蘅", 6, 9),
    CheckBit("CheckBox59", "相序错", 6, 10),
    Radio("RadioGroup1", "DI1输入有效", Kind::RadioBit, 6, "DI1断开有效|DI1接通有效", nullptr, 11),
    Radio("RadioGroup2", "DI2输入有效", Kind::RadioBit, 6, "DI2断开有效|DI2接通有效", nullptr, 12),
    Radio("RadioGroup3", "DI3输入有效", Kind::RadioBit, 6, "DI3断开有效|DI3接通有效", nullptr, 13),}};
static_assert(fields::FitsBlock(kFields, kBytes));

const std::array<const char *, 8> kVoltageColumns = {"UA", "UB", "UC", "UAB", "UBC", "UCA", "相平均电压", "线平均电压"};
const std::array<const char *, 9> kCurrentColumns = {"IA", "IB", "IC", "平均电流", "零序电流", "PFA", "PFB", "PFC", "PFabc"};
const std::array<const char *, 9> kPowerColumns = {"Pa", "Pb", "Pc", "Pabc", "Qa", "Qb", "Qc", "Qabc", "频率"};

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
