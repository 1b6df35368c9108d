// The alarm mask window: its frames, presets and reply rules on a fake port,
// and one round trip against the simulated instrument.
#include "tests/support/fakeport.h"
#include "ui/messagebox.h"
#include "sim/threephase.h"
#include "tests/support/ptylink.h"
#include "tests/support/testutil.h"
#include "threephase/alarmmaskwindow.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace {

QCheckBox *box(QWidget &w, const char *accessibleName)
{
    for (QCheckBox *b : w.findChildren<QCheckBox *>())
        if (b->accessibleName() == QString::fromUtf8(accessibleName))
            return b;
    return nullptr;
}

QRadioButton *radio(QWidget &w, int group, int item)
{
    return w.findChild<QRadioButton *>(QStringLiteral("RadioGroup%1_%2").arg(group).arg(item));
}

void click(QWidget &w, const char *button)
{
    w.findChild<QPushButton *>(button)->click();
}

struct AlarmMaskWindow : ::testing::Test {
    FakePortControl port;
    SerialLink link{&port};
    threephase::AlarmMaskWindow win{link};
    ui::RecordedMessages messages;

    void SetUp() override
    {
        port.SetPortOpen(true);
        link.PrepareReceive();
        win.findChild<QSpinBox *>("SpinEdit1")->setValue(1);
    }
    // The data bytes of the last write.
    QString written() { return ToHex(port.written.back().mid(7, 8)); }
    void answer(const char *hex) { link.Dispatch(WithCrc(Hex(hex))); }
};

} // namespace

TEST_F(AlarmMaskWindow, DownloadPacksTheBoxesAndInputLevels)
{
    click(win, "BitBtn5"); // 全部清除: every input on its first item
    box(win, "UA上限")->setChecked(true);
    box(win, "频率下限")->setChecked(true);
    radio(win, 2, 1)->setChecked(true);
    radio(win, 3, 1)->setChecked(true);
    click(win, "BitBtn1");
    ASSERT_EQ(port.written.size(), 1);
    EXPECT_EQ(ToHex(port.written[0]), ToHex(WithCrc(Hex("01 10 00 34 00 04 08 00 01 00 00 00 00 08 80"))));

    // The presets are words, the clear one with the inputs active when open.
    const std::pair<const char *, const char *> presets[] = {
        {"BitBtn4", "FF FF FF FF FF FF 07 FF"}, {"BitBtn5", "00 00 00 00 00 00 38 00"}, {"BitBtn6", "00 00 00 00 00 00 04 00"}};
    for (const auto &[button, data] : presets) {
        click(win, button);
        click(win, "BitBtn1");
        EXPECT_EQ(written(), data) << button;
    }
    EXPECT_TRUE(box(win, "相序错")->isChecked());
}

TEST_F(AlarmMaskWindow, UploadClearsThenShowsTheInstrumentsBits)
{
    click(win, "BitBtn4");
    click(win, "BitBtn2");
    EXPECT_EQ(ToHex(port.written.back()), ToHex(WithCrc(Hex("01 03 00 34 00 04"))));
    EXPECT_FALSE(box(win, "UA上限")->isChecked());
    EXPECT_FALSE(radio(win, 1, 0)->isChecked() || radio(win, 1, 1)->isChecked());

    // Bits 14 and 15 of the last register mean nothing.
    answer("01 03 08 80 00 00 00 00 00 F8 00");
    int ticked = 0;
    for (QCheckBox *b : win.findChildren<QCheckBox *>())
        ticked += b->isChecked();
    EXPECT_EQ(ticked, 1);
    EXPECT_TRUE(box(win, "线平均电压下限")->isChecked());
    for (int g = 1; g <= 3; ++g)
        EXPECT_TRUE(radio(win, g, 0)->isChecked()) << g;

    // A download with an input group left empty sends it as its second item.
    click(win, "BitBtn2");
    click(win, "BitBtn1");
    EXPECT_EQ(written(), "00 00 00 00 00 00 00 00");
}

TEST_F(AlarmMaskWindow, OnlyItsOwnRepliesAreDecoded)
{
    click(win, "BitBtn2");
    answer("01 03 04 FF FF FF FF"); // another size: dropped
    click(win, "BitBtn2");
    answer("01 83 02");             // exception: dropped
    EXPECT_FALSE(box(win, "UA上限")->isChecked());
    EXPECT_TRUE(messages.texts.isEmpty());
    click(win, "BitBtn1");
    answer("01 10 00 34 00 04");
    EXPECT_EQ(messages.texts, QStringList{"参数设置成功！！"});
}

TEST(AlarmMaskOverPty, UploadEditDownloadChangesExactlyTheEditedBits)
{
    PtyLink pty;
    auto *meter = static_cast<sim::ThreePhaseInstrument *>(pty.simulator.bus().Add(5, sim::Family::ThreePhase));
    KZ_NEEDS_PTY();
    ASSERT_TRUE(pty.Open()) << pty.error.toStdString();
    SerialLink &link = pty.link;
    ui::RecordedMessages messages;
    meter->SetHolding(0x34, 0x0003);
    meter->SetHolding(0x37, 0x0800);

    threephase::AlarmMaskWindow win(link);
    win.show();
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(5);
    click(win, "BitBtn2");
    ASSERT_TRUE(WaitFor([&] { return box(win, "UA下限")->isChecked(); }, 3000));
    EXPECT_TRUE(radio(win, 1, 0)->isChecked());
    EXPECT_TRUE(radio(win, 2, 1)->isChecked());

    box(win, "Qabc上限")->setChecked(true);
    radio(win, 1, 1)->setChecked(true);
    click(win, "BitBtn1");
    ASSERT_TRUE(WaitFor([&] { return !messages.texts.isEmpty(); }, 3000));
    EXPECT_EQ(messages.texts, QStringList{"参数设置成功！！"});
    EXPECT_EQ(meter->Holding(0x34), 0x0003);
    EXPECT_EQ(meter->Holding(0x35), 0x0000);
    EXPECT_EQ(meter->Holding(0x37), 0x0010);
    pty.port.SetPortOpen(false);
}
