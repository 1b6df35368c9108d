// The alarm limit window: its frames on a fake port, the group rules, the
// limit codec at its edges, and one round trip against the simulator.
#include "tests/support/fakeport.h"
#include "ui/messagebox.h"
#include "link/qtserialport.h"
#include "link/seriallink.h"
#include "sim/ptysimulator.h"
#include "sim/threephase.h"
#include "tests/support/testutil.h"
#include "threephase/limitswindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace {

// First register and count, and data bytes, of each group.
const char *const kBlocks[10] = {"10 00 00 25", "10 25 00 1C", "10 41 00 14", "10 55 00 14", "10 69 00 14",
                                 "10 7D 00 06", "10 83 00 06", "10 89 00 08", "10 91 00 02", "10 93 00 06"};
constexpr int kBytes[10] = {74, 56, 40, 40, 40, 12, 12, 16, 4, 12};

QByteArray Write(int group, const QByteArray &data)
{
    return WithCrc(Hex("01 10") + Hex(kBlocks[group - 1]) + QByteArray(1, char(data.size())) + data);
}
// A read reply with the given byte count and data bytes (which may be fewer).
QByteArray Reply(int byteCount, const QByteArray &data)
{
    return WithCrc(Hex("01 03") + QByteArray(1, char(byteCount)) + data);
}
// A group's data bytes: zeros with bytes put at offset.
QByteArray Data(int group, int offset = 0, const char *bytes = "")
{
    const QByteArray put = Hex(bytes);
    return QByteArray(kBytes[group - 1], '\0').replace(offset, put.size(), put);
}

struct LimitsWindow : ::testing::Test {
    FakePortControl port;
    SerialLink link{&port};
    threephase::LimitsWindow win{link};
    ui::RecordedMessages messages;
    int handled = 0;

    template <class T = QLineEdit> T *get(const QString &name)
    {
        T *w = win.findChild<T *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QSpinBox *spin(const QString &name) { return get<QSpinBox>(name); }
    QComboBox *combo(const QString &name) { return get<QComboBox>(name); }
    void Select(int group) { get<QRadioButton>(QStringLiteral("RadioButton%1").arg(group))->click(); }
    void Press(const char *button) { get<QPushButton>(button)->click(); }
    // Presses button; the instrument answers with reply on a later turn.
    void Exchange(const char *button, const QByteArray &reply)
    {
        const int before = handled;
        port.responder = [this, reply](const QByteArray &) { port.Feed(reply); };
        Press(button);
        ASSERT_TRUE(WaitFor([&] { return handled > before; }));
    }

    void SetUp() override
    {
        port.SetPortOpen(true);
        link.PrepareReceive();
        link.SettleMs = 1;
        link.PollMs = 1;
        win.show();
        spin("SpinEdit1")->setValue(1);
        QObject::connect(&win, &FamilyWindow::ReplyHandled, [this] { ++handled; });
    }
};

} // namespace

// The window is taller than many laptop screens (and than the 800 x 600 test
// screen): it fits the screen and scrolls, so its bottom row can be brought
// into view and still works.
TEST_F(LimitsWindow, FitsASmallerScreenAndScrollsToItsButtons)
{
    const QRect area = win.screen()->availableGeometry();
    EXPECT_LE(win.height(), area.height());
    EXPECT_LE(win.width(), area.width());
    auto *scroll = win.findChild<QScrollArea *>();
    ASSERT_NE(scroll, nullptr);
    auto *upload = get<QPushButton>("BitBtn2");
    scroll->ensureWidgetVisible(upload);
    EXPECT_TRUE(scroll->viewport()->rect().contains(QRect(upload->mapTo(scroll->viewport(), QPoint()), upload->size())));
    Select(2);
    Exchange("BitBtn2", Reply(56, Data(2)));
    EXPECT_EQ(port.written.size(), 1);
}

