#include "link/qtserialport.h"

#include "link/serialdevice.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <poll.h>
#endif

namespace {
QSerialPort::Parity toParity(char p)
{
    switch (p) {
    case 'o':
        return QSerialPort::OddParity;
    case 'e':
        return QSerialPort::EvenParity;
    default:
        return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits toStopBits(const QString &s)
{
    if (s == QLatin1String("2"))
        return QSerialPort::TwoStop;
    if (s == QLatin1String("1.5"))
        return QSerialPort::OneAndHalfStop;
    return QSerialPort::OneStop;
}
#ifdef Q_OS_UNIX
// True when the line of an open port has been hung up (its peer closed it):
// an end of file that carries no error of the system's own.
bool hungUp(qintptr handle)
{
    pollfd p{static_cast<int>(handle), POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP);
}
#endif

// The device a port name stands for: its system location with links
// resolved, so /dev/serial/by-id/... and the ttyUSB it points to are one.
QString deviceOf(const QString &name)
{
    const QString location = QSerialPortInfo(name).systemLocation();
    const QString path = location.isEmpty() ? name : location;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

} // namespace

QtSerialPortControl::QtSerialPortControl(QObject *parent)
    : SerialPortControl(parent), port_(new QSerialPort(this))
{
    attach(port_);
}

QtSerialPortControl::~QtSerialPortControl()
{
    closing_ = true;
    if (port_->isOpen())
        port_->close();
}

void QtSerialPortControl::attach(QSerialPort *port)
{
    connect(port, &QSerialPort::readyRead, this, &SerialPortControl::OnComm);
    connect(port, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { onError(static_cast<int>(e)); });
}

bool QtSerialPortControl::PortOpen() const
{
    return port_->isOpen();
}

void QtSerialPortControl::closePort()
{
    if (!port_->isOpen())
        return;
    closing_ = true;
    port_->close();
    closing_ = false;
    emit OpenChanged(false);
}

bool QtSerialPortControl::SetPortOpen(bool open, QString *error)
{
    if (!open) {
        closePort();
        return true;
    }
    if (port_->isOpen())
        return true;
    const auto line = checked(portName_, settings_, error);
    if (!line || !openOn(port_, portName_, *line, error))
        return false;
    emit OpenChanged(true);
    return true;
}

bool QtSerialPortControl::OpenInstead(const QString &name, const QString &settings, QString *error)
{
    // What can be refused without the device leaves the open port alone,
    // the same device included.
    const auto line = checked(name, settings, error);
    if (!line)
        return false;
    if (port_->isOpen() && deviceOf(name) == deviceOf(portName_)) {
        // QSerialPort locks the device it opens: a second open of it fails
        // as busy. Reopening it with other settings has to close it first.
        closePort();
    }
    const auto open = [&](QSerialPort *port) { return openOn(port, name, *line, error); };
    if (!port_->isOpen()) {
        if (!open(port_))
            return false;
    } else if (!OpenBeside(port_, open, [this] { closePort(); }, [this](QSerialPort *port) { attach(port); })) {
        return false;
    }
    portName_ = name;
    settings_ = settings;
    emit OpenChanged(true);
    return true;
}

std::optional<LineSettings> QtSerialPortControl::checked(const QString &name, const QString &settings,
                                                         QString *error) const
{
    auto fail = [&](const QString &why) -> std::optional<LineSettings> {
        if (error)
            *error = QCoreApplication::translate("kz", "无法打开串口 %1：%2").arg(name, why);
        return std::nullopt;
    };
    QString parseError;
    const auto line = ParseSettings(settings, &parseError);
    if (!line)
        return fail(parseError);
#ifndef Q_OS_WIN
    // Linux and macOS serial drivers have no 1.5 stop bits.
    if (line->stopBits == QLatin1String("1.5"))
        return fail(QStringLiteral(QT_TRANSLATE_NOOP("kz", "此系统的串口不支持 1.5 个停止位 (1.5 stop bits are not supported on this platform)")));
#endif
    if (const QString why = NotASerialPort(name); !why.isEmpty())
        return fail(why);
    return line;
}

bool QtSerialPortControl::openOn(QSerialPort *port, const QString &name, const LineSettings &line, QString *error)
{
    // Configure before opening: some drivers (pseudo-terminals among them)
    // refuse setters on an open port.
    port->setPortName(name);
    port->setBaudRate(line.baud);
    port->setParity(toParity(line.parity));
    port->setDataBits(static_cast<QSerialPort::DataBits>(line.dataBits));
    port->setStopBits(toStopBits(line.stopBits));
    port->setFlowControl(QSerialPort::NoFlowControl);
    port->clearError();
    if (!port->open(QIODevice::ReadWrite)) {
        const QString why = port->errorString();
        QString cn;
        switch (port->error()) {
        case QSerialPort::DeviceNotFoundError:
            cn = QStringLiteral(QT_TRANSLATE_NOOP("kz", "找不到该串口"));
            break;
        case QSerialPort::PermissionError:
            cn = QStringLiteral(QT_TRANSLATE_NOOP("kz", "串口被占用或没有访问权限"));
            break;
        case QSerialPort::UnsupportedOperationError:
            cn = QStringLiteral(QT_TRANSLATE_NOOP("kz", "串口不支持所选参数"));
            break;
        default:
            cn = QStringLiteral(QT_TRANSLATE_NOOP("kz", "串口打开失败"));
            break;
        }
        port->clearError();
        if (error)
            *error = QCoreApplication::translate("kz", "无法打开串口 %1：%2 (%3)").arg(name, cn, why);
        return false;
    }
    port->clear(QSerialPort::AllDirections);
    return true;
}

int QtSerialPortControl::InBufferCount() const
{
    if (!port_->isOpen())
        return 0;
    const qint64 n = port_->bytesAvailable();
    return n > 32767 ? 32767 : static_cast<int>(n);
}

void QtSerialPortControl::SetInBufferCount(int count)
{
    if (count == 0 && port_->isOpen()) {
        port_->clear(QSerialPort::Input);
        port_->readAll();
    }
}

bool QtSerialPortControl::Output(const QByteArray &bytes)
{
    if (!port_->isOpen())
        return false;
    return port_->write(bytes) == bytes.size();
}

QByteArray QtSerialPortControl::Input()
{
    if (!port_->isOpen())
        return {};
    // readAll() reads into a block of the port's read chunk size (64 KiB)
    // and hands it back with that capacity however few bytes came. The link
    // keeps every reply in its frame log, so each would hold a whole block:
    // give the bytes an array of their own size.
    QByteArray bytes = port_->readAll();
    bytes.squeeze();
    return bytes;
}

QString PortLossReason(QSerialPort::SerialPortError error, const QString &errorString, bool hungUp)
{
    if (error != QSerialPort::ResourceError || hungUp)
        return {};
#ifdef Q_OS_UNIX
    // QSerialPort counts EAGAIN as a resource error: after a read that
    // returned nothing it is what an earlier non-blocking call left in errno.
    for (const int transient : {EAGAIN, EWOULDBLOCK})
        if (errorString == qt_error_string(transient))
            return {};
#endif
    return errorString;
}

void QtSerialPortControl::onError(int error)
{
    const auto e = static_cast<QSerialPort::SerialPortError>(error);
    if (closing_ || e == QSerialPort::NoError)
        return;
    if (e != QSerialPort::ReadError && e != QSerialPort::ResourceError && e != QSerialPort::WriteError)
        return;
    // A device that went away makes QSerialPort report ReadError in a tight
    // loop without closing: close at the first report and say so once, with
    // the system's reason only when it gave one for this event.
    bool hangUp = false;
#ifdef Q_OS_UNIX
    hangUp = port_->isOpen() && hungUp(port_->handle());
#endif
    const QString why = PortLossReason(e, port_->errorString(), hangUp);
    closing_ = true;
    port_->clearError();
    if (port_->isOpen())
        port_->close();
    closing_ = false;
    emit OpenChanged(false);
    QString message = QCoreApplication::translate("kz", "串口 %1 已断开，已关闭该串口。请检查连接后重新打开。").arg(portName_);
    if (!why.isEmpty())
        message += QStringLiteral("(%1)").arg(why);
    emit PortLost(message);
}
