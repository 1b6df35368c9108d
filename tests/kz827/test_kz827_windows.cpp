// The five KZ827KVE windows: their frames and reply rules on a fake port,
// and one round trip each against the simulated instrument.
#include "kz827/calibrationwindow.h"
#include "ui/replyrouter.h"
#include "kz827/rangewindow.h"
#include "kz827/measurementwindow.h"
#include "kz827/remotecontrolwindow.h"
#include "kz827/alarmswindow.h"
#include "tests/support/fakeport.h"
#include "ui/messagebox.h"
#include "link/qtserialport.h"
#include "sim/kz827.h"
#include "sim/ptysimulator.h"
#include "tests/support/testutil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

void click(QWidget &w, const char *button) { w.findChild<QPushButton *>(button)->click(); }
QLineEdit *edit(QWidget &w, const char *name) { return w.findChild<QLineEdit *>(name); }
QString text(QWidget &w, const char *label) { return w.findChild<QLabel *>(label)->text(); }
void setAddress(QWidget &w, int address) { w.findChild<QSpinBox *>("SpinEdit1")->setValue(address); }
QRadioButton *radio(QWidget &w, int group, int item)
{
    return w.findChild<QRadioButton *>(QStringLiteral("RadioGroup%1_%2").arg(group).arg(item));
}

// A link on a fake port with the KZ827KVE family chosen.
struct FakeBus : ::testing::Test {
    FakePortControl port;
    SerialLink link{&port};
    ui::RecordedMessages messages;

    void SetUp() override
    {
        port.SetPortOpen(true);
        link.PrepareReceive();
        ReplyRouter::Of(link).ChooseFamily(Family::Kz827);
    }
    void answer(const char *hex) { link.Dispatch(WithCrc(Hex(hex))); }
    QString last() { return port.written.isEmpty() ? QString() : ToHex(port.written.back()); }
};

// A link on the simulator's pseudo-terminal with a KZ827KVE at address 3.
struct SimBus : ::testing::Test {
    sim::PtySimulator simulator;
    sim::Kz827Instrument *meter = nullptr;
    QtSerialPortControl port;
    std::unique_ptr<SerialLink> link;
    ui::RecordedMessages messages;

    void SetUp() override
    {
        meter = static_cast<sim::Kz827Instrument *>(simulator.bus().Add(3, sim::Family::Kz827));
        meter->SetFrozen(true);
        QString error;
        KZ_NEEDS_PTY();
        ASSERT_TRUE(simulator.Open(&error)) << error.toStdString();
        port.SetPortName(simulator.SlavePath());
        ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
        link = std::make_unique<SerialLink>(&port);
        link->PrepareReceive();
        ReplyRouter::Of(*link).ChooseFamily(Family::Kz827);
    }
    void TearDown() override { port.SetPortOpen(false); }
    bool message(const QString &text, int ms = 3000)
    {
        return WaitFor([&] { return messages.texts.contains(text); }, ms);
    }
};

} // namespace

// ---- Measurement ----

using SurveyWindow = FakeBus;

TEST_F(SurveyWindow, PollsAndShowsOnlyCompleteReplies)
{
    kz827::MeasurementWindow win(link);
    setAddress(win, 1);
    click(win, "BitBtn1");
    EXPECT_EQ(last(), "01 03 00 00 00 06 C5 C8");
    EXPECT_TRUE(win.findChild<QTimer *>("Timer1")->isActive());
    answer("01 03 0C 08 9D 01 00 00 05 02 00 80 64 01 01");
    EXPECT_EQ(text(win, "StaticText1") + text(win, "StaticText4") + text(win, "StaticText7"), "220.5V0.05A-10.0KW");
    // Byte count 12 with data missing: nothing read past the frame, nothing shown.
    click(win, "BitBtn1");
    answer("01 03 0C 00 07 03 00");
    EXPECT_EQ(text(win, "StaticText1"), "220.5V");
    click(win, "BitBtn2");
    EXPECT_FALSE(win.findChild<QTimer *>("Timer1")->isActive());
}

TEST_F(SurveyWindow, ALateReplyAfterAnotherWindowTookOverChangesNothing)
{
    kz827::MeasurementWindow survey(link);
    kz827::AlarmsWindow warn(link);
    click(survey, "BitBtn1");
    click(warn, "BitBtn2");
    answer("00 03 0C 08 9D 01 00 00 05 02 00 80 64 01 01");
    EXPECT_EQ(text(survey, "StaticText1"), "0.0V");
    // It answers the upload asked last, which it does not: that upload failed.
    EXPECT_EQ(messages.texts, QStringList({"数据上载失败！！"}));
}

