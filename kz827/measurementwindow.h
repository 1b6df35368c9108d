#pragma once
// KZ827KVE measurement window: polls voltage, current and active power
// every 2 s and shows each with the decimals and unit the instrument sends.
#include "ui/familywindow.h"

class QLabel;
class QProgressBar;
class QSpinBox;
class QTimer;
class RecordButton;

namespace kz827 {

class MeasurementWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit MeasurementWindow(SerialLink &link, QWidget *parent = nullptr);

protected:
    void onClose() override;

private:
    void onStart();
    void onTick();
    void onReply(const modbus::Exchange &exchange) override;
    void sendPoll();

    QSpinBox *address_ = nullptr;
    QTimer *timer_ = nullptr;
    QProgressBar *progress_ = nullptr;
    RecordButton *record_ = nullptr;
    QLabel *voltage_ = nullptr;
    QLabel *current_ = nullptr;
    QLabel *power_ = nullptr;
};

} // namespace kz827
