#include "kz827/range.h"

#include "core/tr.h"

#include "core/codecs.h"
#include "core/fields.h"
#include "link/modbusframes.h"

#include <algorithm>

namespace kz827 {

namespace {

std::uint8_t ByteAt(const QByteArray &data, int offset)
{
    return offset < data.size() ? static_cast<std::uint8_t>(data.at(offset)) : 0;
}

// A ratio: plain decimal digits worth 0..9999.
std::optional<int> Ratio(const QString &text, const QString &caption, QString *error)
{
    const std::optional<qint64> value = fields::ParseInteger(text, error);
    if (!value)
        return std::nullopt;
    if (*value < 0) {
        if (error)
            *error = fields::NegativeMessage(caption);
        return std::nullopt;
    }
    if (*value > 9999) {
        if (error)
            *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "“%1”不能大于9999！")).arg(caption);
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

QByteArray SingleRegister(std::uint8_t address, std::uint16_t reg, std::uint8_t value)
{
    QByteArray data(2, '\0');
    data[1] = static_cast<char>(value);
    return modbus::WriteRegisters(address, reg, 1, data);
}

} // namespace

QStringList BaudRates()
{
    return {QStringLiteral("1200"), QStringLiteral("2400"), QStringLiteral("4800"),
            QStringLiteral("9600"), QStringLiteral("14400"), QStringLiteral("19200")};
}

RangeSettings DecodeRange(const QByteArray &data)
{
    RangeSettings s;
    s.voltageUnit = std::min<int>(ByteAt(data, 1), 1);
    s.voltageRatio = BcdToInt(ByteAt(data, 2), ByteAt(data, 3));
    s.currentUnit = std::min<int>(ByteAt(data, 5), 1);
    s.currentRatio = BcdToInt(ByteAt(data, 6), ByteAt(data, 7));
    s.powerUnit = std::min<int>(ByteAt(data, 9), 2);
    return s;
}

std::optional<QByteArray> EncodeRange(const RangeSettings &s, QString *error)
{
    const auto refuse = [&](const QString &message) {
        if (error)
            *error = message;
        return std::nullopt;
    };
    const std::optional<int> voltageRatio = Ratio(s.voltageRatio, QStringLiteral(QT_TRANSLATE_NOOP("kz", "电压被率")), error);
    if (!voltageRatio)
        return std::nullopt;
    const std::optional<int> currentRatio = Ratio(s.currentRatio, QStringLiteral(QT_TRANSLATE_NOOP("kz", "电流被率")), error);
    if (!currentRatio)
        return std::nullopt;
    if (s.voltageUnit < 0 || s.voltageUnit > 1)
        return refuse(fields::NoChoiceMessage(QStringLiteral(QT_TRANSLATE_NOOP("kz", "电压单位"))));
    if (s.currentUnit < 0 || s.currentUnit > 1)
        return refuse(fields::NoChoiceMessage(QStringLiteral(QT_TRANSLATE_NOOP("kz", "电流单位"))));
    if (s.powerUnit < 0 || s.powerUnit > 2)
        return refuse(fields::NoChoiceMessage(QStringLiteral(QT_TRANSLATE_NOOP("kz", "有功功率单位"))));

    QByteArray data;
    data.append('\0');
    data.append(static_cast<char>(s.voltageUnit));
    IntToBcdWord(static_cast<std::uint16_t>(*voltageRatio), data);
    data.append('\0');
    data.append(static_cast<char>(s.currentUnit));
    IntToBcdWord(static_cast<std::uint16_t>(*currentRatio), data);
    data.append('\0');
    data.append(static_cast<char>(s.powerUnit));
    return data;
}

QByteArray SetAddressFrame(std::uint8_t address, std::uint8_t newAddress)
{
    return SingleRegister(address, kAddressRegister, newAddress);
}

QByteArray SetBaudFrame(std::uint8_t address, std::uint8_t rateIndex)
{
    return SingleRegister(address, kBaudRegister, rateIndex);
}

} // namespace kz827
