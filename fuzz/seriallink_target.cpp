// The link and its reply router under arbitrary traffic. The input is a program of steps; each
// step is one byte (its kind, modulo 8) and its operands:
//   0 family      a byte (mod 3): the family the user chooses
//   1 take over   family byte (mod 3), requester byte (mod 4): that window
//                 takes the family's replies, as opening it does
//   2 send        requester byte (mod 4), family byte (mod 4; 3: sent as no
//                 family's), chunk: the requester sends the frame
//   3 feed        flags, split byte, chunk: the bytes arrive at the port and
//                 the event loop runs until the collection has ended;
//                 flags bit 0: put the right CRC at the length the chosen
//                 family's rule gives; bit 1: the bytes arrive in two pieces,
//                 cut at the split byte; bit 2: the port is lost between them
//   4 dispatch    flags, chunk: Dispatch (bit 0 as for feed)
//   5 release     family byte (mod 3), requester byte (mod 5; 4: whoever)
//   6 wait        the event loop runs until the reply time-out (10 ms here)
//                 has ended the wait
//   7 port        a byte: odd loses the port, even opens it
// Every request's handle is watched: it finishes once, and what it hands
// over is one whole frame answering that request.
#include "fuzz/fuzzinput.h"
#include "fuzz/targets.h"
#include "link/crc.h"
#include "tests/support/fakeport.h"
#include "link/framerecord.h"
#include "link/modbusframes.h"
#include "link/replylength.h"
#include "link/seriallink.h"
#include "ui/replyrouter.h"

#include <QCoreApplication>
#include <memory>
#include <optional>
#include <array>

namespace fuzz {

namespace {

constexpr std::array<Family, 3> kFamilies = {Family::ThreePhase, Family::SinglePhase, Family::Kz827};
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
    Harness() : link_(&port_), router_(ReplyRouter::Of(link_))
    {
        port_.SetPortOpen(true);
        link_.PrepareReceive();
        link_.SettleMs = 0;
        link_.PollMs = 0;
        link_.ReplyTimeoutMs = 10;
        link_.Log() = FrameLog(64);
    }

    // Back to the state of a link just made, without making one: a new
    // link allocates its whole traffic record, which would cost more than
    // the run itself.
    void Reset()
    {
        QCoreApplication::processEvents();
        port_.SetPortOpen(false); // ends whatever still waits
        port_.SetPortOpen(true);
        QCoreApplication::processEvents();
        router_.ChooseFamily(Family::ThreePhase);
        for (Family family : kFamilies)
            router_.Release(family);
        port_.written.clear();
        link_.Log().Clear();
        open_ = 0;
    }

    void Run(Input &in)
    {
        while (!in.Empty()) {
            switch (in.Byte() % 8) {
            case 0:
                router_.ChooseFamily(kFamilies[in.Byte() % 3]);
                break;
            case 1: {
                const Family family = kFamilies[in.Byte() % 3];
                const int who = in.Byte() % 4;
                router_.TakeOver(family, &kRequesters[who], QString::fromLatin1(kRequesters[who]));
                break;
            }
            case 2: {
                const int who = in.Byte() % 4;
                const int family = in.Byte() % 4;
                send(who, family < 3 ? std::optional(kFamilies[family]) : std::nullopt, in.Chunk());
                break;
            }
            case 3:
                feed(in);
                break;
            case 4: {
                const std::uint8_t flags = in.Byte();
                QByteArray bytes = in.Chunk();
                if (flags & 1)
                    repair(bytes);
                link_.Dispatch(bytes);
                break;
            }
            case 5: {
                const Family family = kFamilies[in.Byte() % 3];
                const int who = in.Byte() % 5;
                router_.Release(family, who < 4 ? &kRequesters[who] : nullptr);
                break;
            }
            case 6:
                // Waits on the event loop, not the clock: however starved
                // the run, the wait ends when the link's own time-out has
                // fired (every request waiting has one running).
                for (int turn = 0; link_.Awaiting() && turn < 10000; ++turn)
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                FUZZ_CHECK(!link_.Awaiting());
                break;
            default:
                if (in.Byte() & 1)
                    port_.Lose(QStringLiteral("lost"));
                else
                    port_.SetPortOpen(true);
                break;
            }
        }
        settle();
        QCoreApplication::processEvents(); // refusals finish a turn later
        // With nothing collecting or held, every handle has finished but
        // those of the request written last, while it waits for its reply.
        FUZZ_CHECK(link_.HeldFrames() == 0);
        FUZZ_CHECK(open_ == 0 || link_.Awaiting());
        // Every record reads as a line of the traffic monitor.
        for (std::size_t i = 0; i < link_.Log().Size(); ++i)
            FUZZ_CHECK(!FormatRecord(link_.Log().At(i)).isEmpty());
    }

private:
    static constexpr const char *kRequesters[4] = {"A", "B", "C", "D"};

    void repair(QByteArray &bytes)
    {
        RepairCrc(bytes, modbus::ReplyLength(bytes, modbus::CalibrationLengthsOf(router_.CurrentFamily())));
    }

    void send(int who, std::optional<Family> family, const QByteArray &frame)
    {
        const Family lengths = family.value_or(router_.CurrentFamily());
        modbus::Reply *reply =
            link_.Send(frame, router_.RequestFor(family, &kRequesters[who], QString::fromLatin1(kRequesters[who])));
        ++open_;
        auto finished = std::make_shared<bool>(false);
        QObject::connect(reply, &modbus::Reply::finished, [this, reply, frame, family, lengths, finished, who] {
            // Once, and with the request it was sent with.
            FUZZ_CHECK(!*finished);
            *finished = true;
            --open_;
            const modbus::Exchange &ex = reply->Result();
            FUZZ_CHECK(ex.request == frame);
            using E = modbus::Reply::Error;
            switch (reply->Failure()) {
            case E::None: {
                Reached("link.handled");
                // What reaches a window is one whole frame: its CRC matches
                // and it is no longer than its function code says.
                const int expected = modbus::ReplyLength(ex.reply, modbus::CalibrationLengthsOf(lengths));
                FUZZ_CHECK(expected >= 5);
                FUZZ_CHECK(ex.reply.size() >= 5 && ex.reply.size() <= expected);
                FUZZ_CHECK(CheckFrameCrc(ex.reply));
                // Some windows ask again from their handler (held while the
                // link is busy).
                const auto address = static_cast<std::uint8_t>(ex.reply.at(0));
                if (address & 1)
                    send(who, family, modbus::ReadRegisters(address, 0, 1));
                break;
            }
            case E::Exception:
                FUZZ_CHECK(ex.reply.size() == 5 && CheckFrameCrc(ex.reply));
                break;
            case E::NotTaken:
                FUZZ_CHECK(family.has_value());
                FUZZ_CHECK(ex.reply.isEmpty());
                break;
            default:
                FUZZ_CHECK(ex.reply.isEmpty());
                break;
            }
        });
    }

    void feed(Input &in)
    {
        const std::uint8_t flags = in.Byte();
        const std::uint8_t split = in.Byte();
        QByteArray bytes = in.Chunk();
        if (flags & 1)
            repair(bytes);
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

    // Runs the event loop until the link has collected and handed on
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

    FakePortControl port_;
    SerialLink link_;
    ReplyRouter &router_;
    int open_ = 0;
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
