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

void Instrument::Seed(std::uint64_t) {}

bool Instrument::RequestAddress(std::uint8_t address)
{
    if (!addressFree || !addressFree(address))
        return false;
    requestedAddress_ = address;
    return true;
}

QByteArray Instrument::HandleFunction(const QByteArray &pdu)
{
    return ExceptionPdu(static_cast<std::uint8_t>(pdu.at(0)), kIllegalFunction);
}

} // namespace sim
