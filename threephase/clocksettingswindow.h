#pragma once
// The three-phase address, baud rate and clock window (block at 0x0060).
#include "ui/clockwindow.h"

namespace threephase {

class ClockSettingsWindow : public ClockWindow {
    Q_OBJECT
public:
    explicit ClockSettingsWindow(SerialLink &link, QWidget *parent = nullptr);
};

} // namespace threephase
