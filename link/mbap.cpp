#include "link/mbap.h"

#include "link/crc.h"

namespace mbap {

namespace {
std::uint16_t wordAt(const QByteArray &bytes, int offset)
{
    return static_cast<std::uint16_t>((static_cast<std::uint8_t>(bytes.at(offset)) << 8) |
                                      static_cast<std::uint8_t>(bytes.at(offset + 1)));
}

void appendWord(QByteArray &out, std::uint16_t value)
{
    out.append(static_cast<char>(value >> 8));
    out.append(static_cast<char>(value & 0xFF));
}
} // namespace

QByteArray Encode(const Frame &frame)
{
    QByteArray out;
    out.reserve(kHeaderSize + frame.pdu.size());
    appendWord(out, frame.transaction);
    appendWord(out, 0);
    appendWord(out, static_cast<std::uint16_t>(frame.pdu.size() + 1));
    out.append(static_cast<char>(frame.unit));
    out.append(frame.pdu);
    return out;
}

std::optional<QByteArray> FromRtu(const QByteArray &rtu, std::uint16_t transaction)
{
    if (rtu.size() < 4 || rtu.size() - 3 > kMaxPdu)
        return std::nullopt;
    return Encode({transaction, static_cast<std::uint8_t>(rtu.at(0)), rtu.mid(1, rtu.size() - 3)});
}

QByteArray ToRtu(const Frame &frame)
{
    QByteArray out;
    out.reserve(frame.pdu.size() + 3);
    out.append(static_cast<char>(frame.unit));
    out.append(frame.pdu);
    AppendCrc(out);
    return out;
}

int FrameLength(const QByteArray &buffer)
{
    if (buffer.size() < 6)
        return 0;
    const int length = wordAt(buffer, 4);
    if (wordAt(buffer, 2) != 0 || length < 2 || length > kMaxPdu + 1)
        return -1;
    return 6 + length;
}

std::optional<Frame> Take(QByteArray &buffer, bool *malformed)
{
    const int length = FrameLength(buffer);
    if (malformed)
        *malformed = length < 0;
    if (length <= 0 || buffer.size() < length)
        return std::nullopt;
    Frame frame{wordAt(buffer, 0), static_cast<std::uint8_t>(buffer.at(6)), buffer.mid(kHeaderSize, length - kHeaderSize)};
    buffer.remove(0, length);
    return frame;
}

std::optional<Frame> Stream::Take(QByteArray *junk)
{
    bool malformed = false;
    auto frame = mbap::Take(buffer_, &malformed);
    if (malformed) {
        if (junk)
            *junk += buffer_;
        buffer_.clear();
    }
    return frame;
}

} // namespace mbap
