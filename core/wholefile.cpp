#include "core/wholefile.h"

#include "core/tr.h"

#include <QFile>

bool WriteWholeFile(const QString &path, const QByteArray &data, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size() || !file.flush()) {
        if (error)
            *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "无法保存到 %1：%2")).arg(path, file.errorString());
        return false;
    }
    return true;
}
