// The display settings window: its frames on a fake port, status line and
// time-out, presets and refusals, and one round trip against the simulated
// instrument on a pseudo-terminal.
#include "tests/support/fakeport.h"
#include "ui/messagebox.h"
#include "link/qtserialport.h"
#include "sim/ptysimulator.h"
#include "sim/threephase.h"
#include "tests/support/testutil.h"
#include "threephase/displaysettingswindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

// Upper window on UC, lower on item 24, intervals 10/99/5 s, metering time
// 3600 s; masks: upper 0x0100 (only the frequency shown), middle 0x01FF
// (nothing left out), lower 0xFEFF 0x0080.
const char *kUploaded = "00 03 00 00 00 24 00 10 00 99 00 05 36 00 01 00 01 FF FE FF 00 80";

struct Controls {
    threephase::DisplaySettingsWindow &win;
    template <class T = QPushButton> T *find(const QString &name) const { return win.findChild<T *>(name); }
    void click(const char *name) const { find(name)->click(); }
    QComboBox *combo(int n) const { return find<QComboBox>(QStringLiteral("ComboBox%1").arg(n)); }
    QLineEdit *edit1() const { return find<QLineEdit>("Edit1"); }
    bool ticked(int box) const { return find<QCheckBox>(QStringLiteral("CheckBox%1").arg(box))->isChecked(); }
    QString status() const { return find<QStatusBar>("StatusBar1")->currentMessage(); }
};

struct DisplayWindow : ::testing::Test {
    FakePortControl port;
    SerialLink link{&port};
    threephase::DisplaySettingsWindow win{link};
    Controls c{win};
    ui::RecordedMessages messages;

    void SetUp() override
    {
        port.SetPortOpen(true);
        link.PrepareReceive();
        link.SettleMs = link.PollMs = 2;
        win.show();
        c.find<QSpinBox>("SpinEdit1")->setValue(1);
    }
    void Upload(const QByteArray &data)
    {
        c.click("BitBtn1");
        link.Dispatch(WithCrc(Hex("01 03") + char(data.size()) + data));
    }
    // The data bytes of the download, "" when nothing was sent.
    QString Download()
    {
        const qsizetype before = port.written.size();
        c.click("BitBtn2");
        return port.written.size() == before ? QString() : ToHex(port.written.back().mid(7, 22));
    }
};

} // namespace

TEST_F(DisplayWindow, UploadShowsTheBlockAndDownloadSendsItBack)
{
    port.responder = [this](const QByteArray &) { port.Feed(WithCrc(Hex("01 03 16") + Hex(kUploaded))); };
    c.click("BitBtn1");
    ASSERT_EQ(port.written.size(), 1);
    EXPECT_EQ(ToHex(port.written[0]), "01 03 00 38 00 0B 85 C0");
    ASSERT_TRUE(WaitFor([this] { return !c.status().isEmpty(); }));
    EXPECT_EQ(c.status(), "数据上载成功！！！");
    EXPECT_EQ(c.combo(1)->currentText(), "UC测量");
    EXPECT_EQ(c.combo(3)->currentText(), "反向无功总电能高字节测量");
    EXPECT_EQ(c.edit1()->text(), "3600");
    for (int box = 1; box <= 42; ++box) // upper but 频率, A相视在功率, 0x0042 bits 0-6
        EXPECT_EQ(c.ticked(box), box <= 8 || box == 27 || (box >= 35 && box <= 41)) << box;
    port.responder = {};
    EXPECT_EQ(Download(), kUploaded);
}

TEST_F(DisplayWindow, FactoryFrameThenSelectAndClearChangeOnlyTheFortyTwoBoxes)
{
    c.click("BitBtn6");
    c.click("BitBtn2");
    EXPECT_EQ(ToHex(port.written.back()), "01 10 00 38 00 0B 16 00 00 00 00 00 00 00 05 00 05 00 05 00 00 "
                                          "00 07 00 07 00 07 00 00 BF 98");
    link.Dispatch(WithCrc(Hex("01 10 00 38 00 0B")));
    EXPECT_EQ(messages.texts, QStringList{"参数下载成功！！"});
    c.combo(2)->setCurrentIndex(9);
    c.click("BitBtn4");
    EXPECT_EQ(Download(), "00 00 00 09 00 00 00 05 00 05 00 05 00 00 00 00 00 00 00 00 00 00");
    c.click("BitBtn5");
    EXPECT_EQ(Download(), "00 00 00 09 00 00 00 05 00 05 00 05 00 00 01 FF 01 FF FF FF 00 FF");
}

struct MeteringTime : DisplayWindow, ::testing::WithParamInterface<std::pair<const char *, const char *>> {};

// Edit1 as typed -> its register as sent, or the refusal when nothing is sent.
TEST_P(MeteringTime, IsLimitedOnItsWholeValueOrRefused)
{
    c.edit1()->setText(QString::fromUtf8(GetParam().first));
    const QString data = Download();
    const QString expected = QString::fromUtf8(GetParam().second);
    EXPECT_EQ(data.isEmpty() ? messages.texts.value(0) : data.mid(36, 5), expected);
    messages.texts.clear();
    // The window says what it does with a larger value.
    EXPECT_EQ(c.edit1()->toolTip(), "数据大于9999取值9999");
}

INSTANTIATE_TEST_SUITE_P(Edit1, MeteringTime,
                         ::testing::Values(std::pair{"3600", "36 00"}, std::pair{"12000", "99 99"},
                                           std::pair{"70000", "99 99"}, std::pair{"+7", "00 07"},
                                           std::pair{"-1", "“有功电能计量定时”不能为负数！"},
                                           std::pair{"1.5", "'1.5' is not a valid integer value"},
                                           std::pair{"", "'' is not a valid integer value"}));

