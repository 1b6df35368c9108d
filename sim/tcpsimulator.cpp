#include "sim/tcpsimulator.h"

#include "link/crc.h"
#include "link/mbap.h"
#include "sim/modbus.h"

#include <QTcpSocket>

namespace sim {

Transmission GatewayPieces(const Transmission &rtu, std::uint16_t transaction)
{
    if (rtu.isEmpty() || rtu.last().end == Chunk::End::Mute)
        return rtu;
    QByteArray bytes;
    for (const Chunk &c : rtu)
        bytes += c.bytes;
    // The gateway takes the frame with a good CRC off its line and forwards
    // it; a line with none gets nothing forwarded. The longest such frame
    // is the reply: a shorter prefix whose last two bytes happen to be its
    // CRC (one in 65536 for each length) would cut a clean reply short.
    int length = 0;
    for (auto n = bytes.size(); n >= 4 && length == 0; --n)
        if (CheckFrameCrc(bytes.left(n)))
            length = int(n);
    if (length == 0)
        return {};
    const auto frame = mbap::FromRtu(bytes.left(length), transaction);
    if (!frame)
        return {};
    Transmission out;
    qsizetype pos = 0;
    for (qsizetype i = 0; i < rtu.size(); ++i) {
        const bool last = i + 1 == rtu.size();
        const qsizetype size = last ? frame->size() - pos : std::min(rtu[i].bytes.size(), frame->size() - pos);
        out.append(Chunk{rtu[i].delayMs, frame->mid(pos, size), rtu[i].end});
        pos += size;
    }
    return out;
}

TcpSimulator::TcpSimulator(Framing framing, QObject *parent) : QObject(parent), framing_(framing)
{
    silence_.setSingleShot(true);
    silence_.setInterval(50);
    connect(&silence_, &QTimer::timeout, this, &TcpSimulator::OnSilence);
    connect(&server_, &QTcpServer::pendingConnectionAvailable, this, &TcpSimulator::TakeNext);
}

TcpSimulator::~TcpSimulator()
{
    if (client_)
        client_->abort();
}

bool TcpSimulator::Listen(const QHostAddress &address, quint16 port, QString *error)
{
    if (server_.listen(address, port))
        return true;
    if (error)
        *error = server_.errorString();
    return false;
}

void TcpSimulator::TakeNext()
{
    if (client_ || !server_.hasPendingConnections())
        return;
    client_ = server_.nextPendingConnection();
    ++clients_;
    ++session_;
    muted_ = false;
    in_.clear();
    client_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(client_, &QTcpSocket::readyRead, this, &TcpSimulator::OnReadable);
    connect(client_, &QTcpSocket::disconnected, this, &TcpSimulator::OnGone);
    // Bytes may have come with the connection.
    if (client_->bytesAvailable() > 0)
        OnReadable();
}

void TcpSimulator::OnGone()
{
    if (!client_)
        return;
    QTcpSocket *gone = client_;
    client_.clear();
    silence_.stop();
    in_.clear();
    ++session_;
    disconnect(gone, nullptr, this, nullptr);
    gone->deleteLater();
    emit ClientGone();
    // The next client in the queue, on the next turn (the loss may be
    // reported from inside the socket's own signal).
    QTimer::singleShot(0, this, &TcpSimulator::TakeNext);
}

void TcpSimulator::EndSession()
{
    if (!client_)
        return;
    client_->flush();
    client_->disconnectFromHost();
    if (client_ && client_->state() == QAbstractSocket::UnconnectedState)
        OnGone();
}

void TcpSimulator::OnReadable()
{
    if (!client_)
        return;
    in_ += client_->readAll();
    lastArrival_.start();
    if (muted_) {
        in_.clear();
        return;
    }
    if (framing_ == Framing::Mbap)
        TakeMbapFrames();
    else
        TakeRtuFrames();
}

void TcpSimulator::TakeRtuFrames()
{
    while (const auto frame = TakeRequest(in_))
        Serve(*frame, -1);
    if (in_.isEmpty())
        silence_.stop();
    else
        silence_.start();
}

void TcpSimulator::OnSilence()
{
    const QByteArray frame = std::exchange(in_, {});
    if (!frame.isEmpty() && framing_ == Framing::Rtu)
        Serve(frame, -1);
}

void TcpSimulator::TakeMbapFrames()
{
    const int session = session_;
    while (session == session_ && !muted_) {
        bool malformed = false;
        const auto frame = mbap::Take(in_, &malformed);
        if (malformed) {
            // A gateway cannot follow a stream that is no MBAP: it closes it.
            EndSession();
            return;
        }
        if (!frame)
            return;
        Serve(mbap::ToRtu(*frame), frame->transaction);
    }
}

void TcpSimulator::Serve(const QByteArray &rtu, int transaction)
{
    ++requests_;
    Transmission pieces = bus_.Respond(rtu);
    if (transaction >= 0)
        pieces = GatewayPieces(pieces, static_cast<std::uint16_t>(transaction));
    auto pending = std::make_shared<PendingReply>(rtu, pieces, lastArrival_, session_);
    if (pending->Mute()) {
        muted_ = true;
        in_.clear();
    }
    if (pending->pieces.isEmpty()) {
        emit Served(rtu, QByteArray(), -1);
        return;
    }
    SendNext(pending);
}

void TcpSimulator::SendNext(const std::shared_ptr<PendingReply> &pending)
{
    auto writeIt = [this, pending] {
        if (pending->session != session_ || !client_)
            return; // the client it was meant for has gone
        const bool hangUp = pending->WriteNext([this](const QByteArray &bytes) {
            client_->write(bytes);
            client_->flush();
        });
        if (!hangUp && !pending->Done()) {
            SendNext(pending);
            return;
        }
        emit Served(pending->request, pending->written, pending->firstMicros);
        if (hangUp)
            EndSession();
    };
    const int delay = pending->NextDelayMs();
    if (delay <= 0)
        writeIt();
    else
        QTimer::singleShot(delay, this, writeIt);
}

} // namespace sim
