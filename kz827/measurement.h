#pragma once
// KZ827KVE measurement: the poll of registers 0x0000..0x0005 and the three
// 4-byte fields of its reply (value high, value low, decimals, unit code)
// for voltage, current and active power. Qt Core only.
#include "kz827/quantity.h"
#include "link/modbusframes.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace kz827 {

constexpr std::uint16_t kMeasurementFirst = 0x0000;
constexpr std::uint16_t kMeasurementRegisters = 6;
constexpr int kMeasurementBytes = 12;

// Read 6 holding registers from 0x0000.
QByteArray MeasurementPoll(std::uint8_t address);

// One field as shown: "220.5V", "0.05A", "-10.0KW". Power is sign and
// magnitude (bit 15 the sign); voltage and current are unsigned. Missing
// bytes read as 0.
QString MeasuredText(const QByteArray &field, Quantity quantity);

// Voltage, current and power texts of the poll's data bytes; nothing unless
// all 12 are there.
std::optional<std::array<QString, 3>> DecodeMeasurement(const QByteArray &data);
// The same from an exchange: nothing unless it is a 03 reply to a read from
// 0x0000 with exactly 12 data bytes.
std::optional<std::array<QString, 3>> DecodeMeasurement(const modbus::Exchange &exchange);

} // namespace kz827
