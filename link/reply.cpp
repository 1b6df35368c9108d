#include "link/reply.h"

#include <utility>

namespace modbus {

Reply::Reply(QByteArray request, QObject *parent) : QObject(parent)
{
    exchange_.request = std::move(request);
}

void Reply::Finish(Error error, const QByteArray &reply)
{
    if (finished_)
        return;
    finished_ = true;
    error_ = error;
    exchange_.reply = reply;
    emit finished();
    deleteLater();
}

} // namespace modbus
