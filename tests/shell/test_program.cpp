// Start-up: the command line, the windows created and registered in order,
// the real windows reached from the main window, and demo mode wiring the
// simulator's port into the port settings dialog.
#include "shell/portdialog.h"
#include "ui/replyrouter.h"
#include "tests/support/fakeport.h"
#include "ui/familywindow.h"
#include "ui/messagebox.h"
#include "shell/demo.h"
#include "shell/mainwindow.h"
#include "shell/programwindows.h"
#include "shell/trafficmonitor.h"
#include "shell/program.h"
#include "tests/support/testutil.h"

#include <QAction>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

TEST(Options, CommandLine)
{
    QString msg;
    bool help = false;
    auto o = ParseOptions({"kzdebug", "--port", "/dev/ttyUSB0", "--demo", "--port=/dev/pts/3"}, &msg, &help);
    ASSERT_TRUE(o) << msg.toStdString();
    EXPECT_EQ(o->ports, QStringList({"/dev/ttyUSB0", "/dev/pts/3"}));
    EXPECT_TRUE(o->demo);

    o = ParseOptions({"kzdebug"}, &msg);
    ASSERT_TRUE(o);
    EXPECT_TRUE(o->ports.isEmpty());
    EXPECT_FALSE(o->demo);

    EXPECT_FALSE(ParseOptions({"kzdebug", "--bogus"}, &msg, &help));
    EXPECT_FALSE(help);
    EXPECT_TRUE(msg.contains("bogus"));
    EXPECT_FALSE(ParseOptions({"kzdebug", "--port"}, &msg, &help)); // missing value
    EXPECT_FALSE(ParseOptions({"kzdebug", "stray"}, &msg, &help));
    EXPECT_FALSE(ParseOptions({"kzdebug", "--help"}, &msg, &help));
    EXPECT_TRUE(help);
    EXPECT_TRUE(msg.contains("--demo"));
    EXPECT_FALSE(ParseOptions({"kzdebug", "--version"}, &msg, &help));
    EXPECT_TRUE(help);
    EXPECT_EQ(msg, "kzdebug 0.1\n");

    // Gateways on the network: checked before anything starts.
    o = ParseOptions({"kzdebug", "--port", "mbtcp://[::1]:502", "--port", "tcp://gw:4001"}, &msg);
    ASSERT_TRUE(o) << msg.toStdString();
    EXPECT_EQ(o->ports, QStringList({"mbtcp://[::1]:502", "tcp://gw:4001"}));
    EXPECT_FALSE(ParseOptions({"kzdebug", "--port", "tcp://gw:70000"}, &msg, &help));
    EXPECT_FALSE(help);
    EXPECT_TRUE(msg.startsWith("--port tcp://gw:70000: 端口号“70000”无效")) << msg.toStdString();
}

// --help and --version need no window system (over SSH, in scripts).
TEST(Options, HelpAndVersionWorkWithoutADisplay)
{
    for (const char *option : {"--help", "--version"}) {
        QProcess kzdebug;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        kzdebug.setProcessEnvironment(env);
        kzdebug.start(KZDEBUG_PATH, {option});
        ASSERT_TRUE(kzdebug.waitForFinished(10000)) << option;
        EXPECT_EQ(kzdebug.exitStatus(), QProcess::NormalExit) << option;
        EXPECT_EQ(kzdebug.exitCode(), 0) << option;
        EXPECT_TRUE(kzdebug.readAllStandardOutput().contains("kzdebug")) << option;
    }
}

