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

class MeasurementWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit MeasurementWindow(SerialLink &link, QWidget *parent = nullptr);

    // The ratio and unit block (its 20 data bytes) as read at the last
    // start; empty until read. Only the start button empties it, so it
    // survives closing the window.
    const QByteArray &RatioBlock() const { return ratios_; }

protected:
    void onShow() override;

private:
    // Shows and records a measurement block from the instrument at address.
    void showMeasurements(const QByteArray &data, int address);
    void showTexts(const threephase::MeasurementTexts &texts);

    QSpinBox *address_ = nullptr;
    QByteArray ratios_;
    QTimer *timer_ = nullptr;
    RecordButton *record_ = nullptr;
    std::array<QLineEdit *, threephase::kMeasurementBoxes> boxes_{};
};

} // namespace threephase
