#pragma once
// The clock, bus address and baud rate block of an instrument: eight holding
// registers from a family's base register, each a plain unsigned word:
//   base + 0  year (e.g. 2026)
//   base + 1..5  month, day, hour, minute, second (low byte)
//   base + 6  instrument address (low byte)
//   base + 7  baud rate code (low byte): 1 = 1200, 2 = 2400, 3 = 4800,
//             4 = 9600, 5 = 14400, 6 = 19200
// The whole block is read at once (03); each setting is written on its own
// (10). Qt Core only.
#include "link/modbusframes.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace clockblock {

constexpr int kRegisters = 8;
constexpr int kBytes = 16;
constexpr int kAddressOffset = 6;
constexpr int kBaudOffset = 7;

// Items of the baud rate list; item i has code i + 1.
extern const std::array<const char *, 6> kBaudRates;

QByteArray UploadRequest(std::uint16_t base, std::uint8_t address);
// baudIndex: the list item 0..5.
QByteArray BaudRequest(std::uint16_t base, std::uint8_t address, int baudIndex);
QByteArray AddressRequest(std::uint16_t base, std::uint8_t address, std::uint8_t newAddress);
// Year to second of the given local time, taken field by field.
QByteArray ClockRequest(std::uint16_t base, std::uint8_t address, const QDateTime &now);

// "2026-3-7  9:5:0": no leading zeros, two blanks between date and time.
QString ClockText(int year, int month, int day, int hour, int minute, int second);

struct Reading {
    QString clock;
    int address = 0;
    int baudIndex = -1; // list item; -1: a code the list does not have
};
// The block from the data bytes of the upload's answer; nothing unless all
// 16 are there. Code 0 reads as 9600 (the instrument's default rate).
std::optional<Reading> Read(const QByteArray &data);

} // namespace clockblock
