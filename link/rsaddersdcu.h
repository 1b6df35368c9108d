#pragma once
// The instrument address scan window: probes every address of a range in
// turn, one per timer tick, and lists the addresses that answered.
#include "link/addressscan.h"
#include "link/familywindow.h"

class QLineEdit;
class QProgressBar;
class QSpinBox;
class QTimer;

class TRs_Addersdcu : public FamilyWindow {
    Q_OBJECT
public:
    explicit TRs_Addersdcu(SerialLink &link, QWidget *parent = nullptr);

    // Interval of the probe timer in milliseconds (1000 by default).
    void SetProbeInterval(int ms);
    int ProbeInterval() const;

protected:
    void FormShow() override;
    void FormClose() override;

private:
    void onStart();
    void onStop();
    void onTick();
    void onReply();
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
