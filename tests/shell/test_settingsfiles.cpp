// Settings files in the windows: every settings window's blocks through a
// file and back, bad files refused with one message and nothing changed or
// sent, and the 配置文件 window's batch download against the simulator.
#include "core/backup.h"
#include "tests/support/fakeport.h"
#include "link/modbusframes.h"
#include "link/qtserialport.h"
#include "link/seriallink.h"
#include "settings/blocks.h"
#include "settings/meterrun.h"
#include "kz827/settingsblocks.h"
#include "singlephase/settingsblocks.h"
#include "threephase/settingsblocks.h"
#include "shell/programwindows.h"
#include "shell/settingsfilewindow.h"
#include "sim/bus.h"
#include "sim/ptysimulator.h"
#include "sim/threephase.h"
#include "tests/support/testutil.h"
#include "ui/familywindow.h"
#include "ui/messagebox.h"
#include "ui/settingsfile.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <tuple>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

const backup::Catalog kCatalog = &settings::Blocks;

// The file the next dialog answers with.
struct FileSeam {
    QString next;
    FileSeam()
    {
        ui::SetFileAnswer([this](ui::FileChoice, const QString &) { return next; });
    }
    ~FileSeam() { ui::SetFileAnswer({}); }
};

// What every control of a window shows, by object name.
QStringList Controls(QWidget *w)
{
    QStringList out;
    for (QLineEdit *e : w->findChildren<QLineEdit *>())
        if (!e->objectName().isEmpty())
            out << e->objectName() + "=" + e->text();
    for (QComboBox *c : w->findChildren<QComboBox *>())
        out << c->objectName() + "=" + QString::number(c->currentIndex());
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
        if (b->isCheckable())
            out << b->objectName() + "/" + b->text() + "=" + QString::number(b->isChecked());
    return out;
}

// A backup of every block of the simulated meter of the family at address 1,
// as kzctl backup makes it.
QJsonObject SimulatedBackup(Family family)
{
    sim::Bus bus;
    bus.Add(1, family);
    QList<QByteArray> data;
    for (const backup::Block &b : settings::Blocks(family))
        data << modbus::ReplyData(bus.Handle(modbus::ReadRegisters(1, b.first, b.count)));
    return backup::Document(kCatalog, family, 1, data);
}

void WriteJson(const QString &path, const QJsonObject &doc)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QJsonDocument(doc).toJson());
}

backup::Backup Read(const QString &path)
{
    QString error;
    const auto b = backup::Load(kCatalog, path, &error);
    EXPECT_TRUE(b) << error.toStdString();
    return b.value_or(backup::Backup{});
}

struct WindowCase {
    const char *className;
    Family family;
    QStringList keys;
    const char *choice = nullptr; // the group's radio button, where the window has groups
};

struct SettingsFiles : ::testing::TestWithParam<WindowCase> {
    FakePortControl port;
    SerialLink link{&port};
    QTemporaryDir dir;
    FileSeam seam;
    ui::RecordedMessages messages;

    std::unique_ptr<FamilyWindow> Make()
    {
        std::unique_ptr<QWidget> w = FindWindowEntry(GetParam().className)->make(port, link);
        auto window = std::unique_ptr<FamilyWindow>(qobject_cast<FamilyWindow *>(w.release()));
        if (GetParam().choice)
            window->findChild<QAbstractButton *>(GetParam().choice)->click();
        for (QSpinBox *spin : window->findChildren<QSpinBox *>())
            if (spin->accessibleName().contains("地址") && window->Address() == 0)
                spin->setValue(1); // the meter a saved file is of
        EXPECT_EQ(window->Address(), 1);
        return window;
    }
    void Press(FamilyWindow &w, const char *button, const QString &path)
    {
        seam.next = path;
        w.findChild<QPushButton *>(button)->click();
    }
};

