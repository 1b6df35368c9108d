#include "core/wholefile.h"

#include "core/tr.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Writes on after a short write, so that what stopped it is the reason
// told ("File too large", "No space left on device").
bool WriteAll(QFileDevice &file, const QByteArray &data)
{
    qint64 done = 0;
    while (done < data.size()) {
        const qint64 n = file.write(data.constData() + done, data.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

bool ReplaceWholeFile(const QString &path, const QByteArray &data, QString *reason)
{
    // A device or a pipe there (/dev/null, /dev/stdout) holds nothing to
    // keep and must stay what it is: renaming a file over it would replace
    // the device itself where the folder lets us. It is written straight.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !WriteAll(file, data) || !file.flush()) {
            *reason = file.errorString();
            return false;
        }
        return true;
    }
    // Unbuffered: a buffered flush that writes only part (a full disk, a
    // size limit) is not reported, and the shortened file would be kept.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !WriteAll(file, data) || !file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

bool WriteWholeFile(const QString &path, const QByteArray &data, QString *error)
{
    QString reason;
    if (!ReplaceWholeFile(path, data, &reason)) {
        if (error)
            *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "无法保存到 %1：%2")).arg(path, reason);
        return false;
    }
    return true;
}
