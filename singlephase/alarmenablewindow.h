#pragma once
// Alarm enables of the single-phase tester: the upper and lower limit
// alarms of each measuring mode, phase loss, and the switch input that
// drives each relay, uploaded, edited and downloaded as one block.
#include "ui/familywindow.h"

class FieldForm;

namespace singlephase {

class AlarmEnableWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit AlarmEnableWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    void download();
    void upload();
    void onReply(const modbus::Exchange &exchange) override;

    FieldForm *form_ = nullptr;
};

} // namespace singlephase