TEST_F(SimBus, SurveyShowsTheInstrumentsValues)
{
    kz827::MeasurementWindow win(*link);
    win.show();
    setAddress(win, 3);
    click(win, "BitBtn1");
    ASSERT_TRUE(WaitFor([&] { return text(win, "StaticText1") == "220.0V"; }, 3000)) << text(win, "StaticText1").toStdString();
    EXPECT_EQ(text(win, "StaticText4"), "5.000A");
    EXPECT_EQ(text(win, "StaticText7"), "1100W");
    click(win, "Exit");
}

// ---- Remote control ----

using TelecontrolWindow = FakeBus;

TEST_F(TelecontrolWindow, EachButtonWritesItsCoilAndEachReplyIsAnswered)
{
    kz827::RemoteControlWindow win(link);
    setAddress(win, 3);
    const std::pair<const char *, const char *> buttons[] = {
        {"BitBtn9", "03 05 00 01 FF 00"}, {"BitBtn8", "03 05 00 02 FF 00"},
        {"BitBtn12", "03 05 00 01 00 00"}, {"BitBtn11", "03 05 00 02 00 00"}};
    for (const auto &[button, frame] : buttons) {
        click(win, button);
        EXPECT_EQ(last(), ToHex(WithCrc(Hex(frame)))) << button;
    }
    answer("03 05 00 02 00 00");
    click(win, "BitBtn11");
    answer("03 10 00 02 00 00");
    EXPECT_EQ(messages.texts, QStringList({"数据下载成功！！", "数据下载失败！！"}));
}

TEST_F(SimBus, TelecontrolSwitchesTheRelay)
{
    kz827::RemoteControlWindow win(*link);
    setAddress(win, 3);
    click(win, "BitBtn9");
    ASSERT_TRUE(message("数据下载成功！！"));
    EXPECT_TRUE(meter->Coil(1));
}

// ---- Alarm parameters ----

using WarnWindow = FakeBus;

const char *const kAlarmReply =
    "01 03 56 00 03 00 15 03 02 00 05 03 01 00 02 00 10 00 01 00 00 00 00 00 0F 30 30 30 30 30 30 30 30 30 30"
    " 00 01 00 05 01 00 00 01 03 00 00 01 00 00 00 00 00 00 00 00 00 00 30 30 30 30 30 30 30 30 30 30"
    " 00 02 22 05 03 00 00 12 00 00 00 03 99 99 00 01 00 00 00 00 00 00";

TEST_F(WarnWindow, UploadShowsTheBlockAndDownloadWritesItBack)
{
    kz827::AlarmsWindow win(link);
    setAddress(win, 1);
    click(win, "BitBtn2");
    EXPECT_EQ(last(), "01 03 10 08 00 2B 80 D7");
    answer("01 03 04 00 00 00 00"); // another size: the upload failed
    EXPECT_EQ(messages.texts, QStringList({"数据上载失败！！"}));
    messages.texts.clear();
    click(win, "BitBtn2");
    answer(kAlarmReply);
    EXPECT_EQ(messages.texts, QStringList({"数据上载成功！！"}));
    EXPECT_EQ(edit(win, "Edit1")->text(), "220.5V");
    EXPECT_EQ(edit(win, "Edit4")->text(), "9999KV");
    EXPECT_EQ(edit(win, "Edit9")->text(), "1.5MW");
    EXPECT_EQ(win.findChild<QSpinBox *>("SpinEdit6")->value(), 15);
    EXPECT_TRUE(win.findChild<QCheckBox *>("CheckBox2")->isChecked());
    EXPECT_FALSE(win.findChild<QCheckBox *>("CheckBox1")->isChecked());
    click(win, "BitBtn1");
    EXPECT_EQ(ToHex(port.written.back().mid(7, 86)), ToHex(Hex(kAlarmReply).mid(3)));
    EXPECT_EQ(ToHex(port.written.back().left(7)), "01 10 10 08 00 2B 56");
    answer("01 10 10 08 00 2B");
    click(win, "BitBtn2");
    answer("01 05 00 01 FF 00");
    EXPECT_EQ(messages.texts, QStringList({"数据上载成功！！", "数据下载成功！！", "数据上载失败！！"}));
}

