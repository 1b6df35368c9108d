// The initialisation settings window: its frames, the energy base codec and
// the reply rules on a fake port, and one round trip against the simulated
// instrument.
#include "tests/support/fakeport.h"
#include "ui/messagebox.h"
#include "link/qtserialport.h"
#include "sim/ptysimulator.h"
#include "sim/threephase.h"
#include "tests/support/testutil.h"
#include "threephase/initsettings.h"
#include "threephase/initsettingswindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace {

QLineEdit *edit(QWidget &w, const char *name) { return w.findChild<QLineEdit *>(name); }
QRadioButton *radio(QWidget &w, int group, int item)
{
    return w.findChild<QRadioButton *>(QStringLiteral("RadioGroup%1_%2").arg(group).arg(item));
}
void click(QWidget &w, const char *button) { w.findChild<QPushButton *>(button)->click(); }

struct InitSettingsWindow : ::testing::Test {
    FakePortControl port;
    SerialLink link{&port};
    threephase::InitSettingsWindow win{link};
    ui::RecordedMessages messages;

    void SetUp() override
    {
        port.SetPortOpen(true);
        link.PrepareReceive();
        win.show();
        win.findChild<QSpinBox *>("SpinEdit1")->setValue(1);
    }
    void answer(const char *hex) { link.Dispatch(WithCrc(Hex(hex))); }
    QString last() { return port.written.isEmpty() ? QString() : ToHex(port.written.back()); }
};

// Three-wire (0x0003 is not four-wire), ratios 200 and 5, KV, a current unit
// word 0x0100 (low byte 0: "A"), the other units small, delay 5.
const char *const kSettingsReply = "01 03 16 00 03 02 00 00 01 00 05 01 00 00 00 00 00 00 00 00 00 00 00 00 05";

} // namespace

TEST_F(InitSettingsWindow, SettingsUploadShowsTheBlockAndDownloadWritesTheEdit)
{
    click(win, "BitBtn2");
    EXPECT_EQ(last(), "01 03 00 50 00 0B 04 1C");
    answer(kSettingsReply);
    EXPECT_TRUE(radio(win, 1, 0)->isChecked() && radio(win, 2, 1)->isChecked() && radio(win, 3, 0)->isChecked());
    EXPECT_EQ(edit(win, "LabeledEdit1")->text() + "," + edit(win, "LabeledEdit2")->text(), "200,5");
    radio(win, 1, 1)->setChecked(true);
    click(win, "BitBtn3");
    EXPECT_EQ(last(), "01 10 00 50 00 0B 16 00 02 02 00 00 01 00 05 00 00 00 00 00 00 00 00 00 00 00 00 00 05 AF FD");
    answer("01 10 00 50 00 0B");
    EXPECT_EQ(messages.texts, QStringList({"数据下载成功！！"}));
}

TEST_F(InitSettingsWindow, FactoryValuesSendNothingAndShowingAgainResetsOnlyTheTexts)
{
    edit(win, "LabeledEdit3")->setText("12.5");
    click(win, "BitBtn1");
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_EQ(edit(win, "LabeledEdit3")->text(), "0");
    click(win, "BitBtn3");
    EXPECT_EQ(last(), "01 10 00 50 00 0B 16 00 02 00 01 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 05 BE 70");
    win.hide();
    win.show();
    EXPECT_EQ(edit(win, "LabeledEdit1")->text(), "0");
    EXPECT_TRUE(radio(win, 1, 1)->isChecked());
}

// A ratio is limited on its whole value; what cannot be a ratio sends nothing.
TEST_F(InitSettingsWindow, RatiosAreLimitedTo9999OrRefused)
{
    const std::pair<const char *, const char *> cases[] = {
        {"70000", "99 99"}, {"0200", "02 00"}, {"-5", "“电压量程被率”不能为负数！"}};
    for (const auto &[typed, expected] : cases) {
        port.written.clear();
        messages.texts.clear();
        edit(win, "LabeledEdit1")->setText(QString::fromUtf8(typed));
        click(win, "BitBtn3");
        const QString got = port.written.isEmpty() ? messages.texts.join('|') : ToHex(port.written[0].mid(9, 2));
        EXPECT_EQ(got, QString::fromUtf8(expected)) << typed;
    }
}

TEST(EnergyBaseCodec, TypedBasesBecomeTheirFields)
{
    namespace is = threephase::initsettings;
    const std::pair<const char *, const char *> cases[] = {
        {"123.45", "00 00 7B 2D"}, {"123.456", "00 00 7B 2D"}, {"123", "00 00 7B 00"}, {"66051.07", "01 02 03 07"},
        {"12.5", "00 00 0C 32"}, {"123.450KW/h", "00 00 7B 2D"}, {"16777215.99", "FF FF FF 63"},
        {"16777216", "“有功电能底数”不能大于16777215.99！"}, {"-0.5", "“有功电能底数”不能为负数！"},
        {"123.", "'' is not a valid integer value"}, {"1,5", "'1,5' is not a valid integer value"}};
    for (const auto &[typed, expected] : cases) {
        QString error;
        const auto field = is::EncodeBase(QString::fromUtf8(typed), is::kActiveBase, &error);
        EXPECT_EQ(field ? ToHex(*field) : error, QString::fromUtf8(expected)) << typed;
    }
}

