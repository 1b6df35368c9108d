#pragma once
// The three-phase measurement window: asks the instrument for its ratio block
// once, then polls the measurement block every timer tick and shows voltages,
// currents, powers, power factors, frequency and energies.
#include "ui/familywindow.h"
#include "threephase/measurement.h"

#include <array>

class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;
class RecordButton;

namespace threephase {

// The ratio and unit block of the process (reply to the ratio request with
// its 3-byte header removed: 20 data bytes and the CRC). Empty until read;
// only the start button empties it, so it survives closing the window.
QByteArray &CoulometryParams();

class MeasurementWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit MeasurementWindow(SerialLink &link, QWidget *parent = nullptr);

protected:
    void onShow() override;

private:
    void onReply(const modbus::Exchange &exchange) override;
    void showTexts(const threephase::MeasurementTexts &texts);

    QSpinBox *address_ = nullptr;
    QTimer *timer_ = nullptr;
    RecordButton *record_ = nullptr;
    std::array<QLineEdit *, threephase::kMeasurementBoxes> boxes_{};
};

} // namespace threephase
