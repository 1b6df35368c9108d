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
        // class, factory, menu, entry, entry caption, return button, window caption
        {"singlephase::MeasurementWindow", ui::MakeWithLink<MeasurementWindow>, ui::Menu::Measurement, "N19", QT_TRANSLATE_NOOP("kz", "电量参数测量"), "Exit", QT_TRANSLATE_NOOP("kz", "KZ5700电量测量窗口")},
        {"singlephase::TelemetryWindow", ui::MakeWithConfig<RelayWindow, kTelemetryWindow>, ui::Menu::Measurement, "N20", QT_TRANSLATE_NOOP("kz", "遥测、遥信"), nullptr},
        {"singlephase::AlarmStateWindow", ui::MakeWithLink<AlarmStateWindow>, ui::Menu::Measurement, "N21", QT_TRANSLATE_NOOP("kz", "越限状态显示"), "Exit", QT_TRANSLATE_NOOP("kz", "KZ5700报警状态窗口")},
        {"singlephase::EventsWindow", ui::MakeWithConfig<EventLogWindow, kEventsWindow>, ui::Menu::Measurement, "N22", QT_TRANSLATE_NOOP("kz", "事件记录显示"), nullptr},
        {"singlephase::AlarmEnableWindow", ui::MakeWithLink<AlarmEnableWindow>, ui::Menu::Settings, "N14", QT_TRANSLATE_NOOP("kz", "报警屏蔽设置"), "Exit", QT_TRANSLATE_NOOP("kz", "KZ5700E报警起用设置窗口")},
        {"singlephase::AlarmParamsWindow", ui::MakeWithLink<AlarmParamsWindow>, ui::Menu::Settings, "N15", QT_TRANSLATE_NOOP("kz", "上下限报警设置"), nullptr, QT_TRANSLATE_NOOP("kz", "KZ5700E报警参数设置")},
        {"singlephase::DisplaySettingsWindow", ui::MakeWithLink<DisplaySettingsWindow>, ui::Menu::Settings, "N23", QT_TRANSLATE_NOOP("kz", "窗口显示参数设置"), nullptr, QT_TRANSLATE_NOOP("kz", "KZ5700E窗口显示设置")},
        {"singlephase::InitSettingsWindow", ui::MakeWithLink<InitSettingsWindow>, ui::Menu::Settings, "N16", QT_TRANSLATE_NOOP("kz", "仪表初始化设置"), nullptr, QT_TRANSLATE_NOOP("kz", "KZ5700E初始化设置窗口")},
        {"singlephase::MeterCalibrationWindow", ui::MakeWithConfig<CalibrationWindow, kMeterCalibrationWindow>, ui::Menu::Settings, "N17", QT_TRANSLATE_NOOP("kz", "仪表校表"), "Exit"},
        {"singlephase::ClockSettingsWindow", ui::MakeWithConfig<ClockWindow, kClockSettingsWindow>, ui::Menu::Settings, "N18", QT_TRANSLATE_NOOP("kz", "其它参数设置"), "Exit"},
    };
    return {Family::SinglePhase, windows, "KZ2600SAMPL", "KZ2600SET"};
}

} // namespace singlephase
