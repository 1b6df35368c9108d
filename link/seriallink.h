#pragma once
// The one path between the windows and the instrument bus.
//
// A window builds a complete request frame (CRC included) and hands it to
// Send, which writes it and returns the request's handle; nothing blocks.
// When bytes arrive the link lets the line settle, polls until the input
// stops growing, reads the reply, cuts it to the length its function code
// implies, checks the CRC and finishes the handle of the request that waits
// for it, when its requester still takes its family's replies. Collection
// runs on timers, so the UI event loop never blocks.
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
#include <array>
#include <cstdint>
#include <optional>

// Who sends a request through SerialLink::Send, and what it takes back.
struct RequestInfo {
    // Who asks: compared with the holder of its family's replies, never
    // dereferenced. nullptr: nobody in particular.
    const void *requester = nullptr;
    // The requester's name in the traffic record ("电量参数测量").
    QString name{};
    // The family whose replies the requester must still hold when the reply
    // comes (and which must still be the chosen one); unset: the reply is
    // the requester's whatever window holds which family.
    std::optional<Family> family{};
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

    // ---- The chosen family and who takes its replies ----
    // The family the user chose; none until one is chosen.
    void ChooseFamily(Family family) { chosen_ = family; }
    std::optional<Family> ChosenFamily() const { return chosen_; }
    // The chosen family, three-phase until one is chosen.
    Family CurrentFamily() const { return chosen_.value_or(Family::ThreePhase); }
    // Makes who (named name in the record) the one window that takes the
    // family's replies: a request of another window of the family finds its
    // reply dropped, and a window that polls stops when it sees it no longer
    // holds them.
    void TakeOver(Family family, const void *who, const QString &name);
    // Nobody takes the family's replies any more; with who given, only when
    // who holds them (a closing window leaves another's hold alone).
    void Release(Family family, const void *who = nullptr);
    // True when who takes the family's replies and the family is the chosen one.
    bool Holds(Family family, const void *who) const;
    // Who takes the family's replies, chosen or not; nullptr: nobody.
    const void *Holder(Family family) const { return hold(family).who; }

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
    // and clears the link's busy state and the three-phase holder.
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
    struct Hold {
        const void *who = nullptr;
        QString name;
    };
    Hold &hold(Family family);
    const Hold &hold(Family family) const;

    void onComm();
    void onSettled();
    void onPoll();
    void finishCollection();
    void endCollection();
    void finishWaiting(modbus::Reply::Error error, const QByteArray &reply = {});
    void writeNow(const Request &request, bool held = false);
    void record(FrameRecord r);

    SerialPortControl *port_;
    std::optional<Family> chosen_;
    std::array<Hold, 3> holds_{};

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
