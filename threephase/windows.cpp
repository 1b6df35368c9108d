#include "threephase/windows.h"

#include "threephase/limitstatewindow.h"
#include "threephase/statepanelwindow.h"
#include "threephase/measurementwindow.h"
#include "threephase/telemetrywindow.h"
#include "threephase/eventswindow.h"
#include "threephase/clocksettingswindow.h"
#include "threephase/limitswindow.h"
#include "threephase/displaysettingswindow.h"
#include "threephase/initsettingswindow.h"
#include "threephase/alarmmaskwindow.h"
#include "threephase/modulecalibrationwindow.h"

#include <QWidget>

namespace threephase {

std::span<const WindowFactory> WindowFactories()
{
    static const WindowFactory factories[] = {
        {"threephase::MeasurementWindow", MakeWithLink<MeasurementWindow>},
        {"threephase::LimitStateWindow", MakeWithLink<LimitStateWindow>},
        {"threephase::TelemetryWindow", MakeWithLink<TelemetryWindow>},
        {"threephase::EventsWindow", MakeWithLink<EventsWindow>},
        {"threephase::StatePanelWindow", MakeWithLink<StatePanelWindow>},
        {"threephase::AlarmMaskWindow", MakeWithLink<AlarmMaskWindow>},
        {"threephase::LimitsWindow", MakeWithLink<LimitsWindow>},
        {"threephase::DisplaySettingsWindow", MakeWithLink<DisplaySettingsWindow>},
        {"threephase::InitSettingsWindow", MakeWithLink<InitSettingsWindow>},
        {"threephase::ClockSettingsWindow", MakeWithLink<ClockSettingsWindow>},
        {"threephase::ModuleCalibrationWindow", MakeWithLink<ModuleCalibrationWindow>},
    };
    return factories;
}

} // namespace threephase
