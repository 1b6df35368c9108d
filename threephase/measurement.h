#pragma once
// Three-phase measurement: the two request frames, the decoding of the ratio
// and unit block (registers 0x0050..0x0059) and of the measurement block
// (registers 0x0000..0x0029) into the texts the measurement window shows.
// Qt Core only.
#include "core/codecs.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace threephase {

// The ratio and unit flag block: 10 holding registers from 0x0050.
constexpr std::uint16_t kRatioFirst = 0x0050;
constexpr std::uint16_t kRatioRegisters = 10;
// The measurement block: 42 holding registers from 0x0000, answered with
// 108 bytes (each of the twelve energy registers carries four).
constexpr std::uint16_t kMeasurementFirst = 0x0000;
constexpr std::uint16_t kMeasurementRegisters = 42;
constexpr int kMeasurementBytes = 108;

// Reads of the ratio block and of the measurements.
QByteArray RatioRequest(std::uint8_t address);
QByteArray MeasurementPoll(std::uint8_t address);

// The ratio block as the measurement decode uses it.
struct Ratios {
    int wiring = 0;        // low byte of 0x0050: 1 three-wire, 2 four-wire
    int pt = 1;            // voltage transformer ratio, 0 taken as 1
    int ct = 1;            // current transformer ratio, 0 taken as 1
    bool voltageLarge = false;
    bool currentLarge = false;
    bool activeLarge = false;
    bool reactiveLarge = false;
    bool apparentLarge = false;
    bool activeEnergyLarge = false;
    bool reactiveEnergyLarge = false;
};

// Decodes a stored ratio block (20 data bytes, then the CRC). Missing bytes
// read as 0.
Ratios DecodeRatios(const QByteArray &params);

// The display boxes, in the order of MeasurementTexts::text.
constexpr int kMeasurementBoxes = 36;
// Object names of the boxes ("Edit1", ..., "LabeledEdit30").
extern const std::array<const char *, kMeasurementBoxes> kMeasurementBoxNames;
// Captions of the boxes, same order.
extern const std::array<const char *, kMeasurementBoxes> kMeasurementBoxCaptions;

using MeasurementTexts = BoxTexts<kMeasurementBoxes, kMeasurementBoxNames>;

// Decodes a whole measurement reply frame (address, function, byte count,
// data, CRC) with the given ratio block.
MeasurementTexts DecodeMeasurement(const QByteArray &frame, const QByteArray &params);
// The same from the measurement block's data bytes.
MeasurementTexts DecodeMeasurementData(const QByteArray &data, const QByteArray &params);

// What the reply handler does with a frame from slot 1.
struct ReplyOutcome {
    enum Kind { Ignored, RatiosStored, Measurement } kind = Ignored;
    MeasurementTexts texts;   // for Measurement
};
// Applies the reply rules: a frame over 80 bytes with a stored block is a
// measurement; otherwise byte count 20 stores the block (header removed)
// into params; anything else is ignored.
ReplyOutcome HandleReply(const QByteArray &frame, QByteArray &params);

} // namespace threephase
