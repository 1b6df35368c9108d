#pragma once
// The single-phase address, baud rate and clock window (block at 0x005C).
#include "ui/clockwindow.h"

namespace singlephase {

class ClockSettingsWindow : public ClockWindow {
    Q_OBJECT
public:
    explicit ClockSettingsWindow(SerialLink &link, QWidget *parent = nullptr);
};

} // namespace singlephase
