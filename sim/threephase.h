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
//   0x0034-0x0037  alarm enable bits, read/write, one bit per alarm (1:
//                  enabled): upper and lower limit alarms of every quantity,
//                  the phase-loss alarms (0x35 bits 0-3), current and voltage
//                  unbalance and phase sequence (0x37 bits 8-10), and the
//                  active level of the three switch inputs (0x37 bits 11-13,
//                  1: active when open). Bits 14 and 15 of 0x37 do not exist
//                  and must be written as 0. Factory state: only the
//                  phase-sequence alarm enabled (0x0000 0x0000 0x0000 0x0400).
//   0x0038-0x0042  front panel display, read/write:
//                  0x38-0x3A quantity shown in the upper, middle and lower
//                  window, 0 for cyclic display, as two BCD digits in the low
//                  byte (upper and middle 0..9, lower 0..24)
//                  0x3B-0x3D display interval of each window in seconds, two
//                  BCD digits in the low byte (0..99)
//                  0x3E active energy metering time in seconds (BCD word)
//                  0x3F-0x42 the quantities each window cycles through, one
//                  bit each, 1 meaning "shown": upper window bits 0-8,
//                  middle bits 0-8, lower window 0x41 all 16 bits and 0x42
//                  bits 0-7; the other bits must be 0.
//                  Factory state: all windows cyclic, intervals 5 s, metering
//                  time 0, and the cycles limited to the three phase
//                  voltages, the three currents and the three phase active
//                  powers (masks 0x0007 0x0007 0x0007 0x0000).
//   0x0050-0x005A  initialisation block, one word each, read/write:
//                  0x50 wiring mode (1 three-wire, 2 four-wire)
//                  0x51 PT ratio (BCD), 0x52 voltage unit flag
//                  0x53 CT ratio (BCD), 0x54 current unit flag
//                  0x55-0x59 power and energy unit flags
//                  0x5A reclosing delay in seconds (BCD)
//                  Writes are checked: mode 1 or 2, flags 0 or 1, ratios and
//                  delay valid BCD digits. Factory state: four-wire, ratios
//                  1, all units the small ones, delay 5 s.
//   0x005B-0x005C  energy bases (active, reactive). A read serves EIGHT
//                  bytes per register (64-bit hundredths, MSB first); a write
//                  takes FOUR bytes per register: bits 16-23, 8-15, 0-7 of
//                  the integer part, then the hundredths (0..99). Writing a
//                  base also restarts that total energy counter from it.
//   0x1000-0x1098  alarm limits, read/write, in ten groups that follow each
//                  other. Most limits are a pair of registers: four BCD
//                  digits, then the number of decimals 0..3 (so 220.0 is
//                  0x2200 0x0001). The active power limits are signed
//                  instead: a two's complement word in -9999..9999, then
//                  0..4 decimals. Each group ends with its alarm delay in
//                  seconds (BCD word) and its alarm relay (BCD 0..3, 0 for
//                  none).
//                  0x1000 voltage: upper and lower limit of Ua, Ub, Uc, Uab,
//                         Ubc, Uca, phase and line average (16 pairs), the
//                         hysteresis, delay 0x1022, voltage relay 0x1023,
//                         phase-loss relay 0x1024
//                  0x1025 current: upper and lower limit of Ia, Ib, Ic,
//                         average and zero-sequence current, hysteresis of
//                         the phase, average and zero-sequence currents,
//                         delay 0x103F, relay 0x1040
//                  0x1041 power factor, 0x1055 active power (signed),
//                         0x1069 reactive power: upper and lower limit of
//                         phases A, B, C and the total, hysteresis, delay
//                         (+18), relay (+19)
//                  0x107D current unbalance, 0x1083 voltage unbalance: limit,
//                         hysteresis, delay (+4), relay (+5)
//                  0x1089 frequency: upper, lower limit, hysteresis, delay
//                         0x108F, relay 0x1090
//                  0x1091 phase sequence: delay, relay
//                  0x1093 switch inputs: alarm relay of DI1-DI3 (BCD 0..3),
//                         then the input that drives OUT1-OUT3 (0x1096-0x1098:
//                         0 none, 1-3 DI1-DI3)
//                  Factory state: upper limits 999 (voltage, current),
//                  1.000 (power factor), 9999 (active, reactive power),
//                  20.00 (unbalance), 75.00 Hz; lower frequency limit
//                  45.00 Hz; other lower limits and all hysteresis values 0;
//                  delays 5 s; no relays, no outputs driven by inputs.
//
//   0x002A-0x002D  alarm and state bits, read only, computed at each read;
//                  bit n counts from bit 0 of 0x2A (bit 16 is bit 0 of
//                  0x2B). Upper (H) and lower (L) limit alarms in pairs:
//                  0-15 Ua, Ub, Uc, Uab, Ubc, Uca, phase and line average
//                  voltage; 16-18 phase loss of Ua, Ub, Uc; 19-28 Ia, Ib,
//                  Ic, average and zero-sequence current; 29-36 power
//                  factor A, B, C, total; 37-44 active power A, B, C, total;
//                  45-52 reactive power A, B, C, total; 53-54 frequency;
//                  55 current unbalance; 56 voltage unbalance; 57 phase
//                  sequence; 58-60 switch inputs DI1-DI3 active; 61-63 relay
//                  outputs OUT1-OUT3 (the coils).
//                  An alarm bit is 1 when its enable is set (the enable bits
//                  are in the same order from 0x34 bit 0, with the
//                  phase-loss master switch 0x35 bit 0 in between, so
//                  state bit n >= 16 has enable bit n + 1; phase loss also
//                  needs the master switch) and the value is beyond its
//                  limit: above the upper, below the lower limit. Values
//                  are primary-side, from the served measurement words and
//                  the ratios: V, A, power factor, kW, kvar, Hz; unbalance
//                  is (max - min) / average of the three phases in %.
//                  A phase is lost below 30 % of the plant's nominal
//                  voltage. The phase sequence is wrong when a miswiring
//                  (sim/miswire.h) puts the voltages on in reverse order.
//                  Hysteresis and delays are not simulated. A switch input
//                  is active when closed, or when open if its level bit
//                  (0x37 bits 11-13) says "active when open".
//   0x0060-0x0067  clock, address, baud rate, read/write, plain words:
//                  0x60 year (2000-2099), 0x61-0x65 month, day, hour,
//                  minute, second; 0x66 instrument address; 0x67 baud rate
//                  code 1-6 (1200 .. 19200; stored only, the simulated line
//                  keeps its speed). The clock runs from the PC clock plus
//                  the offset a clock write sets. Writes are checked as a
//                  whole (month 1-12, a day of that month, hour <= 23,
//                  minute and second <= 59, address 1-247 and free on the
//                  bus; the instrument's own address is accepted). A new
//                  address is acknowledged from the old one, then the
//                  instrument answers at the new one.
//   0x2000-0x201C  event logs, one per kind 0..28 (a read of ONE register
//                  0x2000 + kind answers the whole log, 160 bytes: 20
//                  records of 8 packed BCD bytes, four value digits, then
//                  year in the century, month, day, hour, minute, second;
//                  oldest first, unused records zero). Switching an input
//                  appends to logs 23-25 and writing a coil to logs 26-28,
//                  value 0001 for closed / on and 0000 for open / off,
//                  stamped by the simulated clock; a full log drops its
//                  oldest record.
//
// Function 0xAA, calibration (13-byte requests, see sim/modbus.h):
//   'r' "7022B000"  answered with the raw metering values, 24 three-byte
//                   words after the header (82 bytes in all):
//                   1-3 active power A, B, C (signed, W x 256); 4 total
//                   active power; 5-7 reactive power A, B, C (var x 256);
//                   8 total reactive power; 9-12 zero; 13-18 Ua, Ub, Uc
//                   (V x 8192) and Ia, Ib, Ic (A x 8192); 19 zero; 20-23
//                   power factor A, B, C and total (|PF| x 2^23, its sign
//                   is carried by the powers); 24 frequency (Hz x 8192).
//   'w' "7022" N C2 C1 C0  stores the correction word of point N (1..23)
//                   and acknowledges with the same ten bytes; another
//                   point, command or tag gets no reply.
// The points: 1-3 power gain of phases A-C at full current, 4-6 at low
// current (below 30 % of the plant current), 7-9 phase angle at full
// current, 10-12 at low current, 13-15 voltage gain, 16-18 current gain;
// 19-23 (power factors, frequency) are stored only. A word is a signed
// 24-bit number w meaning k = w / 2^23: a gain multiplies its reading by
// 1 + k, a phase correction (radians) is subtracted from the angle seen.
// The instrument has a deliberate error per phase (ThreePhaseCalibration
// Errors: gains of voltage, current and power, an extra power gain at low
// current, a phase angle), so uncorrected readings are off by up to 1 %
// and a calibration run converges to the reference.
// The values come from the plant's nominal phase voltage, current and
// frequency on the secondary side (divided by PT and CT), without the
// wandering of the measurement area, as a calibration bench's stable source
// would give them. Writing a point also sets the bench to that point's
// conditions, as the operator sets the standard source before calibrating
// it: points 1-3 full current at power factor 1.0, 4-6 10 % current at 1.0,
// 7-9 full current at 0.5 lagging, 10-12 10 % current at 0.5 lagging; any
// other point, and no point written yet, the plant's own current and power
// factor. Tests can set the bench point and pin any raw value.
//
// Coils 0-2 (relay outputs OUT1-OUT3) are read with 01 and written with 05
// (value 0xFF00 sets the coil to 1, 0x0000 to 0; other values exception
// 03); discrete inputs 0-2 (DI1-DI3, 1 = closed) are read with 02 and set
// by tests. Addresses beyond 2 answer exception 02.
//
// Writes to the settings areas (0x34-0x42, 0x50-0x5A, 0x1000-0x1098) are
// checked value by value as the instrument checks them; a request with any
// wrong value is refused with exception 03 and stores nothing, not even the
// values before the wrong one. A read or write may run across adjacent
// areas (0x37 into 0x38, 0x5A into 0x5B).
// Registers outside these areas answer exception 02, other functions 01.
//
// The simulated plant holds primary-side values that wander a little around
// nominal ones (default 220 V phase, 5 A, PF 0.95, 50 Hz) at each read of the
// measurement area; the raw registers are derived from them with the PT and
// CT currently in the initialisation block. Each such read also advances the
// energy counters by the energy of a fixed simulated interval, so they keep
// increasing. Tests can pin raw values or freeze the motion.
#include "sim/holdingarea.h"
#include "sim/meter.h"
#include "sim/miswire.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <array>
#include <cstdint>

