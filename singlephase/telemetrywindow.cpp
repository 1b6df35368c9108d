#include "singlephase/telemetrywindow.h"

#include "singlephase/monitor.h"

namespace singlephase {

namespace mon = singlephase::monitor;

namespace {

const RelayWindowConfig kRelayWindow{
    .className = "singlephase::TelemetryWindow",
    .title = "KZ5700遥测、遥信窗口",
    .model = "KZ5700E",
    .kind = "电参数测试仪",
    .addressCaption = "输入仪表地址：",
    .family = Family::SinglePhase,
    .returnButton = "Exit",
    .commands = mon::kRelayCommands,
};

} // namespace

TelemetryWindow::TelemetryWindow(SerialLink &link, QWidget *parent)
    : RelayWindow(link, kRelayWindow, parent)
{
}

} // namespace singlephase
