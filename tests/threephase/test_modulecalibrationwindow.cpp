// The module calibration window: its frames, refusals, cyclic reading and
// record on a fake port, and a calibration run against the simulator.
#include "ui/calibrationwindow.h"
#include "tests/support/fakeport.h"
#include "ui/lamp.h"
#include "ui/messagebox.h"
#include "sim/threephase.h"
#include "tests/support/calibrationrun.h"
#include "tests/support/ptylink.h"
#include "tests/support/testutil.h"
#include "threephase/windows.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using calibrationtest::choose;
using calibrationtest::click;
using calibrationtest::text;

void setText(QWidget &w, const char *edit, const QString &value)
{
    w.findChild<QLineEdit *>(edit)->setText(value);
}

struct ModuleCalibration : ::testing::Test {
    FakePortControl port;
    SerialLink link{&port};
    CalibrationWindow win{link, threephase::kModuleCalibrationWindow};
    ui::RecordedMessages messages;

    void SetUp() override
    {
        port.SetPortOpen(true);
        link.PrepareReceive();
        win.findChild<QSpinBox *>("SpinEdit1")->setValue(1);
    }
    void answer(const char *hex) { link.Dispatch(WithCrc(Hex(hex))); }
};

} // namespace

TEST_F(ModuleCalibration, PointsPutTheirReferenceAndWritesCarryTheWord)
{
    choose(win, 3);
    EXPECT_EQ(text(win, "Edit1"), "110.000W");
    choose(win, 18);
    EXPECT_EQ(text(win, "Edit1"), "");
    choose(win, 12);
    EXPECT_EQ(text(win, "Edit1"), "220.00V");

    click(win, "BitBtn5");
    EXPECT_EQ(ToHex(port.written.back()), "01 AA 72 37 30 32 32 42 30 30 30 17 5C");
    setText(win, "Edit2", "0CCCCD");
    click(win, "BitBtn1");
    EXPECT_EQ(ToHex(port.written.back()), "01 AA 77 37 30 32 32 0D 0C CC CD 7E 55");
    setText(win, "Edit2", "1A");
    click(win, "BitBtn1");
    EXPECT_EQ(ToHex(port.written.back().mid(7, 4)), "0D 00 00 1A");
    setText(win, "Edit2", "12345678");
    click(win, "BitBtn1");
    EXPECT_EQ(ToHex(port.written.back().mid(7, 4)), "0D 12 34 56");
    click(win, "Button1");
    EXPECT_EQ(text(win, "Edit2"), "000000");
    EXPECT_TRUE(messages.texts.isEmpty());

    // Nothing doubtful is sent.
    const qsizetype sent = port.written.size();
    setText(win, "Edit2", "0CCCCG");
    click(win, "BitBtn1");
    setText(win, "Edit2", "");
    click(win, "BitBtn1");
    choose(win, -1);
    setText(win, "Edit2", "000000");
    click(win, "BitBtn1");
    EXPECT_EQ(port.written.size(), sent);
    EXPECT_EQ(messages.texts, QStringList({"校验数据只能是十六进制数字（0-9，A-F）！！", "校验数据窗口不能为空！！",
                                           "请选择待校验的参数！！"}));
}

