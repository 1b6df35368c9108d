#pragma once
// Modbus RTU request frames as the windows send them, and the guarded view
// of a reply that a window decodes. Every frame is complete: address,
// function, fields high byte first, CRC low byte first.
#include <QByteArray>
#include <cstdint>

namespace modbus {

// 01 read coils, 02 read discrete inputs, 03 read holding registers.
QByteArray ReadCoils(std::uint8_t address, std::uint16_t start, std::uint16_t count);
QByteArray ReadInputs(std::uint8_t address, std::uint16_t start, std::uint16_t count);
QByteArray ReadRegisters(std::uint8_t address, std::uint16_t start, std::uint16_t count);
// 05 write single coil: FF 00 for on, 00 00 for off.
QByteArray WriteCoil(std::uint8_t address, std::uint16_t coil, bool on);
// 06 write single register.
QByteArray WriteRegister(std::uint8_t address, std::uint16_t reg, std::uint16_t value);
// 10 write multiple registers. The byte count is the size of data, which is
// normally 2 x count; a few instrument blocks take more bytes per register.
QByteArray WriteRegisters(std::uint8_t address, std::uint16_t start, std::uint16_t count, const QByteArray &data);

// The address (first byte) and function code (second byte) of a frame; 0
// when the frame is too short to hold it.
std::uint8_t FrameAddress(const QByteArray &frame);
std::uint8_t FrameFunction(const QByteArray &frame);

// A reply together with the request the link had sent last when the reply
// came in, so a window decodes by what it asked for, not by the reply's size.
struct Exchange {
    QByteArray request;
    QByteArray reply;

    bool IsEmpty() const { return reply.isEmpty(); }
    // Function byte of the reply (0 when too short).
    std::uint8_t Function() const;
    // Function, start register and count of the request (0 when absent).
    std::uint8_t RequestFunction() const;
    std::uint16_t RequestStart() const;
    std::uint16_t RequestCount() const;
    // The byte count of a read reply (offset 2), 0 when absent.
    int ByteCount() const;
    // The data bytes that are really there: from offset 3 up to the smaller
    // of the byte count and the frame's end, the CRC excluded. The link may
    // hand over a frame shorter than its byte count when its CRC matches, so
    // a decoder must never read past this.
    QByteArray Data() const;
    // A read reply (01/02/03) of the given function answering a request of
    // the same function, with exactly bytes data bytes present.
    bool IsReadOf(std::uint8_t function, int bytes) const;
    // A write echo (05/06/10) of the given function.
    bool IsEchoOf(std::uint8_t function) const;
    // A 03 read answering a read from register start, with exactly bytes
    // data bytes present.
    bool Answers(std::uint16_t start, int bytes) const;
    // The echo that confirms this very write (05/06/10): its function and
    // the four field bytes after it (register or coil, count or value) as
    // sent.
    bool Confirms() const;
};

// The guarded data bytes of a read reply frame (see Exchange::Data).
QByteArray ReplyData(const QByteArray &reply);

} // namespace modbus
