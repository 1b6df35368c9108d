#include "link/seriallink.h"

#include "link/crc.h"

#include <QPointer>
#include "link/replylength.h"
#include "link/windowtable.h"

#include <QDateTime>
#include <exception>
#include <utility>

namespace {
std::uint8_t byteAt(const QByteArray &data, int i)
{
    return static_cast<std::uint8_t>(data.at(i));
}
} // namespace

SerialLink::SerialLink(SerialPortControl *port, QObject *parent)
    : QObject(parent), port_(port)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (phase_ == Phase::Settling)
            onSettled();
        else if (phase_ == Phase::Polling)
            onPoll();
    });
    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, this, [this] {
        // Bytes are coming in: the collection decides; look again later.
        if (collecting_)
            timeout_.start(PollMs);
        else
            finishWaiting(modbus::Reply::Error::NoAnswer);
    });
    connect(port_, &SerialPortControl::OnComm, this, &SerialLink::onComm);
    // Opening or losing the port re-arms the "port not open" notice.
    // The user was just told the port is lost: polls that find it closed
    // say nothing more until a port is opened again.
    connect(port_, &SerialPortControl::PortLost, this, [this] { refusalShown_ = true; });
    connect(port_, &SerialPortControl::OpenChanged, this, [this](bool open) {
        refusalShown_ = false;
        if (!open)
            finishWaiting(modbus::Reply::Error::PortLost);
        // A port closed while a reply was still arriving leaves nothing to
        // collect: end the collection now rather than poll an empty buffer.
        if (!open && phase_ != Phase::Idle) {
            timer_.stop();
            LinkBusy = false;
            endCollection();
        }
    });
}

// ---------------------------------------------------------------- destinations

void SerialLink::SelectSlot(int slot)
{
    SlotFlags.fill(false);
    if (slot >= 1 && slot <= 12)
        SlotFlags[slot] = true;
}

int SerialLink::ActiveSlotIndex() const
{
    for (int i = 1; i <= 12; ++i)
        if (SlotFlags[i])
            return i;
    return 88;
}

bool SerialLink::IsOnce(Family family, int index)
{
    const WindowRow *row = WindowAt(family, index);
    return row && row->once;
}

int SerialLink::Destination(Family family) const
{
    switch (family) {
    case Family::ThreePhase: {
        const int slot = ActiveSlotIndex();
        return slot == 88 ? 0 : slot;
    }
    case Family::SinglePhase:
        return SinglePhaseIndex;
    case Family::Kz827:
        return Kz827Type;
    }
    return 0;
}

void SerialLink::SetDestination(Family family, int index)
{
    switch (family) {
    case Family::ThreePhase:
        SelectSlot(index);
        break;
    case Family::SinglePhase:
        SinglePhaseIndex = static_cast<std::uint8_t>(index);
        break;
    case Family::Kz827:
        Kz827Type = static_cast<std::uint8_t>(index);
        break;
    }
}

void SerialLink::ClearDestination(Family family, int index)
{
    if (index != 0 && Destination(family) == index)
        SetDestination(family, 0);
}

SerialLink::Receiver &SerialLink::dest(Family family, int index)
{
    static Receiver none;
    none = Receiver{};
    switch (family) {
    case Family::ThreePhase:
        return index >= 1 && index <= 12 ? three_[index] : none;
    case Family::SinglePhase:
        return index >= 1 && index <= 12 ? single_[index] : none;
    case Family::Kz827:
        return index >= 1 && index <= 6 ? kz827_[index] : none;
    }
    return none;
}

void SerialLink::RegisterReplyHandler(Family family, int index, std::function<void()> handler)
{
    dest(family, index).handler = std::move(handler);
}

bool &SerialLink::ReplyPending(Family family, int index)
{
    if (!IsOnce(family, index)) {
        dummyPending_ = false;
        return dummyPending_;
    }
    return dest(family, index).pending;
}

QByteArray *SerialLink::requestSlot(Family family, int index)
{
    if (family == Family::Kz827)
        return index >= 1 && index <= 6 ? &kz827ReplyRequests_[index] : nullptr;
    return index >= 1 && index <= 12 ? &replyRequests_[index] : nullptr;
}

modbus::Exchange SerialLink::TakeExchange(Family family, int index)
{
    modbus::Exchange exchange;
    if (QByteArray *request = requestSlot(family, index))
        exchange.request = std::exchange(*request, {});
    exchange.reply = TakeReply(family, index);
    return exchange;
}

QByteArray SerialLink::TakeReply(Family family, int index)
{
    QByteArray *slot = nullptr;
    if (family == Family::Kz827) {
        if (index >= 1 && index <= 6)
            slot = &Kz827ReplySlots[index];
    } else if (index >= 1 && index <= 12) {
        slot = &ReplySlots[index];
    }
    if (!slot)
        return {};
    QByteArray reply = *slot;
    slot->clear();
    return reply;
}

