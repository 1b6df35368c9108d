#pragma once
// The single-phase measurement window: reads the instrument's set-up block
// once, then polls the measurement block every tick and shows voltage,
// current, frequency, power factor, powers and the six energies.
#include "ui/familywindow.h"
#include "singlephase/measurement.h"

#include <array>

class QLineEdit;
class QProgressBar;
class QSpinBox;
class QTimer;
class RecordButton;

namespace singlephase {

// The set-up block of the process (its data bytes). Empty until read; only
// the start button empties it, so it survives closing the window.
QByteArray &MeterageParams();

class MeasurementWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit MeasurementWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    void onReply(const modbus::Exchange &exchange) override;

    QSpinBox *address_ = nullptr;
    QTimer *timer_ = nullptr;
    RecordButton *record_ = nullptr;
    std::array<QLineEdit *, singlephase::measurement::kBoxes> boxes_{};
};

} // namespace singlephase
