#pragma once
// Alarm parameters of the single-phase tester: the limits, delays and
// relays of the normal, fundamental-wave and harmonic measuring modes and
// the settings of the three switch inputs, one group per exchange, chosen
// with the radio buttons.
#include "ui/settingswindow.h"

#include <array>

class FieldForm;
class QRadioButton;

namespace singlephase {

class AlarmParamsWindow : public ui::SettingsWindow {
    Q_OBJECT
public:
    explicit AlarmParamsWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    void factoryValues();
    // 1 normal, 2 fundamental, 3 harmonic, 4 switch inputs: the group the
    // radio buttons choose.
    int CheckedGroup() const;

    std::array<FieldForm *, 3> limits_{};
    FieldForm *inputs_ = nullptr;
    std::array<QRadioButton *, 4> radios_{};
};

} // namespace singlephase
