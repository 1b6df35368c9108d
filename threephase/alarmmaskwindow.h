#pragma once
// Alarm mask settings of a three-phase instrument: which alarms are enabled
// and the active level of the switch inputs, uploaded, edited and
// downloaded as one block.
#include "ui/familywindow.h"

class FieldForm;

namespace threephase {

class AlarmMaskWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit AlarmMaskWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    void download();
    void upload();
    void onReply(const modbus::Exchange &exchange) override;

    FieldForm *form_ = nullptr;
};

} // namespace threephase
