#include "link/seriallink.h"

#include "link/crc.h"

#include "link/replylength.h"

#include <QCoreApplication>
#include <QPointer>

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
            busy_ = false;
            endCollection();
        }
    });
}

// -------------------------------------------------------------------- transmit

modbus::Reply *SerialLink::Send(const QByteArray &frame, RequestInfo info)
{
    auto *reply = new modbus::Reply(frame, this);
    Request request{frame, std::move(info), {reply}};
    if (collecting_) {
        // A requester that sends the same request again while the first one
        // is still held (a fast poll timer, a button pressed twice) gets it
        // sent once: its reply answers both.
        for (Request &held : held_)
            if (held.frame == frame && held.info.requester == request.info.requester) {
                held.replies.append(reply);
                record({.direction = FrameRecord::Direction::Sent, .verdict = FrameRecord::Verdict::Merged,
                        .bytes = frame, .window = request.info.name});
                return reply;
            }
        record({.direction = FrameRecord::Direction::Sent, .verdict = FrameRecord::Verdict::Held, .bytes = frame,
                .window = request.info.name});
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
                .window = request.info.name});
        // Finished on the next turn, so that whoever just sent it has
        // connected to its handle.
        for (const QPointer<modbus::Reply> &reply : request.replies)
            if (reply)
                QMetaObject::invokeMethod(
                    reply, [reply] { reply->Finish(modbus::Reply::Error::NotSent); }, Qt::QueuedConnection);
        if (!refusalShown_) {
            refusalShown_ = true;
            emit SendRefused(QStringLiteral(QT_TRANSLATE_NOOP("kz", "串口未打开，请先用“串行口设置”打开串口！")));
        }
        return;
    }
    // Bytes nobody collected (a reply that came too late, line noise) are
    // cleared before the request; the record keeps them.
    if (port_->InBufferCount() > 0) {
        const QByteArray stale = port_->Input();
        if (!stale.isEmpty())
            record({.direction = FrameRecord::Direction::Received, .verdict = V::Stale, .bytes = stale,
                    .wire = port_->LastWireInput()});
    }
    port_->SetInBufferCount(0);
    // The request before this one gets no answer now: its reply, should it
    // still come, would be taken for this one's.
    finishWaiting(modbus::Reply::Error::NoAnswer);
    record({.direction = FrameRecord::Direction::Sent, .verdict = held ? V::WrittenLater : V::Written,
            .bytes = frame, .wire = port_->WireFormOf(frame), .window = request.info.name});
    lastRequest_ = frame;
    waiting_ = request.replies;
    waitingInfo_ = request.info;
    timeout_.start(request.info.timeoutMs > 0 ? request.info.timeoutMs : ReplyTimeoutMs);
    port_->Output(frame);
}

void SerialLink::PrepareReceive()
{
    port_->SetInBufferCount(0);
    port_->InputMode = 1;
    port_->InputLen = 0;
    port_->RThreshold = 1;
    busy_ = false;
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
    if (port_->InBufferCount() <= 0 || busy_) {
        endCollection();
        return;
    }
    busy_ = true;
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
    wireIn_ = port_->LastWireInput();
    emit Collected(reply);
    try {
        Dispatch(reply);
    } catch (const std::exception &e) {
        emit HandlerFailed(QCoreApplication::translate("kz", "应答处理出错：%1").arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        emit HandlerFailed(QStringLiteral(QT_TRANSLATE_NOOP("kz", "应答处理出错！")));
    }
    wireIn_.clear();
    busy_ = false;
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

// --------------------------------------------------------------------- handing

SerialLink::Framed SerialLink::Frame(const QByteArray &received, modbus::CalibrationLengths calibration, bool shortBlocks)
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
    // Not when the port made the CRC: the frame must then be whole.
    const QByteArray reply = received.left(expected);
    if (reply.size() < expected && !shortBlocks)
        return {V::TooShort, expected, {}};
    if (!CheckFrameCrc(reply))
        return {reply.size() < expected ? V::TooShort : V::BadCrc, expected, {}};
    return {V::Handed, expected, reply};
}

void SerialLink::Dispatch(const QByteArray &received)
{
    using V = FrameRecord::Verdict;
    using E = modbus::Reply::Error;
    const auto drop = [&](V verdict, int used, QString window = {}, QString holder = {}) {
        record({.direction = FrameRecord::Direction::Received, .verdict = verdict, .bytes = received,
                .wire = wireIn_, .usedLength = used, .window = std::move(window), .holder = std::move(holder)});
    };
    if (waiting_.isEmpty()) {
        // Nobody asked (any more): judged for the record, and dropped.
        const Framed framed = Frame(received, UnrequestedLengths, port_->RepliesCarryCrc());
        drop(framed.Ok() ? V::Unrequested : framed.verdict, framed.used);
        return;
    }
    const RequestInfo info = waitingInfo_;
    const Framed framed = Frame(received, info.calibration, port_->RepliesCarryCrc());
    if (!framed.Ok()) {
        drop(framed.verdict, framed.used, info.name);
        const bool exception = framed.verdict == V::Exception;
        finishWaiting(exception ? E::Exception : E::BadFrame, exception ? received.left(5) : QByteArray());
        return;
    }
    // The requester may no longer take it (its check says who does).
    if (info.accept) {
        const RequestInfo::Acceptance acceptance = info.accept();
        if (!acceptance.taken) {
            drop(acceptance.holder.isEmpty() ? V::NoDestination : V::NotRequester, framed.used, info.name,
                 acceptance.holder);
            finishWaiting(E::NotTaken);
            return;
        }
    }
    drop(V::Handed, framed.used, info.name);
    finishWaiting(E::None, framed.reply);
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
