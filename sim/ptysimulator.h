#pragma once
// Puts a simulated bus behind a pseudo-terminal, so a program can open the
// slave side as if it were a serial port.
//
// Requests are cut out of the byte stream by the Modbus length rules of
// their function code (so they may arrive in any number of pieces); a frame
// of an unknown function ends with a pause in the stream (SilenceMs). A pause
// also discards an incomplete frame, as a real slave does after an
// interrupted request. Replies leave at once, or piece by piece on timers
// when a fault rule delays or splits them; nothing here sleeps or polls, so
// an idle simulator costs no CPU.
//
// The simulator keeps a descriptor of the slave side open itself: without
// it, the master side reports end-of-file/EIO whenever no client has the
// slave open, which would wake the event loop without end.
#include "sim/bus.h"
#include "sim/pendingreply.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QSocketNotifier;

namespace sim {

class PtySimulator : public QObject {
    Q_OBJECT
public:
    explicit PtySimulator(QObject *parent = nullptr);
    ~PtySimulator() override;

    Bus &bus() { return bus_; }

    // Opens the pseudo-terminal (raw mode on both sides).
    bool Open(QString *error = nullptr);
    bool IsOpen() const { return master_ >= 0; }
    // Closes the pseudo-terminal and removes the link, if any.
    void Close();
    // The device path a client opens, e.g. /dev/pts/5. Empty when closed.
    QString SlavePath() const { return slavePath_; }

    // Makes path a symbolic link to the slave device. An existing symbolic
    // link there is replaced; any other existing file is left alone and the
    // call fails. A link made before is removed once the new one is in
    // place. The link is removed by Close() and the destructor.
    bool SetLink(const QString &path, QString *error = nullptr);
    QString LinkPath() const { return linkPath_; }

    void SetSilenceMs(int ms) { silence_.setInterval(ms); }
    int SilenceMs() const { return silence_.interval(); }

    // Time from the arrival of the last byte of the latest answered request
    // to the write of its reply's first byte, in microseconds; -1 before any.
    qint64 LastReplyMicros() const { return lastReplyMicros_; }
    int RequestsSeen() const { return requests_; }

signals:
    // One framed request and the reply bytes put on the wire for it (all
    // pieces together; empty when nothing was sent). Emitted when the last
    // piece has been written; micros as for LastReplyMicros(), -1 if none.
    void Served(const QByteArray &request, const QByteArray &reply, qint64 micros);

private:
    void OnReadable();
    void OnWritable();
    void OnSilence();
    void TakeFrames();
    void Serve(const QByteArray &request, const QElapsedTimer &arrived);
    void SendNext(const std::shared_ptr<PendingReply> &pending);
    void Write(const QByteArray &bytes);
    void RemoveLink();

    Bus bus_;
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QString linkPath_;
    QSocketNotifier *readNotifier_ = nullptr;
    QSocketNotifier *writeNotifier_ = nullptr;
    QTimer silence_;
    QTimer retryRead_;
    QByteArray in_;
    QByteArray out_;
    QElapsedTimer lastArrival_;
    qint64 lastReplyMicros_ = -1;
    int requests_ = 0;
    bool muted_ = false; // a mute fault hit: no reply until Close()
    int session_ = 0; // counts Close() calls; a late reply piece of an
                      // earlier session is not written
};

} // namespace sim
