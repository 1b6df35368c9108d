// kzctl against the simulated bus: the program runs as a child process on the
// simulator's pseudo-terminal while the test's event loop serves the bus.
// One test shares the bus with the limits window, as a user would.
#include "cli/blocks.h"
#include "cli/synclink.h"
#include "tests/support/fakeport.h"
#include "ui/settingsfile.h"
#include "ui/messagebox.h"
#include "link/qtserialport.h"
#include "link/seriallink.h"
#include "sim/kz827.h"
#include "sim/ptysimulator.h"
#include "sim/singlephase.h"
#include "sim/threephase.h"
#include "tests/support/testutil.h"
#include "threephase/limitswindow.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>



namespace {

TEST(ReplyTo, NeedsAddressFunctionLengthAndCrc)
{
    const QByteArray echo = WithCrc(Hex("01 10 00 34 00 04"));
    EXPECT_TRUE(cli::IsReplyTo(echo, 1, 0x10));
    EXPECT_FALSE(cli::IsReplyTo(echo, 2, 0x10));
    EXPECT_FALSE(cli::IsReplyTo(echo, 1, 0x03));
    QByteArray bad = echo;
    bad[7] = char(bad[7] ^ 1);
    EXPECT_FALSE(cli::IsReplyTo(bad, 1, 0x10));
    EXPECT_TRUE(cli::IsReplyTo(WithCrc(Hex("01 90 02")), 1, 0x10));
}

// ---- Values from files: held exactly or refused ----

// One field of each kind with the last value it holds and the first it
// does not, on each side. The windows limit or wrap what a person types; a
// file must get what it says or nothing.
struct ExactCase {
    const char *family;
    const char *block;
    const char *field;
    const char *lowOk, *lowBad, *highOk, *highBad;
};

void PrintTo(const ExactCase &c, std::ostream *os) { *os << c.family << ' ' << c.block << '/' << c.field; }

class ExactTest : public ::testing::TestWithParam<ExactCase> {};

TEST_P(ExactTest, HoldsItsRangeAndRefusesBeyond)
{
    const ScopedEnglish english; // the reasons as kzctl prints them
    const ExactCase &c = GetParam();
    const cli::Block *block = cli::FindBlock(*cli::ParseFamily(c.family), c.block);
    ASSERT_NE(block, nullptr);
    const int k = block->Find(c.field);
    ASSERT_GE(k, 0);
    fields::Values values = block->decode(QByteArray(block->readBytes, '\0'));
    ASSERT_TRUE(cli::EncodeExact(*block, values).ok()) << cli::EncodeExact(*block, values).error.toStdString();
    for (const char *ok : {c.lowOk, c.highOk}) {
        values[k] = QString::fromUtf8(ok);
        const fields::Encoded e = cli::EncodeExact(*block, values);
        EXPECT_TRUE(e.ok()) << ok << ": " << e.error.toStdString();
    }
    for (const char *bad : {c.lowBad, c.highBad}) {
        values[k] = QString::fromUtf8(bad);
        const fields::Encoded e = cli::EncodeExact(*block, values);
        EXPECT_FALSE(e.ok()) << bad;
        EXPECT_EQ(e.field, k);
        const QString prefix = QStringLiteral("%1/%2 (").arg(c.block, c.field);
        EXPECT_TRUE(e.error.startsWith(prefix) && e.error.contains(QStringLiteral("'%1'").arg(bad)) &&
                    e.error.contains(QStringLiteral("allowed: ") + block->names[k].allowed))
            << e.error.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    FieldKinds, ExactTest,
    ::testing::Values(ExactCase{"three-phase", "limits-1", "LabeledEdit1", "0", "-1", "9999", "12345"},  // BCD limit
                      ExactCase{"three-phase", "limits-1", "LabeledEdit2", ".001", "1.2345", "999.9", "99999"},
                      ExactCase{"three-phase", "display", "SpinEdit4", "0", "-1", "99", "1000"},     // BCD interval
                      ExactCase{"three-phase", "display", "Edit1", "0", "-1", "9999", "10000"},      // BCD number
                      ExactCase{"three-phase", "display", "ComboBox1", "0", "-1", "9", "10"},        // list
                      ExactCase{"three-phase", "init", "RadioGroup1", "0", "-1", "1", "7"},          // radio
                      ExactCase{"three-phase", "alarm-mask", "CheckBox1", "0", "-1", "1", "2"},      // check box
                      ExactCase{"three-phase", "energy-bases", "LabeledEdit3", "0", "-0.01", "16777215.99", "1.234"},
                      ExactCase{"single-phase", "alarm-params-1", "Edit1", "-9999", "-10000", "9999", "10000"},
                      ExactCase{"single-phase", "alarm-params-1", "SpinEdit2", "0", "-1", "3", "4"},
                      ExactCase{"single-phase", "init", "LabeledEdit1", "0", "-1", "9999", "10000"},
                      ExactCase{"kz827", "range", "RadioGroup4", "0", "-1", "2", "3"},
                      ExactCase{"kz827", "range", "LabeledEdit1", "0", "-1", "9999", "10000"},
                      ExactCase{"kz827", "alarms", "SpinEdit2", "0", "-1", "15", "16"},
                      ExactCase{"kz827", "alarms", "Edit1", "0.001V", ".0005V", "9999KV", "99999V"}));

// ---- The program against the simulator ----

struct Result {
    int status = -1;
    QString out;
    QString err;
};

class KzctlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto &bus = sim_.bus();
        bus.Add(1, sim::Family::ThreePhase);
        bus.Add(2, sim::Family::SinglePhase);
        bus.Add(3, sim::Family::Kz827);
        bus.Add(4, sim::Family::ThreePhase);
        bus.Add(5, sim::Family::SinglePhase);
        bus.Add(6, sim::Family::Kz827);
        KZ_NEEDS_PTY();
        ASSERT_TRUE(sim_.Open());
        ASSERT_TRUE(dir_.isValid());
        connect();
    }
    void connect()
    {
        QObject::connect(&sim_, &sim::PtySimulator::Served, [this](const QByteArray &request, const QByteArray &, qint64) {
            if (request.size() > 1 && static_cast<std::uint8_t>(request.at(1)) == 0x10)
                ++writes_;
        });
    }

