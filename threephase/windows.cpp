#include "threephase/windows.h"

#include "threephase/alarmmaskwindow.h"
#include "threephase/clocksettingswindow.h"
#include "threephase/displaysettingswindow.h"
#include "threephase/eventswindow.h"
#include "threephase/initsettingswindow.h"
#include "threephase/limitstatewindow.h"
#include "threephase/limitswindow.h"
#include "threephase/measurementwindow.h"
#include "threephase/modulecalibrationwindow.h"
#include "threephase/statepanelwindow.h"
#include "threephase/telemetrywindow.h"

#include <QWidget>

namespace threephase {

// Menu entries in their on-screen order.
ui::WindowList Windows()
{
    static const ui::WindowEntry windows[] = {
        // class, factory, menu, entry, caption, return button
        {"threephase::MeasurementWindow", ui::MakeWithLink<MeasurementWindow>, "PopupMenu1", "N1", "电量参数测量", "BitBtn3"},
        {"threephase::TelemetryWindow", ui::MakeWithLink<TelemetryWindow>, "PopupMenu1", "N2", "遥测、遥信", "BitBtn3"},
        {"threephase::LimitStateWindow", ui::MakeWithLink<LimitStateWindow>, "PopupMenu1", "N3", "越限状态显示", "BitBtn3"},
        {"threephase::EventsWindow", ui::MakeWithLink<EventsWindow>, "PopupMenu1", "N4", "事件记录显示", "BitBtn3"},
        {"threephase::StatePanelWindow", ui::MakeWithLink<StatePanelWindow>, "PopupMenu1", "N5", "仪表当前状态", "BitBtn3"},
        {"threephase::AlarmMaskWindow", ui::MakeWithLink<AlarmMaskWindow>, "PopupMenu2", "N6", "报警屏蔽设置", "BitBtn3"},
        {"threephase::LimitsWindow", ui::MakeWithLink<LimitsWindow>, "PopupMenu2", "N7", "上下限报警值设置", "BitBtn3"},
        {"threephase::DisplaySettingsWindow", ui::MakeWithLink<DisplaySettingsWindow>, "PopupMenu2", "N8", "窗口显示参数设置", "BitBtn3"},
        {"threephase::InitSettingsWindow", ui::MakeWithLink<InitSettingsWindow>, "PopupMenu2", "N9", "仪表初始化设置", "BitBtn6"},
        {"threephase::ClockSettingsWindow", ui::MakeWithLink<ClockSettingsWindow>, "PopupMenu2", "N12", "其它", nullptr},
        {"threephase::ModuleCalibrationWindow", ui::MakeWithLink<ModuleCalibrationWindow>, "PopupMenu2", "N13", "模块校表", "BitBtn3"},
    };
    return {Family::ThreePhase, windows};
}

} // namespace threephase
