#include "link/serialdevice.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

QString NotASerialPort(const QString &portName)
{
#ifdef Q_OS_UNIX
    const QString location = QSerialPortInfo(portName).systemLocation();
    const QString path = location.isEmpty() ? portName : location;
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return errno == ENAMETOOLONG ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "串口名称过长")) : QString();
    const QString notSerial = QStringLiteral(QT_TRANSLATE_NOOP("kz", "不是串口设备"));
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
#else
    Q_UNUSED(portName);
    return QString();
#endif
}
