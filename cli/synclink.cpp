#include "cli/synclink.h"

#include "link/crc.h"
#include "link/replylength.h"
#include "link/serialdevice.h"

#include <QElapsedTimer>

namespace cli {

bool IsReplyTo(const QByteArray &reply, std::uint8_t address, std::uint8_t function)
{
    if (reply.size() < 5 || static_cast<std::uint8_t>(reply.at(0)) != address)
        return false;
    const auto f = static_cast<std::uint8_t>(reply.at(1));
    if (f != function && f != (function | 0x80))
        return false;
    return modbus::ReplyLength(reply) == reply.size() && CheckFrameCrc(reply);
}

SyncLink::OpenResult SyncLink::Open(const PortSettings &settings, QString *error)
{
    // The same check as the program's port dialog: a path that is no serial
    // port is refused at once rather than waited on until the time-out.
    if (const QString why = NotASerialPort(settings.port); !why.isEmpty()) {
        *error = QStringLiteral("cannot use %1 as a serial port: %2").arg(settings.port, why);
        return OpenResult::Refused;
    }
    port_.setPortName(settings.port);
    timeoutMs_ = settings.timeoutMs;
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
    return OpenResult::Opened;
}

std::optional<QByteArray> SyncLink::Transact(const QByteArray &request)
{
    if (request.size() < 2)
        return std::nullopt;
    const auto address = static_cast<std::uint8_t>(request.at(0));
    const auto function = static_cast<std::uint8_t>(request.at(1));
    port_.clear(QSerialPort::Input); // a late reply to an earlier request is not this one's
    port_.write(request);
    QElapsedTimer clock;
    clock.start();
    while (port_.bytesToWrite() > 0 && clock.elapsed() < timeoutMs_)
        port_.waitForBytesWritten(int(timeoutMs_ - clock.elapsed()));
    QElapsedTimer wait;
    wait.start();

    QByteArray in;
    for (;;) {
        in += port_.readAll();
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
            const int need = modbus::ReplyLength(in);
            if (need > 0 && in.size() >= need && in.size() >= 3) {
                const QByteArray frame = in.left(need);
                if (IsReplyTo(frame, address, function)) {
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
        if (!port_.waitForReadyRead(int(left)) && port_.error() != QSerialPort::TimeoutError &&
            port_.error() != QSerialPort::NoError)
            break; // the port is gone
    }
    lastWaitMicros_ = wait.nsecsElapsed() / 1000;
    return std::nullopt;
}

} // namespace cli
