#include "core/fields.h"

#include "core/tr.h"

#include "core/codecs.h"

#include <QStringList>
#include <algorithm>
#include <limits>

namespace fields {

namespace {

std::uint8_t byteAt(const QByteArray &data, int i)
{
    return static_cast<std::uint8_t>(data.at(i));
}

std::uint16_t wordAt(const QByteArray &data, int i)
{
    return static_cast<std::uint16_t>(byteAt(data, i) << 8 | byteAt(data, i + 1));
}

void putWord(QByteArray &data, int i, std::uint16_t value)
{
    data[i] = static_cast<char>(value >> 8);
    data[i + 1] = static_cast<char>(value & 0xFF);
}

int itemCount(const Field &f)
{
    return f.items ? static_cast<int>(QString::fromUtf8(f.items).split(QLatin1Char('|')).size()) : 0;
}

int bcdByte(std::uint8_t b)
{
    return (b >> 4) * 10 + (b & 0x0F);
}

std::uint8_t toBcdByte(int v)
{
    return static_cast<std::uint8_t>((v / 10 % 10) << 4 | (v % 10));
}

// The digit string and number of decimals of a typed limit, cut to its
// first maxChars characters.
struct Digits {
    QString digits;
    int decimals = 0;
};

Digits splitLimit(const QString &typed, int maxChars, int maxDecimals)
{
    QString text = typed.left(maxChars);
    Digits d;
    if (text.startsWith(QLatin1Char('.'))) {
        d.digits = text.mid(1).left(maxDecimals);
        d.decimals = static_cast<int>(d.digits.size());
        return d;
    }
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0) {
        d.digits = text;
        return d;
    }
    const QString fraction = text.mid(point + 1);
    d.decimals = static_cast<int>(fraction.size());
    d.digits = text.left(point) + fraction;
    return d;
}

std::optional<Limit> putLimit(const QString &text, const QString &caption, QString *error, bool isSigned)
{
    const Digits d = splitLimit(text, isSigned ? 6 : 5, isSigned ? 4 : 3);
    const std::optional<qint64> value = ParseInteger(d.digits, error);
    if (!value)
        return std::nullopt;
    QByteArray bytes;
    if (isSigned) {
        IntToWordBE(static_cast<std::int16_t>(std::clamp<qint64>(*value, -9999, 9999)), bytes);
    } else {
        if (*value < 0) {
            if (error)
                *error = NegativeMessage(caption);
            return std::nullopt;
        }
        IntToBcdWord(static_cast<std::uint16_t>(std::min<qint64>(*value, 9999)), bytes);
    }
    return Limit{static_cast<std::uint8_t>(bytes.at(0)), static_cast<std::uint8_t>(bytes.at(1)),
                 static_cast<std::uint8_t>(d.decimals)};
}

bool digitsOnly(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

Limit signedLimit(qint64 value, qsizetype decimals)
{
    const auto bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp<qint64>(value, -9999, 9999)));
    return Limit{static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits & 0xFF),
                 static_cast<std::uint8_t>(decimals)};
}

// A whole number typed into an unsigned edit, limited to max.
std::optional<int> putCount(const QString &text, const Field &f, QString *error)
{
    const std::optional<qint64> value = ParseInteger(text, error);
    if (!value)
        return std::nullopt;
    if (*value < 0) {
        if (error)
            *error = NegativeMessage(QString::fromUtf8(f.caption));
        return std::nullopt;
    }
    return static_cast<int>(std::min<qint64>(*value, f.max));
}

} // namespace

QString NegativeMessage(const QString &caption)
{
    return kz::Tr(QT_TRANSLATE_NOOP("kz", "“%1”不能为负数！")).arg(caption);
}

QString NoChoiceMessage(const QString &caption)
{
    return kz::Tr(QT_TRANSLATE_NOOP("kz", "请选择“%1”！")).arg(caption);
}

