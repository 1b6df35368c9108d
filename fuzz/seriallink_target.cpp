// The link under arbitrary traffic. The input is a program of steps; each
// step is one byte (its kind, modulo 8) and its operands:
//   0 family      a byte: DeviceFamily "", "KZ5500E", "KZ2600E", "KZ827KVE"
//   1 destination family byte (mod 3), index byte (mod 16): SetDestination
//   2 send        family, index, chunk: SendFrameFor (index 0: SendFrame)
//   3 feed        flags, split byte, chunk: the bytes arrive at the port and
//                 the event loop runs until the collection has ended;
//                 flags bit 0: put the right CRC at the length the current
//                 family expects; bit 1: the bytes arrive in two pieces, cut
//                 at the split byte; bit 2: the port is lost between them
//   4 dispatch    flags, chunk: Dispatch (flags bits 2-3: 0 by DeviceFamily,
//                 1..3 one dispatcher); bit 0 as for feed
//   5 done        family, index: the window clears its ReplyPending flag
//   6 close       family, index: ClearDestination
//   7 port        a byte: odd loses the port, even opens it
// Every destination has a handler that takes its exchange and checks it.
#include "fuzz/fuzzinput.h"
#include "fuzz/targets.h"
#include "link/crc.h"
#include "link/fakeport.h"
#include "link/framerecord.h"
#include "link/modbusframes.h"
#include "link/seriallink.h"

#include <QCoreApplication>
#include <array>

namespace fuzz {

namespace {

constexpr std::array<Family, 3> kFamilies = {Family::ThreePhase, Family::SinglePhase, Family::Kz827};
constexpr std::array<const char *, 4> kFamilyNames = {"", "KZ5500E", "KZ2600E", "KZ827KVE"};

int LastIndex(Family family)
{
    return family == Family::Kz827 ? 5 : 12;
}

void RepairCrc(QByteArray &frame, int length)
{
    if (length < 3 || length > frame.size())
        return;
    const std::uint16_t crc = Crc16Modbus(frame.left(length - 2));
    frame[length - 2] = static_cast<char>(crc & 0xFF);
    frame[length - 1] = static_cast<char>(crc >> 8);
}

class Harness {
public:
    Harness() : link_(&port_)
    {
        port_.SetPortOpen(true);
        link_.PrepareReceive();
        link_.SettleMs = 0;
        link_.PollMs = 0;
        link_.Log() = FrameLog(64);
        for (Family family : kFamilies)
            for (int index = 1; index <= LastIndex(family); ++index)
                link_.RegisterReplyHandler(family, index, [this, family, index] { onReply(family, index); });
    }

    // Back to the state of a link just made, without making one: a new
    // link allocates its whole traffic record, which would cost more than
    // the run itself.
    void Reset()
    {
        QCoreApplication::processEvents();
        port_.SetPortOpen(false);
        port_.SetPortOpen(true);
        link_.DeviceFamily.clear();
        link_.SlotFlags.fill(false);
        link_.SinglePhaseIndex = 0;
        link_.Kz827Type = 0;
        link_.LinkBusy = false;
        link_.LastAddress = 0;
        for (Family family : kFamilies)
            for (int index = 1; index <= 12; ++index) {
                link_.ReplyPending(family, index) = false;
                (void)link_.TakeExchange(family, index);
            }
        link_.SendFrame(QByteArray()); // the last request was nobody's
        port_.written.clear();
        link_.Log().Clear();
    }

