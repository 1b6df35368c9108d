#pragma once
// The three-phase event record window: the family's event log read into
// the shared event record grid.
#include "ui/eventlogwindow.h"

namespace threephase {

class EventsWindow : public EventLogWindow {
    Q_OBJECT
public:
    explicit EventsWindow(SerialLink &link, QWidget *parent = nullptr);
};

} // namespace threephase
