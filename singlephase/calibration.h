#pragma once
// Meter calibration of the single-phase tester: its six calibration points
// and the meaning of a read reply (function 0xAA, 'r', the form the
// three-phase module uses). No widgets.
//
// Only the first seven values of a read reply (three bytes each, from
// offset 8) count, laid out as calib::ReplyLayout describes:
//   1  active power                      signed / 256, W
//   2  only its side of 0x800000: the power factor is negated when values 1
//      and 2 lie on different sides
//   3  not interpreted
//   4  voltage                           signed / 8192, V
//   5  current                           signed / 8192, A
//   6  power factor                      signed / 2^23, sign rule
//   7  frequency                         unsigned / 8192, Hz
// Voltage, current and power are kept as histories of eight readings and
// shown, and calibrated against, as their means.
#include "core/calibrationplan.h"
#include "core/calibrationreply.h"

namespace singlephase::calibration {

// Readings a point compares with: 0 mean power, 1 mean voltage, 2 mean
// current.
class Decoder : public calib::PhaseDecoder {
public:
    Decoder();
};

// Points 1-6 at the nominal conditions the window's default references
// assume (220 V, 5 A): power at 100 % and 10 % current at power factor 1.0
// and 0.5 lagging, then the voltage and current gains.
calib::Plan DefaultPlan();

} // namespace singlephase::calibration
