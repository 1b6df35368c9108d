// The single-phase windows: golden frames and reply rules on a fake port,
// and one upload-edit-download round trip (or poll) per window against the
// simulated instrument on a pseudo-terminal.
#include "tests/support/fakeport.h"
#include "ui/replyrouter.h"
#include "ui/messagebox.h"
#include "link/qtserialport.h"
#include "sim/ptysimulator.h"
#include "sim/singlephase.h"
#include "singlephase/initsettingswindow.h"
#include "singlephase/measurementwindow.h"
#include "singlephase/alarmparamswindow.h"
#include "singlephase/alarmenablewindow.h"
#include "singlephase/displaysettingswindow.h"
#include "tests/support/testutil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

void Click(QWidget &w, const char *button)
{
    w.findChild<QPushButton *>(button)->click();
}

template <class T>
T *Child(QWidget &w, const char *name)
{
    T *c = w.findChild<T *>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

void SetAddress(QWidget &w, const char *spin, int address)
{
    Child<QSpinBox>(w, spin)->setValue(address);
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
    void Answer(const char *hex) { link.Dispatch(WithCrc(Hex(hex))); }
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
    // Waits for the next message and returns it.
    QString NextMessage()
    {
        const auto before = messages.texts.size();
        if (!WaitFor([&] { return messages.texts.size() > before; }, 3000))
            return QStringLiteral("no message");
        return messages.texts.back();
    }
};

} // namespace

// ---- Measurement ----

TEST_F(OnFakePort, MeasurementReadsTheSetupBlockThenPollsAndStopsWhenAnotherWindowTakesOver)
{
    singlephase::MeasurementWindow win(link);
    QTimer *timer = Child<QTimer>(win, "Timer1");
    SetAddress(win, "SpinEdit1", 1);
    Click(win, "BitBtn1");
    EXPECT_EQ(LastWritten(), "01 03 00 50 00 09 85 DD");
    EXPECT_TRUE(timer->isActive());
    Answer("01 03 12 00 00 00 00 00 64 00 01 00 00 00 00 00 00 00 00 00 00");
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
    EXPECT_EQ(LastWritten(), "01 03 00 00 00 13 04 07");
    Answer(("01 03 3E 08 98" + QByteArray(" 00").repeated(60)).constData());
    EXPECT_EQ(Child<QLineEdit>(win, "Edit1")->text(), "22.000KV");
    EXPECT_EQ(Child<QLineEdit>(win, "LabeledEdit8")->text(), "0.00KW.h");

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
}

TEST_F(OverPty, MeasurementShowsTheInstrumentScaledByItsRatios)
{
    meter->SetHolding(0x52, 100);
    meter->SetHolding(0x54, 1);
    meter->PinEnergy(sim::SinglePhaseInstrument::kTotalActive, 0x3039);
    singlephase::MeasurementWindow win(link);
    Child<QTimer>(win, "Timer1")->setInterval(100);
    SetAddress(win, "SpinEdit1", 2);
    Click(win, "BitBtn1");
    QLineEdit *power = Child<QLineEdit>(win, "Edit5");
    ASSERT_TRUE(WaitFor([power] { return !power->text().isEmpty(); }, 5000));
    EXPECT_EQ(Child<QLineEdit>(win, "Edit1")->text(), "220.000V");
    EXPECT_EQ(power->text(), "1.000KW"); // raw 10 x 100, the unit flag set
    EXPECT_EQ(Child<QLineEdit>(win, "Edit3")->text(), "50.00Hz");
    EXPECT_EQ(Child<QLineEdit>(win, "LabeledEdit8")->text(), "123.45KW.h");
    Click(win, "Exit");
}

// ---- Alarm enables ----

