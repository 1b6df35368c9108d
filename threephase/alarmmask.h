#pragma once
// Alarm enables of a three-phase instrument: registers 0x0034..0x0037, one
// bit per alarm. Every upper (H) and lower (L) limit alarm of the measured
// quantities, the phase-loss alarms, unbalance and phase sequence, and the
// active level of the three switch inputs (bit 1: the input is active when
// open). Qt Core only.
#include "core/fields.h"

#include <array>

namespace threephase::alarmmask {

constexpr std::uint16_t kFirstRegister = 0x0034;
constexpr std::uint16_t kRegisters = 4;
constexpr int kBytes = 8;

// 59 check boxes (CheckBox1..CheckBox59, in bit order from bit 0 of 0x0034)
// and the three switch-input radio groups.
extern const std::array<fields::Field, 62> kFields;
constexpr int kCheckBoxes = 59;

// Column quantities of the three H/L grids, in screen order.
extern const std::array<const char *, 8> kVoltageColumns;
extern const std::array<const char *, 9> kCurrentColumns;
extern const std::array<const char *, 9> kPowerColumns;

// The words the three preset buttons stand for, as data bytes of the block.
QByteArray SelectAllData();   // every alarm on, inputs active when closed
QByteArray ClearAllData();    // every alarm off, inputs active when open
QByteArray FactoryData();     // only the phase-sequence alarm, inputs active when closed

} // namespace threephase::alarmmask