TEST_F(LimitsWindow, UploadReadsTheGroupAndResetsOnlyItsFields)
{
    get("LabeledEdit1")->setText("230");
    get("LabeledEdit18")->setText("5");
    spin("SpinEdit2")->setValue(7);
    combo("ComboBox1")->setCurrentIndex(2);
    for (int group = 1; group <= 10; ++group) {
        Select(group);
        Press("BitBtn2");
        EXPECT_EQ(ToHex(port.written.last()), ToHex(WithCrc(Hex("01 03") + Hex(kBlocks[group - 1]))));
        if (group == 1) {
            EXPECT_EQ(get("LabeledEdit1")->text(), "0");
            EXPECT_EQ(spin("SpinEdit2")->value(), 0);
            EXPECT_EQ(get("LabeledEdit18")->text(), "5");
        }
    }
    EXPECT_EQ(port.written.size(), 10);
    EXPECT_EQ(combo("ComboBox1")->currentIndex(), 2);
    // Showing the window again zeroes the limits; the rest keep their state.
    spin("SpinEdit2")->setValue(7);
    Press("BitBtn3");
    win.show();
    EXPECT_EQ(get("LabeledEdit64")->text(), "0");
    EXPECT_EQ(spin("SpinEdit2")->value(), 7);
    EXPECT_TRUE(get<QRadioButton>("RadioButton10")->isChecked());
}

// One value typed, the rest of its group "0" and 0: the whole download, or
// a refusal with its message and nothing sent.
// object nullptr: the output choices left without a choice.
struct Typed {
    int group;
    const char *object, *text;
    int offset;
    const char *bytes, *message = nullptr; // bytes nullptr: refused
};
struct Download : LimitsWindow, ::testing::WithParamInterface<Typed> {};

