#include "sim/bus.h"

#include "link/crc.h"
#include "sim/kz827.h"
#include "sim/singlephase.h"
#include "sim/threephase.h"

namespace sim {

Bus::Bus(std::uint64_t seed) : faults_(seed), seed_(seed) {}

Bus::~Bus() = default;

std::uint64_t Bus::InstrumentSeed(std::uint8_t address) const
{
    // Different instruments wander differently, but repeatably.
    return seed_ * 0x9E3779B97F4A7C15ull + address;
}

Instrument *Bus::Add(std::uint8_t address, Family family)
{
    if (address == 0 || instruments_.count(address))
        return nullptr;
    std::unique_ptr<Instrument> instrument;
    switch (family) {
    case Family::ThreePhase:
        instrument = std::make_unique<ThreePhaseInstrument>(InstrumentSeed(address));
        break;
    case Family::SinglePhase:
        instrument = std::make_unique<SinglePhaseInstrument>();
        break;
    case Family::Kz827:
        instrument = std::make_unique<Kz827Instrument>();
        break;
    }
    instrument->Seed(InstrumentSeed(address));
    instrument->addressFree = [this](std::uint8_t to) { return to >= 1 && to <= 247 && !At(to); };
    instrument->SetAddress(address);
    Instrument *raw = instrument.get();
    instruments_[address] = std::move(instrument);
    return raw;
}

bool Bus::Remove(std::uint8_t address)
{
    return instruments_.erase(address) > 0;
}

Instrument *Bus::At(std::uint8_t address) const
{
    const auto it = instruments_.find(address);
    return it == instruments_.end() ? nullptr : it->second.get();
}

ThreePhaseInstrument *Bus::ThreePhaseAt(std::uint8_t address) const
{
    return dynamic_cast<ThreePhaseInstrument *>(At(address));
}

SinglePhaseInstrument *Bus::SinglePhaseAt(std::uint8_t address) const
{
    return dynamic_cast<SinglePhaseInstrument *>(At(address));
}

Kz827Instrument *Bus::Kz827At(std::uint8_t address) const
{
    return dynamic_cast<Kz827Instrument *>(At(address));
}

void Bus::SetSeed(std::uint64_t seed)
{
    seed_ = seed;
    faults_.SetSeed(seed);
    for (auto &[address, instrument] : instruments_)
        instrument->Seed(InstrumentSeed(address));
}

QByteArray Bus::Handle(const QByteArray &request)
{
    // Shortest meaningful frame: address, function, CRC.
    if (request.size() < 4 || !CheckFrameCrc(request))
        return QByteArray();
    const auto address = static_cast<std::uint8_t>(request.front());
    Instrument *instrument = At(address);
    if (!instrument)
        return QByteArray();
    const QByteArray pdu = instrument->Handle(request.mid(1, request.size() - 3));
    // An address change takes effect after the reply, which still comes
    // from the old address.
    if (const auto to = instrument->TakeRequestedAddress()) {
        auto node = instruments_.extract(address);
        node.key() = *to;
        node.mapped()->SetAddress(*to);
        instruments_.insert(std::move(node));
    }
    if (pdu.isEmpty())
        return QByteArray();
    QByteArray reply;
    reply.append(static_cast<char>(address));
    reply.append(pdu);
    AppendCrc(reply);
    return reply;
}

Transmission Bus::Respond(const QByteArray &request)
{
    const QByteArray reply = Handle(request);
    if (reply.isEmpty())
        return {};
    return faults_.Apply(reply);
}

} // namespace sim