// Values of a kzctl backup loaded, saved and loaded into a fresh window: the
// same values, the same data bytes (what 下载 sends), the energy bases never
// taken, nothing sent.
TEST_P(SettingsFiles, RoundTripThroughAFile)
{
    const WindowCase &c = GetParam();
    const QString kzctl = dir.filePath("kzctl.json"), first = dir.filePath("first.json"),
                  second = dir.filePath("second.json");
    WriteJson(kzctl, SimulatedBackup(c.family));
    auto a = Make();
    const QStringList before = Controls(a.get());
    QLineEdit *base = a->findChild<QLineEdit *>("LabeledEdit3"); // the active energy base, where there is one
    const QString baseBefore = base ? base->text() : QString();
    Press(*a, "LoadFileButton", kzctl);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
    EXPECT_TRUE(Controls(a.get()) != before) << "the file's values are shown";
    Press(*a, "SaveFileButton", first);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith("已保存到")) << messages.texts[0].toStdString();

    auto b = Make();
    Press(*b, "LoadFileButton", first);
    EXPECT_TRUE(Controls(b.get()) == Controls(a.get())) << Controls(b.get()).join(' ').toStdString();
    Press(*b, "SaveFileButton", second);

    const backup::Backup original = Read(kzctl), saved = Read(first), again = Read(second);
    for (qsizetype i = 0; i < original.values.size(); ++i) {
        const QString key = settings::Blocks(c.family)[i].key;
        if (c.keys.contains(key)) {
            EXPECT_EQ(saved.values[i], original.values[i]) << key.toStdString();
            EXPECT_EQ(again.raw[i], saved.raw[i]) << key.toStdString();
        } else {
            EXPECT_TRUE(saved.values[i].isEmpty()) << key.toStdString() << " is not this window's block";
        }
    }
    if (base) {
        EXPECT_EQ(base->text(), baseBefore) << "the energy base is never taken from a file";
    }
    EXPECT_TRUE(port.written.isEmpty());
}

// A bad file: one message, the controls as they were, nothing sent.
TEST_P(SettingsFiles, BadFilesChangeNothing)
{
    const WindowCase &c = GetParam();
    const QJsonObject good = SimulatedBackup(c.family);
    const QString path = dir.filePath("bad.json");
    const auto edited = [&](const std::function<void(QJsonObject &)> &edit) {
        QJsonObject doc = good;
        edit(doc);
        return QJsonDocument(doc).toJson();
    };
    QByteArray noise(10 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    const Family other = c.family == Family::Kz827 ? Family::ThreePhase : Family::Kz827;
    const std::pair<const char *, QByteArray> cases[] = {
        {"truncated JSON", QJsonDocument(good).toJson().left(300)},
        {"another family", QJsonDocument(SimulatedBackup(other)).toJson()},
        {"out-of-range value", edited([&](QJsonObject &doc) {
             QJsonArray blocks = doc["blocks"].toArray();
             for (qsizetype i = 0; i < blocks.size(); ++i) {
                 QJsonObject block = blocks[i].toObject();
                 if (block["block"].toString() != c.keys.first())
                     continue;
                 QJsonArray fields = block["fields"].toArray();
                 QJsonObject field = fields[0].toObject();
                 field["value"] = "99999999";
                 fields[0] = field;
                 block["fields"] = fields;
                 blocks[i] = block;
             }
             doc["blocks"] = blocks;
         })},
        {"missing block", edited([&](QJsonObject &doc) {
             QJsonArray blocks;
             for (const QJsonValue &v : doc["blocks"].toArray())
                 if (v.toObject()["block"].toString() != c.keys.last())
                     blocks << v;
             doc["blocks"] = blocks;
         })},
        {"10 MB of noise", noise},
    };
    auto w = Make();
    const QStringList before = Controls(w.get());
    for (const auto &[what, bytes] : cases) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        messages.texts.clear();
        Press(*w, "LoadFileButton", path);
        EXPECT_EQ(messages.texts.size(), 1) << what;
        EXPECT_TRUE(Controls(w.get()) == before) << what;
    }
#ifndef Q_OS_WIN
    // No file at all: a device without end, a link to it, a pipe without a
    // writer. Each is refused before a byte is read.
    const QString zero = dir.filePath("zero.json"), fifo = dir.filePath("fifo.json");
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString &special : {QStringLiteral("/dev/zero"), zero, fifo}) {
        messages.texts.clear();
        Press(*w, "LoadFileButton", special);
        EXPECT_EQ(messages.texts, QStringList{"无法载入配置文件，未改动：" + special +
                                              " 不是普通文件（而是设备、管道或套接字），只读取普通文件"});
        EXPECT_TRUE(Controls(w.get()) == before) << special.toStdString();
    }
