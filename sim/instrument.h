#pragma once
// A simulated instrument on the bus. Each family has its own class with its
// own register map; this base answers what every instrument answers (the
// address probe), hands every other request to the handler of its function
// code and refuses everything a family does not implement.
#include "link/family.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <utility>

namespace sim {

// The program's families, by the names the simulator's command line takes.
using ::Family;
using ::FamilyName;
using ::ParseFamily;

class Instrument {
public:
    virtual ~Instrument();
    Instrument(const Instrument &) = delete;
    Instrument &operator=(const Instrument &) = delete;

    virtual Family family() const = 0;

    // Answers one request PDU (function code and data, no address, no CRC).
    // Returns the reply PDU, or an empty array for "no reply".
    QByteArray Handle(const QByteArray &pdu);

    // Restarts the instrument's own random motion from this seed.
    void Seed(std::uint64_t seed) { rng_.seed(seed); }
    // A frozen instrument serves the same values at every read (its plant
    // does not wander and its energies stop counting).
    void SetFrozen(bool frozen) { frozen_ = frozen; }

    // The bus tells an instrument its address when it is added and after
    // it moved, for instruments that report their own address.
    virtual void SetAddress(std::uint8_t) {}

    // Closes (true) or opens switch input 0..2 of an instrument that has
    // them; a change is logged like a real one.
    virtual void SetInput(int, bool) {}
    virtual bool Input(int) const { return false; }

    // Set by the bus: whether an address is free to move to (1..247 and
    // not taken by another instrument).
    std::function<bool(std::uint8_t)> addressFree;
    // The address the instrument asked to move to while answering the
    // last request, once; the bus moves it after that reply went out.
    std::optional<std::uint8_t> TakeRequestedAddress() { return std::exchange(requestedAddress_, std::nullopt); }

protected:
    Instrument() = default;
    bool Frozen() const { return frozen_; }

    // Draws the plant's motion for one measurement read: each call moves a
    // value 40 % of the way back to its nominal value plus spread times a
    // normal draw. One Wander serves one read, so that the draws of a read
    // come from one distribution.
    class Wander {
    public:
        explicit Wander(Instrument &instrument) : rng_(instrument.rng_) {}
        double operator()(double value, double nominal, double spread)
        {
            return nominal + 0.6 * (value - nominal) + spread * noise_(rng_);
        }

    private:
        std::mt19937_64 &rng_;
        std::normal_distribution<double> noise_{0.0, 1.0};
    };
    // An instrument whose address register is written calls this before it
    // acknowledges: false (refuse the write) when the address is not free.
    // The reply still goes out from the old address.
    bool RequestAddress(std::uint8_t address);
    // One handler a function code (01 and 02 share one). A family overrides
    // those it serves; the others refuse with exception 01.
    virtual QByteArray ReadBits(const QByteArray &pdu);      // 01, 02
    virtual QByteArray ReadHolding(const QByteArray &pdu);   // 03
    virtual QByteArray WriteCoil(const QByteArray &pdu);     // 05
    virtual QByteArray WriteSingle(const QByteArray &pdu);   // 06
    virtual QByteArray WriteMultiple(const QByteArray &pdu); // 10
    virtual QByteArray Calibrate(const QByteArray &pdu);     // AA
    // Exception 01 for the request's function.
    static QByteArray Refuse(const QByteArray &pdu);

private:
    QByteArray HandleFunction(const QByteArray &pdu);

    std::optional<std::uint8_t> requestedAddress_;
    std::mt19937_64 rng_;
    bool frozen_ = false;
};

} // namespace sim
