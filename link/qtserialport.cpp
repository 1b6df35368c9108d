#include "link/qtserialport.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
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
// Why a device path cannot be a serial port, before trying to open it as
// one: a regular file, a directory, /dev/null and the pseudo-terminal
// multiplexer would otherwise "open" (or fail with a misleading reason).
// Empty when the path may be a serial port, or when opening it will report
// its own reason (a missing device, no permission).
QString notASerialPort(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return errno == ENAMETOOLONG ? QStringLiteral("串口名称过长") : QString();
    const QString notSerial = QStringLiteral("不是串口设备");
    if (!S_ISCHR(st.st_mode))
        return notSerial;
    // Opening the multiplexer makes a new pseudo-terminal with no peer.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical == QLatin1String("/dev/ptmx") || canonical == QLatin1String("/dev/pts/ptmx"))
        return notSerial;
    const int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return QString();
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal ? QString() : notSerial;
}

// True when the line of an open port has been hung up (its peer closed it):
// an end of file that carries no error of the system's own.
bool hungUp(qintptr handle)
{
    pollfd p{static_cast<int>(handle), POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP);
}
#endif

} // namespace

QtSerialPortControl::QtSerialPortControl(QObject *parent)
    : SerialPortControl(parent), port_(new QSerialPort(this))
{
    connect(port_, &QSerialPort::readyRead, this, &SerialPortControl::OnComm);
    connect(port_, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { onError(static_cast<int>(e)); });
}

QtSerialPortControl::~QtSerialPortControl()
{
    closing_ = true;
    if (port_->isOpen())
        port_->close();
}

bool QtSerialPortControl::PortOpen() const
{
    return port_->isOpen();
}

bool QtSerialPortControl::SetPortOpen(bool open, QString *error)
{
    if (!open) {
        if (port_->isOpen()) {
            closing_ = true;
            port_->close();
            closing_ = false;
            emit OpenChanged(false);
        }
        return true;
    }
    if (port_->isOpen())
        return true;

    auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("无法打开串口 %1：%2").arg(portName_, why);
        return false;
    };
    QString parseError;
    const auto settings = ParseSettings(settings_, &parseError);
    if (!settings)
        return fail(parseError);
#ifndef Q_OS_WIN
    // Linux and macOS serial drivers have no 1.5 stop bits.
    if (settings->stopBits == QLatin1String("1.5"))
        return fail(QStringLiteral("此系统的串口不支持 1.5 个停止位 (1.5 stop bits are not supported on this platform)"));
#endif
#ifdef Q_OS_UNIX
    const QString location = QSerialPortInfo(portName_).systemLocation();
    if (const QString why = notASerialPort(location.isEmpty() ? portName_ : location); !why.isEmpty())
        return fail(why);
#endif
    // Configure before opening: some drivers (pseudo-terminals among them)
    // refuse setters on an open port.
    port_->setPortName(portName_);
    port_->setBaudRate(settings->baud);
    port_->setParity(toParity(settings->parity));
    port_->setDataBits(static_cast<QSerialPort::DataBits>(settings->dataBits));
    port_->setStopBits(toStopBits(settings->stopBits));
    port_->setFlowControl(QSerialPort::NoFlowControl);
    port_->clearError();
    if (!port_->open(QIODevice::ReadWrite)) {
        const QString why = port_->errorString();
        QString cn;
        switch (port_->error()) {
        case QSerialPort::DeviceNotFoundError:
            cn = QStringLiteral("找不到该串口");
            break;
        case QSerialPort::PermissionError:
            cn = QStringLiteral("串口被占用或没有访问权限");
            break;
        case QSerialPort::UnsupportedOperationError:
            cn = QStringLiteral("串口不支持所选参数");
            break;
        default:
            cn = QStringLiteral("串口打开失败");
            break;
        }
        port_->clearError();
        return fail(QStringLiteral("%1 (%2)").arg(cn, why));
    }
    port_->clear(QSerialPort::AllDirections);
    emit OpenChanged(true);
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

void QtSerialPortControl::onError(int error)
{
    const auto e = static_cast<QSerialPort::SerialPortError>(error);
    if (closing_ || e == QSerialPort::NoError)
        return;
    if (e != QSerialPort::ReadError && e != QSerialPort::ResourceError && e != QSerialPort::WriteError)
        return;
    // A device that went away makes QSerialPort report ReadError in a tight
    // loop without closing: close at the first report and say so once. A
    // hang-up is an end of file: the system said nothing about it, and the
    // error text would be left over from an earlier call.
    QString why = port_->errorString();
#ifdef Q_OS_UNIX
    if (e == QSerialPort::ReadError && port_->isOpen() && hungUp(port_->handle()))
        why.clear();
#endif
    closing_ = true;
    port_->clearError();
    if (port_->isOpen())
        port_->close();
    closing_ = false;
    emit OpenChanged(false);
    QString message = QStringLiteral("串口 %1 已断开，已关闭该串口。请检查连接后重新打开。").arg(portName_);
    if (!why.isEmpty())
        message += QStringLiteral("(%1)").arg(why);
    emit PortLost(message);
}
