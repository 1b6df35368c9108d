#pragma once
// Module calibration of the three-phase family: the 23 calibration points
// and the meaning of a read reply (function 0xAA, 'r'). No widgets.
//
// The 24 values of a read reply (three bytes each, from offset 8), laid out
// as calib::ReplyLayout describes:
//   1-3   active power of phases A, B, C      signed / 256, W
//   4-8   only their sides of 0x800000 count: the power factor of phase A
//         is negated when values 1 and 5 differ, B with 2 and 6, C with 3
//         and 7, the total with 4 and 8
//   9-12  not interpreted
//   13-18 Ua, Ub, Uc (V) and Ia, Ib, Ic (A)   signed / 8192
//   19    not interpreted
//   20-23 power factor of A, B, C and total   signed / 2^23, sign rule
//   24    frequency                            unsigned / 8192, Hz
// The powers are kept as histories of eight readings and shown as their
// means; the voltages and currents are the last reading.
#include "core/calibrationplan.h"
#include "core/calibrationreply.h"

namespace threephase::calibration {

// Readings a point compares with: 0-2 mean power A, B, C; 3-8 last Ua,
// Ub, Uc, Ia, Ib, Ic.
class Decoder : public calib::PhaseDecoder {
public:
    Decoder();
};

// Points 1-18 at the nominal conditions the window's default references
// assume (220 V, 5 A, per phase): 1-6 power at 100 % and 10 % current,
// power factor 1.0; 7-12 the same at 0.5 lagging; 13-18 voltage and current
// gains.
calib::Plan DefaultPlan();

} // namespace threephase::calibration
