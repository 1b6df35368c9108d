#pragma once
// The three-phase limit state window: 64 lamps from the four state
// registers 0x002A-0x002D, read on "检  测" and, with "定时检测", repeated
// at the typed interval.
#include "ui/familywindow.h"

#include <QMap>

class Lamp;
class StatePoller;

namespace threephase {

class LimitStateWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit LimitStateWindow(SerialLink &link, QWidget *parent = nullptr);

    // The lamp of a state caption ("UA上限", "Ua断相", ...), or nullptr.
    Lamp *StateLamp(const QString &caption) const { return byCaption_.value(caption); }
    StatePoller *Poller() const { return poller_; }

private:
    // Only a whole state block changes the lamps; anything else leaves them.
    void showState(const QByteArray &data);

    StatePoller *poller_ = nullptr;
    QMap<int, Lamp *> byBit_;
    QMap<QString, Lamp *> byCaption_;
};

} // namespace threephase
