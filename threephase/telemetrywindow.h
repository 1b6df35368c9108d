#pragma once
// The three-phase relay window: switches the relay outputs and reads the
// outputs and the switch inputs into lamps.
#include "ui/relaywindow.h"

namespace threephase {

class TelemetryWindow : public RelayWindow {
    Q_OBJECT
public:
    explicit TelemetryWindow(SerialLink &link, QWidget *parent = nullptr);
};

} // namespace threephase
