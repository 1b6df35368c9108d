#pragma once
// Simulated single-phase tester (KZ5700E).
//
// Register map served (function 0x03 read, 0x10 write, 0x06 write single):
//
//   0x0000-0x0006  measurements, one signed 16-bit word each, read only
//                  0x00 voltage          raw = V * 10 / VR
//                  0x01 current          raw = A * 1000 / CR
//                  0x02 frequency        raw = Hz * 100
//                  0x03 power factor     raw = PF * 1000
//                  0x04 active power     raw = W / (VR * CR)
//                  0x05 reactive power   raw = var / (VR * CR)
//                  0x06 apparent power   raw = VA / (VR * CR)
//   0x0007-0x0012  six energies, two registers each, read only. Every
//                  register of this area carries FOUR bytes: the first of a
//                  pair the high 32 bits, the second the low 32 bits of a
//                  signed 64-bit count of hundredths (kWh or kvarh, ratios
//                  not applied). 19 registers from 0x0000 answer
//                  7 * 2 + 12 * 4 = 62 bytes. Order: total, forward, reverse
//                  active; total, forward, reverse reactive.
//   0x0013         alarm word, read only: bit 0/1 voltage upper/lower,
//                  2/3 frequency, 4/5 current, 6/7 power factor, 8/9
//                  reactive power, 10/11 active power, 12 phase loss,
//                  13-15 switch inputs DI1-DI3 (1: the input is active).
//   0x0014         state word, read only: bits 0-2 relay outputs OUT1-OUT3
//                  (the coils), bits 3-4 the measuring mode of 0x0050.
//   0x0030-0x0035  alarm enables, read/write:
//                  0x30-0x32 switch input driving relay DO1-DO3 (0 none,
//                  1-3 DI1-DI3); 0x33 normal mode, 0x34 fundamental mode:
//                  bits 0-7 voltage H, L, current H, L, power factor H, L,
//                  frequency H, L, bits 8-11 active power H, L, reactive
//                  power H, L; 0x33 bit 12 phase loss; 0x35 harmonic mode
//                  bits 0-7 voltage, current, active, reactive power H, L.
//                  Other bits must be 0. Factory state: all 0.
//   0x0036-0x003D  front panel display, read/write: 0x36-0x38 quantity of
//                  the upper (0..2), middle (0..2) and lower (0..15) window,
//                  0 for cyclic; 0x39-0x3B display intervals 0..99 s;
//                  0x3C active energy metering time 0..9999 s; 0x3D lower
//                  window mask, bits 0-14, 1 = left out of the cycle.
//                  Factory state: cyclic, 5 s, 0, mask 0x0007.
//   0x0050-0x0059  set-up block, read/write, plain words: 0x50 measuring
//                  mode 0..2 (normal, fundamental, harmonic), 0x51 voltage
//                  unit (0 V, 1 kV), 0x52 VR and 0x53 CR 0..9999 (0 is used
//                  as 1), 0x54-0x58 active, reactive, apparent power and
//                  active, reactive energy unit flags 0/1, 0x59 reclose delay
//                  0..1000 s. Factory state: normal, ratios 1, units 0, 5 s.
//   0x005A-0x005B  energy bases (active, reactive). A read serves EIGHT
//                  bytes per register (64-bit hundredths, MSB first); a write
//                  takes FOUR bytes per register: bits 16-23, 8-15, 0-7 of
//                  the integer part, then the hundredths 0..99 (so two
//                  registers are written with byte count 8). Writing a base
//                  restarts that total energy counter from it.
//   0x005C-0x0063  clock, address, baud rate, plain words: year (2000..2099),
//                  month, day, hour, minute, second (a running clock; a write
//                  of any of them sets it and must give a valid date and
//                  time), 0x62 the instrument's bus address (a write moves
//                  the instrument after its reply, which still comes from the
//                  old address; refused when 0, above 247 or taken), 0x63 baud
//                  rate code 1..6 (stored; the simulated line keeps its speed).
//   0x1000-0x1085  alarm limits, read/write. A row is eight registers:
//                  upper, lower and hysteresis, each a signed word in
//                  -9999..9999 followed by its decimals 0..4, then the alarm
//                  delay 0..255 s and the alarm relay 0..3.
//                  0x1000 normal mode: voltage, current, power factor,
//                  frequency, active power, reactive power (six rows);
//                  0x1030 fundamental mode, the same six rows;
//                  0x1060 harmonic mode: voltage, current, active power,
//                  reactive power (four rows);
//                  0x1080-0x1082 alarm relay of DI1-DI3 (0..3), 0x1083-0x1085
//                  input signal of DI1-DI3 (0 active when closed, 1 when
//                  open). Factory state: upper limits 9999, the rest 0.
//   0x2000-0x2015  event logs, one register per kind, read with count 1 only:
//                  240 bytes, twenty 12-byte records, newest first, unused
//                  records zero. A record: value (signed 32-bit; measured
//                  values x 1000, switching records the new state 1/0), a
//                  zero byte, the type code, then year (2 digits), month,
//                  day, hour, minute, second in packed BCD.
//                  Kinds: 0-5 normal-mode voltage, current, frequency, power
//                  factor, active, reactive power; 6-8 switch inputs DI1-DI3;
//                  9-11 relay outputs OUT1-OUT3; 12-17 fundamental mode as
//                  0-5; 18-21 harmonic-mode voltage, current, active,
//                  reactive power. Types of measured kinds: 0/1 upper alarm /
//                  cleared, 2/3 lower alarm / cleared, 4/5 phase loss /
//                  cleared (voltage kinds); of switching kinds 0 active, 1
//                  inactive.
//
// Function 0xAA, calibration, in the three-phase module's form (13-byte
// requests, see sim/modbus.h):
//   'r' "7022B000"  answered with 24 three-byte words after the header (82
//                   bytes in all), of which the first seven mean something:
//                   1 active power (signed, W x 256), 2 reactive power
//                   (var x 256), 3 apparent power (VA x 256), 4 voltage
//                   (V x 8192), 5 current (A x 8192), 6 |power factor|
//                   x 2^23 (its sign is carried by values 1 and 2), 7
//                   frequency (Hz x 8192); 8-24 zero.
//   'w' "7022" N C2 C1 C0  stores the correction word of point N (1..6)
//                   and acknowledges with the same ten bytes; another
//                   point, command or tag gets no reply.
// The points: 1 power gain at full current, 2 at low current (below 30 %
// of the plant current), 3 phase angle at full current, 4 at low current,
// 5 voltage gain, 6 current gain. A word is a signed 24-bit number w
// meaning k = w / 2^23: a gain multiplies its reading by 1 + k, a phase
// correction (radians) is subtracted from the angle seen. The meter has a
// deliberate error (SinglePhaseCalibrationErrors) that the corrections
// remove.
// The values come from the plant's nominal voltage, current and frequency
// on the secondary side (divided by VR and CR), without the wandering of
// the measurement area. Writing a point also sets the bench to its
// conditions, as the operator sets the standard source: point 1 full
// current at power factor 1.0, 2 10 % current at 1.0, 3 full current at
// 0.5 lagging, 4 10 % at 0.5 lagging; points 5 and 6, and no point written
// yet, the plant's own current and power factor. Tests can set the bench
// point and pin any raw value.
//
// Coils 0-2 (relay outputs): read with function 0x01, written with 0x05
// and the values 0xFF00 (on) or 0x0000 (off) only; every coil write is
// logged. Discrete inputs 0-2 (DI1-DI3, 1 = closed): function 0x02; a
// change of an input is logged.
//
// Writes to the settings areas are checked value by value; a request with
// any wrong value is refused with exception 03 and stores nothing. Reads and
// writes may run across adjacent areas. Registers outside the map answer
// exception 02, other functions exception 01.
//
// The alarm word compares the plant values, on the primary side in V, A,
// Hz, W and var, with the limits of the measuring mode selected in 0x0050,
// for the alarms enabled in 0x0033-0x0035: an upper alarm starts above the
// upper limit and ends at or below upper limit minus hysteresis, a lower
// alarm starts below the lower limit and ends at or above lower limit plus
// hysteresis; phase loss is a secondary voltage below 10 V. The plant is a
// clean sine, so the fundamental-wave values are the plain ones and the
// harmonic-mode quantities are a fixed 3 % of them. Alarm delays are not
// simulated, and the relays follow the coils only. Every start and end of an
// alarm is logged in the kind of its mode and quantity.
//
// The measurements wander a little around the plant values at each read of
// the measurement area, and each such read adds one simulated minute of
// energy. Tests can pin raw values or freeze the motion.
#include "sim/holdingarea.h"
#include "sim/meter.h"

