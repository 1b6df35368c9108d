#include "sim/instrument.h"

#include "sim/modbus.h"

namespace sim {

Instrument::~Instrument() = default;

QByteArray Instrument::Handle(const QByteArray &pdu)
{
    if (pdu.isEmpty())
        return QByteArray();
    // Address probe: 0x99 and four bytes, answered with the same five bytes.
    // A probe of any other length is not a probe this instrument knows.
    if (static_cast<std::uint8_t>(pdu.at(0)) == 0x99) {
        if (pdu.size() != 5)
            return ExceptionPdu(0x99, kIllegalDataValue);
        return pdu;
    }
    return HandleFunction(pdu);
}

bool Instrument::RequestAddress(std::uint8_t address)
{
    if (!addressFree || !addressFree(address))
        return false;
    requestedAddress_ = address;
    return true;
}

QByteArray Instrument::HandleFunction(const QByteArray &pdu)
{
    switch (static_cast<std::uint8_t>(pdu.at(0))) {
    case 0x01:
    case 0x02:
        return ReadBits(pdu);
    case 0x03:
        return ReadHolding(pdu);
    case 0x05:
        return WriteCoil(pdu);
    case 0x06:
        return WriteSingle(pdu);
    case 0x10:
        return WriteMultiple(pdu);
    case 0xAA:
        return Calibrate(pdu);
    default:
        return Refuse(pdu);
    }
}

QByteArray Instrument::Refuse(const QByteArray &pdu)
{
    return ExceptionPdu(static_cast<std::uint8_t>(pdu.at(0)), kIllegalFunction);
}

QByteArray Instrument::ReadBits(const QByteArray &pdu) { return Refuse(pdu); }
QByteArray Instrument::ReadHolding(const QByteArray &pdu) { return Refuse(pdu); }
QByteArray Instrument::WriteCoil(const QByteArray &pdu) { return Refuse(pdu); }
QByteArray Instrument::WriteSingle(const QByteArray &pdu) { return Refuse(pdu); }
QByteArray Instrument::WriteMultiple(const QByteArray &pdu) { return Refuse(pdu); }
QByteArray Instrument::Calibrate(const QByteArray &pdu) { return Refuse(pdu); }

} // namespace sim
