#include "core/codecs.h"

#include <algorithm>

int BcdValue(std::uint8_t high, std::uint8_t low)
{
    return (high >> 4) * 1000 + (high & 0x0F) * 100 + (low >> 4) * 10 + (low & 0x0F);
}

QString BcdToInt(std::uint8_t high, std::uint8_t low)
{
    return QString::number(BcdValue(high, low));
}

QString BcdToInt(std::uint16_t word)
{
    return BcdToInt(static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word & 0xFF));
}

QByteArray IntToBcdBytes(std::uint16_t value)
{
    const int v = std::min<int>(value, 9999);
    const int th = v / 1000, hu = v / 100 % 10, te = v / 10 % 10, un = v % 10;
    QByteArray out;
    out.append(static_cast<char>(th << 4 | hu));
    out.append(static_cast<char>(te << 4 | un));
    return out;
}

void IntToBcdWord(std::uint16_t value, QByteArray &out)
{
    out.append(IntToBcdBytes(value));
}

void IntToWordBE(std::int16_t value, QByteArray &out)
{
    const int v = std::clamp<int>(value, -9999, 9999);
    const auto bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
    out.append(static_cast<char>(bits >> 8));
    out.append(static_cast<char>(bits & 0xFF));
}

std::uint16_t TakeWordBE(QByteArray &data)
{
    if (data.size() < 2)
        return 0;
    const auto hi = static_cast<std::uint8_t>(data.at(0));
    const auto lo = static_cast<std::uint8_t>(data.at(1));
    data.remove(0, 2);
    return static_cast<std::uint16_t>(hi << 8 | lo);
}

char NibbleToHex(int value)
{
    value &= 0x0F;
    return static_cast<char>(value < 10 ? value + 48 : value + 55);
}

std::uint8_t HexPairToByte(char high, char low)
{
    auto digit = [](char c) {
        const int code = static_cast<unsigned char>(c);
        return code > '9' ? code - 55 : code - 48;
    };
    return static_cast<std::uint8_t>((digit(high) << 4 | (digit(low) & 0x0F)) & 0xFF);
}

QString BoxText(std::span<const QString> texts, std::span<const char *const> names, const char *boxName)
{
    for (std::size_t i = 0; i < names.size() && i < texts.size(); ++i)
        if (qstrcmp(names[i], boxName) == 0)
            return texts[i];
    return {};
}

QString FormatFixed(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    // A value that rounds to zero shows without a sign.
    if (text.startsWith(QLatin1Char('-'))) {
        bool allZero = true;
        for (QChar c : text.mid(1))
            if (c.isDigit() && c != QLatin1Char('0'))
                allZero = false;
        if (allZero)
            text.remove(0, 1);
    }
    return text;
}

QString DecimalWordText(QByteArray &data)
{
    // A short record reads its missing bytes as 0.
    QByteArray rec = data.left(4);
    data.remove(0, std::min<qsizetype>(4, data.size()));
    rec.append(QByteArray(4 - rec.size(), '\0'));
    const auto raw = static_cast<std::int16_t>(
        static_cast<std::uint16_t>(static_cast<std::uint8_t>(rec.at(0)) << 8 | static_cast<std::uint8_t>(rec.at(1))));
    const int places = static_cast<std::uint8_t>(rec.at(3));
    if (places >= 1 && places <= 4) {
        double div = 1;
        for (int i = 0; i < places; ++i)
            div *= 10;
        return FormatFixed(raw / div, places);
    }
    return QString::number(raw);
}

QString ScaledText(double value, bool flag, int smallDecimals, int largeDecimals,
                   const char *smallUnit, const char *largeUnit)
{
    // Strictly above 999: 999.0 itself stays in the small unit, and negative
    // values never switch on their own.
    if (flag || value > 999)
        return FormatFixed(value / 1000, largeDecimals) + QString::fromUtf8(largeUnit);
    return FormatFixed(value, smallDecimals) + QString::fromUtf8(smallUnit);
}
