#pragma once
// The one path between the windows and the instrument bus.
//
// A window builds a complete request frame (CRC included) and hands it to
// SendFrame; nothing waits for the answer. When bytes arrive the link lets the
// line settle, polls until the input stops growing, reads the reply and hands
// it to the dispatcher of the selected family. The dispatcher cuts the reply
// to the length its function code implies, checks the CRC, stores it in the
// reply slot of the family's active window and runs that window's reply
// handler. Collection runs on timers, so the UI event loop never blocks.
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
#include <functional>

// Who sends a request through SerialLink::Send, and what it takes back.
struct RequestInfo {
    // The requester's name in the traffic record ("电量参数测量").
    QString requester{};
    // Lengths of the calibration replies the requester's meters send.
    modbus::CalibrationLengths calibration{};
    // Who takes the reply when it comes: the requester's own name while it
    // still wants it, another requester's name when that one took over, empty
    // when nobody does (the requester was closed). Unset: the requester.
    std::function<QString()> holder{};
    // Milliseconds to wait for the reply's first byte; 0: ReplyTimeoutMs.
    int timeoutMs = 0;
};

class SerialLink : public QObject {
    Q_OBJECT
public:
    explicit SerialLink(SerialPortControl *port, QObject *parent = nullptr);

    SerialPortControl *Port() const { return port_; }

    // ---- Shared state, reached by every window ----
    // "KZ5500E", "KZ2600E", "KZ827KVE"; empty at start.
    QString DeviceFamily;
    // Last accepted reply per window; entries 1..12 (entry 0 unused).
    std::array<QByteArray, 13> ReplySlots{};
    // One-hot mark of the active three-phase slot; entries 1..12.
    std::array<bool, 13> SlotFlags{};
    // Active single-phase window index 3..12; 0 means none.
    std::uint8_t SinglePhaseIndex = 0;
    // Last accepted reply per KZ827KVE window type; entries 1..6.
    std::array<QByteArray, 7> Kz827ReplySlots{};
    // Active KZ827KVE window type 1..5; 0 means none.
    std::uint8_t Kz827Type = 0;
    // The address a window last put into a request.
    std::uint16_t LastAddress = 0;
    // Set while a reply is being collected and dispatched.
    bool LinkBusy = false;

    // ---- Destinations ----
    // Clears every slot flag, then sets the given one (1..12).
    void SelectSlot(int slot);
    // Lowest flagged slot, or 88 when none is flagged.
    int ActiveSlotIndex() const;

    // Registers the reply handler of a window (three-phase slot 1..12,
    // single-phase index 3..12, KZ827KVE type 1..5). The handler is what the
    // window's hidden reply button does when clicked.
    void RegisterReplyHandler(Family family, int index, std::function<void()> handler);
    // Whether the window at that destination gets each reply at most once
    // until it clears its ReplyPending flag (from the window table).
    static bool IsOnce(Family family, int index);

    // The family whose dispatcher serves replies now (from DeviceFamily).
    Family CurrentFamily() const;
    // The active destination of a family: slot, index or type; 0 for none.
    int Destination(Family family) const;
    // Makes index the family's destination, as its menu entry does.
    void SetDestination(Family family, int index);
    // Clears the family's destination, but only when it is index.
    void ClearDestination(Family family, int index);
    // The ReplyPending flag of a window marked once (a dummy for others).
    bool &ReplyPending(Family family, int index);
    // Returns the stored reply of a destination and empties the slot.
    QByteArray TakeReply(Family family, int index);
    // The same, with the request the link had written last when that reply
    // came in, so the window knows what the reply answers.
    modbus::Exchange TakeExchange(Family family, int index);
    // The frame written to the port last.
    const QByteArray &LastRequest() const { return lastRequest_; }

