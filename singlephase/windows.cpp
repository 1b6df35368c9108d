#include "singlephase/windows.h"

#include "singlephase/calibration.h"
#include "singlephase/monitor.h"

#include "singlephase/alarmenablewindow.h"
#include "singlephase/alarmparamswindow.h"
#include "singlephase/alarmstatewindow.h"
#include "singlephase/displaysettingswindow.h"
#include "singlephase/initsettingswindow.h"
#include "singlephase/measurementwindow.h"

#include <QWidget>

namespace singlephase {

namespace {
namespace mon = singlephase::monitor;
const char *const kEventHeadings[] = {QT_TRANSLATE_NOOP("kz", "编号"), QT_TRANSLATE_NOOP("kz", "事件名称"), QT_TRANSLATE_NOOP("kz", "事件数据"), QT_TRANSLATE_NOOP("kz", "事件类型"), QT_TRANSLATE_NOOP("kz", "事件发生时间")};
constexpr int kEventWidths[] = {52, 202, 113, 124, 254};
} // namespace

// The windows made from the shared relay, event log and clock windows.
const RelayWindowConfig kTelemetryWindow{
    .names = {"singlephase::TelemetryWindow", QT_TRANSLATE_NOOP("kz", "KZ5700遥测、遥信窗口"), Family::SinglePhase, "KZ5700E", QT_TRANSLATE_NOOP("kz", "电参数测试仪"), "Exit"},
    .addressCaption = QT_TRANSLATE_NOOP("kz", "输入仪表地址："),
    .commands = mon::kRelayCommands,
};

const EventLogWindowConfig kEventsWindow{
    .names = {"singlephase::EventsWindow", QT_TRANSLATE_NOOP("kz", "KZ5700事件记录窗口"), Family::SinglePhase, "KZ5700E", QT_TRANSLATE_NOOP("kz", "电参数测试仪"), "Exit"},
    .headings = kEventHeadings,
    .widths = kEventWidths,
    .log = mon::kEventLog,
    .firstKindOnShow = false,
    .rows = 22,
};

const ClockWindowConfig kClockSettingsWindow{
    .names = {"singlephase::ClockSettingsWindow", QT_TRANSLATE_NOOP("kz", "KZ5700E通讯、波特率、时间设置窗口"), Family::SinglePhase, "KZ5700E", QT_TRANSLATE_NOOP("kz", "电参数测试仪"), "Exit"},
    .base = 0x005C,
};

const CalibrationWindowConfig kMeterCalibrationWindow{
    .names = {"singlephase::MeterCalibrationWindow", QT_TRANSLATE_NOOP("kz", "KZ5700E单相电参数表校验窗口"), QT_TRANSLATE_NOOP("kz", "地址："), "Exit", Family::SinglePhase, 1},
    .makeDecoder = []() -> std::unique_ptr<calib::Decoder> { return std::make_unique<singlephase::calibration::Decoder>(); },
    .defaultPlan = singlephase::calibration::DefaultPlan,
};

// Menu entries in their on-screen order.
ui::WindowList Windows()
{
    static const ui::WindowEntry windows[] = {
        // class, factory, menu, entry, caption, return button
        {"singlephase::MeasurementWindow", ui::MakeWithLink<MeasurementWindow>, "KZ2600SAMPL", "N19", QT_TRANSLATE_NOOP("kz", "电量参数测量"), "Exit"},
        {"singlephase::TelemetryWindow", ui::MakeWithConfig<RelayWindow, kTelemetryWindow>, "KZ2600SAMPL", "N20", QT_TRANSLATE_NOOP("kz", "遥测、遥信"), nullptr},
        {"singlephase::AlarmStateWindow", ui::MakeWithLink<AlarmStateWindow>, "KZ2600SAMPL", "N21", QT_TRANSLATE_NOOP("kz", "越限状态显示"), "Exit"},
        {"singlephase::EventsWindow", ui::MakeWithConfig<EventLogWindow, kEventsWindow>, "KZ2600SAMPL", "N22", QT_TRANSLATE_NOOP("kz", "事件记录显示"), nullptr},
        {"singlephase::AlarmEnableWindow", ui::MakeWithLink<AlarmEnableWindow>, "KZ2600SET", "N14", QT_TRANSLATE_NOOP("kz", "报警屏蔽设置"), "Exit"},
        {"singlephase::AlarmParamsWindow", ui::MakeWithLink<AlarmParamsWindow>, "KZ2600SET", "N15", QT_TRANSLATE_NOOP("kz", "上下限报警设置"), nullptr},
        {"singlephase::DisplaySettingsWindow", ui::MakeWithLink<DisplaySettingsWindow>, "KZ2600SET", "N23", QT_TRANSLATE_NOOP("kz", "窗口显示参数设置"), nullptr},
        {"singlephase::InitSettingsWindow", ui::MakeWithLink<InitSettingsWindow>, "KZ2600SET", "N16", QT_TRANSLATE_NOOP("kz", "仪表初始化设置"), nullptr},
        {"singlephase::MeterCalibrationWindow", ui::MakeWithConfig<CalibrationWindow, kMeterCalibrationWindow>, "KZ2600SET", "N17", QT_TRANSLATE_NOOP("kz", "仪表校表"), "Exit"},
        {"singlephase::ClockSettingsWindow", ui::MakeWithConfig<ClockWindow, kClockSettingsWindow>, "KZ2600SET", "N18", QT_TRANSLATE_NOOP("kz", "其它参数设置"), "Exit"},
    };
    return {Family::SinglePhase, windows};
}

} // namespace singlephase
