#include "core/calibrationengine.h"

#include "core/codecs.h"
#include "link/crc.h"

#include <cmath>
#include <numbers>
#include <numeric>

namespace calib {

namespace {

constexpr double kScale = 8388608.0; // 2^23: K = 1.0
constexpr double kLargest = 8388607.0; // 0x7FFFFF

std::uint8_t ByteAt(const QByteArray &data, int offset)
{
    return offset >= 0 && offset < data.size() ? static_cast<std::uint8_t>(data.at(offset)) : 0;
}

bool IsHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

QByteArray Header(std::uint8_t address, char command)
{
    QByteArray frame;
    frame.append(static_cast<char>(address));
    frame.append(static_cast<char>(0xAA));
    frame.append(command);
    frame.append("7022");
    return frame;
}

Computed Refused(const char *message, std::optional<double> reading = std::nullopt)
{
    return {QString(), QString::fromUtf8(message), reading};
}

// The reference value: the text up to its unit letter, a finite non-zero
// number; the message that refuses it otherwise.
std::optional<double> ReferenceValue(Formula formula, const QString &text, QString *message)
{
    qsizetype cut = -1;
    if (formula == Formula::Ratio) {
        cut = text.indexOf(QLatin1Char('V'));
        if (cut < 0)
            cut = text.indexOf(QLatin1Char('A'));
    } else {
        cut = text.indexOf(QLatin1Char('W'));
    }
    const QString number = (cut < 0 ? text : text.left(cut)).trimmed();
    bool ok = false;
    double s = number.toDouble(&ok);
    if (!ok || !std::isfinite(s)) {
        *message = QStringLiteral("'%1' is not a valid floating point value").arg(number);
        return std::nullopt;
    }
    if (s == 0) {
        *message = QString::fromUtf8(msg::kZeroReference);
        return std::nullopt;
    }
    if (formula == Formula::Ratio)
        s = std::fabs(s);
    return s;
}

} // namespace

QByteArray ReadRequest(std::uint8_t address)
{
    QByteArray frame = Header(address, 'r');
    frame.append("B000");
    AppendCrc(frame);
    return frame;
}

QByteArray WriteRequest(std::uint8_t address, std::uint8_t point, std::uint32_t word)
{
    QByteArray frame = Header(address, 'w');
    frame.append(static_cast<char>(point));
    for (int shift : {16, 8, 0})
        frame.append(static_cast<char>((word >> shift) & 0xFF));
    AppendCrc(frame);
    return frame;
}

std::uint32_t TakeValue24(QByteArray &data)
{
    const std::uint32_t value = static_cast<std::uint32_t>(ByteAt(data, 0)) << 16 |
                                static_cast<std::uint32_t>(ByteAt(data, 1)) << 8 | ByteAt(data, 2);
    data.remove(0, std::min<qsizetype>(3, data.size()));
    return value;
}

double Signed24(std::uint32_t value)
{
    return value > kHalf ? static_cast<double>(value) - 16777216.0 : static_cast<double>(value);
}

bool IsAccepted(const QByteArray &reply)
{
    return reply.mid(3, 4) == "7022" || ByteAt(reply, 1) == 0xAA;
}

bool IsAcknowledgement(const QByteArray &reply)
{
    return IsAccepted(reply) && ByteAt(reply, 2) == 'w';
}

bool IsCompleteRead(const QByteArray &reply)
{
    return IsAccepted(reply) && ByteAt(reply, 2) == 'r' && reply.size() == kReadReplyBytes;
}

void History::Push(double value)
{
    std::copy(values_.begin() + 1, values_.end(), values_.begin());
    values_.back() = value;
}

double History::Mean() const
{
    return std::accumulate(values_.begin(), values_.end(), 0.0) / static_cast<double>(values_.size());
}

std::optional<std::uint32_t> EncodeCorrection(double k)
{
    if (!std::isfinite(k))
        return std::nullopt;
    const double scaled = k * kScale;
    if (!(std::fabs(scaled) <= kLargest + 0.5))
        return std::nullopt;
    // nearbyint rounds halfway cases to even in the default rounding mode.
    const double rounded = std::nearbyint(scaled);
    if (std::fabs(rounded) > kLargest)
        return std::nullopt;
    // Two's complement in 24 bits: a negative K is K x 2^23 + 2^24.
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(rounded)) & 0xFFFFFFu;
}

QString WordText(std::uint32_t word)
{
    QString text;
    for (int shift = 20; shift >= 0; shift -= 4)
        text.append(QLatin1Char(NibbleToHex(static_cast<int>((word >> shift) & 0xF))));
    return text;
}

Computed ComputeCorrection(Formula formula, const QString &reference, double reading)
{
    if (formula == Formula::None)
        return Refused(msg::kWrongPoint);
    QString message;
    const std::optional<double> s = ReferenceValue(formula, reference, &message);
    if (!s)
        return {QString(), message, std::nullopt};
    if (!std::isfinite(reading) || reading == 0)
        return Refused(msg::kDataError, reading);

    double k = 0;
    if (formula == Formula::Ratio) {
        k = *s / reading - 1;
    } else {
        const double e = (reading - *s) / *s;
        if (formula == Formula::PowerUnity) {
            k = -e / (1 + e);
        } else {
            // At 0.5 lagging the reading is cos(60 degrees + error) of the
            // reference's cos(60 degrees): x is the cosine actually seen.
            const double x = (1 + e) * 0.5;
            if (!(x > 0 && x <= 1))
                return Refused(msg::kDataError, reading);
            k = std::atan(std::sqrt(1 - x * x) / x) - std::numbers::pi / 3;
        }
    }
    const std::optional<std::uint32_t> word = EncodeCorrection(k);
    if (!word)
        return Refused(msg::kDataError, reading);
    return {WordText(*word), QString(), reading};
}

std::optional<std::uint32_t> CorrectionWord(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    QString digits = text.left(6);
    for (QChar c : digits)
        if (!IsHexDigit(c))
            return std::nullopt;
    while (digits.size() < 6)
        digits.prepend(QLatin1Char('0'));
    std::uint32_t word = 0;
    for (int i = 0; i < 6; i += 2)
        word = word << 8 | HexPairToByte(digits[i].toLatin1(), digits[i + 1].toLatin1());
    return word;
}

Engine::Reply Engine::Take(const QByteArray &reply)
{
    if (IsAcknowledgement(reply))
        return Reply::Acknowledged;
    if (!IsCompleteRead(reply))
        return Reply::Ignored;
    decoder_.Take(reply.mid(kHeaderBytes));
    hasReading_ = true;
    return Reply::Read;
}

Computed Engine::Compute(int point, const QString &reference) const
{
    if (reference.isEmpty())
        return Refused(msg::kNoReference);
    const auto points = decoder_.Points();
    if (point < 0 || point >= static_cast<int>(points.size()))
        return {};
    if (!hasReading_)
        return Refused(msg::kNoData);
    const Point &p = points[static_cast<std::size_t>(point)];
    if (p.formula == Formula::None)
        return Refused(msg::kWrongPoint);
    return ComputeCorrection(p.formula, reference, decoder_.Reading(p.reading));
}

QString CyclicRead::Caption() const
{
    return reading_ ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "读停止")) : started_ ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "读启动")) : QStringLiteral(QT_TRANSLATE_NOOP("kz", "读启用"));
}

} // namespace calib
