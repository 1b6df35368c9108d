// The single-phase relay, alarm state, event record and address/baud/clock
// windows: golden frames and the reply rules on a fake port, and one round
// trip per window against the simulated instrument on a pseudo-terminal.
#include "tests/support/fakeport.h"
#include "ui/replyrouter.h"
#include "singlephase/windows.h"
#include "ui/lamp.h"
#include "ui/messagebox.h"
#include "link/qtserialport.h"
#include "ui/statepoller.h"
#include "sim/ptysimulator.h"
#include "sim/singlephase.h"
#include "singlephase/monitor.h"
#include "singlephase/alarmstatewindow.h"
#include "singlephase/alarmparamswindow.h"
#include "tests/support/testutil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace mon = singlephase::monitor;

namespace {

void Click(QWidget &w, const char *button)
{
    w.findChild<QPushButton *>(button)->click();
}

void SetAddress(QWidget &w, const char *spin, int address)
{
    w.findChild<QSpinBox *>(spin)->setValue(address);
}

QStringList Lit(const singlephase::AlarmStateWindow &w)
{
    QStringList on;
    for (const mon::StateLamp &l : mon::kStateLampTable)
        if (w.StateLamp(l.bit)->IsOn())
            on << QString::fromUtf8(l.caption);
    return on;
}

QString Cell(const QTableWidget *grid, int row, int column)
{
    const QTableWidgetItem *item = grid->item(row, column);
    return item ? item->text() : QString();
}

struct OnFakePort : ::testing::Test {
    FakePortControl port;
    SerialLink link{&port};
    ui::RecordedMessages messages;

    void SetUp() override
    {
        port.SetPortOpen(true);
        link.PrepareReceive();
        ReplyRouter::Of(link).ChooseFamily(Family::SinglePhase);
    }
    QString LastWritten() { return port.written.isEmpty() ? QString() : ToHex(port.written.back()); }
    void Answer(const QByteArray &frame) { link.Dispatch(WithCrc(frame)); }
    void Answer(const char *hex) { Answer(Hex(hex)); }
};

struct OverPty : ::testing::Test {
    sim::PtySimulator simulator;
    QtSerialPortControl port;
    SerialLink link{&port};
    ui::RecordedMessages messages;
    sim::SinglePhaseInstrument *meter = nullptr;

    void SetUp() override
    {
        meter = static_cast<sim::SinglePhaseInstrument *>(simulator.bus().Add(2, sim::Family::SinglePhase));
        meter->SetAddress(2);
        meter->SetFrozen(true);
        QString error;
        KZ_NEEDS_PTY();
        ASSERT_TRUE(simulator.Open(&error)) << error.toStdString();
        port.SetPortName(simulator.SlavePath());
        ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
        link.PrepareReceive();
        ReplyRouter::Of(link).ChooseFamily(Family::SinglePhase);
    }
    void TearDown() override { port.SetPortOpen(false); }
};

// A 240-byte log reply whose first record is given; the others are zero.
QByteArray LogReply(const char *firstRecord)
{
    QByteArray data = Hex(firstRecord);
    data.append(QByteArray(240 - data.size(), '\0'));
    return Hex("01 03 F0") + data;
}

} // namespace

// ---- Relays and inputs ----

TEST_F(OnFakePort, RelayFramesLampsAndASilentEcho)
{
    RelayWindow win(link, singlephase::kTelemetryWindow);
    SetAddress(win, "SpinEdit1", 1);
    Click(win, "BitBtn12"); // OUT2拉闸
    EXPECT_EQ(LastWritten(), "01 05 00 01 FF 00 DD FA");
    Answer("01 05 00 01 FF 00");
    EXPECT_TRUE(messages.texts.isEmpty());
    Click(win, "BitBtn2");
    EXPECT_EQ(LastWritten(), "01 02 00 00 00 03 38 0B");
    Answer("01 02 01 05");
    EXPECT_TRUE(win.InputLamp(0)->IsOn() && !win.InputLamp(1)->IsOn() && win.InputLamp(2)->IsOn());
    Click(win, "BitBtn1");
    EXPECT_EQ(LastWritten(), "01 01 00 00 00 03 7C 0B");
}

// ---- Alarm state ----

