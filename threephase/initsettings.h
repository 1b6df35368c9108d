#pragma once
// Initialisation settings of a three-phase instrument: the block 0x0050..
// 0x005A (wiring mode, voltage and current transformer ratios with their
// units, power and energy display units, reclosing delay) and the energy
// base values at 0x005B, which travel in a layout of their own. Qt Core only.
#include "link/fields.h"

#include <array>
#include <optional>

namespace threephase::initsettings {

constexpr std::uint16_t kFirstRegister = 0x0050;
constexpr std::uint16_t kRegisters = 11;
constexpr int kBytes = 22;

// RadioGroup1 (wiring), LabeledEdit1 (voltage ratio), RadioGroup2 (voltage
// unit), LabeledEdit2 (current ratio), RadioGroup3 (current unit),
// RadioGroup4..8 (power and energy units), SpinEdit2 (reclosing delay), in
// register order.
extern const std::array<fields::Field, 11> kFields;

// ---- Energy bases (active, reactive) ----
// Read with a register count of 2, the reply carries two 64-bit counts of
// hundredths, 8 bytes each. Written with a register count of 2 and 8 data
// bytes: per value the integer part in 3 bytes and the hundredths in 1.
constexpr std::uint16_t kBaseRegister = 0x005B;
constexpr std::uint16_t kBaseRegisters = 2;
constexpr int kBaseReadBytes = 16;
constexpr int kBaseWriteBytes = 8;
constexpr qint64 kBaseIntegerMax = 0xFFFFFF;

struct Base {
    const char *caption; // name in messages and the edit's accessible name
    const char *unit;    // appended to an uploaded value
};
constexpr Base kActiveBase{"有功电能底数", "KW/h"};
constexpr Base kReactiveBase{"无功电能底数", "var/h"};

// The two texts of an energy base reply's data bytes: the value with three
// decimals and its unit ("123.450KW/h"). Words missing from data count as 0.
std::array<QString, 2> DecodeBases(const QByteArray &data);

// The 4-byte field of a typed base. The text may carry the unit an upload
// appended; a third decimal and beyond are cut, one decimal is tenths. A text
// that is not a number, a negative value or an integer part above 16777215
// is refused with a message for the user in error.
std::optional<QByteArray> EncodeBase(const QString &text, const Base &base, QString *error);
// The data bytes of a base download, active value first.
fields::Encoded EncodeBases(const QString &active, const QString &reactive);

} // namespace threephase::initsettings
