#pragma once
// Small Modbus RTU helpers for the simulated instruments: exception replies,
// big-endian fields and the request length rules used to cut frames out of a
// byte stream. A "PDU" here is a frame without its address byte and CRC.
#include <QByteArray>
#include <cstdint>

namespace sim {

// Standard Modbus exception codes.
enum ExceptionCode : std::uint8_t {
    kIllegalFunction = 0x01,
    kIllegalDataAddress = 0x02,
    kIllegalDataValue = 0x03,
};

// Reply PDU of a refused request: function | 0x80, code.
QByteArray ExceptionPdu(std::uint8_t function, ExceptionCode code);

// Big-endian 16-bit field at offset (the caller checks the size).
std::uint16_t WordAt(const QByteArray &bytes, int offset);
void AppendWord(QByteArray &bytes, std::uint16_t value);
// The low 'bytes' bytes of value, most significant first.
void AppendBigEndian(QByteArray &out, std::uint64_t value, int bytes);

// Length of the request at the front of buffer, CRC included, as a slave
// works it out from the function code:
//   > 0  the frame is that long (the buffer may hold fewer bytes so far);
//   0    more bytes are needed before the length is known;
//   -1   unknown function code: only a pause on the line ends the frame.
// Function 0xAA (calibration) has two fixed-length forms told apart by
// offset 2: 0x80 there is the KZ827KVE form of 12 bytes; 'r' or 'w' is the
// three-phase and single-phase form of 13 bytes (not framed by length yet).
int RequestLength(const QByteArray &buffer);

} // namespace sim
