#include "link/serialdevice.h"

#include <QDir>
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
    // Windows opens a file or a folder named as the port and only fails when
    // setting the line up, with no reason ("No error"). A COM name (COM3,
    // \\.\COM3) is left to the open, which says why it fails.
    const QString name = QDir::fromNativeSeparators(portName);
    if (name.startsWith(QLatin1String("//./")) || !name.contains(QLatin1Char('/')))
        return QString();
    return QFileInfo::exists(name) ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "不是串口设备")) : QString();
#endif
}