TEST_F(ModuleCalibration, ComputeNeedsAReadingAndLeavesTheWordOnRefusal)
{
    choose(win, 0);
    setText(win, "Edit2", "ABCDEF");
    click(win, "BitBtn2");
    // An acknowledgement is no reading, nor is a short read reply.
    click(win, "BitBtn1");
    answer("01 AA 77 37 30 32 32 01 AB CD EF");
    click(win, "BitBtn5");
    answer("01 AA 72 37 30 32 32 00 01 00 00");
    click(win, "BitBtn2");
    EXPECT_EQ(messages.texts, QStringList({"没有读到任何数据！请再读一次数据。", "参数设置成功！！",
                                           "没有读到任何数据！请再读一次数据。"}));
    EXPECT_EQ(text(win, "StaticText7"), "0.0");

    // The first read after start: the mean is 1/8 of 1100 W, so K would be 7
    // and wrap to 800000; it is refused.
    QByteArray read = Hex("01 AA 72 37 30 32 32 00 04 4C 00") + QByteArray(69, '\0');
    click(win, "BitBtn5");
    link.Dispatch(WithCrc(read));
    EXPECT_EQ(text(win, "StaticText7"), "137.5000W");
    messages.texts.clear();
    click(win, "BitBtn2");
    setText(win, "Edit1", "x");
    click(win, "BitBtn2");
    setText(win, "Edit1", "");
    click(win, "BitBtn2");
    EXPECT_EQ(messages.texts, QStringList({"数据出错！！", "'x' is not a valid floating point value",
                                           "注意：标准表数据不能为空！！"}));
    EXPECT_EQ(text(win, "Edit2"), "ABCDEF");
}

TEST_F(ModuleCalibration, CyclicReadingBlinksRefusesWritesAndSurvivesAClose)
{
    win.show();
    win.findChild<QCheckBox *>("CheckBox1")->setChecked(true);
    auto *timer = win.findChild<QTimer *>("Timer1");
    auto *read = win.findChild<QPushButton *>("BitBtn5");
    EXPECT_EQ(read->text(), "读启用");
    click(win, "BitBtn5");
    EXPECT_EQ(read->text(), "读停止");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1500);
    timer->setInterval(20);
    ASSERT_TRUE(WaitFor([&] { return port.written.size() >= 3; }));
    auto *lamp39 = win.findChild<Lamp *>("Shape39");
    auto *lamp1 = win.findChild<Lamp *>("Shape1");
    ASSERT_TRUE(WaitFor([&] { return lamp39->Colour() == Lamp::Active(); }));
    EXPECT_EQ(lamp1->Colour(), Lamp::Normal()) << "the lamps blink in opposition";
    choose(win, 0);
    setText(win, "Edit2", "000000");
    click(win, "BitBtn1");
    EXPECT_EQ(messages.texts, QStringList{"系统正在读数据，请先停止！"});

    click(win, "BitBtn3");
    EXPECT_FALSE(timer->isActive());
    win.show();
    EXPECT_EQ(read->text(), "读停止");
    click(win, "BitBtn1");
    EXPECT_EQ(messages.texts.size(), 2) << "still refused after reopening";
    click(win, "BitBtn5");
    EXPECT_EQ(read->text(), "读启动");
    EXPECT_FALSE(win.CyclicReading());
}

TEST_F(ModuleCalibration, TheRecordIsSavedAndKeepsGrowing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("run.csv");
    calib::SetRecordFileChooser([&](QWidget *, const QString &suggested) {
        EXPECT_TRUE(suggested.endsWith(".csv"));
        return path;
    });
    choose(win, 12);
    setText(win, "Edit2", "0CCCCD");
    click(win, "BitBtn1");
    click(win, "SaveRecord");
    answer("01 AA 77 37 30 32 32 0D 0C CC CD");
    calib::SetRecordFileChooser({});

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll().mid(3)).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].contains(",1,13,A相电压 [ 13 ],写入,220.00V,,0CCCCD,")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains(",13,A相电压 [ 13 ],写入确认,,,0CCCCD,")) << lines[2].toStdString();
}

