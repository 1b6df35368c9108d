#pragma once
// Alarm limits of a three-phase instrument: registers 0x1000..0x1098 in ten
// groups that follow each other (voltage, current, power factor, active and
// reactive power, current and voltage unbalance, frequency, phase sequence,
// switch inputs). Each group is read and written whole. Limits are two
// registers (four BCD digits, or a signed word for active power, then the
// number of decimals); each group ends with its alarm delay and relay; the
// switch-input group holds the relays of DI1..DI3 and the input that drives
// each output. Qt Core only.
#include "core/fields.h"

#include <array>
#include <cstdint>

namespace threephase::limits {

struct Group {
    const char *radio; // caption of the radio button that picks the group
    const char *title; // caption of the group's box
    std::uint16_t first;
    std::uint16_t count; // registers
    // Smallest read reply (data bytes) that is shown; fields whose bytes a
    // shorter-than-whole reply lacks keep what they show.
    int minimum;
    fields::Table table;

    constexpr int Bytes() const { return count * 2; }
};

// Limit fields (edits) are LabeledEdit1..LabeledEdit64 in register order,
// delays and relays SpinEdit2..SpinEdit23 (SpinEdit1 is the address), the
// output inputs ComboBox1..ComboBox3; every group but the last is made from
// a list of its quantities.

// The ten groups in register order; group n (1..10) is kGroups[n - 1].
extern const std::array<Group, 10> kGroups;
constexpr int kLimitFields = 64;

} // namespace threephase::limits
