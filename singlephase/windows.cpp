#include "singlephase/windows.h"

#include "singlephase/alarmenablewindow.h"
#include "singlephase/alarmparamswindow.h"
#include "singlephase/alarmstatewindow.h"
#include "singlephase/clocksettingswindow.h"
#include "singlephase/displaysettingswindow.h"
#include "singlephase/eventswindow.h"
#include "singlephase/initsettingswindow.h"
#include "singlephase/measurementwindow.h"
#include "singlephase/metercalibrationwindow.h"
#include "singlephase/telemetrywindow.h"

#include <QWidget>

namespace singlephase {

// Menu entries in their on-screen order.
ui::WindowList Windows()
{
    static const ui::WindowEntry windows[] = {
        // class, factory, menu, entry, caption, return button
        {"singlephase::MeasurementWindow", ui::MakeWithLink<MeasurementWindow>, "KZ2600SAMPL", "N19", "电量参数测量", "Exit"},
        {"singlephase::TelemetryWindow", ui::MakeWithLink<TelemetryWindow>, "KZ2600SAMPL", "N20", "遥测、遥信", nullptr},
        {"singlephase::AlarmStateWindow", ui::MakeWithLink<AlarmStateWindow>, "KZ2600SAMPL", "N21", "越限状态显示", "Exit"},
        {"singlephase::EventsWindow", ui::MakeWithLink<EventsWindow>, "KZ2600SAMPL", "N22", "事件记录显示", nullptr},
        {"singlephase::AlarmEnableWindow", ui::MakeWithLink<AlarmEnableWindow>, "KZ2600SET", "N14", "报警屏蔽设置", "Exit"},
        {"singlephase::AlarmParamsWindow", ui::MakeWithLink<AlarmParamsWindow>, "KZ2600SET", "N15", "上下限报警设置", nullptr},
        {"singlephase::DisplaySettingsWindow", ui::MakeWithLink<DisplaySettingsWindow>, "KZ2600SET", "N23", "窗口显示参数设置", nullptr},
        {"singlephase::InitSettingsWindow", ui::MakeWithLink<InitSettingsWindow>, "KZ2600SET", "N16", "仪表初始化设置", nullptr},
        {"singlephase::MeterCalibrationWindow", ui::MakeWithLink<MeterCalibrationWindow>, "KZ2600SET", "N17", "仪表校表", "Exit"},
        {"singlephase::ClockSettingsWindow", ui::MakeWithLink<ClockSettingsWindow>, "KZ2600SET", "N18", "其它参数设置", "Exit"},
    };
    return {Family::SinglePhase, windows};
}

} // namespace singlephase
