// The measurement window on a fake port: what it sends, when, and what the
// boxes show once replies come back through the link.
#include "tests/support/fakeport.h"
#include "ui/messagebox.h"
#include "link/seriallink.h"
#include "tests/support/testutil.h"
#include "threephase/measurementwindow.h"
#include "threephase/windows.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <algorithm>

using namespace threephase;

namespace {

// Ratio block: four-wire, PT 100, CT 1, all unit flags 0.
const QByteArray kRatioReply =
    WithCrc(Hex("01 03 14 00 02 01 00 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 00"));

// Measurement reply: phase voltages 2200, 2210, 2220, average 2210, current
// A 5000, frequency 5000, active power A 10, energy total 12345.
QByteArray MeasurementReply(std::uint8_t address = 1)
{
    QByteArray f;
    f.append(static_cast<char>(address));
    f.append(Hex("03 6C"));
    QByteArray data(108, '\0');
    auto put = [&data](int word, std::uint16_t v) {
        data[2 * word] = static_cast<char>(v >> 8);
        data[2 * word + 1] = static_cast<char>(v & 0xFF);
    };
    put(0, 2200);
    put(1, 2210);
    put(2, 2220);
    put(6, 2210);
    put(8, 5000);
    put(17, 5000);
    put(18, 10);
    put(33, 12345);
    return WithCrc(f + data);
}

void Tick(QTimer *timer)
{
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
}

struct CoulometryWindow : ::testing::Test {
    FakePortControl port;
    SerialLink link{&port};
    threephase::MeasurementWindow win{link};
    ui::RecordedMessages messages;

    QPushButton *button(const char *name) { return win.findChild<QPushButton *>(name); }
    QLineEdit *box(const char *name) { return win.findChild<QLineEdit *>(name); }
    QSpinBox *address() { return win.findChild<QSpinBox *>("SpinEdit1"); }
    QTimer *timer() { return win.findChild<QTimer *>("Timer1"); }
    QProgressBar *progress() { return win.findChild<QProgressBar *>("ProgressBar1"); }

    void SetUp() override
    {
        port.SetPortOpen(true);
        link.PrepareReceive();
        link.SettleMs = 5;
        link.PollMs = 2;
        win.show();
    }
    void TearDown() override
    {
        EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    }
};

} // namespace

TEST_F(CoulometryWindow, ControlsAsLaidOut)
{
    // The caption comes with the window's registration.
    const auto entries = threephase::Windows().windows;
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [&](const ui::WindowEntry &e) { return win.objectName() == e.className; });
    ASSERT_NE(entry, entries.end());
    EXPECT_EQ(ui::MakeWindow(*entry, port, link)->windowTitle(), "电压相关参数测量");
    ASSERT_NE(address(), nullptr);
    EXPECT_EQ(address()->value(), 0);
    EXPECT_EQ(address()->maximum(), 255);
    EXPECT_EQ(address()->accessibleName(), "输入仪表地址：");
    EXPECT_EQ(button("BitBtn1")->text(), "启  动");
    EXPECT_EQ(button("BitBtn2")->text(), "停  止");
    EXPECT_EQ(button("BitBtn3")->text(), "返  回");
    EXPECT_EQ(timer()->interval(), 2000);
    EXPECT_FALSE(timer()->isActive());
    EXPECT_EQ(progress()->maximum(), 100);
    for (int i = 0; i < kMeasurementBoxes; ++i) {
        QLineEdit *edit = box(kMeasurementBoxNames[i]);
        ASSERT_NE(edit, nullptr) << kMeasurementBoxNames[i];
        EXPECT_TRUE(edit->isReadOnly());
        EXPECT_EQ(edit->accessibleName(), QString::fromUtf8(kMeasurementBoxCaptions[i]));
    }
}

TEST_F(CoulometryWindow, StartReadsRatiosThenPollsAndShowsScaledValues)
{
    address()->setValue(1);
    port.responder = [this](const QByteArray &frame) {
        if (frame == RatioRequest(1))
            port.Feed(kRatioReply);
        else if (frame == MeasurementPoll(1))
            port.Feed(MeasurementReply());
    };
    button("BitBtn1")->click();
    ASSERT_EQ(port.written.size(), 1);
    EXPECT_EQ(ToHex(port.written[0]), "01 03 00 50 00 0A C5 DC");
    EXPECT_EQ(win.LastAddress(), 1);
    EXPECT_TRUE(timer()->isActive());

    ASSERT_TRUE(WaitFor([this] { return !win.RatioBlock().isEmpty(); }));
    EXPECT_EQ(ToHex(win.RatioBlock()), ToHex(kRatioReply.mid(3, 20)));

    Tick(timer());
    ASSERT_EQ(port.written.size(), 2);
    EXPECT_EQ(ToHex(port.written[1]), "01 03 00 00 00 2A C4 15");
    ASSERT_TRUE(WaitFor([this] { return !box("Edit1")->text().isEmpty(); }));

    EXPECT_EQ(box("Edit1")->text(), "22.00KV");
    EXPECT_EQ(box("Edit2")->text(), "22.10KV");
    EXPECT_EQ(box("Edit3")->text(), "22.20KV");
    EXPECT_EQ(box("Edit7")->text(), "22.10KV");
    EXPECT_EQ(box("Edit4")->text(), "");
    EXPECT_EQ(box("Edit8")->text(), "");
    EXPECT_EQ(box("LabeledEdit1")->text(), "5.000A");
    EXPECT_EQ(box("LabeledEdit6")->text(), "50.000Hz");
    EXPECT_EQ(box("LabeledEdit7")->text(), "1.000KW");
    EXPECT_EQ(box("LabeledEdit19")->text(), "0.000");
    EXPECT_EQ(box("LabeledEdit23")->text(), "123.45KW.h");
    EXPECT_EQ(box("LabeledEdit30")->text(), "0.00Kvar.h");
    win.findChild<QPushButton *>("BitBtn2")->click();
    EXPECT_FALSE(timer()->isActive());
}

