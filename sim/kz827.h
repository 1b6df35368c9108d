#pragma once
// Simulated KZ827KVE single-phase tester.
//
// Register map served (function 0x03 read, 0x10 write):
//
//   0x0000-0x0005  measurements, read only, three 2-register fields:
//                  voltage, current, active power. Each field: the value
//                  (0..9999; power sign and magnitude, bit 15 the sign),
//                  then a register with the number of decimal places
//                  (0..3) in the high byte and the unit code in the low
//                  byte (voltage, current: 0 V/A, 1 KV/KA; power: 0 W,
//                  1 KW, 2 MW). The value is the primary-side quantity
//                  (measured input times the ratio of 0x1001/0x1003, in the
//                  unit of 0x1000/0x1002/0x1004) with as many decimals as
//                  four digits allow; a value beyond 9999 in its unit shows
//                  as 9999.
//   0x1000-0x1006  initialisation, read/write, one word each, checked:
//                  0x1000 voltage unit 0..1, 0x1001 voltage ratio (BCD),
//                  0x1002 current unit 0..1, 0x1003 current ratio (BCD),
//                  0x1004 power unit 0..2, 0x1005 bus address 1..247 (a free
//                  one: the reply still comes from the old address, then
//                  the instrument answers at the new one), 0x1006 baud rate
//                  index 0..5 (1200..19200; stored only, the simulated line
//                  keeps its speed). Factory state: small units, ratios 1,
//                  baud index 3 (9600); 0x1005 reads the address last
//                  written, 0 before any.
//   0x1008-0x1032  alarm parameters, read/write, stored as written (the
//                  instrument keeps the words it is given, fillers too).
//                  Power block 0x1008, current 0x1018, voltage 0x1028, five
//                  filler registers before each of the last two. A block:
//                  enable bits, upper limit (2), upper hysteresis (2), upper
//                  relay, lower limit (2), lower hysteresis (2), lower relay.
//                  A limit is four BCD digits, then the digits before the
//                  point (high byte) and the unit code (low byte). Factory
//                  state: upper limits 9999, everything else 0.
//   coils 1, 2     relay outputs OUT1, OUT2, written with function 0x05
//                  (FF 00 closes, 00 00 opens).
//
// Function 0xAA, this family's calibration form. Request (12 bytes):
// address, AA, 80, sub-command, 54 60 03, three data bytes, CRC.
//   0x0F read: answered with 19 bytes: address, AA, 'r' (0x72), 54 60, the
//        raw voltage, current, power and power scale K (3 bytes each, high
//        first), CRC.
//   0x00/0x01 voltage/current zero-level calibrate, 0x06/0x07 voltage/
//        current zero clear: counted, acknowledged.
//   0x02..0x05 write the coefficient of voltage, current, power and phase
//        (the data bytes): stored, acknowledged, and the bench set to that
//        item's conditions (below).
//   Acknowledgement (7 bytes): address, AA, 'w' (0x77), 54 60, CRC.
// A malformed 0xAA request (another length, byte 2 not 0x80, another tag,
// an unknown sub-command) gets no reply: an exception reply would pass the
// program's length rule as an acknowledgement.
//
// Raw calibration values: the measured input (plant value times the
// sensor gain, 1.0 unless a test sets it, times coefficient / 0x400000 for
// voltage and current) scaled so that the program's rules give it back:
//   raw U = U * 16777216 * 150 / (250 * 400)
//   raw I = I * 16777216 * 150 / (250 * 5)
//   raw P = |P| * 4718592 / 3125, with K the power coefficient (factory
//           100000 = 0x0186A0; the measured power is P * gain * K / 100000)
// each limited to 0..0xFFFFFF. Factory coefficients: voltage and current
// 0x400000, power 0x0186A0, phase 0.
//
// The phase coefficient turns the angle the instrument sees between
// current and voltage: its low byte holds a number of steps of 2.8/127
// degrees (bits 0-6) and a sign (bit 7). Without the sign the steps are
// taken off the angle seen, with it they are added, so that an instrument
// whose angle reads d degrees too large is put right by d / (2.8/127) steps
// without the sign. The measured power is U x I x cos(angle seen), the
// angle seen being the input's own (arccos of the power factor) plus the
// instrument's angle error (0 unless a test sets it) less that correction.
//
// The plant (secondary-side input: 220 V, 5 A, PF 1.0) wanders a little at
// each measurement read unless frozen. A calibration read does not move it:
// calibration is done with the instrument on a standard source, which holds
// its output steady from the moment the operator sets it, before anything is
// written (the meters' simulators read their calibration values the same
// way). Writing a coefficient
// sets the bench to its item's conditions, as the operator sets the
// standard source before calibrating it: the plant's nominal voltage and
// current, held steady as a calibration source holds them, at power factor
// 1.0 for voltage, current and power and 0.5 lagging for the phase. Setting
// the plant leaves the bench.
#include "sim/holdingarea.h"
#include "sim/instrument.h"

