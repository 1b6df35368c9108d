// The single-phase calibration window: what differs from the module's
// window (points, means, its reply button and return), and a calibration
// run against the simulated meter.
#include "tests/support/fakeport.h"
#include "ui/replyrouter.h"
#include "ui/messagebox.h"
#include "sim/singlephase.h"
#include "singlephase/windows.h"
#include "tests/support/calibrationrun.h"
#include "tests/support/ptylink.h"
#include "tests/support/testutil.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using calibrationtest::choose;
using calibrationtest::click;
using calibrationtest::text;


} // namespace

TEST(MeterCalibration, SixPointsMeansAndTheVoltagePoint)
{
    FakePortControl port;
    SerialLink link{&port};
    ReplyRouter::Of(link).ChooseFamily(Family::SinglePhase);
    CalibrationWindow win{link, singlephase::kMeterCalibrationWindow};
    ui::RecordedMessages messages;
    port.SetPortOpen(true);
    link.PrepareReceive();
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(2);

    EXPECT_EQ(win.findChild<QListWidget *>("ListBox1")->count(), 6);
    choose(win, 1);
    EXPECT_EQ(text(win, "Edit1"), "110.00W");
    choose(win, 4);
    EXPECT_EQ(text(win, "Edit1"), "220.00V");

    click(win, "BitBtn5");
    EXPECT_EQ(ToHex(port.written.back()), ToHex(WithCrc(Hex("02 AA 72 37 30 32 32 42 30 30 30"))));
    EXPECT_TRUE(win.HoldsReplies());
    // Voltage 220 V (value 4), power factor 0.5 (value 6) negated because
    // values 1 and 2 lie on different sides of 0x800000, 50 Hz (value 7).
    const QByteArray read =
        WithCrc(Hex("02 AA 72 37 30 32 32 00 00 01 00 FF FF 00 00 00 00 1B 80 00 00 00 00 40 00 00 06 40 00") +
                QByteArray(51, '\0'));
    link.Dispatch(read);
    EXPECT_EQ(text(win, "StaticText1"), "27.5000V") << "the mean of 220 V and seven zeros";
    EXPECT_EQ(text(win, "StaticText10"), "-0.5000");
    EXPECT_EQ(text(win, "StaticText13"), "50.00Hz");
    // The current's mean is 0: refused, not taken as 1.
    choose(win, 5);
    click(win, "BitBtn2");
    EXPECT_EQ(messages.texts, QStringList{"数据出错！！"});
    for (int i = 0; i < 7; ++i) {
        click(win, "BitBtn5");
        link.Dispatch(read);
    }
    EXPECT_EQ(text(win, "StaticText1"), "220.0000V");
    choose(win, 4);
    win.findChild<QLineEdit *>("Edit1")->setText("200.00V");
    click(win, "BitBtn2");
    EXPECT_EQ(text(win, "Edit2"), "F45D17");

    click(win, "Exit");
    EXPECT_FALSE(win.HoldsReplies());
}

TEST(MeterCalibrationOverPty, CalibratesPowerAtUnityAndHalfLagging)
{
    PtyLink pty;
    auto *meter = static_cast<sim::SinglePhaseInstrument *>(pty.simulator.bus().Add(2, sim::Family::SinglePhase));
    KZ_NEEDS_PTY();
    ASSERT_TRUE(pty.Open()) << pty.error.toStdString();
    SerialLink &link = pty.link;
    ReplyRouter::Of(link).ChooseFamily(Family::SinglePhase);
    CalibrationWindow win(link, singlephase::kMeterCalibrationWindow);
    win.show();
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(2);
    // Gain at power factor 1.0 first, then the phase at 0.5 lagging.
    calibrationtest::RunProcedure(win, {{0, "StaticText7", 1100.0}, {2, "StaticText7", 550.0}});
    EXPECT_NE(meter->CalibrationWord(1), 0u);
    EXPECT_NE(meter->CalibrationWord(3), 0u);
    pty.port.SetPortOpen(false);
}
