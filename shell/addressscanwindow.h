#pragma once
// The instrument address scan window: probes every address of a range in
// turn, one per timer tick, and lists the addresses that answered.
#include "core/addressscan.h"
#include "ui/familywindow.h"

class QLineEdit;
class QProgressBar;
class QSpinBox;
class QTimer;

class AddressScanWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit AddressScanWindow(SerialLink &link, QWidget *parent = nullptr);

    // Interval of the probe timer in milliseconds (1000 by default).
    void SetProbeInterval(int ms);
    int ProbeInterval() const;

protected:
    void onShow() override;
    void onClose() override;

private:
    void onStart();
    void onStop();
    void onTick();
    void probe(int address);

    QSpinBox *startSpin_ = nullptr;
    QSpinBox *endSpin_ = nullptr;
    QLineEdit *result_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QLabel *percent_ = nullptr;
    QTimer *timer_ = nullptr;
    AddressScan scan_;
    int probeInterval_ = 1000;
};