    // input: what the operator types (standard input is closed after it).
    Result Run(QStringList args, bool withPort = true, const QByteArray &input = {})
    {
        if (withPort)
            args << QStringLiteral("--port") << sim_.SlavePath();
        QProcess p;
        p.start(QStringLiteral(KZCTL_PROGRAM), args);
        EXPECT_TRUE(p.waitForStarted());
        p.write(input);
        p.closeWriteChannel();
        EXPECT_TRUE(WaitFor([&] { return p.state() == QProcess::NotRunning; }, 60000));
        // Lines end in CR LF on a Windows console.
        const auto text = [](const QByteArray &bytes) { return QString::fromUtf8(bytes).replace("\r\n", "\n"); };
        return {p.exitCode(), text(p.readAllStandardOutput()), text(p.readAllStandardError())};
    }
    QString File(const QString &name) const { return dir_.filePath(name); }
    QJsonObject Json(const QString &path) const
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        return QJsonDocument::fromJson(f.readAll()).object();
    }
    std::uint16_t Holding(int address, std::uint16_t reg)
    {
        auto &bus = sim_.bus();
        if (auto *t = bus.ThreePhaseAt(std::uint8_t(address)))
            return t->Holding(reg);
        if (auto *s = bus.SinglePhaseAt(std::uint8_t(address)))
            return s->Holding(reg);
        return bus.Kz827At(std::uint8_t(address))->Holding(reg);
    }

    sim::PtySimulator sim_;
    QTemporaryDir dir_;
    int writes_ = 0;
};

