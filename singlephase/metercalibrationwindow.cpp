#include "singlephase/metercalibrationwindow.h"

#include "singlephase/calibration.h"

namespace singlephase {

namespace {
constexpr calib::WindowNames kNames = {"singlephase::MeterCalibrationWindow", "KZ5700E单相电参数表校验窗口", "地址：", "Exit",
                                       Family::SinglePhase, 1};
}

MeterCalibrationWindow::MeterCalibrationWindow(SerialLink &link, QWidget *parent)
    : CalibrationWindow(link, kNames, std::make_unique<singlephase::calibration::Decoder>(), parent)
{
}

} // namespace singlephase
