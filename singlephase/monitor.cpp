#include "singlephase/monitor.h"

namespace singlephase::monitor {

using relays::Command;

const std::array<Command, 8> kRelayCommands = {{
    {"BitBtn8", QT_TRANSLATE_NOOP("kz", "OUT1合闸"), Command::SwitchCoil, 0, false},
    {"BitBtn9", QT_TRANSLATE_NOOP("kz", "OUT2合闸"), Command::SwitchCoil, 1, false},
    {"BitBtn10", QT_TRANSLATE_NOOP("kz", "OUT3合闸"), Command::SwitchCoil, 2, false},
    {"BitBtn11", QT_TRANSLATE_NOOP("kz", "OUT1拉闸"), Command::SwitchCoil, 0, true},
    {"BitBtn12", QT_TRANSLATE_NOOP("kz", "OUT2拉闸"), Command::SwitchCoil, 1, true},
    {"BitBtn13", QT_TRANSLATE_NOOP("kz", "OUT3拉闸"), Command::SwitchCoil, 2, true},
    {"BitBtn2", QT_TRANSLATE_NOOP("kz", "读输入状态"), Command::ReadInputs},
    {"BitBtn1", QT_TRANSLATE_NOOP("kz", "读输出状态"), Command::ReadOutputs},
}};

const std::array<StateLamp, kStateLamps> kStateLampTable = {{
    {1, QT_TRANSLATE_NOOP("kz", "电压上限"), 0},       {2, QT_TRANSLATE_NOOP("kz", "电压下限"), 1},       {5, QT_TRANSLATE_NOOP("kz", "频率上限"), 2},       {6, QT_TRANSLATE_NOOP("kz", "频率下限"), 3},
    {3, QT_TRANSLATE_NOOP("kz", "电流上限"), 4},       {4, QT_TRANSLATE_NOOP("kz", "电流下限"), 5},       {7, QT_TRANSLATE_NOOP("kz", "功率因数上限"), 6},   {8, QT_TRANSLATE_NOOP("kz", "功率因数下限"), 7},
    {11, QT_TRANSLATE_NOOP("kz", "无功功率上限"), 8},  {12, QT_TRANSLATE_NOOP("kz", "无功功率下限"), 9},  {9, QT_TRANSLATE_NOOP("kz", "有功功率上限"), 10},  {10, QT_TRANSLATE_NOOP("kz", "有功功率下限"), 11},
    {13, QT_TRANSLATE_NOOP("kz", "Ua断相"), 12},       {14, QT_TRANSLATE_NOOP("kz", "开关量信号1"), 13},  {15, QT_TRANSLATE_NOOP("kz", "开关量信号2"), 14},  {16, QT_TRANSLATE_NOOP("kz", "开关量信号3"), 15},
    {17, QT_TRANSLATE_NOOP("kz", "继电器输出1"), 16},  {18, QT_TRANSLATE_NOOP("kz", "继电器输出2"), 17},  {19, QT_TRANSLATE_NOOP("kz", "继电器输出3"), 18},
}};

QByteArray StateRequest(std::uint8_t address)
{
    return modbus::ReadRegisters(address, kStateFirst, kStateRegisters);
}

std::optional<State> ReadState(const QByteArray &d)
{
    if (d.size() != 2 * kStateRegisters)
        return std::nullopt;
    const auto word = [&](int i) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(d.at(2 * i)) << 8 |
                                          static_cast<std::uint8_t>(d.at(2 * i + 1)));
    };
    const std::uint32_t state = word(1);
    return State{word(0) | (state & 0x7) << 16, static_cast<int>((state >> 3) & 0x3)};
}

std::optional<QString> ModeText(int mode)
{
    switch (mode) {
    case 0:
        return QStringLiteral(QT_TRANSLATE_NOOP("kz", "普通模式"));
    case 1:
        return QStringLiteral(QT_TRANSLATE_NOOP("kz", "基波模式"));
    case 2:
        return QStringLiteral(QT_TRANSLATE_NOOP("kz", "谐波模式"));
    default:
        return std::nullopt;
    }
}