namespace sim {

struct ThreePhasePlant {
    double phaseVolts = 220.0; // primary phase voltage
    double amps = 5.0;         // primary current
    double powerFactor = 0.95; // of the load, 0..1
    double hertz = 50.0;
    bool leading = false;      // capacitive: the current leads the voltage
};

// Deliberate calibration errors of a simulated module, per phase A, B, C.
struct ThreePhaseCalibrationErrors {
    std::array<double, 3> voltageGain{0.006, -0.004, 0.009};
    std::array<double, 3> currentGain{-0.007, 0.005, 0.003};
    std::array<double, 3> powerGain{0.010, -0.008, 0.006};
    std::array<double, 3> lowCurrentGain{0.004, 0.003, -0.005}; // added below 30 % current
    std::array<double, 3> phase{0.0052, -0.0044, 0.0035};       // radians
};

class ThreePhaseInstrument : public MeterInstrument {
public:
    static constexpr std::uint16_t kWordCount = 0x1E;   // 0x0000-0x001D
    static constexpr std::uint16_t kEnergyFirst = 0x1E; // 0x001E-0x0029
    static constexpr std::uint16_t kEnergyLast = 0x29;
    static constexpr std::uint16_t kAlarmEnableFirst = 0x34; // 0x0034-0x0037
    static constexpr std::uint16_t kDisplayFirst = 0x38;     // 0x0038-0x0042
    static constexpr std::uint16_t kInitFirst = 0x50; // 0x0050-0x005A
    static constexpr std::uint16_t kInitLast = 0x5A;
    static constexpr std::uint16_t kBaseActive = 0x5B;
    static constexpr std::uint16_t kBaseReactive = 0x5C;
    static constexpr std::uint16_t kStateFirst = 0x2A; // 0x002A-0x002D
    static constexpr std::uint16_t kStateLast = 0x2D;
    static constexpr std::uint16_t kClockFirst = 0x60; // 0x0060-0x0067
    static constexpr std::uint16_t kClockLast = 0x67;
    static constexpr std::uint16_t kLogFirst = 0x2000; // 0x2000-0x201C
    static constexpr int kLogKinds = 29;
    static constexpr int kLogRecords = 20;
    static constexpr std::uint16_t kLimitFirst = 0x1000; // 0x1000-0x1098
    static constexpr std::uint16_t kLimitLast = 0x1098;

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

