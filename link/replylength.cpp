#include "link/replylength.h"

#include <cstdint>

namespace modbus {

CalibrationLengths CalibrationLengthsOf(Family family)
{
    switch (family) {
    case Family::ThreePhase:
    case Family::SinglePhase:
        return {82, 13};
    case Family::Kz827:
        return {19, 7};
    }
    return {};
}

bool IsExceptionFunction(std::uint8_t function, CalibrationLengths calibration)
{
    if (function == 0x99 || (function == 0xAA && calibration.Known()))
        return false;
    return (function & 0x80) != 0;
}

int ReplyLength(const QByteArray &received, CalibrationLengths calibration)
{
    if (received.size() < 2)
        return 2;
    const auto function = static_cast<std::uint8_t>(received.at(1));
    if (IsExceptionFunction(function, calibration))
        return 5;
    switch (function) {
    case 0x01:
    case 0x02:
    case 0x03:
        if (received.size() < 3)
            return 3;
        return 5 + static_cast<std::uint8_t>(received.at(2));
    case 0x05:
    case 0x06:
    case 0x10:
    case 0x99:
        return 8;
    case 0xAA:
        if (received.size() < 3)
            return 3;
        return static_cast<std::uint8_t>(received.at(2)) == 0x72 ? calibration.data : calibration.other;
    default:
        return 0;
    }
}

} // namespace modbus
