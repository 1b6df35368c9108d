#pragma once
// Initialisation settings of a three-phase instrument: wiring mode,
// transformer ratios and units, display units, reclosing delay, and the
// energy base values, each block uploaded and downloaded on its own.
#include "ui/familywindow.h"

class FieldForm;
class QLineEdit;

namespace threephase {

class InitSettingsWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit InitSettingsWindow(SerialLink &link, QWidget *parent = nullptr);

protected:
    void onShow() override;

private:
    void factoryValues();
    void upload();
    void download();
    void uploadBases();
    void downloadBases();
    void onReply(const modbus::Exchange &exchange) override;

    FieldForm *form_ = nullptr;
    QLineEdit *activeBase_ = nullptr;   // LabeledEdit3
    QLineEdit *reactiveBase_ = nullptr; // LabeledEdit4
};

} // namespace threephase