TEST_F(OnFakePort, AlarmStateLampsAndModeFromAWholeStateBlockOnly)
{
    singlephase::AlarmStateWindow win(link);
    SetAddress(win, "SpinEdit1", 1);
    struct Case {
        const char *data;
        QStringList lit;
        const char *mode;
    };
    const Case cases[] = {
        {"00 01 00 00", {"电压上限"}, "普通模式"},
        {"10 00 00 0D", {"Ua断相", "继电器输出1", "继电器输出3"}, "基波模式"},
        {"0C 04 00 10", {"频率上限", "有功功率上限", "有功功率下限"}, "谐波模式"},
        {"00 00 00 18", {}, ""}, // mode 3: the text emptied by the press stays empty
    };
    for (const Case &c : cases) {
        Click(win, "BitBtn1");
        EXPECT_EQ(LastWritten(), "01 03 00 13 00 02 35 CE");
        EXPECT_TRUE(win.ModeText()->text().isEmpty());
        Answer(Hex("01 03 04") + Hex(c.data));
        EXPECT_EQ(Lit(win), c.lit) << c.data;
        EXPECT_EQ(win.ModeText()->text(), QString::fromUtf8(c.mode)) << c.data;
    }

    // Short blocks, extra bytes, other functions: nothing changes, the window is free again.
    Click(win, "BitBtn1");
    Answer("01 03 04 00 01 00 00");
    for (const char *stray : {"01 03 02 FF FF", "01 03 06 FF FF FF FF FF FF", "01 04 04 FF FF FF FF"}) {
        Click(win, "BitBtn1");
        Answer(stray);
        EXPECT_EQ(Lit(win), QStringList{"电压上限"}) << stray;
    }
}

TEST_F(OnFakePort, AlarmStatePollsOnceASecondByDefaultAndOnlyWhileItTakesTheReplies)
{
    singlephase::AlarmStateWindow win(link);
    win.show();
    QTimer *timer = win.Poller()->Timer();
    win.findChild<QCheckBox *>("CheckBox1")->setChecked(true);
    Click(win, "BitBtn1"); // empty box: once a second
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    win.findChild<QLineEdit *>("Edit9")->setText("0"); // would flood the bus
    Click(win, "BitBtn1");
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_EQ(messages.texts.size(), 1);

    // Another single-phase window takes the replies: the next tick stops.
    TakeOverByAnother(link, Family::SinglePhase);
    const auto sent = port.written.size();
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(port.written.size(), sent);
    // The same after a family switch.
    Click(win, "BitBtn1");
    ReplyRouter::Of(link).ChooseFamily(Family::ThreePhase);
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
    EXPECT_FALSE(timer->isActive());
    // Closed by its frame, it stops too.
    ReplyRouter::Of(link).ChooseFamily(Family::SinglePhase);
    Click(win, "BitBtn1");
    win.close();
    EXPECT_FALSE(timer->isActive());
    EXPECT_FALSE(win.HoldsReplies());
}

// ---- Event records ----

TEST(EventRecords, ValuesAndTypesByKind)
{
    const std::tuple<std::int32_t, std::uint8_t, int, const char *, const char *> cases[] = {
        {22222, 1, 0, "22.222", "上限报警恢复"}, {-1500, 2, 3, "-1.500", "下限报警"},
        {7, 5, 18, "0.007", "断相报警恢复"},    {1, 3, 6, "1", "报警恢复"},
        {0, 0, 11, "0", "报警"},                 {1000, 7, 21, "1.000", ""}, // no text for code 7
    };
    for (const auto &[value, code, kind, text, type] : cases) {
        EXPECT_EQ(mon::EventValueText(value, kind), QString::fromUtf8(text)) << kind;
        EXPECT_EQ(mon::EventTypeText(code, kind), QString::fromUtf8(type)) << kind;
    }
}

