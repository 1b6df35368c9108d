#include "singlephase/wordfields.h"

#include "core/codecs.h"

#include <QStringList>
#include <algorithm>

namespace singlephase::words {

namespace {

int itemCount(const Field &f)
{
    return f.items ? static_cast<int>(QString::fromUtf8(f.items).split(QLatin1Char('|')).size()) : 0;
}

bool digitsOnly(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

QString notInteger(const QString &text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

} // namespace

std::optional<ScaledLimit> ParseLimit(const QString &text, QString *error)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0) {
        const std::optional<qint64> v = fields::ParseInteger(text, error);
        if (!v)
            return std::nullopt;
        return ScaledLimit{static_cast<std::int16_t>(std::clamp<qint64>(*v, -9999, 9999)), 0};
    }
    const QString integer = text.left(point);
    QString fraction = text.mid(point + 1);
    const QStringView unsignedPart = QStringView(integer).mid(integer.startsWith(QLatin1Char('-')) ? 1 : 0);
    if (!digitsOnly(unsignedPart) || !digitsOnly(fraction) || (unsignedPart.isEmpty() && fraction.isEmpty())) {
        if (error)
            *error = notInteger(text);
        return std::nullopt;
    }
    // Five characters: the integer part and the point first, then as many
    // fraction digits as still fit.
    fraction = fraction.left(std::max<qsizetype>(0, 5 - integer.size() - 1));
    const QString joined = integer + fraction;
    const qint64 v = unsignedPart.isEmpty() && fraction.isEmpty() ? 0 : fields::ParseInteger(joined).value_or(0);
    return ScaledLimit{static_cast<std::int16_t>(std::clamp<qint64>(v, -9999, 9999)),
                       static_cast<std::uint8_t>(fraction.size())};
}

fields::Values Decode(Table table, const QByteArray &data)
{
    fields::Values values;
    for (const Field &f : table) {
        if (f.offset + f.Width() > data.size()) {
            values.append(QString());
            continue;
        }
        const auto word = static_cast<std::uint16_t>(static_cast<std::uint8_t>(data.at(f.offset)) << 8 |
                                                     static_cast<std::uint8_t>(data.at(f.offset + 1)));
        switch (f.kind) {
        case Kind::Byte:
            values.append(QString::number(word & 0xFF));
            break;
        case Kind::Word:
            values.append(QString::number(word));
            break;
        case Kind::Choice:
            values.append(QString::number((word & 0xFF) < itemCount(f) ? (word & 0xFF) : -1));
            break;
        case Kind::Limit: {
            QByteArray record = data.mid(f.offset, 4);
            values.append(DecimalWordText(record));
            break;
        }
        }
    }
    return values;
}

fields::Encoded Encode(Table table, const fields::Values &values, const QByteArray &base)
{
    fields::Encoded out;
    out.data = base;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Field &f = table[i];
        const QString v = i < static_cast<std::size_t>(values.size()) ? values[static_cast<qsizetype>(i)] : QString();
        const QString caption = QString::fromUtf8(f.caption);
        std::uint16_t word = 0;
        QString error;
        if (f.kind == Kind::Limit) {
            const std::optional<ScaledLimit> limit = ParseLimit(v, &error);
            if (limit) {
                const auto bits = static_cast<std::uint16_t>(limit->value);
                out.data[f.offset] = static_cast<char>(bits >> 8);
                out.data[f.offset + 1] = static_cast<char>(bits & 0xFF);
                out.data[f.offset + 2] = '\0';
                out.data[f.offset + 3] = static_cast<char>(limit->decimals);
                continue;
            }
        } else if (f.kind == Kind::Choice) {
            bool ok = false;
            const int index = v.toInt(&ok);
            if (ok && index >= 0 && index < itemCount(f))
                word = static_cast<std::uint16_t>(index);
            else
                error = fields::NoChoiceMessage(caption);
        } else if (const std::optional<qint64> n = fields::ParseInteger(v, &error)) {
            if (*n < 0)
                error = fields::NegativeMessage(caption);
            else
                word = static_cast<std::uint16_t>(std::min<qint64>(*n, f.max));
        }
        if (!error.isEmpty()) {
            out.error = error;
            out.field = static_cast<int>(i);
            out.data.clear();
            return out;
        }
        out.data[f.offset] = static_cast<char>(word >> 8);
        out.data[f.offset + 1] = static_cast<char>(word & 0xFF);
    }
    return out;
}

fields::Values FactoryValues(Table table)
{
    fields::Values values;
    for (const Field &f : table)
        values.append(f.factory ? QString::fromUtf8(f.factory) : QString());
    return values;
}

fields::Encoded EncodeBlock(const Block &block, const fields::Values &tableValues, const fields::Values &wordValues)
{
    fields::Encoded shared = fields::Encode(block.table, tableValues, block.bytes);
    if (!shared.ok())
        return shared;
    fields::Encoded out = Encode(block.words, wordValues, shared.data);
    if (!out.ok())
        out.field += static_cast<int>(block.table.size()); // words follow the table's fields
    return out;
}

} // namespace singlephase::words
