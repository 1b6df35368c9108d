#include "threephase/verifymodel.h"

#include "threephase/calibration.h"

namespace {
constexpr calib::WindowNames kNames = {"TVerify_model", "KZ5500M模块校验窗口", "模块地址：", "BitBtn3",
                                       "Form12_Button", 3};
}

TVerify_model::TVerify_model(SerialLink &link, QWidget *parent)
    : CalibrationWindow(link, kNames, std::make_unique<threephase::calibration::Decoder>(), parent)
{
}
