#pragma once
// The port control the program opens every port through: a serial device
// goes to the serial control, a network port name (tcp://, mbtcp://) to the
// network control. The link and the windows see one port whichever it is.
#include "link/serialport.h"

class PortSwitch : public SerialPortControl {
    Q_OBJECT
public:
    // Takes over both controls (as children). The serial one is in use
    // until a network port is opened.
    PortSwitch(SerialPortControl *serial, SerialPortControl *network, QObject *parent = nullptr);

    // The control that handles the port named; the one in use.
    SerialPortControl *For(const QString &name) const;
    SerialPortControl *Active() const { return active_; }

    bool PortOpen() const override { return active_->PortOpen(); }
    bool SetPortOpen(bool open, QString *error = nullptr) override;
    // A port of the other kind is opened beside the one in use, which is
    // closed once the new one is open, as within one kind.
    bool OpenInstead(const QString &name, const QString &settings, QString *error = nullptr) override;
    int InBufferCount() const override { return active_->InBufferCount(); }
    void SetInBufferCount(int count) override { active_->SetInBufferCount(count); }
    bool Output(const QByteArray &bytes) override { return active_->Output(bytes); }
    QByteArray Input() override { return active_->Input(); }
    QByteArray WireFormOf(const QByteArray &frame) const override { return active_->WireFormOf(frame); }
    QByteArray LastWireInput() const override { return active_->LastWireInput(); }
    bool RepliesCarryCrc() const override { return active_->RepliesCarryCrc(); }

private:
    void forward(SerialPortControl *control);

    SerialPortControl *serial_;
    SerialPortControl *network_;
    SerialPortControl *active_;
    // Set while the other control opens: its signals are not yet the port's.
    bool quiet_ = false;
};
