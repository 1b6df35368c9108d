#pragma once
// Module calibration of the three-phase family (模块校表): 23 points, the
// three phases' read-outs.
#include "ui/calibrationwindow.h"

namespace threephase {

class ModuleCalibrationWindow : public CalibrationWindow {
    Q_OBJECT
public:
    explicit ModuleCalibrationWindow(SerialLink &link, QWidget *parent = nullptr);
};

} // namespace threephase