TEST_F(InitSettingsWindow, UploadedBasesGoBackAsTheyStandAndAShortReplyStillCounts)
{
    click(win, "BitBtn4");
    EXPECT_EQ(last(), "01 03 00 5B 00 02 B5 D8");
    answer("01 03 10 00 00 00 00 00 00 30 39 00 00 00 00 00 01 E2 40");
    EXPECT_EQ(edit(win, "LabeledEdit3")->text() + "," + edit(win, "LabeledEdit4")->text(), "123.450KW/h,1234.560var/h");
    click(win, "BitBtn5");
    EXPECT_EQ(last(), "01 10 00 5B 00 02 08 00 00 7B 2D 00 04 D2 38 C9 80");
    edit(win, "LabeledEdit4")->setText("20000000");
    click(win, "BitBtn5");
    EXPECT_EQ(port.written.size(), 2);
    EXPECT_EQ(messages.texts, QStringList({"“无功电能底数”不能大于16777215.99！"}));

    click(win, "BitBtn4");
    answer("01 03 10 00 00 00 00 00 00 30 3A"); // byte count 16, 8 bytes there
    EXPECT_EQ(edit(win, "LabeledEdit3")->text() + "," + edit(win, "LabeledEdit4")->text(), "123.460KW/h,0.000var/h");
}

// A reply is taken for what its request asked: a block of the other read's
// size or an unexpected function is a failed upload and changes nothing.
TEST_F(InitSettingsWindow, RepliesThatDoNotAnswerTheRequestFail)
{
    const std::pair<const char *, const char *> cases[] = {
        {"BitBtn2", "01 03 10 00 00 00 00 00 00 30 39 00 00 00 00 00 00 30 39"},
        {"BitBtn4", kSettingsReply}, {"BitBtn5", "01 06 00 5B 00 01"}};
    for (const auto &[button, reply] : cases) {
        click(win, button);
        answer(reply);
    }
    EXPECT_EQ(messages.texts, QStringList(3, "数据上载失败！！"));
    EXPECT_EQ(edit(win, "LabeledEdit1")->text() + "," + edit(win, "LabeledEdit3")->text(), "0,0");
}

TEST(InitSettingsOverPty, UploadEditDownloadUploadAgain)
{
    sim::PtySimulator simulator;
    QString error;
    KZ_NEEDS_PTY();
    ASSERT_TRUE(simulator.Open(&error)) << error.toStdString();
    QtSerialPortControl port;
    port.SetPortName(simulator.SlavePath());
    port.SetSettings("9600,n,8,1");
    ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
    SerialLink link{&port};
    link.PrepareReceive();
    ui::RecordedMessages messages;
    auto *meter = static_cast<sim::ThreePhaseInstrument *>(simulator.bus().Add(3, sim::Family::ThreePhase));
    ASSERT_NE(meter, nullptr);
    const std::uint16_t words[] = {0x0001, 0x0100, 0x0001, 0x0005, 0, 1, 0, 0, 0, 1, 0x0010};
    for (std::uint16_t i = 0; i < 11; ++i)
        meter->SetHolding(static_cast<std::uint16_t>(0x50 + i), words[i]);
    meter->SetEnergyBase(0, 12345);

    threephase::InitSettingsWindow win(link);
    win.show();
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(3);
    QLineEdit *ct = edit(win, "LabeledEdit2");
    QLineEdit *reactive = edit(win, "LabeledEdit4");
    const auto exchange = [&](const char *button, const std::function<bool()> &done) {
        click(win, button);
        EXPECT_TRUE(WaitFor(done, 5000)) << button;
    };
    const auto upload = [&] {
        ct->clear();
        reactive->clear();
        exchange("BitBtn2", [&] { return !ct->text().isEmpty(); });
        exchange("BitBtn4", [&] { return !reactive->text().isEmpty(); });
    };
    upload();
    EXPECT_EQ(edit(win, "LabeledEdit1")->text() + "," + ct->text() + "," + edit(win, "LabeledEdit3")->text(),
              "100,5,123.450KW/h");
    EXPECT_TRUE(radio(win, 1, 0)->isChecked() && radio(win, 4, 1)->isChecked());

    ct->setText("20");
    reactive->setText("7.5");
    exchange("BitBtn3", [&] { return messages.texts.size() == 1; });
    exchange("BitBtn5", [&] { return messages.texts.size() == 2; });
    EXPECT_EQ(messages.texts, QStringList(2, "数据下载成功！！"));
    for (std::uint16_t i = 0; i < 11; ++i)
        EXPECT_EQ(meter->Holding(static_cast<std::uint16_t>(0x50 + i)), i == 3 ? 0x0020 : words[i]) << i;
    EXPECT_EQ(meter->EnergyBase(0), 12345);
    EXPECT_EQ(meter->EnergyBase(1), 750);

    upload();
    EXPECT_EQ(ct->text() + "," + reactive->text(), "20,7.500var/h");
    port.SetPortOpen(false);
}
