#pragma once
// Simulated single-phase tester. Its register map is not served yet: it
// answers the address probe and refuses every other function (exception 01).
#include "sim/instrument.h"

namespace sim {

class SinglePhaseInstrument : public Instrument {
public:
    SinglePhaseInstrument() = default;
    Family family() const override { return Family::SinglePhase; }
};

} // namespace sim
