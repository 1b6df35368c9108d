// The measurement and address scan windows against the instrument simulator,
// through a real serial port control on a pseudo-terminal and the link's
// normal receive timing.
#include "core/codecs.h"
#include "ui/replyrouter.h"
#include "ui/messagebox.h"
#include "link/qtserialport.h"
#include "shell/addressscanwindow.h"
#include "link/seriallink.h"
#include "sim/ptysimulator.h"
#include "sim/threephase.h"
#include "tests/support/testutil.h"
#include "threephase/measurementwindow.h"
#include "threephase/alarmmaskwindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct OverPty : ::testing::Test {
    sim::PtySimulator simulator;
    QtSerialPortControl port;
    SerialLink link{&port};
    ui::RecordedMessages messages;

    void SetUp() override
    {
        QString error;
        KZ_NEEDS_PTY();
        ASSERT_TRUE(simulator.Open(&error)) << error.toStdString();
        port.SetPortName(simulator.SlavePath());
        port.SetSettings("9600,n,8,1");
        ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
        link.PrepareReceive();
    }
    void TearDown() override { port.SetPortOpen(false); }
};

using MeasurementOverPty = OverPty;
using ScanOverPty = OverPty;

QString Volts(double v)
{
    return v > 999 ? FormatFixed(v / 1000, 2) + "KV" : FormatFixed(v, 2) + "V";
}

} // namespace

