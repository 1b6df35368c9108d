#include "threephase/modulecalibrationwindow.h"

#include "threephase/calibration.h"

namespace threephase {

namespace {
constexpr calib::WindowNames kNames = {"threephase::ModuleCalibrationWindow", "KZ5500M模块校验窗口", "模块地址：", "BitBtn3",
                                       Family::ThreePhase, 3};
}

ModuleCalibrationWindow::ModuleCalibrationWindow(SerialLink &link, QWidget *parent)
    : CalibrationWindow(link, kNames, std::make_unique<threephase::calibration::Decoder>(), parent)
{
}

} // namespace threephase
