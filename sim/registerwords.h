#pragma once
// How the simulated instruments keep numbers in their registers (BCD digits,
// signed and unsigned words) and the write checks their settings share.
#include "sim/holdingarea.h"

#include <cstdint>

namespace sim {

// Four BCD digits, each nibble counted with its weight (a nibble above 9 is
// not rejected here; the write path refuses such values before storing).
int BcdValue(std::uint16_t word);
// Whether every nibble of word is a decimal digit.
bool IsBcd(std::uint16_t word);
// value, limited to 0..9999, as four BCD digits.
std::uint16_t ToBcd(int value);
// The last two decimal digits of value as a BCD byte (clock stamps).
std::uint8_t BcdByte(int value);

// A reading rounded and limited to an unsigned or a two's complement word.
std::uint16_t RawUnsigned(double value);
std::uint16_t RawSigned(double value);

// Write checks of the settings registers.
HoldingArea::WriteCheck AtMost(std::uint16_t max);
HoldingArea::WriteCheck OnlyBits(std::uint16_t mask);
// First word of a signed limit: four decimal digits and a sign.
bool IsSignedLimit(std::uint16_t value);

} // namespace sim