const std::array<const char *, kEventKinds> kEventKindNames = {
    QT_TRANSLATE_NOOP("kz", "普通模式电压事件记录"),     QT_TRANSLATE_NOOP("kz", "普通模式电流事件记录"),     QT_TRANSLATE_NOOP("kz", "普通模式频率事件记录"),
    QT_TRANSLATE_NOOP("kz", "普通模式功率因数事件记录"), QT_TRANSLATE_NOOP("kz", "普通模式有功功率事件记录"), QT_TRANSLATE_NOOP("kz", "普通模式无功功率事件记录"),
    QT_TRANSLATE_NOOP("kz", "开关量输入信号1"),          QT_TRANSLATE_NOOP("kz", "开关量输入信号2"),          QT_TRANSLATE_NOOP("kz", "开关量输入信号3"),
    QT_TRANSLATE_NOOP("kz", "开关量输出信号1"),          QT_TRANSLATE_NOOP("kz", "开关量输出信号2"),          QT_TRANSLATE_NOOP("kz", "开关量输出信号3"),
    QT_TRANSLATE_NOOP("kz", "基波模式电压事件记录"),     QT_TRANSLATE_NOOP("kz", "基波模式电流事件记录"),     QT_TRANSLATE_NOOP("kz", "基波模式频率事件记录"),
    QT_TRANSLATE_NOOP("kz", "基波模式功率因数事件记录"), QT_TRANSLATE_NOOP("kz", "基波模式有功功率事件记录"), QT_TRANSLATE_NOOP("kz", "基波模式无功功率事件记录"),
    QT_TRANSLATE_NOOP("kz", "谐波模式电压事件记录"),     QT_TRANSLATE_NOOP("kz", "谐波模式电流事件记录"),     QT_TRANSLATE_NOOP("kz", "谐波模式有功功率事件记录"),
    QT_TRANSLATE_NOOP("kz", "谐波模式无功功率事件记录"),
};

bool IsSwitchingKind(int kind)
{
    return kind >= 6 && kind <= 11;
}

namespace {

QStringList eventColumns(const QByteArray &record, int kind)
{
    const auto b = [&](int i) { return static_cast<std::uint8_t>(record.at(i)); };
    const auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(b(0)) << 24 | b(1) << 16 | b(2) << 8 | b(3));
    return {EventValueText(value, kind), EventTypeText(b(5), kind), eventlog::TimeText(record.mid(6, 6))};
}

} // namespace

const eventlog::Log kEventLog{kEventKindNames, 12, 20, eventColumns};

QString EventValueText(std::int32_t value, int kind)
{
    if (IsSwitchingKind(kind))
        return QString::number(value);
    // Whole thousandths, so no value is rounded on the way.
    const std::int64_t v = value;
    const std::int64_t magnitude = v < 0 ? -v : v;
    return QStringLiteral("%1%2.%3")
        .arg(v < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 1000)
        .arg(magnitude % 1000, 3, 10, QLatin1Char('0'));
}

QString EventTypeText(std::uint8_t code, int kind)
{
    if (IsSwitchingKind(kind))
        return code == 0 ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "报警")) : QStringLiteral(QT_TRANSLATE_NOOP("kz", "报警恢复"));
    static const char *const measured[] = {QT_TRANSLATE_NOOP("kz", "上限报警"), QT_TRANSLATE_NOOP("kz", "上限报警恢复"), QT_TRANSLATE_NOOP("kz", "下限报警"),
                                           QT_TRANSLATE_NOOP("kz", "下限报警恢复"), QT_TRANSLATE_NOOP("kz", "断相报警"), QT_TRANSLATE_NOOP("kz", "断相报警恢复")};
    return code < std::size(measured) ? QString::fromUtf8(measured[code]) : QString();
}

} // namespace singlephase::monitor
