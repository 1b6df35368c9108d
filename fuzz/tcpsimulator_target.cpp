// The simulator's Modbus TCP side facing whatever a master sends: requests
// taken off the stream by their MBAP length (a stream that is no MBAP ends
// the session, as the simulator closes it), answered by the bus, and the
// answer forwarded as a gateway does (sim::GatewayPieces), with a fault
// rule the input may give. Input: a flags byte, a chunk with a fault rule's
// text (used when flags bit 1 is set), then the stream in pieces (chunks).
// On the bus: a three-phase instrument at 1, a
// single-phase one at 2 and a KZ827KVE at 3.
// Checks: an answer is one MBAP frame with the request's transaction id
// (or nothing, or mute), whose RTU form has a right CRC; without faults
// it comes from the unit asked and the link cuts it at exactly its length.
#include "fuzz/fuzzinput.h"
#include "fuzz/targets.h"
#include "link/crc.h"
#include "link/mbap.h"
#include "link/replylength.h"
#include "sim/bus.h"
#include "sim/tcpsimulator.h"

namespace fuzz {

namespace {

void Serve(sim::Bus &bus, const mbap::Frame &request, bool faults)
{
    // The RTU form carries a right CRC: the instruments answer whatever
    // they know.
    const QByteArray rtu = mbap::ToRtu(request);
    // Taken before the request: a write of the address register moves the
    // instrument once it has answered from its old address.
    const sim::Instrument *instrument = bus.At(request.unit);
    const bool asked = instrument != nullptr;
    const sim::Family askedFamily = asked ? instrument->family() : sim::Family::ThreePhase;
    const sim::Transmission pieces = sim::GatewayPieces(bus.Respond(rtu), request.transaction);
    if (pieces.isEmpty() || pieces.last().end == sim::Chunk::End::Mute)
        return;
    QByteArray wire;
    for (const sim::Chunk &chunk : pieces)
        wire += chunk.bytes;
    Reached("tcpsimulator.answered");
    QByteArray rest = wire;
    bool malformed = true;
    const auto answer = mbap::Take(rest, &malformed);
    FUZZ_CHECK(answer && !malformed && rest.isEmpty());
    FUZZ_CHECK(answer->transaction == request.transaction);
    const QByteArray reply = mbap::ToRtu(*answer);
    FUZZ_CHECK(CheckFrameCrc(reply));
    if (faults)
        return;
    FUZZ_CHECK(answer->unit == request.unit);
    FUZZ_CHECK(asked);
    if (reply.size() == 5 && static_cast<std::uint8_t>(reply.at(1)) == (static_cast<std::uint8_t>(rtu.at(1)) | 0x80))
        return;
    const ::Family family = askedFamily == sim::Family::ThreePhase    ? ::Family::ThreePhase
                            : askedFamily == sim::Family::SinglePhase ? ::Family::SinglePhase
                                                                       : ::Family::Kz827;
    FUZZ_CHECK(modbus::ReplyLength(reply, modbus::CalibrationLengthsOf(family)) == reply.size());
}

} // namespace

int FuzzTcpSimulator(const std::uint8_t *data, std::size_t size)
{
    Input in(data, size);
    const std::uint8_t flags = in.Byte();
    const QString rule = in.Text();
    sim::Bus bus;
    bus.Add(1, sim::Family::ThreePhase);
    bus.Add(2, sim::Family::SinglePhase);
    bus.Add(3, sim::Family::Kz827);
    bool faults = false;
    if (flags & 2) {
        QString error;
        if (const auto fault = sim::ParseFault(rule, &error)) {
            bus.Faults().Add(*fault);
            faults = true;
        } else {
            FUZZ_CHECK(!error.isEmpty());
        }
    }
    QByteArray stream;
    while (!in.Empty()) {
        stream += in.Chunk();
        for (;;) {
            bool malformed = false;
            const auto request = mbap::Take(stream, &malformed);
            if (malformed)
                return 0; // the simulator closes such a connection
            if (!request)
                break;
            Reached("tcpsimulator.request");
            Serve(bus, *request, faults);
        }
    }
    return 0;
}

} // namespace fuzz