#endif
    EXPECT_TRUE(port.written.isEmpty());
}

// A backup that is malformed, ambiguous, or names no meter of its own is
// refused whole with what is wrong: an address is never taken modulo 256 or
// read as 0 (every meter), and of two of anything neither is taken.
TEST(BackupFile, BadDocumentsAreRefusedWithTheirReason)
{
    const QJsonObject good = SimulatedBackup(Family::ThreePhase);
    const QByteArray text = QJsonDocument(good).toJson();
    const auto top = [&](const char *key, const QJsonValue &value) {
        QJsonObject doc = good;
        if (value.isUndefined())
            doc.remove(key);
        else
            doc[key] = value;
        return QJsonDocument(doc).toJson();
    };
    // The first block (alarm-mask) edited.
    const auto first = [&](const std::function<void(QJsonObject &block, QJsonArray &fields)> &edit) {
        QJsonObject doc = good;
        QJsonArray blocks = doc["blocks"].toArray();
        QJsonObject block = blocks[0].toObject();
        QJsonArray fields = block["fields"].toArray();
        edit(block, fields);
        if (block["fields"].isArray())
            block["fields"] = fields;
        blocks[0] = block;
        doc["blocks"] = blocks;
        return QJsonDocument(doc).toJson();
    };
    const backup::Block &mask = settings::Blocks(Family::ThreePhase)[0];
    const QString field = QStringLiteral("alarm-mask/%1（%2）").arg(mask.names[0].object, mask.names[0].caption);
    const QString shown = good["blocks"][0]["fields"][0]["value"].toString();
    const QJsonValue none(QJsonValue::Undefined);
    const QString address = "address：应为仪表地址，即 1 到 247 的整数，实为";
    QByteArray twice = text;
    twice.replace("\"restore\": true,", "\"restore\": true, \"restore\": false,");
    const std::tuple<const char *, QByteArray, QString> cases[] = {
        {"address 259", top("address", 259), address + "数值 259"},
        {"address 300", top("address", 300), address + "数值 300"},
        {"address 0", top("address", 0), address + "数值 0"},
        {"address 1.5", top("address", 1.5), address + "数值 1.5"},
        {"address as text", top("address", "1"), address + "文本“1”"},
        {"no address", top("address", none), address + "（缺少）"},
        {"version 2", top("version", 2), "version：应为 1（本程序只读取这一版本），实为数值 2"},
        {"version as text", top("version", "1"),
         "version：应为 1（本程序只读取这一版本），实为文本“1”"},
        {"blocks {}", top("blocks", QJsonObject{}), "blocks：应为至少含一个数据块的列表，实为对象"},
        {"blocks []", top("blocks", QJsonArray{}), "blocks：应为至少含一个数据块的列表，实为空列表"},
        {"no blocks", top("blocks", none), "blocks：应为至少含一个数据块的列表，实为（缺少）"},
        {"block no object", top("blocks", QJsonArray{1}), "blocks[0]：应为对象，实为数值 1"},
        {"block twice", top("blocks", good["blocks"].toArray() + good["blocks"][0]), "数据块“alarm-mask”出现了两次"},
        {"field twice", first([](QJsonObject &, QJsonArray &f) { f.append(f[0]); }), field + " 出现了两次"},
        {"key twice", twice, "键“blocks[0].restore”出现了两次"},
        {"number value", first([](QJsonObject &, QJsonArray &f) {
             QJsonObject o = f[0].toObject();
             o["value"] = 220;
             f[0] = o;
         }),
         field + "：应为文本，如“" + shown + "”，实为数值 220"},
        {"registers no hex", first([](QJsonObject &b, QJsonArray &) { b["registers"] = "zz"; }),
         "数据块 alarm-mask：registers：应为十六进制字节，如“0a 1b”，实为文本“zz”"},
        {"fields no list", first([](QJsonObject &b, QJsonArray &) { b["fields"] = "x"; }),
         "数据块 alarm-mask：fields：应为字段列表，实为文本“x”"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("edited.json");
    for (const auto &[what, bytes, reason] : cases) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        QString error;
        EXPECT_FALSE(backup::Load(kCatalog, path, &error)) << what;
        EXPECT_EQ(error.toStdString(), (path + "：" + reason).toStdString()) << what;
    }
    WriteJson(path, good);
    EXPECT_EQ(Read(path).address, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, SettingsFiles,
    ::testing::Values(
        WindowCase{"threephase::AlarmMaskWindow", Family::ThreePhase, {"alarm-mask"}},
        WindowCase{"threephase::LimitsWindow", Family::ThreePhase, {"limits-3"}, "RadioButton3"},
        WindowCase{"threephase::DisplaySettingsWindow", Family::ThreePhase, {"display"}},
        WindowCase{"threephase::InitSettingsWindow", Family::ThreePhase, {"init"}},
        WindowCase{"singlephase::AlarmEnableWindow", Family::SinglePhase, {"alarm-enable"}},
        WindowCase{"singlephase::AlarmParamsWindow", Family::SinglePhase, {"alarm-params-1"}, "RadioButton1"},
        WindowCase{"singlephase::DisplaySettingsWindow", Family::SinglePhase, {"display"}},
        WindowCase{"singlephase::InitSettingsWindow", Family::SinglePhase, {"init"}},
        WindowCase{"kz827::RangeWindow", Family::Kz827, {"range"}},
        WindowCase{"kz827::AlarmsWindow", Family::Kz827, {"alarms"}}),
    [](const auto &info) {
        QString name = QString::fromLatin1(info.param.className);
        return name.replace("::", "_").toStdString();
    });

// Saving a window's block adds it to a file of the same meter and keeps the
// file of another meter as it is.
TEST(SettingsFileSave, AddsToTheSameMeterOnly)
{
    FakePortControl port;
    SerialLink link{&port};
    QTemporaryDir dir;
    FileSeam seam;
    ui::RecordedMessages messages;
    const QString path = dir.filePath("meter.json");
    std::unique_ptr<QWidget> made = FindWindowEntry("threephase::AlarmMaskWindow")->make(port, link);
    auto *mask = qobject_cast<FamilyWindow *>(made.get());
    mask->findChild<QSpinBox *>("SpinEdit1")->setValue(1);
    seam.next = path;
    WriteJson(path, SimulatedBackup(Family::ThreePhase)); // meter 1, every block
    mask->findChild<QPushButton *>("SaveFileButton")->click();
    const backup::Backup merged = Read(path);
    for (const auto &values : merged.values)
        EXPECT_FALSE(values.isEmpty()) << "every block of the file is kept";

    mask->findChild<QSpinBox *>("SpinEdit1")->setValue(2);
    messages.texts.clear();
    mask->findChild<QPushButton *>("SaveFileButton")->click();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith("未保存")) << messages.texts[0].toStdString();
    EXPECT_EQ(Read(path).address, 1);

    // Address 0 reaches every meter: no file is of it.
    mask->findChild<QSpinBox *>("SpinEdit1")->setValue(0);
    messages.texts.clear();
    seam.next = dir.filePath("zero.json");
    mask->findChild<QPushButton *>("SaveFileButton")->click();
    EXPECT_EQ(messages.texts, QStringList{"未保存：配置文件属于一台仪表，仪表地址须为 1～247（现为 0）。"});
    EXPECT_FALSE(QFile::exists(seam.next));
}

// The run kzctl and the 配置文件 window drive, straight on a simulated bus:
// a stop ends it before the next block and lists what was not done, and an
// address where nobody answers has failed, not been skipped.
TEST(MeterRunOnTheBus, StopsBetweenBlocksAndTellsSilentMeters)
{
    sim::Bus bus;
    bus.Add(1, Family::ThreePhase);
    bus.Add(3, Family::ThreePhase);
    QString error;
    const auto file = backup::Parse(kCatalog, SimulatedBackup(Family::ThreePhase), &error);
    ASSERT_TRUE(file) << error.toStdString();
    QStringList refusals;
    const auto data = backup::EncodeForRestore(kCatalog, *file, &refusals);
    ASSERT_TRUE(data) << refusals.join('\n').toStdString();
    using settings::MeterRun;
    const auto drive = [&](MeterRun &run, bool stopAfterFirst) {
        int writes = 0;
        while (const auto request = run.Next()) {
            writes += static_cast<std::uint8_t>(request->frame.at(1)) == 0x10;
            const QByteArray reply = bus.Handle(request->frame);
            run.Answer(reply.isEmpty() ? std::nullopt : std::optional<QByteArray>(reply));
            if (stopAfterFirst && !run.Outcomes().isEmpty() && run.Outcomes()[0].state == MeterRun::State::Verified)
                run.Stop();
        }
        return writes;
    };
    // Stopped once the first block is verified: the block under way (its
    // write may be on the wire) ends, the next is not begun.
    MeterRun stopped = MeterRun::Write(Family::ThreePhase, {1, 2, 3}, *data);
    EXPECT_EQ(drive(stopped, true), 2);
    QStringList rows;
    for (const MeterRun::Outcome &o : stopped.Outcomes())
        rows << QStringLiteral("%1 %2 %3 %4").arg(o.address).arg(o.block).arg(int(o.state)).arg(settings::ReasonText(stopped, o));
    EXPECT_EQ(rows.join('|').toStdString(), "1 0 2 |1 1 2 |1 2 5 stopped before block init|"
                                            "2 -1 5 stopped before meter 2|3 -1 5 stopped before meter 3");
    EXPECT_EQ(stopped.StepsDone(), stopped.Steps());

    MeterRun silent = MeterRun::Write(Family::ThreePhase, {2}, *data);
    EXPECT_EQ(drive(silent, false), 0);
    ASSERT_EQ(silent.Outcomes().size(), 1);
    EXPECT_EQ(silent.Outcomes()[0].state, MeterRun::State::Failed);
    EXPECT_EQ(settings::ReasonText(silent, silent.Outcomes()[0]), "meter 2 did not answer as a three-phase meter");

    // No request ever goes to an address no meter may have: 0 is every
    // meter's, 259 would land on meter 3 through the frame's byte.
    MeterRun outside = MeterRun::Write(Family::ThreePhase, {0, 259, 3}, *data);
    QList<int> asked;
    while (const auto request = outside.Next()) {
        asked << static_cast<std::uint8_t>(request->frame.at(0));
        outside.Answer(bus.Handle(request->frame));
    }
    EXPECT_EQ(asked, QList<int>(1 + 2 * 13, 3));
    ASSERT_GE(outside.Outcomes().size(), 2);
    EXPECT_EQ(settings::ReasonText(outside, outside.Outcomes()[1]), "259 is no meter address (1..247): nothing was sent to it");
}

// A window polling the bus, as a measurement window does.
class PollingWindow : public FamilyWindow {
public:
    explicit PollingWindow(SerialLink &link) : FamilyWindow(link, Family::ThreePhase, "PollingWindow")
    {
        setWindowTitle("电量参数测量");
        timer = MakeTimer(1000, [] {});
        timer->start();
    }
    QTimer *timer = nullptr;
};

// The port lost after meter 1 of a batch download of 1..4: the run ends at
// once with one line naming the meters left, the line read by assistive
// technology as it is shown.
TEST(SettingsFileWindowRun, ALostPortEndsTheBatchWithOneLine)
{
    sim::Bus bus;
    for (int a = 1; a <= 4; ++a)
        bus.Add(std::uint8_t(a), Family::ThreePhase);
    FakePortControl port;
    ASSERT_TRUE(port.SetPortOpen(true));
    SerialLink link(&port);
    link.PrepareReceive();
    int requests = 0;
    // Meter 1: its family check and 13 blocks written and read back.
    port.responder = [&](const QByteArray &frame) {
        if (++requests == 1 + 2 * 13 + 1)
            port.Lose(QStringLiteral("gone"));
        else
            port.Feed(bus.Handle(frame));
    };
    QTemporaryDir dir;
    FileSeam seam;
    ui::RecordedMessages messages;
    seam.next = dir.filePath("batch.json");
    WriteJson(seam.next, SimulatedBackup(Family::ThreePhase));
    SettingsFileWindow win(link);
    win.show();
    win.findChild<QSpinBox *>("SpinEdit2")->setValue(1);
    win.findChild<QSpinBox *>("SpinEdit3")->setValue(4);
    bool finished = false;
    QObject::connect(&win, &SettingsFileWindow::RunFinished, [&] { finished = true; });
    win.findChild<QPushButton *>("BitBtn3")->click();
    ASSERT_TRUE(WaitFor([&] { return finished; }, 60000));
    EXPECT_EQ(requests, 28);
    QLabel *status = win.findChild<QLabel *>("StatusLabel");
    EXPECT_EQ(status->text(), "批量下载结束：1 台已写入并校验，0 台型号不符已跳过，3 台失败或未完成。"
                              "串口断开，运行已中止：2、3、4 号仪表未下载完成。");
    EXPECT_EQ(status->accessibleName(), "状态 " + status->text());
    auto *table = win.findChild<QTreeWidget *>("ResultTable");
    ASSERT_EQ(table->topLevelItemCount(), 13 + 3);
    EXPECT_EQ(table->topLevelItem(13)->text(3), "串口断开");
    EXPECT_EQ(table->topLevelItem(15)->text(3), "串口断开，未处理 4 号仪表");
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
}

// 批量下载 over addresses 1..3 where meter 2 is of another family: meters 1
// and 3 written and verified block by block, meter 2 skipped, never written.
TEST(SettingsFileWindowRun, BatchDownloadSkipsTheWrongFamily)
{
    sim::PtySimulator simulator;
    QString error;
    KZ_NEEDS_PTY();
    ASSERT_TRUE(simulator.Open(&error)) << error.toStdString();
    simulator.bus().Add(1, sim::Family::ThreePhase);
    simulator.bus().Add(2, sim::Family::SinglePhase);
    simulator.bus().Add(3, sim::Family::ThreePhase);
    QList<int> written;
    QObject::connect(&simulator, &sim::PtySimulator::Served, [&](const QByteArray &request, const QByteArray &, qint64) {
        if (request.size() > 1 && static_cast<std::uint8_t>(request.at(1)) == 0x10)
            written << static_cast<std::uint8_t>(request.at(0));
    });
    QtSerialPortControl port;
    port.SetPortName(simulator.SlavePath());
    ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
    SerialLink link(&port);
    link.PrepareReceive();
    QTemporaryDir dir;
    FileSeam seam;
    ui::RecordedMessages messages;

    // The file: meter 1's settings with one limit changed.
    QJsonObject doc = SimulatedBackup(Family::ThreePhase);
    QJsonArray blocks = doc["blocks"].toArray();
    QJsonObject limits = blocks[4].toObject();
    ASSERT_EQ(limits["block"].toString(), "limits-1");
    QJsonArray fields = limits["fields"].toArray();
    QJsonObject field = fields[0].toObject();
    field["value"] = "123.4";
    fields[0] = field;
    limits["fields"] = fields;
    blocks[4] = limits;
    doc["blocks"] = blocks;
    seam.next = dir.filePath("batch.json");
    WriteJson(seam.next, doc);

    PollingWindow polling(link);
    SettingsFileWindow win(link);
    win.show();
    win.findChild<QSpinBox *>("SpinEdit2")->setValue(1);
    win.findChild<QSpinBox *>("SpinEdit3")->setValue(3);
    bool finished = false;
    QObject::connect(&win, &SettingsFileWindow::RunFinished, [&] { finished = true; });
    win.findChild<QPushButton *>("BitBtn3")->click();
    EXPECT_FALSE(polling.timer->isActive()) << "other windows stop polling while the run goes on";
    EXPECT_EQ(win.findChild<QLabel *>("StatusLabel")->text(), "运行中……已停止其他窗口的轮询：电量参数测量。");
    ASSERT_TRUE(WaitFor([&] { return finished; }, 60000));

    const int restorable = 3 + 10; // alarm mask, display, init and ten limit groups; never the energy bases
    EXPECT_EQ(written.count(1), restorable);
    EXPECT_EQ(written.count(2), 0);
    EXPECT_EQ(written.count(3), restorable);
    auto *table = win.findChild<QTreeWidget *>("ResultTable");
    QMap<QString, QStringList> results; // address -> results
    for (int r = 0; r < table->topLevelItemCount(); ++r)
        results[table->topLevelItem(r)->text(0)] << table->topLevelItem(r)->text(2);
    EXPECT_EQ(results["1"], QStringList(restorable, "已写入，校验一致"));
    EXPECT_EQ(results["3"], QStringList(restorable, "已写入，校验一致"));
    EXPECT_EQ(results["2"], QStringList{"跳过（型号不符，未写入）"});
    for (int r = 0; r < table->topLevelItemCount(); ++r) {
        if (table->topLevelItem(r)->text(0) == "2") {
            EXPECT_EQ(table->topLevelItem(r)->text(3), "2 号仪表是KZ5700E单相电参数测试仪，不是KZ5500E三相电参数测试仪");
        }
    }
    EXPECT_TRUE(win.findChild<QLabel *>("StatusLabel")->text().startsWith("批量下载结束：2 台已写入并校验，1 台型号不符已跳过"));
    EXPECT_EQ(simulator.bus().ThreePhaseAt(3)->Holding(0x1000), simulator.bus().ThreePhaseAt(1)->Holding(0x1000));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();

    // 保存全部 of meter 3, then 与仪表比较 of that file with meter 3 and meter 1.
    const auto run = [&](const char *button) {
        finished = false;
        win.findChild<QPushButton *>(button)->click();
        return WaitFor([&] { return finished; }, 60000);
    };
    QLabel *status = win.findChild<QLabel *>("StatusLabel");
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(3);
    seam.next = dir.filePath("meter3.json");
    ASSERT_TRUE(run("BitBtn1"));
    EXPECT_EQ(Read(seam.next).values[4], backup::Parse(kCatalog, doc, &error)->values[4]) << status->text().toStdString();
    ASSERT_TRUE(run("BitBtn2"));
    EXPECT_EQ(status->text(), "比较结果：无差异。");
    simulator.bus().ThreePhaseAt(3)->SetHolding(0x1000, 0x0999);
    ASSERT_TRUE(run("BitBtn2"));
    EXPECT_EQ(status->text(), "比较结果：1 处不同。");
    ASSERT_EQ(table->topLevelItemCount(), 1);
    EXPECT_EQ(table->topLevelItem(0)->text(0), "limits-1/LabeledEdit1");
    EXPECT_EQ(table->topLevelItem(0)->text(2), "123.4");
    port.SetPortOpen(false);
}

} // namespace

