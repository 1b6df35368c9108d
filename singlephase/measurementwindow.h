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

class MeasurementWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit MeasurementWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    // Shows and records a measurement block from the instrument at address.
    void showMeasurements(const QByteArray &data, int address);

    QSpinBox *address_ = nullptr;
    // The set-up block's data bytes as read at the last start.
    QByteArray setup_;
    QTimer *timer_ = nullptr;
    RecordButton *record_ = nullptr;
    std::array<QLineEdit *, singlephase::measurement::kBoxes> boxes_{};
};

} // namespace singlephase
