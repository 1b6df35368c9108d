#pragma once
// What the three-phase and single-phase instruments share around their own
// register maps: measurement words that tests can pin, six energy counters
// with the two bases that restart the totals, three relay coils and three
// switch inputs, a clock that runs from the PC clock and the block of
// registers that sets it, the correction words of the calibration exchange
// (function 0xAA), and the register reads and writes over all of these.
#include "sim/holdingarea.h"
#include "sim/instrument.h"
#include "sim/modbus.h"

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <variant>
#include <vector>

namespace sim {

class MeterInstrument : public Instrument {
public:
    // Where a family keeps the registers this class serves.
    struct Layout {
        int wordCount;              // measurement words from register 0
        std::uint16_t energyLast;   // the energy registers follow the words up to here
        std::uint16_t readableLast; // every register up to here can be read
        std::uint16_t baseFirst;    // the two energy bases, active then reactive
        // The clock block: year, month, day, hour, minute, second, the
        // instrument's address and its baud rate code, one plain word each.
        std::uint16_t clockFirst;
        std::uint8_t address;   // the address reported until the bus tells one
        int maxAddress;         // the highest address a write of the block takes
        bool loneClockWrite;    // a function-10 write of the block must not touch other registers
        int calibrationPoints;  // correction words of points 1..calibrationPoints
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

    // The address the instrument reports in its clock block. The bus does
    // not tell it a reply's address, so it is the family's factory address
    // until set; a write of the block's address that the bus accepts
    // changes it.
    void SetAddress(std::uint8_t address) override { address_ = address; }
    std::uint8_t Address() const { return address_; }
    // The baud rate code of the clock block (stored only: the simulated line
    // keeps its speed).
    std::uint16_t BaudCode() const { return baudCode_; }

    // The bench conditions of a calibration point (0: the plant's own).
    void SetBenchPoint(int point) { benchPoint_ = point; }
    int BenchPoint() const { return benchPoint_; }
    // The correction word stored for a point 1..N (0 otherwise).
    std::uint32_t CalibrationWord(int point) const;
    // The factor that word stands for.
    double CorrectionOf(int point) const { return Correction(CalibrationWord(point)); }
    // The 24 values a calibration read would serve now.
    virtual std::array<std::uint32_t, 24> CalibrationValues() const = 0;

protected:
    explicit MeterInstrument(const Layout &layout);

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
    // Replaces the measurement words that tests pinned.
    void ApplyWordPins(std::span<std::uint16_t> words) const;
    void ApplyCalibrationPins(std::array<std::uint32_t, 24> &values) const { ApplyPins(values, pinnedCalibration_); }

    // Function 0xAA: reads serve CalibrationValues(), writes store a point's
    // word and set the bench to it.
    QByteArray Calibrate(const QByteArray &pdu) override;
    // Scales of the calibration values: powers, RMS values and frequency,
    // power factors.
    static constexpr double kPowerScale = 256.0, kRmsScale = 8192.0, kFactorScale = 8388608.0;
    // The angle by which the bench's current lags its voltage, in radians.
    // Bench groups 0 and 1 (full and 10 % current) are at power factor
    // 1.0, 2 and 3 at 0.5 lagging; no group (-1) is the plant's own power
    // factor (negative: capacitive).
    static double BenchAngle(int group, double plantPowerFactor);

    // Sets switch input 0..2; false, changing nothing, for another input
    // or one that already is so (a change is the family's to log).
    bool ChangeInput(int input, bool closed);

    // Function 03. A read of one of the family's event logs is the
    // family's (ReadLog); any other read must be of readable registers
    // only (exception 02). A read that starts in the measurement or energy
    // registers first moves the plant (Step). The settings areas serve
    // their own words, this class the energies, the bases and the clock
    // block, and the family's word server every other register.
    QByteArray ReadHolding(const QByteArray &pdu) override;
    // Function 06: a settings word, or a word of the clock block (the
    // energy bases take four bytes: not here).
    QByteArray WriteSingle(const QByteArray &pdu) override;
    // Function 10 over the settings areas, the energy bases (four bytes
    // each) and the clock block. Everything is checked before anything is
    // stored: a refused write changes nothing. The clock block is checked
    // as a whole and stored last: an address it accepts moves the
    // instrument once the reply has gone out.
    QByteArray WriteMultiple(const QByteArray &pdu) override;

    // What the family adds to those reads and writes: its settings areas;
    virtual HoldingAreas &Areas() = 0;
    // the reply to a read of one of its event logs (nothing: not a log read);
    virtual std::optional<QByteArray> ReadLog(int start, int count) = 0;
    // the motion of its plant at a read of the measurements or energies;
    virtual void Step() = 0;
    // and, made once a read's plant has moved, the server of the words of
    // its own registers (measurements, alarm and state words).
    virtual std::function<std::uint16_t(int reg)> WordServer() = 0;

    // A word of the clock block as a read serves it (0 outside the block).
    std::uint16_t ClockBlockWord(int reg) const;
    bool InClockBlock(int reg) const { return reg >= layout_.clockFirst && reg < layout_.clockFirst + 8; }
    // Checks and applies a write of values to the clock block from start;
    // the refusal (exception 03) when it is not accepted. A written date
    // and time must be valid in 2000..2099, the baud rate code 1..6, a
    // written address 1..maxAddress and free on the bus.
    std::optional<ExceptionCode> WriteClockBlock(int start, const std::vector<std::uint16_t> &values);
    // The clock as six packed BCD bytes: year in the century, month, day,
    // hour, minute, second (the stamp of an event log record).
    void AppendClockStamp(QByteArray &record) const;

    std::array<bool, 3> coils_{};
    std::array<bool, 3> inputs_{};

private:
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

    bool IsBase(int reg) const { return reg == layout_.baseFirst || reg == layout_.baseFirst + 1; }
    bool Readable(int reg);
    int WriteWidth(int reg); // 0: not writable

    Layout layout_;
    std::uint8_t address_;
    std::uint16_t baudCode_ = 4; // 9600
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
