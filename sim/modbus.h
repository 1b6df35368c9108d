#pragma once
// Small Modbus RTU helpers for the simulated instruments: exception replies,
// big-endian fields and the request length rules used to cut frames out of a
// byte stream. A "PDU" here is a frame without its address byte and CRC.
#include <QByteArray>
#include <QMap>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

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

// Function 01 or 02 over three bits (coils or switch inputs 0..2): count 1
// to maxCount (exception 03 otherwise), start + count beyond the three bits
// exception 02; the reply carries the bits in one byte, the first in bit 0.
QByteArray ReadThreeBits(const QByteArray &pdu, const std::array<bool, 3> &bits, int maxCount);

// Function 05 to coils first..last: value 0xFF00 switches the coil on,
// 0x0000 off, any other value is exception 03 and a coil outside the range
// exception 02; order says which of the two is checked first, which is what
// tells them apart when both are wrong. An accepted write is given to
// set(coil, on) and echoed.
enum class CoilCheck { AddressFirst, ValueFirst };
QByteArray WriteCoilRequest(const QByteArray &pdu, int first, int last, CoilCheck order,
                            const std::function<void(int coil, bool on)> &set);

// Start and count of a function-03 request; nothing (exception 03) for a
// request of the wrong size or a count outside 1..125.
struct RegisterRead {
    int start = 0;
    int count = 0;
};
std::optional<RegisterRead> ParseRegisterRead(const QByteArray &pdu);
// Reply of an accepted function-03 read: the function, the byte count, data.
QByteArray HoldingReadReply(const QByteArray &data);

// Length of the request at the front of buffer, CRC included, as a slave
// works it out from the function code:
//   > 0  the frame is that long (the buffer may hold fewer bytes so far);
//   0    more bytes are needed before the length is known;
//   -1   unknown function code: only a pause on the line ends the frame.
// Function 0xAA (calibration) has two fixed-length forms told apart by
// offset 2: 0x80 there is the KZ827KVE form of 12 bytes; 'r' or 'w' is the
// three-phase and single-phase form of 13 bytes.
int RequestLength(const QByteArray &buffer);
// Removes the request at the front of buffer and returns it, when it is
// whole and its length is known from its function code; nothing otherwise
// (the buffer is left as it is).
std::optional<QByteArray> TakeRequest(QByteArray &buffer);

// The three-phase and single-phase calibration exchange (function 0xAA).
// Request PDUs: AA 'r' "7022B000" (read) and AA 'w' "7022" N C2 C1 C0
// (store the correction word C2 C1 C0 of point N). A read is answered with
// AA 'r' "7022", one zero byte and 24 values of three bytes each, high
// first (82 bytes with address and CRC); a write with AA 'w' "7022" and
// the four bytes it carried (13 bytes).
struct CalibrationRequest {
    bool read = false;
    std::uint8_t point = 0;
    std::uint32_t word = 0;
};
// The request, or nothing when its length, command or tag is wrong.
std::optional<CalibrationRequest> ParseCalibrationRequest(const QByteArray &pdu);
QByteArray CalibrationReadPdu(const std::array<std::uint32_t, 24> &values);
QByteArray CalibrationAckPdu(const CalibrationRequest &request);
// A reading as the 24-bit two's complement word of value x scale, rounded
// and limited to -0x7FFFFF..0x800000 (a reader takes 0x800000 as positive,
// so a power factor of 1.0 is 0x800000); 0 when not finite.
std::uint32_t Word24(double value, double scale);
// The factor a stored correction word stands for: signed word / 2^23.
double Correction(std::uint32_t word);
// Answers a calibration request of an instrument whose correction words of
// points 1..words.size() are words: a read with values(); a write of a
// known point stores its word, makes it the bench point (the operator sets
// the standard source for the point being calibrated) and is acknowledged;
// anything else gets no reply (empty).
QByteArray HandleCalibration(const QByteArray &pdu, std::span<std::uint32_t> words, int &benchPoint,
                             const std::function<std::array<std::uint32_t, 24>()> &values);
// Replaces the raw values that tests pinned (value number 1..24 -> word).
void ApplyPins(std::array<std::uint32_t, 24> &values, const QMap<int, std::uint32_t> &pins);

} // namespace sim
