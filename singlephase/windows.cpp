#include "singlephase/windows.h"

#include "singlephase/initsettingswindow.h"
#include "singlephase/measurementwindow.h"
#include "singlephase/telemetrywindow.h"
#include "singlephase/alarmstatewindow.h"
#include "singlephase/eventswindow.h"
#include "singlephase/clocksettingswindow.h"
#include "singlephase/metercalibrationwindow.h"
#include "singlephase/alarmparamswindow.h"
#include "singlephase/alarmenablewindow.h"
#include "singlephase/displaysettingswindow.h"

#include <QWidget>

namespace singlephase {

std::span<const WindowFactory> WindowFactories()
{
    static const WindowFactory factories[] = {
        {"singlephase::AlarmEnableWindow", MakeWithLink<AlarmEnableWindow>},
        {"singlephase::InitSettingsWindow", MakeWithLink<InitSettingsWindow>},
        {"singlephase::AlarmParamsWindow", MakeWithLink<AlarmParamsWindow>},
        {"singlephase::DisplaySettingsWindow", MakeWithLink<DisplaySettingsWindow>},
        {"singlephase::MeasurementWindow", MakeWithLink<MeasurementWindow>},
        {"singlephase::MeterCalibrationWindow", MakeWithLink<MeterCalibrationWindow>},
        {"singlephase::TelemetryWindow", MakeWithLink<TelemetryWindow>},
        {"singlephase::AlarmStateWindow", MakeWithLink<AlarmStateWindow>},
        {"singlephase::EventsWindow", MakeWithLink<EventsWindow>},
        {"singlephase::ClockSettingsWindow", MakeWithLink<ClockSettingsWindow>},
    };
    return factories;
}

} // namespace singlephase