// Read until stable, compute, write, read again: the reading is within
// 0.05 % of the reference, for a power point and a voltage point.
TEST(ModuleCalibrationOverPty, CalibratesPhaseAPowerAndVoltage)
{
    PtyLink pty;
    auto *module = static_cast<sim::ThreePhaseInstrument *>(pty.simulator.bus().Add(1, sim::Family::ThreePhase));
    KZ_NEEDS_PTY();
    ASSERT_TRUE(pty.Open()) << pty.error.toStdString();
    SerialLink &link = pty.link;
    CalibrationWindow win(link, threephase::kModuleCalibrationWindow);
    win.show();
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(1);
    calibrationtest::RunProcedure(win, {{0, "StaticText7", 1100}, {12, "StaticText1", 220}});
    EXPECT_NE(module->CalibrationWord(1), 0u);
    EXPECT_NE(module->CalibrationWord(13), 0u);
    EXPECT_EQ(win.Record().Rows().size(), 10); // per point: two writes, two acknowledgements, one computation
    pty.port.SetPortOpen(false);
}

// The guided run's panel: 跳过 writes nothing, 继续 reads the point first,
// 停止 ends the run and says where.
TEST_F(ModuleCalibration, GuidedRunAsksBeforeWritingAndStopsWhereTold)
{
    win.show();
    click(win, "GuidedStart");
    auto *proceed = win.findChild<QPushButton *>("GuidedContinue");
    ASSERT_TRUE(WaitFor([&] { return proceed->isEnabled(); }));
    EXPECT_EQ(text(win, "GuidedPrompt"), "请将标准源设为 A相 220V 100%In PF 1.0，标准表应显示 1100W，然后按[继续]。");
    EXPECT_EQ(text(win, "GuidedStatus"), "第 1/18 点：A相功率（100%）-1.0 [ 1 ]，等待设置标准源");
    const qsizetype sent = port.written.size();
    click(win, "GuidedSkip");
    ASSERT_TRUE(WaitFor([&] { return text(win, "GuidedStatus").startsWith("第 2/18 点"); }));
    EXPECT_EQ(port.written.size(), sent);
    click(win, "GuidedContinue");
    ASSERT_EQ(port.written.size(), sent + 1);
    EXPECT_EQ(ToHex(port.written.back()), ToHex(WithCrc(Hex("01 AA 72 37 30 32 32 42 30 30 30"))));
    click(win, "BitBtn5"); // a manual read would take the run's reply
    EXPECT_EQ(messages.texts, QStringList{"引导校验正在进行，请先停止！"});
    EXPECT_EQ(port.written.size(), sent + 1);
    messages.texts.clear();
    click(win, "GuidedStop");
    answer("01 AA 77 37 30 32 32 02 00 00 00");
    ASSERT_TRUE(WaitFor([&] { return !messages.texts.isEmpty(); }));
    EXPECT_EQ(messages.texts.value(0), "引导校验不合格：0/18 点合格，停止于第 2 点（B相功率（100%）-1.0 [ 2 ]）读数（清零前）。");
    EXPECT_EQ(port.written.size(), sent + 1) << "nothing after the stop";
    EXPECT_TRUE(win.findChild<QPushButton *>("GuidedStart")->isEnabled());
    EXPECT_EQ(win.Record().Rows().last().result, "运行停止于第 2 点（B相功率（100%）-1.0 [ 2 ]）读数（清零前）");

    // A plan file: refused with its reason, or the next run's points.
    QTemporaryDir dir;
    const auto load = [&](const QByteArray &json) {
        QFile file(dir.filePath("plan.json"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(json);
        file.close();
        calib::SetPlanFileChooser([&](QWidget *, const QString &) { return dir.filePath("plan.json"); });
        messages.texts.clear();
        click(win, "LoadPlan");
        calib::SetPlanFileChooser({});
    };
    load(R"({"points":[{"point":13,"reference":0}]})");
    EXPECT_EQ(messages.texts.value(0), "校验方案不能使用：" + dir.filePath("plan.json") +
                                           "：方案第 1 点：“reference”应为介于 0.1 和 1000 V 之间的数");
    load(R"({"name":"电压","limit":2,"points":[{"point":14,"reference":230}]})");
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_EQ(text(win, "GuidedStatus"), "方案：电压（1 点）");
    // The plan's limit is shown; one typed over it holds for every point.
    auto *limit = win.findChild<QDoubleSpinBox *>("GuidedLimit");
    EXPECT_DOUBLE_EQ(limit->value(), 2);
    limit->setValue(0.2);
    click(win, "GuidedStart");
    EXPECT_DOUBLE_EQ(win.GuidedRun()->plan().points.value(0).limit, 0.2);
    ASSERT_TRUE(WaitFor([&] { return proceed->isEnabled(); }));
    EXPECT_EQ(text(win, "GuidedPrompt"), "请将标准源设为 B相 220V 100%In PF 1.0，标准表应显示 230V，然后按[继续]。");
    click(win, "GuidedStop");
}

// A new user's run over the wire: the first three points confirmed and
// corrected within the limit, then 停止 at the fourth prompt (the engine's
// own tests run every point of the plan).
TEST(ModuleCalibrationOverPty, GuidedRunCorrectsThePointsConfirmedAndStopsCleanly)
{
    PtyLink pty;
    auto *module = static_cast<sim::ThreePhaseInstrument *>(pty.simulator.bus().Add(1, sim::Family::ThreePhase));
    KZ_NEEDS_PTY();
    ASSERT_TRUE(pty.Open()) << pty.error.toStdString();
    SerialLink &link = pty.link;
    CalibrationWindow win(link, threephase::kModuleCalibrationWindow);
    win.show();
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(1);
    ui::RecordedMessages messages;
    auto *proceed = win.findChild<QPushButton *>("GuidedContinue");
    auto *address = win.findChild<QSpinBox *>("SpinEdit1");
    click(win, "GuidedStart");
    EXPECT_FALSE(address->isEnabled()) << "locked while the run goes";
    for (int prompt = 1; prompt <= 4; ++prompt) {
        ASSERT_TRUE(WaitFor([&] { return proceed->isEnabled(); }, 20000)) << prompt;
        if (prompt == 2)
            address->setValue(2); // changed anyway: the run stays on meter 1
        click(win, prompt < 4 ? "GuidedContinue" : "GuidedStop");
    }
    ASSERT_TRUE(WaitFor([&] { return !messages.texts.isEmpty(); }));
    EXPECT_EQ(messages.texts,
              QStringList{"引导校验不合格：3/18 点合格，停止于第 4 点（A相功率（10%）-1.0 [ 4 ]）等待设置标准源。"});
    EXPECT_EQ(win.findChild<QProgressBar *>("GuidedProgress")->value(), 3);
    EXPECT_TRUE(text(win, "GuidedError").startsWith("误差：")) << text(win, "GuidedError").toStdString();
    for (int n = 1; n <= 3; ++n)
        EXPECT_NE(module->CalibrationWord(n), 0u) << n;
    EXPECT_EQ(module->CalibrationWord(4), 0u);
    ASSERT_EQ(win.Record().Rows().size(), 4);
    EXPECT_EQ(win.Record().Rows()[0].verdict, "合格");
    for (const calib::RecordRow &row : win.Record().Rows())
        EXPECT_EQ(row.address, 1);
    EXPECT_TRUE(address->isEnabled());
    address->setValue(3);

    QTemporaryDir dir;
    calib::SetRecordFileChooser([&](QWidget *, const QString &suggested) {
        EXPECT_TRUE(suggested.endsWith(".pdf"));
        return dir.filePath("c.pdf");
    });
    messages.texts.clear();
    click(win, "SaveCertificate");
    calib::SetRecordFileChooser({});
    EXPECT_EQ(messages.texts, QStringList{"校验证书已保存到 " + dir.filePath("c.pdf") + "。"});
    QProcess pdftotext;
    pdftotext.start("pdftotext", {dir.filePath("c.pdf"), "-"});
    ASSERT_TRUE(pdftotext.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified().contains("通信地址 1 "));
    pty.port.SetPortOpen(false);
}
