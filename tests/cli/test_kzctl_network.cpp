// kzctl against simulated gateways on loopback TCP, in both network modes:
// several buses at once, backups named by bus, and what a refused, unknown
// or failing gateway does to the run. The gateways are served by this
// test's event loop while kzctl runs as a child process.
#include "link/mbap.h"
#include "sim/faults.h"
#include "sim/tcpsimulator.h"
#include "tests/support/testutil.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using Framing = sim::TcpSimulator::Framing;

struct Result {
    int status = -1;
    QString out;
    QString err;
};

class Gateways : public ::testing::TestWithParam<Framing> {
protected:
    // Two gateways: meters 1 (three-phase) and 2 (single-phase) on the
    // first, 1 (kz827) and 3 (three-phase) on the second.
    void SetUp() override
    {
        for (int g = 0; g < 2; ++g) {
            gateways_.push_back(std::make_unique<sim::TcpSimulator>(GetParam()));
            ASSERT_TRUE(gateways_.back()->Listen(QHostAddress::LocalHost, 0));
        }
        gateways_[0]->bus().Add(1, sim::Family::ThreePhase);
        gateways_[0]->bus().Add(2, sim::Family::SinglePhase);
        gateways_[1]->bus().Add(1, sim::Family::Kz827);
        gateways_[1]->bus().Add(3, sim::Family::ThreePhase);
        ASSERT_TRUE(dir_.isValid());
    }
    QString Port(int g) const
    {
        return QStringLiteral("%1://127.0.0.1:%2")
            .arg(GetParam() == Framing::Mbap ? "mbtcp" : "tcp")
            .arg(gateways_[std::size_t(g)]->Port());
    }
    Result Run(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(KZCTL_PROGRAM), args);
        EXPECT_TRUE(p.waitForStarted());
        EXPECT_TRUE(WaitFor([&] { return p.state() == QProcess::NotRunning; }, 60000));
        // Lines end in CR LF on a Windows console.
        const auto text = [](const QByteArray &bytes) { return QString::fromUtf8(bytes).replace("\r\n", "\n"); };
        return {p.exitCode(), text(p.readAllStandardOutput()), text(p.readAllStandardError())};
    }
    static QStringList Sorted(QStringList lines)
    {
        lines.sort();
        return lines;
    }

    std::vector<std::unique_ptr<sim::TcpSimulator>> gateways_;
    QTemporaryDir dir_;
};

} // namespace

TEST_P(Gateways, ScanAndReadSeveralBusesAtOnceEachLineNamingItsBus)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString refused = QStringLiteral("tcp://127.0.0.1:%1").arg(closed.serverPort());
    closed.close();
    Result r = Run({"scan", "--from", "1", "--to", "3", "--port", Port(0), "--port", refused, "--port", Port(1)});
    EXPECT_EQ(r.status, 1) << "the refused bus fails the run";
    EXPECT_EQ(Sorted(r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)),
              Sorted({Port(0) + "\t1\tthree-phase", Port(0) + "\t2\tsingle-phase", Port(1) + "\t1\tkz827",
                      Port(1) + "\t3\tthree-phase"}));
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("kzctl: %1: cannot connect to %1: Connection refused").arg(refused));

    r = Run({"read", "--family", "three-phase", "--address", "1", "measurements", "--json", "--port", Port(0),
             "--port", Port(1)});
    EXPECT_EQ(r.status, 1) << "meter 1 of the second bus is a kz827";
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 1) << r.err.toStdString();
    const QJsonObject doc = QJsonDocument::fromJson(lines.first().toUtf8()).object();
    EXPECT_EQ(doc.value("bus").toString(), Port(0));
    EXPECT_EQ(doc.value("address").toInt(), 1);
}

TEST_P(Gateways, BackupAndRestoreSeveralBusesWithFilesNamedByBus)
{
    const QString base = dir_.filePath("site.json");
    Result r = Run({"backup", "--family", "three-phase", "--address", "1", "-o", base, "--port", Port(0), "--port",
                    Port(1)});
    EXPECT_EQ(r.status, 1) << "address 1 of the second bus is no three-phase meter";
    const QString first = dir_.filePath(QStringLiteral("site-127.0.0.1-%1-1.json").arg(gateways_[0]->Port()));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{QFileInfo(first).fileName()}) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(Port(1) + ": meter 1 is a kz827 meter")) << r.err.toStdString();

    r = Run({"restore", first, "--address", "3", "--port", Port(1)});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("meter 3 block init: written, read-back matches")) << r.out.toStdString();
}

TEST_P(Gateways, NetworkFaultsGiveOneClearMessageAndWriteNothingWhileASplitReplyIsTaken)
{
    struct Case {
        const char *fault;
        QString port;
        int status;
        QString message;
    };
    const Case cases[] = {
        {"split:20,5@at=2", Port(0), 0, "meter 1: backed up to"}, // a reply in many TCP segments
        {"hangup@at=2", Port(0), 1, Port(0) + ": the connection was closed"},
        {"mute@at=2", Port(0), 1, "meter 1 did not answer"},
        {"", "tcp://no-such-gateway.invalid:502", 1, "cannot connect to tcp://no-such-gateway.invalid:502"},
        {"", "mbtcp://[::1:502", 2, "cannot use mbtcp://[::1:502"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault + std::string(" ") + c.port.toStdString());
        auto &faults = gateways_[0]->bus().Faults();
        faults.Clear();
        faults.SetSeed(1);
        if (*c.fault)
            faults.Add(*sim::ParseFault(QString::fromLatin1(c.fault)));
        const QString out = dir_.filePath("fault.json");
        const Result r = Run({"backup", "--family", "three-phase", "--address", "1", "-o", out, "--port", c.port,
                              "--timeout", "200"});
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        EXPECT_EQ(QFileInfo::exists(out), c.status == 0);
        QFile::remove(out);
    }
}

