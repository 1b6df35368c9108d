// The family window base and the address scan window on a fake port.
#include "ui/familywindow.h"
#include "ui/replyrouter.h"
#include "tests/support/fakeport.h"
#include "ui/messagebox.h"
#include "shell/addressscanwindow.h"
#include "shell/programwindows.h"
#include "link/seriallink.h"
#include "tests/support/testutil.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <set>

namespace {

const QByteArray kAsk = WithCrc(Hex("01 03 00 00 00 01"));
const QByteArray kAnswer = WithCrc(Hex("01 03 02 00 01"));

void Tick(QTimer *timer)
{
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
}

// A minimal family window that counts its hooks and replies.
class ProbeWindow : public FamilyWindow {
public:
    explicit ProbeWindow(SerialLink &link) : FamilyWindow(link, Family::ThreePhase, "threephase::EventsWindow")
    {
        spin = MakeAddressSpin("SpinEdit1", QStringLiteral("地址："), &label);
    }
    void PressReturn() { CloseWindow(); }
    bool Ask()
    {
        return FamilyWindow::Ask(kAsk, [this](const modbus::Exchange &) {
            ++replies;
            handling = Handling();
            if (duringReply)
                duringReply();
        }) != nullptr;
    }
    bool PollTickFor(QTimer *timer, QProgressBar *bar) { return PollTick(timer, bar); }
    int shows = 0;
    int closes = 0;
    int replies = 0;
    bool handling = false;
    std::function<void()> duringReply;
    QSpinBox *spin = nullptr;
    QLabel *label = nullptr;

protected:
    void onShow() override { ++shows; }
    void onClose() override { ++closes; }
};

struct LinkOnFakePort : ::testing::Test {
    FakePortControl port;
    SerialLink link{&port};
    ui::RecordedMessages messages;

    void SetUp() override
    {
        port.SetPortOpen(true);
        link.PrepareReceive();
        link.SettleMs = 5;
        link.PollMs = 2;
    }
};

using FamilyWindowBase = LinkOnFakePort;

} // namespace

TEST_F(FamilyWindowBase, HooksRunOnShowAndOnEveryCloseAndClosingOnlyHides)
{
    ProbeWindow win(link);
    win.show();
    EXPECT_EQ(win.shows, 1);
    win.close();
    EXPECT_EQ(win.closes, 1);
    EXPECT_FALSE(win.isVisible());
    // Closing a window that is not shown still runs its close hook, as the
    // main window's close-others routine relies on.
    win.PressReturn();
    EXPECT_EQ(win.closes, 2);
    EXPECT_FALSE(win.isVisible());
    win.show();
    EXPECT_EQ(win.shows, 2);
    win.PressReturn();
    EXPECT_EQ(win.closes, 3);
    EXPECT_FALSE(win.isVisible());
    EXPECT_TRUE(win.isWindow());
    EXPECT_FALSE(win.testAttribute(Qt::WA_DeleteOnClose));
}

TEST_F(FamilyWindowBase, ReturnOnANeverShownWindowRunsTheCloseHookOnce)
{
    ProbeWindow win(link);
    win.PressReturn();
    EXPECT_EQ(win.closes, 1);
    EXPECT_EQ(win.shows, 0);
}

TEST_F(FamilyWindowBase, RepliesComeBackToTheWindowThatAskedWhileItTakesThem)
{
    ProbeWindow win(link);
    QList<modbus::Exchange> handled;
    QObject::connect(&win, &FamilyWindow::ReplyHandled, [&](const modbus::Exchange &e) { handled << e; });
    win.show();
    ASSERT_TRUE(win.Ask());
    EXPECT_TRUE(win.HoldsReplies()); // sending takes the family's replies
    EXPECT_EQ(win.LastAddress(), 1);
    link.Dispatch(kAnswer);
    ASSERT_EQ(handled.size(), 1);
    EXPECT_EQ(handled[0].request, kAsk);
    EXPECT_EQ(handled[0].reply, kAnswer);
    EXPECT_TRUE(win.handling);
    EXPECT_FALSE(win.Handling());
    // Also while the window itself is hidden.
    win.hide();
    win.Ask();
    link.Dispatch(kAnswer);
    EXPECT_EQ(win.replies, 2);
    // Closed, or another window took the family over: nothing more.
    win.Ask();
    win.PressReturn();
    EXPECT_FALSE(win.HoldsReplies());
    link.Dispatch(kAnswer);
    win.Ask();
    TakeOverByAnother(link, Family::ThreePhase);
    link.Dispatch(kAnswer);
    EXPECT_EQ(win.replies, 2);
    // A window of a family other than the chosen one sends nothing.
    ReplyRouter::Of(link).ChooseFamily(Family::SinglePhase);
    const auto written = port.written.size();
    EXPECT_FALSE(win.Ask());
    EXPECT_EQ(port.written.size(), written);
    EXPECT_EQ(messages.texts,
              QStringList({"本窗口不属于当前所选的仪表型号，请先用“仪表型号选择”选择对应型号！"}));
}

