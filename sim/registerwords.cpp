#include "sim/registerwords.h"

#include <algorithm>
#include <cmath>

namespace sim {

int BcdValue(std::uint16_t word)
{
    return ((word >> 12) & 0xF) * 1000 + ((word >> 8) & 0xF) * 100 + ((word >> 4) & 0xF) * 10 + (word & 0xF);
}

bool IsBcd(std::uint16_t word)
{
    for (int shift = 0; shift < 16; shift += 4) {
        if (((word >> shift) & 0xF) > 9)
            return false;
    }
    return true;
}

std::uint16_t ToBcd(int value)
{
    value = std::clamp(value, 0, 9999);
    return static_cast<std::uint16_t>((value / 1000) << 12 | (value / 100 % 10) << 8 | (value / 10 % 10) << 4 |
                                      (value % 10));
}

std::uint8_t BcdByte(int value)
{
    return static_cast<std::uint8_t>((value / 10 % 10) << 4 | (value % 10));
}

std::uint16_t RawUnsigned(double value)
{
    return static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, 65535L));
}

std::uint16_t RawSigned(double value)
{
    const long v = std::clamp(std::lround(value), -32768L, 32767L);
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
}

HoldingArea::WriteCheck AtMost(std::uint16_t max)
{
    return [max](std::uint16_t value) { return value <= max; };
}

HoldingArea::WriteCheck OnlyBits(std::uint16_t mask)
{
    return [mask](std::uint16_t value) { return (value & ~mask) == 0; };
}

bool IsSignedLimit(std::uint16_t value)
{
    const auto v = static_cast<std::int16_t>(value);
    return v >= -9999 && v <= 9999;
}

} // namespace sim