// -------------------------------------------------------------------- transmit

void SerialLink::SendFrame(const QByteArray &frame)
{
    SendFrameFor(Family::ThreePhase, 0, frame);
}

void SerialLink::SendFrameFor(Family family, int index, const QByteArray &frame)
{
    const Request request{frame, family, index};
    if (collecting_) {
        // A window that sends the same request again while the first one is
        // still held (a fast poll timer, a button pressed twice) gets it sent
        // once: its reply answers both.
        for (const Request &held : held_)
            if (held.frame == frame && held.family == family && held.index == index) {
                record({.direction = FrameRecord::Direction::Sent, .verdict = FrameRecord::Verdict::Merged,
                        .bytes = frame, .family = family, .destination = index});
                return;
            }
        held_.append(request);
        record({.direction = FrameRecord::Direction::Sent, .verdict = FrameRecord::Verdict::Held, .bytes = frame,
                .family = family, .destination = index});
        return;
    }
    writeNow(request);
}

modbus::Reply *SerialLink::Send(const QByteArray &frame, RequestInfo info)
{
    auto *reply = new modbus::Reply(frame, this);
    Request request{frame, Family::ThreePhase, 0, std::move(info), {reply}};
    if (collecting_) {
        // The same request of the same requester already held: its reply
        // answers both.
        for (Request &held : held_)
            if (held.frame == frame && !held.replies.isEmpty() && held.info.requester == request.info.requester) {
                held.replies.append(reply);
                record({.direction = FrameRecord::Direction::Sent, .verdict = FrameRecord::Verdict::Merged,
                        .bytes = frame, .window = request.info.requester});
                return reply;
            }
        record({.direction = FrameRecord::Direction::Sent, .verdict = FrameRecord::Verdict::Held, .bytes = frame,
                .window = request.info.requester});
        held_.append(std::move(request));
        return reply;
    }
    writeNow(request);
    return reply;
}

void SerialLink::finishWaiting(modbus::Reply::Error error, const QByteArray &reply)
{
    if (waiting_.isEmpty())
        return;
    timeout_.stop();
    for (const QPointer<modbus::Reply> &r : std::exchange(waiting_, {}))
        if (r)
            r->Finish(error, reply);
}

void SerialLink::writeNow(const Request &request, bool held)
{
    using V = FrameRecord::Verdict;
    const QByteArray &frame = request.frame;
    if (!port_->PortOpen()) {
        record({.direction = FrameRecord::Direction::Sent, .verdict = V::Refused, .bytes = frame,
                .family = request.family, .destination = request.index, .window = request.info.requester});
        // Finished on the next turn, so that whoever just sent it has
        // connected to its handle.
        for (const QPointer<modbus::Reply> &reply : request.replies)
            if (reply)
                QMetaObject::invokeMethod(
                    reply, [reply] { reply->Finish(modbus::Reply::Error::NotSent); }, Qt::QueuedConnection);
        if (!refusalShown_) {
            refusalShown_ = true;
            emit SendRefused(QStringLiteral("串口未打开，请先用“串行口设置”打开串口！"));
        }
        return;
    }
    // Bytes nobody collected (a reply that came too late, line noise) are
    // cleared before the request; the record keeps them.
    if (port_->InBufferCount() > 0) {
        const QByteArray stale = port_->Input();
        if (!stale.isEmpty())
            recordReceived(stale, V::Stale, request.family);
    }
    port_->SetInBufferCount(0);
    // The request before this one gets no answer now: its reply, should it
    // still come, would be taken for this one's.
    finishWaiting(modbus::Reply::Error::NoAnswer);
    record({.direction = FrameRecord::Direction::Sent, .verdict = held ? V::WrittenLater : V::Written,
            .bytes = frame, .family = request.family, .destination = request.index,
            .window = request.info.requester});
    lastRequest_ = frame;
    lastSenderFamily_ = request.family;
    lastSender_ = request.index;
    if (!request.replies.isEmpty()) {
        waiting_ = request.replies;
        waitingInfo_ = request.info;
        timeout_.start(request.info.timeoutMs > 0 ? request.info.timeoutMs : ReplyTimeoutMs);
    }
    port_->Output(frame);
}

void SerialLink::PrepareReceive()
{
    port_->SetInBufferCount(0);
    port_->InputMode = 1;
    port_->InputLen = 0;
    port_->RThreshold = 1;
    LinkBusy = false;
    SlotFlags.fill(false);
}

// --------------------------------------------------------------------- receive

void SerialLink::onComm()
{
    // Bytes that arrive during a collection are picked up by its polls; bytes
    // that arrive while a reply handler runs stay waiting (see endCollection).
    if (collecting_)
        return;
    collecting_ = true;
    phase_ = Phase::Settling;
    timer_.start(SettleMs);
}

