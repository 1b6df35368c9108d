// The three-phase relay, limit state, event record, instrument state and
// clock windows: their tables, the faults they guard against on a fake port,
// and one round trip through all of them against the simulated instrument.
#include "tests/support/fakeport.h"
#include "ui/replyrouter.h"
#include "threephase/windows.h"
#include "ui/lamp.h"
#include "ui/messagebox.h"
#include "ui/statepoller.h"
#include "sim/threephase.h"
#include "tests/support/ptylink.h"
#include "tests/support/testutil.h"
#include "threephase/limitstatewindow.h"
#include "threephase/statepanelwindow.h"
#include "threephase/monitor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace mon = threephase::monitor;

namespace {

void click(QWidget &w, const char *button)
{
    w.findChild<QPushButton *>(button)->click();
}

QStringList lit(const threephase::LimitStateWindow &w)
{
    QStringList on;
    for (const mon::StateLamp &l : mon::StateLamps())
        if (w.StateLamp(l.caption)->IsOn())
            on << l.caption;
    return on;
}

struct FakeBus : ::testing::Test {
    FakePortControl port;
    SerialLink link{&port};
    ui::RecordedMessages messages;

    void SetUp() override
    {
        port.SetPortOpen(true);
        link.PrepareReceive();
    }
    void answer(const char *hex) { link.Dispatch(WithCrc(Hex(hex))); }
};

} // namespace

TEST(StateTable, EveryBitHasOneLampAndTheAlarmOrderIsTheAlarmMasks)
{
    QSet<int> bits;
    QSet<QString> names;
    for (const mon::StateLamp &l : mon::StateLamps()) {
        bits.insert(l.bit);
        names.insert(l.name);
    }
    EXPECT_EQ(bits.size(), 64);
    EXPECT_EQ(names.size(), 64);
    const std::pair<const char *, int> samples[] = {{"UA上限", 0},   {"线平均电压下限", 15}, {"Ua断相", 16},
                                                    {"IA上限", 19},  {"PFB上限", 31},       {"PFB下限", 32},
                                                    {"频率上限", 53}, {"相序错", 57},        {"继电器输出3", 63}};
    for (const auto &[caption, bit] : samples)
        EXPECT_EQ(mon::FindStateLamp(caption)->bit, bit) << caption;
    EXPECT_EQ(mon::FindStateLamp("继电器输出3")->name, "Shape53");
    EXPECT_EQ(mon::FindStateLamp("频率上限")->name, "Shape17");
}

TEST(EventValues, DigitsDecimalsAndNibblesAboveNine)
{
    const std::tuple<int, int, int, const char *> cases[] = {
        {0x22, 0x05, 0, "2205"}, {0x22, 0x05, 8, "22.05"}, {0x22, 0x05, 15, "2.205"}, {0x01, 0x23, 13, "01.23"},
        {0x22, 0x05, 18, "22.05"}, {0x22, 0x05, 19, "2205"}, {0xFA, 0x12, 0, "EE12"}};
    for (const auto &[high, low, kind, text] : cases)
        EXPECT_EQ(mon::EventValueText(high, low, kind), text) << kind;
}

TEST_F(FakeBus, RelayEchoNamesTheCommandSentAndReadsPaintLamps)
{
    RelayWindow win(link, threephase::kTelemetryWindow);
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(5);
    click(win, "BitBtn13"); // OUT3拉闸
    EXPECT_EQ(ToHex(port.written.back()), "05 05 00 02 FF 00 2C 7E");
    answer("05 05 00 02 FF 00");
    click(win, "BitBtn8"); // OUT1合闸
    answer("05 05 00 00 00 00");
    EXPECT_EQ(messages.texts, (QStringList{"OUT3拉闸成功！！！", "OUT1合闸成功！！！"}));

    click(win, "BitBtn2");
    answer("05 02 01 05");
    EXPECT_TRUE(win.InputLamp(0)->IsOn());
    EXPECT_FALSE(win.InputLamp(1)->IsOn());
    EXPECT_TRUE(win.InputLamp(2)->IsOn());
    click(win, "BitBtn1");
    answer("05 01 01 02");
    EXPECT_EQ(win.OutputLamp(1)->accessibleDescription(), "异常");
    EXPECT_FALSE(win.OutputLamp(0)->IsOn());
}

TEST_F(FakeBus, LimitStateLampsOnlyFromAWholeStateBlock)
{
    threephase::LimitStateWindow win(link);
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(1);
    click(win, "BitBtn1");
    EXPECT_EQ(ToHex(port.written.back()), "01 03 00 2A 00 04 65 C1");
    answer("01 03 08 80 00 00 01 00 01 00 20");
    EXPECT_EQ(lit(win), (QStringList{"线平均电压下限", "Ua断相", "PFB下限", "频率上限"}));
    // A short block, another function: nothing changes, the window is free again.
    click(win, "BitBtn1");
    answer("01 03 04 FF FF FF FF");
    click(win, "BitBtn1");
    answer("01 03 08 00 01 00 00 00 00 80 00");
    EXPECT_EQ(lit(win), (QStringList{"UA上限", "继电器输出3"}));
}

