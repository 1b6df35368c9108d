#pragma once
// Register value encodings: packed BCD words, signed big-endian words, ASCII
// hex pairs and the decimal-word records the instruments report. Pure
// functions on byte strings; the "in/out" strings are appended to or consumed
// from the front, so successive calls walk through a reply.
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <span>

// Decimal text of a packed BCD word. Nibbles above 9 are not rejected: each
// counts with its weight (0xFF 0xFF gives "16665").
QString BcdToInt(std::uint8_t high, std::uint8_t low);
QString BcdToInt(std::uint16_t word);
// Numeric value of the same rule, for callers that compute with it.
int BcdValue(std::uint8_t high, std::uint8_t low);

// Appends the packed BCD form of value, limited to 9999.
void IntToBcdWord(std::uint16_t value, QByteArray &out);
// Same two bytes, returned as a new string.
QByteArray IntToBcdBytes(std::uint16_t value);

// Appends value limited to -9999..9999 as a big-endian two's complement word.
void IntToWordBE(std::int16_t value, QByteArray &out);

// Removes and returns the first big-endian word; 0 (string unchanged) when
// fewer than two bytes remain.
std::uint16_t TakeWordBE(QByteArray &data);

// 0..9 -> '0'..'9', 10..15 -> 'A'..'F'.
char NibbleToHex(int value);

// Two ASCII hex digits (either case) to one byte. Non-hex characters give a
// byte without error, by the same arithmetic.
std::uint8_t HexPairToByte(char high, char low);

// Consumes a 4-byte decimal word record (signed word, ignored byte, decimal
// places) and formats it with that many decimals (1..4), else undivided.
QString DecimalWordText(QByteArray &data);

// Fixed-decimal formatting as the displays use it ("0.00" and so on), with
// a minus sign only for values that round to a non-zero number.
QString FormatFixed(double value, int decimals);

// The text of the display box of that object name, from texts in the order
// of names; empty when no box has that name.
QString BoxText(std::span<const QString> texts, std::span<const char *const> names, const char *boxName);

// One text per display box of a measurement window, in the order of the
// boxes' object names; an empty text empties the box.
template <std::size_t N, const std::array<const char *, N> &Names>
struct BoxTexts {
    std::array<QString, N> text;
    // The text for the box of that object name (empty if no such box).
    QString Of(const char *boxName) const { return BoxText(text, Names, boxName); }
};

// Display formatting of one scaled value: large unit (value / 1000) when the
// flag is set or the value is strictly above 999.
QString ScaledText(double value, bool flag, int smallDecimals, int largeDecimals,
                   const char *smallUnit, const char *largeUnit);
