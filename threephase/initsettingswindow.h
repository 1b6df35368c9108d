#pragma once
// Initialisation settings of a three-phase instrument: wiring mode,
// transformer ratios and units, display units, reclosing delay, and the
// energy base values, each block uploaded and downloaded on its own.
#include "ui/settingswindow.h"

class FieldForm;
class QLineEdit;

namespace threephase {

class InitSettingsWindow : public ui::SettingsWindow {
    Q_OBJECT
public:
    explicit InitSettingsWindow(SerialLink &link, QWidget *parent = nullptr);

protected:
    void onShow() override;

private:
    // The window's entries: the settings block, then the energy bases.
    static constexpr int kSettings = 0;
    static constexpr int kBases = 1;

    void factoryValues();

    FieldForm *form_ = nullptr;
    QLineEdit *activeBase_ = nullptr;   // LabeledEdit3
    QLineEdit *reactiveBase_ = nullptr; // LabeledEdit4
};

} // namespace threephase