TEST_P(Download, WritesTheGroupOrRefuses)
{
    const Typed &c = GetParam();
    Select(c.group);
    if (c.object)
        get(c.object)->setText(c.text);
    Press("BitBtn1");
    EXPECT_EQ(messages.texts, c.message ? QStringList{c.message} : QStringList());
    QList<QByteArray> sent;
    if (c.bytes)
        sent.append(Write(c.group, Data(c.group, c.offset, c.bytes)));
    EXPECT_EQ(port.written, sent) << (port.written.isEmpty() ? "" : ToHex(port.written[0]).toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Edges, Download,
    ::testing::Values(Typed{3, "LabeledEdit31", "1.000", 0, "10 00 00 03"},
                      Typed{1, "LabeledEdit1", "220.0", 0, "22 00 00 01"},
                      Typed{1, "LabeledEdit2", "1.5", 4, "00 15 00 01"},
                      Typed{1, "LabeledEdit3", ".5", 8, "00 05 00 01"}, // a fraction, not 5
                      Typed{1, "LabeledEdit17", "999", 64, "09 99 00 00"},
                      Typed{2, "LabeledEdit18", "70000", 0, "99 99 00 00"},   // limited, not 44 64
                      Typed{2, "LabeledEdit30", "12.345", 48, "12 34 00 02"}, // first 5 characters
                      Typed{4, "LabeledEdit40", "-12.5", 0, "FF 83 00 01"},
                      Typed{4, "LabeledEdit41", "12345", 4, "27 0F 00 00"},
                      Typed{4, "LabeledEdit42", "-99999", 8, "D8 F1 00 00"}, // -9999, not +9999
                      Typed{1, "LabeledEdit1", "-5", 0, nullptr, "“Ua上限”不能为负数！"},
                      Typed{5, "LabeledEdit49", "-0.5", 0, nullptr, "“A相上限”不能为负数！"},
                      Typed{1, "LabeledEdit2", "", 0, nullptr, "'' is not a valid integer value"},
                      Typed{8, "LabeledEdit62", "1.2.3", 0, nullptr, "'12.3' is not a valid integer value"},
                      Typed{10, nullptr, nullptr, 0, nullptr, "请选择“OUT1输入”！"}));

TEST_F(LimitsWindow, DelaysRelaysChoicesAndFactoryValuesDownload)
{
    Select(9);
    spin("SpinEdit19")->setValue(1234);
    spin("SpinEdit20")->setValue(3);
    Press("BitBtn1");
    Select(10);
    spin("SpinEdit21")->setValue(1);
    for (int i = 1; i <= 3; ++i)
        combo(QStringLiteral("ComboBox%1").arg(i))->setCurrentIndex(i - 1);
    Press("BitBtn1");
    // Factory values fill the limit texts only and send nothing.
    spin("SpinEdit18")->setValue(2);
    Press("BitBtn6");
    EXPECT_EQ(get("LabeledEdit31")->text(), "1.000");
    EXPECT_EQ(get("LabeledEdit40")->text(), "9999");
    EXPECT_EQ(get("LabeledEdit58")->text(), "20.00");
    Select(8);
    Press("BitBtn1");
    ASSERT_EQ(port.written.size(), 3);
    EXPECT_EQ(ToHex(port.written[0]), ToHex(Write(9, Hex("12 34 00 03"))));
    EXPECT_EQ(ToHex(port.written[1]), ToHex(Write(10, Hex("00 01 00 00 00 00 00 00 00 01 00 02"))));
    EXPECT_EQ(ToHex(port.written[2]), ToHex(Write(8, Hex("75 00 00 02 45 00 00 02 00 00 00 00 00 00 00 02"))));
}

TEST_F(LimitsWindow, WithoutAGroupNeitherButtonSends)
{
    Press("BitBtn2");
    Press("BitBtn1");
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_EQ(messages.texts, QStringList({"请选择上载、下载参数！", "请选择上载、下载参数！"}));
}

// A reply record and the text its limit field shows.
struct ShownLimit {
    int group;
    const char *object;
    int offset;
    const char *bytes, *text;
};
struct UploadedLimit : LimitsWindow, ::testing::WithParamInterface<ShownLimit> {};

TEST_P(UploadedLimit, ShowsTheRecord)
{
    const ShownLimit &c = GetParam();
    Select(c.group);
    Exchange("BitBtn2", Reply(kBytes[c.group - 1], Data(c.group, c.offset, c.bytes)));
    EXPECT_EQ(get(c.object)->text(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Records, UploadedLimit,
    ::testing::Values(ShownLimit{3, "LabeledEdit31", 0, "10 00 00 03", "1.000"},
                      ShownLimit{1, "LabeledEdit1", 0, "02 20 00 01", "022.0"},
                      ShownLimit{2, "LabeledEdit18", 0, "1A 2F 00 01", "102.0"}, // nibbles above 9 show 0
                      ShownLimit{7, "LabeledEdit60", 0, "20 00 FF 02", "20.00"}, // byte 2 ignored
                      ShownLimit{4, "LabeledEdit40", 0, "FF 83 00 01", "-12.5"},
                      ShownLimit{4, "LabeledEdit48", 32, "FF 38 00 02", "-2.00"}));

TEST_F(LimitsWindow, RepliesAreDecodedAsTheGroupAskedForAndEchoesReportSuccess)
{
    Select(10);
    Exchange("BitBtn2", Reply(12, Hex("00 01 00 02 00 03 00 00 00 03 00 05")));
    EXPECT_EQ(spin("SpinEdit23")->value(), 3);
    EXPECT_EQ(combo("ComboBox2")->currentText(), "DI3");
    EXPECT_EQ(combo("ComboBox3")->currentIndex(), -1); // 5 is no item

    Select(2);
    port.responder = [this](const QByteArray &) { port.Feed(Reply(56, Data(2, 0, "01 50 00 01"))); };
    Press("BitBtn2");
    Select(1); // picked while the reply is on its way
    ASSERT_TRUE(WaitFor([this] { return handled == 2; }));
    EXPECT_EQ(get("LabeledEdit18")->text(), "015.0");

    // Only the echo of the group's own write confirms it.
    Select(1);
    Exchange("BitBtn1", WithCrc(Hex("01 10 10 7D 00 25")));
    EXPECT_TRUE(messages.texts.isEmpty());
    Exchange("BitBtn1", WithCrc(Hex("01 10 10 00 00 25")));
    EXPECT_EQ(messages.texts, QStringList{"数据设置成功！！"});
}

// Voltage replies cut short: shown from 71 data bytes on, and then only the
// fields whose bytes are there; the rest keep the zeros of the upload.
struct ShortReply {
    int byteCount, present; // present: data bytes really in the frame
    const char *limits;
    int delay, voltageRelay, phaseLossRelay;
};
struct ShortVoltageReply : LimitsWindow, ::testing::WithParamInterface<ShortReply> {};

TEST_P(ShortVoltageReply, FillsOnlyWhatItHolds)
{
    const ShortReply &c = GetParam();
    const QByteArray data = Hex("22 00 00 01").repeated(17) + Hex("00 05 00 01 00 02");
    Select(1);
    Exchange("BitBtn2", Reply(c.byteCount, data.left(c.present)));
    EXPECT_EQ(get("LabeledEdit1")->text(), c.limits);
    EXPECT_EQ(get("LabeledEdit17")->text(), c.limits);
    EXPECT_EQ(spin("SpinEdit2")->value(), c.delay);
    EXPECT_EQ(spin("SpinEdit3")->value(), c.voltageRelay);
    EXPECT_EQ(spin("SpinEdit4")->value(), c.phaseLossRelay);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ShortVoltageReply,
                         ::testing::Values(ShortReply{70, 70, "0", 0, 0, 0}, ShortReply{71, 71, "220.0", 5, 0, 0},
                                           ShortReply{74, 72, "220.0", 5, 1, 0}, // frame shorter than its count
                                           ShortReply{74, 74, "220.0", 5, 1, 2}));

// Upload, edit, download, upload again against the simulated instrument.
TEST(LimitsOverPty, RoundTripChangesExactlyTheEditedRegisters)
{
    sim::PtySimulator simulator;
    QString error;
    KZ_NEEDS_PTY();
    ASSERT_TRUE(simulator.Open(&error)) << error.toStdString();
    auto *meter = static_cast<sim::ThreePhaseInstrument *>(simulator.bus().Add(5, sim::Family::ThreePhase));
    ASSERT_NE(meter, nullptr);
    const std::uint16_t frequency[] = {0x6000, 2, 0x4800, 2, 0x0050, 2, 0x0012, 2}; // 0x1089..0x1090
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(meter->SetHolding(static_cast<std::uint16_t>(0x1089 + i), frequency[i]));
    const auto holding = [meter] {
        QMap<int, std::uint16_t> words;
        for (int reg = 0x1000; reg <= 0x1098; ++reg)
            words[reg] = meter->Holding(static_cast<std::uint16_t>(reg));
        return words;
    };
    QtSerialPortControl port;
    port.SetPortName(simulator.SlavePath());
    port.SetSettings("9600,n,8,1");
    ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
    SerialLink link{&port};
    link.PrepareReceive();
    ui::RecordedMessages messages;
    threephase::LimitsWindow win(link);
    win.show();
    int handled = 0;
    QObject::connect(&win, &FamilyWindow::ReplyHandled, [&] { ++handled; });
    const auto press = [&](const char *button) {
        win.findChild<QPushButton *>(button)->click();
        return WaitFor([&, before = handled] { return handled > before; }, 5000);
    };
    QLineEdit *upper = win.findChild<QLineEdit *>("LabeledEdit62");
    QSpinBox *relay = win.findChild<QSpinBox *>("SpinEdit18");
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(5);
    win.findChild<QRadioButton *>("RadioButton8")->click();

    ASSERT_TRUE(press("BitBtn2"));
    EXPECT_EQ(upper->text(), "60.00");
    EXPECT_EQ(win.findChild<QLineEdit *>("LabeledEdit64")->text(), "00.50");
    EXPECT_EQ(win.findChild<QSpinBox *>("SpinEdit17")->value(), 12);
    EXPECT_EQ(relay->value(), 2);

    QMap<int, std::uint16_t> expected = holding();
    expected[0x1089] = 0x0555;
    expected[0x108A] = 1;
    expected[0x1090] = 3;
    upper->setText("55.5");
    relay->setValue(3);
    ASSERT_TRUE(press("BitBtn1"));
    EXPECT_EQ(messages.texts, QStringList{"数据设置成功！！"});
    EXPECT_EQ(holding(), expected);

    upper->setText("1");
    ASSERT_TRUE(press("BitBtn2"));
    EXPECT_EQ(upper->text(), "055.5");
    EXPECT_EQ(relay->value(), 3);
    port.SetPortOpen(false);
}
