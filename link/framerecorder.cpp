#include "link/framerecorder.h"

#include "link/seriallink.h"

#include <QCoreApplication>
#include <QDateTime>

TraceFile::TraceFile(QObject *parent) : QObject(parent) {}

bool TraceFile::Open(const QString &path, SerialLink &link, QString *error)
{
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text | QIODevice::Unbuffered)) {
        if (error)
            *error = QCoreApplication::translate("kz", "无法打开跟踪文件 %1：%2").arg(path, file_.errorString());
        return false;
    }
    const QString start = QStringLiteral("# kzdebug trace started %1\n")
                              .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs));
    file_.write(start.toUtf8());
    connect(&link, &SerialLink::Recorded, this, &TraceFile::Write);
    return true;
}

void TraceFile::Write(const FrameRecord &record)
{
    if (!file_.isOpen())
        return;
    const QByteArray line = (FormatRecord(record) + QLatin1Char('\n')).toUtf8();
    // Unbuffered: each line goes to the system as it is written.
    if (file_.write(line) != line.size() || !file_.flush()) {
        const QString message = QCoreApplication::translate("kz", "写跟踪文件 %1 出错（%2），跟踪已停止。").arg(file_.fileName(), file_.errorString());
        file_.close();
        emit Failed(message);
    }
}