TEST_F(WarnWindow, AnEntryThatIsNotALimitSendsNothing)
{
    kz827::AlarmsWindow win(link);
    click(win, "BitBtn6");
    EXPECT_EQ(edit(win, "Edit5")->text(), "9999");
    EXPECT_EQ(edit(win, "Edit6")->text(), "0000");
    for (const char *entry : {"22V0", "1.2.3", ""}) {
        edit(win, "Edit1")->setText(entry);
        click(win, "BitBtn1");
    }
    edit(win, "Edit1")->setText("0");
    edit(win, "Edit8")->setText("1KA2");
    click(win, "BitBtn1");
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_EQ(messages.texts, QStringList({"警告！电压数据输入错误！！", "警告！电压数据输入错误！！", "警告！电压数据输入错误！！",
                                           "警告！电流数据输入错误！！"}));
}

TEST_F(SimBus, WarnDownloadIsStoredAndUploadedAgain)
{
    kz827::AlarmsWindow win(*link);
    setAddress(win, 3);
    click(win, "BitBtn2");
    ASSERT_TRUE(message("数据上载成功！！"));
    EXPECT_EQ(edit(win, "Edit1")->text(), "9999V");
    edit(win, "Edit1")->setText("230.5V");
    edit(win, "Edit9")->setText("1.5MW");
    win.findChild<QCheckBox *>("CheckBox5")->setChecked(true);
    click(win, "BitBtn1");
    ASSERT_TRUE(message("数据下载成功！！"));
    EXPECT_EQ(meter->Holding(0x1029), 0x2305);
    EXPECT_EQ(meter->Holding(0x102A), 0x0300);
    EXPECT_EQ(meter->Holding(0x1009), 0x0015);
    EXPECT_EQ(meter->Holding(0x100A), 0x0302);
    EXPECT_EQ(meter->Holding(0x1008), 0x0001);
    EXPECT_EQ(meter->Holding(0x1013), 0x3030);
}

// ---- Initialisation ----

using IniWindow = FakeBus;

TEST_F(IniWindow, FramesAndRefusals)
{
    kz827::RangeWindow win(link);
    setAddress(win, 1);
    // No unit chosen yet, no rate chosen: nothing is sent.
    click(win, "BitBtn3");
    click(win, "BitBtn4");
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_EQ(messages.texts, QStringList({"请选择“电压单位”！", "请选择“通讯拨特率”！"}));

    win.findChild<QSpinBox *>("SpinEdit3")->setValue(12);
    click(win, "BitBtn5");
    EXPECT_EQ(last(), "01 10 10 05 00 01 02 00 0C B7 C1");
    win.findChild<QComboBox *>("ComboBox1")->setCurrentIndex(5);
    click(win, "BitBtn4");
    EXPECT_EQ(last(), ToHex(WithCrc(Hex("01 10 10 06 00 01 02 00 05"))));

    click(win, "BitBtn2");
    EXPECT_EQ(last(), ToHex(WithCrc(Hex("01 03 10 00 00 05"))));
    answer("01 03 0A 00 01 FF FF 00 00 00 05 00 01");
    EXPECT_EQ(edit(win, "LabeledEdit1")->text(), "16665"); // shown whole, not cut to four
    EXPECT_TRUE(radio(win, 2, 1)->isChecked() && radio(win, 3, 0)->isChecked() && radio(win, 4, 1)->isChecked());
    click(win, "BitBtn3");
    EXPECT_EQ(messages.texts.back(), "“电压被率”不能大于9999！");
    edit(win, "LabeledEdit1")->setText("-1");
    click(win, "BitBtn3");
    EXPECT_EQ(messages.texts.back(), "“电压被率”不能为负数！");
    edit(win, "LabeledEdit1")->setText("100");
    click(win, "BitBtn3");
    EXPECT_EQ(last(), ToHex(WithCrc(Hex("01 10 10 00 00 05 0A 00 01 01 00 00 00 00 05 00 01"))));
    click(win, "BitBtn1"); // factory values: V, A, W and ratios 1
    EXPECT_TRUE(radio(win, 2, 0)->isChecked() && radio(win, 4, 0)->isChecked());
    EXPECT_EQ(edit(win, "LabeledEdit2")->text(), "1");
}

