#pragma once
// Front panel display of the single-phase tester: the quantity of each of
// its three windows, their display intervals, the active energy metering
// time and the quantities the lower window leaves out of its cycle.
#include "ui/familywindow.h"

class FieldForm;
class WordForm;

namespace singlephase {

class DisplaySettingsWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit DisplaySettingsWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    void upload();
    void download();
    void factoryValues();
    void onReply(const modbus::Exchange &exchange) override;

    FieldForm *form_ = nullptr;
    WordForm *words_ = nullptr;
};

} // namespace singlephase