TEST_F(KzctlTest, ScanFindsTheMetersAndTheirFamilies)
{
    const Result r = Run({"scan", "--from", "1", "--to", "8"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "1\tthree-phase\n2\tsingle-phase\n3\tkz827\n4\tthree-phase\n5\tsingle-phase\n6\tkz827\n");
    EXPECT_EQ(Run({"scan", "--from", "10", "--to", "12"}).status, 1);
}

TEST_F(KzctlTest, ExitStatusTellsUsageFromSilence)
{
    EXPECT_EQ(Run({"read", "--family", "kz827", "--address", "9", "measurements", "--timeout", "100"}).status, 1);
    EXPECT_EQ(Run({"read", "--family", "four-phase", "--address", "1", "measurements"}).status, 2);
    EXPECT_EQ(Run({"backup", "--family", "kz827", "--address", "0", "-o", File("x.json")}).status, 2);
    EXPECT_EQ(Run({"frobnicate"}).status, 2);
    EXPECT_EQ(Run({"diff", File("missing.json"), File("missing.json")}, false).status, 2);
}

// Every command that opens a port refuses a path that is no serial port as
// the port dialog does, with its reason, at once and as a usage error:
// /dev/ptmx would otherwise open and wait out the time-out.
TEST_F(KzctlTest, PathsThatAreNoSerialPortAreRefusedAtOnce)
{
    const QString backup = File("meter3.json");
    ASSERT_EQ(Run({"backup", "--family", "kz827", "--address", "3", "-o", backup}).status, 0);
    const std::pair<QStringList, QString> cases[] = {
        {{"scan", "--from", "1", "--to", "3"}, "/dev/ptmx"},
        {{"read", "--family", "kz827", "--address", "3", "measurements"}, "/dev/null"},
        {{"restore", backup}, "/dev/ptmx"},
        {{"diff", backup}, dir_.path()},
    };
    for (const auto &[args, path] : cases) {
        QElapsedTimer clock;
        clock.start();
        const Result r = Run(args + QStringList{"--timeout", "5000", "--port", path}, false);
        EXPECT_LT(clock.elapsed(), 2500) << args.join(' ').toStdString();
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_EQ(r.err, "kzctl: cannot use " + path + " as a serial port: 不是串口设备\n");
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(writes_, 0);
}

// An address no meter may have, from --address or from a backup file, is a
// usage error with nothing sent: never the broadcast address 0, never an
// address wrapped into the frame's byte (259 would reach meter 3).
TEST_F(KzctlTest, AddressesOutsideOneTo247AreRefusedWithNothingSent)
{
    const QString backup = File("meter1.json");
    ASSERT_EQ(Run({"backup", "--family", "three-phase", "--address", "1", "-o", backup}).status, 0);
    int requests = 0;
    QObject::connect(&sim_, &sim::PtySimulator::Served, [&] { ++requests; });
    for (const char *bad : {"0", "248", "259", "1.5", "a", "3-1", "1-300"}) {
        for (const QStringList &args : {QStringList{"backup", "--family", "three-phase", "-o", File("x.json")},
                                        QStringList{"read", "--family", "three-phase", "measurements"},
                                        QStringList{"restore", backup}, QStringList{"diff", backup}}) {
            const Result r = Run(args + QStringList{"--address", bad});
            EXPECT_EQ(r.status, 2) << bad << " " << args.join(' ').toStdString();
            EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        }
    }
    QFile file(backup);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject doc = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    for (const QJsonValue &address : {QJsonValue(0), QJsonValue(259), QJsonValue(1.5), QJsonValue("1")}) {
        QJsonObject edited = doc;
        edited["address"] = address;
        const QString path = File("edited.json");
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(QJsonDocument(edited).toJson());
        out.close();
        for (const QStringList &args : {QStringList{"restore", path}, QStringList{"diff", path}}) {
            const Result r = Run(args);
            EXPECT_EQ(r.status, 2) << QJsonDocument(QJsonArray{address}).toJson().toStdString() << args[0].toStdString();
            EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        }
    }
    EXPECT_EQ(requests, 0);
    EXPECT_EQ(writes_, 0);
}

// Several serial buses at once run each on a thread Qt knows, so the ports'
// notifiers work and Qt has nothing to warn about.
TEST_F(KzctlTest, SeveralSerialBusesRunWithoutQtWarnings)
{
    sim::PtySimulator second;
    second.bus().Add(7, sim::Family::Kz827);
    ASSERT_TRUE(second.Open());
    const Result r = Run({"scan", "--from", "6", "--to", "7", "--port", second.SlavePath()});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    lines.sort();
    QStringList expected{second.SlavePath() + "\t7\tkz827", sim_.SlavePath() + "\t6\tkz827"};
    expected.sort();
    EXPECT_EQ(lines, expected);
}

struct FamilyCase {
    const char *family;
    int source;
    int target;
    int measurements;
    const char *name;        // a field set on the source meter
    const char *value;
    std::uint16_t reg;       // where its value lands
    std::uint16_t expected;  // and as what
};

void PrintTo(const FamilyCase &c, std::ostream *os) { *os << c.family; }

class KzctlFamilyTest : public KzctlTest, public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(KzctlFamilyTest, ReadsMeasurementsWithUnits)
{
    const FamilyCase &c = GetParam();
    const Result r = Run({"read", "--family", c.family, "--address", QString::number(c.source), "measurements", "--json"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray list = QJsonDocument::fromJson(r.out.toUtf8()).object().value("measurements").toArray();
    ASSERT_EQ(list.size(), c.measurements);
    const QString first = list.at(0).toObject().value("value").toString();
    EXPECT_TRUE(first.endsWith(QLatin1Char('V'))) << first.toStdString();
}

// Back up, change one field with set, the diff names exactly that field, a
// restore to another meter copies the change with a matching read-back, and
// restoring the first backup puts the old value back.
TEST_P(KzctlFamilyTest, BackupSetDiffRestore)
{
    const FamilyCase &c = GetParam();
    const QString src = QString::number(c.source);
    const QString before = File("before.json");
    Result r = Run({"backup", "--family", c.family, "--address", src, "-o", before});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject doc = Json(before);
    EXPECT_EQ(doc.value("family").toString(), c.family);
    EXPECT_EQ(doc.value("address").toInt(), c.source);
    const auto family = cli::ParseFamily(c.family);
    EXPECT_EQ(doc.value("blocks").toArray().size(), cli::Blocks(*family).size());
    const std::uint16_t old = Holding(c.source, c.reg);

    r = Run({"set", "--family", c.family, "--address", src, QString::fromUtf8(c.name) + "=" + c.value});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(Holding(c.source, c.reg), c.expected);

    r = Run({"diff", before}); // against the meter the file came from
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.count(QLatin1Char('\n')), 1) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QString::fromUtf8(c.name).section('/', -1))) << r.out.toStdString();

    const QString after = File("after.json");
    ASSERT_EQ(Run({"backup", "--family", c.family, "--address", src, "-o", after}).status, 0);
    r = Run({"diff", before, after}, false);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.count(QLatin1Char('\n')), 1) << r.out.toStdString();

    r = Run({"restore", after, "--address", QString::number(c.target)});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains("differs"));
    EXPECT_EQ(Holding(c.target, c.reg), c.expected);
    EXPECT_EQ(Run({"diff", after, "--address", QString::number(c.target)}).status, 0);

    ASSERT_EQ(Run({"restore", before}).status, 0);
    EXPECT_EQ(Holding(c.source, c.reg), old);
    EXPECT_EQ(Run({"diff", before}).status, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Families, KzctlFamilyTest,
    ::testing::Values(FamilyCase{"three-phase", 1, 4, 36, "limits-1/LabeledEdit1", "250.5", 0x1000, 0x2505},
                      FamilyCase{"single-phase", 2, 5, 13, "alarm-params-1/Edit1", "250.5", 0x1000, 2505},
                      FamilyCase{"kz827", 3, 6, 3, "电压上限", "250.5V", 0x1029, 0x2505}),
    [](const auto &info) { return std::string(info.param.family == std::string("kz827") ? "Kz827" : info.param.family[0] == 't' ? "ThreePhase" : "SinglePhase"); });

