#pragma once
// KZ827KVE alarm parameters: upper and lower limits with their hysteresis,
// alarm relay and enable, for voltage, current and active power, uploaded
// and downloaded as one block. Limits are typed with point and unit
// ("220.5V", "1.2KV").
#include "kz827/alarms.h"
#include "ui/settingswindow.h"

#include <array>

class QCheckBox;
class QLineEdit;

namespace kz827 {

class AlarmsWindow : public ui::SettingsWindow {
    Q_OBJECT
public:
    explicit AlarmsWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    struct Controls {
        QLineEdit *upper, *upperHysteresis, *lower, *lowerHysteresis;
        QSpinBox *upperRelay, *lowerRelay;
        QCheckBox *upperEnabled, *lowerEnabled;
    };
    kz827::AlarmSettings settings() const;
    void showSettings(const kz827::AlarmSettings &settings);

    std::array<Controls, 3> controls_{}; // by kz827::Quantity
};

} // namespace kz827
