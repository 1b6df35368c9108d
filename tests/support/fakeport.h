#pragma once
#include "link/serialport.h"

#include <QList>
#include <functional>

// A scripted stand-in for the serial port, for tests and the fuzz targets.
// Written frames are recorded; replies are fed in later event-loop turns,
// never inside the call that sent the request.
class FakePortControl : public SerialPortControl {
    Q_OBJECT
public:
    using SerialPortControl::SerialPortControl;

    bool PortOpen() const override { return open_; }
    bool SetPortOpen(bool open, QString *error = nullptr) override;
    // As the real port: a port of the same name is closed first, any other
    // stays open when the new one fails (failOpenWith).
    bool OpenInstead(const QString &name, const QString &settings, QString *error = nullptr) override;
    int InBufferCount() const override { return static_cast<int>(input_.size()); }
    void SetInBufferCount(int count) override;
    bool Output(const QByteArray &bytes) override;
    QByteArray Input() override;

    // Every frame written, in order.
    QList<QByteArray> written;
    // When set, opening fails with this reason.
    QString failOpenWith;
    // Called (on a later event-loop turn) after each write with that frame;
    // typically calls Feed() with a reply.
    std::function<void(const QByteArray &)> responder;

    // Makes bytes arrive now: appends them to the input and raises OnComm on
    // the next event-loop turn.
    void Feed(const QByteArray &bytes);
    // Same, after a delay in milliseconds.
    void FeedLater(const QByteArray &bytes, int delayMs);
    // Simulates the device going away.
    void Lose(const QString &message);

private:
    bool open_ = false;
    QByteArray input_;
};
