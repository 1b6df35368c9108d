#pragma once
// The simulated RS-485 bus: instruments by address, one reply per request,
// and optional fault injection on the replies.
#include "sim/faults.h"
#include "sim/instrument.h"

#include <QByteArray>
#include <cstdint>
#include <map>
#include <memory>

namespace sim {

class ThreePhaseInstrument;
class SinglePhaseInstrument;
class Kz827Instrument;

class Bus {
public:
    explicit Bus(std::uint64_t seed = 1);
    ~Bus();
    Bus(const Bus &) = delete;
    Bus &operator=(const Bus &) = delete;

    // Adds a new instrument of the family at address 1..255. Returns nullptr
    // when the address is 0 (broadcast, never answered) or already taken.
    Instrument *Add(std::uint8_t address, Family family);
    bool Remove(std::uint8_t address);
    Instrument *At(std::uint8_t address) const;
    ThreePhaseInstrument *ThreePhaseAt(std::uint8_t address) const;
    SinglePhaseInstrument *SinglePhaseAt(std::uint8_t address) const;
    Kz827Instrument *Kz827At(std::uint8_t address) const;
    int Size() const { return static_cast<int>(instruments_.size()); }

    // Reseeds the fault generator (and restarts its request count) and the
    // motion of every instrument on the bus.
    void SetSeed(std::uint64_t seed);
    FaultInjector &Faults() { return faults_; }

    // The reply frame of the addressed instrument, CRC included, without
    // faults. Empty when nobody answers: frame shorter than 4 bytes, bad CRC,
    // or no instrument at that address.
    QByteArray Handle(const QByteArray &request);

    // Handle() and then the fault rules: what goes on the wire, in pieces.
    Transmission Respond(const QByteArray &request);

private:
    std::uint64_t InstrumentSeed(std::uint8_t address) const;

    std::map<std::uint8_t, std::unique_ptr<Instrument>> instruments_;
    FaultInjector faults_;
    std::uint64_t seed_;
};

} // namespace sim