#include <array>
#include <cstdint>

namespace sim {

struct Kz827Plant {
    double volts = 220.0;
    double amps = 5.0;
    double powerFactor = 1.0; // negative: power flows back
};

class Kz827Instrument : public Instrument {
public:
    static constexpr std::uint16_t kInitFirst = 0x1000; // 0x1000-0x1006
    static constexpr std::uint16_t kAddressRegister = 0x1005;
    static constexpr std::uint16_t kAlarmFirst = 0x1008; // 0x1008-0x1032
    static constexpr std::uint16_t kAlarmLast = 0x1032;

    enum Item { kVoltage, kCurrent, kPower, kPhase };
    enum ZeroCommand { kVoltageZero, kCurrentZero, kVoltageClear, kCurrentClear };

    Kz827Instrument();
    Family family() const override { return Family::Kz827; }

    // ---- Test hooks (no checks) ----
    void SetPlant(const Kz827Plant &plant);
    // How far the instrument's input is off: reads give value * gain.
    void SetGain(Item item, double gain) { gain_[item] = gain; }
    // How far the angle the instrument sees is off, in degrees.
    void SetAngleError(double degrees) { angleError_ = degrees; }
    // Any word of 0x1000-0x1006 and 0x1008-0x1032; false elsewhere.
    bool SetHolding(std::uint16_t reg, std::uint16_t value) { return areas_.Set(reg, value); }
    std::uint16_t Holding(std::uint16_t reg) const { return areas_.Value(reg); } // 0 elsewhere

    // ---- Observation ----
    bool Coil(int coil) const { return coil >= 1 && coil <= 2 && coils_[coil - 1]; }
    std::uint32_t Coefficient(Item item) const { return coefficients_[item]; }
    int ZeroCommands(ZeroCommand which) const { return zeroCommands_[which]; }
    int MeasurementReads() const { return reads_; }
    // The six measurement words a read would serve now.
    std::array<std::uint16_t, 6> MeasurementWords() const;
    // The raw calibration values a read would serve now (voltage, current,
    // power, K).
    std::array<std::uint32_t, 4> CalibrationValues() const;

protected:
    QByteArray ReadHolding(const QByteArray &pdu) override;
    QByteArray WriteMultiple(const QByteArray &pdu) override;
    QByteArray WriteCoil(const QByteArray &pdu) override;
    QByteArray Calibrate(const QByteArray &pdu) override;

private:
    // Measured input values (plant, gain and coefficient applied).
    double MeasuredVolts() const;
    double MeasuredAmps() const;
    double MeasuredWatts() const;
    // The input's power (W) as the instrument sees its angle, before gain.
    double SeenWatts() const;
    void SetBench(int item);
    void Step();

    Kz827Plant plant_;
    double volts_ = 220.0;
    double amps_ = 5.0;
    double powerFactor_ = 1.0;
    int reads_ = 0;
    std::array<double, 4> gain_{1.0, 1.0, 1.0, 1.0};
    double angleError_ = 0;
    int benchItem_ = -1; // the item whose conditions the bench holds; -1: the plant's own
    std::array<std::uint32_t, 4> coefficients_{0x400000, 0x400000, 0x0186A0, 0};
    std::array<int, 4> zeroCommands_{};
    std::array<bool, 2> coils_{};
    HoldingArea init_{kInitFirst, 7};
    HoldingArea alarms_{kAlarmFirst, kAlarmLast - kAlarmFirst + 1};
    HoldingAreas areas_{&init_, &alarms_};
};

} // namespace sim
