#include "sim/modbus.h"

#include <algorithm>
#include <cmath>

namespace sim {

QByteArray ExceptionPdu(std::uint8_t function, ExceptionCode code)
{
    QByteArray pdu;
    pdu.append(static_cast<char>(function | 0x80));
    pdu.append(static_cast<char>(code));
    return pdu;
}

QByteArray ReadThreeBits(const QByteArray &pdu, const std::array<bool, 3> &bits, int maxCount)
{
    const auto function = static_cast<std::uint8_t>(pdu.at(0));
    if (pdu.size() != 5)
        return ExceptionPdu(function, kIllegalDataValue);
    const std::uint16_t start = WordAt(pdu, 1);
    const std::uint16_t count = WordAt(pdu, 3);
    if (count < 1 || count > maxCount)
        return ExceptionPdu(function, kIllegalDataValue);
    if (start + count > 3)
        return ExceptionPdu(function, kIllegalDataAddress);
    std::uint8_t byte = 0;
    for (int i = 0; i < count; ++i)
        byte = static_cast<std::uint8_t>(byte | bits[start + i] << i);
    QByteArray reply;
    reply.append(static_cast<char>(function));
    reply.append(char(1));
    reply.append(static_cast<char>(byte));
    return reply;
}

QByteArray WriteCoilRequest(const QByteArray &pdu, int first, int last, CoilCheck order,
                            const std::function<void(int coil, bool on)> &set)
{
    if (pdu.size() != 5)
        return ExceptionPdu(0x05, kIllegalDataValue);
    const std::uint16_t coil = WordAt(pdu, 1);
    const std::uint16_t value = WordAt(pdu, 3);
    const bool coilKnown = coil >= first && coil <= last;
    const bool valueKnown = value == 0xFF00 || value == 0x0000;
    if (order == CoilCheck::ValueFirst && !valueKnown)
        return ExceptionPdu(0x05, kIllegalDataValue);
    if (!coilKnown)
        return ExceptionPdu(0x05, kIllegalDataAddress);
    if (!valueKnown)
        return ExceptionPdu(0x05, kIllegalDataValue);
    set(coil, value == 0xFF00);
    return pdu;
}

std::optional<RegisterRead> ParseRegisterRead(const QByteArray &pdu)
{
    if (pdu.size() != 5)
        return std::nullopt;
    const RegisterRead read{WordAt(pdu, 1), WordAt(pdu, 3)};
    if (read.count < 1 || read.count > 125)
        return std::nullopt;
    return read;
}

QByteArray HoldingReadReply(const QByteArray &data)
{
    QByteArray reply;
    reply.append(char(0x03));
    reply.append(static_cast<char>(data.size()));
    reply.append(data);
    return reply;
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
        // command letter 'r' or 'w' (address, AA, letter, four tag bytes,
        // four more, CRC: 13 bytes). Anything else ends with a pause.
        if (buffer.size() < 3)
            return 0;
        switch (static_cast<std::uint8_t>(buffer.at(2))) {
        case 0x80:
            return 12;
        case 'r':
        case 'w':
            return 13;
        default:
            return -1;
        }
    default:
        return -1;
    }
}

std::optional<QByteArray> TakeRequest(QByteArray &buffer)
{
    const int length = RequestLength(buffer);
    if (length <= 0 || buffer.size() < length)
        return std::nullopt;
    QByteArray request = buffer.left(length);
    buffer.remove(0, length);
    return request;
}

std::optional<CalibrationRequest> ParseCalibrationRequest(const QByteArray &pdu)
{
    if (pdu.size() != 10 || static_cast<std::uint8_t>(pdu.at(0)) != 0xAA || pdu.mid(2, 4) != "7022")
        return std::nullopt;
    CalibrationRequest request;
    if (pdu.at(1) == 'r') {
        if (pdu.mid(6) != "B000")
            return std::nullopt;
        request.read = true;
        return request;
    }
    if (pdu.at(1) != 'w')
        return std::nullopt;
    const auto at = [&](int i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(pdu.at(i))); };
    request.point = static_cast<std::uint8_t>(at(6));
    request.word = at(7) << 16 | at(8) << 8 | at(9);
    return request;
}

namespace {
QByteArray CalibrationHeader(char command)
{
    QByteArray pdu;
    pdu.append(static_cast<char>(0xAA));
    pdu.append(command);
    pdu.append("7022");
    return pdu;
}
} // namespace

QByteArray CalibrationReadPdu(const std::array<std::uint32_t, 24> &values)
{
    QByteArray pdu = CalibrationHeader('r');
    pdu.append('\0');
    for (std::uint32_t value : values)
        AppendBigEndian(pdu, value, 3);
    return pdu;
}

QByteArray CalibrationAckPdu(const CalibrationRequest &request)
{
    QByteArray pdu = CalibrationHeader('w');
    pdu.append(static_cast<char>(request.point));
    AppendBigEndian(pdu, request.word, 3);
    return pdu;
}

std::uint32_t Word24(double value, double scale)
{
    const double scaled = value * scale;
    if (!std::isfinite(scaled))
        return 0;
    const double limited = std::clamp(std::round(scaled), -8388607.0, 8388608.0);
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(limited)) & 0xFFFFFFu;
}

double Correction(std::uint32_t word)
{
    word &= 0xFFFFFFu;
    const double value = word >= 0x800000u ? static_cast<double>(word) - 16777216.0 : static_cast<double>(word);
    return value / 8388608.0;
}

QByteArray HandleCalibration(const QByteArray &pdu, std::span<std::uint32_t> words, int &benchPoint,
                             const std::function<std::array<std::uint32_t, 24>()> &values)
{
    const std::optional<CalibrationRequest> request = ParseCalibrationRequest(pdu);
    if (!request)
        return QByteArray();
    if (request->read)
        return CalibrationReadPdu(values());
    if (request->point < 1 || request->point > words.size())
        return QByteArray();
    words[request->point - 1u] = request->word;
    benchPoint = request->point;
    return CalibrationAckPdu(*request);
}

void ApplyPins(std::array<std::uint32_t, 24> &values, const QMap<int, std::uint32_t> &pins)
{
    for (auto pin = pins.constBegin(); pin != pins.constEnd(); ++pin)
        if (pin.key() >= 1 && pin.key() <= 24)
            values[static_cast<std::size_t>(pin.key() - 1)] = pin.value();
}

} // namespace sim