TEST_F(SimBus, IniDownloadChangesTheReadingsAndTheAddressMoves)
{
    kz827::RangeWindow win(*link);
    setAddress(win, 3);
    click(win, "BitBtn2");
    ASSERT_TRUE(message("数据上载成功！！"));
    EXPECT_EQ(edit(win, "LabeledEdit1")->text(), "1");
    edit(win, "LabeledEdit1")->setText("100");
    radio(win, 2, 1)->setChecked(true);
    click(win, "BitBtn3");
    ASSERT_TRUE(message("数据下载成功！！"));
    EXPECT_EQ(meter->Holding(0x1001), 0x0100);
    EXPECT_EQ(meter->Holding(0x1000), 1);
    EXPECT_EQ(meter->MeasurementWords()[0], 2200); // 22.00 KV
    messages.texts.clear();
    win.findChild<QSpinBox *>("SpinEdit3")->setValue(12);
    click(win, "BitBtn5");
    ASSERT_TRUE(message("数据下载成功！！"));
    EXPECT_EQ(simulator.bus().Kz827At(12), meter);
}

// ---- Calibration ----

using CalibrateWindow = FakeBus;

const char *const kRead = "01 AA 72 54 60 54 7A E1 99 99 9A 19 58 10 01 86 A0";

TEST_F(CalibrateWindow, ReadsAveragesComputesAndWrites)
{
    kz827::CalibrationWindow win(link);
    setAddress(win, 1);
    auto *items = win.findChild<QListWidget *>("ListBox1");
    items->setCurrentRow(0);
    EXPECT_EQ(edit(win, "Edit1")->text() + " " + edit(win, "Edit2")->text(), "220.00V 400000");
    click(win, "BitBtn2");
    EXPECT_EQ(messages.texts, QStringList({"没有读到任何数据！请再读一次数据。"}));

    click(win, "BitBtn5");
    EXPECT_EQ(last(), "01 AA 80 0F 54 60 03 00 00 00 DD 9D");
    answer(kRead);
    EXPECT_EQ(text(win, "StaticText1"), "27.5000V"); // one read of eight
    click(win, "BitBtn5");
    answer("01 AA 72 54 60 54 7A E1 99 99 9A 19"); // short: not pushed
    EXPECT_EQ(text(win, "StaticText1"), "27.5000V");
    for (int i = 0; i < 7; ++i) {
        click(win, "BitBtn5");
        answer(kRead);
    }
    EXPECT_EQ(text(win, "StaticText1") + text(win, "StaticText4") + text(win, "StaticText7"), "220.0000V5.0000A1099.9997W");

    click(win, "BitBtn2");
    EXPECT_EQ(edit(win, "Edit2")->text(), "400000");
    edit(win, "Edit1")->setText("110V"); // half: the coefficient halves
    click(win, "BitBtn2");
    EXPECT_EQ(edit(win, "Edit2")->text(), "200000");
    edit(win, "Edit1")->setText("1100V"); // five times: beyond 24 bits
    click(win, "BitBtn2");
    EXPECT_EQ(messages.texts.back(), "数据出错！！");
    EXPECT_EQ(edit(win, "Edit2")->text(), "200000");

    edit(win, "Edit2")->setText("1A");
    click(win, "BitBtn1");
    EXPECT_EQ(last(), ToHex(WithCrc(Hex("01 AA 80 02 54 60 03 00 00 1A"))));
    answer("01 AA 77 54 60");
    EXPECT_EQ(messages.texts.back(), "参数设置成功！！");
    const int sent = port.written.size();
    edit(win, "Edit2")->setText("12G");
    click(win, "BitBtn1");
    EXPECT_EQ(port.written.size(), sent);
}

TEST_F(CalibrateWindow, NothingButReadingWhileReadingContinuously)
{
    kz827::CalibrationWindow win(link);
    win.findChild<QCheckBox *>("CheckBox1")->setChecked(true);
    click(win, "BitBtn5");
    auto *read = win.findChild<QPushButton *>("BitBtn5");
    EXPECT_EQ(read->text(), "读停止");
    EXPECT_TRUE(win.findChild<QTimer *>("Timer1")->isActive());
    const int sent = port.written.size();
    for (const char *button : {"BitBtn3", "BitBtn4", "BitBtn6", "BitBtn7", "BitBtn1"})
        click(win, button);
    EXPECT_EQ(port.written.size(), sent);
    EXPECT_EQ(messages.texts.size(), 5);
    EXPECT_EQ(messages.texts.front(), "系统正在读数据，请先停止！");
    click(win, "BitBtn5");
    EXPECT_EQ(read->text(), "读启动");
    EXPECT_FALSE(win.findChild<QTimer *>("Timer1")->isActive());
    // Zero commands go out once reading has stopped.
    click(win, "BitBtn7");
    EXPECT_EQ(last(), ToHex(WithCrc(Hex("00 AA 80 07 54 60 03 00 00 00"))));
}

