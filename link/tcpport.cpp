#include "link/tcpport.h"

#include "link/framerecord.h"
#include "link/mbap.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>
#include <utility>

QString SocketErrorText(QAbstractSocket::SocketError error)
{
    static const std::pair<QAbstractSocket::SocketError, const char *> kTexts[] = {
        {QAbstractSocket::ConnectionRefusedError, QT_TRANSLATE_NOOP("kz", "连接被拒绝")}, {QAbstractSocket::RemoteHostClosedError, QT_TRANSLATE_NOOP("kz", "对方关闭了连接")},
        {QAbstractSocket::HostNotFoundError, QT_TRANSLATE_NOOP("kz", "找不到主机")},      {QAbstractSocket::SocketTimeoutError, QT_TRANSLATE_NOOP("kz", "连接超时")},
        {QAbstractSocket::NetworkError, QT_TRANSLATE_NOOP("kz", "网络错误")},             {QAbstractSocket::SocketAccessError, QT_TRANSLATE_NOOP("kz", "没有访问权限")},
    };
    for (const auto &[code, text] : kTexts)
        if (code == error)
            return QCoreApplication::translate("kz", text);
    return QCoreApplication::translate("kz", QT_TRANSLATE_NOOP("kz", "网络连接失败"));
}

TcpPortControl::TcpPortControl(QObject *parent) : SerialPortControl(parent), socket_(new QTcpSocket(this))
{
    attach(socket_);
}

TcpPortControl::~TcpPortControl()
{
    closing_ = true;
    socket_->abort();
}

void TcpPortControl::attach(QTcpSocket *socket)
{
    connect(socket, &QTcpSocket::readyRead, this, &TcpPortControl::onReadyRead);
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        // A time-out is what a waitFor call reports, not a failure of the link.
        if (e != QAbstractSocket::SocketTimeoutError)
            onLost();
    });
    connect(socket, &QTcpSocket::disconnected, this, &TcpPortControl::onLost);
}

bool TcpPortControl::PortOpen() const
{
    return live_;
}

void TcpPortControl::closeSocket()
{
    const bool wasOpen = std::exchange(live_, false);
    abortSocket();
    if (wasOpen)
        emit OpenChanged(false);
}

void TcpPortControl::abortSocket()
{
    closing_ = true;
    socket_->abort();
    closing_ = false;
    stream_.Drop();
    rtu_.clear();
    rtuWire_.clear();
    awaited_.reset();
}

