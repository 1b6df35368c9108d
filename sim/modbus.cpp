#include "sim/modbus.h"

namespace sim {

QByteArray ExceptionPdu(std::uint8_t function, ExceptionCode code)
{
    QByteArray pdu;
    pdu.append(static_cast<char>(function | 0x80));
    pdu.append(static_cast<char>(code));
    return pdu;
}

std::uint16_t WordAt(const QByteArray &bytes, int offset)
{
    const auto hi = static_cast<std::uint8_t>(bytes.at(offset));
    const auto lo = static_cast<std::uint8_t>(bytes.at(offset + 1));
    return static_cast<std::uint16_t>(hi << 8 | lo);
}

void AppendWord(QByteArray &bytes, std::uint16_t value)
{
    AppendBigEndian(bytes, value, 2);
}

void AppendBigEndian(QByteArray &out, std::uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

int RequestLength(const QByteArray &buffer)
{
    if (buffer.size() < 2)
        return 0;
    switch (static_cast<std::uint8_t>(buffer.at(1))) {
    case 0x01: // read coils
    case 0x02: // read discrete inputs
    case 0x03: // read holding registers
    case 0x04: // read input registers
    case 0x05: // write single coil
    case 0x06: // write single register
    case 0x99: // address probe: address, 0x99, four bytes, CRC
        return 8;
    case 0x0F: // write multiple coils
    case 0x10: // write multiple registers
        // address, function, start(2), count(2), byte count, data, CRC
        if (buffer.size() < 7)
            return 0;
        return 9 + static_cast<std::uint8_t>(buffer.at(6));
    case 0xAA:
        // Calibration exchange. Its two forms are told apart by offset 2,
        // whatever the family: the KZ827KVE form carries 0x80 there
        // (address, AA, 80, sub-command, 54 60 03, three data bytes, CRC:
        // 12 bytes); the three-phase and single-phase form carries its
        // command letter 'r' or 'w' (13 bytes). Only the KZ827KVE form is
        // served so far; the other still ends with a pause.
        if (buffer.size() < 3)
            return 0;
        return static_cast<std::uint8_t>(buffer.at(2)) == 0x80 ? 12 : -1;
    default:
        return -1;
    }
}

} // namespace sim
