#pragma once
// Alarm mask settings of a three-phase instrument: which alarms are enabled
// and the active level of the switch inputs, uploaded, edited and
// downloaded as one block.
#include "ui/settingswindow.h"

class FieldForm;

namespace threephase {

class AlarmMaskWindow : public ui::SettingsWindow {
    Q_OBJECT
public:
    explicit AlarmMaskWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    FieldForm *form_ = nullptr;
};

} // namespace threephase