TEST_F(MeasurementOverPty, ShowsTheInstrumentsValuesScaledByItsRatios)
{
    sim::ThreePhaseInstrument *meter =
        static_cast<sim::ThreePhaseInstrument *>(simulator.bus().Add(7, sim::Family::ThreePhase));
    ASSERT_NE(meter, nullptr);
    meter->SetFrozen(true);
    meter->SetWiringMode(2);
    meter->SetRatios(100, 1);
    meter->PinRaw(0x00, 2200);
    meter->PinRaw(0x08, 5000);
    meter->PinRaw(0x0D, -500);
    meter->PinRaw(0x11, 5000);
    meter->PinEnergy(sim::ThreePhaseInstrument::kTotalActive, 12345);

    threephase::MeasurementWindow win(link);
    win.show();
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(7);
    win.findChild<QTimer *>("Timer1")->setInterval(400);
    win.findChild<QPushButton *>("BitBtn1")->click();

    QLineEdit *va = win.findChild<QLineEdit *>("Edit1");
    ASSERT_TRUE(WaitFor([va] { return !va->text().isEmpty(); }, 8000));
    EXPECT_EQ(va->text(), "22.00KV");
    EXPECT_EQ(win.findChild<QLineEdit *>("Edit2")->text(), Volts(meter->RawWord(0x01) * 100 / 10.0));
    EXPECT_EQ(win.findChild<QLineEdit *>("Edit4")->text(), "");
    EXPECT_EQ(win.findChild<QLineEdit *>("LabeledEdit1")->text(), "5.000A");
    EXPECT_EQ(win.findChild<QLineEdit *>("LabeledEdit19")->text(), "-0.500");
    EXPECT_EQ(win.findChild<QLineEdit *>("LabeledEdit6")->text(), "50.000Hz");
    EXPECT_EQ(win.findChild<QLineEdit *>("LabeledEdit23")->text(), "123.45KW.h");
    win.findChild<QPushButton *>("BitBtn3")->click();
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(MeasurementOverPty, FollowsTheSimulatedPlantAtRatioOne)
{
    auto *meter = static_cast<sim::ThreePhaseInstrument *>(simulator.bus().Add(1, sim::Family::ThreePhase));
    ASSERT_NE(meter, nullptr);
    meter->SetFrozen(true);
    meter->SetWiringMode(1);

    threephase::MeasurementWindow win(link);
    win.show();
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(1);
    win.findChild<QTimer *>("Timer1")->setInterval(400);
    win.findChild<QPushButton *>("BitBtn1")->click();

    QLineEdit *vab = win.findChild<QLineEdit *>("Edit4");
    ASSERT_TRUE(WaitFor([vab] { return !vab->text().isEmpty(); }, 8000));
    // Three-wire: line voltages (around 380 V) in the line boxes only.
    EXPECT_EQ(vab->text(), Volts(meter->RawWord(0x03) / 10.0));
    EXPECT_EQ(win.findChild<QLineEdit *>("Edit8")->text(), Volts(meter->RawWord(0x07) / 10.0));
    EXPECT_EQ(win.findChild<QLineEdit *>("Edit1")->text(), "");
    EXPECT_EQ(win.findChild<QLineEdit *>("LabeledEdit2")->text(),
              FormatFixed(meter->RawWord(0x09) / 1000.0, 3) + "A");
    win.findChild<QPushButton *>("BitBtn3")->click();
}

TEST_F(ScanOverPty, ListsTheAddressesOnTheBus)
{
    ASSERT_NE(simulator.bus().Add(1, sim::Family::ThreePhase), nullptr);
    ASSERT_NE(simulator.bus().Add(3, sim::Family::SinglePhase), nullptr);

    AddressScanWindow win(link);
    win.show();
    win.SetProbeInterval(400);
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(0);
    win.findChild<QSpinBox *>("SpinEdit2")->setValue(5);
    win.findChild<QPushButton *>("BitBtn1")->click();

    ASSERT_TRUE(WaitFor([this] { return !messages.texts.isEmpty(); }, 15000));
    EXPECT_EQ(messages.texts, QStringList({"仪表地址检测结束！！"}));
    EXPECT_EQ(win.findChild<QLineEdit *>("Edit3")->text(), "1,3,");
    EXPECT_EQ(win.findChild<QLabel *>("Label4")->text(), "100%");
}

namespace {
// A window of another family: it asks nothing, so no reply is ever its.
class OtherFamilyWindow : public FamilyWindow {
public:
    explicit OtherFamilyWindow(SerialLink &link) : FamilyWindow(link, Family::SinglePhase, "singlephase::InitSettingsWindow") {}
};
} // namespace

// A measurement window left polling sends nothing once another window takes
// the replies over, whichever family that window belongs to, so no window
// ever decodes measurement frames as its own.
TEST_F(MeasurementOverPty, APollingWindowStopsWhenAnotherWindowTakesTheReplies)
{
    auto *meter = static_cast<sim::ThreePhaseInstrument *>(simulator.bus().Add(1, sim::Family::ThreePhase));
    meter->SetHolding(0x34, 0x0000);
    threephase::MeasurementWindow measurement(link);
    threephase::AlarmMaskWindow alarms(link);
    OtherFamilyWindow other(link);
    QTimer *poll = measurement.findChild<QTimer *>("Timer1");
    poll->setInterval(100);
    QLineEdit *va = measurement.findChild<QLineEdit *>("Edit1");

    for (const Family family : {Family::SinglePhase, Family::ThreePhase}) {
        ReplyRouter::Of(link).ChooseFamily(Family::ThreePhase);
        va->clear();
        measurement.findChild<QSpinBox *>("SpinEdit1")->setValue(1);
        measurement.findChild<QPushButton *>("BitBtn1")->click();
        ASSERT_TRUE(WaitFor([va] { return !va->text().isEmpty(); }, 5000)) << FamilyName(family).toStdString();

        // A family switch opens the other family's window; within the same
        // family the alarm mask window is opened as its menu entry does.
        ReplyRouter::Of(link).ChooseFamily(family);
        if (family == Family::SinglePhase)
            other.TakeReplies();
        else
            alarms.TakeReplies();
        ASSERT_TRUE(WaitFor([poll] { return !poll->isActive(); }, 2000)) << FamilyName(family).toStdString();
        Pump(300); // a reply already on its way arrives and is dropped or ignored
    }
    for (QCheckBox *box : alarms.findChildren<QCheckBox *>())
        EXPECT_FALSE(box->isChecked()) << box->accessibleName().toStdString();
    EXPECT_TRUE(messages.texts.isEmpty());
}
