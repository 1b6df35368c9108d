#include "link/modbusframes.h"

#include "link/crc.h"

#include <algorithm>

namespace modbus {

std::uint8_t FrameAddress(const QByteArray &frame)
{
    return frame.isEmpty() ? 0 : static_cast<std::uint8_t>(frame.at(0));
}

std::uint8_t FrameFunction(const QByteArray &frame)
{
    return frame.size() < 2 ? 0 : static_cast<std::uint8_t>(frame.at(1));
}

namespace {

std::uint8_t byteAt(const QByteArray &frame, int i)
{
    return i < frame.size() ? static_cast<std::uint8_t>(frame.at(i)) : 0;
}

std::uint16_t wordAt(const QByteArray &frame, int i)
{
    return static_cast<std::uint16_t>(byteAt(frame, i) << 8 | byteAt(frame, i + 1));
}

void appendWord(QByteArray &frame, std::uint16_t value)
{
    frame.append(static_cast<char>(value >> 8));
    frame.append(static_cast<char>(value & 0xFF));
}

QByteArray header(std::uint8_t address, std::uint8_t function, std::uint16_t first, std::uint16_t second)
{
    QByteArray frame;
    frame.append(static_cast<char>(address));
    frame.append(static_cast<char>(function));
    appendWord(frame, first);
    appendWord(frame, second);
    return frame;
}

QByteArray complete(QByteArray frame)
{
    AppendCrc(frame);
    return frame;
}

} // namespace

QByteArray ReadCoils(std::uint8_t address, std::uint16_t start, std::uint16_t count)
{
    return complete(header(address, 0x01, start, count));
}

QByteArray ReadInputs(std::uint8_t address, std::uint16_t start, std::uint16_t count)
{
    return complete(header(address, 0x02, start, count));
}

QByteArray ReadRegisters(std::uint8_t address, std::uint16_t start, std::uint16_t count)
{
    return complete(header(address, 0x03, start, count));
}

QByteArray WriteCoil(std::uint8_t address, std::uint16_t coil, bool on)
{
    return complete(header(address, 0x05, coil, on ? 0xFF00 : 0x0000));
}

QByteArray WriteRegister(std::uint8_t address, std::uint16_t reg, std::uint16_t value)
{
    return complete(header(address, 0x06, reg, value));
}

QByteArray WriteRegisters(std::uint8_t address, std::uint16_t start, std::uint16_t count, const QByteArray &data)
{
    QByteArray frame = header(address, 0x10, start, count);
    frame.append(static_cast<char>(data.size() & 0xFF));
    frame.append(data);
    return complete(frame);
}

QByteArray ReplyData(const QByteArray &reply)
{
    if (reply.size() < 3)
        return {};
    const int end = std::min<int>(3 + byteAt(reply, 2), static_cast<int>(reply.size()) - 2);
    return end > 3 ? reply.mid(3, end - 3) : QByteArray();
}

std::uint8_t Exchange::Function() const { return reply.size() >= 2 ? byteAt(reply, 1) : 0; }
std::uint8_t Exchange::RequestFunction() const { return request.size() >= 2 ? byteAt(request, 1) : 0; }
std::uint16_t Exchange::RequestStart() const { return request.size() >= 4 ? wordAt(request, 2) : 0; }
std::uint16_t Exchange::RequestCount() const { return request.size() >= 6 ? wordAt(request, 4) : 0; }
int Exchange::ByteCount() const { return reply.size() >= 3 ? byteAt(reply, 2) : 0; }
QByteArray Exchange::Data() const { return ReplyData(reply); }

bool Exchange::IsReadOf(std::uint8_t function, int bytes) const
{
    return Function() == function && RequestFunction() == function && ByteCount() == bytes &&
           Data().size() == bytes;
}

bool Exchange::IsEchoOf(std::uint8_t function) const
{
    return Function() == function;
}

bool Exchange::Answers(std::uint16_t start, int bytes) const
{
    return IsReadOf(0x03, bytes) && RequestStart() == start;
}

bool Exchange::Confirms() const
{
    // 05 and 06 echo the whole request; 10 echoes its start and count.
    const std::uint8_t function = RequestFunction();
    if (function != 0x05 && function != 0x06 && function != 0x10)
        return false;
    return Function() == function && reply.size() >= 6 && request.size() >= 6 && reply.mid(1, 5) == request.mid(1, 5);
}

} // namespace modbus
