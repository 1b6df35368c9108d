#pragma once
// A simulated instrument on the bus. Each family has its own class with its
// own register map; this base answers what every instrument answers (the
// address probe) and refuses everything a family does not implement.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace sim {

enum class Family { ThreePhase, SinglePhase, Kz827 };

// "three-phase", "single-phase", "kz827".
QString FamilyName(Family family);
std::optional<Family> ParseFamily(const QString &name);

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
    virtual void Seed(std::uint64_t seed);

protected:
    Instrument() = default;
    // Everything but the probe. The default refuses with exception 01.
    virtual QByteArray HandleFunction(const QByteArray &pdu);
};

} // namespace sim
