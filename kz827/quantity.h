#pragma once
// The three quantities a KZ827KVE instrument measures and limits, and how
// it writes a value: a whole number, a number of decimals and a unit code
// (voltage and current: 0 small unit, anything else the kilo unit; power:
// 2 MW, 1 KW, anything else W). Qt Core only.
#include <QString>
#include <cstdint>

namespace kz827 {

enum class Quantity { Voltage, Current, Power };

// "V"/"KV", "A"/"KA", "W"/"KW"/"MW" for the unit code.
QString UnitText(Quantity quantity, std::uint8_t code);
// The unit letter of a quantity: 'V', 'A' or 'W'.
char UnitLetter(Quantity quantity);

// The digits of value with a point before the last 'decimals' digits, zeros
// put in front so that a digit stands before the point (7 with 3 decimals:
// "0.007"). Decimals other than 1..3 show the bare digits.
QString PointText(std::uint32_t value, int decimals);

} // namespace kz827
