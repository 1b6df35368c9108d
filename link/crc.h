#pragma once
// CRC-16/MODBUS and the frame helpers built on it. Shared by the link and the
// instrument simulator; nothing else is shared between those two sides.
#include <QByteArray>
#include <cstdint>

// CRC-16/MODBUS: init 0xFFFF, reflected polynomial 0xA001, no final XOR.
std::uint16_t Crc16Modbus(const QByteArray &data);

// Appends the CRC of the frame, low byte first, as every request is completed.
void AppendCrc(QByteArray &frame);

// True when the last two bytes (low, high) are the CRC of all bytes before
// them. Frames shorter than 3 bytes never pass. The frame is not changed.
bool CheckFrameCrc(const QByteArray &frame);