TEST_F(FakeBus, TheIntervalIsAWholeNumberAndABadOneKeepsTheTimer)
{
    threephase::LimitStateWindow win(link);
    win.show();
    QTimer *timer = win.Poller()->Timer();
    auto *edit = win.findChild<QLineEdit *>("Edit9");
    win.findChild<QCheckBox *>("CheckBox1")->setChecked(true);
    for (const char *bad : {"", "abc", "0", "-1", "70000"}) {
        edit->setText(bad);
        click(win, "BitBtn1");
        EXPECT_FALSE(timer->isActive()) << bad;
    }
    EXPECT_EQ(messages.texts.size(), 5);
    EXPECT_EQ(port.written.size(), 5u); // each press still read once
    edit->setText("500");
    click(win, "BitBtn1");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 500);
    edit->setText("0");
    click(win, "BitBtn1");
    EXPECT_TRUE(timer->isActive()); // kept as it was
    EXPECT_EQ(timer->interval(), 500);
    win.findChild<QCheckBox *>("CheckBox1")->setChecked(false);
    EXPECT_FALSE(timer->isActive());
}

TEST_F(FakeBus, EventRecordsAreNamedByTheRequestThatWentOut)
{
    EventLogWindow win(link, threephase::kEventsWindow);
    win.show();
    auto *kinds = win.findChild<QComboBox *>("ComboBox1");
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(1);
    kinds->setCurrentIndex(9);
    click(win, "BitBtn1");
    EXPECT_EQ(ToHex(port.written.back()), "01 03 20 09 00 01 5F C8");
    // A press refused because another family is chosen remembers nothing.
    ReplyRouter::Of(link).ChooseFamily(Family::SinglePhase);
    kinds->setCurrentIndex(2);
    click(win, "BitBtn1");
    ReplyRouter::Of(link).ChooseFamily(Family::ThreePhase);
    EXPECT_EQ(port.written.size(), 1u);

    QByteArray reply = Hex("01 03 A0");
    for (int r = 0; r < 20; ++r)
        reply += Hex("22 05 09 05 12 08 30 05");
    link.Dispatch(WithCrc(reply));
    QTableWidget *grid = win.Grid();
    ASSERT_TRUE(grid->item(19, 3));
    EXPECT_EQ(grid->item(0, 0)->text(), "1");
    EXPECT_EQ(grid->item(19, 0)->text(), "20");
    EXPECT_EQ(grid->item(0, 1)->text(), "B相电流事件记录");
    EXPECT_EQ(grid->item(0, 2)->text(), "22.05");
    EXPECT_EQ(grid->item(0, 3)->text(), "2009-5-12  8: 30: 5");

    // A short log is no log.
    click(win, "BitBtn1");
    EXPECT_FALSE(grid->item(0, 0));
    answer("01 03 08 22 05 09 05 12 08 30 05");
    EXPECT_FALSE(grid->item(0, 0));

    kinds->setCurrentIndex(-1);
    click(win, "BitBtn1");
    EXPECT_EQ(messages.texts.last(), "请选择事件名！！");
}

TEST_F(FakeBus, TheStatePanelSendsNothing)
{
    threephase::StatePanelWindow win(link);
    click(win, "BitBtn1");
    click(win, "BitBtn2");
    answer("01 03 02 00 01");
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_EQ(win.findChildren<Lamp *>().size(), 56);
    EXPECT_EQ(win.findChild<QLineEdit *>("Edit3")->text(), "99.999");
    // Drawn for one size: it cannot be resized.
    win.show();
    EXPECT_EQ(win.minimumSize(), win.maximumSize());
}

