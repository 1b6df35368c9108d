#include "threephase/monitordcu.h"

#include "threephase/monitor.h"

namespace mon = threephase::monitor;

namespace {

const RelayWindowConfig kRelayWindow{
    .className = "TCoulometry2dcu",
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
    .className = "TSetPar4dcu",
    .title = "SetPar4dcu",
    .model = "KZ5500E",
    .kind = "电参数测试仪",
    .base = 0x0060,
    .replyButton = "Form11_Button",
    .returnButton = "BitBtn5",
};

} // namespace

TCoulometry2dcu::TCoulometry2dcu(SerialLink &link, QWidget *parent) : RelayWindow(link, kRelayWindow, parent) {}

TCoulometry3dcu::TCoulometry3dcu(SerialLink &link, QWidget *parent)
    : EventLogWindow(link,
                     EventLogWindowConfig{
                         .className = "TCoulometry3dcu",
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

TSetPar4dcu::TSetPar4dcu(SerialLink &link, QWidget *parent) : ClockWindow(link, kClockWindow, parent) {}