TEST_F(KzctlTest, RefusedValuesWriteNothing)
{
    const QStringList bad[] = {
        {"--family", "three-phase", "--address", "1", "limits-1/LabeledEdit1=250.5", "limits-1/LabeledEdit2=abc"},
        {"--family", "three-phase", "--address", "1", "LabeledEdit1=2"}, // in two blocks
        {"--family", "single-phase", "--address", "2", "alarm-params-1/Edit1=22x"},
        {"--family", "kz827", "--address", "3", "电压上限=250.5V", "SpinEdit2=16"},
        {"--family", "kz827", "--address", "3", "电压上限=1.2.3V"},
        {"--family", "kz827", "--address", "3", "NoSuchField=1"},
        {"--family", "three-phase", "--address", "1", "display/SpinEdit4=1000"},
    };
    Result last;
    for (const QStringList &args : bad) {
        last = Run(QStringList{"set"} + args);
        EXPECT_EQ(last.status, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(last.err.isEmpty());
    }
    EXPECT_TRUE(last.err.contains(QStringLiteral(
        "display/SpinEdit4 (上窗口测量参数显示间隔): '1000' would be written as '99'; allowed: 0..99 (the window: 数据大于99取值99)")));

    // A backup edited by hand: one value the field cannot hold stops the
    // whole restore, with or without --dry-run.
    const QString path = File("edited.json");
    ASSERT_EQ(Run({"backup", "--family", "three-phase", "--address", "1", "-o", path}).status, 0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(file.readAll());
    file.close();
    const QRegularExpression limit(QStringLiteral(R"re(("name": "LabeledEdit1",\s*"value": ")0999")re"));
    const QRegularExpressionMatch m = limit.match(text); // the first: limits-1
    ASSERT_TRUE(m.hasMatch());
    text.replace(m.capturedStart(), m.capturedLength(), m.captured(1) + "99999\"");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
    file.close();
    for (const bool dry : {true, false}) {
        const Result r = Run(dry ? QStringList{"restore", path, "--dry-run"} : QStringList{"restore", path}, !dry);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.err.contains("refused, nothing written: limits-1/LabeledEdit1 (Ua上限): '99999' would be written as '9999'"))
            << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
    // The same file claiming another family.
    text.replace("\"family\": \"three-phase\"", "\"family\": \"single-phase\"");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
    file.close();
    EXPECT_TRUE(Run({"restore", path, "--dry-run"}, false)
                    .err.contains("the file's family (single-phase) and its blocks disagree: block 'alarm-mask' is a "
                                  "three-phase block"));

    EXPECT_EQ(writes_, 0);
    EXPECT_EQ(Holding(1, 0x1000), 0x0999);
    EXPECT_EQ(Holding(3, 0x1029), 0x9999);
}

// A backup that names no meter of its own, holds no block, or is no file
// at all is refused before anything is sent: address 259 is not meter 3.
TEST_F(KzctlTest, BadBackupFilesSendNothing)
{
    const QString path = File("meter3.json");
    ASSERT_EQ(Run({"backup", "--family", "kz827", "--address", "3", "-o", path}).status, 0);
    int requests = 0;
    QObject::connect(&sim_, &sim::PtySimulator::Served, [&] { ++requests; });
    const auto edited = [&](const char *name, const char *key, const QJsonValue &value) {
        QJsonObject doc = Json(path);
        doc[key] = value;
        QFile file(File(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(doc).toJson());
        return File(name);
    };
    QList<std::pair<QString, QString>> files = {
        {edited("259.json", "address", 259), "got the number 259"},
        {edited("text.json", "address", "3"), "got the text \"3\""},
        {edited("empty.json", "blocks", QJsonObject{}), "blocks: expected a list of at least one block, got an object"},
    };
#ifdef Q_OS_UNIX
    const QString zero = File("zero.json"), fifo = File("fifo.json");
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    files.append({zero, "is not a regular file"});
    files.append({fifo, "is not a regular file"});
#endif
    for (const auto &[file, reason] : files)
        for (const QStringList &args : {QStringList{"restore", file}, QStringList{"diff", file}}) {
            const Result r = Run(args);
            EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
            EXPECT_TRUE(r.err.startsWith("kzctl: " + file + ": ") || r.err.startsWith("kzctl: " + file + " "));
            EXPECT_TRUE(r.err.contains(reason)) << r.err.toStdString();
            EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        }
    EXPECT_EQ(requests, 0);
}

// An output that cannot be written is found before the meter is read.
TEST_F(KzctlTest, UnwritableBackupReadsNothing)
{
    int requests = 0;
    QObject::connect(&sim_, &sim::PtySimulator::Served, [&] { ++requests; });
    const Result r = Run({"backup", "--family", "kz827", "--address", "3", "-o", File("no/such/folder/m.json")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("cannot write")) << r.err.toStdString();
    EXPECT_EQ(requests, 0);
}

TEST_F(KzctlTest, DryRunWritesNothingAndBackupOfARangeWritesAFileEach)
{
    ASSERT_EQ(Run({"backup", "--family", "kz827", "--address", "3-3", "-o", File("one.json")}).status, 0);
    const Result r = Run({"restore", File("one.json"), "--dry-run", "--address", "6"}, false);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("meter 6 block alarms: would write 43 registers from 0x1008")) << r.out.toStdString();
    EXPECT_EQ(writes_, 0);

    // Meters 4..6 are of three families: the kz827 one is backed up, the
    // others do not answer as one and make the run fail.
    const Result range = Run({"backup", "--family", "kz827", "--address", "5-6", "-o", File("meter.json")});
    EXPECT_EQ(range.status, 1);
    EXPECT_TRUE(QFile::exists(File("meter-6.json")));
    EXPECT_FALSE(QFile::exists(File("meter-5.json")));
}

// Guided calibration: the single-phase default plan, the module's points
// with a failing one, the operator's answers, and plans refused before
// anything is sent.
TEST_F(KzctlTest, CalibrateRunsThePlanAndSaysPerPointWhatCameOfIt)
{
    const QString record = File("cal.csv");
    const QString certificate = File("cal.pdf");
    Result r = Run({"calibrate", "--family", "single-phase", "--address", "2", "--no-prompt", "--record", record,
                    "--certificate", certificate});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 7) << r.out.toStdString();
    // kzctl speaks English, the points' names and verdicts included.
    EXPECT_TRUE(lines[0].startsWith("1\tActive power (100%I) PF 1.0 [ 1 ]\tPass\treference 1100W\tbefore "))
        << lines[0].toStdString();
    EXPECT_EQ(lines[6], "Pass\t6/6");
    QFile file(record);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()).count("Guided calibration"), 6);
    QFile pdf(certificate);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");

    // Ua of module 4 is stuck: its point fails, the others pass.
    sim_.bus().ThreePhaseAt(4)->PinCalibrationValue(13, 210 * 8192);
    r = Run({"calibrate", "--family", "three-phase", "--address", "4", "--points", "1,13,16", "--no-prompt", "--lang",
             "zh"});
    EXPECT_EQ(r.status, 1);
    lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << r.out.toStdString();
    EXPECT_TRUE(lines[1].contains("\t不合格\t") && lines[1].endsWith("4 attempt(s)\t误差 -4.5455% 超出 ±0.05%"))
        << lines[1].toStdString();
    EXPECT_EQ(lines[3], "不合格\t2/3");

    // Enter goes on, s skips, q stops before point 3 is touched.
    r = Run({"calibrate", "--family", "three-phase", "--address", "1", "--points", "1-3", "--lang", "zh"}, true,
            "\ns\nq\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("set the standard source to C相 220V 100%In PF 1.0; the standard meter should show 1100W"))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("stopped at 第 3 点（C相功率（100%）-1.0 [ 3 ]）等待设置标准源")) << r.err.toStdString();
    lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << r.out.toStdString();
    EXPECT_TRUE(lines[1].startsWith("2\tB相功率（100%）-1.0 [ 2 ]\t跳过")) << lines[1].toStdString();
    EXPECT_EQ(sim_.bus().ThreePhaseAt(1)->CalibrationWord(3), 0u);

    int calibrationRequests = 0;
    QObject::connect(&sim_, &sim::PtySimulator::Served, [&](const QByteArray &request) {
        calibrationRequests += request.size() > 1 && static_cast<std::uint8_t>(request.at(1)) == 0xAA;
    });
    QFile plan(File("plan.json"));
    ASSERT_TRUE(plan.open(QIODevice::WriteOnly));
    plan.write(R"({"points":[{"point":13,"reference":220},{"point":16,"reference":"5A"}]})");
    plan.close();
    for (const QStringList &bad : {QStringList{"--plan", File("plan.json")}, QStringList{"--points", "19"},
                                   QStringList{"--limit", "0"}, QStringList{"--limit", "50"},
                                   QStringList{"--lang", "fr"}, QStringList{"--plan", File("none.json")},
                                   QStringList{"--certificate", File("no/such/dir/c.pdf")}}) {
        r = Run(QStringList{"calibrate", "--family", "three-phase", "--address", "1", "--no-prompt"} + bad);
        EXPECT_EQ(r.status, 2) << bad.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
    EXPECT_EQ(calibrationRequests, 0);

    // A run refused at once (a single-phase meter at 2) leaves the files
    // named for its certificate and record as they were.
    for (const char *name : {"old.pdf", "old.csv"}) {
        QFile old(File(name));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("kept");
    }
    r = Run({"calibrate", "--family", "three-phase", "--address", "2", "--no-prompt", "--certificate", File("old.pdf"),
             "--record", File("old.csv")});
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    for (const char *name : {"old.pdf", "old.csv"}) {
        QFile old(File(name));
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), "kept") << name;
    }
}