TEST_F(DisplayWindow, QuantityCodeWithoutItemLeavesNoChoiceAndBlocksDownload)
{
    Upload(Hex("00 10 00 09 00 25 00 01 00 01 00 01 00 00 00 00 00 00 00 00 00 00"));
    EXPECT_EQ(c.status(), "数据上载成功！！！");
    EXPECT_EQ(c.combo(1)->currentIndex(), -1);
    EXPECT_EQ(c.combo(3)->currentIndex(), -1);
    EXPECT_EQ(Download(), "");
    c.combo(1)->setCurrentIndex(0);
    EXPECT_EQ(Download(), "");
    EXPECT_EQ(messages.texts, (QStringList{"请选择“上窗口测量参数选择”！", "请选择“下窗口测量参数选择”！"}));
    messages.texts.clear();
    c.combo(3)->setCurrentIndex(24);
    EXPECT_EQ(Download(), "00 00 00 09 00 24 00 01 00 01 00 01 00 00 00 00 00 00 00 00 00 00");
}

TEST_F(DisplayWindow, ShortReplyAndTimeOutFailTheUploadAndOnlyTheLastUploadTells)
{
    c.click("BitBtn4");
    Upload(Hex(kUploaded).left(20));
    EXPECT_EQ(c.status(), "数据上载失败！！！");
    EXPECT_FALSE(c.ticked(1)); // the upload's reset stays

    // A second upload ends the first without an answer, which says nothing;
    // the second fails when its own 3 s pass without one.
    QElapsedTimer clock;
    clock.start();
    c.click("BitBtn1");
    c.click("BitBtn1");
    EXPECT_EQ(port.written.size(), 3);
    Pump(50);
    EXPECT_EQ(c.status(), "");
    ASSERT_TRUE(WaitFor([this] { return !c.status().isEmpty(); }, 5000));
    EXPECT_EQ(c.status(), "数据上载失败！！！");
    EXPECT_GE(clock.elapsed(), 2500); // the window's 3 s, not the link's 1 s (timers may run a little early)
}

TEST_F(DisplayWindow, ReturnDropsTheUploadAndShowingAgainResetsAllButTheBoxes)
{
    c.click("BitBtn1");
    c.click("BitBtn6");
    c.edit1()->setText("12");
    c.combo(3)->setCurrentIndex(4);
    c.click("BitBtn3");
    // The closed window takes no answer to the upload it sent.
    link.Dispatch(WithCrc(Hex("01 03 16") + Hex(kUploaded)));
    EXPECT_EQ(c.status(), "");
    win.show();
    EXPECT_EQ(Download(), "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 07 00 07 00 07 00 00");
}

TEST(DisplayWindowOverPty, UploadEditDownloadUploadAgain)
{
    sim::PtySimulator simulator;
    QString error;
    KZ_NEEDS_PTY();
    ASSERT_TRUE(simulator.Open(&error)) << error.toStdString();
    auto *meter = static_cast<sim::ThreePhaseInstrument *>(simulator.bus().Add(3, sim::Family::ThreePhase));
    const std::pair<int, int> held[] = {{0x38, 0x0003}, {0x3A, 0x0024}, {0x3E, 0x3600}, {0x3F, 0x0100}};
    for (auto [reg, value] : held)
        ASSERT_TRUE(meter->SetHolding(std::uint16_t(reg), std::uint16_t(value)));
    QtSerialPortControl port;
    port.SetPortName(simulator.SlavePath());
    port.SetSettings("9600,n,8,1");
    ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
    SerialLink link{&port};
    link.PrepareReceive();
    ui::RecordedMessages messages;
    threephase::DisplaySettingsWindow win{link};
    Controls c{win};
    win.show();
    c.find<QSpinBox>("SpinEdit1")->setValue(3);
    const auto upload = [&] {
        c.click("BitBtn1");
        return WaitFor([&] { return !c.status().isEmpty(); }, 8000) && c.status() == "数据上载成功！！！";
    };

    ASSERT_TRUE(upload());
    EXPECT_EQ(c.combo(3)->currentIndex(), 24);
    EXPECT_EQ(c.edit1()->text(), "3600");
    EXPECT_TRUE(c.ticked(1));
    QList<std::uint16_t> expected;
    for (std::uint16_t reg = 0x38; reg <= 0x42; ++reg)
        expected << meter->Holding(reg);
    c.combo(2)->setCurrentIndex(5);
    c.edit1()->setText("70000");
    c.find<QCheckBox>("CheckBox1")->setChecked(false);
    c.click("BitBtn2");
    ASSERT_TRUE(WaitFor([&] { return !messages.texts.isEmpty(); }, 8000));
    EXPECT_EQ(messages.texts, QStringList{"参数下载成功！！"});
    expected[0x39 - 0x38] = 0x0005;
    expected[0x3E - 0x38] = 0x9999;
    expected[0x3F - 0x38] = 0x0101;
    for (std::uint16_t reg = 0x38; reg <= 0x42; ++reg)
        EXPECT_EQ(meter->Holding(reg), expected[reg - 0x38]) << reg;

    ASSERT_TRUE(upload());
    EXPECT_EQ(c.combo(2)->currentIndex(), 5);
    EXPECT_EQ(c.edit1()->text(), "9999");
    EXPECT_FALSE(c.ticked(1));
    port.SetPortOpen(false);
}