    // ---- Transmit ----
    // Discards unread input and writes the frame. While a reply is being
    // collected or dispatched the frame is held and goes out when that ends,
    // so a send never discards a reply in progress. A frame identical to one
    // the same sender already has waiting is not held twice. With the port closed
    // nothing is sent and SendRefused is emitted (once until the port opens).
    void SendFrame(const QByteArray &frame);
    // The same for a request a window sends as the given destination: the
    // reply to it is handed only to that destination. A reply that comes in
    // after another window took the family's replies over is dropped rather
    // than decoded by a window that did not ask for it.
    void SendFrameFor(Family family, int index, const QByteArray &frame);
    // Sends the request and returns its handle, which finishes once: with the
    // exchange when the reply has been collected, or with the reason there
    // is none (see modbus::Reply::Error). Held, merged and written like any
    // other request. With the port closed nothing is sent and the handle
    // finishes NotSent on the next event-loop turn. A request written before
    // this one's reply came ends it without an answer, and so does the
    // time-out, counted from the write to the reply's first byte.
    modbus::Reply *Send(const QByteArray &frame, RequestInfo info);

    // Prepares the port control for receiving (binary, an event per byte)
    // and clears the link's busy state and the three-phase destination.
    void PrepareReceive();

    // ---- Dispatch (also callable directly by tests) ----
    void Dispatch(const QByteArray &reply);
    void DispatchThreePhaseReply(const QByteArray &reply);
    void DispatchSinglePhaseReply(const QByteArray &reply);
    void DispatchKz827Reply(const QByteArray &reply);
    // Expected total length of a reply for a family's dispatcher, from its
    // function byte (and offset 2 for 0xAA); -1 for an unlisted function.
    static int ExpectedLength(Family family, const QByteArray &reply);

    // True from the moment arriving bytes start a collection until the
    // dispatch of the collected reply has ended.
    bool Collecting() const { return collecting_; }
    // Frames held back because a collection was in progress.
    int HeldFrames() const { return static_cast<int>(held_.size()); }

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
    // A reply was collected (before dispatch). For diagnostics and timing.
    void Collected(const QByteArray &reply);
    // A frame was sent, refused or received, with its verdict.
    void Recorded(const FrameRecord &record);

private:
    struct Receiver {
        std::function<void()> handler;
        bool pending = false;
    };
    Receiver &dest(Family family, int index);
    QByteArray *requestSlot(Family family, int index);
    void onComm();
    void onSettled();
    void onPoll();
    void finishCollection();
    void endCollection();
    struct Request {
        QByteArray frame;
        Family family = Family::ThreePhase;
        int index = 0; // 0: not sent for a destination
        // Sent through Send: who asks, and the handles its reply finishes
        // (more than one when the same request was merged).
        RequestInfo info{};
        QList<QPointer<modbus::Reply>> replies{};
    };
    void finishWaiting(modbus::Reply::Error error, const QByteArray &reply = {});
    // Collected bytes cut to the length the rule gives and checked: the
    // reply (verdict Handed), or the verdict that drops them.
    struct Framed {
        FrameRecord::Verdict verdict;
        int used; // the length cut to; -1 when not cut
        QByteArray reply;
        bool Ok() const { return verdict == FrameRecord::Verdict::Handed; }
    };
    static Framed Frame(const QByteArray &received, modbus::CalibrationLengths calibration);
    // Hands collected bytes to the request sent through Send, when one waits.
    bool handToRequest(const QByteArray &received);
    void writeNow(const Request &request, bool held = false);
    void record(FrameRecord r);
    void recordReceived(const QByteArray &bytes, FrameRecord::Verdict verdict, Family family, int used = -1,
                        int destination = 0);
    void dispatch(Family family, const QByteArray &reply);
    void fire(Family family, int index);

    SerialPortControl *port_;
    std::array<Receiver, 13> three_{};
    std::array<Receiver, 13> single_{};
    std::array<Receiver, 7> kz827_{};
    bool dummyPending_ = false;

    QTimer timer_;
    enum class Phase { Idle, Settling, Polling } phase_ = Phase::Idle;
    bool collecting_ = false;
    int previous_ = 0;
    int emptyPolls_ = 0;
    QList<Request> held_;
    bool refusalShown_ = false;
    QByteArray lastRequest_;
    // The handles of the request written last while its reply is awaited.
    QList<QPointer<modbus::Reply>> waiting_;
    RequestInfo waitingInfo_;
    QTimer timeout_;
    Family lastSenderFamily_ = Family::ThreePhase;
    int lastSender_ = 0;
    // The request each stored reply answers, by slot like the replies.
    std::array<QByteArray, 13> replyRequests_{};
    std::array<QByteArray, 7> kz827ReplyRequests_{};
    FrameLog log_;
};
