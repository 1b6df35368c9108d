#pragma once
#include "link/serialport.h"

#include <QSerialPort>

// The system's reason to show when an open port fails with error (its
// errorString as QSerialPort reports it), or empty when the system gave
// none for this event. Only a resource error is the device failing; a read
// or write error, a resource error that is "try again", and a line that was
// hung up (an end of file) carry errno left over from an earlier call.
QString PortLossReason(QSerialPort::SerialPortError error, const QString &errorString, bool hungUp);

// The serial port control over QSerialPort.
class QtSerialPortControl : public SerialPortControl {
    Q_OBJECT
public:
    explicit QtSerialPortControl(QObject *parent = nullptr);
    ~QtSerialPortControl() override;

    bool PortOpen() const override;
    bool SetPortOpen(bool open, QString *error = nullptr) override;
    bool OpenInstead(const QString &name, const QString &settings, QString *error = nullptr) override;
    int InBufferCount() const override;
    void SetInBufferCount(int count) override;
    bool Output(const QByteArray &bytes) override;
    QByteArray Input() override;

private:
    // The settings parsed, or nothing with error filled when name and
    // settings are refused before any device is touched.
    std::optional<LineSettings> checked(const QString &name, const QString &settings, QString *error) const;
    // Configures port for name and the checked line settings and opens it.
    bool openOn(QSerialPort *port, const QString &name, const LineSettings &line, QString *error);
    void attach(QSerialPort *port);
    // Closes the port in use on purpose: no loss is reported.
    void closePort();
    void onError(int error);
    QSerialPort *port_;
    bool closing_ = false;
};
