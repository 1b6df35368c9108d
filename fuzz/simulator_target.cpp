// The simulator facing whatever a master sends. Input: a flags byte, then
// the byte stream in pieces (length-prefixed chunks) as they arrive on the
// line. Requests are cut from the stream as the pseudo-terminal does it: by
// the length their function code implies, a frame of unknown length at the
// next pause. Flags bit 0: put the right CRC on every frame cut (so the
// instruments answer); bit 1: a pause after every piece (else one at the end).
// On the bus: a three-phase instrument at 1, a single-phase one at 2 and a
// KZ827KVE at 3.
#include "fuzz/fuzzinput.h"
#include "fuzz/targets.h"
#include "link/crc.h"
#include "link/replylength.h"
#include "sim/bus.h"
#include "sim/modbus.h"
#include "link/modbusframes.h"

namespace fuzz {

namespace {

class Line {
public:
    explicit Line(bool repair) : repair_(repair)
    {
        bus_.Add(1, sim::Family::ThreePhase);
        bus_.Add(2, sim::Family::SinglePhase);
        bus_.Add(3, sim::Family::Kz827);
    }

    void Arrive(const QByteArray &piece)
    {
        in_.append(piece);
        for (;;) {
            const int length = sim::RequestLength(in_);
            FUZZ_CHECK(length >= -1);
            if (length <= 0 || in_.size() < length)
                break;
            Reached("simulator.framed");
            serve(in_.left(length));
            in_.remove(0, length);
        }
    }

    void Pause()
    {
        if (!in_.isEmpty())
            serve(std::exchange(in_, {}));
    }

private:
    void serve(QByteArray request)
    {
        if (repair_ && request.size() >= 4) {
            const std::uint16_t crc = Crc16Modbus(request.left(request.size() - 2));
            request[request.size() - 2] = static_cast<char>(crc & 0xFF);
            request[request.size() - 1] = static_cast<char>(crc >> 8);
        }
        const auto address = modbus::FrameAddress(request);
        sim::Instrument *instrument = bus_.At(address);
        QByteArray reply;
        for (const sim::Chunk &chunk : bus_.Respond(request))
            reply.append(chunk.bytes);
        if (reply.isEmpty())
            return;
        Reached("simulator.replied");
        // A reply is one whole frame from the address asked, and the link
        // cuts it to exactly its own length.
        FUZZ_CHECK(instrument);
        FUZZ_CHECK(CheckFrameCrc(reply));
        FUZZ_CHECK(static_cast<std::uint8_t>(reply.at(0)) == address);
        // An exception reply (the request's function | 0x80, code) is five
        // bytes; for function 0x2A it reads 0xAA like a calibration reply.
        if (reply.size() == 5 && static_cast<std::uint8_t>(reply.at(1)) == (modbus::FrameFunction(request) | 0x80))
            return;
        const ::Family family = instrument->family() == sim::Family::ThreePhase    ? ::Family::ThreePhase
                                : instrument->family() == sim::Family::SinglePhase ? ::Family::SinglePhase
                                                                                   : ::Family::Kz827;
        FUZZ_CHECK(modbus::ReplyLength(reply, modbus::CalibrationLengthsOf(family)) == reply.size());
    }

    sim::Bus bus_;
    QByteArray in_;
    bool repair_;
};

} // namespace

int FuzzSimulator(const std::uint8_t *data, std::size_t size)
{
    Input in(data, size);
    const std::uint8_t flags = in.Byte();
    Line line(flags & 1);
    while (!in.Empty()) {
        line.Arrive(in.Chunk());
        if (flags & 2)
            line.Pause();
    }
    line.Pause();
    return 0;
}

} // namespace fuzz
