#include "threephase/windows.h"

#include "threephase/calibration.h"
#include "threephase/monitor.h"

#include "threephase/alarmmaskwindow.h"
#include "threephase/displaysettingswindow.h"
#include "threephase/initsettingswindow.h"
#include "threephase/limitstatewindow.h"
#include "threephase/limitswindow.h"
#include "threephase/measurementwindow.h"
#include "threephase/statepanelwindow.h"
#include "threephase/wiringwindow.h"

#include <QWidget>

namespace threephase {

namespace {
namespace mon = threephase::monitor;
const char *const kEventHeadings[] = {QT_TRANSLATE_NOOP("kz", "编号"), QT_TRANSLATE_NOOP("kz", "事件名称"), QT_TRANSLATE_NOOP("kz", "事件数据"), QT_TRANSLATE_NOOP("kz", "事件发生时间")};
constexpr int kEventWidths[] = {70, 155, 146, 260};
} // namespace

// The windows made from the shared relay, event log and clock windows.
const RelayWindowConfig kTelemetryWindow{
    .names = {"threephase::TelemetryWindow", "Coulometry2dcu", Family::ThreePhase, "KZ5500E", QT_TRANSLATE_NOOP("kz", "电参数测试仪"), "BitBtn3"},
    .addressCaption = QT_TRANSLATE_NOOP("kz", "输入仪表地址："),
    .commands = mon::kRelayCommands,
};

const EventLogWindowConfig kEventsWindow{
    .names = {"threephase::EventsWindow", "Coulometry3dcu", Family::ThreePhase, "KZ5500E", QT_TRANSLATE_NOOP("kz", "电参数测试仪"), "BitBtn3"},
    .headings = kEventHeadings,
    .widths = kEventWidths,
    .log = mon::kEventLog,
    .firstKindOnShow = true,
};

const ClockWindowConfig kClockSettingsWindow{
    .names = {"threephase::ClockSettingsWindow", "SetPar4dcu", Family::ThreePhase, "KZ5500E", QT_TRANSLATE_NOOP("kz", "电参数测试仪"), "BitBtn5"},
    .base = 0x0060,
};

const CalibrationWindowConfig kModuleCalibrationWindow{
    .names = {"threephase::ModuleCalibrationWindow", QT_TRANSLATE_NOOP("kz", "KZ5500M模块校验窗口"), QT_TRANSLATE_NOOP("kz", "模块地址："), "BitBtn3", Family::ThreePhase, 3},
    .makeDecoder = []() -> std::unique_ptr<calib::Decoder> { return std::make_unique<threephase::calibration::Decoder>(); },
    .defaultPlan = threephase::calibration::DefaultPlan,
};

// Menu entries in their on-screen order.
ui::WindowList Windows()
{
    static const ui::WindowEntry windows[] = {
        // class, factory, menu, entry, entry caption, return button, window caption
        {"threephase::MeasurementWindow", ui::MakeWithLink<MeasurementWindow>, ui::Menu::Measurement, "N1", QT_TRANSLATE_NOOP("kz", "电量参数测量"), "BitBtn3", QT_TRANSLATE_NOOP("kz", "电压相关参数测量")},
        {"threephase::TelemetryWindow", ui::MakeWithConfig<RelayWindow, kTelemetryWindow>, ui::Menu::Measurement, "N2", QT_TRANSLATE_NOOP("kz", "遥测、遥信"), "BitBtn3"},
        {"threephase::LimitStateWindow", ui::MakeWithLink<LimitStateWindow>, ui::Menu::Measurement, "N3", QT_TRANSLATE_NOOP("kz", "越限状态显示"), "BitBtn3", "Coulometry1dcu"},
        {"threephase::EventsWindow", ui::MakeWithConfig<EventLogWindow, kEventsWindow>, ui::Menu::Measurement, "N4", QT_TRANSLATE_NOOP("kz", "事件记录显示"), "BitBtn3"},
        {"threephase::StatePanelWindow", ui::MakeWithLink<StatePanelWindow>, ui::Menu::Measurement, "N5", QT_TRANSLATE_NOOP("kz", "仪表当前状态"), "BitBtn3", "Coulometry4dcu"},
        {"threephase::WiringWindow", ui::MakeWithLink<WiringWindow>, ui::Menu::Measurement, "NWiring", QT_TRANSLATE_NOOP("kz", "接线检查"), "BitBtn3", QT_TRANSLATE_NOOP("kz", "接线检查")},
        {"threephase::AlarmMaskWindow", ui::MakeWithLink<AlarmMaskWindow>, ui::Menu::Settings, "N6", QT_TRANSLATE_NOOP("kz", "报警屏蔽设置"), "BitBtn3", "SetParDcu"},
        {"threephase::LimitsWindow", ui::MakeWithLink<LimitsWindow>, ui::Menu::Settings, "N7", QT_TRANSLATE_NOOP("kz", "上下限报警值设置"), "BitBtn3", QT_TRANSLATE_NOOP("kz", "KZ5500E电参数测试仪")},
        {"threephase::DisplaySettingsWindow", ui::MakeWithLink<DisplaySettingsWindow>, ui::Menu::Settings, "N8", QT_TRANSLATE_NOOP("kz", "窗口显示参数设置"), "BitBtn3", "SetPar2Dcu"},
        {"threephase::InitSettingsWindow", ui::MakeWithLink<InitSettingsWindow>, ui::Menu::Settings, "N9", QT_TRANSLATE_NOOP("kz", "仪表初始化设置"), "BitBtn6", "SetPar3Dcu"},
        {"threephase::ClockSettingsWindow", ui::MakeWithConfig<ClockWindow, kClockSettingsWindow>, ui::Menu::Settings, "N12", QT_TRANSLATE_NOOP("kz", "其它"), nullptr},
        {"threephase::ModuleCalibrationWindow", ui::MakeWithConfig<CalibrationWindow, kModuleCalibrationWindow>, ui::Menu::Settings, "N13", QT_TRANSLATE_NOOP("kz", "模块校表"), "BitBtn3"},
    };
    return {Family::ThreePhase, windows, "PopupMenu1", "PopupMenu2"};
}

} // namespace threephase
