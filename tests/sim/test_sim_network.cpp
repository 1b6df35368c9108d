// The simulator as a network gateway: what a Modbus TCP gateway forwards of
// a faulty reply, the TCP server with clients that come, go and vanish, the
// network faults, and independent Modbus TCP masters (mbpoll, pymodbus)
// against the kzsim program.
#include "link/crc.h"
#include "link/mbap.h"
#include "sim/cli.h"
#include "sim/faults.h"
#include "sim/tcpsimulator.h"
#include "tests/support/testutil.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <memory>

using sim::Chunk;

namespace {
std::string HexText(const QByteArray &bytes) { return ToHex(bytes).toStdString(); }
} // namespace

TEST(SimGateway, ForwardsWhatAModbusTcpGatewayWould)
{
    const QByteArray rtu = WithCrc(Hex("01 03 02 00 02"));
    const QByteArray wire = Hex("12 34 00 00 00 05 01 03 02 00 02");
    const auto E = Chunk::End::Reply;
    struct Case {
        const char *what;
        sim::Transmission in;
        sim::Transmission out;
    };
    // A reply whose first six bytes happen to end in their own CRC.
    const QByteArray tricky = WithCrc(WithCrc(Hex("01 03 04 AA")) + Hex("BB"));
    QByteArray badCrc = rtu;
    badCrc[5] = static_cast<char>(badCrc.at(5) ^ 0xFF);
    const Case cases[] = {
        {"clean", {Chunk{0, rtu, E}}, {Chunk{0, wire, E}}},
        {"late", {Chunk{300, rtu, E}}, {Chunk{300, wire, E}}},
        {"split keeps sizes and gaps", {Chunk{0, rtu.left(3), E}, Chunk{40, rtu.mid(3), E}},
         {Chunk{0, wire.left(3), E}, Chunk{40, wire.mid(3), E}}},
        {"garbage left off", {Chunk{0, rtu + Hex("AA BB CC"), E}}, {Chunk{0, wire, E}}},
        {"bad CRC not forwarded", {Chunk{0, badCrc, E}}, {}},
        {"hang-up kept", {Chunk{0, rtu, Chunk::End::HangUp}}, {Chunk{0, wire, Chunk::End::HangUp}}},
        {"wrong address is the unit", {Chunk{0, WithCrc(Hex("02 03 02 00 02")), E}},
         {Chunk{0, Hex("12 34 00 00 00 05 02 03 02 00 02"), E}}},
        {"a prefix passing the CRC is no reply", {Chunk{0, tricky, E}},
         {Chunk{0, *mbap::FromRtu(tricky, 0x1234), E}}},
        {"nothing", {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(sim::GatewayPieces(c.in, 0x1234), c.out);
    }
}

TEST(SimGateway, ListenAddressesOnTheCommandLine)
{
    sim::SimOptions o;
    QString error;
    ASSERT_TRUE(sim::ParseArguments({"--mbtcp", "[::1]:1502"}, &o, &error));
    EXPECT_EQ(o.serve, sim::SimOptions::Serve::Mbtcp);
    EXPECT_EQ(o.listenHost, "::1");
    EXPECT_EQ(o.listenPort, 1502);
    ASSERT_TRUE(sim::ParseArguments({"--tcp", "0"}, &o, &error));
    EXPECT_EQ(o.listenHost, "127.0.0.1");
    for (const QStringList &bad : {QStringList{"--tcp", "localhost:502"}, {"--tcp", "65536"}, {"--tcp", "::1:502"},
                                   {"--tcp", "1502", "--mbtcp", "1503"}, {"--tcp", "1502", "--link", "/tmp/x"}})
        EXPECT_FALSE(sim::ParseArguments(bad, &o, &error)) << bad.join(' ').toStdString();
}

namespace {

// A gateway in this process with one three-phase meter at address 1, and
// clients that talk to it.
struct Served : ::testing::TestWithParam<sim::TcpSimulator::Framing> {
    sim::TcpSimulator gateway{GetParam()};
    const QByteArray request = WithCrc(Hex("01 03 00 50 00 01"));
    const QByteArray reply = WithCrc(Hex("01 03 02 00 02"));
    std::uint16_t transaction = 0;

    void SetUp() override
    {
        gateway.bus().Add(1, sim::Family::ThreePhase);
        ASSERT_TRUE(gateway.Listen(QHostAddress::LocalHost, 0));
    }
    bool mbap() const { return GetParam() == sim::TcpSimulator::Framing::Mbap; }

    std::unique_ptr<QTcpSocket> connect()
    {
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost(QHostAddress::LocalHost, gateway.Port());
        EXPECT_TRUE(WaitFor([&] { return s->state() == QAbstractSocket::ConnectedState; }));
        return s;
    }
    QByteArray wireRequest() { return mbap() ? *mbap::FromRtu(request, ++transaction) : request; }
    QByteArray wireReply() const { return mbap() ? *mbap::FromRtu(reply, transaction) : reply; }
    void fault(const char *rule) { gateway.bus().Faults().Add(*sim::ParseFault(QString::fromLatin1(rule))); }

    // What comes back within waitMs of the request.
    QByteArray exchange(QTcpSocket &s, int waitMs = 300)
    {
        s.write(wireRequest());
        QByteArray in;
        const QByteArray want = wireReply();
        WaitFor([&] { in += s.readAll(); return in.size() >= want.size() || s.state() != QAbstractSocket::ConnectedState; }, waitMs);
        return in + s.readAll();
    }
};

} // namespace

TEST_P(Served, ClientsOneAfterAnotherAndOneThatVanishesMidRequest)
{
    auto first = connect();
    auto second = connect(); // waits in the queue
    QByteArray got = exchange(*first);
    EXPECT_EQ(HexText(got), HexText(wireReply()));
    second->write(wireRequest());
    Pump(100);
    EXPECT_EQ(second->bytesAvailable(), 0) << "served only after the first has gone";
    first->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return second->bytesAvailable() >= wireReply().size(); }));
    EXPECT_EQ(HexText(second->readAll()), HexText(wireReply()));

    // A client that vanishes while its late reply is pending.
    fault("delay:100@at=3");
    second->write(wireRequest());
    second->abort();
    auto third = connect();
    Pump(200);
    got = exchange(*third);
    EXPECT_EQ(HexText(got), HexText(wireReply()));
    EXPECT_EQ(gateway.ClientsTaken(), 3);
}

