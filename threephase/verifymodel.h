#pragma once
// Module calibration of the three-phase family (模块校表): 23 points, the
// three phases' read-outs.
#include "link/calibrationwindow.h"

class TVerify_model : public CalibrationWindow {
    Q_OBJECT
public:
    explicit TVerify_model(SerialLink &link, QWidget *parent = nullptr);
};
