#include "kz827/alarms.h"

#include "core/tr.h"

#include "core/codecs.h"

namespace kz827 {

namespace {

constexpr char kFiller = 0x30;
constexpr int kFillerBytes = 10;

// Offsets inside a block.
constexpr int kEnable = 0;
constexpr int kUpper = 2;
constexpr int kUpperHysteresis = 6;
constexpr int kUpperRelay = 10;
constexpr int kLower = 12;
constexpr int kLowerHysteresis = 16;
constexpr int kLowerRelay = 20;
constexpr int kBlockBytes = 22;

QString InputMessage(Quantity quantity)
{
    switch (quantity) {
    case Quantity::Voltage:
        return QStringLiteral(QT_TRANSLATE_NOOP("kz", "警告！电压数据输入错误！！"));
    case Quantity::Current:
        return QStringLiteral(QT_TRANSLATE_NOOP("kz", "警告！电流数据输入错误！！"));
    case Quantity::Power:
        break;
    }
    return QStringLiteral(QT_TRANSLATE_NOOP("kz", "警告！有功功率数据输入错误！！"));
}

// The power field has always used the voltage wording of this message.
QString LengthMessage(Quantity quantity)
{
    const QString what = quantity == Quantity::Current ? kz::Tr(QT_TRANSLATE_NOOP("kz", "电流")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "电压"));
    return kz::Tr(QT_TRANSLATE_NOOP("kz", "警告！%1数据长度输入超量程！！（有小数点的数最长不能大于5，无小数点的数最长不能大于4")).arg(what);
}

std::uint8_t ByteAt(const QByteArray &data, int offset)
{
    return offset < data.size() ? static_cast<std::uint8_t>(data.at(offset)) : 0;
}

} // namespace

int AlarmBlockOffset(Quantity quantity)
{
    switch (quantity) {
    case Quantity::Power:
        return 0;
    case Quantity::Current:
        return kBlockBytes + kFillerBytes;
    case Quantity::Voltage:
        break;
    }
    return 2 * (kBlockBytes + kFillerBytes);
}

QString LimitText(const QByteArray &field, Quantity quantity)
{
    const int value = BcdValue(ByteAt(field, 0), ByteAt(field, 1));
    const int before = ByteAt(field, 2);
    const int decimals = before >= 1 && before <= 3 ? 4 - before : 0;
    return PointText(static_cast<std::uint32_t>(value), decimals) + UnitText(quantity, ByteAt(field, 3));
}

std::optional<QByteArray> ParseLimit(const QString &text, Quantity quantity, QString *error)
{
    const auto refuse = [&](const QString &message) {
        if (error)
            *error = message;
        return std::nullopt;
    };
    // The unit may only close the text.
    const QChar letter = QLatin1Char(UnitLetter(quantity));
    QString body = text;
    std::uint8_t code = 0;
    if (quantity == Quantity::Power && body.endsWith(QLatin1String("MW"))) {
        code = 2;
        body.chop(2);
    } else if (body.endsWith(QString(QLatin1Char('K')) + letter)) {
        code = 1;
        body.chop(2);
    } else if (body.endsWith(letter)) {
        body.chop(1);
    }
    // What is left: digits with at most one point, and at least one digit.
    int points = 0;
    int digits = 0;
    for (QChar c : body) {
        if (c == QLatin1Char('.'))
            ++points;
        else if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            ++digits;
        else
            return refuse(InputMessage(quantity));
    }
    if (points > 1 || digits == 0)
        return refuse(InputMessage(quantity));

    // The decimal position counts the digits before the point, and grows
    // with every zero put in front to make four digits.
    int before = 0;
    const qsizetype point = body.indexOf(QLatin1Char('.'));
    if (point >= 0) {
        body.remove(point, 1);
        before = static_cast<int>(point);
    }
    while (body.size() < 4) {
        body.prepend(QLatin1Char('0'));
        if (point >= 0)
            ++before;
    }
    if (body.size() >= 5)
        return refuse(LengthMessage(quantity));
    // Four digits all behind the point (".0005"): the field can place a
    // point after the first, second or third digit only, and position 0
    // means no point, so it would store 5 for 0.0005.
    if (point >= 0 && before == 0)
        return refuse(LengthMessage(quantity));

    QByteArray field = IntToBcdBytes(static_cast<std::uint16_t>(body.toInt()));
    field.append(static_cast<char>(before));
    field.append(static_cast<char>(code));
    return field;
}

AlarmSettings DecodeAlarms(const QByteArray &data)
{
    AlarmSettings settings;
    for (Quantity q : {Quantity::Voltage, Quantity::Current, Quantity::Power}) {
        const int at = AlarmBlockOffset(q);
        AlarmQuantity &s = settings[static_cast<int>(q)];
        // The flags are the register's low byte; its high byte means nothing.
        const int enable = ByteAt(data, at + kEnable + 1);
        s.upperEnabled = enable == 1 || enable == 3;
        s.lowerEnabled = enable == 2 || enable == 3;
        s.upper = LimitText(data.mid(at + kUpper, 4), q);
        s.upperHysteresis = LimitText(data.mid(at + kUpperHysteresis, 4), q);
        s.upperRelay = ByteAt(data, at + kUpperRelay + 1);
        s.lower = LimitText(data.mid(at + kLower, 4), q);
        s.lowerHysteresis = LimitText(data.mid(at + kLowerHysteresis, 4), q);
        s.lowerRelay = ByteAt(data, at + kLowerRelay + 1);
    }
    return settings;
}

std::optional<QByteArray> EncodeAlarms(const AlarmSettings &settings, QString *error)
{
    QByteArray data;
    for (Quantity q : {Quantity::Power, Quantity::Current, Quantity::Voltage}) {
        const AlarmQuantity &s = settings[static_cast<int>(q)];
        std::array<QByteArray, 4> limits; // upper, upper hysteresis, lower, lower hysteresis
        const QString *texts[] = {&s.upper, &s.upperHysteresis, &s.lower, &s.lowerHysteresis};
        for (int i = 0; i < 4; ++i) {
            const auto field = ParseLimit(*texts[i], q, error);
            if (!field)
                return std::nullopt;
            limits[i] = *field;
        }
        if (q != Quantity::Power)
            data.append(QByteArray(kFillerBytes, kFiller));
        data.append('\0');
        data.append(static_cast<char>((s.upperEnabled ? 1 : 0) | (s.lowerEnabled ? 2 : 0)));
        data.append(limits[0]);
        data.append(limits[1]);
        data.append('\0');
        data.append(static_cast<char>(s.upperRelay));
        data.append(limits[2]);
        data.append(limits[3]);
        data.append('\0');
        data.append(static_cast<char>(s.lowerRelay));
    }
    return data;
}

AlarmSettings FactoryAlarms()
{
    AlarmSettings settings;
    for (AlarmQuantity &s : settings) {
        s.upper = QStringLiteral("9999");
        s.upperHysteresis = s.lower = s.lowerHysteresis = QStringLiteral("0000");
    }
    return settings;
}

} // namespace kz827
