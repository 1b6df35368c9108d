#pragma once
// Initialisation settings of a three-phase instrument: the block 0x0050..
// 0x005A (wiring mode, voltage and current transformer ratios with their
// units, power and energy display units, reclosing delay) and the energy
// base values at 0x005B, which travel in a layout of their own. Qt Core only.
#include "core/energybase.h"
#include "core/fields.h"

#include <array>
#include <optional>

namespace threephase::initsettings {

constexpr std::uint16_t kFirstRegister = 0x0050;
constexpr std::uint16_t kRegisters = 11;
constexpr int kBytes = 22;

// RadioGroup1 (wiring), LabeledEdit1 (voltage ratio), RadioGroup2 (voltage
// unit), LabeledEdit2 (current ratio), RadioGroup3 (current unit),
// RadioGroup4..8 (power and energy units), SpinEdit2 (reclosing delay), in
// register order.
extern const std::array<fields::Field, 11> kFields;

// ---- Energy bases (active, reactive) ----
// Read with a register count of 2, the reply carries two 64-bit counts of
// hundredths, 8 bytes each. Written with a register count of 2 and 8 data
// bytes: per value the integer part in 3 bytes and the hundredths in 1.
constexpr std::uint16_t kBaseRegister = 0x005B;
constexpr std::uint16_t kBaseRegisters = 2;
constexpr int kBaseReadBytes = 16;
constexpr int kBaseWriteBytes = 8;

// The codec of the two base values, shared with the single-phase family.
using energybase::Base;
using energybase::DecodeBases;
using energybase::EncodeBase;
using energybase::EncodeBases;
using energybase::kActiveBase;
using energybase::kReactiveBase;

} // namespace threephase::initsettings