    explicit ThreePhaseInstrument(std::uint64_t seed = 1);
    Family family() const override { return Family::ThreePhase; }

    // ---- Test hooks (no checks, no motion) ----
    // Measurement words 0x00..0x1D can be pinned (PinRaw), as can energies
    // and calibration values; UnpinAll drops every pin.

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
    // Any word of the settings areas: alarm enables, display, initialisation
    // block and alarm limits (0x34-0x42, 0x50-0x5A, 0x1000-0x1098); false
    // elsewhere, the energy bases included.
    bool SetHolding(std::uint16_t reg, std::uint16_t value) { return areas_.Set(reg, value); }
    std::uint16_t Holding(std::uint16_t reg) const { return areas_.Value(reg); } // 0 outside those areas
    void SetPlant(const ThreePhasePlant &plant);
    // Wires the meter wrongly (sim/miswire.h); a three-wire miswiring also
    // sets the wiring mode. The measurements then come from the phasors on
    // the meter's terminals, as they do in three-wire mode and for a
    // leading load anyway.
    void SetMiswire(const Miswire &wiring);

    // Address() is the one reported in 0x66: the factory address 1 (where
    // the demo bus puts the three-phase instrument) until set.

    // Switch inputs 0..2 (DI1..DI3); a change is logged like a real one.
    void SetInput(int input, bool closed) override;
    // Any word of 0x60..0x67 as a read would serve it (0 elsewhere).
    std::uint16_t ClockRegister(std::uint16_t reg) const { return ClockBlockWord(reg); }
    // The four state words 0x2A..0x2D as a read would serve them now.
    std::array<std::uint16_t, 4> StateWords() const;
    // The 8-byte records of an event log 0..28, oldest first.
    QList<QByteArray> EventLog(int kind) const { return logs_.value(kind); }

