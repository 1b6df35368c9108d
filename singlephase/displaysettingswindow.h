#pragma once
// Front panel display of the single-phase tester: the quantity of each of
// its three windows, their display intervals, the active energy metering
// time and the quantities the lower window leaves out of its cycle.
#include "ui/settingswindow.h"

class FieldForm;

namespace singlephase {

class DisplaySettingsWindow : public ui::SettingsWindow {
    Q_OBJECT
public:
    explicit DisplaySettingsWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    void factoryValues();

    FieldForm *form_ = nullptr;
};

} // namespace singlephase
