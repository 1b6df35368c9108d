#pragma once
// Front panel display of a three-phase tester: registers 0x0038..0x0042.
// For each of the three display windows (upper, middle, lower) the quantity
// shown (0: cycle through the quantities), the seconds each quantity stays
// in the cycle, and the quantities left out of the cycle (one bit each, 1
// while the quantity takes part, so a ticked "leave out" box clears it);
// plus the active energy metering time. Qt Core only.
#include "core/fields.h"

#include <array>

namespace threephase::display {

constexpr std::uint16_t kFirstRegister = 0x0038;
constexpr std::uint16_t kRegisters = 11;
constexpr int kBytes = 22;

// ComboBox1..3 (quantity of the upper, middle, lower window), SpinEdit4,
// SpinEdit3, SpinEdit2 (their intervals), Edit1 (metering time), then the
// 42 leave-out boxes CheckBox1..CheckBox42 in register and bit order: upper
// window 0x003F bits 0-8, middle 0x0040 bits 0-8, lower 0x0041 bits 0-15
// and 0x0042 bits 0-7.
extern const std::array<fields::Field, 49> kFields;
constexpr int kFirstBox = 7;
constexpr int kBoxes = 42;
// Boxes per window group, in table order: upper, middle, lower.
constexpr std::array<int, 3> kWindowBoxes = {9, 9, 24};

// Control values, null where a control keeps what it shows.
// Every box ticked or every box clear, nothing else changed.
fields::Values AllBoxes(bool ticked);
// Lists on cyclic display, intervals 0, metering time "0"; the boxes are
// cleared as well when clearBoxes (an upload starts from this).
fields::Values ResetValues(bool clearBoxes);

} // namespace threephase::display
