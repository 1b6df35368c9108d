// The program on a Modbus TCP gateway, as a new user meets it: the gateway
// (the simulator in this process) opened through the port dialog, a
// measurement window polling, the gateway gone, one message and every poll
// stopped, and the gateway opened again through the dialog.
#include "link/portswitch.h"
#include "ui/replyrouter.h"
#include "link/qtserialport.h"
#include "link/tcpport.h"
#include "shell/mainwindow.h"
#include "shell/portdialog.h"
#include "shell/program.h"
#include "sim/tcpsimulator.h"
#include "tests/support/testutil.h"
#include "ui/messagebox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QLabel>
#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<sim::TcpSimulator> Gateway(quint16 port)
{
    auto gateway = std::make_unique<sim::TcpSimulator>(sim::TcpSimulator::Framing::Mbap);
    gateway->bus().Add(1, sim::Family::ThreePhase);
    EXPECT_TRUE(gateway->Listen(QHostAddress::LocalHost, port));
    return gateway;
}

// Opens the gateway through the dialog as a user would.
void OpenThroughDialog(PortDialog &dialog, quint16 port)
{
    dialog.show();
    dialog.findChild<QRadioButton *>("KindNetwork")->click();
    dialog.findChild<QComboBox *>("NetMode")->setCurrentIndex(1);
    dialog.findChild<QLineEdit *>("NetHost")->setText("127.0.0.1");
    dialog.findChild<QLineEdit *>("NetPort")->setText(QString::number(port));
    dialog.findChild<QPushButton *>("BitBtn1")->click();
}

} // namespace

TEST(ProgramOnAGateway, PollsStopsOnceWhenTheGatewayGoesAndReconnects)
{
    ui::RecordedMessages rec;
    PortSwitch port(new QtSerialPortControl, new TcpPortControl);
    Program program(port, Options{});
    auto gateway = Gateway(0);
    const quint16 tcpPort = gateway->Port();
    const QString name = QStringLiteral("mbtcp://127.0.0.1:%1").arg(tcpPort);

    OpenThroughDialog(program.ComDialog(), tcpPort);
    EXPECT_EQ(rec.texts, QStringList{"网络连接成功！"});
    EXPECT_EQ(port.CommPort(), name);

    ReplyRouter::Of(program.Link()).ChooseFamily(Family::ThreePhase);
    QWidget *w = program.Main().Window("threephase::MeasurementWindow");
    ASSERT_TRUE(w);
    w->show();
    auto *start = w->findChild<QPushButton *>("BitBtn1");
    auto *timer = w->findChild<QTimer *>("Timer1");
    auto *voltage = w->findChild<QLineEdit *>("Edit1");
    ASSERT_TRUE(start && timer && voltage);
    w->findChild<QSpinBox *>("SpinEdit1")->setValue(1);
    start->click();
    ASSERT_TRUE(WaitFor([&] { return gateway->RequestsSeen() >= 2 && !voltage->text().isEmpty(); }, 10000))
        << gateway->RequestsSeen() << " " << rec.texts.join("|").toStdString() << " " << voltage->text().toStdString();

    // The gateway goes away: one message with the reason, polling stops.
    gateway.reset();
    ASSERT_TRUE(WaitFor([&] { return rec.texts.size() == 2; }, 5000));
    EXPECT_TRUE(rec.texts.last().startsWith(
        QStringLiteral("网络连接 %1 已断开，已关闭该连接。请检查网关后重新打开。(对方关闭了连接").arg(name)))
        << rec.texts.last().toStdString();
    EXPECT_TRUE(rec.texts.last().endsWith("测量已停止，重新打开连接后请按“启  动”。")) << rec.texts.last().toStdString();
    EXPECT_EQ(w->findChild<QLabel *>("StoppedLabel")->text(), "已停止（连接断开）");
    // The greyed values say the same as the label beside them.
    EXPECT_EQ(voltage->accessibleDescription(), "已停止（连接断开）");
    EXPECT_FALSE(timer->isActive());
    EXPECT_FALSE(port.PortOpen());
    Pump(300);
    EXPECT_EQ(rec.texts.size(), 2);

    // Back again on the same port: the dialog reconnects and polling resumes
    // at the start control.
    gateway = Gateway(tcpPort);
    PortDialog &dialog = program.ComDialog();
    dialog.show();
    EXPECT_TRUE(dialog.findChild<QRadioButton *>("KindNetwork")->isChecked());
    EXPECT_EQ(dialog.findChild<QLineEdit *>("NetPort")->text(), QString::number(tcpPort));
    OpenThroughDialog(dialog, tcpPort);
    EXPECT_EQ(rec.texts.last(), "网络连接成功！");
    start->click();
    ASSERT_TRUE(WaitFor([&] { return gateway->RequestsSeen() >= 2; }, 10000));
}