    // ---- Calibration (function 0xAA) ----
    static constexpr int kCalibrationPoints = 23;
    void SetCalibrationErrors(const ThreePhaseCalibrationErrors &errors) { calErrors_ = errors; }
    std::array<std::uint32_t, 24> CalibrationValues() const override;

    // ---- Observation ----
    // Ratios as the instrument applies them (BCD decoded, 0 taken as 1).
    int Pt() const;
    int Ct() const;
    // The measurement word that a read would serve now (pins applied).
    std::uint16_t RawWord(std::uint16_t reg) const;
    int MeasurementReads() const { return measurementReads_; }

protected:
    QByteArray ReadBits(const QByteArray &pdu) override;
    QByteArray WriteCoil(const QByteArray &pdu) override;
    HoldingAreas &Areas() override { return areas_; }
    // A read of one event log: count 1 from 0x2000 + kind.
    std::optional<QByteArray> ReadLog(int start, int count) override;
    void Step() override;
    // The measurement and state words.
    std::function<std::uint16_t(int reg)> WordServer() override;

private:
    void Log(int kind, bool on);
    std::array<std::uint16_t, 4> StateWords(const std::array<std::uint16_t, kWordCount> &words) const;
    void DefineSettings();
    std::array<std::uint16_t, kWordCount> ComputeWords() const;
    // The measured values from the terminals' phasors, when the wiring,
    // the mode or a leading load asks for them.
    std::optional<MeterView> Terminals() const;

    ThreePhasePlant plant_;
    std::array<double, 3> volts_{};
    std::array<double, 3> amps_{};
    std::array<double, 3> pf_{};
    double hertz_ = 50.0;
    Miswire miswire_;
    bool miswired_ = false;
    HoldingArea alarmEnables_{kAlarmEnableFirst, 4};
    HoldingArea display_{kDisplayFirst, 11};
    HoldingArea init_{kInitFirst, kInitLast - kInitFirst + 1};
    HoldingArea limits_{kLimitFirst, kLimitLast - kLimitFirst + 1};
    HoldingAreas areas_{&alarmEnables_, &display_, &init_, &limits_};
    QMap<int, QList<QByteArray>> logs_;
    int measurementReads_ = 0;
    ThreePhaseCalibrationErrors calErrors_;
};

} // namespace sim