TEST_F(FakeBus, ClockWindowTakesThePcClockAndRefusesNoRate)
{
    ClockWindow win(link, threephase::kClockSettingsWindow);
    win.Now = [] { return QDateTime(QDate(2026, 12, 6), QTime(8, 5, 9)); };
    win.findChild<QSpinBox *>("SpinEdit2")->setValue(1);
    click(win, "BitBtn3");
    EXPECT_EQ(ToHex(port.written.back()), ToHex(WithCrc(Hex("01 10 00 60 00 06 0C 07 EA 00 0C 00 06 00 08 00 05 00 09"))));
    click(win, "BitBtn1"); // no rate chosen
    EXPECT_EQ(port.written.size(), 1u);
    EXPECT_EQ(messages.texts.size(), 1);
    win.findChild<QComboBox *>("ComboBox1")->setCurrentIndex(5);
    click(win, "BitBtn1");
    EXPECT_EQ(ToHex(port.written.back()), ToHex(WithCrc(Hex("01 10 00 67 00 01 02 00 06"))));
    answer("01 10 00 67 00 01");
    EXPECT_EQ(messages.texts.last(), "数据设置成功！！");

    click(win, "BitBtn4");
    EXPECT_EQ(win.findChild<QComboBox *>("ComboBox1")->currentIndex(), -1);
    answer("01 03 04 07 EA 00 03"); // not the block: ignored
    EXPECT_TRUE(win.findChild<QLineEdit *>("Edit1")->text().isEmpty());
    click(win, "BitBtn4");
    answer("01 03 10 07 EA 00 03 00 07 00 09 00 05 00 00 00 12 00 00");
    EXPECT_EQ(win.findChild<QLineEdit *>("Edit1")->text(), "2026-3-7  9:5:0");
    EXPECT_EQ(win.findChild<QSpinBox *>("SpinEdit2")->value(), 18);
    EXPECT_EQ(win.findChild<QComboBox *>("ComboBox1")->currentText(), "9600");
}

// Switch a relay, see its lamp, its record and its state bit; light a limit
// lamp by lowering the limit; move the instrument and find it at the new
// address.
TEST(MonitorOverPty, RelaysStatesRecordsAndAddressAgainstTheSimulator)
{
    PtyLink pty;
    auto *meter = static_cast<sim::ThreePhaseInstrument *>(pty.simulator.bus().Add(5, sim::Family::ThreePhase));
    meter->SetAddress(5);
    KZ_NEEDS_PTY();
    ASSERT_TRUE(pty.Open()) << pty.error.toStdString();
    SerialLink &link = pty.link;
    ui::RecordedMessages messages;

    RelayWindow relays(link, threephase::kTelemetryWindow);
    relays.findChild<QSpinBox *>("SpinEdit1")->setValue(5);
    click(relays, "BitBtn12"); // OUT2拉闸
    ASSERT_TRUE(WaitFor([&] { return !messages.texts.isEmpty(); }, 3000));
    EXPECT_EQ(messages.texts, QStringList{"OUT2拉闸成功！！！"});
    click(relays, "BitBtn1");
    ASSERT_TRUE(WaitFor([&] { return relays.OutputLamp(1)->IsOn(); }, 3000));
    EXPECT_FALSE(relays.OutputLamp(0)->IsOn());

    EventLogWindow records(link, threephase::kEventsWindow);
    records.show();
    records.findChild<QSpinBox *>("SpinEdit1")->setValue(5);
    records.findChild<QComboBox *>("ComboBox1")->setCurrentIndex(27); // 开关量输出信号2
    click(records, "BitBtn1");
    ASSERT_TRUE(WaitFor([&] { return records.Grid()->item(0, 2) != nullptr; }, 3000));
    EXPECT_EQ(records.Grid()->item(0, 2)->text(), "0001");
    EXPECT_TRUE(records.Grid()->item(0, 3)->text().startsWith(QString::number(QDate::currentDate().year()) + "-"));
    EXPECT_EQ(records.Grid()->item(1, 2)->text(), "0000"); // unused record

    meter->SetHolding(0x34, 0x0001);  // UA upper alarm enabled
    meter->SetHolding(0x1000, 0x0100); // UA upper limit 100 V
    threephase::LimitStateWindow states(link);
    states.findChild<QSpinBox *>("SpinEdit1")->setValue(5);
    click(states, "BitBtn1");
    ASSERT_TRUE(WaitFor([&] { return states.StateLamp("UA上限")->IsOn(); }, 3000));
    EXPECT_EQ(lit(states), (QStringList{"UA上限", "继电器输出2"}));

    ClockWindow clock(link, threephase::kClockSettingsWindow);
    clock.findChild<QSpinBox *>("SpinEdit2")->setValue(5);
    clock.findChild<QSpinBox *>("SpinEdit1")->setValue(7);
    messages.texts.clear();
    click(clock, "BitBtn2");
    ASSERT_TRUE(WaitFor([&] { return !messages.texts.isEmpty(); }, 3000));
    EXPECT_EQ(messages.texts, QStringList{"数据设置成功！！"});
    clock.findChild<QSpinBox *>("SpinEdit2")->setValue(7);
    click(clock, "BitBtn4");
    ASSERT_TRUE(WaitFor([&] { return !clock.findChild<QLineEdit *>("Edit1")->text().isEmpty(); }, 3000));
    EXPECT_EQ(clock.findChild<QSpinBox *>("SpinEdit2")->value(), 7);
    EXPECT_EQ(clock.findChild<QComboBox *>("ComboBox1")->currentText(), "9600");
    EXPECT_EQ(pty.simulator.bus().ThreePhaseAt(7), meter);
    pty.port.SetPortOpen(false);
}
