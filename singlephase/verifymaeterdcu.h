#pragma once
// Calibration of the single-phase tester (仪表校表): six points, one
// phase's read-outs as eight-reading means.
#include "link/calibrationwindow.h"

class TKZ2600E_VerifyMaeterdcu : public CalibrationWindow {
    Q_OBJECT
public:
    explicit TKZ2600E_VerifyMaeterdcu(SerialLink &link, QWidget *parent = nullptr);
};
