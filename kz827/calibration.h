#pragma once
// KZ827KVE calibration over function 0xAA, this family's own form.
//
// Request, 12 bytes: address, 0xAA, 0x80, sub-command, 0x54 0x60 0x03,
// three data bytes, CRC. Sub-commands: 0x00/0x01 voltage/current zero-level
// calibrate, 0x06/0x07 voltage/current zero clear, 0x02..0x05 write the
// coefficient of item 1..4 (the data bytes, high first), 0x0F read.
//
// Replies: byte 2 'r' (0x72), 19 bytes: address, 0xAA, 'r', two bytes, the
// raw voltage, current, power and power scale K as unsigned 24-bit words
// (high byte first), CRC. Any other byte 2, 7 bytes: address, 0xAA, byte 2
// ('w' for an accepted command), two bytes, CRC.
//
// The readings shown are means over the last eight reads; a new coefficient
// is computed from them and a standard meter's value. Qt Core only.
#include "core/calibrationengine.h"
#include "core/calibrationplan.h"
#include "core/calibrationrun.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace kz827::calibration {

enum SubCommand : std::uint8_t {
    kVoltageZero = 0x00,
    kCurrentZero = 0x01,
    kVoltageClear = 0x06,
    kCurrentClear = 0x07,
    kRead = 0x0F,
};
constexpr int kRequestBytes = 12;
constexpr int kReadReplyBytes = 19;
constexpr int kAckBytes = 7;

// The items that can be calibrated, in list order.
enum Item { kVoltage, kCurrent, kPower, kPhase, kItems };
// The list texts, the standard meter's default value put into the standard
// value edit, and the factory coefficient (six hex digits).
QString ItemText(int item);
QString StandardDefault(int item);
QString FactoryCoefficient(int item);
// Sub-command of a coefficient write: item + 2.
constexpr std::uint8_t WriteCommand(int item) { return static_cast<std::uint8_t>(item + 2); }

// A request with its 24-bit data (0 for everything but a write).
QByteArray Request(std::uint8_t address, std::uint8_t subCommand, std::uint32_t data = 0);

// One read: the four raw values.
struct Reading {
    std::uint32_t voltage = 0;
    std::uint32_t current = 0;
    std::uint32_t power = 0;
    std::uint32_t scale = 0; // power scale K
};
// Whether the reply is a calibration reply at all (byte 1 0xAA, or byte 3
// the tag 0x54).
bool IsCalibrationFrame(const QByteArray &reply);
// The values of a complete 'r' reply; nothing for anything shorter.
std::optional<Reading> DecodeRead(const QByteArray &reply);
// Whether the reply acknowledges a command ('w' at byte 2).
bool IsAcknowledgement(const QByteArray &reply);

// Voltage, current and power as the window shows and computes with them.
struct Quantities {
    double volts = 0;
    double amps = 0;
    double watts = 0;
};

// The quantities of raw values: U and I from the raw voltage and current, P
// from the raw power (above 2^24 it counts as negative) and the power scale.
Quantities Convert(double voltage, double current, double power, std::uint32_t scale);

// The last eight reads of the raw voltage, current and power, oldest
// first, zero at start, and the latest power scale (it is not averaged).
class Histories {
public:
    void Push(const Reading &reading);
    // U and I from the means, P from the power mean and the latest scale.
    Quantities Compute() const;
    double Mean(int which) const; // 0 voltage, 1 current, 2 power
    std::uint32_t LatestScale() const { return scale_; }

private:
    std::array<calib::History, 3> values_{};
    std::uint32_t scale_ = 0;
};

// What a computation gives: the new text of the coefficient edit, or a
// message for the user (the edit keeps its text then).
struct Computed {
    QString coefficient;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
// The coefficient of an item from the standard meter's text (its number up
// to the item's unit letter) and the readings. Refused with "数据出错！！":
// a zero or non-finite reading, a coefficient that is not positive or does
// not fit 24 bits, a phase point without an angle (x outside (0, 1]); a
// standard value that is not a number is an input error.
Computed ComputeCoefficient(int item, const QString &standard, const Quantities &q);

// The 24-bit data of a write from the coefficient edit: cut to its first six
// characters or padded with zeros in front, read as three hex pairs. Nothing
// when a character used is not a hex digit (the calibration engine's rule).
std::optional<std::uint32_t> CoefficientData(const QString &text);

// The default plan of a guided run: the four items at the standard values
// the window puts in, voltage, current and power at power factor 1.0, the
// phase at 0.5 lagging.
calib::Plan DefaultPlan();

// A guided run in this family's form. A point (N = item + 1) is cleared by
// writing its factory coefficient, as 清零 and 写入 do by hand, so that the
// coefficient computed, which is absolute, starts from the factory state.
// Each read is taken alone (sub-command 0x0F) with the conversion the window
// uses. A point the computation refuses although its reading is already
// within its limit keeps the factory coefficient: the phase item has no
// angle to correct then ("数据出错！！" by hand).
class GuidedProtocol : public calib::Protocol {
public:
    QByteArray ClearRequest(std::uint8_t address, const calib::PlanPoint &point) const override;
    QString ClearedWord(const calib::PlanPoint &point) const override;
    QByteArray ReadRequest(std::uint8_t address) const override;
    std::optional<double> Reading(const QByteArray &reply, const calib::PlanPoint &point) override;
    bool IsAcknowledgement(const QByteArray &reply) const override;
    calib::Computed Compute(const calib::PlanPoint &point, double mean) const override;
    QByteArray WriteRequest(std::uint8_t address, const calib::PlanPoint &point, std::uint32_t word) const override;
};

} // namespace kz827::calibration
