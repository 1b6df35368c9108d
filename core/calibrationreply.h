#pragma once
// The read reply of the calibration form the three-phase module and the
// single-phase meter share, described once: a family gives its points, its
// read-outs and where its values lie, and one decoder serves both. No
// widgets.
//
// The values of a read reply (three bytes each, from offset 8), in order:
//   sign values, one a power factor; the first `phases` of them are the
//     phases' active powers (signed / 256, W)
//   as many partners: power factor k is negated when sign value k and
//     partner k lie on different sides of 0x800000
//   skipBeforeRms values not interpreted
//   the phases' voltages (V), then their currents (A), signed / 8192
//   skipBeforeFactors values not interpreted
//   the power factors (the phases', then the total where there is one),
//     signed / 2^23, sign rule above
//   the frequency, unsigned / 8192, Hz
// Powers are kept as histories of eight readings and shown, and calibrated
// against, as their means; voltages and currents as their means too or as
// the last reading (meanRms).
//
// Readings a point compares with: 0..phases-1 the powers, then the
// voltages, then the currents.
#include "core/calibrationengine.h"

#include <array>
#include <span>

namespace calib {

struct ReplyLayout {
    std::span<const Point> points;
    std::span<const ReadOut> readOuts; // in the order Texts() fills them
    int phases;  // 1..3
    int factors; // power factors: phases, or phases + 1 with a total
    int skipBeforeRms;
    int skipBeforeFactors;
    bool meanRms;
};

class PhaseDecoder : public Decoder {
public:
    // The layout must outlive the decoder (the families' are constants).
    explicit PhaseDecoder(const ReplyLayout &layout) : layout_(layout) {}

    std::span<const Point> Points() const override { return layout_.points; }
    std::span<const ReadOut> ReadOuts() const override { return layout_.readOuts; }
    void Take(QByteArray values) override;
    // Voltages, currents, powers, power factors, frequency.
    QStringList Texts() const override;
    double Reading(int which) const override;
    double Latest(int which) const override;

private:
    double Rms(int i) const { return layout_.meanRms ? rms_[i].Mean() : rms_[i].Last(); }

    const ReplyLayout &layout_;
    std::array<History, 3> power_;
    std::array<History, 6> rms_; // voltages, then currents
    std::array<double, 4> powerFactor_{};
    double hertz_ = 0;
};

} // namespace calib
