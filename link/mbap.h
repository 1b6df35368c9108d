#pragma once
// Modbus TCP framing (the MBAP header) and its conversion to and from the
// RTU frames the rest of the program speaks. Qt Core only; shared by the
// link, kzctl and the simulator's Modbus TCP server.
//
// An MBAP frame is: transaction id (2 bytes), protocol id 0 (2 bytes),
// length (2 bytes: the unit id and the PDU that follow), unit id (1 byte,
// the meter address), PDU (function and data, no CRC). All big-endian.
#include <QByteArray>
#include <cstdint>
#include <optional>
#include <utility>

namespace mbap {

constexpr int kHeaderSize = 7;
// The largest PDU Modbus allows; the length field never exceeds it + 1.
constexpr int kMaxPdu = 253;

struct Frame {
    std::uint16_t transaction = 0;
    std::uint8_t unit = 0;
    QByteArray pdu;
};

// The MBAP frame for the transaction, unit and PDU.
QByteArray Encode(const Frame &frame);

// The MBAP frame of an RTU frame (address, PDU, CRC): the CRC is left out,
// the address becomes the unit id. Nothing for a frame shorter than four
// bytes or with a PDU longer than Modbus allows. The CRC is not checked: an
// RTU frame built by the program always carries a good one.
std::optional<QByteArray> FromRtu(const QByteArray &rtu, std::uint16_t transaction);

// The RTU frame (unit id as address, PDU, CRC appended) of an MBAP frame.
QByteArray ToRtu(const Frame &frame);

// Length of the MBAP frame at the front of buffer, header included:
//   > 0  the frame is that long (the buffer may hold fewer bytes so far);
//   0    fewer than the six bytes that give the length have come;
//   -1   no MBAP frame: a protocol id other than 0 or a length outside
//        2..254. A byte stream cannot be resynchronised after that.
int FrameLength(const QByteArray &buffer);

// Takes the complete frame at the front of buffer off it. Nothing while
// the frame is incomplete; malformed (when given) is set, and nothing
// taken, when the front is no MBAP frame (FrameLength -1).
std::optional<Frame> Take(QByteArray &buffer, bool *malformed = nullptr);

// The frames coming in on one connection, for a master that sends one
// request at a time. A frame whose length field lies (too long, so that it
// would swallow the next reply, or too short, so that its rest looks like a
// header) must not cost more than its own exchange:
//   - bytes that are no MBAP frame drop everything buffered;
//   - when the next request goes out, whatever is still buffered goes too:
//     a gateway answers only what it was asked, so the reply to the new
//     request cannot be preceded by half a frame, and a frame still
//     incomplete then has lied about its length or lost its rest.
// Socket-free: the program's port control and kzctl's link feed it.
class Stream {
public:
    // Adds bytes read from the connection.
    void Append(const QByteArray &bytes) { buffer_ += bytes; }
    // Takes the next complete frame off the stream; nothing while none is
    // complete. Bytes that are no MBAP frame are dropped with all that is
    // buffered, and appended to junk when given.
    std::optional<Frame> Take(QByteArray *junk = nullptr);
    // Drops what is buffered (before a request is sent) and returns it.
    QByteArray Drop() { return std::exchange(buffer_, {}); }
    // Bytes of a frame not complete yet (after Take gave nothing: fewer
    // than kHeaderSize + kMaxPdu).
    int Buffered() const { return static_cast<int>(buffer_.size()); }

private:
    QByteArray buffer_;
};

} // namespace mbap
