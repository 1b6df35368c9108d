#pragma once
// Puts a simulated bus behind a TCP server, as a serial-to-Ethernet gateway
// does with its RS-485 bus: either passing RTU frames unchanged ("RTU over
// TCP") or as a Modbus TCP gateway (MBAP framing; the reply carries the
// request's transaction id and the answering meter's address as unit id).
//
// One client is served at a time; others wait in the queue and are served
// one after another as each leaves. A client that goes away mid-request
// just ends its session: late reply pieces for it are not written.
// RTU requests are cut from the stream as on the pseudo-terminal (by their
// length rules, a frame of unknown length by a pause); Modbus TCP requests
// by their MBAP length, and a stream that is no MBAP is closed.
// Fault rules act as on the pseudo-terminal; in Modbus TCP the faulty RTU
// reply is forwarded as a gateway would: one with a bad CRC is not
// forwarded, trailing garbage is left off, and the pieces of a split
// reply keep their sizes and gaps. hangup closes the connection half-way
// through the reply, mute leaves the client unanswered until it reconnects.
#include "sim/bus.h"
#include "sim/pendingreply.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

#include <memory>

class QTcpSocket;

namespace sim {

class TcpSimulator : public QObject {
    Q_OBJECT
public:
    enum class Framing { Rtu, Mbap };

    explicit TcpSimulator(Framing framing, QObject *parent = nullptr);
    ~TcpSimulator() override;

    Bus &bus() { return bus_; }
    Framing framing() const { return framing_; }

    // Listens on address and port (0: any free port). On failure fills
    // error with the system's reason.
    bool Listen(const QHostAddress &address, quint16 port, QString *error = nullptr);
    quint16 Port() const { return server_.serverPort(); }
    QHostAddress Address() const { return server_.serverAddress(); }

    void SetSilenceMs(int ms) { silence_.setInterval(ms); }
    int RequestsSeen() const { return requests_; }
    // Clients taken so far (the one being served included).
    int ClientsTaken() const { return clients_; }
    bool Serving() const { return !client_.isNull(); }

signals:
    // One request (in RTU form) and the reply bytes written for it, as on
    // the wire (MBAP in Modbus TCP); empty when nothing was sent.
    void Served(const QByteArray &request, const QByteArray &reply, qint64 micros);
    // A client has gone (it closed, or a fault closed it).
    void ClientGone();

private:
    void TakeNext();
    void OnReadable();
    void OnGone();
    void OnSilence();
    void TakeRtuFrames();
    void TakeMbapFrames();
    void Serve(const QByteArray &rtu, int transaction);
    void SendNext(const std::shared_ptr<PendingReply> &pending);
    void EndSession();

    Framing framing_;
    Bus bus_;
    QTcpServer server_;
    QPointer<QTcpSocket> client_;
    QByteArray in_;
    QTimer silence_;
    QElapsedTimer lastArrival_;
    bool muted_ = false;
    int session_ = 0; // counts clients; replies are for their own session only
    int requests_ = 0;
    int clients_ = 0;
};

// The Modbus TCP pieces of a faulty RTU transmission as a gateway forwards
// them, for the transaction: empty when nothing is forwarded.
Transmission GatewayPieces(const Transmission &rtu, std::uint16_t transaction);

} // namespace sim
