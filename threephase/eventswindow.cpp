#include "threephase/eventswindow.h"

#include "threephase/monitor.h"

namespace threephase {

namespace mon = threephase::monitor;

namespace {

constexpr const char *kEventHeadings[] = {"编号", "事件名称", "事件数据", "事件发生时间"};
constexpr int kEventWidths[] = {70, 155, 146, 260};

} // namespace

EventsWindow::EventsWindow(SerialLink &link, QWidget *parent)
    : EventLogWindow(link,
                     EventLogWindowConfig{
                         .className = "threephase::EventsWindow",
                         .title = "Coulometry3dcu",
                         .model = "KZ5500E",
                         .kind = "电参数测试仪",
                         .family = Family::ThreePhase,
                         .returnButton = "BitBtn3",
                         .headings = kEventHeadings,
                         .widths = kEventWidths,
                         .log = mon::kEventLog,
                         .firstKindOnShow = true,
                     },
                     parent)
{
}

} // namespace threephase
