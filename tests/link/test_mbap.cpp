// The Modbus TCP codec against golden frames, and the network port names.
#include "link/mbap.h"
#include "link/netaddress.h"
#include "tests/support/testutil.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {
struct Golden {
    const char *what;
    const char *rtu; // without CRC
    std::uint16_t transaction;
    const char *mbap;
};

// Frames as a Modbus TCP gateway puts them on the wire.
const Golden kGolden[] = {
    {"read holding 0x0050 x1", "01 03 00 50 00 01", 0x0001, "00 01 00 00 00 06 01 03 00 50 00 01"},
    {"reply of two bytes", "01 03 02 00 02", 0x0001, "00 01 00 00 00 05 01 03 02 00 02"},
    {"write multiple, unit 247", "F7 10 00 60 00 02 04 00 01 00 02", 0xBEEF,
     "BE EF 00 00 00 0B F7 10 00 60 00 02 04 00 01 00 02"},
    {"exception reply", "03 83 02", 0xFFFF, "FF FF 00 00 00 03 03 83 02"},
    {"private 0xAA read", "02 AA 72 37 30 32 32 42 30 30 30", 0x0102,
     "01 02 00 00 00 0B 02 AA 72 37 30 32 32 42 30 30 30"},
    {"private 0x99", "01 99 00", 0x0010, "00 10 00 00 00 03 01 99 00"},
};
} // namespace

TEST(Mbap, GoldenFramesBothWays)
{
    for (const Golden &g : kGolden) {
        SCOPED_TRACE(g.what);
        const QByteArray rtu = WithCrc(Hex(g.rtu));
        const auto wire = mbap::FromRtu(rtu, g.transaction);
        ASSERT_TRUE(wire.has_value());
        EXPECT_EQ(ToHex(*wire), ToHex(Hex(g.mbap)));

        // Arriving in two pieces: nothing until the length says it is whole.
        QByteArray buffer = Hex(g.mbap);
        QByteArray head = buffer.left(buffer.size() - 1);
        EXPECT_FALSE(mbap::Take(head).has_value());
        EXPECT_EQ(head.size(), buffer.size() - 1);
        buffer += Hex("00 01"); // the start of the next frame stays
        const auto frame = mbap::Take(buffer);
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(frame->transaction, g.transaction);
        EXPECT_EQ(ToHex(mbap::ToRtu(*frame)), ToHex(rtu));
        EXPECT_EQ(ToHex(buffer), "00 01");
    }
}

TEST(Mbap, LengthOfTheFrameAtTheFront)
{
    const std::pair<const char *, int> cases[] = {
        {"", 0},
        {"00 01 00 00 00", 0},
        {"00 01 00 00 00 06", 12},
        {"00 01 00 00 00 02 01 81", 8},
        {"00 01 00 01 00 06", -1}, // protocol id 1
        {"00 01 00 00 00 01", -1}, // no PDU
        {"00 01 00 00 00 FF", -1}, // longer than Modbus allows
        {"00 01 00 00 01 00", -1},
    };
    for (const auto &[bytes, length] : cases) {
        EXPECT_EQ(mbap::FrameLength(Hex(bytes)), length) << bytes;
        QByteArray buffer = Hex(bytes);
        bool malformed = false;
        mbap::Take(buffer, &malformed);
        EXPECT_EQ(malformed, length < 0) << bytes;
    }
    EXPECT_FALSE(mbap::FromRtu(Hex("01 03 00"), 1).has_value());
    EXPECT_FALSE(mbap::FromRtu(QByteArray(257, '\1'), 1).has_value());
}

TEST(NetPortNames, ParsedOrRefusedWithAReason)
{
    const std::tuple<const char *, NetMode, const char *, int> good[] = {
        {"tcp://192.168.1.20:4001", NetMode::RtuOverTcp, "192.168.1.20", 4001},
        {"mbtcp://gw-3.site.example:502", NetMode::ModbusTcp, "gw-3.site.example", 502},
        {"MBTCP://localhost:65535", NetMode::ModbusTcp, "localhost", 65535},
        {"tcp://[::1]:1", NetMode::RtuOverTcp, "::1", 1},
        {"mbtcp://[fe80::1:2]:502", NetMode::ModbusTcp, "fe80::1:2", 502},
    };
    for (const auto &[name, mode, host, port] : good) {
        QString why;
        const auto a = ParseNetPort(QString::fromUtf8(name), &why);
        ASSERT_TRUE(a.has_value()) << name << " " << why.toStdString();
        EXPECT_EQ(a->mode, mode) << name;
        EXPECT_EQ(a->host, QString::fromUtf8(host)) << name;
        EXPECT_EQ(a->port, port) << name;
        EXPECT_EQ(NetPortName(*a).toLower(), QString::fromUtf8(name).toLower());
    }
    for (const char *bad : {"tcp://host:0", "tcp://host:65536", "tcp://host:50a", "tcp://host", "tcp://:502",
                            "tcp://::1:502", "tcp://[::1]502", "tcp://[host]:502", "tcp://300.1.1.1:502",
                            "tcp://10.0.0:502", "tcp://bad host:502", "tcp://-gw:502", "udp://host:502"}) {
        QString why;
        EXPECT_FALSE(ParseNetPort(QString::fromUtf8(bad), &why).has_value()) << bad;
        EXPECT_FALSE(why.isEmpty()) << bad;
    }
}