// A reply handler that waits (a message box) lets the event loop run: the
// window's poll sends nothing until the handler is done.
TEST_F(FamilyWindowBase, APollSendsNothingWhileTheReplyIsHandled)
{
    ProbeWindow win(link);
    QTimer poll;
    QProgressBar bar;
    int sentDuring = -1;
    win.duringReply = [&] {
        const auto before = port.written.size();
        QObject::connect(&poll, &QTimer::timeout, &win, [&] {
            if (win.PollTickFor(&poll, &bar))
                win.Ask();
        });
        poll.start(0);
        Pump(20);
        sentDuring = static_cast<int>(port.written.size() - before);
    };
    win.Ask();
    link.Dispatch(kAnswer);
    EXPECT_EQ(sentDuring, 0);
    EXPECT_GT(bar.value(), 0); // the progress bar moved all the same
    Pump(20);
    EXPECT_GT(port.written.size(), 1u);
}

TEST_F(FamilyWindowBase, ReplyAfterTheWindowIsGoneDoesNothing)
{
    auto win = std::make_unique<ProbeWindow>(link);
    win->Ask();
    win.reset();
    link.Dispatch(kAnswer);
    SUCCEED();
}

// Each request answers its own handler: a read with its block's data bytes,
// a write with the echo of that very write; any other answer, an
// exception, or none within the request's time-out is its failure.
struct Asked {
    const char *what; // "read", "short read" (taken down to 2 bytes), "write"
    const char *reply;
    const char *outcome; // the data read, "done", or the failure
};
struct RequestAnswer : LinkOnFakePort, ::testing::WithParamInterface<Asked> {};

TEST_P(RequestAnswer, GoesToTheRequestsOwnHandler)
{
    const Asked &c = GetParam();
    ProbeWindow win(link);
    QString outcome;
    const RequestOptions asking{.failed = [&](modbus::Reply::Error e) { outcome = QStringLiteral("failed %1").arg(int(e)); },
                                .timeoutMs = 20};
    const QByteArray what(c.what);
    if (what == "write")
        win.Write({0x10, 2}, Hex("00 01 00 02"), [&] { outcome = "done"; }, asking);
    else
        win.Read({.first = 0x10, .registers = 2, .fewest = what == "short read" ? 2 : 0},
                 [&](const QByteArray &data) { outcome = ToHex(data); }, asking);
    if (*c.reply)
        link.Dispatch(WithCrc(Hex(c.reply)));
    ASSERT_TRUE(WaitFor([&] { return !outcome.isEmpty(); }));
    EXPECT_EQ(outcome, c.outcome);
}

constexpr const char *kBad = "failed 3";       // modbus::Reply::Error::BadFrame
constexpr const char *kException = "failed 4"; // Exception
constexpr const char *kNoAnswer = "failed 2";  // NoAnswer
INSTANTIATE_TEST_SUITE_P(
    Answers, RequestAnswer,
    ::testing::Values(Asked{"read", "01 03 04 00 01 00 02", "00 01 00 02"}, Asked{"read", "01 03 02 00 01", kBad},
                      Asked{"read", "01 03 06 00 01 00 02 00 03", kBad}, Asked{"read", "01 10 00 10 00 02", kBad},
                      Asked{"read", "01 83 02", kException}, Asked{"read", "", kNoAnswer},
                      Asked{"short read", "01 03 02 00 01", "00 01"}, Asked{"short read", "01 03 01 00", kBad},
                      Asked{"write", "01 10 00 10 00 02", "done"}, Asked{"write", "01 10 00 11 00 02", kBad},
                      Asked{"write", "01 10 00 10 00 01", kBad}, Asked{"write", "01 03 04 00 01 00 02", kBad},
                      Asked{"write", "01 90 02", kException}));

// A closed window hears nothing of what it asked, not even its failure; a
// lost port fails what waits.
TEST_F(FamilyWindowBase, AClosedWindowHearsNothingAndALostPortFailsTheRequest)
{
    ProbeWindow win(link);
    int heard = 0;
    const RequestOptions asking{.failed = [&](modbus::Reply::Error e) { heard = 100 + int(e); }};
    win.Read({0x10, 2}, [&](const QByteArray &) { heard = 1; }, asking);
    win.PressReturn();
    link.Dispatch(WithCrc(Hex("01 03 04 00 01 00 02")));
    Pump(20);
    EXPECT_EQ(heard, 0);
    win.Read({0x10, 2}, [&](const QByteArray &) { heard = 1; }, asking);
    port.Lose(QStringLiteral("gone"));
    ASSERT_TRUE(WaitFor([&] { return heard != 0; }));
    EXPECT_EQ(heard, 100 + int(modbus::Reply::Error::PortLost));
}

