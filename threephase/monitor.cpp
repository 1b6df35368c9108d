#include "threephase/monitor.h"

#include "threephase/alarmmask.h"

namespace threephase::monitor {

using relays::Command;

const std::array<Command, 8> kRelayCommands = {{
    {"BitBtn8", QT_TRANSLATE_NOOP("kz", "OUT1合闸"), Command::SwitchCoil, 0, false, QT_TRANSLATE_NOOP("kz", "OUT1合闸成功！！！")},
    {"BitBtn9", QT_TRANSLATE_NOOP("kz", "OUT2合闸"), Command::SwitchCoil, 1, false, QT_TRANSLATE_NOOP("kz", "OUT2合闸成功！！！")},
    {"BitBtn10", QT_TRANSLATE_NOOP("kz", "OUT3合闸"), Command::SwitchCoil, 2, false, QT_TRANSLATE_NOOP("kz", "OUT3合闸成功！！！")},
    {"BitBtn11", QT_TRANSLATE_NOOP("kz", "OUT1拉闸"), Command::SwitchCoil, 0, true, QT_TRANSLATE_NOOP("kz", "OUT1拉闸成功！！！")},
    {"BitBtn12", QT_TRANSLATE_NOOP("kz", "OUT2拉闸"), Command::SwitchCoil, 1, true, QT_TRANSLATE_NOOP("kz", "OUT2拉闸成功！！！")},
    {"BitBtn13", QT_TRANSLATE_NOOP("kz", "OUT3拉闸"), Command::SwitchCoil, 2, true, QT_TRANSLATE_NOOP("kz", "OUT3拉闸成功！！！")},
    {"BitBtn2", QT_TRANSLATE_NOOP("kz", "读输入状态"), Command::ReadInputs},
    {"BitBtn1", QT_TRANSLATE_NOOP("kz", "读输出状态"), Command::ReadOutputs},
}};

namespace {

// Lamp numbers by state bit, as the window names its lamps.
constexpr std::array<int, kStateLamps> kShapeOfBit = {
    1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, // 0x002A
    55, 56, 57, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, // 0x002B
    32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, // 0x002C
    48, 49, 50, 51, 52, 17, 18, 58, 59, 54, 60, 61, 62, 63, 64, 53, // 0x002D
};

// The alarm enable that has no state bit of its own.
constexpr int kPhaseLossMaster = 16; // CheckBox17 "断相总允许"

constexpr std::array<const char *, 6> kIoCaptions = {QT_TRANSLATE_NOOP("kz", "开关量信号1"), QT_TRANSLATE_NOOP("kz", "开关量信号2"), QT_TRANSLATE_NOOP("kz", "开关量信号3"),
                                                     QT_TRANSLATE_NOOP("kz", "继电器输出1"), QT_TRANSLATE_NOOP("kz", "继电器输出2"), QT_TRANSLATE_NOOP("kz", "继电器输出3")};

QList<StateLamp> makeStateLamps()
{
    QList<StateLamp> lamps;
    int bit = 0;
    for (int i = 0; i < alarmmask::kCheckBoxes; ++i) {
        if (i == kPhaseLossMaster)
            continue;
        lamps.append({QStringLiteral("Shape%1").arg(kShapeOfBit[bit]),
                      QString::fromUtf8(alarmmask::kFields[i].caption), bit});
        ++bit;
    }
    for (const char *caption : kIoCaptions) {
        lamps.append({QStringLiteral("Shape%1").arg(kShapeOfBit[bit]), QString::fromUtf8(caption), bit});
        ++bit;
    }
    return lamps;
}

QString nibbleChar(int nibble)
{
    return nibble <= 9 ? QString::number(nibble) : QStringLiteral("E");
}

QStringList eventColumns(const QByteArray &record, int kind)
{
    const auto b = [&](int i) { return static_cast<std::uint8_t>(record.at(i)); };
    return {EventValueText(b(0), b(1), kind), eventlog::TimeText(record.mid(2, 6))};
}

} // namespace

const QList<StateLamp> &StateLamps()
{
    static const QList<StateLamp> lamps = makeStateLamps();
    return lamps;
}

const StateLamp *FindStateLamp(const QString &caption)
{
    for (const StateLamp &lamp : StateLamps())
        if (lamp.caption == caption)
            return &lamp;
    return nullptr;
}

QByteArray StateRequest(std::uint8_t address)
{
    return modbus::ReadRegisters(address, kStateFirst, kStateRegisters);
}

std::optional<std::uint64_t> StateBits(const QByteArray &d)
{
    if (d.size() != 2 * kStateRegisters)
        return std::nullopt;
    std::uint64_t bits = 0;
    for (int w = 0; w < kStateRegisters; ++w) {
        const std::uint64_t word = static_cast<std::uint8_t>(d.at(2 * w)) << 8 | static_cast<std::uint8_t>(d.at(2 * w + 1));
        bits |= word << (16 * w);
    }
    return bits;
}

const std::array<const char *, kEventKinds> kEventKindNames = {
    QT_TRANSLATE_NOOP("kz", "A相电压事件记录"),       QT_TRANSLATE_NOOP("kz", "B相电压事件记录"),       QT_TRANSLATE_NOOP("kz", "C相电压事件记录"),       QT_TRANSLATE_NOOP("kz", "AB相电压事件记录"),
    QT_TRANSLATE_NOOP("kz", "BC相电压事件记录"),      QT_TRANSLATE_NOOP("kz", "CA相电压事件记录"),      QT_TRANSLATE_NOOP("kz", "三相相平均电压事件记录"), QT_TRANSLATE_NOOP("kz", "三相电压不平衡事件记录"),
    QT_TRANSLATE_NOOP("kz", "A相电流事件记录"),       QT_TRANSLATE_NOOP("kz", "B相电流事件记录"),       QT_TRANSLATE_NOOP("kz", "C相电流事件记录"),       QT_TRANSLATE_NOOP("kz", "三相平均电流事件记录"),
    QT_TRANSLATE_NOOP("kz", "零序电流事件记录"),      QT_TRANSLATE_NOOP("kz", "三相电流不平衡事件记录"), QT_TRANSLATE_NOOP("kz", "A相功率因数事件记录"),   QT_TRANSLATE_NOOP("kz", "B相功率因数事件记录"),
    QT_TRANSLATE_NOOP("kz", "C相功率因数事件记录"),   QT_TRANSLATE_NOOP("kz", "合相功率因数事件记录"),   QT_TRANSLATE_NOOP("kz", "A相有功功率事件记录"),   QT_TRANSLATE_NOOP("kz", "B相有功功率事件记录"),
    QT_TRANSLATE_NOOP("kz", "C相有功功率事件记录"),   QT_TRANSLATE_NOOP("kz", "合相有功功率事件记录"),   QT_TRANSLATE_NOOP("kz", "相频率事件记录"),        QT_TRANSLATE_NOOP("kz", "开关量输入信号1"),
    QT_TRANSLATE_NOOP("kz", "开关量输入信号2"),       QT_TRANSLATE_NOOP("kz", "开关量输入信号3"),       QT_TRANSLATE_NOOP("kz", "开关量输出信号1"),       QT_TRANSLATE_NOOP("kz", "开关量输出信号2"),
    QT_TRANSLATE_NOOP("kz", "开关量输出信号3"),
};

const eventlog::Log kEventLog{kEventKindNames, 8, 20, eventColumns};

QString EventValueText(std::uint8_t high, std::uint8_t low, int kind)
{
    const QString d = nibbleChar(high >> 4) + nibbleChar(high & 0x0F) + nibbleChar(low >> 4) + nibbleChar(low & 0x0F);
    if ((kind >= 8 && kind <= 13) || kind == 18)
        return d.left(2) + QLatin1Char('.') + d.mid(2);
    if (kind >= 14 && kind <= 17)
        return d.left(1) + QLatin1Char('.') + d.mid(1);
    return d;
}

} // namespace threephase::monitor