bool TcpPortControl::connectTo(QTcpSocket *socket, const QString &name, const NetAddress &address, QString *error)
{
    // The look-up and the connection run while the event loop goes on
    // (windows repaint, the port in use keeps serving its polls); what the
    // user types or clicks meanwhile waits until the outcome is known.
    QEventLoop wait;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool timedOut = false;
    connect(&deadline, &QTimer::timeout, &wait, [&] {
        timedOut = true;
        wait.quit();
    });
    connect(socket, &QTcpSocket::connected, &wait, &QEventLoop::quit);
    connect(socket, &QTcpSocket::errorOccurred, &wait, &QEventLoop::quit);
    socket->connectToHost(address.host, address.port);
    if (socket->state() != QAbstractSocket::ConnectedState && socket->state() != QAbstractSocket::UnconnectedState) {
        deadline.start(ConnectTimeoutMs);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    disconnect(socket, nullptr, &wait, nullptr);
    if (socket->state() == QAbstractSocket::ConnectedState) {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
        return true;
    }
    const QAbstractSocket::SocketError e = timedOut ? QAbstractSocket::SocketTimeoutError : socket->error();
    const QString why = timedOut ? QCoreApplication::translate("kz", "%1 ms 内未连上").arg(ConnectTimeoutMs) : socket->errorString();
    socket->abort();
    if (error)
        *error = QCoreApplication::translate("kz", "无法连接 %1：%2 (%3)").arg(name, SocketErrorText(e), why);
    return false;
}

bool TcpPortControl::SetPortOpen(bool open, QString *error)
{
    if (!open) {
        closeSocket();
        return true;
    }
    if (PortOpen())
        return true;
    QString why;
    const auto address = ParseNetPort(portName_, &why);
    if (!address) {
        if (error)
            *error = QCoreApplication::translate("kz", "无法连接 %1：%2").arg(portName_, why);
        return false;
    }
    socket_->abort();
    closing_ = true; // a failed attempt is reported by the return value only
    const bool ok = connectTo(socket_, portName_, *address, error);
    closing_ = false;
    if (!ok)
        return false;
    mode_ = address->mode;
    live_ = true;
    emit OpenChanged(true);
    return true;
}

bool TcpPortControl::OpenInstead(const QString &name, const QString &settings, QString *error)
{
    QString why;
    const auto address = ParseNetPort(name, &why);
    if (!address) {
        if (error)
            *error = QCoreApplication::translate("kz", "无法连接 %1：%2").arg(name, why);
        return false;
    }
    // Many gateways take one client at a time: the gateway in use (in either
    // mode) is let go before it is connected to again. Another gateway is
    // connected beside the one in use, which is closed once the new one is
    // up, so a choice that fails leaves the bus working.
    const auto current = ParseNetPort(portName_);
    if (live_ && current && current->host == address->host && current->port == address->port)
        closeSocket();
    if (!OpenBeside(socket_, [&](QTcpSocket *socket) { return connectTo(socket, name, *address, error); },
                    [this] { closeSocket(); }, [this](QTcpSocket *socket) { attach(socket); }))
        return false;
    portName_ = name;
    settings_ = settings;
    mode_ = address->mode;
    live_ = true;
    emit OpenChanged(true);
    return true;
}

int TcpPortControl::InBufferCount() const
{
    if (!PortOpen())
        return 0;
    const qint64 n = mode_ == NetMode::ModbusTcp ? rtu_.size() : socket_->bytesAvailable();
    return n > 32767 ? 32767 : static_cast<int>(n);
}

void TcpPortControl::SetInBufferCount(int count)
{
    if (count != 0 || !PortOpen())
        return;
    rtu_.clear();
    rtuWire_.clear();
    if (mode_ == NetMode::RtuOverTcp)
        socket_->readAll();
}

bool TcpPortControl::Output(const QByteArray &bytes)
{
    if (!PortOpen() || socket_->state() != QAbstractSocket::ConnectedState)
        return false;
    if (mode_ == NetMode::RtuOverTcp)
        return socket_->write(bytes) == bytes.size();
    const std::uint16_t id = transaction_++;
    const auto frame = mbap::FromRtu(bytes, id);
    if (!frame)
        return false;
    // What is still buffered, complete or not, answers no request now.
    stream_.Append(socket_->readAll());
    if (const QByteArray dropped = stream_.Drop(); !dropped.isEmpty())
        qCDebug(lcLink).noquote() << "Modbus TCP bytes left before a request dropped:" << dropped.toHex(' ');
    // A reply to an earlier transaction still on its way is not this one's.
    awaited_ = {id, static_cast<std::uint8_t>(bytes.at(0))};
    return socket_->write(*frame) == frame->size();
}

QByteArray TcpPortControl::WireFormOf(const QByteArray &frame) const
{
    if (mode_ != NetMode::ModbusTcp)
        return {};
    return mbap::FromRtu(frame, transaction_).value_or(QByteArray());
}

QByteArray TcpPortControl::Input()
{
    lastWireIn_.clear();
    if (!PortOpen())
        return {};
    if (mode_ == NetMode::ModbusTcp) {
        lastWireIn_ = std::exchange(rtuWire_, {});
        return std::exchange(rtu_, {});
    }
    QByteArray bytes = socket_->readAll();
    bytes.squeeze();
    return bytes;
}

void TcpPortControl::onReadyRead()
{
    if (mode_ == NetMode::RtuOverTcp) {
        emit OnComm();
        return;
    }
    stream_.Append(socket_->readAll());
    bool arrived = false;
    QByteArray junk;
    while (const auto frame = stream_.Take(&junk)) {
        if (awaited_ && frame->transaction == awaited_->first && frame->unit == awaited_->second) {
            awaited_.reset();
            rtu_ += mbap::ToRtu(*frame);
            rtuWire_ += mbap::Encode(*frame);
            arrived = true;
        } else {
            qCDebug(lcLink).noquote() << "Modbus TCP reply of no awaited transaction dropped:"
                                      << mbap::Encode(*frame).toHex(' ');
        }
    }
    if (!junk.isEmpty()) {
        // No MBAP frame: the bytes go up as they came, so that the record
        // shows them dropped and the awaited request ends at once.
        rtuWire_ += junk;
        rtu_ += junk;
        arrived = true;
    }
    if (arrived)
        emit OnComm();
}

void TcpPortControl::onLost()
{
    // The error and the disconnection that follows it are one loss.
    if (closing_ || !live_)
        return;
    live_ = false;
    const QString why = socket_->error() == QAbstractSocket::UnknownSocketError
                            ? SocketErrorText(QAbstractSocket::RemoteHostClosedError)
                            : QStringLiteral("%1, %2").arg(SocketErrorText(socket_->error()), socket_->errorString());
    abortSocket();
    emit OpenChanged(false);
    emit PortLost(QCoreApplication::translate("kz", "网络连接 %1 已断开，已关闭该连接。请检查网关后重新打开。(%2)").arg(portName_, why));
}