TEST_F(FamilyWindowBase, AddressSpinHasRangeCaptionAndBuddy)
{
    ProbeWindow win(link);
    EXPECT_EQ(win.spin->objectName(), "SpinEdit1");
    EXPECT_EQ(win.spin->minimum(), 0);
    EXPECT_EQ(win.spin->maximum(), 255);
    EXPECT_EQ(win.spin->accessibleName(), "地址：");
    EXPECT_EQ(win.label->text(), "地址：");
    EXPECT_EQ(win.label->buddy(), win.spin);
}

namespace {

// The scan window with instruments answering at the given addresses.
struct ScanWindow : LinkOnFakePort {
    AddressScanWindow win{link};
    std::set<int> present;
    int answered = 0;

    QPushButton *button(const char *name) { return win.findChild<QPushButton *>(name); }
    QSpinBox *spin(const char *name) { return win.findChild<QSpinBox *>(name); }
    QString result() { return win.findChild<QLineEdit *>("Edit3")->text(); }
    QString percent() { return win.findChild<QLabel *>("Label4")->text(); }
    QProgressBar *progress() { return win.findChild<QProgressBar *>("ProgressBar1"); }
    QTimer *timer() { return win.findChild<QTimer *>("Timer1"); }

    void SetUp() override
    {
        LinkOnFakePort::SetUp();
        port.responder = [this](const QByteArray &frame) {
            ++answered;
            const int address = static_cast<std::uint8_t>(frame.at(0));
            if (frame.size() == 8 && static_cast<std::uint8_t>(frame.at(1)) == 0x99 && present.count(address))
                port.Feed(frame); // the instruments echo the probe
        };
        win.show();
    }

    // Waits until every probe has been answered (or not) and collected.
    void Settle()
    {
        ASSERT_TRUE(WaitFor([this] {
            return answered == port.written.size() && !link.Collecting() && port.InBufferCount() == 0;
        }));
    }

    void Range(int start, int end)
    {
        spin("SpinEdit1")->setValue(start);
        spin("SpinEdit2")->setValue(end);
    }

    QStringList Probed()
    {
        QStringList out;
        for (const QByteArray &f : port.written) {
            EXPECT_EQ(ToHex(f), ToHex(AddressProbeFrame(static_cast<std::uint8_t>(f.at(0)))));
            out << QString::number(static_cast<std::uint8_t>(f.at(0)));
        }
        return out;
    }
};

} // namespace

TEST_F(ScanWindow, ControlsAsLaidOutAndShowResetsTheRange)
{
    EXPECT_EQ(ui::MakeWindow(*FindWindowEntry("AddressScanWindow"), port, link)->windowTitle(), "Rs_Addersdcu");
    EXPECT_EQ(button("BitBtn1")->text(), "启  动");
    EXPECT_EQ(button("BitBtn2")->text(), "停  止");
    EXPECT_EQ(button("BitBtn3")->text(), "返  回");
    EXPECT_EQ(percent(), "0%");
    EXPECT_EQ(progress()->maximum(), 10000);
    EXPECT_EQ(spin("SpinEdit1")->maximum(), 255);
    EXPECT_EQ(spin("SpinEdit2")->maximum(), 255);
    EXPECT_EQ(spin("SpinEdit1")->accessibleName(), "起始地址：");
    EXPECT_EQ(spin("SpinEdit2")->accessibleName(), "结束地址：");
    EXPECT_EQ(win.findChild<QLineEdit *>("Edit3")->accessibleName(), "检测结果：");
    EXPECT_EQ(win.findChild<QLineEdit *>("Edit3")->palette().color(QPalette::Base), QColor(Qt::black));
    EXPECT_EQ(timer()->interval(), 1000);
    EXPECT_FALSE(timer()->isActive());

    Range(3, 9);
    win.findChild<QLineEdit *>("Edit3")->setText("3,");
    win.close();
    win.show();
    EXPECT_EQ(spin("SpinEdit1")->value(), 0);
    EXPECT_EQ(spin("SpinEdit2")->value(), 247);
    EXPECT_EQ(result(), "");
}

TEST_F(ScanWindow, ListsTheAddressesThatAnswer)
{
    present = {1, 3};
    win.SetProbeInterval(3600 * 1000); // ticks are driven by the test
    Range(0, 5);
    button("BitBtn1")->click();
    EXPECT_TRUE(timer()->isActive());
    Settle();
    for (int i = 0; i < 6; ++i) {
        Tick(timer());
        Settle();
    }
    EXPECT_EQ(Probed(), QStringList({"0", "1", "2", "3", "4", "5"}));
    EXPECT_EQ(result(), "1,3,");
    EXPECT_EQ(percent(), "100%");
    EXPECT_EQ(progress()->value(), 10000);
    EXPECT_FALSE(timer()->isActive());
    EXPECT_EQ(messages.texts, QStringList({"仪表地址检测结束！！"}));
    EXPECT_EQ(win.LastAddress(), 5);
}

