#pragma once
#include "link/serialport.h"

class QSerialPort;

// The serial port control over QSerialPort.
class QtSerialPortControl : public SerialPortControl {
    Q_OBJECT
public:
    explicit QtSerialPortControl(QObject *parent = nullptr);
    ~QtSerialPortControl() override;

    bool PortOpen() const override;
    bool SetPortOpen(bool open, QString *error = nullptr) override;
    int InBufferCount() const override;
    void SetInBufferCount(int count) override;
    bool Output(const QByteArray &bytes) override;
    QByteArray Input() override;

private:
    void onError(int error);
    QSerialPort *port_;
    bool closing_ = false;
};
