#pragma once
// Energy base values: the readings an instrument's active and reactive energy
// counters start from. Uploaded as two 64-bit counts of hundredths (8 bytes
// each, most significant first); downloaded as two 4-byte fields, the
// integer part in 3 bytes and the hundredths in 1. Qt Core only.
#include "core/fields.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace energybase {

constexpr qint64 kIntegerMax = 0xFFFFFF;

struct Base {
    const char *caption; // name in messages and the edit's accessible name
    const char *unit;    // appended to an uploaded value
};
constexpr Base kActiveBase{QT_TRANSLATE_NOOP("kz", "有功电能底数"), "KW/h"};
constexpr Base kReactiveBase{QT_TRANSLATE_NOOP("kz", "无功电能底数"), "var/h"};

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

} // namespace energybase
