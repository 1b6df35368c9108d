#pragma once
// KZ827KVE alarm parameters: 43 registers from 0x1008, read and written as
// one block of 86 bytes. Three 11-register blocks, power, current and
// voltage, with five filler registers between them:
//
//   offset  0  power block      (0x1008..0x1012)
//   offset 22  filler           (0x1013..0x1017) written as ten bytes 0x30
//   offset 32  current block    (0x1018..0x1022)
//   offset 54  filler           (0x1023..0x1027)
//   offset 64  voltage block    (0x1028..0x1032)
//
// Each block: enable register (low byte bit 0 upper, bit 1 lower alarm),
// upper limit, upper hysteresis (limit fields, two registers each), upper
// relay register, lower limit, lower hysteresis, lower relay register.
//
// A limit field is four bytes: four BCD digits, the number of digits before
// the decimal point (1..3; 0 or 4: no point) and the unit code. It is typed
// and shown as text with point and unit: "220.5V" is 22 05 03 00, "1.5MW"
// 00 15 03 02. Qt Core only.
#include "kz827/quantity.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace kz827 {

constexpr std::uint16_t kAlarmFirst = 0x1008;
constexpr std::uint16_t kAlarmRegisters = 43;
constexpr int kAlarmBytes = 86;

// Data offset of a quantity's block.
int AlarmBlockOffset(Quantity quantity);

// The text of a limit field ("220.5V"). Missing bytes read as 0.
QString LimitText(const QByteArray &field, Quantity quantity);
// The limit field of a typed text, or nothing with the quantity's message
// for the user in error. Refused: characters other than digits, one point
// and the unit at the end ("22V0", "1KV2", "1.2.3"), no digit at all ("",
// ".", "KV"), and more than four digits.
std::optional<QByteArray> ParseLimit(const QString &text, Quantity quantity, QString *error);

// The settings of one quantity as the window shows them.
struct AlarmQuantity {
    QString upper = QStringLiteral("0");
    QString upperHysteresis = QStringLiteral("0");
    QString lower = QStringLiteral("0");
    QString lowerHysteresis = QStringLiteral("0");
    int upperRelay = 0;
    int lowerRelay = 0;
    bool upperEnabled = false;
    bool lowerEnabled = false;
};
// Indexed by Quantity.
using AlarmSettings = std::array<AlarmQuantity, 3>;

// The settings of an uploaded block (kAlarmBytes data bytes). An enable
// register of 1 enables the upper alarm, 2 the lower, 3 both, anything else
// neither; relays are the low bytes of their registers.
AlarmSettings DecodeAlarms(const QByteArray &data);
// The download data, converting the limits in the instrument's order (power
// upper limit, upper hysteresis, lower limit, lower hysteresis, then
// current, then voltage); the first refusal stops it with its message.
std::optional<QByteArray> EncodeAlarms(const AlarmSettings &settings, QString *error);
// Upper limits "9999", hystereses and lower limits "0000", relays 0, all
// alarms off.
AlarmSettings FactoryAlarms();

} // namespace kz827