TEST_P(Served, NetworkFaults)
{
    fault("hangup@at=1");
    fault("mute@at=3");
    fault("split:30,3@at=4");
    auto client = connect();
    const QByteArray half = exchange(*client);
    EXPECT_EQ(HexText(half), HexText(wireReply().left(wireReply().size() / 2)));
    ASSERT_TRUE(WaitFor([&] { return client->state() == QAbstractSocket::UnconnectedState; }));

    client = connect();
    const QByteArray whole = exchange(*client);
    EXPECT_EQ(HexText(whole), HexText(wireReply()));
    EXPECT_EQ(exchange(*client), QByteArray()) << "muted";
    EXPECT_EQ(exchange(*client), QByteArray()) << "still muted on this connection";
    EXPECT_EQ(client->state(), QAbstractSocket::ConnectedState);

    client = connect();
    QList<int> pieces;
    client->write(wireRequest());
    QByteArray in;
    WaitFor([&] {
        const QByteArray got = client->readAll();
        if (!got.isEmpty())
            pieces.append(int(got.size()));
        in += got;
        return in.size() >= wireReply().size();
    });
    EXPECT_EQ(HexText(in), HexText(wireReply()));
    EXPECT_GE(pieces.size(), 2) << "the split reply comes in several segments";
}

INSTANTIATE_TEST_SUITE_P(Framings, Served,
                         ::testing::Values(sim::TcpSimulator::Framing::Rtu, sim::TcpSimulator::Framing::Mbap),
                         [](const auto &info) {
                             return std::string(info.param == sim::TcpSimulator::Framing::Mbap ? "Mbtcp" : "Tcp");
                         });

