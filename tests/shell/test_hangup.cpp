// A lost port with every polling window of the program: one message that says
// measuring stopped, each window stopped as by its stop control with its last
// values marked as no longer live, nothing resumed by reopening the port, and
// the marking gone once the window is started again.
#include "tests/support/fakeport.h"
#include "ui/replyrouter.h"
#include "ui/messagebox.h"
#include "shell/mainwindow.h"
#include "shell/program.h"
#include "tests/support/testutil.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Poller {
    Family family;       // as the family menu sets it
    const char *window;
    const char *repeat;  // the check box that makes it poll, if any
    const char *start;
    const char *caption; // the start control's caption once stopped
    const char *value;   // a value it shows, if it has one besides lamps
};

void PrintTo(const Poller &p, std::ostream *os) { *os << p.window; }

class HangUp : public ::testing::TestWithParam<Poller> {};

TEST_P(HangUp, StopsAndMarksTheWindowUntilStartedAgain)
{
    const Poller &c = GetParam();
    FakePortControl port;
    ui::RecordedMessages rec;
    Program program(port, Options{});
    ASSERT_TRUE(port.SetPortOpen(true));
    ReplyRouter::Of(program.Link()).ChooseFamily(c.family);
    QWidget *w = program.Main().Window(c.window);
    ASSERT_TRUE(w);
    w->show();
    if (c.repeat)
        w->findChild<QCheckBox *>(c.repeat)->setChecked(true);
    if (auto *interval = w->findChild<QLineEdit *>("Edit9"))
        interval->setText("1000");
    auto *start = w->findChild<QPushButton *>(c.start);
    auto *timer = w->findChild<QTimer *>("Timer1");
    auto *stopped = w->findChild<QLabel *>("StoppedLabel");
    auto *value = c.value ? w->findChild<QWidget *>(c.value) : nullptr;
    ASSERT_TRUE(start && timer && stopped && (value || !c.value));
    const auto colour = [&] { return value->palette().color(value->foregroundRole()); };
    const QColor live = value ? colour() : QColor();
    start->click();
    ASSERT_TRUE(timer->isActive());
    EXPECT_FALSE(stopped->isVisible());

    port.Lose("串口 X 已断开，已关闭该串口。请检查连接后重新打开。");
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(start->text(), c.caption);
    EXPECT_TRUE(stopped->isVisible());
    EXPECT_EQ(stopped->text(), "已停止（串口断开）");
    EXPECT_EQ(stopped->accessibleName(), "已停止（串口断开）");
    if (value) {
        EXPECT_EQ(colour(), QColor(0x80, 0x80, 0x80));
        EXPECT_EQ(value->accessibleDescription(), "已停止（串口断开）");
    }
    ASSERT_TRUE(WaitFor([&] { return !rec.texts.isEmpty(); }));
    EXPECT_EQ(rec.texts, QStringList{"串口 X 已断开，已关闭该串口。请检查连接后重新打开。\n"
                                     "测量已停止，重新打开串口后请按“启  动”。"});

    // The port back: nothing starts by itself, until the start control.
    ASSERT_TRUE(port.SetPortOpen(true));
    EXPECT_FALSE(timer->isActive());
    EXPECT_TRUE(stopped->isVisible());
    start->click();
    EXPECT_TRUE(timer->isActive());
    EXPECT_FALSE(stopped->isVisible());
    if (value) {
        EXPECT_EQ(colour(), live);
    }
}

INSTANTIATE_TEST_SUITE_P(
    PollingWindows, HangUp,
    ::testing::Values(Poller{Family::ThreePhase, "threephase::MeasurementWindow", nullptr, "BitBtn1", "启  动", "Edit1"},
                      Poller{Family::SinglePhase, "singlephase::MeasurementWindow", nullptr, "BitBtn1", "启  动", "LabeledEdit8"},
                      Poller{Family::Kz827, "kz827::MeasurementWindow", nullptr, "BitBtn1", "启  动", "StaticText1"},
                      Poller{Family::Kz827, "kz827::CalibrationWindow", "CheckBox1", "BitBtn5", "读启动", "StaticText7"},
                      Poller{Family::ThreePhase, "threephase::ModuleCalibrationWindow", "CheckBox1", "BitBtn5", "读启动", "StaticText9"},
                      Poller{Family::SinglePhase, "singlephase::MeterCalibrationWindow", "CheckBox1", "BitBtn5", "读启动", "StaticText4"},
                      Poller{Family::ThreePhase, "threephase::LimitStateWindow", "CheckBox1", "BitBtn1", "检  测", nullptr},
                      Poller{Family::SinglePhase, "singlephase::AlarmStateWindow", "CheckBox1", "BitBtn1", "检  测", "StaticText7"}));

} // namespace
