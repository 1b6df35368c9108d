#include "tests/support/testutil.h"
#include "ui/replyrouter.h"

#include "link/crc.h"
#include "link/seriallink.h"

#include <QCoreApplication>
#include <QFile>
#include <QDeadlineTimer>
#include <QThread>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

ScopedEnglish::ScopedEnglish()
{
    if (translator_.load(QStringLiteral(":/i18n/kzdebug_en.qm")))
        QCoreApplication::installTranslator(&translator_);
}

ScopedEnglish::~ScopedEnglish() { QCoreApplication::removeTranslator(&translator_); }

bool UnderWine()
{
#ifdef Q_OS_WIN
    // Wine's ntdll exports its version; Windows' does not.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QString ToHex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QByteArray WithCrc(const QByteArray &frame)
{
    QByteArray f = frame;
    AppendCrc(f);
    return f;
}

bool WaitFor(const std::function<bool()> &pred, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void Pump(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

QString WriteShellScript(const QString &path, const QString &body)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(("#!/bin/sh\n" + body + "\n").toUtf8());
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

void TakeOverByAnother(SerialLink &link, Family family)
{
    static const char other = 0;
    ReplyRouter::Of(link).TakeOver(family, &other, QStringLiteral("另一窗口"));
}