TEST(Program, CreatesTheWindowsInOrderAndOpensThemFromTheMainWindow)
{
    FakePortControl port;
    ui::RecordedMessages rec;
    Program program(port, Options{});
    // Every listed window, in the lists' order: the program-wide ones, then
    // each family's.
    QStringList listed{"MainWindow"};
    for (const ui::WindowList &list : ProgramWindowLists())
        for (const ui::WindowEntry &e : list.windows)
            listed << QLatin1String(e.className);
    const QStringList &created = program.Created();
    EXPECT_EQ(created, listed);
    EXPECT_EQ(created[1], "PortDialog");
    for (const QString &c : created)
        EXPECT_TRUE(program.Main().Window(c)) << c.toStdString();
    EXPECT_TRUE(created.contains("AddressScanWindow"));
    EXPECT_TRUE(created.contains("WiringWindow"));
    // The traffic monitor (and the trend, where built) are windows of the
    // program-wide list like any other.
    EXPECT_EQ(program.Main().Window("TrafficMonitor"), static_cast<QWidget *>(&program.Monitor()));
    EXPECT_EQ(program.Main().Window("TrendWindow"), program.Trend());
    // A registration line says what the window is: its caption, the return
    // button it closes by with its family and, for a family window, its
    // object name and the family whose replies it takes.
    for (const ui::WindowList &list : ProgramWindowLists())
        for (const ui::WindowEntry &e : list.windows) {
            QWidget *w = program.Main().Window(QLatin1String(e.className));
            ASSERT_TRUE(w) << e.className;
            if (e.title) {
                EXPECT_EQ(w->windowTitle(), QString::fromUtf8(e.title)) << e.className;
            }
            if (e.returnButton) {
                EXPECT_TRUE(w->findChild<QPushButton *>(QLatin1String(e.returnButton))) << e.className;
            }
            if (auto *fw = qobject_cast<FamilyWindow *>(w)) {
                EXPECT_EQ(fw->objectName(), QLatin1String(e.className));
                if (list.family) {
                    EXPECT_EQ(fw->WindowFamily(), list.family) << e.className;
                }
            }
        }

    program.Start();
    MainWindow &w = program.Main();
    EXPECT_TRUE(w.isVisible());
    // The title bar shows the icon the desktop entry installs, at menu and
    // title-bar sizes alike (the resources hold every size).
    EXPECT_EQ(w.windowIcon().availableSizes().size(), 8);
    EXPECT_FALSE(w.windowIcon().pixmap(16).isNull());
    EXPECT_EQ(w.windowIcon().cacheKey(), w.Window("AddressScanWindow")->windowIcon().cacheKey());
    w.findChild<QPushButton *>("BitBtn1")->click();
    EXPECT_TRUE(program.ComDialog().isVisible());

    w.findChild<QPushButton *>("BitBtn2")->click();
    EXPECT_TRUE(w.Window("AddressScanWindow")->isVisible());
    EXPECT_EQ(ReplyRouter::Of(program.Link()).Holder(Family::ThreePhase), w.Window("AddressScanWindow"));

    if (QWidget *measure = w.Window("threephase::MeasurementWindow")) {
        // Opening the measurement window presses the scan window's return.
        w.findChild<QAction *>("N1")->trigger();
        EXPECT_TRUE(measure->isVisible());
        EXPECT_FALSE(w.Window("AddressScanWindow")->isVisible());
        EXPECT_EQ(ReplyRouter::Of(program.Link()).Holder(Family::ThreePhase), measure);
    }

    w.findChild<QAction *>("KZ5500E1")->trigger();
    w.findChild<QPushButton *>("BitBtn5")->click();
    EXPECT_TRUE(w.Window("WiringWindow")->isVisible());

    w.findChild<QPushButton *>("BitBtn6")->click();
    EXPECT_FALSE(w.Window("WiringWindow")->isVisible());
    EXPECT_FALSE(program.ComDialog().isVisible());
    EXPECT_TRUE(rec.texts.isEmpty());
}

TEST(Program, PortsFromTheCommandLineAreOfferedFirstOneByDefault)
{
    FakePortControl port;
    Options o;
    o.ports = QStringList{"/dev/ttyUSB5", "/dev/ttyACM0"};
    Program program(port, o);
    PortDialog &dlg = program.ComDialog();
    dlg.SystemPorts = {};
    dlg.show();
    auto *list = dlg.findChild<QComboBox *>("ComboBox1");
    EXPECT_EQ(list->currentText(), "/dev/ttyUSB5");
    EXPECT_GE(list->findText("/dev/ttyACM0"), 0);
}

TEST(Program, AGatewayFromTheCommandLineFillsTheNetworkChoice)
{
    FakePortControl port;
    Options o;
    o.ports = QStringList{"tcp://10.1.0.13:4001", "/dev/ttyUSB5"};
    Program program(port, o);
    PortDialog &dlg = program.ComDialog();
    dlg.SystemPorts = {};
    dlg.show();
    EXPECT_TRUE(dlg.findChild<QRadioButton *>("KindNetwork")->isChecked());
    EXPECT_EQ(dlg.findChild<QLineEdit *>("NetHost")->text(), "10.1.0.13");
    EXPECT_EQ(dlg.findChild<QLineEdit *>("NetPort")->text(), "4001");
    auto *list = dlg.findChild<QComboBox *>("ComboBox1");
    EXPECT_EQ(list->findText("tcp://10.1.0.13:4001"), -1) << "no serial list item";
    EXPECT_GE(list->findText("/dev/ttyUSB5"), 0);
}

TEST(Program, DemoModeOffersTheSimulatorsPortAsDefault)
{
    KZ_NEEDS_POSIX("a /bin/sh script playing the simulator");
    QTemporaryDir dir;
    const QString sim = WriteShellScript(dir.filePath("kzsim"), "echo 'PTY /dev/pts/kz-demo'\nexec sleep 30");
    FakePortControl port;
    ui::RecordedMessages rec;
    Options o;
    o.demo = true;
    Program program(port, o);
    program.ComDialog().SystemPorts = {};
    program.Start(sim);
    ASSERT_TRUE(program.Demo());
    ASSERT_TRUE(WaitFor([&] { return !program.Demo()->PtyPath().isEmpty(); }, 5000));
    const qint64 pid = program.Demo()->ProcessId();
    EXPECT_GT(pid, 0);

    program.Main().findChild<QPushButton *>("BitBtn1")->click();
    auto *list = program.ComDialog().findChild<QComboBox *>("ComboBox1");
    EXPECT_EQ(list->currentText(), "/dev/pts/kz-demo (模拟仪表)");
    program.ComDialog().findChild<QPushButton *>("BitBtn1")->click();
    EXPECT_EQ(port.CommPort(), "/dev/pts/kz-demo");
    EXPECT_EQ(rec.texts, QStringList{"串口初始化成功！"});
}

