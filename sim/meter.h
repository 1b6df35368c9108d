#pragma once
// What the three-phase and single-phase instruments share around their own
// register maps: measurement words that tests can pin, six energy counters
// with the two bases that restart the totals, three relay coils and three
// switch inputs, a clock that runs from the PC clock, and the correction
// words of the calibration exchange (function 0xAA).
#include "sim/holdingarea.h"
#include "sim/instrument.h"
#include "sim/modbus.h"

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <variant>
#include <vector>

namespace sim {

class MeterInstrument : public Instrument {
public:
    enum Energy {
        kTotalActive,
        kForwardActive,
        kReverseActive,
        kTotalReactive,
        kForwardReactive,
        kReverseReactive,
        kEnergyCount
    };

    // Serves this raw value for a measurement word until unpinned (a signed
    // value is stored as its 16-bit two's complement); false beyond the
    // measurement words.
    bool PinRaw(std::uint16_t reg, int raw);
    void PinEnergy(Energy which, std::int64_t hundredths) { pinnedEnergy_[which] = hundredths; }
    // Serves this raw word as value 1..24 of a calibration read until
    // unpinned.
    void PinCalibrationValue(int value, std::uint32_t raw) { pinnedCalibration_[value] = raw & 0xFFFFFF; }
    void UnpinCalibration() { pinnedCalibration_.clear(); }
    // Drops every pin: measurement words, energies, calibration values.
    void UnpinAll();

    // Simulated time that passes per measurement read (energy counting).
    void SetSecondsPerRead(double seconds) { secondsPerRead_ = seconds; }
    std::int64_t EnergyValue(Energy which) const; // pins applied
    std::int64_t EnergyBase(int which) const { return bases_[which]; }
    // Sets base 0 (active) or 1 (reactive) and restarts its total counter
    // from it.
    void SetEnergyBase(int which, std::int64_t hundredths);

    // Relay coils 0..2 and switch inputs 0..2 (closed: true).
    bool Coil(int coil) const { return coils_.at(coil); }
    bool Input(int input) const override { return inputs_.at(input); }

    // The simulated clock: the PC clock plus the offset a write set.
    QDateTime Clock() const;
    void SetClock(const QDateTime &time);

    // The bench conditions of a calibration point (0: the plant's own).
    void SetBenchPoint(int point) { benchPoint_ = point; }
    int BenchPoint() const { return benchPoint_; }
    // The correction word stored for a point 1..N (0 otherwise).
    std::uint32_t CalibrationWord(int point) const;
    // The 24 values a calibration read would serve now.
    virtual std::array<std::uint32_t, 24> CalibrationValues() const = 0;

protected:
    // An instrument with wordCount measurement words and calibration points
    // 1..calibrationPoints.
    MeterInstrument(int wordCount, int calibrationPoints);

    // Counters of an instrument that has been in service for a while; the
    // totals are the sums of forward and reverse.
    void StartEnergies(double forwardActive, double reverseActive, double forwardReactive, double reverseReactive);
    // Counts the energy of one measurement read at this active and reactive
    // power (W, var; negative flows back) into the forward or reverse
    // counter and the total, in hundredths of kWh and kvarh.
    void CountEnergy(double watts, double vars);
    // Appends energy register half (0, 1 the high and low 32 bits of the
    // first counter, 2, 3 of the second, ...) as four bytes.
    void AppendEnergyHalf(QByteArray &out, int half) const;
    // Base 0 or 1 as a read serves it: eight bytes of hundredths.
    void AppendEnergyBase(QByteArray &out, int which) const;
    // A function-10 request over the settings areas, the two energy bases
    // (four bytes each from baseFirst) and the instrument's own block of
    // registers (its clock block: any other register that width lets
    // through), checked but not yet stored.
    struct PlannedWrite {
        std::vector<AreaRun> runs;
        std::array<std::optional<std::int64_t>, 2> bases; // the bases written
        int blockStart = -1;                              // -1: none written
        std::vector<std::uint16_t> blockWords;            // from blockStart
    };
    // The plan, or the exception that refuses the request (see
    // PlanMultipleWrite; a base with hundredths above 99 is exception 03).
    static std::variant<PlannedWrite, ExceptionCode> PlanWrite(const QByteArray &pdu, HoldingAreas &areas,
                                                               const RegisterWidth &width, int baseFirst);
    // Stores the area runs and the bases of an accepted plan; the block is
    // the instrument's to check and store.
    void StoreWrite(const PlannedWrite &plan);

    // Replaces the measurement words that tests pinned.
    void ApplyWordPins(std::span<std::uint16_t> words) const;
    void ApplyCalibrationPins(std::array<std::uint32_t, 24> &values) const { ApplyPins(values, pinnedCalibration_); }

    // Function 0xAA: reads serve CalibrationValues(), writes store a point's
    // word and set the bench to it.
    QByteArray Calibrate(const QByteArray &pdu) override;

    std::array<bool, 3> coils_{};
    std::array<bool, 3> inputs_{};

private:
    int wordCount_;
    QMap<std::uint16_t, std::uint16_t> pinnedWords_;
    std::array<double, kEnergyCount> energy_{}; // hundredths
    std::array<std::int64_t, 2> bases_{};
    QMap<int, std::int64_t> pinnedEnergy_;
    double secondsPerRead_ = 60.0;
    qint64 clockOffset_ = 0; // seconds ahead of the PC clock
    std::vector<std::uint32_t> calWords_;
    int benchPoint_ = 0;
    QMap<int, std::uint32_t> pinnedCalibration_;
};

} // namespace sim