// The guided run asks before anything is written, reads the item as it is
// on 继续 (the clear to the factory coefficient comes once a correction
// can be computed), refuses manual commands meanwhile and shows its reads;
// 停止 ends it where it was.
TEST_F(CalibrateWindow, GuidedRunPromptsReadsBeforeWritingAndStops)
{
    kz827::CalibrationWindow win(link);
    win.show();
    setAddress(win, 1);
    click(win, "GuidedStart");
    auto *proceed = win.findChild<QPushButton *>("GuidedContinue");
    ASSERT_TRUE(WaitFor([&] { return proceed->isEnabled(); }));
    EXPECT_EQ(text(win, "GuidedPrompt"), "请将标准源设为 220V 100%In PF 1.0，标准表应显示 220V，然后按[继续]。");
    EXPECT_EQ(text(win, "GuidedStatus"), "第 1/4 点：电压（100%U）- 1.0 [ 1 ]，等待设置标准源");
    const qsizetype sent = port.written.size();
    click(win, "GuidedContinue");
    ASSERT_EQ(port.written.size(), sent + 1);
    EXPECT_EQ(last(), "01 AA 80 0F 54 60 03 00 00 00 DD 9D");
    for (const char *button : {"BitBtn5", "BitBtn3", "BitBtn1"})
        click(win, button);
    EXPECT_EQ(messages.texts, QStringList(3, "引导校验正在进行，请先停止！"));
    EXPECT_EQ(port.written.size(), sent + 1);
    messages.texts.clear();
    answer(kRead);
    ASSERT_TRUE(WaitFor([&] { return port.written.size() == sent + 2; }));
    EXPECT_EQ(last(), "01 AA 80 0F 54 60 03 00 00 00 DD 9D");
    EXPECT_TRUE(messages.texts.isEmpty()) << "the run's read is not a message";
    click(win, "GuidedStop");
    answer(kRead);
    ASSERT_TRUE(WaitFor([&] { return !messages.texts.isEmpty(); }));
    EXPECT_EQ(messages.texts.value(0),
              "引导校验不合格：0/4 点合格，停止于第 1 点（电压（100%U）- 1.0 [ 1 ]）读数（清零前）。");
    EXPECT_EQ(text(win, "StaticText1"), "55.0000V") << "the run's two reads are shown (220 V in the mean of eight)";
    EXPECT_EQ(port.written.size(), sent + 2) << "nothing after the stop";
}

TEST_F(SimBus, CalibrationBringsAnOffReadingBackToTheStandard)
{
    meter->SetGain(sim::Kz827Instrument::kVoltage, 1.02); // the instrument reads 2 % high
    kz827::CalibrationWindow win(*link);
    setAddress(win, 3);
    // Each read waits until the window has handled its reply: the meter
    // having served it is not enough, as the next request would clear a
    // reply still on its way.
    int handled = 0;
    QObject::connect(&win, &FamilyWindow::ReplyHandled, [&] { ++handled; });
    const auto readEight = [&] {
        for (int i = 0; i < 8; ++i) {
            const int before = handled;
            click(win, "BitBtn5");
            ASSERT_TRUE(WaitFor([&] { return handled > before; }, 3000));
        }
    };
    readEight();
    EXPECT_EQ(text(win, "StaticText1"), "224.4000V");
    win.findChild<QListWidget *>("ListBox1")->setCurrentRow(0);
    click(win, "BitBtn2");
    const QString coefficient = edit(win, "Edit2")->text();
    EXPECT_EQ(coefficient, QStringLiteral("%1").arg(std::lround(4194304 / 1.02), 6, 16, QLatin1Char('0')).toUpper());
    click(win, "BitBtn1");
    ASSERT_TRUE(message("参数设置成功！！"));
    EXPECT_EQ(meter->Coefficient(sim::Kz827Instrument::kVoltage), coefficient.toUInt(nullptr, 16));
    readEight();
    EXPECT_NEAR(text(win, "StaticText1").chopped(1).toDouble(), 220.0, 0.001);
}