TEST_F(OnFakePort, AlarmEnablesFramesAndRefusals)
{
    singlephase::AlarmEnableWindow win(link);
    SetAddress(win, "SpinEdit1", 1);
    Click(win, "BitBtn2");
    EXPECT_EQ(LastWritten(), "01 03 00 30 00 06 C5 C7");
    Answer("01 03 0C 00 01 00 02 00 03 00 81 00 00 00 00");
    EXPECT_EQ(Child<QComboBox>(win, "ComboBox3")->currentIndex(), 3);
    int ticked = 0;
    for (QCheckBox *b : win.findChildren<QCheckBox *>())
        ticked += b->isChecked();
    EXPECT_EQ(ticked, 2);
    EXPECT_TRUE(Child<QCheckBox>(win, "CheckBox8")->isChecked());

    Click(win, "BitBtn5");
    Child<QCheckBox>(win, "CheckBox33")->setChecked(true);
    Click(win, "BitBtn1");
    EXPECT_EQ(LastWritten(), ToHex(WithCrc(Hex("01 10 00 30 00 06 0C 00 00 00 00 00 00 10 00 00 00 00 00"))));
    // Right after an upload with no answer the lists are empty: refused.
    Click(win, "BitBtn2");
    const auto sent = port.written.size();
    Click(win, "BitBtn1");
    EXPECT_EQ(port.written.size(), sent);
    EXPECT_EQ(messages.texts, QStringList{"请选择“继电器DO1：”！"});
}

TEST_F(OverPty, AlarmEnablesRoundTrip)
{
    meter->SetHolding(0x31, 2);
    singlephase::AlarmEnableWindow win(link);
    SetAddress(win, "SpinEdit1", 2);
    Click(win, "BitBtn2");
    QComboBox *do2 = Child<QComboBox>(win, "ComboBox2");
    ASSERT_TRUE(WaitFor([do2] { return do2->currentIndex() == 2; }, 3000));
    Child<QCheckBox>(win, "CheckBox13")->setChecked(true);
    Child<QCheckBox>(win, "CheckBox33")->setChecked(true);
    Click(win, "BitBtn1");
    EXPECT_EQ(NextMessage(), "参数设置成功！！");
    EXPECT_EQ(meter->Holding(0x33), 0x1000);
    EXPECT_EQ(meter->Holding(0x34), 0x0001);
    EXPECT_EQ(meter->Holding(0x31), 2);
}

// ---- Alarm parameters ----

TEST_F(OnFakePort, AlarmParametersFramesAndTheGroupOfTheLastRequest)
{
    singlephase::AlarmParamsWindow win(link);
    SetAddress(win, "SpinEdit33", 1);
    Click(win, "BitBtn1");
    EXPECT_EQ(LastWritten(), "01 03 10 00 00 30 41 1E");
    // The harmonic radio is picked after the request: the reply is still the normal group's.
    Child<QRadioButton>(win, "RadioButton3")->setChecked(true);
    QByteArray data(96, '\0');
    data[0] = 0x08, data[1] = static_cast<char>(0x9D), data[3] = 1; // 2205, 1 decimal
    data[5] = 7, data[7] = 5, data[13] = 7, data[15] = 5;            // 7 with 5 decimals; delay 7; relay 5
    link.Dispatch(WithCrc(Hex("01 03 60") + data));
    EXPECT_EQ(Child<QLineEdit>(win, "Edit1")->text(), "220.5");
    EXPECT_EQ(Child<QLineEdit>(win, "Edit2")->text(), "7");
    EXPECT_EQ(Child<QSpinBox>(win, "SpinEdit1")->value(), 7);
    EXPECT_EQ(Child<QSpinBox>(win, "SpinEdit2")->value(), 3);
    Click(win, "BitBtn1");
    EXPECT_EQ(LastWritten(), "01 03 10 60 00 20 40 CC");
    link.Dispatch(WithCrc(Hex("01 03 60") + QByteArray(96, '\0'))); // wrong size: ignored
    EXPECT_EQ(Child<QLineEdit>(win, "Edit1")->text(), "220.5");

    // A bad limit sends nothing; the factory values go out as 9999 / 0.
    Child<QRadioButton>(win, "RadioButton1")->setChecked(true);
    Child<QLineEdit>(win, "Edit4")->setText("22O.5");
    const auto sent = port.written.size();
    Click(win, "BitBtn2");
    EXPECT_EQ(port.written.size(), sent);
    EXPECT_EQ(messages.texts, QStringList{"'22O.5' is not a valid integer value"});
    Click(win, "BitBtn6");
    Click(win, "BitBtn2");
    EXPECT_TRUE(LastWritten().startsWith("01 10 10 00 00 30 60 27 0F 00 00 00 00 00 00 00 00 00 00 00 00 00 00 27 0F"));
}