// The KZ827KVE's four items unattended: the simulator's bench follows each
// item written, and the meter's errors are corrected within the limit.
TEST_F(KzctlTest, CalibrateTheKz827ItemsUnattended)
{
    sim::Kz827Instrument *meter = sim_.bus().Kz827At(3);
    meter->SetGain(sim::Kz827Instrument::kVoltage, 1.005);
    meter->SetGain(sim::Kz827Instrument::kPower, 0.996);
    meter->SetAngleError(-0.05);
    const Result r = Run({"calibrate", "--family", "kz827", "--address", "3", "--no-prompt"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << r.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("1\tVoltage (100%U) PF 1.0 [ 1 ]\tPass\treference 220V\tbefore 221.1"))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[3].startsWith("4\tPhase (100%UI) PF 0.5L [ 4 ]\tPass\treference 550W\t")) << lines[3].toStdString();
    EXPECT_TRUE(lines[3].contains("word 000082")) << lines[3].toStdString();
    EXPECT_EQ(lines[4], "Pass\t4/4");
}

} // namespace

namespace {

// As a user would: back up the meter, change a limit in the limits window,
// see exactly that field in kzctl diff, restore, and the window's upload
// shows the old value again. The program closes its port while kzctl uses
// the line, as the two cannot share one serial port.
TEST_F(KzctlTest, WindowChangeIsFoundAndUndone)
{
    const QString before = File("meter1.json");
    ASSERT_EQ(Run({"backup", "--family", "three-phase", "--address", "1", "-o", before}).status, 0);

    QtSerialPortControl port;
    port.SetPortName(sim_.SlavePath());
    port.SetSettings("9600,n,8,1");
    QString error;
    SerialLink link{&port};
    ui::RecordedMessages messages;
    threephase::LimitsWindow win(link);
    win.show();
    int handled = 0;
    QObject::connect(&win, &FamilyWindow::ReplyHandled, [&] { ++handled; });
    const auto press = [&](const char *button) {
        win.findChild<QPushButton *>(button)->click();
        return WaitFor([&, before = handled] { return handled > before; }, 5000);
    };
    QLineEdit *upper = win.findChild<QLineEdit *>("LabeledEdit1");
    const auto session = [&](const std::function<void()> &work) {
        ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
        link.PrepareReceive();
        win.findChild<QSpinBox *>("SpinEdit1")->setValue(1);
        win.findChild<QRadioButton *>("RadioButton1")->click();
        ASSERT_TRUE(press("BitBtn2")); // upload
        work();
        port.SetPortOpen(false);
    };

    session([&] {
        EXPECT_EQ(upper->text(), "0999");
        upper->setText("250.5");
        ASSERT_TRUE(press("BitBtn1")); // download
    });
    Result r = Run({"diff", before});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QStringLiteral("limits-1/LabeledEdit1 (Ua上限): 0999 -> 250.5\n"));

