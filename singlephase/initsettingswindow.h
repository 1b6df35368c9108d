#pragma once
// Initialisation settings of the single-phase tester: measuring mode,
// transformer ratios, display units and reclose delay (0x0050..0x0059), and
// the two energy bases (0x005A), each block with its own buttons.
#include "ui/familywindow.h"

class FieldForm;
class QLineEdit;

namespace singlephase {

class InitSettingsWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit InitSettingsWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    void factoryValues();
    void download();
    void downloadBases();
    void onReply(const modbus::Exchange &exchange) override;

    FieldForm *form_ = nullptr;
    QLineEdit *activeBase_ = nullptr;
    QLineEdit *reactiveBase_ = nullptr;
};

} // namespace singlephase
