#include "cli/synclink.h"

#include "link/crc.h"
#include "link/mbap.h"
#include "link/replylength.h"
#include "link/serialdevice.h"
#include "link/modbusframes.h"

#include <QElapsedTimer>
#include <QTcpSocket>

namespace cli {

bool IsReplyTo(const QByteArray &reply, std::uint8_t address, std::uint8_t function,
               modbus::CalibrationLengths calibration)
{
    if (reply.size() < 5 || static_cast<std::uint8_t>(reply.at(0)) != address)
        return false;
    const auto f = static_cast<std::uint8_t>(reply.at(1));
    if (f != function && f != (function | 0x80))
        return false;
    return modbus::ReplyLength(reply, calibration) == reply.size() && CheckFrameCrc(reply);
}

SyncLink::SyncLink() = default;
SyncLink::~SyncLink() = default;

SyncLink::OpenResult SyncLink::openNetwork(const PortSettings &settings, QString *error)
{
    QString why;
    const auto address = ParseNetPort(settings.port, &why);
    if (!address) {
        *error = QStringLiteral("cannot use %1: %2").arg(settings.port, why);
        return OpenResult::Refused;
    }
    socket_ = std::make_unique<QTcpSocket>();
    socket_->connectToHost(address->host, address->port);
    if (!socket_->waitForConnected(settings.connectTimeoutMs)) {
        const QString reason = socket_->error() == QAbstractSocket::SocketTimeoutError
                                   ? QStringLiteral("no connection within %1 ms").arg(settings.connectTimeoutMs)
                                   : socket_->errorString();
        *error = QStringLiteral("cannot connect to %1: %2").arg(settings.port, reason);
        socket_.reset();
        return OpenResult::Failed;
    }
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket_->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    mbap_ = address->mode == NetMode::ModbusTcp;
    io_ = socket_.get();
    return OpenResult::Opened;
}

bool SyncLink::gone()
{
    if (!lost_.isEmpty())
        return true;
    if (socket_ && socket_->state() != QAbstractSocket::ConnectedState)
        lost_ = QStringLiteral("%1: the connection was closed (%2)").arg(name_, socket_->errorString());
    else if (!socket_ && (!port_.isOpen() || port_.error() == QSerialPort::ResourceError))
        lost_ = QStringLiteral("%1: the port is gone (%2)").arg(name_, port_.errorString());
    return !lost_.isEmpty();
}

void SyncLink::discardInput()
{
    if (!socket_) {
        port_.clear(QSerialPort::Input);
        return;
    }
    if (!mbap_) {
        socket_->readAll();
        return;
    }
    // Complete or not, nothing buffered answers the request about to go.
    socket_->readAll();
    stream_.Drop();
}

SyncLink::OpenResult SyncLink::Open(const PortSettings &settings, QString *error)
{
    name_ = settings.port;
    timeoutMs_ = settings.timeoutMs;
    if (IsNetPortName(settings.port))
        return openNetwork(settings, error);
    // The same check as the program's port dialog: a path that is no serial
    // port is refused at once rather than waited on until the time-out.
    if (const QString why = NotASerialPort(settings.port); !why.isEmpty()) {
        *error = QStringLiteral("cannot use %1 as a serial port: %2").arg(settings.port, why);
        return OpenResult::Refused;
    }
    port_.setPortName(settings.port);
    if (!port_.open(QIODevice::ReadWrite)) {
        *error = QStringLiteral("cannot open %1: %2").arg(settings.port, port_.errorString());
        return OpenResult::Failed;
    }
    if (!port_.setBaudRate(settings.baud) || !port_.setParity(settings.parity) ||
        !port_.setDataBits(settings.dataBits) || !port_.setStopBits(settings.stopBits) ||
        !port_.setFlowControl(QSerialPort::NoFlowControl)) {
        *error = QStringLiteral("cannot set up %1: %2").arg(settings.port, port_.errorString());
        port_.close();
        return OpenResult::Failed;
    }
    io_ = &port_;
    return OpenResult::Opened;
}

std::optional<QByteArray> SyncLink::Transact(const QByteArray &request)
{
    lastWaitMicros_ = 0;
    if (request.size() < 2 || !io_ || gone())
        return std::nullopt;
    const auto address = modbus::FrameAddress(request);
    const auto function = modbus::FrameFunction(request);
    discardInput(); // a late reply to an earlier request is not this one's
    const std::uint16_t transaction = ++transaction_;
    if (mbap_) {
        const auto frame = mbap::FromRtu(request, transaction);
        if (!frame)
            return std::nullopt;
        io_->write(*frame);
    } else {
        io_->write(request);
    }
    QElapsedTimer clock;
    clock.start();
    while (io_->bytesToWrite() > 0 && clock.elapsed() < timeoutMs_)
        io_->waitForBytesWritten(int(timeoutMs_ - clock.elapsed()));
    QElapsedTimer wait;
    wait.start();

    QByteArray in;
    for (;;) {
        if (mbap_) {
            // Only the answer of this transaction from the addressed unit
            // counts, in RTU form: the reply, or no good frame. The CRC put
            // on it proves nothing, so it must match its byte count exactly.
            stream_.Append(io_->readAll());
            while (const auto frame = stream_.Take())
                if (frame->transaction == transaction && frame->unit == address) {
                    const QByteArray reply = mbap::ToRtu(*frame);
                    lastWaitMicros_ = wait.nsecsElapsed() / 1000;
                    if (IsReplyTo(reply, address, function, calibration_))
                        return reply;
                    return std::nullopt;
                }
        } else {
            in += io_->readAll();
        }
        // Skip bytes until a frame of the addressed meter with the asked
        // function can start; then take it when its length is there.
        for (;;) {
            while (!in.isEmpty() && static_cast<std::uint8_t>(in.at(0)) != address)
                in.remove(0, 1);
            if (in.size() >= 2) {
                const auto f = static_cast<std::uint8_t>(in.at(1));
                if (f != function && f != (function | 0x80)) {
                    in.remove(0, 1);
                    continue;
                }
            }
            const int need = modbus::ReplyLength(in, calibration_);
            if (need > 0 && in.size() >= need && in.size() >= 3) {
                const QByteArray frame = in.left(need);
                if (IsReplyTo(frame, address, function, calibration_)) {
                    lastWaitMicros_ = wait.nsecsElapsed() / 1000;
                    return frame;
                }
                in.remove(0, 1); // a bad CRC: look for a frame further on
                continue;
            }
            break;
        }
        const qint64 left = timeoutMs_ - clock.elapsed();
        if (left <= 0)
            break;
        if (!io_->waitForReadyRead(int(left)) && (socket_ ? socket_->state() != QAbstractSocket::ConnectedState
                                                           : port_.error() != QSerialPort::TimeoutError &&
                                                                 port_.error() != QSerialPort::NoError)) {
            gone();
            break; // the port is gone
        }
    }
    lastWaitMicros_ = wait.nsecsElapsed() / 1000;
    return std::nullopt;
}

} // namespace cli
