#pragma once
// The command line's link to the bus: one request, then wait only as long as
// the wire needs. A reply is complete as soon as the length its function code
// and byte count imply has arrived with a good CRC from the addressed
// meter; otherwise the wait ends at the timeout. Blocking, for scripts; the
// windows keep their own timer-driven collection.
#include <QByteArray>
#include <QSerialPort>
#include <QString>
#include <optional>

namespace cli {

struct PortSettings {
    QString port;
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    int timeoutMs = 500;
};

// True when reply is a complete, CRC-checked frame from address answering
// function (or its exception reply).
bool IsReplyTo(const QByteArray &reply, std::uint8_t address, std::uint8_t function);

class SyncLink {
public:
    // How Open ended. Refused: the name is no serial port at all (a file,
    // a directory, /dev/null, the pseudo-terminal multiplexer), found before
    // anything is opened, with the program's own reason; Failed: the system
    // could not open or set up the port.
    enum class OpenResult { Opened, Refused, Failed };
    // Opens and sets up the port; on failure fills error.
    OpenResult Open(const PortSettings &settings, QString *error);
    // Sends request and returns the reply, or nothing after the timeout.
    // Bytes that arrive before a reply is complete and do not start a
    // frame of the addressed meter are skipped.
    std::optional<QByteArray> Transact(const QByteArray &request);
    // Time the last Transact waited for its reply, in microseconds.
    qint64 LastWaitMicros() const { return lastWaitMicros_; }

private:
    QSerialPort port_;
    int timeoutMs_ = 500;
    qint64 lastWaitMicros_ = 0;
};

} // namespace cli
