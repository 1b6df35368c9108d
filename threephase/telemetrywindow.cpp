#include "threephase/telemetrywindow.h"

#include "threephase/monitor.h"

namespace threephase {

namespace mon = threephase::monitor;

namespace {

const RelayWindowConfig kRelayWindow{
    .className = "threephase::TelemetryWindow",
    .title = "Coulometry2dcu",
    .model = "KZ5500E",
    .kind = "电参数测试仪",
    .addressCaption = "输入仪表地址：",
    .family = Family::ThreePhase,
    .returnButton = "BitBtn3",
    .commands = mon::kRelayCommands,
};

} // namespace

TelemetryWindow::TelemetryWindow(SerialLink &link, QWidget *parent) : RelayWindow(link, kRelayWindow, parent) {}

} // namespace threephase
