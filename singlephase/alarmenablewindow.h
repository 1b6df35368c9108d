#pragma once
// Alarm enables of the single-phase tester: the upper and lower limit
// alarms of each measuring mode, phase loss, and the switch input that
// drives each relay, uploaded, edited and downloaded as one block.
#include "ui/settingswindow.h"

class FieldForm;

namespace singlephase {

class AlarmEnableWindow : public ui::SettingsWindow {
    Q_OBJECT
public:
    explicit AlarmEnableWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    FieldForm *form_ = nullptr;
};

} // namespace singlephase
