#include "tests/support/fakeport.h"

#include <QTimer>

bool FakePortControl::SetPortOpen(bool open, QString *error)
{
    if (open && !failOpenWith.isEmpty()) {
        if (error)
            *error = failOpenWith;
        return false;
    }
    if (open_ != open) {
        open_ = open;
        if (!open)
            input_.clear();
        emit OpenChanged(open);
    }
    return true;
}

bool FakePortControl::OpenInstead(const QString &name, const QString &settings, QString *error)
{
    if (open_ && name == portName_)
        SetPortOpen(false);
    if (!failOpenWith.isEmpty()) {
        if (error)
            *error = failOpenWith;
        return false;
    }
    SetPortOpen(false); // the port in use, once the new one opens
    portName_ = name;
    settings_ = settings;
    return SetPortOpen(true, error);
}

void FakePortControl::SetInBufferCount(int count)
{
    if (count == 0)
        input_.clear();
}

bool FakePortControl::Output(const QByteArray &bytes)
{
    if (!open_)
        return false;
    written.append(bytes);
    if (responder) {
        QTimer::singleShot(0, this, [this, bytes] {
            if (responder)
                responder(bytes);
        });
    }
    return true;
}

QByteArray FakePortControl::Input()
{
    return std::exchange(input_, {});
}

void FakePortControl::Feed(const QByteArray &bytes)
{
    if (!open_)
        return;
    input_.append(bytes);
    QTimer::singleShot(0, this, [this] { emit OnComm(); });
}

void FakePortControl::FeedLater(const QByteArray &bytes, int delayMs)
{
    QTimer::singleShot(delayMs, this, [this, bytes] { Feed(bytes); });
}

void FakePortControl::Lose(const QString &message)
{
    if (!open_)
        return;
    open_ = false;
    input_.clear();
    emit OpenChanged(false);
    emit PortLost(message);
}
