#pragma once
// KZ827KVE initialisation settings: the range block 0x1000..0x1004 (voltage
// unit, voltage ratio in BCD, current unit, current ratio in BCD, power
// unit; units in the low byte), the bus address 0x1005 and the baud rate
// index 0x1006. Qt Core only.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace kz827 {

constexpr std::uint16_t kRangeFirst = 0x1000;
constexpr std::uint16_t kRangeRegisters = 5;
constexpr int kRangeBytes = 10;
constexpr std::uint16_t kAddressRegister = 0x1005;
constexpr std::uint16_t kBaudRegister = 0x1006;

// The rates in the order of their index (0 = 1200 .. 5 = 19200).
QStringList BaudRates();

// The block as the window shows it: units as item positions (-1 when
// none is chosen), ratios as typed.
struct RangeSettings {
    int voltageUnit = 0; // 0 V, 1 KV
    QString voltageRatio = QStringLiteral("1");
    int currentUnit = 0; // 0 A, 1 KA
    QString currentRatio = QStringLiteral("1");
    int powerUnit = 0; // 0 W, 1 KW, 2 MW
};

// The settings of an uploaded block (at least kRangeBytes data bytes). A
// unit beyond the last item selects the last item.
RangeSettings DecodeRange(const QByteArray &data);
// The download data; a ratio that is not a whole number 0..9999 or a unit
// not chosen is refused with a message for the user.
std::optional<QByteArray> EncodeRange(const RangeSettings &settings, QString *error);

// Write of a single settings register (function 10, one register, high
// byte 0): the new bus address or the baud rate index.
QByteArray SetAddressFrame(std::uint8_t address, std::uint8_t newAddress);
QByteArray SetBaudFrame(std::uint8_t address, std::uint8_t rateIndex);

} // namespace kz827