std::optional<qint64> ParseInteger(const QString &text, QString *error)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    const qsizetype firstDigit = i;
    qint64 value = 0;
    bool saturated = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        const int digit = c.unicode() - '0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            saturated = true;
        if (!saturated)
            value = value * 10 + digit;
    }
    if (i == firstDigit || i != text.size()) {
        if (error)
            *error = QStringLiteral("'%1' is not a valid integer value").arg(text);
        return std::nullopt;
    }
    if (saturated)
        value = std::numeric_limits<qint64>::max();
    return negative ? -value : value;
}

std::optional<Limit> PutBcdLimit(const QString &text, const QString &caption, QString *error)
{
    return putLimit(text, caption, error, false);
}

std::optional<Limit> PutSignedLimit(const QString &text, const QString &caption, QString *error)
{
    return putLimit(text, caption, error, true);
}

std::optional<Limit> PutShortLimit(const QString &text, QString *error)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0) {
        const std::optional<qint64> v = ParseInteger(text, error);
        if (!v)
            return std::nullopt;
        return signedLimit(*v, 0);
    }
    const QString integer = text.left(point);
    QString fraction = text.mid(point + 1);
    const QStringView unsignedPart = QStringView(integer).mid(integer.startsWith(QLatin1Char('-')) ? 1 : 0);
    if (!digitsOnly(unsignedPart) || !digitsOnly(fraction) || (unsignedPart.isEmpty() && fraction.isEmpty())) {
        if (error)
            *error = QStringLiteral("'%1' is not a valid integer value").arg(text);
        return std::nullopt;
    }
    // Five characters: the integer part and the point first, then as many
    // fraction digits as still fit.
    fraction = fraction.left(std::max<qsizetype>(0, 5 - integer.size() - 1));
    const qint64 v = unsignedPart.isEmpty() && fraction.isEmpty() ? 0 : ParseInteger(integer + fraction).value_or(0);
    return signedLimit(v, fraction.size());
}

QString BcdLimitText(const QByteArray &record)
{
    QString digits;
    for (int i = 0; i < 2; ++i) {
        const std::uint8_t b = i < record.size() ? byteAt(record, i) : 0;
        for (int nibble : {b >> 4, b & 0x0F})
            digits.append(QChar(u'0' + (nibble > 9 ? 0 : nibble)));
    }
    const int decimals = record.size() > 3 ? byteAt(record, 3) : 0;
    if (decimals >= 1 && decimals <= 3)
        digits.insert(4 - decimals, QLatin1Char('.'));
    return digits;
}

Values Decode(Table table, const QByteArray &data)
{
    Values values;
    values.reserve(static_cast<qsizetype>(table.size()));
    for (const Field &f : table) {
        if (f.offset + f.Width() > data.size()) {
            values.append(QString());
            continue;
        }
        const std::uint16_t word = wordAt(data, f.offset);
        const std::uint8_t low = byteAt(data, f.offset + 1);
        const bool bitSet = (word >> f.bit) & 1u;
        QString v;
        switch (f.kind) {
        case Kind::Bit:
            v = (bitSet != f.inverted) ? QStringLiteral("1") : QStringLiteral("0");
            break;
        case Kind::RadioBit:
            v = bitSet ? QStringLiteral("0") : QStringLiteral("1");
            break;
        case Kind::RadioFlag:
            v = low != 0 ? QStringLiteral("1") : QStringLiteral("0");
            break;
        case Kind::RadioWord:
            v = low == f.value1 ? QStringLiteral("1") : QStringLiteral("0");
            break;
        case Kind::BcdSpin:
        case Kind::BcdText:
            v = BcdToInt(word);
            break;
        case Kind::BcdByteSpin:
            v = QString::number(bcdByte(low));
            break;
        case Kind::BcdLimit:
            v = BcdLimitText(data.mid(f.offset, 4));
            break;
        case Kind::SignedLimit:
        case Kind::ShortLimit: {
            QByteArray record = data.mid(f.offset, 4);
            v = DecimalWordText(record);
            break;
        }
        case Kind::ByteSpin:
            v = QString::number(low);
            break;
        case Kind::WordSpin:
        case Kind::WordText:
            v = QString::number(word);
            break;
        case Kind::ComboByte:
        case Kind::RadioIndex:
        case Kind::ComboBcd: {
            const int index = f.kind == Kind::ComboBcd ? bcdByte(low) : low;
            v = QString::number(index < itemCount(f) ? index : -1);
            break;
        }
        }
        values.append(v);
    }
    return values;
}