// A gateway that goes away ends the run at once: one message names the
// meters left, and a restore cut off names the block it stopped at, the
// blocks written before it and those not written.
TEST_P(Gateways, ALostConnectionEndsTheRunWithOneMessage)
{
    auto &bus = gateways_[0]->bus();
    bus.Add(3, sim::Family::ThreePhase);
    bus.Add(4, sim::Family::ThreePhase);
    const auto fault = [&](const char *rule) {
        bus.Faults().Clear();
        bus.Faults().SetSeed(1);
        bus.Faults().Add(*sim::ParseFault(QString::fromLatin1(rule)));
    };
    // Meter 1 takes its family check and 14 blocks; the 16th request is meter 2's.
    fault("hangup@at=16");
    Result r = Run({"backup", "--family", "three-phase", "--address", "1-4", "-o", dir_.filePath("site.json"),
                    "--port", Port(0), "--timeout", "200"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(QFileInfo::exists(dir_.filePath("site-1.json")));
    EXPECT_EQ(r.err.count("kzctl: "), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("\nkzctl: " + Port(0) + ": the connection was closed")) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith("; meters 2-4 were not read\n")) << r.err.toStdString();

    // A scan cut off at meter 1's family check reports no address it did not finish.
    fault("hangup@at=2");
    r = Run({"scan", "--from", "1", "--to", "4", "--port", Port(0), "--timeout", "200"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.startsWith("kzctl: " + Port(0) + ": the connection was closed")) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith("; addresses 1..4 were not scanned\n")) << r.err.toStdString();

    // The restore: the family check, then a write and a read-back a block;
    // request 6 is the write of the third block, whose echo is lost.
    QString notWritten;
    for (int g = 1; g <= 10; ++g)
        notWritten += QStringLiteral("%1limits-%2").arg(g > 1 ? ", " : "").arg(g);
    const std::pair<const char *, QString> cases[] = {
        {"hangup@at=6", Port(0) + ": the connection was closed"},
        {"drop@at=6", "meter 1 did not answer;"},
    };
    for (const auto &[rule, why] : cases) {
        SCOPED_TRACE(rule);
        fault(rule);
        r = Run({"restore", dir_.filePath("site-1.json"), "--port", Port(0), "--timeout", "200"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith("kzctl: meter 1: the restore stopped at block init: " + why)) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("; written and verified before it: alarm-mask, display; not written: " + notWritten))
            << r.err.toStdString();
        EXPECT_EQ(r.out.count(QLatin1Char('\n')), 2) << r.out.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, Gateways, ::testing::Values(Framing::Rtu, Framing::Mbap),
                         [](const auto &info) { return std::string(info.param == Framing::Mbap ? "Mbtcp" : "Tcp"); });

namespace {

// A Modbus TCP gateway to a simulated bus that tells one lie in its first
// reply and answers truly after that.
class LyingGateway {
public:
    explicit LyingGateway(std::function<QByteArray(QByteArray)> lie) : lie_(std::move(lie))
    {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket *peer = server_.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, [this, peer] {
                stream_.Append(peer->readAll());
                while (const auto request = stream_.Take()) {
                    const QByteArray reply = bus.Handle(mbap::ToRtu(*request));
                    if (reply.isEmpty())
                        continue;
                    const QByteArray frame = *mbap::FromRtu(reply, request->transaction);
                    peer->write(replies_++ == 0 ? lie_(frame) : frame);
                }
            });
        });
    }
    QString Port() const { return QStringLiteral("mbtcp://127.0.0.1:%1").arg(server_.serverPort()); }
    sim::Bus bus;

private:
    QTcpServer server_;
    mbap::Stream stream_;
    std::function<QByteArray(QByteArray)> lie_;
    int replies_ = 0;
};

QByteArray WithLength(QByteArray frame, int length)
{
    frame[4] = char(length >> 8);
    frame[5] = char(length & 0xFF);
    return frame;
}

} // namespace

TEST(LyingGateway, OneLengthThatLiesCostsOnlyItsOwnExchange)
{
    const std::pair<const char *, std::function<QByteArray(QByteArray)>> lies[] = {
        {"length 20 too long", [](QByteArray f) { return WithLength(f, int(f.size()) - 6 + 20); }},
        {"length 254", [](QByteArray f) { return WithLength(f, 254); }},
        {"cut short", [](QByteArray f) { return WithLength(f.left(f.size() - 2), int(f.size()) - 8); }},
    };
    for (const auto &[name, lie] : lies) {
        SCOPED_TRACE(name);
        LyingGateway gateway(lie);
        for (int a = 1; a <= 3; ++a)
            gateway.bus.Add(std::uint8_t(a), sim::Family::ThreePhase);
        QProcess p;
        p.start(QStringLiteral(KZCTL_PROGRAM), {"scan", "--from", "1", "--to", "3", "--port", gateway.Port()});
        ASSERT_TRUE(WaitFor([&] { return p.state() == QProcess::NotRunning; }, 20000));
        // The probe of meter 1 was answered with the lie; the rest is read.
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).replace("\r\n", "\n"), "2\tthree-phase\n3\tthree-phase\n");
        EXPECT_EQ(p.exitCode(), 0);
    }
}
