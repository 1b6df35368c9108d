#pragma once
// KZ827KVE initialisation settings: voltage and current transformer ratios
// with their display units and the power unit (uploaded and downloaded as
// one block), and the bus address and baud rate, each set on its own.
#include "kz827/range.h"
#include "ui/settingswindow.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;

namespace kz827 {

class RangeWindow : public ui::SettingsWindow {
    Q_OBJECT
public:
    explicit RangeWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    void setBaudRate();
    void setAddress();
    // Sends one of the single settings; the meter's echo is confirmed.
    void set(const QByteArray &frame);
    kz827::RangeSettings settings() const;
    void showSettings(const kz827::RangeSettings &settings);
    static void select(QButtonGroup *group, int item);

    QLineEdit *voltageRatio_ = nullptr;
    QLineEdit *currentRatio_ = nullptr;
    QButtonGroup *voltageUnit_ = nullptr;
    QButtonGroup *currentUnit_ = nullptr;
    QButtonGroup *powerUnit_ = nullptr;
    QComboBox *rate_ = nullptr;
    QSpinBox *newAddress_ = nullptr;
};

} // namespace kz827
