#pragma once
// The one path between the windows and the instrument bus.
//
// A window builds a complete request frame (CRC included) and hands it to
// Send, which writes it and returns the request's handle; nothing blocks.
// When bytes arrive the link lets the line settle, polls until the input
// stops growing, reads the reply, cuts it to the length its function code
// implies, checks the CRC and finishes the handle of the request that waits
// for it, unless the request's acceptance check says its requester no longer
// takes it. Collection runs on timers, so the UI event loop never blocks.
// Which window takes which reply is decided above the link (the check).
#include "link/family.h"
#include "link/framerecord.h"
#include "link/modbusframes.h"
#include "link/reply.h"
#include "link/replylength.h"
#include "link/serialport.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>

// Who sends a request through SerialLink::Send, and what it takes back.
struct RequestInfo {
    // Whether a collected reply still goes to its requester; when not, who
    // takes the replies now (for the record; empty: nobody).
    struct Acceptance {
        bool taken = true;
        QString holder{};
    };
    // Who asks: tells one requester's repeated request from another's,
    // never dereferenced. nullptr: nobody in particular.
    const void *requester = nullptr;
    // The requester's name in the traffic record ("电量参数测量").
    QString name{};
    // Asked once the reply has been collected and found whole: whether the
    // requester still takes it. Unset: it always does.
    std::function<Acceptance()> accept{};
    // Lengths of the calibration replies the requester's meters send.
    modbus::CalibrationLengths calibration{};
    // Milliseconds to wait for the reply's first byte; 0: ReplyTimeoutMs.
    int timeoutMs = 0;
};

class SerialLink : public QObject {
    Q_OBJECT
public:
    explicit SerialLink(SerialPortControl *port, QObject *parent = nullptr);

    SerialPortControl *Port() const { return port_; }

    // The frame written to the port last.
    const QByteArray &LastRequest() const { return lastRequest_; }

    // ---- Transmit ----
    // Sends the request and returns its handle, which finishes once: with the
    // exchange when the reply has been collected, or with the reason there
    // is none (see modbus::Reply::Error). Unread input is discarded before
    // the write. While a reply is being collected or handled the frame is
    // held and goes out when that ends, so a send never discards a reply in
    // progress; the same frame of the same requester already held is not
    // held twice, and its reply finishes both handles. With the port closed
    // nothing is sent, the handle finishes NotSent on the next event-loop
    // turn and SendRefused is emitted (once until the port opens). A request
    // written before this one's reply came ends it without an answer, and so
    // does the time-out, counted from the write to the reply's first byte.
    modbus::Reply *Send(const QByteArray &frame, RequestInfo info);

    // Prepares the port control for receiving (binary, an event per byte)
    // and clears the link's busy state.
    void PrepareReceive();

    // Hands collected bytes to the request waiting for them: cut to the
    // length the reply-length rule gives, checked, and recorded with what
    // became of them. Collection ends here; tests call it directly.
    void Dispatch(const QByteArray &received);

    // True from the moment arriving bytes start a collection until the
    // collected reply has been handled.
    bool Collecting() const { return collecting_; }
    // Frames held back because a collection was in progress.
    int HeldFrames() const { return static_cast<int>(held_.size()); }
    // True while a request written to the port awaits its reply.
    bool Awaiting() const { return !waiting_.isEmpty(); }

    // ---- Traffic record ----
    // The last frames sent and received with what the link did with each
    // (see framerecord.h); Recorded is emitted for each one as well.
    const FrameLog &Log() const { return log_; }
    FrameLog &Log() { return log_; }

    // ---- Timing of the receive path (milliseconds / counts) ----
    int SettleMs = 100;
    int PollMs = 30;
    int EmptyPollLimit = 30;
    int MaxWaiting = 500;
    int ReplyTimeoutMs = 1000;
    // The calibration reply lengths a reply nobody waits for is judged by
    // for the record (those of the family in use).
    modbus::CalibrationLengths UnrequestedLengths = modbus::CalibrationLengthsOf(Family::ThreePhase);

signals:
    // A send was refused because no port is open; the text is for the user.
    void SendRefused(const QString &message);
    // A reply handler failed; the link has recovered. Text for the user.
    void HandlerFailed(const QString &message);
    // A reply was collected (before it is handed on). For diagnostics and timing.
    void Collected(const QByteArray &reply);
    // A frame was sent, refused or received, with its verdict.
    void Recorded(const FrameRecord &record);

private:
    struct Request {
        QByteArray frame;
        RequestInfo info{};
        // The handles its reply finishes (more than one when the same
        // request was merged).
        QList<QPointer<modbus::Reply>> replies{};
    };
    // Collected bytes cut to the length the rule gives and checked: the
    // reply (verdict Handed), or the verdict that drops them.
    struct Framed {
        FrameRecord::Verdict verdict;
        int used; // the length cut to; -1 when not cut
        QByteArray reply;
        bool Ok() const { return verdict == FrameRecord::Verdict::Handed; }
    };
    static Framed Frame(const QByteArray &received, modbus::CalibrationLengths calibration, bool shortBlocks);
    void onComm();
    void onSettled();
    void onPoll();
    void finishCollection();
    void endCollection();
    void finishWaiting(modbus::Reply::Error error, const QByteArray &reply = {});
    void writeNow(const Request &request, bool held = false);
    void record(FrameRecord r);

    SerialPortControl *port_;

    QTimer timer_;
    enum class Phase { Idle, Settling, Polling } phase_ = Phase::Idle;
    bool collecting_ = false;
    bool busy_ = false;
    int previous_ = 0;
    int emptyPolls_ = 0;
    QList<Request> held_;
    bool refusalShown_ = false;
    QByteArray lastRequest_;
    // The handles of the request written last while its reply is awaited.
    QList<QPointer<modbus::Reply>> waiting_;
    RequestInfo waitingInfo_;
    QTimer timeout_;
    // The wire form of the bytes being dispatched, when it differs.
    QByteArray wireIn_;
    FrameLog log_;
};
