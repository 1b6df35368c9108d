#include "link/crc.h"

std::uint16_t Crc16Modbus(const QByteArray &data)
{
    std::uint16_t crc = 0xFFFF;
    for (char ch : data) {
        crc ^= static_cast<std::uint8_t>(ch);
        for (int bit = 0; bit < 8; ++bit) {
            const bool out = crc & 1u;
            crc >>= 1;
            if (out)
                crc ^= 0xA001;
        }
    }
    return crc;
}

void AppendCrc(QByteArray &frame)
{
    const std::uint16_t crc = Crc16Modbus(frame);
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
}

bool CheckFrameCrc(const QByteArray &frame)
{
    if (frame.size() < 3)
        return false;
    const auto lo = static_cast<std::uint8_t>(frame.at(frame.size() - 2));
    const auto hi = static_cast<std::uint8_t>(frame.at(frame.size() - 1));
    const std::uint16_t carried = static_cast<std::uint16_t>(hi << 8 | lo);
    return Crc16Modbus(frame.left(frame.size() - 2)) == carried;
}
