#include "threephase/monitorwindows.h"

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
    .replyButton = "Form2_Button",
    .returnButton = "BitBtn3",
    .commands = mon::kRelayCommands,
};

constexpr const char *kEventHeadings[] = {"编号", "事件名称", "事件数据", "事件发生时间"};
constexpr int kEventWidths[] = {70, 155, 146, 260};

const ClockWindowConfig kClockWindow{
    .className = "threephase::ClockSettingsWindow",
    .title = "SetPar4dcu",
    .model = "KZ5500E",
    .kind = "电参数测试仪",
    .base = 0x0060,
    .replyButton = "Form11_Button",
    .returnButton = "BitBtn5",
};

} // namespace

TelemetryWindow::TelemetryWindow(SerialLink &link, QWidget *parent) : RelayWindow(link, kRelayWindow, parent) {}

EventsWindow::EventsWindow(SerialLink &link, QWidget *parent)
    : EventLogWindow(link,
                     EventLogWindowConfig{
                         .className = "threephase::EventsWindow",
                         .title = "Coulometry3dcu",
                         .model = "KZ5500E",
                         .kind = "电参数测试仪",
                         .replyButton = "Form4_Button",
                         .returnButton = "BitBtn3",
                         .headings = kEventHeadings,
                         .widths = kEventWidths,
                         .log = mon::kEventLog,
                         .firstKindOnShow = true,
                     },
                     parent)
{
}

ClockSettingsWindow::ClockSettingsWindow(SerialLink &link, QWidget *parent) : ClockWindow(link, kClockWindow, parent) {}

} // namespace threephase