TEST_F(OverPty, AlarmParametersRoundTripLightsTheVoltageAlarm)
{
    meter->SetHolding(0x33, 0x0001); // voltage upper alarm enabled
    singlephase::AlarmParamsWindow win(link);
    SetAddress(win, "SpinEdit33", 2);
    Click(win, "BitBtn1");
    QLineEdit *upper = Child<QLineEdit>(win, "Edit1");
    ASSERT_TRUE(WaitFor([upper] { return upper->text() == "9999"; }, 3000));
    EXPECT_EQ(meter->AlarmWord() & 1, 0);
    upper->setText("200.0");
    Child<QSpinBox>(win, "SpinEdit1")->setValue(255);
    Click(win, "BitBtn2");
    EXPECT_EQ(NextMessage(), "数据设置成功！！");
    EXPECT_EQ(meter->Holding(0x1000), 2000);
    EXPECT_EQ(meter->Holding(0x1001), 1);
    EXPECT_EQ(meter->Holding(0x1006), 255);
    EXPECT_EQ(meter->AlarmWord() & 1, 1);

    Child<QRadioButton>(win, "RadioButton4")->setChecked(true);
    Child<QComboBox>(win, "ComboBox1")->setCurrentIndex(1);
    Click(win, "BitBtn2");
    EXPECT_EQ(NextMessage(), "数据设置成功！！");
    EXPECT_EQ(meter->Holding(0x1083), 1);
    upper->setText("0");
    Click(win, "BitBtn1"); // the switch-input group comes back
    QComboBox *signal = Child<QComboBox>(win, "ComboBox1");
    signal->setCurrentIndex(0);
    ASSERT_TRUE(WaitFor([signal] { return signal->currentIndex() == 1; }, 3000));
    EXPECT_EQ(upper->text(), "0");
}

// ---- Display ----

TEST_F(OnFakePort, DisplayFramesPresetsAndMask)
{
    singlephase::DisplaySettingsWindow win(link);
    SetAddress(win, "SpinEdit1", 1);
    Click(win, "BitBtn1");
    EXPECT_EQ(LastWritten(), "01 03 00 36 00 08 A4 02");
    Answer("01 03 10 00 01 00 02 00 0F 00 78 00 05 00 05 27 0F 00 81");
    EXPECT_EQ(Child<QSpinBox>(win, "SpinEdit2")->value(), 99); // 120 shown limited
    EXPECT_EQ(Child<QSpinBox>(win, "SpinEdit5")->value(), 9999);
    EXPECT_FALSE(Child<QCheckBox>(win, "CheckBox1")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(win, "CheckBox8")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(win, "CheckBox9")->isChecked());
    Click(win, "BitBtn6");
    Click(win, "BitBtn2");
    EXPECT_EQ(LastWritten(), ToHex(WithCrc(Hex("01 10 00 36 00 08 10 00 00 00 00 00 00 00 05 00 05 00 05 00 00 00 07"))));
    Click(win, "BitBtn5");
    Click(win, "BitBtn2");
    EXPECT_TRUE(LastWritten().startsWith("01 10 00 36 00 08 10 00 00 00 00 00 00 00 05 00 05 00 05 00 00 7F FF"));
    Answer("01 10 00 36 00 08");
    EXPECT_EQ(messages.texts, QStringList{"参数下载成功！！"});
}

