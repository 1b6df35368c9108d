// The port settings dialog: what "确  定" writes into the serial port control,
// the defaults at every show, refusals of typed text, open failures, and a
// real pseudo-terminal opened through the dialog.
#include "shell/portdialog.h"
#include "tests/support/fakeport.h"
#include "ui/messagebox.h"
#include "link/qtserialport.h"
#include "tests/support/testutil.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <tuple>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>
#endif

namespace {

struct Dialog {
    FakePortControl port;
    PortDialog dlg{port};
    ui::RecordedMessages rec;

    Dialog()
    {
        dlg.SystemPorts = {}; // the machine's own ports do not belong in these tests
        dlg.show();
    }
    QComboBox *list(int n) { return dlg.findChild<QComboBox *>(QStringLiteral("ComboBox%1").arg(n)); }
    void pick(int n, const QString &text)
    {
        QComboBox *box = list(n);
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
    }
    void type(int n, const QString &text) { list(n)->lineEdit()->setText(text); }
    void confirm() { dlg.findChild<QPushButton *>("BitBtn1")->click(); }
};

QStringList items(QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

} // namespace

TEST(ComSettings, StringAndTypedPortNames)
{
    EXPECT_EQ(ComSettingsString("9600", "无", "8", "1"), "9600,n,8,1");
    EXPECT_EQ(ComSettingsString("19200", "偶校验", "7", "2"), "19200,e,7,2");
    EXPECT_EQ(ComSettingsString("1200", "奇校验", "5", "1.5"), "1200,o,5,1.5");

    EXPECT_EQ(PortNameFromTyped("COM3"), PlatformPortName(3));
    EXPECT_EQ(PortNameFromTyped(" com12 "), PlatformPortName(12));
    EXPECT_EQ(PortNameFromTyped("/dev/ttyUSB0"), QString("/dev/ttyUSB0"));
    EXPECT_EQ(PortNameFromTyped("/dev/serial/by-id/usb-FTDI-if00"), QString("/dev/serial/by-id/usb-FTDI-if00"));
    EXPECT_FALSE(PortNameFromTyped("COM0"));
    EXPECT_FALSE(PortNameFromTyped("COM"));
    EXPECT_FALSE(PortNameFromTyped("ttyUSB0"));
    EXPECT_FALSE(PortNameFromTyped("/dev/"));
    EXPECT_FALSE(PortNameFromTyped(""));
    EXPECT_FALSE(PortNameFromTyped("9600"));
}

// A COM port by the name Windows users know, with the adapter's description;
// elsewhere by its device path.
TEST(ComSettings, SystemPortsAreOfferedByTheSystemsNameWithTheAdaptersDescription)
{
#ifdef Q_OS_WIN
    EXPECT_EQ(SystemPortChoice("COM3", "\\\\.\\COM3", "USB-SERIAL CH340").name, "COM3");
    EXPECT_EQ(SystemPortChoice("COM3", "\\\\.\\COM3", "USB-SERIAL CH340").label, "COM3 (USB-SERIAL CH340)");
    EXPECT_EQ(SystemPortChoice("COM1", "\\\\.\\COM1", "").label, "COM1");
    EXPECT_EQ(PortNameFromTyped("\\\\.\\COM12"), QString("COM12"));
    EXPECT_EQ(PortNameFromTyped("\\\\.\\com7"), QString("COM7"));
    EXPECT_FALSE(PortNameFromTyped("\\\\.\\COM0"));
#else
    EXPECT_EQ(SystemPortChoice("ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART").name, "/dev/ttyUSB0");
    EXPECT_EQ(SystemPortChoice("ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART").label, "/dev/ttyUSB0 (FT232R USB UART)");
    EXPECT_EQ(SystemPortChoice("ttyS0", "/dev/ttyS0", "").label, "/dev/ttyS0");
    EXPECT_FALSE(PortNameFromTyped("\\\\.\\COM12"));
#endif
    // What the system lists now: each name opens as given, none twice.
    QStringList names;
    for (const PortChoice &c : SystemSerialPorts()) {
        EXPECT_TRUE(c.label.startsWith(c.name)) << c.label.toStdString();
        names << c.name;
    }
    EXPECT_EQ(names.size(), QSet<QString>(names.begin(), names.end()).size());
}

TEST(ComDialog, LooksAsDescribed)
{
    Dialog d;
    EXPECT_EQ(d.dlg.windowTitle(), QString(49, ' ') + "通讯端口设置");
    auto *group = d.dlg.findChild<QGroupBox *>();
    ASSERT_TRUE(group);
    EXPECT_EQ(group->title(), "通讯端口设置");
    EXPECT_EQ(items(d.list(1)), QStringList({"COM1", "COM2", "COM3", "COM4"}));
    EXPECT_EQ(items(d.list(2)), QStringList({"1200", "2400", "4800", "9600", "14400", "19200"}));
    EXPECT_EQ(items(d.list(3)), QStringList({"1", "1.5", "2"}));
    EXPECT_EQ(items(d.list(4)), QStringList({"5", "6", "7", "8"}));
    EXPECT_EQ(items(d.list(5)), QStringList({"无", "奇校验", "偶校验"}));
    EXPECT_EQ(d.dlg.findChild<QPushButton *>("BitBtn1")->text(), "确  定");
    EXPECT_EQ(d.dlg.findChild<QPushButton *>("BitBtn2")->text(), "返  回");

    // Each list is labelled: its caption is its buddy and accessible name.
    const QStringList captions = {"通讯口：", "波特率：", "停止位：", "数据位：", "校验位："};
    const auto labels = d.dlg.findChildren<QLabel *>();
    for (int n = 1; n <= 5; ++n) {
        QComboBox *box = d.list(n);
        const QLabel *buddyOf = nullptr;
        for (const QLabel *l : labels)
            if (l->buddy() == box)
                buddyOf = l;
        ASSERT_TRUE(buddyOf) << n;
        EXPECT_EQ(buddyOf->text(), captions[n - 1]);
        EXPECT_EQ(box->accessibleName() + "：", captions[n - 1]);
        EXPECT_NE(box->focusPolicy() & Qt::TabFocus, 0);
    }
}

TEST(ComDialog, ConfirmWritesPortAndSettingsThenOpens)
{
    struct Case {
        const char *port, *baud, *stop, *data, *parity;
        QString name, settings;
    };
    const Case cases[] = {
        {"COM1", "9600", "1", "8", "无", PlatformPortName(1), "9600,n,8,1"},
        {"COM3", "19200", "2", "7", "偶校验", PlatformPortName(3), "19200,e,7,2"},
        {"COM4", "1200", "1.5", "5", "奇校验", PlatformPortName(4), "1200,o,5,1.5"},
        {"COM2", "14400", "1", "6", "无", PlatformPortName(2), "14400,n,6,1"},
    };
    for (const Case &c : cases) {
        Dialog d;
        d.pick(1, c.port);
        d.pick(2, c.baud);
        d.pick(3, c.stop);
        d.pick(4, c.data);
        d.pick(5, c.parity);
        d.confirm();
        EXPECT_EQ(d.port.CommPort(), c.name);
        EXPECT_EQ(d.port.Settings(), c.settings);
        EXPECT_TRUE(d.port.PortOpen());
        EXPECT_EQ(d.rec.texts, QStringList{"串口初始化成功！"});
        EXPECT_FALSE(d.dlg.isVisible());
    }
}

// Another port replaces the one in use once it is open: the old one closes
// (its waiting input goes with it), then the new one opens.
TEST(ComDialog, ConfirmWhileOpenSwitchesPortsAndDropsWaitingInput)
{
    Dialog d;
    d.confirm();
    ASSERT_TRUE(d.port.PortOpen());
    d.port.Feed(Hex("01 03 02"));
    ASSERT_EQ(d.port.InBufferCount(), 3);

    QSignalSpy spy(&d.port, &SerialPortControl::OpenChanged);
    d.dlg.show();
    d.pick(1, "COM2");
    d.pick(2, "4800");
    d.confirm();
    ASSERT_EQ(spy.count(), 2);
    EXPECT_FALSE(spy.at(0).at(0).toBool());
    EXPECT_TRUE(spy.at(1).at(0).toBool());
    EXPECT_EQ(d.port.CommPort(), PlatformPortName(2));
    EXPECT_EQ(d.port.Settings(), "4800,n,8,1");
    EXPECT_EQ(d.port.InBufferCount(), 0);
    EXPECT_EQ(d.rec.texts, QStringList({"串口初始化成功！", "串口初始化成功！"}));
}

TEST(ComDialog, EveryShowStartsFromTheDefaults)
{
    Dialog d;
    d.pick(1, "COM3");
    d.pick(2, "19200");
    d.pick(3, "2");
    d.pick(4, "7");
    d.pick(5, "奇校验");
    d.dlg.findChild<QPushButton *>("BitBtn2")->click(); // 返  回: nothing changes
    EXPECT_FALSE(d.dlg.isVisible());
    EXPECT_FALSE(d.port.PortOpen());
    EXPECT_TRUE(d.rec.texts.isEmpty());

    d.dlg.show();
    EXPECT_EQ(d.list(1)->currentText(), "COM1");
    EXPECT_EQ(d.list(2)->currentText(), "9600");
    EXPECT_EQ(d.list(3)->currentText(), "1");
    EXPECT_EQ(d.list(4)->currentText(), "8");
    EXPECT_EQ(d.list(5)->currentText(), "无");
}

TEST(ComDialog, TypedTextThatSelectsNoItemIsRefusedAndThePortKept)
{
    struct Case {
        int list;
        const char *text;
        QString message;
    };
    const Case cases[] = {
        {2, "9601", "波特率“9601”不是列表中的选项，请从列表中选择！"},
        {3, "3", "停止位“3”不是列表中的选项，请从列表中选择！"},
        {4, "", "请选择数据位！"},
        {5, "mark", "校验位“mark”不是列表中的选项，请从列表中选择！"},
        {1, "ttyUSB0", "通讯口“ttyUSB0”无效！请从列表中选择，或输入设备路径（如 /dev/ttyUSB0）或 COMn。"},
        {1, "", "请选择通讯口！"},
    };
    for (const Case &c : cases) {
        Dialog d;
        d.pick(1, "COM2");
        d.confirm(); // an open port that a refusal must leave alone
        ASSERT_TRUE(d.port.PortOpen());
        d.rec.texts.clear();

        d.dlg.show();
        d.type(c.list, c.text);
        QSignalSpy spy(&d.port, &SerialPortControl::OpenChanged);
        d.confirm();
        EXPECT_EQ(d.rec.texts, QStringList{c.message}) << c.list << c.text;
        EXPECT_EQ(spy.count(), 0) << "the port was touched";
        EXPECT_TRUE(d.port.PortOpen());
        EXPECT_EQ(d.port.CommPort(), PlatformPortName(2));
        EXPECT_EQ(d.port.Settings(), "9600,n,8,1");
        EXPECT_TRUE(d.dlg.isVisible());
    }
}

TEST(ComDialog, TypedItemTextAndDevicePathsAreUsed)
{
    {
        Dialog d;
        d.type(2, "19200"); // typed, but exactly an item
        d.type(5, "偶校验");
        d.type(1, "/dev/ttyUSB3");
        d.confirm();
        EXPECT_EQ(d.port.CommPort(), "/dev/ttyUSB3");
        EXPECT_EQ(d.port.Settings(), "19200,e,8,1");
    }
    {
        Dialog d;
        d.type(1, "com2");
        d.confirm();
        EXPECT_EQ(d.port.CommPort(), PlatformPortName(2));
    }
}

// A port that fails to open leaves the port in use open, and the message
// says so; only the same port with other settings has to be closed first,
// and then the message says that it was.
TEST(ComDialog, OpenFailureKeepsTheDialogAndThePortInUseUnlessItIsReopened)
{
    const QString busy = "串口被占用或没有访问权限 (Device or resource busy)";
    struct Case {
        const char *before; // the port open before, or nullptr
        const char *chosen;
        const char *baud;
        bool stillOpen;
        QString message;
    };
    const Case cases[] = {
        {"COM1", "COM3", "9600", true,
         "无法打开串口 " + PlatformPortName(3) + "：" + busy + "\n原串口 " + PlatformPortName(1) + " 仍保持打开。"},
        {"COM1", "COM1", "4800", false,
         "无法打开串口 " + PlatformPortName(1) + "：" + busy + "\n原串口 " + PlatformPortName(1) + " 已关闭。"},
        {nullptr, "COM3", "9600", false, "无法打开串口 " + PlatformPortName(3) + "：" + busy},
    };
    for (const Case &c : cases) {
        Dialog d;
        if (c.before) {
            d.pick(1, c.before);
            d.confirm();
            ASSERT_TRUE(d.port.PortOpen());
            d.rec.texts.clear();
            d.dlg.show();
        }
        d.pick(1, c.chosen);
        d.pick(2, c.baud);
        d.port.failOpenWith = busy;
        d.confirm();
        EXPECT_EQ(d.rec.texts, QStringList{c.message}) << c.chosen;
        EXPECT_EQ(d.port.PortOpen(), c.stillOpen) << c.chosen;
        if (c.stillOpen) {
            EXPECT_EQ(d.port.CommPort(), PlatformPortName(1));
            EXPECT_EQ(d.port.Settings(), "9600,n,8,1");
        }
        EXPECT_TRUE(d.dlg.isVisible());

        // Once the port is free a second press opens it.
        d.port.failOpenWith.clear();
        d.confirm();
        EXPECT_TRUE(d.port.PortOpen());
        EXPECT_EQ(d.rec.texts.last(), "串口初始化成功！");
    }
}

// A control character in a port name or typed text is shown written out,
// never as a line break in the message box.
TEST(ComDialog, ControlCharactersInMessagesAreShownEscaped)
{
    const std::tuple<int, QString, QString> cases[] = {
        {1, "/dev/kz\nport", "无法打开串口 /dev/kz\\nport：找不到该串口"},
        {1, "/dev/kz\t\x01\x7fx", "无法打开串口 /dev/kz\\t\\x01\\x7Fx：找不到该串口"},
        {2, "96\n00", "波特率“96\\n00”不是列表中的选项，请从列表中选择！"},
    };
    for (const auto &[list, text, message] : cases) {
        Dialog d;
        d.port.failOpenWith = "找不到该串口";
        d.type(list, text);
        d.confirm();
        EXPECT_EQ(d.rec.texts, QStringList{message}) << text.toStdString();
    }
}

TEST(ComDialog, ExtraAndSystemPortsAreOfferedOnceEach)
{
    FakePortControl port;
    PortDialog dlg(port);
    ui::RecordedMessages rec;
    dlg.SystemPorts = [] {
        return QList<PortChoice>{{PlatformPortName(1), "duplicate of COM1"},
                                 {"/dev/ttyUSB0", "/dev/ttyUSB0 (USB Serial)"}};
    };
    dlg.AddPortName("/dev/pts/7", "/dev/pts/7 (模拟仪表)");
    dlg.AddPortName("/dev/ttyUSB0"); // already offered by the system
    dlg.SetDefaultPort("/dev/pts/7");
    dlg.show();

    auto *ports = dlg.findChild<QComboBox *>("ComboBox1");
    EXPECT_EQ(items(ports), QStringList({"COM1", "COM2", "COM3", "COM4", "/dev/ttyUSB0 (USB Serial)",
                                         "/dev/pts/7 (模拟仪表)"}));
    EXPECT_EQ(ports->currentText(), "/dev/pts/7 (模拟仪表)");
    dlg.findChild<QPushButton *>("BitBtn1")->click();
    EXPECT_EQ(port.CommPort(), "/dev/pts/7");

    // The bare name of an item offered under a longer label selects it too.
    dlg.show();
    ports->lineEdit()->setText("/dev/ttyUSB0");
    dlg.findChild<QPushButton *>("BitBtn1")->click();
    EXPECT_EQ(port.CommPort(), "/dev/ttyUSB0");

    // A port added while the dialog is open appears at once and keeps the
    // user's current choice.
    dlg.show();
    ports->setCurrentIndex(2);
    dlg.AddPortName("/dev/pts/9");
    EXPECT_EQ(ports->itemText(ports->count() - 1), "/dev/pts/9");
    EXPECT_EQ(ports->currentText(), "COM3");
}

// ------------------------------------------------------------ real pty

#ifdef Q_OS_UNIX
namespace {
struct Pty {
    int master = -1;
    QString slave;
    Pty()
    {
        int s = -1;
        char name[256] = {};
        if (openpty(&master, &s, name, nullptr, nullptr) == 0) {
            slave = QString::fromLocal8Bit(name);
            ::close(s);
            ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~Pty()
    {
        if (master >= 0)
            ::close(master);
    }
    QByteArray read()
    {
        QByteArray out;
        char buf[256];
        for (;;) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            out.append(buf, static_cast<int>(n));
        }
        return out;
    }
};
} // namespace

TEST(ComDialogPty, OpensAPseudoTerminalGivenAsExtraPort)
{
    Pty pty;
    ASSERT_FALSE(pty.slave.isEmpty()) << "openpty failed";
    QtSerialPortControl port;
    PortDialog dlg(port);
    dlg.SystemPorts = {};
    ui::RecordedMessages rec;
    dlg.AddPortName(pty.slave); // as --port does
    dlg.show();
    auto *ports = dlg.findChild<QComboBox *>("ComboBox1");
    ports->setCurrentIndex(ports->findData(pty.slave));
    dlg.findChild<QPushButton *>("BitBtn1")->click();
    ASSERT_EQ(rec.texts, QStringList{"串口初始化成功！"});
    ASSERT_TRUE(port.PortOpen());
    EXPECT_EQ(port.CommPort(), pty.slave);

    // Bytes both ways.
    ASSERT_TRUE(port.Output(Hex("01 03 00 50 00 0A C5 DC")));
    QByteArray got;
    ASSERT_TRUE(WaitFor([&] {
        got += pty.read();
        return got.size() >= 8;
    }));
    EXPECT_EQ(ToHex(got), "01 03 00 50 00 0A C5 DC");
    QSignalSpy comm(&port, &SerialPortControl::OnComm);
    const QByteArray reply = Hex("01 03 02 12 34");
    ASSERT_EQ(::write(pty.master, reply.constData(), reply.size()), reply.size());
    ASSERT_TRUE(WaitFor([&] { return port.InBufferCount() >= 5; }));
    EXPECT_GE(comm.count(), 1);
    EXPECT_EQ(port.Input(), reply);
    port.SetPortOpen(false);
}

// Which offered settings a pseudo-terminal takes: every baud rate (14400 is
// set as a custom rate), parity and data bits open; 1.5 stop bits is refused
// by the port control with a message naming the port, and the dialog stays.
TEST(ComDialogPty, OfferedSettingsOnAPseudoTerminal)
{
    Pty pty;
    ASSERT_FALSE(pty.slave.isEmpty()) << "openpty failed";
    QtSerialPortControl port;
    PortDialog dlg(port);
    dlg.SystemPorts = {};
    dlg.AddPortName(pty.slave);
    ui::RecordedMessages rec;
    auto pick = [&](int n, const QString &text) {
        auto *box = dlg.findChild<QComboBox *>(QStringLiteral("ComboBox%1").arg(n));
        box->setCurrentIndex(n == 1 ? box->findData(text) : box->findText(text));
    };
    const char *bauds[] = {"1200", "2400", "4800", "9600", "14400", "19200"};
    for (const char *baud : bauds) {
        for (const char *parity : {"无", "奇校验", "偶校验"}) {
            dlg.show();
            rec.texts.clear();
            pick(1, pty.slave);
            pick(2, baud);
            pick(4, "7");
            pick(5, QString::fromUtf8(parity));
            pick(3, "2");
            dlg.findChild<QPushButton *>("BitBtn1")->click();
            EXPECT_EQ(rec.texts, QStringList{"串口初始化成功！"}) << baud << parity;
            EXPECT_TRUE(port.PortOpen());
        }
    }

    // Refused before the device is touched: the port stays open as it was.
    dlg.show();
    rec.texts.clear();
    pick(1, pty.slave);
    pick(3, "1.5");
    dlg.findChild<QPushButton *>("BitBtn1")->click();
    EXPECT_TRUE(port.PortOpen());
    EXPECT_EQ(port.Settings(), "19200,e,7,2");
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(rec.texts.size(), 1);
    EXPECT_TRUE(rec.texts[0].startsWith("无法打开串口 " + pty.slave)) << rec.texts[0].toStdString();
    EXPECT_TRUE(rec.texts[0].contains("1.5")) << rec.texts[0].toStdString();
    EXPECT_TRUE(rec.texts[0].endsWith("\n原串口 " + pty.slave + " 仍保持打开。")) << rec.texts[0].toStdString();
}

// A failed choice leaves the pseudo-terminal in use working; another one
// replaces it (its replies arrive), and the same one reopens with other
// settings.
TEST(ComDialogPty, AFailedChoiceLeavesThePortInUseWorking)
{
    Pty a, b;
    ASSERT_FALSE(a.slave.isEmpty() || b.slave.isEmpty()) << "openpty failed";
    QtSerialPortControl port;
    PortDialog dlg(port);
    dlg.SystemPorts = {};
    ui::RecordedMessages rec;
    const QByteArray reply = Hex("01 03 02 12 34");
    const std::tuple<QString, const char *, Pty *, QString> steps[] = {
        {a.slave, "9600", &a, "串口初始化成功！"},
        {"/dev/kz-no-such-port", "9600", &a, "无法打开串口 /dev/kz-no-such-port：找不到该串口"},
        {b.slave, "4800", &b, "串口初始化成功！"},
        {b.slave, "19200", &b, "串口初始化成功！"},
    };
    for (const auto &[name, baud, inUse, message] : steps) {
        dlg.show();
        rec.texts.clear();
        dlg.findChild<QComboBox *>("ComboBox1")->lineEdit()->setText(name);
        auto *bauds = dlg.findChild<QComboBox *>("ComboBox2");
        bauds->setCurrentIndex(bauds->findText(baud));
        dlg.findChild<QPushButton *>("BitBtn1")->click();
        ASSERT_EQ(rec.texts.size(), 1);
        EXPECT_TRUE(rec.texts[0].startsWith(message)) << rec.texts[0].toStdString();
        ASSERT_TRUE(port.PortOpen()) << name.toStdString();
        EXPECT_EQ(port.CommPort(), inUse->slave);
        QSignalSpy comm(&port, &SerialPortControl::OnComm);
        ASSERT_EQ(::write(inUse->master, reply.constData(), reply.size()), reply.size());
        EXPECT_TRUE(comm.wait(2000)) << name.toStdString();
        QByteArray got;
        EXPECT_TRUE(WaitFor([&] { return (got += port.Input()).size() >= reply.size(); })) << name.toStdString();
    }
    EXPECT_EQ(port.Settings(), "19200,n,8,1");
    port.SetPortOpen(false);
}

#else
// Windows has no pseudo-terminal to play the instrument on.
TEST(ComDialogPty, OpensAPseudoTerminalGivenAsExtraPort) { KZ_NEEDS_PTY(); }
TEST(ComDialogPty, OfferedSettingsOnAPseudoTerminal) { KZ_NEEDS_PTY(); }
TEST(ComDialogPty, AFailedChoiceLeavesThePortInUseWorking) { KZ_NEEDS_PTY(); }
#endif

TEST(ComDialogPty, MissingDeviceIsReportedWithItsName)
{
    QtSerialPortControl port;
    PortDialog dlg(port);
    dlg.SystemPorts = {};
    ui::RecordedMessages rec;
    dlg.show();
    dlg.findChild<QComboBox *>("ComboBox1")->lineEdit()->setText("/dev/kz-no-such-port");
    dlg.findChild<QPushButton *>("BitBtn1")->click();
    EXPECT_FALSE(port.PortOpen());
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(rec.texts.size(), 1);
    EXPECT_TRUE(rec.texts[0].startsWith("无法打开串口 /dev/kz-no-such-port：找不到该串口"))
        << rec.texts[0].toStdString();
}

// ---- 网络: a gateway on the network ----

namespace {
struct NetDialog : Dialog {
    QRadioButton *kind(const char *name) { return dlg.findChild<QRadioButton *>(name); }
    QLineEdit *edit(const char *name) { return dlg.findChild<QLineEdit *>(name); }
    QComboBox *mode() { return dlg.findChild<QComboBox *>("NetMode"); }
    void fill(const QString &host, const QString &netPort, int modeIndex = 0)
    {
        kind("KindNetwork")->click();
        mode()->setCurrentIndex(modeIndex);
        edit("NetHost")->setText(host);
        edit("NetPort")->setText(netPort);
    }
};
} // namespace

TEST(ComDialogNetwork, BadHostOrPortIsRefusedWithAMessageAndNothingOpened)
{
    const std::tuple<const char *, const char *, const char *> cases[] = {
        {"", "502", "请输入网关的主机名或 IP 地址！"},
        {"bad host", "502", "主机名“bad host”格式错误！请输入主机名、IPv4 地址或 IPv6 地址。"},
        {"300.1.2.3", "502", "IPv4 地址“300.1.2.3”格式错误！请输入主机名、IPv4 地址或 IPv6 地址。"},
        {"fe80::1::2", "502", "IPv6 地址“fe80::1::2”格式错误！请输入主机名、IPv4 地址或 IPv6 地址。"},
        {"gw1", "", "请输入端口号！"},
        {"gw1", "0", "端口号“0”无效！应为 1～65535 的整数。"},
        {"gw1", "65536", "端口号“65536”无效！应为 1～65535 的整数。"},
        {"gw1", "50 2", "端口号“50 2”无效！应为 1～65535 的整数。"},
    };
    for (const auto &[host, netPort, message] : cases) {
        NetDialog d;
        d.fill(QString::fromUtf8(host), QString::fromUtf8(netPort));
        d.confirm();
        EXPECT_EQ(d.rec.texts, QStringList{QString::fromUtf8(message)});
        EXPECT_FALSE(d.port.PortOpen());
        EXPECT_TRUE(d.dlg.isVisible());
    }
}

TEST(ComDialogNetwork, OpensTheGatewayAndComesBackOnItsChoice)
{
    NetDialog d;
    // Serial until the user picks 网络; only the chosen kind's rows show.
    EXPECT_TRUE(d.kind("KindSerial")->isChecked());
    EXPECT_FALSE(d.edit("NetHost")->isVisible());
    EXPECT_TRUE(d.list(1)->isVisible());
    d.fill(" fd00::7 ", "1502", 1);
    EXPECT_TRUE(d.edit("NetHost")->isVisible());
    EXPECT_FALSE(d.list(1)->isVisible());
    d.confirm();
    EXPECT_EQ(d.port.CommPort(), "mbtcp://[fd00::7]:1502");
    EXPECT_TRUE(d.port.PortOpen());
    EXPECT_EQ(d.rec.texts, QStringList{"网络连接成功！"});
    EXPECT_FALSE(d.dlg.isVisible());

    // Shown again: on 网络, with the choice in the fields; the serial lists
    // are at their defaults.
    d.dlg.show();
    EXPECT_TRUE(d.kind("KindNetwork")->isChecked());
    EXPECT_EQ(d.mode()->currentText(), "Modbus TCP");
    EXPECT_EQ(d.edit("NetHost")->text(), "fd00::7");
    EXPECT_EQ(d.edit("NetPort")->text(), "1502");
    EXPECT_EQ(d.list(2)->currentText(), "9600");

    // A failure names the connection kept.
    d.port.failOpenWith = QStringLiteral("无法连接 tcp://gw2:4001：连接被拒绝 (Connection refused)");
    d.fill("gw2", "4001", 0);
    d.confirm();
    EXPECT_EQ(d.rec.texts.last(), "无法连接 tcp://gw2:4001：连接被拒绝 (Connection refused)\n"
                                  "原连接 mbtcp://[fd00::7]:1502 仍保持打开。");
}

TEST(ComDialogNetwork, NewControlsAreReachedByTabAndNamedWithTheirCaption)
{
    NetDialog d;
    d.kind("KindNetwork")->click();
    const std::pair<QWidget *, QString> named[] = {{d.kind("KindSerial"), "串口"},
                                                   {d.kind("KindNetwork"), "网络 (TCP)"},
                                                   {d.mode(), "网络模式"},
                                                   {d.edit("NetHost"), "主机"},
                                                   {d.edit("NetPort"), "端口"}};
    const auto labels = d.dlg.findChildren<QLabel *>();
    for (const auto &[w, caption] : named) {
        EXPECT_TRUE(w->accessibleName().contains(caption)) << caption.toStdString();
        EXPECT_NE(w->focusPolicy() & Qt::TabFocus, 0) << caption.toStdString();
        if (qobject_cast<QRadioButton *>(w))
            continue;
        bool labelled = false;
        for (const QLabel *l : labels)
            labelled |= l->buddy() == w && l->text() == caption + "：";
        EXPECT_TRUE(labelled) << caption.toStdString();
    }
}
