#include "threephase/clocksettingswindow.h"

namespace threephase {

namespace {

const ClockWindowConfig kClockWindow{
    .className = "threephase::ClockSettingsWindow",
    .title = "SetPar4dcu",
    .model = "KZ5500E",
    .kind = "电参数测试仪",
    .base = 0x0060,
    .family = Family::ThreePhase,
    .returnButton = "BitBtn5",
};

} // namespace

ClockSettingsWindow::ClockSettingsWindow(SerialLink &link, QWidget *parent) : ClockWindow(link, kClockWindow, parent) {}

} // namespace threephase
