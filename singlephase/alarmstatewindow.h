#pragma once
// The single-phase alarm state window: the 16 alarm lamps of 0x0013, the
// three relay lamps and the measuring mode of 0x0014, read on "检  测" and,
// with "定时检测", repeated at the typed interval (1000 ms when the box is
// empty).
#include "ui/familywindow.h"

#include <array>

class Lamp;
class QLabel;
class StatePoller;

namespace singlephase {

class AlarmStateWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit AlarmStateWindow(SerialLink &link, QWidget *parent = nullptr);

    // The lamp of a state bit 0..18 (see singlephase/monitor.h).
    Lamp *StateLamp(int bit) const { return lamps_[bit]; }
    QLabel *ModeText() const { return mode_; }
    StatePoller *Poller() const { return poller_; }

private:
    // Only a whole state block changes the lamps; anything else leaves them.
    void showState(const QByteArray &data);

    StatePoller *poller_ = nullptr;
    QLabel *mode_ = nullptr;
    std::array<Lamp *, 19> lamps_{};
};

} // namespace singlephase
