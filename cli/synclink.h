#pragma once
// The command line's link to the bus: one request, then wait only as long as
// the wire needs. A reply is complete as soon as the length its function code
// and byte count imply has arrived with a good CRC from the addressed
// meter; otherwise the wait ends at the timeout. Blocking, for scripts; the
// windows keep their own timer-driven collection.
//
// The port is a serial device or a gateway on the network: tcp://HOST:PORT
// passes the RTU bytes unchanged, mbtcp://HOST:PORT sends each request as
// Modbus TCP with a fresh transaction id and takes the reply with that id
// and unit id, in RTU form, so everything above sees the same exchange.
// That reply must be a whole frame by its own byte count (the CRC is the
// link's, not the meter's); whatever is buffered when the next request
// goes out is dropped (see mbap::Stream).
// One link is used by one thread.
#include "link/mbap.h"
#include "link/netaddress.h"
#include "link/replylength.h"

#include <QByteArray>
#include <QSerialPort>
#include <QString>
#include <memory>
#include <optional>

class QIODevice;
class QTcpSocket;

namespace cli {

struct PortSettings {
    QString port;
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    int timeoutMs = 500;
    // Milliseconds a network connection may take to open.
    int connectTimeoutMs = 3000;
};

// True when reply is a complete, CRC-checked frame from address answering
// function (or its exception reply). Calibration replies (0xAA) are framed
// by the lengths of the family given.
bool IsReplyTo(const QByteArray &reply, std::uint8_t address, std::uint8_t function,
               modbus::CalibrationLengths calibration = {});

class SyncLink {
public:
    SyncLink();
    ~SyncLink();
    SyncLink(const SyncLink &) = delete;
    SyncLink &operator=(const SyncLink &) = delete;

    // How Open ended. Refused: the name is no serial port at all (a file,
    // a directory, /dev/null, the pseudo-terminal multiplexer) or a
    // malformed network port name, found before anything is opened, with the
    // program's own reason; Failed: the system could not open or set up the
    // port, or refused or could not make the connection.
    enum class OpenResult { Opened, Refused, Failed };
    // Opens and sets up the port; on failure fills error.
    OpenResult Open(const PortSettings &settings, QString *error);
    // Sends request and returns the reply, or nothing after the timeout.
    // Bytes that arrive before a reply is complete and do not start a
    // frame of the addressed meter are skipped.
    std::optional<QByteArray> Transact(const QByteArray &request);
    // The calibration reply lengths of the family worked on (none at
    // first: 0xAA is then framed as an exception reply).
    void SetCalibrationLengths(modbus::CalibrationLengths lengths) { calibration_ = lengths; }
    // Time the last Transact waited for its reply, in microseconds.
    qint64 LastWaitMicros() const { return lastWaitMicros_; }
    // Why the port is gone (the gateway closed the connection, the adapter
    // was unplugged); empty while it works. Every Transact after a loss
    // returns nothing at once.
    QString Lost() const { return lost_; }

private:
    OpenResult openNetwork(const PortSettings &settings, QString *error);
    // Drops whatever waits unread.
    void discardInput();
    bool gone();

    QSerialPort port_;
    std::unique_ptr<QTcpSocket> socket_;
    QIODevice *io_ = nullptr;
    QString name_;
    bool mbap_ = false;
    // The Modbus TCP frames arriving.
    mbap::Stream stream_;
    std::uint16_t transaction_ = 0;
    int timeoutMs_ = 500;
    modbus::CalibrationLengths calibration_;
    qint64 lastWaitMicros_ = 0;
    QString lost_;
};

} // namespace cli