    r = Run({"restore", before});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    session([&] { EXPECT_EQ(upper->text(), "0999"); });
}

// A kzctl backup loads into a window; what the window saves restores with
// kzctl, to another meter, block by block read back.
TEST_F(KzctlTest, WindowFilesAndKzctlFilesWorkInBoth)
{
    const QString backup = File("meter1.json"), saved = File("window.json");
    ASSERT_EQ(Run({"backup", "--family", "three-phase", "--address", "1", "-o", backup}).status, 0);
    FakePortControl port;
    SerialLink link{&port};
    ui::RecordedMessages messages;
    QString next = backup;
    ui::SetFileAnswer([&](ui::FileChoice, const QString &) { return next; });
    threephase::LimitsWindow win(link);
    win.findChild<QRadioButton *>("RadioButton1")->click();
    win.findChild<QPushButton *>("LoadFileButton")->click();
    QLineEdit *upper = win.findChild<QLineEdit *>("LabeledEdit1");
    EXPECT_EQ(upper->text(), "0999");
    upper->setText("250.5");
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(4);
    next = saved;
    win.findChild<QPushButton *>("SaveFileButton")->click();
    ui::SetFileAnswer({});
    EXPECT_TRUE(port.written.isEmpty());

    const Result r = Run({"restore", saved});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "meter 4 block limits-1: written, read-back matches\n");
    // The window's file holds the group it saved; the rest is the first file's alone.
    QString expected = "alarm-mask: only in the first\ndisplay: only in the first\ninit: only in the first\n"
                       "energy-bases: only in the first\nlimits-1/LabeledEdit1 (Ua上限): 0999 -> 250.5\n";
    for (int g = 2; g <= 10; ++g)
        expected += QStringLiteral("limits-%1: only in the first\n").arg(g);
    EXPECT_EQ(Run({"diff", backup, saved}, false).out.toStdString(), expected.toStdString());
}

} // namespace