TEST_F(OverPty, DisplayRoundTrip)
{
    singlephase::DisplaySettingsWindow win(link);
    SetAddress(win, "SpinEdit1", 2);
    Click(win, "BitBtn1");
    QCheckBox *first = Child<QCheckBox>(win, "CheckBox4");
    ASSERT_TRUE(WaitFor([first] { return first->isChecked(); }, 3000)); // factory mask 0x0007
    Child<QComboBox>(win, "ComboBox3")->setCurrentIndex(15);
    Child<QSpinBox>(win, "SpinEdit5")->setValue(9999);
    Child<QCheckBox>(win, "CheckBox15")->setChecked(false);
    Click(win, "BitBtn2");
    EXPECT_EQ(NextMessage(), "参数下载成功！！");
    EXPECT_EQ(meter->Holding(0x38), 15);
    EXPECT_EQ(meter->Holding(0x3C), 9999);
    EXPECT_EQ(meter->Holding(0x3D), 0x4007);
}

// ---- Initialisation ----

TEST_F(OnFakePort, InitialisationFramesAndReplies)
{
    singlephase::InitSettingsWindow win(link);
    // The energy bases show nothing until read.
    EXPECT_EQ(Child<QLineEdit>(win, "LabeledEdit3")->text(), "");
    EXPECT_EQ(Child<QLineEdit>(win, "LabeledEdit4")->text(), "");
    SetAddress(win, "SpinEdit1", 1);
    Click(win, "BitBtn2");
    EXPECT_EQ(LastWritten(), "01 03 00 50 00 0A C5 DC");
    Answer("01 03 14 00 02 00 01 00 64 00 05 00 00 00 00 00 00 00 00 00 00 00 05");
    EXPECT_TRUE(Child<QRadioButton>(win, "RadioGroup1_2")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(win, "RadioGroup2_1")->isChecked());
    EXPECT_EQ(Child<QLineEdit>(win, "LabeledEdit1")->text(), "100");
    EXPECT_EQ(messages.texts, QStringList{"数据上载成功！！"});

    Click(win, "BitBtn4");
    EXPECT_EQ(LastWritten(), "01 03 00 5A 00 02 E4 18");
    Answer("01 03 10 00 00 00 00 00 00 30 39 00 00 00 00 00 00 00 00");
    QLineEdit *active = Child<QLineEdit>(win, "LabeledEdit3");
    EXPECT_EQ(active->text(), "123.450KW/h");
    Click(win, "BitBtn5"); // an uploaded text goes back as it stands
    EXPECT_EQ(LastWritten(), ToHex(WithCrc(Hex("01 10 00 5A 00 02 08 00 00 7B 2D 00 00 00 00"))));
    active->setText("16777216");
    const auto sent = port.written.size();
    Click(win, "BitBtn5");
    EXPECT_EQ(port.written.size(), sent);
}

TEST_F(OverPty, InitialisationRoundTrip)
{
    singlephase::InitSettingsWindow win(link);
    SetAddress(win, "SpinEdit1", 2);
    Click(win, "BitBtn2");
    EXPECT_EQ(NextMessage(), "数据上载成功！！");
    EXPECT_TRUE(Child<QRadioButton>(win, "RadioGroup1_0")->isChecked());
    Child<QRadioButton>(win, "RadioGroup1_1")->setChecked(true);
    Child<QLineEdit>(win, "LabeledEdit2")->setText("70000");
    Click(win, "BitBtn3");
    EXPECT_EQ(NextMessage(), "数据下载成功！！");
    EXPECT_EQ(meter->Holding(0x50), 1);
    EXPECT_EQ(meter->Holding(0x53), 9999);

    Child<QLineEdit>(win, "LabeledEdit3")->setText("12.5");
    Child<QLineEdit>(win, "LabeledEdit4")->setText("7");
    Click(win, "BitBtn5");
    EXPECT_EQ(NextMessage(), "数据下载成功！！");
    EXPECT_EQ(meter->EnergyBase(0), 1250);
    Click(win, "BitBtn4");
    QLineEdit *reactive = Child<QLineEdit>(win, "LabeledEdit4");
    ASSERT_TRUE(WaitFor([reactive] { return reactive->text() == "7.000var/h"; }, 3000));
    EXPECT_EQ(Child<QLineEdit>(win, "LabeledEdit3")->text(), "12.500KW/h");
}
