#pragma once
// Three-phase windows built on the family-neutral window classes: relays
// and inputs, event records, and the address, baud rate and clock settings.
#include "ui/clockwindow.h"
#include "ui/eventlogwindow.h"
#include "ui/relaywindow.h"

namespace threephase {

class TelemetryWindow : public RelayWindow {
    Q_OBJECT
public:
    explicit TelemetryWindow(SerialLink &link, QWidget *parent = nullptr);
};

class EventsWindow : public EventLogWindow {
    Q_OBJECT
public:
    explicit EventsWindow(SerialLink &link, QWidget *parent = nullptr);
};

class ClockSettingsWindow : public ClockWindow {
    Q_OBJECT
public:
    explicit ClockSettingsWindow(SerialLink &link, QWidget *parent = nullptr);
};

} // namespace threephase