TEST_F(CoulometryWindow, TicksRepeatRatioRequestUntilBlockArrivesAndFollowAddress)
{
    address()->setValue(3);
    button("BitBtn1")->click();
    address()->setValue(4);
    Tick(timer());
    ASSERT_EQ(port.written.size(), 2);
    EXPECT_EQ(ToHex(port.written[0]), ToHex(RatioRequest(3)));
    EXPECT_EQ(ToHex(port.written[1]), ToHex(RatioRequest(4)));
    EXPECT_EQ(win.LastAddress(), 4);

    // A measurement reply before the ratio block shows nothing.
    link.Dispatch(MeasurementReply(4));
    EXPECT_EQ(box("Edit1")->text(), "");
    EXPECT_TRUE(win.RatioBlock().isEmpty());
    Tick(timer());
    EXPECT_EQ(ToHex(port.written.back()), ToHex(RatioRequest(4)));
}

TEST_F(CoulometryWindow, ProgressCyclesOnEveryTick)
{
    button("BitBtn1")->click();
    for (int i = 1; i <= 10; ++i)
        Tick(timer());
    EXPECT_EQ(progress()->value(), 100);
    Tick(timer());
    EXPECT_EQ(progress()->value(), 0);
    Tick(timer());
    EXPECT_EQ(progress()->value(), 10);
}

TEST_F(CoulometryWindow, BlockSurvivesCloseAndReopenButStartRereadsIt)
{
    address()->setValue(1);
    button("BitBtn1")->click();
    link.Dispatch(kRatioReply);
    ASSERT_FALSE(win.RatioBlock().isEmpty());

    button("BitBtn3")->click();
    EXPECT_FALSE(win.isVisible());
    EXPECT_FALSE(timer()->isActive());
    win.TakeReplies(); // as its menu entry does
    win.show();
    EXPECT_FALSE(timer()->isActive());
    EXPECT_FALSE(win.RatioBlock().isEmpty());
    Tick(timer());
    EXPECT_EQ(ToHex(port.written.back()), ToHex(MeasurementPoll(1)));

    // Start while polling reads the block afresh; the next tick asks for it
    // again until it is there.
    button("BitBtn1")->click();
    EXPECT_EQ(ToHex(port.written.back()), ToHex(RatioRequest(1)));
    Tick(timer());
    EXPECT_EQ(ToHex(port.written.back()), ToHex(RatioRequest(1)));
}

TEST_F(CoulometryWindow, ClosedItTakesNoLateReply)
{
    button("BitBtn1")->click();
    win.close();
    EXPECT_FALSE(timer()->isActive());
    EXPECT_FALSE(win.HoldsReplies());
    link.Dispatch(kRatioReply);
    EXPECT_TRUE(win.RatioBlock().isEmpty());
}

TEST_F(CoulometryWindow, ReturnButtonWorksOnAHiddenWindow)
{
    button("BitBtn1")->click();
    win.hide();
    ASSERT_TRUE(timer()->isActive());
    button("BitBtn3")->click();
    EXPECT_FALSE(timer()->isActive());
    EXPECT_FALSE(win.HoldsReplies());
}

TEST_F(CoulometryWindow, ReplyAfterAnotherWindowTookOverIsNotShown)
{
    button("BitBtn1")->click();
    link.Dispatch(kRatioReply);
    Tick(timer());
    TakeOverByAnother(link, Family::ThreePhase);
    link.Dispatch(MeasurementReply());
    EXPECT_EQ(box("Edit1")->text(), "");
    // and the next tick stops the poll
    Tick(timer());
    EXPECT_FALSE(timer()->isActive());
}

// One event, one message: a lost port stops the polling, and the polls that
// would have found it closed do not add "port not open" to the loss notice.
TEST_F(CoulometryWindow, ALostPortStopsPollingWithoutASecondMessage)
{
    QStringList refusals;
    QObject::connect(&link, &SerialLink::SendRefused, [&](const QString &text) { refusals << text; });
    button("BitBtn1")->click();
    ASSERT_TRUE(timer()->isActive());
    port.Lose(QStringLiteral("串口已断开"));
    EXPECT_FALSE(timer()->isActive());
    Tick(timer());
    button("BitBtn1")->click();
    EXPECT_TRUE(refusals.isEmpty());
    // Once a port has been open again, a closed port is reported again.
    port.SetPortOpen(true);
    port.SetPortOpen(false);
    button("BitBtn1")->click();
    EXPECT_EQ(refusals.size(), 1);
}

TEST_F(CoulometryWindow, AMeterThatNeverAnswersIsMarkedAfterThreeTimeOutsUntilItAnswers)
{
    link.ReplyTimeoutMs = 10;
    address()->setValue(1);
    auto *mark = win.findChild<QLabel *>("NoAnswerLabel");
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->accessibleName(), "无应答");
    button("BitBtn1")->click();
    for (int silent = 1; silent <= FamilyWindow::kSilentPolls; ++silent) {
        EXPECT_FALSE(mark->isVisible()) << silent;
        ASSERT_TRUE(WaitFor([this] { return !link.Awaiting(); }));
        if (silent < FamilyWindow::kSilentPolls)
            Tick(timer());
    }
    EXPECT_TRUE(mark->isVisible());
    EXPECT_EQ(mark->text(), "无应答");

    port.responder = [this](const QByteArray &) { port.Feed(kRatioReply); };
    Tick(timer());
    ASSERT_TRUE(WaitFor([&] { return !mark->isVisible(); }));
}
