#pragma once
// Simulated three-phase tester/module (KZ5500E, KZ5500M).
//
// Register map served (function 0x03 read, 0x10 write, 0x06 write single):
//
//   0x0000-0x001D  measurements, one 16-bit word each, read only
//                  0x00-0x02 phase voltage A,B,C   raw = V * 10 / PT
//                  0x03-0x05 line voltage AB,BC,CA raw = V * 10 / PT
//                  0x06 / 0x07 average phase / line voltage
//                  0x08-0x0A current A,B,C          raw = A * 1000 / CT
//                  0x0B zero-sequence current, 0x0C average current
//                  0x0D-0x10 power factor A,B,C,total, signed, raw = PF * 1000
//                  0x11 frequency                   raw = Hz * 100
//                  0x12-0x15 active power, signed   raw = W / (PT * CT)
//                  0x16-0x19 reactive power, signed raw = var / (PT * CT)
//                  0x1A-0x1D apparent power, signed raw = VA / (PT * CT)
//   0x001E-0x0029  six energies, two registers each, read only. Every
//                  register of this area carries FOUR bytes: the first
//                  register of a pair the high 32 bits, the second the low
//                  32 bits of a signed 64-bit count of hundredths (kWh or
//                  kvarh, ratios not applied). So 42 registers from 0x0000
//                  answer 30 * 2 + 12 * 4 = 108 bytes, and a read that starts
//                  or ends inside a pair simply gets that half.
//                  Order: total, forward, reverse active; total, forward,
//                  reverse reactive.
//   0x0050-0x005A  initialisation block, one word each, read/write:
//                  0x50 wiring mode (1 three-wire, 2 four-wire)
//                  0x51 PT ratio (BCD), 0x52 voltage unit flag
//                  0x53 CT ratio (BCD), 0x54 current unit flag
//                  0x55-0x59 power and energy unit flags
//                  0x5A reclosing delay in seconds (BCD)
//                  Writes are checked: mode 1 or 2, flags 0 or 1, ratios and
//                  delay valid BCD digits; anything else is refused with
//                  exception 03 and nothing of the request is stored.
//   0x005B-0x005C  energy bases (active, reactive). A read serves EIGHT
//                  bytes per register (64-bit hundredths, MSB first); a write
//                  takes FOUR bytes per register: bits 16-23, 8-15, 0-7 of
//                  the integer part, then the hundredths (0..99). Writing a
//                  base also restarts that total energy counter from it.
//
// Registers outside these areas answer exception 02, other functions 01.
//
// The simulated plant holds primary-side values that wander a little around
// nominal ones (default 220 V phase, 5 A, PF 0.95, 50 Hz) at each read of the
// measurement area; the raw registers are derived from them with the PT and
// CT currently in the initialisation block. Each such read also advances the
// energy counters by the energy of a fixed simulated interval, so they keep
// increasing. Tests can pin raw values or freeze the motion.
#include "sim/instrument.h"

#include <QMap>
#include <array>
#include <cstdint>
#include <random>

namespace sim {

struct ThreePhasePlant {
    double phaseVolts = 220.0; // primary phase voltage
    double amps = 5.0;         // primary current
    double powerFactor = 0.95; // inductive
    double hertz = 50.0;
};

class ThreePhaseInstrument : public Instrument {
public:
    static constexpr std::uint16_t kWordCount = 0x1E;   // 0x0000-0x001D
    static constexpr std::uint16_t kEnergyFirst = 0x1E; // 0x001E-0x0029
    static constexpr std::uint16_t kEnergyLast = 0x29;
    static constexpr std::uint16_t kInitFirst = 0x50; // 0x0050-0x005A
    static constexpr std::uint16_t kInitLast = 0x5A;
    static constexpr std::uint16_t kBaseActive = 0x5B;
    static constexpr std::uint16_t kBaseReactive = 0x5C;

