#include "core/energybase.h"

#include "core/tr.h"

#include "core/codecs.h"

namespace energybase {

namespace {

// The value of a 64-bit count of hundredths with three decimals.
QString hundredthsText(qint64 count)
{
    const bool negative = count < 0;
    const auto magnitude = negative ? 0 - static_cast<quint64>(count) : static_cast<quint64>(count);
    return QStringLiteral("%1%2.%3")
               .arg(negative ? QStringLiteral("-") : QString())
               .arg(magnitude / 100)
               .arg(magnitude % 100, 2, 10, QLatin1Char('0')) +
           QLatin1Char('0');
}

bool allDigits(const QString &text)
{
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !text.isEmpty();
}

} // namespace

std::array<QString, 2> DecodeBases(const QByteArray &data)
{
    QByteArray rest = data;
    std::array<QString, 2> texts;
    for (const Base *base : {&kActiveBase, &kReactiveBase}) {
        quint64 count = 0;
        for (int word = 0; word < 4; ++word)
            count = count << 16 | TakeWordBE(rest);
        texts[base == &kActiveBase ? 0 : 1] =
            hundredthsText(static_cast<qint64>(count)) + QString::fromUtf8(base->unit);
    }
    return texts;
}

std::optional<QByteArray> EncodeBase(const QString &typed, const Base &base, QString *error)
{
    const QString caption = QString::fromUtf8(base.caption);
    // An uploaded value goes back as it stands: its unit is not part of it.
    QString text = typed;
    if (text.endsWith(QString::fromUtf8(base.unit)))
        text.chop(static_cast<qsizetype>(qstrlen(base.unit)));
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QString integerText = point < 0 ? text : text.left(point);
    QString fraction = point < 0 ? QStringLiteral("00") : text.mid(point + 1).left(2);

    const std::optional<qint64> integer = fields::ParseInteger(integerText, error);
    if (!integer)
        return std::nullopt;
    if (!allDigits(fraction)) {
        if (error)
            *error = QStringLiteral("'%1' is not a valid integer value").arg(fraction);
        return std::nullopt;
    }
    if (*integer < 0 || integerText.startsWith(QLatin1Char('-'))) {
        if (error)
            *error = fields::NegativeMessage(caption);
        return std::nullopt;
    }
    // Refused rather than cut to 24 bits: a wrapped base would restart the
    // counter from a wrong reading.
    if (*integer > kIntegerMax) {
        if (error)
            *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "“%1”不能大于16777215.99！")).arg(caption);
        return std::nullopt;
    }
    if (fraction.size() == 1)
        fraction += QLatin1Char('0'); // "12.5" is twelve and a half
    const auto v = static_cast<std::uint32_t>(*integer);
    QByteArray field;
    field.append(static_cast<char>(v >> 16 & 0xFF));
    field.append(static_cast<char>(v >> 8 & 0xFF));
    field.append(static_cast<char>(v & 0xFF));
    field.append(static_cast<char>(fraction.toInt()));
    return field;
}

fields::Encoded EncodeBases(const QString &active, const QString &reactive)
{
    fields::Encoded out;
    const std::array<std::pair<const QString *, const Base *>, 2> parts = {
        {{&active, &kActiveBase}, {&reactive, &kReactiveBase}}};
    for (int i = 0; i < 2; ++i) {
        const std::optional<QByteArray> field = EncodeBase(*parts[i].first, *parts[i].second, &out.error);
        if (!field) {
            out.data.clear();
            out.field = i;
            return out;
        }
        out.data.append(*field);
    }
    return out;
}

} // namespace energybase
