#pragma once
// The three-phase windows this library builds, for the main window.
#include "ui/calibrationwindow.h"
#include "ui/clockwindow.h"
#include "ui/eventlogwindow.h"
#include "ui/relaywindow.h"
#include "ui/windowregistry.h"

namespace threephase {
ui::WindowList Windows();

// The relay (遥测、遥信), event log and clock windows: the shared window
// classes with these settings.
extern const RelayWindowConfig kTelemetryWindow;
extern const EventLogWindowConfig kEventsWindow;
extern const ClockWindowConfig kClockSettingsWindow;
// The calibration window: the shared calibration window with this
// family's names and decoder.
extern const CalibrationWindowConfig kModuleCalibrationWindow;
} // namespace threephase
