#include "link/portswitch.h"

#include "link/netaddress.h"

PortSwitch::PortSwitch(SerialPortControl *serial, SerialPortControl *network, QObject *parent)
    : SerialPortControl(parent), serial_(serial), network_(network), active_(serial)
{
    serial_->setParent(this);
    network_->setParent(this);
    portName_ = serial_->CommPort();
    forward(serial_);
    forward(network_);
}

void PortSwitch::forward(SerialPortControl *control)
{
    const auto mine = [this, control] { return !quiet_ && control == active_; };
    connect(control, &SerialPortControl::OnComm, this, [this, mine] {
        if (mine())
            emit OnComm();
    });
    connect(control, &SerialPortControl::PortLost, this, [this, mine](const QString &message) {
        if (mine())
            emit PortLost(message);
    });
    connect(control, &SerialPortControl::OpenChanged, this, [this, mine](bool open) {
        if (mine())
            emit OpenChanged(open);
    });
}

SerialPortControl *PortSwitch::For(const QString &name) const
{
    return IsNetPortName(name) ? network_ : serial_;
}

bool PortSwitch::SetPortOpen(bool open, QString *error)
{
    if (!open)
        return active_->SetPortOpen(false, error);
    SerialPortControl *target = For(portName_);
    if (target != active_ && active_->PortOpen())
        active_->SetPortOpen(false);
    active_ = target;
    active_->SetPortName(portName_);
    active_->SetSettings(settings_);
    return active_->SetPortOpen(true, error);
}

bool PortSwitch::OpenInstead(const QString &name, const QString &settings, QString *error)
{
    SerialPortControl *target = For(name);
    if (target == active_) {
        if (!active_->OpenInstead(name, settings, error))
            return false;
    } else {
        quiet_ = true;
        const bool opened = target->OpenInstead(name, settings, error);
        quiet_ = false;
        if (!opened)
            return false;
        if (active_->PortOpen())
            active_->SetPortOpen(false); // said to the link: its port closed
        active_ = target;
        emit OpenChanged(true);
    }
    portName_ = name;
    settings_ = settings;
    return true;
}