#include <QDateTime>
#include <QMap>
#include <array>
#include <cstdint>
#include <deque>

namespace sim {

struct SinglePhasePlant {
    double volts = 220.0;      // primary voltage
    double amps = 5.0;         // primary current
    double powerFactor = 0.95; // inductive
    double hertz = 50.0;
};

// Deliberate calibration errors of a simulated meter.
struct SinglePhaseCalibrationErrors {
    double voltageGain = 0.007;
    double currentGain = -0.006;
    double powerGain = 0.009;
    double lowCurrentGain = 0.004; // added below 30 % current
    double phase = 0.0044;         // radians
};

class SinglePhaseInstrument : public MeterInstrument {
public:
    static constexpr std::uint16_t kWordCount = 7;    // 0x0000-0x0006
    static constexpr std::uint16_t kEnergyFirst = 0x07;
    static constexpr std::uint16_t kEnergyLast = 0x12;
    static constexpr std::uint16_t kAlarmWord = 0x13;
    static constexpr std::uint16_t kStateWord = 0x14;
    static constexpr std::uint16_t kEnableFirst = 0x30;  // 0x30-0x35
    static constexpr std::uint16_t kDisplayFirst = 0x36; // 0x36-0x3D
    static constexpr std::uint16_t kSetupFirst = 0x50;   // 0x50-0x59
    static constexpr std::uint16_t kBaseActive = 0x5A;
    static constexpr std::uint16_t kBaseReactive = 0x5B;
    static constexpr std::uint16_t kClockFirst = 0x5C; // year .. second 0x5C-0x61
    static constexpr std::uint16_t kAddressRegister = 0x62;
    static constexpr std::uint16_t kBaudRegister = 0x63;
    static constexpr std::uint16_t kLimitFirst = 0x1000; // 0x1000-0x1085
    static constexpr std::uint16_t kLimitLast = 0x1085;
    static constexpr std::uint16_t kEventFirst = 0x2000; // 0x2000-0x2015
    static constexpr int kEventKinds = 22;
    static constexpr int kEventRecords = 20;

