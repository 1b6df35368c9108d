#pragma once
// Simulated KZ827KVE tester. Its register map is not served yet: it answers
// the address probe and refuses every other function (exception 01).
#include "sim/instrument.h"

namespace sim {

class Kz827Instrument : public Instrument {
public:
    Kz827Instrument() = default;
    Family family() const override { return Family::Kz827; }
};

} // namespace sim
