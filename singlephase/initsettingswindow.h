#pragma once
// Initialisation settings of the single-phase tester: measuring mode,
// transformer ratios, display units and reclose delay (0x0050..0x0059), and
// the two energy bases (0x005A), each block with its own buttons.
#include "ui/settingswindow.h"

class FieldForm;
class QLineEdit;

namespace singlephase {

class InitSettingsWindow : public ui::SettingsWindow {
    Q_OBJECT
public:
    explicit InitSettingsWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    // The window's entries: the settings block, then the energy bases.
    static constexpr int kSettings = 0;
    static constexpr int kBases = 1;

    void factoryValues();

    FieldForm *form_ = nullptr;
    QLineEdit *activeBase_ = nullptr;
    QLineEdit *reactiveBase_ = nullptr;
};

} // namespace singlephase
