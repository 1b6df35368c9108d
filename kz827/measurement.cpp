#include "kz827/measurement.h"

namespace kz827 {

QByteArray MeasurementPoll(std::uint8_t address)
{
    return modbus::ReadRegisters(address, kMeasurementFirst, kMeasurementRegisters);
}

QString MeasuredText(const QByteArray &field, Quantity quantity)
{
    const auto at = [&](int i) { return i < field.size() ? static_cast<std::uint8_t>(field.at(i)) : 0; };
    std::uint32_t value = at(0) << 8 | at(1);
    QString sign;
    if (quantity == Quantity::Power && (value & 0x8000)) {
        sign = QStringLiteral("-");
        value &= 0x7FFF;
    }
    return sign + PointText(value, at(2)) + UnitText(quantity, at(3));
}

std::optional<std::array<QString, 3>> DecodeMeasurement(const modbus::Exchange &exchange)
{
    if (!exchange.Answers(kMeasurementFirst, kMeasurementBytes))
        return std::nullopt;
    return DecodeMeasurement(exchange.Data());
}

std::optional<std::array<QString, 3>> DecodeMeasurement(const QByteArray &data)
{
    if (data.size() != kMeasurementBytes)
        return std::nullopt;
    return std::array<QString, 3>{MeasuredText(data.mid(0, 4), Quantity::Voltage),
                                  MeasuredText(data.mid(4, 4), Quantity::Current),
                                  MeasuredText(data.mid(8, 4), Quantity::Power)};
}

} // namespace kz827
