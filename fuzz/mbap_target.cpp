// The Modbus TCP frames a gateway sends, as the program's port control and
// kzctl's link take them off the connection (mbap::Stream), and the codec
// between MBAP and RTU frames. The input is a program of steps; each step
// is one byte (its kind, modulo 3) and its operands:
//   0 arrive   chunk: bytes come in on the connection; every complete frame
//              is taken off
//   1 request  a request goes out: what is buffered is dropped; then the
//              gateway answers the transaction truly with the chunk as PDU,
//              cut into two pieces at the next byte
//   2 codec    chunk: an RTU frame through the MBAP codec both ways
// Checks: every byte is accounted for (a frame, junk or dropped, or still
// buffered as at most one incomplete frame); a frame taken is one the codec
// makes again byte for byte; a true answer on a clean stream is taken whole
// and at once.
#include "fuzz/fuzzinput.h"
#include "fuzz/targets.h"
#include "link/crc.h"
#include "link/mbap.h"

namespace fuzz {

namespace {

class Connection {
public:
    void Arrive(const QByteArray &bytes)
    {
        in_ += bytes.size();
        stream_.Append(bytes);
        takeAll();
    }

    void Request(const QByteArray &pdu, std::uint8_t cut)
    {
        dropped_ += stream_.Drop().size();
        FUZZ_CHECK(stream_.Buffered() == 0);
        ++transaction_;
        if (pdu.isEmpty() || pdu.size() > mbap::kMaxPdu)
            return;
        const mbap::Frame answer{transaction_, static_cast<std::uint8_t>(transaction_ * 7), pdu};
        const QByteArray wire = mbap::Encode(answer);
        const int at = std::min<int>(cut, int(wire.size()));
        const int before = taken_;
        Arrive(wire.left(at));
        FUZZ_CHECK(taken_ == before + (at == wire.size() ? 1 : 0));
        Arrive(wire.mid(at));
        FUZZ_CHECK(taken_ == before + 1 && stream_.Buffered() == 0);
        FUZZ_CHECK(last_.transaction == answer.transaction && last_.unit == answer.unit && last_.pdu == pdu);
        Reached("mbap.answered");
    }

private:
    void takeAll()
    {
        QByteArray junk;
        while (const auto frame = stream_.Take(&junk)) {
            Reached("mbap.frame");
            const QByteArray wire = mbap::Encode(*frame);
            FUZZ_CHECK(!frame->pdu.isEmpty() && frame->pdu.size() <= mbap::kMaxPdu);
            FUZZ_CHECK(mbap::FrameLength(wire) == wire.size());
            const QByteArray rtu = mbap::ToRtu(*frame);
            FUZZ_CHECK(CheckFrameCrc(rtu));
            FUZZ_CHECK(mbap::FromRtu(rtu, frame->transaction) == wire);
            framed_ += wire.size();
            ++taken_;
            last_ = *frame;
        }
        if (!junk.isEmpty())
            Reached("mbap.junk");
        junk_ += junk.size();
        // Nothing complete is left behind, and no more than one frame waits.
        FUZZ_CHECK(stream_.Buffered() < mbap::kHeaderSize + mbap::kMaxPdu);
        FUZZ_CHECK(in_ == framed_ + junk_ + dropped_ + stream_.Buffered());
    }

    mbap::Stream stream_;
    mbap::Frame last_;
    std::uint16_t transaction_ = 0;
    qint64 in_ = 0, framed_ = 0, junk_ = 0, dropped_ = 0;
    int taken_ = 0;
};

void Codec(const QByteArray &rtu)
{
    const auto wire = mbap::FromRtu(rtu, 0x1234);
    FUZZ_CHECK(wire.has_value() == (rtu.size() >= 4 && rtu.size() - 3 <= mbap::kMaxPdu));
    if (!wire)
        return;
    QByteArray buffer = *wire;
    bool malformed = true;
    const auto frame = mbap::Take(buffer, &malformed);
    FUZZ_CHECK(frame && !malformed && buffer.isEmpty());
    // Back in RTU form: the same frame with its CRC made afresh.
    FUZZ_CHECK(mbap::ToRtu(*frame).chopped(2) == rtu.chopped(2));
}

} // namespace

int FuzzMbap(const std::uint8_t *data, std::size_t size)
{
    Input in(data, size);
    Connection connection;
    while (!in.Empty()) {
        switch (in.Byte() % 3) {
        case 0:
            connection.Arrive(in.Chunk());
            break;
        case 1: {
            const QByteArray pdu = in.Chunk();
            connection.Request(pdu, in.Byte());
            break;
        }
        default:
            Codec(in.Chunk());
            break;
        }
    }
    return 0;
}

} // namespace fuzz