TEST_F(ScanWindow, RunsOnItsOwnTimer)
{
    present = {2};
    win.SetProbeInterval(80);
    Range(1, 3);
    button("BitBtn1")->click();
    ASSERT_TRUE(WaitFor([this] { return !messages.texts.isEmpty(); }, 5000));
    EXPECT_EQ(Probed(), QStringList({"1", "2", "3"}));
    EXPECT_EQ(result(), "2,");
    EXPECT_EQ(percent(), "100%");
}

TEST_F(ScanWindow, PercentFollowsProbesDone)
{
    win.SetProbeInterval(3600 * 1000);
    Range(5, 8);
    button("BitBtn1")->click();
    QStringList shown;
    for (int i = 0; i < 4; ++i) {
        Tick(timer());
        shown << percent();
    }
    EXPECT_EQ(shown, QStringList({"33%", "66%", "100%", "100%"}));
    EXPECT_EQ(Probed(), QStringList({"5", "6", "7", "8"}));
}

TEST_F(ScanWindow, StartAboveEndIsRefused)
{
    Range(6, 5);
    button("BitBtn1")->click();
    EXPECT_EQ(messages.texts, QStringList({"仪表起始地址错误！！"}));
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_FALSE(timer()->isActive());
    EXPECT_EQ(percent(), "0%");
}

TEST_F(ScanWindow, OneAddressRangeProbesOnceAndReachesFull)
{
    present = {9};
    win.SetProbeInterval(3600 * 1000);
    Range(9, 9);
    button("BitBtn1")->click();
    Settle();
    Tick(timer());
    EXPECT_EQ(Probed(), QStringList({"9"}));
    EXPECT_EQ(result(), "9,");
    EXPECT_EQ(percent(), "100%");
    EXPECT_EQ(progress()->value(), 10000);
    EXPECT_FALSE(timer()->isActive());
    EXPECT_EQ(messages.texts, QStringList({"仪表地址检测结束！！"}));
}

TEST_F(ScanWindow, EndLoweredDuringScanEndsAtNextTick)
{
    win.SetProbeInterval(3600 * 1000);
    Range(0, 20);
    button("BitBtn1")->click();
    Tick(timer());
    Tick(timer());
    spin("SpinEdit2")->setValue(1);
    Tick(timer());
    EXPECT_EQ(Probed(), QStringList({"0", "1", "2"}));
    EXPECT_FALSE(timer()->isActive());
    EXPECT_EQ(percent(), "100%");
}

TEST_F(ScanWindow, StopAndReturnEndTheScan)
{
    Range(0, 10);
    button("BitBtn1")->click();
    button("BitBtn2")->click();
    EXPECT_FALSE(timer()->isActive());
    EXPECT_EQ(messages.texts, QStringList({"仪表地址检测结束！！"}));

    button("BitBtn1")->click();
    ASSERT_TRUE(timer()->isActive());
    button("BitBtn3")->click();
    EXPECT_FALSE(timer()->isActive());
    EXPECT_FALSE(win.isVisible());
    EXPECT_EQ(messages.texts.size(), 1);
}

TEST_F(ScanWindow, SinglePhaseAndKz827ProbeAnswersReachTheWindow)
{
    present = {4};
    win.SetProbeInterval(3600 * 1000);
    ReplyRouter::Of(link).ChooseFamily(Family::SinglePhase);
    Range(4, 5);
    button("BitBtn1")->click();
    Settle();
    ReplyRouter::Of(link).ChooseFamily(Family::Kz827);
    TakeOverByAnother(link, Family::Kz827);
    present = {5};
    Tick(timer());
    Settle();
    EXPECT_EQ(result(), "4,5,");
}

TEST_F(ScanWindow, SinglePhaseProbeAnswersCountOnlyWholeAndAsProbeAnswers)
{
    for (Family family : {Family::SinglePhase, Family::Kz827}) {
        ReplyRouter::Of(link).ChooseFamily(family);
        button("BitBtn1")->click(); // 0..247, address 0 probed
        for (const char *noise : {"00 03 02 00 01", "00 99 30 30 30"}) { // another function, cut short
            Tick(timer());
            link.Dispatch(WithCrc(Hex(noise)));
        }
        EXPECT_EQ(result(), "") << FamilyName(family).toStdString();
        Tick(timer());
        link.Dispatch(AddressProbeFrame(3));
        EXPECT_EQ(result(), "3,");
        button("BitBtn2")->click();
    }
}