TEST_F(OnFakePort, EventRecordsAreNamedByTheRequestThatWentOut)
{
    EventLogWindow win(link, singlephase::kEventsWindow);
    win.show();
    auto *kinds = win.findChild<QComboBox *>("ComboBox1");
    // Below the headings: 20 record rows and two empty ones.
    EXPECT_EQ(win.Grid()->rowCount(), 22);
    Click(win, "BitBtn1");
    EXPECT_EQ(messages.texts, QStringList{"请选择事件名！！"});
    EXPECT_TRUE(port.written.isEmpty());

    SetAddress(win, "SpinEdit1", 3);
    kinds->setCurrentIndex(0);
    Click(win, "BitBtn1");
    EXPECT_EQ(LastWritten(), "03 03 20 00 00 01 8E 28");
    kinds->setCurrentIndex(21);
    Click(win, "BitBtn1");
    EXPECT_EQ(LastWritten(), ToHex(WithCrc(Hex("03 03 20 15 00 01"))));
    // A press refused because another family is chosen remembers nothing.
    ReplyRouter::Of(link).ChooseFamily(Family::ThreePhase);
    kinds->setCurrentIndex(6);
    Click(win, "BitBtn1");
    ReplyRouter::Of(link).ChooseFamily(Family::SinglePhase);
    EXPECT_EQ(port.written.size(), 2u);

    Answer(LogReply("00 00 56 CE 00 01 08 05 12 14 30 05"));
    QTableWidget *grid = win.Grid();
    EXPECT_EQ(Cell(grid, 19, 0), "20");
    EXPECT_EQ(Cell(grid, 0, 1), "谐波模式无功功率事件记录");
    EXPECT_EQ(Cell(grid, 0, 2), "22.222");
    EXPECT_EQ(Cell(grid, 0, 4), "2008-5-12  14: 30: 5");

    // A log of any other size fills nothing.
    Click(win, "BitBtn1");
    EXPECT_TRUE(Cell(grid, 0, 0).isEmpty());
    Answer("01 03 0C 00 00 00 01 00 03 08 05 12 14 30 05");
    EXPECT_TRUE(Cell(grid, 0, 0).isEmpty());
    Click(win, "BitBtn1");
    Answer(LogReply("00 00 00 01 00 03 08 05 12 14 30 05"));
    EXPECT_EQ(Cell(grid, 0, 1), "开关量输入信号1");
    EXPECT_EQ(Cell(grid, 0, 2), "1");
}

// ---- Address, baud rate and clock ----

TEST_F(OnFakePort, ClockWindowFramesAtItsBaseAndOnlyTheWholeBlockIsRead)
{
    ClockWindow win(link, singlephase::kClockSettingsWindow);
    win.show();
    win.Now = [] { return QDateTime(QDate(2026, 12, 6), QTime(8, 5, 9)); };
    SetAddress(win, "SpinEdit2", 1);
    Click(win, "BitBtn3");
    EXPECT_EQ(LastWritten(),
              ToHex(WithCrc(Hex("01 10 00 5C 00 06 0C 07 EA 00 0C 00 06 00 08 00 05 00 09"))));
    Click(win, "BitBtn1"); // no rate chosen: nothing goes out
    EXPECT_EQ(port.written.size(), 1u);
    win.findChild<QComboBox *>("ComboBox1")->setCurrentIndex(2);
    Click(win, "BitBtn1");
    EXPECT_EQ(LastWritten(), ToHex(WithCrc(Hex("01 10 00 63 00 01 02 00 03"))));
    Answer("01 10 00 63 00 01");
    EXPECT_EQ(messages.texts.last(), "数据设置成功！！");

    Click(win, "BitBtn4");
    EXPECT_EQ(LastWritten(), "01 03 00 5C 00 08 84 1E");
    Answer("01 03 04 00 00 00 00"); // a stray reply never sets the broadcast address
    EXPECT_EQ(win.findChild<QSpinBox *>("SpinEdit2")->value(), 1);
    Click(win, "BitBtn4");
    Answer("01 03 10 07 EA 00 0C 00 06 00 08 00 05 00 09 00 11 00 02");
    EXPECT_EQ(win.findChild<QLineEdit *>("Edit1")->text(), "2026-12-6  8:5:9");
    EXPECT_EQ(win.findChild<QSpinBox *>("SpinEdit2")->value(), 17);
    EXPECT_EQ(win.findChild<QComboBox *>("ComboBox1")->currentText(), "2400");

    // Closed, it gets no late reply.
    Click(win, "BitBtn4");
    Click(win, "Exit");
    EXPECT_FALSE(win.HoldsReplies());
    Answer("11 03 10 07 EA 00 01 00 01 00 00 00 00 00 00 00 05 00 01");
    EXPECT_EQ(win.findChild<QSpinBox *>("SpinEdit2")->value(), 17);
}

// ---- Against the simulated instrument ----

