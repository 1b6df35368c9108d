// kzctl against simulated gateways on loopback TCP, in both network modes:
// several buses at once, backups named by bus, and what a refused, unknown
// or failing gateway does to the run. The gateways are served by this
// test's event loop while kzctl runs as a child process.
#include "sim/faults.h"
#include "sim/tcpsimulator.h"
#include "tests/support/testutil.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    KZ_SKIP_UNDER_WINE("kzctl.exe on several buses against gateways in this process ends in a page fault; "
                       "not seen against separate gateway processes (open)");
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
    KZ_SKIP_UNDER_WINE("kzctl.exe on several buses against gateways in this process ends in a page fault; "
                       "not seen against separate gateway processes (open)");
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

INSTANTIATE_TEST_SUITE_P(Modes, Gateways, ::testing::Values(Framing::Rtu, Framing::Mbap),
                         [](const auto &info) { return std::string(info.param == Framing::Mbap ? "Mbtcp" : "Tcp"); });
