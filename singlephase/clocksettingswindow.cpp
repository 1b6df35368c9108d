#include "singlephase/clocksettingswindow.h"

namespace singlephase {

namespace {

const ClockWindowConfig kClockWindow{
    .className = "singlephase::ClockSettingsWindow",
    .title = "KZ5700E通讯、波特率、时间设置窗口",
    .model = "KZ5700E",
    .kind = "电参数测试仪",
    .base = 0x005C,
    .family = Family::SinglePhase,
    .returnButton = "Exit",
};

} // namespace

ClockSettingsWindow::ClockSettingsWindow(SerialLink &link, QWidget *parent) : ClockWindow(link, kClockWindow, parent) {}

} // namespace singlephase