Encoded Encode(Table table, const Values &values, int bytes)
{
    Encoded out;
    out.data = QByteArray(bytes, '\0');
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Field &f = table[i];
        const QString v = i < static_cast<std::size_t>(values.size()) ? values[static_cast<qsizetype>(i)] : QString();
        const QString caption = QString::fromUtf8(f.caption);
        const auto refuse = [&](const QString &message) {
            out.error = message;
            out.field = static_cast<int>(i);
            out.data.clear();
            return out;
        };
        switch (f.kind) {
        case Kind::Bit:
        case Kind::RadioBit: {
            const bool set = f.kind == Kind::Bit ? ((v == QLatin1String("1")) != f.inverted) : v == QLatin1String("0");
            if (set)
                putWord(out.data, f.offset, static_cast<std::uint16_t>(wordAt(out.data, f.offset) | 1u << f.bit));
            break;
        }
        case Kind::RadioFlag:
            putWord(out.data, f.offset, v == QLatin1String("1") ? 1 : 0);
            break;
        case Kind::RadioWord:
            putWord(out.data, f.offset, v == QLatin1String("1") ? f.value1 : f.value0);
            break;
        case Kind::BcdSpin:
        case Kind::BcdText:
        case Kind::BcdByteSpin:
        case Kind::ByteSpin:
        case Kind::WordSpin:
        case Kind::WordText: {
            const std::optional<int> n = putCount(v, f, &out.error);
            if (!n)
                return refuse(out.error);
            if (f.kind == Kind::BcdByteSpin)
                putWord(out.data, f.offset, toBcdByte(*n));
            else if (f.kind == Kind::BcdSpin || f.kind == Kind::BcdText)
                out.data.replace(f.offset, 2, IntToBcdBytes(static_cast<std::uint16_t>(*n)));
            else
                putWord(out.data, f.offset, static_cast<std::uint16_t>(*n));
            break;
        }
        case Kind::BcdLimit:
        case Kind::SignedLimit:
        case Kind::ShortLimit: {
            const std::optional<Limit> limit = f.kind == Kind::BcdLimit      ? PutBcdLimit(v, caption, &out.error)
                                               : f.kind == Kind::SignedLimit ? PutSignedLimit(v, caption, &out.error)
                                                                             : PutShortLimit(v, &out.error);
            if (!limit)
                return refuse(out.error);
            out.data[f.offset] = static_cast<char>(limit->high);
            out.data[f.offset + 1] = static_cast<char>(limit->low);
            out.data[f.offset + 3] = static_cast<char>(limit->decimals);
            break;
        }
        case Kind::ComboByte:
        case Kind::RadioIndex:
        case Kind::ComboBcd: {
            bool ok = false;
            const int index = v.toInt(&ok);
            if (!ok || index < 0 || index >= itemCount(f))
                return refuse(NoChoiceMessage(caption));
            putWord(out.data, f.offset, f.kind == Kind::ComboBcd ? toBcdByte(index) : index);
            break;
        }
        }
    }
    return out;
}

Values FactoryValues(Table table)
{
    Values values;
    for (const Field &f : table)
        values.append(f.factory ? QString::fromUtf8(f.factory) : QString());
    return values;
}

} // namespace fields