// The catalog is each family's own list, and a family's list as a catalog
// answers for that family only: a window of one family that asked for
// another's block would find none rather than a block at the wrong registers.
TEST(SettingsCatalog, EachFamilyListsItsOwnBlocks)
{
    using List = const QList<backup::Block> &(*)();
    const std::tuple<Family, List, backup::Catalog> families[] = {
        {Family::ThreePhase, &threephase::SettingsBlocks, &threephase::SettingsCatalog},
        {Family::SinglePhase, &singlephase::SettingsBlocks, &singlephase::SettingsCatalog},
        {Family::Kz827, &kz827::SettingsBlocks, &kz827::SettingsCatalog},
    };
    for (const auto &[family, list, catalog] : families) {
        SCOPED_TRACE(FamilyName(family).toStdString());
        EXPECT_EQ(&settings::Blocks(family), &list());
        EXPECT_EQ(&catalog(family), &list());
        for (const auto &[other, otherList, otherCatalog] : families) {
            if (other != family) {
                EXPECT_TRUE(catalog(other).isEmpty());
            }
        }
        // Blocks lie in register order and do not overlap.
        const QList<backup::Block> &blocks = list();
        for (qsizetype i = 1; i < blocks.size(); ++i)
            EXPECT_GE(blocks[i].first, blocks[i - 1].first + blocks[i - 1].count) << blocks[i].key.toStdString();
    }
}
