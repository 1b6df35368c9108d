#pragma once
// Single-phase measurement: the two requests, the set-up block (registers
// 0x0050..0x0058: mode, voltage unit, ratios, power and energy units) and
// the measurement block (19 registers from 0x0000, answered with 62 bytes:
// seven signed words, then six 64-bit energies) decoded into the texts of
// the measurement window. Qt Core only.
#include "core/codecs.h"
#include "link/modbusframes.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace singlephase::measurement {

constexpr std::uint16_t kSetupRegister = 0x0050;
constexpr std::uint16_t kSetupRegisters = 9;
constexpr int kSetupBytes = 18;
constexpr std::uint16_t kMeasurementRegister = 0x0000;
constexpr std::uint16_t kMeasurementRegisters = 0x13;
constexpr int kMeasurementBytes = 62;

QByteArray SetupRequest(std::uint8_t address);
QByteArray MeasurementRequest(std::uint8_t address);

// The boxes: Edit1..Edit7, LabeledEdit8..LabeledEdit13.
constexpr int kBoxes = 13;
extern const std::array<const char *, kBoxes> kBoxNames;
extern const std::array<const char *, kBoxes> kBoxCaptions;

using Texts = BoxTexts<kBoxes, kBoxNames>;

// The texts of a measurement block's data bytes with the stored set-up
// block (its data bytes; missing bytes read as 0, ratios of 0 as 1).
Texts Decode(const QByteArray &data, const QByteArray &setup);

struct Outcome {
    enum Kind { Ignored, SetupStored, Measurement } kind = Ignored;
    Texts texts;
};
// The reply rules: a read of the set-up block (18 data bytes) replaces
// setup; a read of the measurement block with exactly 62 data bytes is
// decoded once a set-up block is stored; everything else is ignored.
Outcome HandleReply(const modbus::Exchange &exchange, QByteArray &setup);

} // namespace singlephase::measurement