    void Run(Input &in)
    {
        while (!in.Empty()) {
            switch (in.Byte() % 8) {
            case 0:
                link_.DeviceFamily = QString::fromLatin1(kFamilyNames[in.Byte() % 4]);
                break;
            case 1: {
                const Family family = kFamilies[in.Byte() % 3];
                link_.SetDestination(family, in.Byte() % 16);
                break;
            }
            case 2: {
                const Family family = kFamilies[in.Byte() % 3];
                const int index = in.Byte() % 16;
                const QByteArray frame = in.Chunk();
                if (index == 0)
                    link_.SendFrame(frame);
                else
                    link_.SendFrameFor(family, index, frame);
                break;
            }
            case 3:
                feed(in);
                break;
            case 4: {
                const std::uint8_t flags = in.Byte();
                QByteArray bytes = in.Chunk();
                const int which = flags >> 2 & 3;
                const Family family = which == 0 ? link_.CurrentFamily() : kFamilies[which - 1];
                if (flags & 1)
                    RepairCrc(bytes, SerialLink::ExpectedLength(family, bytes));
                switch (which) {
                case 0: link_.Dispatch(bytes); break;
                case 1: link_.DispatchThreePhaseReply(bytes); break;
                case 2: link_.DispatchSinglePhaseReply(bytes); break;
                default: link_.DispatchKz827Reply(bytes); break;
                }
                break;
            }
            case 5: {
                const Family family = kFamilies[in.Byte() % 3];
                const int index = in.Byte() % 16;
                link_.ReplyPending(family, index) = false;
                break;
            }
            case 6: {
                const Family family = kFamilies[in.Byte() % 3];
                link_.ClearDestination(family, in.Byte() % 16);
                break;
            }
            default:
                if (in.Byte() & 1)
                    port_.Lose(QStringLiteral("lost"));
                else
                    port_.SetPortOpen(true);
                break;
            }
        }
        settle();
        // Every record reads as a line of the traffic monitor.
        for (std::size_t i = 0; i < link_.Log().Size(); ++i)
            FUZZ_CHECK(!FormatRecord(link_.Log().At(i)).isEmpty());
    }

private:
    void feed(Input &in)
    {
        const std::uint8_t flags = in.Byte();
        const std::uint8_t split = in.Byte();
        QByteArray bytes = in.Chunk();
        if (flags & 1)
            RepairCrc(bytes, SerialLink::ExpectedLength(link_.CurrentFamily(), bytes));
        if (flags & 2) {
            const qsizetype cut = std::min<qsizetype>(split, bytes.size());
            port_.Feed(bytes.left(cut));
            QCoreApplication::processEvents();
            if (flags & 4)
                port_.Lose(QStringLiteral("lost"));
            port_.Feed(bytes.mid(cut));
        } else {
            port_.Feed(bytes);
        }
        settle();
    }

    // Runs the event loop until the link has collected and dispatched
    // everything that arrived. Bounded: the empty polls end a collection.
    void settle()
    {
        for (int turn = 0; turn < 200; ++turn) {
            QCoreApplication::processEvents();
            if (!link_.Collecting() && (port_.InBufferCount() == 0 || !port_.PortOpen()) && turn > 0)
                return;
        }
        FUZZ_CHECK(!link_.Collecting());
    }

    void onReply(Family family, int index)
    {
        Reached("link.handled");
        const bool once = SerialLink::IsOnce(family, index);
        // The link sets a once window's flag before it runs the handler.
        FUZZ_CHECK(!once || link_.ReplyPending(family, index));
        const modbus::Exchange ex = link_.TakeExchange(family, index);
        if (!ex.IsEmpty()) {
            // What reaches a window is one whole frame: its CRC matches and
            // it is no longer than its function code says.
            const int expected = SerialLink::ExpectedLength(family, ex.reply);
            FUZZ_CHECK(expected >= 5);
            FUZZ_CHECK(ex.reply.size() >= 5 && ex.reply.size() <= expected);
            FUZZ_CHECK(CheckFrameCrc(ex.reply));
            // A taken slot is empty.
            FUZZ_CHECK(link_.TakeExchange(family, index).IsEmpty());
            const auto address = static_cast<std::uint8_t>(ex.reply.at(0));
            // Some windows ask again from their handler (held while the
            // link is busy), some keep their flag set for a while.
            if (address & 1)
                link_.SendFrameFor(family, index, modbus::ReadRegisters(address, 0, 1));
            if (address & 2)
                return;
        }
        if (once)
            link_.ReplyPending(family, index) = false;
    }

    FakePortControl port_;
    SerialLink link_;
};

} // namespace

int FuzzSerialLink(const std::uint8_t *data, std::size_t size)
{
    EnsureApplication();
    Input in(data, size);
    // Made once and never destroyed: it may outlive the application.
    static Harness *harness = new Harness;
    harness->Reset();
    harness->Run(in);
    return 0;
}

} // namespace fuzz