// check-wiring names a reversed current transformer and fails; the same
// meter rightly wired passes; a meter of another family is refused.
TEST_F(KzctlTest, CheckWiringNamesTheFaultAndFailsOnIt)
{
    sim::ThreePhaseInstrument *meter = sim_.bus().ThreePhaseAt(1);
    meter->SetFrozen(true);
    Result r = Run({"check-wiring", "--address", "1"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("meter 1 (four-wire): ")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("correction factor\t1.000")) << r.out.toStdString();

    sim::Miswire reversed;
    reversed.reversed = {false, true, false};
    meter->SetMiswire(reversed);
    r = Run({"check-wiring", "--address", "1", "--json", "--lang", "zh"});
    EXPECT_EQ(r.status, 1);
    const QJsonObject doc = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(doc.value("status").toString(), "judged");
    EXPECT_EQ(doc.value("verdict").toString(), "B相电流互感器极性接反");
    const QJsonObject fit = doc.value("fits").toArray().at(0).toObject();
    EXPECT_EQ(fit.value("reversed").toArray(), QJsonArray({false, true, false}));
    EXPECT_NEAR(fit.value("correction").toDouble(), 3.0, 0.1);

    r = Run({"check-wiring", "--address", "2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("not three-phase")) << r.err.toStdString();
}