namespace {

// One kzsim serving over the network; stopped when the object goes.
struct NetSim {
    QProcess proc;
    quint16 port = 0;
    ~NetSim()
    {
        proc.terminate();
        if (!proc.waitForFinished(5000))
            proc.kill();
        proc.waitForFinished(2000);
    }
    // Starts kzsim and reads its "MBTCP 127.0.0.1:PORT" (or TCP) line.
    ::testing::AssertionResult Start(const QStringList &args)
    {
        proc.start(QStringLiteral(KZSIM_PATH), args);
        QByteArray out;
        while (!out.contains('\n')) {
            if (!proc.waitForReadyRead(5000))
                return ::testing::AssertionFailure() << "no address line: " << proc.readAllStandardError().constData();
            out += proc.readAllStandardOutput();
        }
        static const QRegularExpression line(QStringLiteral(R"(^(MB)?TCP 127\.0\.0\.1:(\d+)\n)"));
        const auto m = line.match(QString::fromLatin1(out));
        if (!m.hasMatch())
            return ::testing::AssertionFailure() << "unexpected first line: " << out.constData();
        port = static_cast<quint16>(m.captured(2).toInt());
        return ::testing::AssertionSuccess();
    }
};

QString RunPeer(const QString &program, const QStringList &args, int *exitCode)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(20000))
        p.kill();
    *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
}

} // namespace

TEST(SimNetworkPeers, MbpollReadsAndWritesOverModbusTcp)
{
    if (QStandardPaths::findExecutable(QStringLiteral("mbpoll")).isEmpty())
        GTEST_SKIP() << "mbpoll is not installed";
    NetSim sim;
    ASSERT_TRUE(sim.Start({"--mbtcp", "0", "--instrument", "1:three-phase"}));
    const QStringList common = {"-m", "tcp", "-p", QString::number(sim.port), "-0", "-1", "-o", "1", "-a", "1"};
    int rc = -1;
    QString out = RunPeer("mbpoll", common + QStringList{"-r", "0x51", "127.0.0.1", "0x120", "1", "0x300"}, &rc);
    ASSERT_EQ(rc, 0) << qPrintable(out);
    out = RunPeer("mbpoll", common + QStringList{"-r", "0x50", "-c", "4", "127.0.0.1"}, &rc);
    ASSERT_EQ(rc, 0) << qPrintable(out);
    EXPECT_TRUE(out.contains(QRegularExpression(R"(\[81\]:\s*288\s+\[82\]:\s*1\s+\[83\]:\s*768)")))
        << qPrintable(out);
    out = RunPeer("mbpoll", common + QStringList{"-r", "0x30", "127.0.0.1"}, &rc);
    EXPECT_NE(rc, 0);
    EXPECT_TRUE(out.contains(QLatin1String("Illegal data address"))) << qPrintable(out);
}

TEST(SimNetworkPeers, PymodbusTcpClientReadsWritesAndSeesExceptions)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    int rc = -1;
    if (!QFileInfo(python).isExecutable() || (RunPeer(python, {"-c", "import pymodbus.client"}, &rc), rc != 0))
        GTEST_SKIP() << "/usr/bin/python3 with pymodbus is not available";
    NetSim sim;
    ASSERT_TRUE(sim.Start({"--mbtcp", "0"}));
    const QString script = QStringLiteral(R"(
import sys
from pymodbus.client import ModbusTcpClient
c = ModbusTcpClient("127.0.0.1", port=int(sys.argv[1]), timeout=1)
assert c.connect()
w = c.write_registers(0x50, [1, 0x0120, 1, 0x0300], slave=1)
print("write", w.isError(), w.address, w.count)
print("back", c.read_holding_registers(0x50, 4, slave=1).registers)
e = c.read_holding_registers(0x2E, 1, slave=1)
print("exception", e.isError(), e.exception_code)
print("single-phase", len(c.read_holding_registers(0x50, 2, slave=2).registers))
c.close()
)");
    const QString out = RunPeer(python, {"-c", script, QString::number(sim.port)}, &rc);
    ASSERT_EQ(rc, 0) << qPrintable(out);
    EXPECT_EQ(out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
              (QStringList{"write False 80 4", "back [1, 288, 1, 768]", "exception True 2", "single-phase 2"}))
        << qPrintable(out);
}
