#include "kz827/quantity.h"

namespace kz827 {

QString UnitText(Quantity quantity, std::uint8_t code)
{
    switch (quantity) {
    case Quantity::Voltage:
        return code != 0 ? QStringLiteral("KV") : QStringLiteral("V");
    case Quantity::Current:
        return code != 0 ? QStringLiteral("KA") : QStringLiteral("A");
    case Quantity::Power:
        return code == 2 ? QStringLiteral("MW") : code == 1 ? QStringLiteral("KW") : QStringLiteral("W");
    }
    return QString();
}

char UnitLetter(Quantity quantity)
{
    switch (quantity) {
    case Quantity::Voltage:
        return 'V';
    case Quantity::Current:
        return 'A';
    case Quantity::Power:
        return 'W';
    }
    return 'W';
}

QString PointText(std::uint32_t value, int decimals)
{
    QString digits = QString::number(value);
    if (decimals >= 1 && decimals <= 3) {
        while (decimals >= digits.size())
            digits.prepend(QLatin1Char('0'));
        digits.insert(digits.size() - decimals, QLatin1Char('.'));
    }
    return digits;
}

} // namespace kz827