// Lowering the voltage upper limit in the alarm parameter window lights the
// voltage lamp in the alarm state window.
TEST_F(OverPty, LoweringAVoltageLimitLightsItsAlarmLamp)
{
    meter->SetHolding(0x33, 0x0001); // voltage upper alarm enabled
    singlephase::AlarmStateWindow state(link);
    SetAddress(state, "SpinEdit1", 2);
    Click(state, "BitBtn1");
    ASSERT_TRUE(WaitFor([&] { return state.ModeText()->text() == "普通模式"; }, 3000));
    EXPECT_TRUE(Lit(state).isEmpty());

    singlephase::AlarmParamsWindow limits(link);
    SetAddress(limits, "SpinEdit33", 2);
    Click(limits, "BitBtn1");
    QLineEdit *upper = limits.findChild<QLineEdit *>("Edit1");
    ASSERT_TRUE(WaitFor([upper] { return upper->text() == "9999"; }, 3000));
    upper->setText("200.0");
    Click(limits, "BitBtn2");
    ASSERT_TRUE(WaitFor([&] { return !messages.texts.isEmpty(); }, 3000));
    EXPECT_EQ(meter->Holding(0x1000), 2000);

    // Polling picks the alarm up.
    state.findChild<QCheckBox *>("CheckBox1")->setChecked(true);
    state.findChild<QLineEdit *>("Edit9")->setText("100");
    Click(state, "BitBtn1");
    ASSERT_TRUE(WaitFor([&] { return state.StateLamp(0)->IsOn(); }, 3000));
    EXPECT_EQ(Lit(state), QStringList{"电压上限"});
    EXPECT_TRUE(state.Poller()->Timer()->isActive());
    Click(state, "Exit");
    EXPECT_FALSE(state.Poller()->Timer()->isActive());
}

// Switch a relay and read an input, then find the switch in the output's log.
TEST_F(OverPty, RelaySwitchedReadAndLogged)
{
    meter->SetInput(1, true);
    RelayWindow relays(link, singlephase::kTelemetryWindow);
    SetAddress(relays, "SpinEdit1", 2);
    int replies = 0;
    QObject::connect(&link, &SerialLink::Collected, [&] { ++replies; });
    Click(relays, "BitBtn12"); // OUT2拉闸; its echo shows nothing
    ASSERT_TRUE(WaitFor([&] { return replies == 1 && !link.Collecting(); }, 3000));
    EXPECT_TRUE(meter->Coil(1));
    Click(relays, "BitBtn1");
    ASSERT_TRUE(WaitFor([&] { return relays.OutputLamp(1)->IsOn(); }, 3000));
    EXPECT_FALSE(relays.OutputLamp(0)->IsOn());
    Click(relays, "BitBtn2");
    ASSERT_TRUE(WaitFor([&] { return relays.InputLamp(1)->IsOn(); }, 3000));
    EXPECT_TRUE(messages.texts.isEmpty());

    EventLogWindow log(link, singlephase::kEventsWindow);
    log.show();
    SetAddress(log, "SpinEdit1", 2);
    log.findChild<QComboBox *>("ComboBox1")->setCurrentIndex(10); // 开关量输出信号2
    Click(log, "BitBtn1");
    QTableWidget *grid = log.Grid();
    ASSERT_TRUE(WaitFor([&] { return !Cell(grid, 0, 2).isEmpty(); }, 3000));
    EXPECT_EQ(Cell(grid, 0, 1), "开关量输出信号2");
    EXPECT_EQ(Cell(grid, 0, 2), "1");
    EXPECT_TRUE(Cell(grid, 0, 4).startsWith(QString::number(meter->Clock().date().year()) + "-"));
    EXPECT_EQ(Cell(grid, 1, 2), "0"); // unused record
}

TEST_F(OverPty, ClockSetAndAddressMoved)
{
    ClockWindow win(link, singlephase::kClockSettingsWindow);
    win.Now = [] { return QDateTime(QDate(2031, 2, 3), QTime(4, 5, 6)); };
    SetAddress(win, "SpinEdit2", 2);
    Click(win, "BitBtn3");
    ASSERT_TRUE(WaitFor([&] { return !messages.texts.isEmpty(); }, 3000));
    EXPECT_EQ(messages.texts, QStringList{"数据设置成功！！"});
    SetAddress(win, "SpinEdit1", 9);
    Click(win, "BitBtn2");
    ASSERT_TRUE(WaitFor([&] { return messages.texts.size() == 2; }, 3000));
    EXPECT_EQ(simulator.bus().SinglePhaseAt(9), meter);

    SetAddress(win, "SpinEdit2", 9);
    Click(win, "BitBtn4");
    QLineEdit *clock = win.findChild<QLineEdit *>("Edit1");
    ASSERT_TRUE(WaitFor([clock] { return !clock->text().isEmpty(); }, 3000));
    EXPECT_TRUE(clock->text().startsWith("2031-2-3  4:")) << clock->text().toStdString();
    EXPECT_EQ(win.findChild<QSpinBox *>("SpinEdit2")->value(), 9);
}
