#include "singlephase/verifymaeterdcu.h"

#include "singlephase/calibration.h"

namespace {
constexpr calib::WindowNames kNames = {"TKZ2600E_VerifyMaeterdcu", "KZ5700E单相电参数表校验窗口", "地址：", "Exit",
                                       "Msg", 1};
}

TKZ2600E_VerifyMaeterdcu::TKZ2600E_VerifyMaeterdcu(SerialLink &link, QWidget *parent)
    : CalibrationWindow(link, kNames, std::make_unique<singlephase::calibration::Decoder>(), parent)
{
}