#ifdef Q_OS_WIN
// Windows has no pseudo-terminals: the demo's simulator is a Modbus TCP
// gateway on this computer, preset on the dialog's network page.
TEST(Program, DemoModeOnWindowsPresetsTheSimulatorsGateway)
{
    FakePortControl port;
    ui::RecordedMessages rec;
    Options o;
    o.demo = true;
    Program program(port, o);
    program.ComDialog().SystemPorts = {};
    program.Start(QStringLiteral(KZSIM_PATH));
    ASSERT_TRUE(program.Demo());
    ASSERT_TRUE(WaitFor([&] { return !program.Demo()->PtyPath().isEmpty() || !rec.texts.isEmpty(); }, 10000));
    ASSERT_TRUE(rec.texts.isEmpty()) << rec.texts.join('\n').toStdString();
    const QUrl gateway(program.Demo()->PtyPath());
    EXPECT_EQ(gateway.scheme(), "mbtcp");
    EXPECT_EQ(gateway.host(), "127.0.0.1");
    program.Main().findChild<QPushButton *>("BitBtn1")->click();
    PortDialog &dlg = program.ComDialog();
    EXPECT_TRUE(dlg.findChild<QRadioButton *>("KindNetwork")->isChecked());
    EXPECT_EQ(dlg.findChild<QLineEdit *>("NetHost")->text(), "127.0.0.1");
    EXPECT_EQ(dlg.findChild<QLineEdit *>("NetPort")->text(), QString::number(gateway.port()));
    EXPECT_EQ(dlg.findChild<QComboBox *>("NetMode")->currentText(), "Modbus TCP");
    dlg.hide();
}
#endif

TEST(Program, DemoModeWithoutTheSimulatorSaysSoAndCarriesOn)
{
    FakePortControl port;
    ui::RecordedMessages rec;
    Options o;
    o.demo = true;
    Program program(port, o);
    program.Start("/nonexistent/kzsim");
    ASSERT_TRUE(WaitFor([&] { return !rec.texts.isEmpty(); }));
    EXPECT_EQ(rec.texts, QStringList{"找不到模拟仪表程序 /nonexistent/kzsim，演示模式不可用。"});
    EXPECT_TRUE(program.Main().isVisible());
    program.Main().findChild<QPushButton *>("BitBtn1")->click();
    EXPECT_EQ(program.ComDialog().findChild<QComboBox *>("ComboBox1")->currentText(), "COM1");
}

// Every control of every window can be found by its object name, reached by
// the keyboard and named for assistive technology.
TEST(Program, EveryWindowsControlsAreNamedLabelledAndReachable)
{
    FakePortControl port;
    ui::RecordedMessages rec;
    Program program(port, Options{});
    for (const QString &className : program.Created()) {
        QWidget *window = program.Main().Window(className);
        QSet<QString> buddied;
        for (QLabel *label : window->findChildren<QLabel *>())
            if (label->buddy())
                buddied.insert(label->buddy()->objectName());
        QSet<QString> names;
        const auto controls = window->findChildren<QWidget *>();
        for (QWidget *c : controls) {
            const bool input = qobject_cast<QAbstractButton *>(c) || qobject_cast<QLineEdit *>(c) ||
                               qobject_cast<QAbstractSpinBox *>(c) || qobject_cast<QComboBox *>(c);
            if (!input || qobject_cast<QComboBox *>(c->parent()) || qobject_cast<QAbstractSpinBox *>(c->parent()) ||
                c->objectName().startsWith("qt_"))
                continue;
            const QString where = className + "/" + c->metaObject()->className() + " " + c->objectName();
            EXPECT_FALSE(c->objectName().isEmpty()) << where.toStdString();
            EXPECT_FALSE(names.contains(c->objectName())) << "twice: " << where.toStdString();
            names.insert(c->objectName());
            const auto *button = qobject_cast<QAbstractButton *>(c);
            const bool named = !c->accessibleName().isEmpty() || (button && !button->text().isEmpty()) ||
                               buddied.contains(c->objectName());
            EXPECT_TRUE(named) << "no name: " << where.toStdString();
            EXPECT_NE(c->focusPolicy(), Qt::NoFocus) << where.toStdString();
        }
    }
}
