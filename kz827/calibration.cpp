#include "kz827/calibration.h"

#include "core/codecs.h"
#include "link/crc.h"

#include <cmath>
#include <numbers>

namespace kz827::calibration {

namespace {

constexpr double kFullScale = 16777216.0; // 2^24
constexpr double kUnity = 4194304.0;      // coefficient 1.0 of voltage and current
constexpr double kPowerUnity = 100000.0;  // power scale 1.0
constexpr double kPhaseStep = 2.8 / 127;  // degrees per phase step
constexpr std::uint32_t kMaxWord = 0xFFFFFF;

std::uint8_t ByteAt(const QByteArray &data, int offset)
{
    return offset < data.size() ? static_cast<std::uint8_t>(data.at(offset)) : 0;
}

std::uint32_t Value24(const QByteArray &data, int offset)
{
    return static_cast<std::uint32_t>(ByteAt(data, offset)) << 16 | ByteAt(data, offset + 1) << 8 |
           ByteAt(data, offset + 2);
}

QString Hex24(std::uint32_t value)
{
    QString text;
    for (int shift = 20; shift >= 0; shift -= 4)
        text.append(QLatin1Char(NibbleToHex(static_cast<int>((value >> shift) & 0xF))));
    return text;
}

} // namespace

// The items in list order: text, standard value, and for the guided run the
// engine's kind of formula (which unit the reference has) and the reading.
constexpr calib::Point kPoints[kItems] = {
    {QT_TRANSLATE_NOOP("kz", "电压（100%U）- 1.0      [ 1 ]"), "220.00V", calib::Formula::Ratio, kVoltage},
    {QT_TRANSLATE_NOOP("kz", "电流（100%I ）- 1.0     [ 2 ]"), "5.000A", calib::Formula::Ratio, kCurrent},
    {QT_TRANSLATE_NOOP("kz", "有功功率（100%UI）- 1.0 [ 3 ]"), "1100.00W", calib::Formula::PowerUnity, kPower},
    {QT_TRANSLATE_NOOP("kz", "相位（100%UI ）- 0.5L   [ 4 ]"), "550.00W", calib::Formula::PowerHalfLagging, kPhase},
};

QString ItemText(int item)
{
    return item >= 0 && item < kItems ? QString::fromUtf8(kPoints[item].text) : QString();
}

QString StandardDefault(int item)
{
    return item >= 0 && item < kItems ? QString::fromLatin1(kPoints[item].reference) : QString();
}

QString FactoryCoefficient(int item)
{
    static const char *const texts[kItems] = {"400000", "400000", "186A0", "000000"};
    return item >= 0 && item < kItems ? QString::fromLatin1(texts[item]) : QString();
}

QByteArray Request(std::uint8_t address, std::uint8_t subCommand, std::uint32_t data)
{
    QByteArray frame;
    for (int b : {int(address), 0xAA, 0x80, int(subCommand), 0x54, 0x60, 0x03})
        frame.append(static_cast<char>(b));
    for (int shift : {16, 8, 0})
        frame.append(static_cast<char>((data >> shift) & 0xFF));
    AppendCrc(frame);
    return frame;
}

bool IsCalibrationFrame(const QByteArray &reply)
{
    return ByteAt(reply, 1) == 0xAA || ByteAt(reply, 3) == 0x54;
}

std::optional<Reading> DecodeRead(const QByteArray &reply)
{
    if (reply.size() != kReadReplyBytes || ByteAt(reply, 2) != 0x72)
        return std::nullopt;
    return Reading{Value24(reply, 5), Value24(reply, 8), Value24(reply, 11), Value24(reply, 14)};
}

bool IsAcknowledgement(const QByteArray &reply)
{
    return ByteAt(reply, 2) == 0x77;
}

void Histories::Push(const Reading &reading)
{
    const std::uint32_t values[] = {reading.voltage, reading.current, reading.power};
    for (int i = 0; i < 3; ++i)
        values_[i].Push(values[i]);
    scale_ = reading.scale;
}

double Histories::Mean(int which) const
{
    return values_[which].Mean();
}

Quantities Convert(double voltage, double current, double power, std::uint32_t scale)
{
    Quantities q;
    q.volts = voltage * 250.0 / kFullScale * 400.0 / 150.0;
    q.amps = current * 250.0 / kFullScale * 5.0 / 150.0;
    if (power > kFullScale)
        power -= 2 * kFullScale;
    q.watts = power * 3125.0 / 4718592.0 * scale / kPowerUnity;
    return q;
}

Quantities Histories::Compute() const
{
    return Convert(Mean(0), Mean(1), Mean(2), scale_);
}

Computed ComputeCoefficient(int item, const QString &standard, const Quantities &q)
{
    const QString failed = QStringLiteral(QT_TRANSLATE_NOOP("kz", "数据出错！！"));
    if (item < 0 || item >= kItems)
        return {QString(), failed};
    const QChar unit = QLatin1Char(item == kVoltage ? 'V' : item == kCurrent ? 'A' : 'W');
    const QString number = standard.left(standard.indexOf(unit)).trimmed();
    bool ok = false;
    const double s = number.toDouble(&ok);
    if (!ok || !std::isfinite(s))
        return {QString(), QStringLiteral("'%1' is not a valid floating point value").arg(number)};

    const double reading = item == kVoltage ? q.volts : item == kCurrent ? q.amps : q.watts;
    if (!std::isfinite(reading) || reading == 0)
        return {QString(), failed};

    if (item == kPhase) {
        const double x = 0.5 / (reading / s);
        if (!std::isfinite(x) || x <= 0 || x > 1)
            return {QString(), failed};
        const double angle = std::atan(std::sqrt(1 - x * x) / x) * 180.0 / std::numbers::pi;
        double d = 60.0 - angle;
        std::uint8_t sign = 0;
        if (d < 0) {
            d = -d;
            sign = 0x80;
        }
        if (!(d > 0))
            return {QString(), failed};
        double m = d / kPhaseStep;
        if (m > 0.2 && m < 1)
            m = 1;
        const auto steps = static_cast<int>(std::nearbyint(std::min(m, 7.0)));
        const int byte = sign | (steps & 7);
        return {QStringLiteral("0000") + QLatin1Char(NibbleToHex(byte >> 4)) + QLatin1Char(NibbleToHex(byte & 0xF)),
                QString()};
    }

    double c = s / reading;
    if (item == kCurrent && c > 3.9)
        c = 3.9;
    c *= item == kPower ? kPowerUnity : kUnity;
    if (!std::isfinite(c) || c <= 0)
        return {QString(), failed};
    const double rounded = std::nearbyint(c);
    if (rounded <= 0 || rounded > kMaxWord)
        return {QString(), failed};
    return {Hex24(static_cast<std::uint32_t>(rounded)), QString()};
}

std::optional<std::uint32_t> CoefficientData(const QString &text)
{
    return calib::CorrectionWord(text);
}

calib::Plan DefaultPlan()
{
    QList<calib::DefaultSource> sources;
    for (int item = 0; item < kItems; ++item)
        sources.append(calib::DefaultSource{item + 1});
    return calib::MakeDefaultPlan(QStringLiteral(QT_TRANSLATE_NOOP("kz", "KZ827KVE默认校验方案")), kPoints, sources);
}

namespace {

// A plan's point N is item N - 1.
int ItemOf(const calib::PlanPoint &point)
{
    return point.point - 1;
}

std::uint32_t FactoryWord(const calib::PlanPoint &point)
{
    return CoefficientData(FactoryCoefficient(ItemOf(point))).value_or(0);
}

} // namespace

QByteArray GuidedProtocol::ClearRequest(std::uint8_t address, const calib::PlanPoint &point) const
{
    return Request(address, WriteCommand(ItemOf(point)), FactoryWord(point));
}

QString GuidedProtocol::ClearedWord(const calib::PlanPoint &point) const
{
    return calib::WordText(FactoryWord(point));
}

QByteArray GuidedProtocol::ReadRequest(std::uint8_t address) const
{
    return Request(address, kRead);
}

std::optional<double> GuidedProtocol::Reading(const QByteArray &reply, const calib::PlanPoint &point)
{
    const std::optional<calibration::Reading> raw = IsCalibrationFrame(reply) ? DecodeRead(reply) : std::nullopt;
    if (!raw)
        return std::nullopt;
    const Quantities q = Convert(raw->voltage, raw->current, raw->power, raw->scale);
    const int item = ItemOf(point);
    return item == kVoltage ? q.volts : item == kCurrent ? q.amps : q.watts;
}

bool GuidedProtocol::IsAcknowledgement(const QByteArray &reply) const
{
    return IsCalibrationFrame(reply) && calibration::IsAcknowledgement(reply);
}

calib::Computed GuidedProtocol::Compute(const calib::PlanPoint &point, double mean) const
{
    const Computed computed = ComputeCoefficient(ItemOf(point), point.ReferenceText(), {mean, mean, mean});
    calib::Computed out;
    out.reading = mean;
    if (computed.ok()) {
        out.word = calib::WordText(CoefficientData(computed.coefficient).value_or(0));
        return out;
    }
    // Already within the limit at the factory coefficient: nothing to
    // correct, the factory coefficient is written again and checked.
    if (std::fabs(mean - point.reference) <= point.limit / 100 * std::fabs(point.reference)) {
        out.word = ClearedWord(point);
        return out;
    }
    out.message = computed.error;
    return out;
}

QByteArray GuidedProtocol::WriteRequest(std::uint8_t address, const calib::PlanPoint &point, std::uint32_t word) const
{
    return Request(address, WriteCommand(ItemOf(point)), word);
}

} // namespace kz827::calibration
