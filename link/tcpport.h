#pragma once
// The serial port control over a TCP connection to a serial-to-Ethernet
// gateway, for port names "tcp://HOST:PORT" and "mbtcp://HOST:PORT" (see
// netaddress.h). The link above it works exactly as on a serial port.
//
// tcp://: the RTU bytes pass unchanged both ways.
// mbtcp://: each frame written is sent as a Modbus TCP request with a fresh
// transaction id (the CRC left off, the address as unit id). A reply counts
// when its MBAP length has fully come and it carries that transaction id and
// unit id; it is handed up as the RTU frame the meter would have sent (CRC
// added), so the link and the windows see the same exchange as on a serial
// port. Replies to earlier transactions are dropped. Function codes pass as
// they are, the private 0x99 and 0xAA included. Bytes that are no MBAP
// frame go up as they came (the link refuses them); a frame still
// incomplete when the next request goes out is dropped (see mbap::Stream),
// so one length that lies costs one exchange. The CRC the port adds proves
// nothing about the reply: the link holds such replies to their byte count.
//
// The line settings are kept (the dialog and the trace show them) but do
// not apply: the gateway's serial side has its own.
#include "link/mbap.h"
#include "link/netaddress.h"
#include "link/serialport.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <cstdint>
#include <optional>

class QTcpSocket;

// The reason in Chinese for a socket error, e.g. "连接被拒绝" for
// ConnectionRefusedError; the system's own text goes after it in messages.
QString SocketErrorText(QAbstractSocket::SocketError error);

class TcpPortControl : public SerialPortControl {
    Q_OBJECT
public:
    explicit TcpPortControl(QObject *parent = nullptr);
    ~TcpPortControl() override;

    // Milliseconds a connection (name look-up included) may take to open.
    // Opening waits for the outcome in an event loop of its own, which
    // leaves out user input: the windows repaint and the port in use goes on
    // serving them meanwhile.
    int ConnectTimeoutMs = 3000;

    bool PortOpen() const override;
    bool SetPortOpen(bool open, QString *error = nullptr) override;
    bool OpenInstead(const QString &name, const QString &settings, QString *error = nullptr) override;
    int InBufferCount() const override;
    void SetInBufferCount(int count) override;
    bool Output(const QByteArray &bytes) override;
    QByteArray Input() override;
    QByteArray WireFormOf(const QByteArray &frame) const override;
    QByteArray LastWireInput() const override { return lastWireIn_; }
    bool RepliesCarryCrc() const override { return mode_ != NetMode::ModbusTcp; }

    // The transaction id the next Modbus TCP request carries.
    std::uint16_t NextTransaction() const { return transaction_; }

private:
    // Connects socket to the address; on failure fills error with the
    // name, the reason and the system's text.
    bool connectTo(QTcpSocket *socket, const QString &name, const NetAddress &address, QString *error);
    void attach(QTcpSocket *socket);
    void closeSocket();
    // Drops the connection and whatever was half received, without a word.
    void abortSocket();
    void onReadyRead();
    void onLost();

    QTcpSocket *socket_;
    NetMode mode_ = NetMode::RtuOverTcp;
    bool closing_ = false;
    // True from a successful open until the connection is closed or lost.
    bool live_ = false;
    // Modbus TCP: the frames arriving, and the replies taken so far in RTU
    // form, waiting for the link to read them.
    mbap::Stream stream_;
    QByteArray rtu_;
    // The MBAP frames rtu_ came from, and those of the last Input().
    QByteArray rtuWire_;
    QByteArray lastWireIn_;
    std::uint16_t transaction_ = 1;
    // The transaction id and unit id the awaited reply must carry.
    std::optional<std::pair<std::uint16_t, std::uint8_t>> awaited_;
};