    enum InitRegister : std::uint16_t {
        kWiringMode = 0x50,
        kPtRatio = 0x51,
        kVoltageUnit = 0x52,
        kCtRatio = 0x53,
        kCurrentUnit = 0x54,
        kActivePowerUnit = 0x55,
        kReactivePowerUnit = 0x56,
        kApparentPowerUnit = 0x57,
        kActiveEnergyUnit = 0x58,
        kReactiveEnergyUnit = 0x59,
        kReclosingDelay = 0x5A,
    };

    enum Energy {
        kTotalActive,
        kForwardActive,
        kReverseActive,
        kTotalReactive,
        kForwardReactive,
        kReverseReactive,
        kEnergyCount
    };

    explicit ThreePhaseInstrument(std::uint64_t seed = 1);
    Family family() const override { return Family::ThreePhase; }
    void Seed(std::uint64_t seed) override;

    // ---- Test hooks (no checks, no motion) ----
    // Ratios 0..9999, stored in BCD as the instrument keeps them.
    void SetRatios(int pt, int ct);
    void SetWiringMode(std::uint16_t mode) { SetRegister(kWiringMode, mode); }
    // Sets the six unit flags 0x52, 0x54..0x59 to the low bit of the given
    // mask: bit 0 voltage, 1 current, 2 active power, 3 reactive power,
    // 4 apparent power, 5 active energy, 6 reactive energy.
    void SetUnitFlags(unsigned mask);
    // Any word of the initialisation block; false outside 0x50..0x5A.
    bool SetRegister(std::uint16_t reg, std::uint16_t value);
    std::uint16_t Register(std::uint16_t reg) const; // 0 outside the block
    // Serves this raw value for a measurement word 0x00..0x1D until unpinned
    // (a signed value is stored as its 16-bit two's complement).
    bool PinRaw(std::uint16_t reg, int raw);
    void PinEnergy(Energy which, std::int64_t hundredths);
    void UnpinAll();
    // A frozen instrument serves the same values at every read and its
    // energies stop counting.
    void SetFrozen(bool frozen) { frozen_ = frozen; }
    void SetPlant(const ThreePhasePlant &plant);
    // Simulated time that passes per measurement read (energy counting).
    void SetSecondsPerRead(double seconds) { secondsPerRead_ = seconds; }
    void SetEnergyBase(int which, std::int64_t hundredths); // 0 active, 1 reactive

    // ---- Observation ----
    // Ratios as the instrument applies them (BCD decoded, 0 taken as 1).
    int Pt() const;
    int Ct() const;
    // The measurement word that a read would serve now (pins applied).
    std::uint16_t RawWord(std::uint16_t reg) const;
    std::int64_t EnergyValue(Energy which) const;
    std::int64_t EnergyBase(int which) const { return bases_[which]; }
    int MeasurementReads() const { return measurementReads_; }

protected:
    QByteArray HandleFunction(const QByteArray &pdu) override;

private:
    QByteArray ReadHolding(const QByteArray &pdu);
    QByteArray WriteMultiple(const QByteArray &pdu);
    QByteArray WriteSingle(const QByteArray &pdu);
    bool Readable(std::uint16_t reg) const;
    int WriteWidth(std::uint16_t reg) const; // 0: not writable
    void AppendRegister(QByteArray &out, std::uint16_t reg,
                        const std::array<std::uint16_t, kWordCount> &words) const;
    static bool ValidInitValue(std::uint16_t reg, std::uint16_t value);
    void Step();
    std::array<std::uint16_t, kWordCount> ComputeWords() const;

    std::mt19937_64 rng_;
    ThreePhasePlant plant_;
    std::array<double, 3> volts_{};
    std::array<double, 3> amps_{};
    std::array<double, 3> pf_{};
    double hertz_ = 50.0;
    std::array<double, kEnergyCount> energy_{}; // hundredths
    std::array<std::int64_t, 2> bases_{};
    std::array<std::uint16_t, kInitLast - kInitFirst + 1> init_{};
    QMap<std::uint16_t, std::uint16_t> pinnedWords_;
    QMap<int, std::int64_t> pinnedEnergy_;
    bool frozen_ = false;
    double secondsPerRead_ = 60.0;
    int measurementReads_ = 0;
};

} // namespace sim
