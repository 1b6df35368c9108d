#include "singlephase/eventswindow.h"

#include "singlephase/monitor.h"

namespace singlephase {

namespace mon = singlephase::monitor;

namespace {

constexpr const char *kEventHeadings[] = {"编号", "事件名称", "事件数据", "事件类型", "事件发生时间"};
constexpr int kEventWidths[] = {52, 202, 113, 124, 254};

const EventLogWindowConfig kEventWindow{
    .className = "singlephase::EventsWindow",
    .title = "KZ5700事件记录窗口",
    .model = "KZ5700E",
    .kind = "电参数测试仪",
    .family = Family::SinglePhase,
    .returnButton = "Exit",
    .headings = kEventHeadings,
    .widths = kEventWidths,
    .log = mon::kEventLog,
    .firstKindOnShow = false,
};

} // namespace

EventsWindow::EventsWindow(SerialLink &link, QWidget *parent)
    : EventLogWindow(link, kEventWindow, parent)
{
}

} // namespace singlephase