    enum Setup : std::uint16_t {
        kMode = 0x50,
        kVoltageUnit = 0x51,
        kVoltageRatio = 0x52,
        kCurrentRatio = 0x53,
        kReclose = 0x59,
    };
    // Bits of the alarm word.
    enum AlarmBit {
        kVoltageHigh = 0, kVoltageLow, kFrequencyHigh, kFrequencyLow, kCurrentHigh, kCurrentLow,
        kPowerFactorHigh, kPowerFactorLow, kReactiveHigh, kReactiveLow, kActiveHigh, kActiveLow,
        kPhaseLoss, kInput1, kInput2, kInput3,
    };

    explicit SinglePhaseInstrument(std::uint64_t seed = 1);
    Family family() const override { return Family::SinglePhase; }

    // ---- Test hooks (no checks) ----
    // Any word of the settings areas (0x30-0x3D, 0x50-0x59, 0x1000-0x1085);
    // false elsewhere.
    bool SetHolding(std::uint16_t reg, std::uint16_t value) { return areas_.Set(reg, value); }
    std::uint16_t Holding(std::uint16_t reg) const; // also serves 0x13-0x14 and 0x5C-0x63
    // Measurement words 0x00..0x06 can be pinned (PinRaw), as can energies
    // and calibration values.
    void SetPlant(const SinglePhasePlant &plant);
    // Switch input 0..2 closed or open; a change is logged.
    void SetInput(int input, bool closed) override;

    // ---- Calibration (function 0xAA) ----
    static constexpr int kCalibrationPoints = 6;
    void SetCalibrationErrors(const SinglePhaseCalibrationErrors &errors) { calErrors_ = errors; }
    std::array<std::uint32_t, 24> CalibrationValues() const override;

    // ---- Observation ----
    std::uint16_t RawWord(std::uint16_t reg) const;
    // Recomputes the alarm word from the plant (logging changes) and returns it.
    std::uint16_t AlarmWord();
    std::uint16_t StateWord() const;
    // The 240 bytes a read of kind's log answers.
    QByteArray EventLog(int kind) const;

protected:
    QByteArray ReadBits(const QByteArray &pdu) override;
    QByteArray WriteCoil(const QByteArray &pdu) override;
    HoldingAreas &Areas() override { return areas_; }
    // A read of one event log: count 1 from 0x2000 + kind.
    std::optional<QByteArray> ReadLog(int start, int count) override;
    void Step() override;
    // The measurement words, the alarm word (recomputed) and the state word.
    std::function<std::uint16_t(int reg)> WordServer() override;

private:
    void DefineSettings();
    std::array<std::uint16_t, kWordCount> ComputeWords() const;
    int Ratio(std::uint16_t reg) const;
    void Log(int kind, std::int32_t value, std::uint8_t type);
    bool InputActive(int input) const;
    // Quantity 0..5 (voltage, current, power factor, frequency, active,
    // reactive power) as compared with the limits of a measuring mode.
    double Measured(int quantity, int mode) const;

    SinglePhasePlant plant_;
    double volts_ = 220.0;
    double amps_ = 5.0;
    double pf_ = 0.95;
    double hertz_ = 50.0;
    HoldingArea enables_{kEnableFirst, 6};
    HoldingArea display_{kDisplayFirst, 8};
    HoldingArea setup_{kSetupFirst, 10};
    HoldingArea limits_{kLimitFirst, kLimitLast - kLimitFirst + 1};
    HoldingAreas areas_{&enables_, &display_, &setup_, &limits_};
    std::uint16_t alarms_ = 0; // limit alarms as last computed (bits 0-12)
    int alarmMode_ = 0;        // the measuring mode they were computed in
    std::array<std::deque<QByteArray>, kEventKinds> events_;
    SinglePhaseCalibrationErrors calErrors_;
};

} // namespace sim
