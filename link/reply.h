#pragma once
// The handle of one request sent through the link: it finishes once, with
// the exchange (the request together with its reply) or with the reason
// there is none. The link owns it and deletes it after finished() has been
// handled; keep a QPointer to hold on to it across event-loop turns.
#include "link/modbusframes.h"

#include <QObject>
#include <QString>

namespace modbus {

class Reply : public QObject {
    Q_OBJECT
public:
    enum class Error {
        None,
        NotSent,  // no port open: nothing was written
        NoAnswer, // nothing usable came before the time-out, or another request went out first
        BadFrame, // a reply came, but too short, with a bad CRC or of an unknown function
        Exception,// the meter answered with a Modbus exception reply
        NotTaken, // the requester no longer takes replies (closed, or its family taken over)
        PortLost, // the port closed while the request waited
    };

    explicit Reply(QByteArray request, QObject *parent = nullptr);

    const QByteArray &Request() const { return exchange_.request; }
    // The request with its reply (the reply is empty unless Error::None or
    // Error::Exception).
    const Exchange &Result() const { return exchange_; }
    Error Failure() const { return error_; }
    bool Ok() const { return finished_ && error_ == Error::None; }
    bool IsFinished() const { return finished_; }

    // The link's side: ends the request, once; later calls do nothing.
    void Finish(Error error, const QByteArray &reply = {});

signals:
    void finished();

private:
    Exchange exchange_;
    Error error_ = Error::None;
    bool finished_ = false;
};

} // namespace modbus
