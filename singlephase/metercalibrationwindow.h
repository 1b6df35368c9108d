#pragma once
// Calibration of the single-phase tester (仪表校表): six points, one
// phase's read-outs as eight-reading means.
#include "ui/calibrationwindow.h"

namespace singlephase {

class MeterCalibrationWindow : public CalibrationWindow {
    Q_OBJECT
public:
    explicit MeterCalibrationWindow(SerialLink &link, QWidget *parent = nullptr);
};

} // namespace singlephase