void SerialLink::onSettled()
{
    if (port_->InBufferCount() <= 0 || LinkBusy) {
        endCollection();
        return;
    }
    LinkBusy = true;
    previous_ = 0;
    emptyPolls_ = 0;
    phase_ = Phase::Polling;
    timer_.start(PollMs);
}

void SerialLink::onPoll()
{
    const int c = port_->InBufferCount();
    if (c > 0 && c == previous_) {
        finishCollection();
        return;
    }
    if (c <= 0)
        ++emptyPolls_;
    if (emptyPolls_ > EmptyPollLimit || c > MaxWaiting) {
        finishCollection();
        return;
    }
    previous_ = c;
    timer_.start(PollMs);
}

void SerialLink::finishCollection()
{
    phase_ = Phase::Idle;
    const int n = port_->InBufferCount();
    QByteArray reply = port_->Input();
    if (n >= 0 && reply.size() > n)
        reply.truncate(n);
    emit Collected(reply);
    try {
        Dispatch(reply);
    } catch (const std::exception &e) {
        emit HandlerFailed(QStringLiteral("应答处理出错：%1").arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        emit HandlerFailed(QStringLiteral("应答处理出错！"));
    }
    LinkBusy = false;
    endCollection();
}

void SerialLink::endCollection()
{
    phase_ = Phase::Idle;
    collecting_ = false;
    const QList<Request> held = std::exchange(held_, {});
    for (const Request &request : held)
        writeNow(request, true);
    // Bytes that came in while a handler was running raised their event
    // then; collect them now rather than leave them waiting for the next send.
    if (held.isEmpty() && port_->PortOpen() && port_->InBufferCount() > 0)
        onComm();
}

// -------------------------------------------------------------------- dispatch

Family SerialLink::CurrentFamily() const
{
    if (DeviceFamily == QLatin1String("KZ2600E"))
        return Family::SinglePhase;
    if (DeviceFamily == QLatin1String("KZ827KVE"))
        return Family::Kz827;
    return Family::ThreePhase;
}

void SerialLink::Dispatch(const QByteArray &reply)
{
    dispatch(CurrentFamily(), reply);
}

void SerialLink::DispatchThreePhaseReply(const QByteArray &reply)
{
    dispatch(Family::ThreePhase, reply);
}

void SerialLink::DispatchSinglePhaseReply(const QByteArray &reply)
{
    dispatch(Family::SinglePhase, reply);
}

void SerialLink::DispatchKz827Reply(const QByteArray &reply)
{
    dispatch(Family::Kz827, reply);
}

namespace {
// The calibration replies of the three-phase module and the single-phase
// meter carry 82 bytes of data or answer in 13; the KZ827KVE's 19 and 7.
modbus::CalibrationLengths calibrationOf(Family family)
{
    return family == Family::Kz827 ? modbus::CalibrationLengths{19, 7} : modbus::CalibrationLengths{82, 13};
}
} // namespace

int SerialLink::ExpectedLength(Family family, const QByteArray &reply)
{
    const modbus::CalibrationLengths calibration = calibrationOf(family);
    // An exception reply is no listed function: the dispatcher names it.
    if (reply.size() < 3 || modbus::IsExceptionFunction(byteAt(reply, 1), calibration))
        return -1;
    const int length = modbus::ReplyLength(reply, calibration);
    return length > 0 ? length : -1;
}

SerialLink::Framed SerialLink::Frame(const QByteArray &received, modbus::CalibrationLengths calibration)
{
    using V = FrameRecord::Verdict;
    // A Modbus exception reply (function | 0x80, code, CRC) matches no
    // listed function; the record names its code.
    const bool exception = received.size() >= 5 && (byteAt(received, 1) & 0x80) && CheckFrameCrc(received.left(5));
    if (received.size() <= 5)
        return exception ? Framed{V::Exception, 5, {}} : Framed{V::TooShort, -1, {}};
    const int expected = modbus::ReplyLength(received, calibration);
    if (modbus::IsExceptionFunction(byteAt(received, 1), calibration) || expected <= 0)
        return exception ? Framed{V::Exception, 5, {}} : Framed{V::Unlisted, -1, {}};
    // A frame shorter than its byte count still counts when its CRC matches
    // (some meters answer a short block); decoders read only what is there.
    const QByteArray reply = received.left(expected);
    if (!CheckFrameCrc(reply))
        return {reply.size() < expected ? V::TooShort : V::BadCrc, expected, {}};
    return {V::Handed, expected, reply};
}

bool SerialLink::handToRequest(const QByteArray &received)
{
    using V = FrameRecord::Verdict;
    using E = modbus::Reply::Error;
    if (waiting_.isEmpty())
        return false;
    const QString requester = waitingInfo_.requester;
    const Framed framed = Frame(received, waitingInfo_.calibration);
    if (!framed.Ok()) {
        record({.direction = FrameRecord::Direction::Received, .verdict = framed.verdict, .bytes = received,
                .usedLength = framed.used, .window = requester});
        const bool exception = framed.verdict == V::Exception;
        finishWaiting(exception ? E::Exception : E::BadFrame, exception ? received.left(5) : QByteArray());
        return true;
    }
    const int expected = framed.used;
    const QByteArray &reply = framed.reply;
    const QString holder = waitingInfo_.holder ? waitingInfo_.holder() : requester;
    if (holder != requester) {
        record({.direction = FrameRecord::Direction::Received,
                .verdict = holder.isEmpty() ? V::NoDestination : V::NotRequester, .bytes = received,
                .usedLength = expected, .window = requester, .holder = holder});
        finishWaiting(E::NotTaken);
        return true;
    }
    record({.direction = FrameRecord::Direction::Received, .verdict = V::Handed, .bytes = received,
            .usedLength = expected, .window = requester});
    finishWaiting(E::None, reply);
    return true;
}

void SerialLink::dispatch(Family family, const QByteArray &received)
{
    // A request sent through Send takes its reply through its handle.
    if (handToRequest(received))
        return;
    using V = FrameRecord::Verdict;
    const Framed framed = Frame(received, calibrationOf(family));
    const int expected = framed.used;
    // The single-phase and KZ827KVE families answer the address probe
    // straight to the scan window, whatever window is active. Only a whole
    // probe answer with its CRC counts: line noise with 0x99 as its second
    // byte is no answering address.
    if (received.size() > 5 && family != Family::ThreePhase && byteAt(received, 1) == 0x99) {
        if (!framed.Ok() || framed.reply.size() < expected) {
            recordReceived(received, framed.Ok() ? V::TooShort : framed.verdict, family, expected);
            return;
        }
        auto &handler = three_[10].handler;
        recordReceived(received, handler ? V::Handed : V::Stored, Family::ThreePhase, expected, 10);
        if (handler)
            handler();
        return;
    }
    if (!framed.Ok()) {
        recordReceived(received, framed.verdict, family, expected);
        return;
    }
    const QByteArray &reply = framed.reply;

    const int index = family == Family::ThreePhase ? ActiveSlotIndex()
                      : family == Family::SinglePhase ? SinglePhaseIndex
                                                      : Kz827Type;
    const int last = family == Family::Kz827 ? 6 : 12;
    if (index < 1 || index > last) {
        recordReceived(received, V::NoDestination, family, expected);
        return;
    }
    // The answer to a window's request belongs to that window only.
    if (lastSender_ != 0 && (lastSenderFamily_ != family || lastSender_ != index)) {
        FrameRecord r{.direction = FrameRecord::Direction::Received, .verdict = V::NotRequester, .bytes = received,
                      .usedLength = expected, .family = family, .destination = index, .requester = lastSender_};
        record(std::move(r));
        return;
    }
    (family == Family::Kz827 ? Kz827ReplySlots[index] : ReplySlots[index]) = reply;
    *requestSlot(family, index) = lastRequest_;
    const Receiver &d = dest(family, index);
    const bool handed = d.handler && !(IsOnce(family, index) && d.pending);
    recordReceived(received, handed ? V::Handed : V::Stored, family, expected, index);
    fire(family, index);
}

void SerialLink::recordReceived(const QByteArray &bytes, FrameRecord::Verdict verdict, Family family, int used,
                                int destination)
{
    record({.direction = FrameRecord::Direction::Received, .verdict = verdict, .bytes = bytes, .usedLength = used,
            .family = family, .destination = destination});
}

void SerialLink::record(FrameRecord r)
{
    r.msecs = QDateTime::currentMSecsSinceEpoch();
    if (r.direction == FrameRecord::Direction::Received && !lastRequest_.isEmpty())
        r.requestAddress = static_cast<std::uint8_t>(lastRequest_.at(0));
    if (r.verdict == FrameRecord::Verdict::Exception && r.bytes.size() >= 3)
        r.exceptionCode = static_cast<std::uint8_t>(r.bytes.at(2));
    if (lcLink().isDebugEnabled())
        qCDebug(lcLink).noquote() << FormatRecord(r);
    log_.Append(r);
    emit Recorded(log_.At(log_.Size() - 1));
}

void SerialLink::fire(Family family, int index)
{
    Receiver &d = dest(family, index);
    if (!d.handler)
        return; // no window there (yet): the reply stays stored
    if (IsOnce(family, index)) {
        if (d.pending)
            return;
        d.pending = true;
    }
    // Copy: the handler may re-register itself.
    const auto handler = d.handler;
    handler();
}
