#include "kz827/calibrationwindow.h"

#include "core/tr.h"

#include "ui/displayvalue.h"
#include "ui/calibrationwindow.h"
#include "core/codecs.h"
#include "ui/lamp.h"
#include "ui/messagebox.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace kz827 {

namespace cal = kz827::calibration;

namespace {
const char *const kBusy = calib::msg::kBusy;

// What the record calls a command.
QString CommandName(std::uint8_t subCommand)
{
    static const std::pair<std::uint8_t, const char *> kNames[] = {
        {cal::kVoltageZero, QT_TRANSLATE_NOOP("kz", "电压零电平校准")},
        {cal::kCurrentZero, QT_TRANSLATE_NOOP("kz", "电流零电平校准")},
        {cal::kVoltageClear, QT_TRANSLATE_NOOP("kz", "电压零电平清零")},
        {cal::kCurrentClear, QT_TRANSLATE_NOOP("kz", "电流零电平清零")},
    };
    for (const auto &[command, name] : kNames)
        if (command == subCommand)
            return QString::fromUtf8(name);
    return QStringLiteral(QT_TRANSLATE_NOOP("kz", "写入"));
}

// A sub-command that writes an item's coefficient.
bool IsWrite(std::uint8_t subCommand)
{
    return subCommand >= cal::WriteCommand(0) && subCommand <= cal::WriteCommand(cal::kItems - 1);
}

} // namespace

CalibrationWindow::CalibrationWindow(SerialLink &link, QWidget *parent)
    : CalibrationBenchWindow(link, Family::Kz827, "kz827::CalibrationWindow", parent)
{
    const PowerReadOuts readOuts = MakePowerReadOuts(this, 8);
    QFrame *area = readOuts.panel;
    power_ = readOuts.power;
    voltage_ = readOuts.voltage;
    current_ = readOuts.current;

    // Zero level: calibrate and clear for voltage and current.
    auto *zero = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "零电平")), this);
    zero->setObjectName("GroupBox1");
    auto *zeroGrid = new QGridLayout(zero);
    struct Zero {
        const char *label;
        const char *calibrate;
        const char *clear;
        std::uint8_t calibrateCommand;
        std::uint8_t clearCommand;
    };
    const Zero zeros[] = {{QT_TRANSLATE_NOOP("kz", "电压零电平："), "BitBtn3", "BitBtn4", cal::kVoltageZero, cal::kVoltageClear},
                          {QT_TRANSLATE_NOOP("kz", "电流零电平："), "BitBtn6", "BitBtn7", cal::kCurrentZero, cal::kCurrentClear}};
    int row = 0;
    for (const Zero &z : zeros) {
        const QString what = QString::fromUtf8(z.label).chopped(1);
        auto *label = new QLabel(QString::fromUtf8(z.label), zero);
        QPushButton *calibrate = MakeButton(QLatin1String(z.calibrate), QStringLiteral(QT_TRANSLATE_NOOP("kz", "校   准")),
                                            [this, c = z.calibrateCommand] { sendCommand(c); });
        QPushButton *clear = MakeButton(QLatin1String(z.clear), QStringLiteral(QT_TRANSLATE_NOOP("kz", "清   零")),
                                        [this, c = z.clearCommand] { sendCommand(c); });
        calibrate->setAccessibleName(what + QStringLiteral(QT_TRANSLATE_NOOP("kz", "校准")));
        clear->setAccessibleName(what + QStringLiteral(QT_TRANSLATE_NOOP("kz", "清零")));
        label->setBuddy(calibrate);
        zeroGrid->addWidget(label, row, 0);
        zeroGrid->addWidget(calibrate, row, 1);
        zeroGrid->addWidget(clear, row, 2);
        ++row;
    }

    QStringList items;
    for (int i = 0; i < cal::kItems; ++i)
        items.append(cal::ItemText(i));
    MakeBench(QStringLiteral(QT_TRANSLATE_NOOP("kz", "地址：")), "GroupBox2", items, [this] { resetCoefficient(); }, [this] { onItemChosen(); });

    readButton_ = MakeButton("BitBtn5", cyclicRead_.Caption(), [this] { toggleReading(); });
    auto *buttons = MakeRow({readButton_, MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "计  算")), [this] { compute(); }),
                             MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "写  入")), [this] { write(); }),
                             MakeButton("SaveRecord", QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存记录")), [this] { calib::SaveRecord(this, record_); }),
                             MakeButton("Exit", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); })});

    auto *steps = new QLabel(kz::Tr(QT_TRANSLATE_NOOP("kz", "操作步骤：一、先对电压、电流的零点进行清零然后再对零点进行校准。二、按下[读启用]，待数据稳定后（标准表\n"
                                            "数据窗口中的数据和监视表数据的误差应在0.05%）－－＞按下[读停止]－－＞按下[计算]－－＞按下[写入]，该参\n"
                                            "数校验完成,重复以上过程直至所有参数全部校完。")),
                             this);
    steps->setObjectName("StaticText10");

    auto *left = new QVBoxLayout;
    left->addWidget(area);
    left->addWidget(zero);
    left->addLayout(readRow_);
    left->addLayout(edits_);
    auto *middle = new QHBoxLayout;
    middle->addLayout(left);
    middle->addWidget(listBox_);

    MakeColumn({middle, buttons,
                MakeGuidedPanel(cal::DefaultPlan, protocol_, [this] { return cyclicRead_.Reading(); },
                                // The run's reads show as the manual ones do.
                                [this](const QByteArray &reply) { showRead(reply); }),
                steps});

    timer_ = MakeTimer(500, [this] { onTick(); });
    // After a lost port the display keeps the last values, marked as stopped.
    readRow_->insertWidget(readRow_->count() - 1, WatchPoll(timer_, {voltage_, current_, power_}));

}

void CalibrationWindow::onClose()
{
    // Closing ends continuous reading and a guided run altogether, so the
    // window opens again ready to read, write and zero.
    guided_->Stop();
    stopReading();
}

void CalibrationWindow::PortLost()
{
    stopReading();
}

void CalibrationWindow::stopReading()
{
    timer_->stop();
    if (!cyclicRead_.Reading())
        return;
    cyclicRead_.Stop();
    QPalette palette = readButton_->palette();
    palette.setColor(QPalette::ButtonText, palette.color(QPalette::Link));
    readButton_->setPalette(palette);
    readButton_->setText(cyclicRead_.Caption());
}

bool CalibrationWindow::sendRead()
{
    const auto address = static_cast<std::uint8_t>(address_->value());
    return Ask(cal::Request(address, cal::kRead), [this](const modbus::Exchange &exchange) { take(exchange.reply); });
}

void CalibrationWindow::toggleReading()
{
    if (GuidedBusy())
        return;
    if (cyclicRead_.Reading()) {
        stopReading();
        return;
    }
    // A read the link refuses (another family chosen) starts nothing.
    if (!sendRead() || !cyclicBox_->isChecked()) {
        timer_->stop();
        return;
    }
    timer_->start();
    QPalette palette = readButton_->palette();
    palette.setColor(QPalette::ButtonText, Qt::red);
    readButton_->setPalette(palette);
    cyclicRead_.Start();
    readButton_->setText(cyclicRead_.Caption());
}

void CalibrationWindow::onTick()
{
    if (!HoldsReplies()) {
        stopReading();
        return;
    }
    if (ReadTick())
        sendRead();
}

bool CalibrationWindow::commandRefused()
{
    if (GuidedBusy())
        return true;
    if (!cyclicRead_.Reading())
        return false;
    ui::ShowMessage(this, QString::fromUtf8(kBusy));
    return true;
}

void CalibrationWindow::sendCommand(std::uint8_t subCommand, std::uint32_t data)
{
    if (commandRefused())
        return;
    const auto address = static_cast<std::uint8_t>(address_->value());
    const auto answered = [this, subCommand, data](const modbus::Exchange &exchange) {
        take(exchange.reply, Command{subCommand, data});
    };
    if (!Ask(cal::Request(address, subCommand, data), answered))
        return;
    const bool write = IsWrite(subCommand);
    addRow(write ? subCommand - 1 : 0, CommandName(subCommand), write ? reference_->text() : QString(), std::nullopt,
           write ? calib::WordText(data) : QString(), QString());
}

void CalibrationWindow::write()
{
    if (commandRefused())
        return;
    const int item = points_->currentRow();
    if (item < 0) {
        ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "请选择待校验的参数！！")));
        return;
    }
    if (word_->text().isEmpty()) {
        ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "校验数据窗口不能为空！！")));
        return;
    }
    const auto data = cal::CoefficientData(word_->text());
    if (!data) {
        ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "校验数据只能是十六进制数字（0-9，A-F）！！")));
        return;
    }
    sendCommand(cal::WriteCommand(item), *data);
}

void CalibrationWindow::onItemChosen()
{
    const int item = points_->currentRow();
    if (item < 0) {
        reference_->clear();
        return;
    }
    reference_->setText(cal::StandardDefault(item));
    word_->setText(cal::FactoryCoefficient(item));
}

void CalibrationWindow::resetCoefficient()
{
    const int item = points_->currentRow();
    if (item < 0)
        reference_->clear();
    else
        word_->setText(cal::FactoryCoefficient(item));
}

void CalibrationWindow::compute()
{
    if (reference_->text().isEmpty()) {
        ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "注意：标准表数据不能为空！！")));
        return;
    }
    const int item = points_->currentRow();
    if (item < 0)
        return;
    if (lastData_.isEmpty()) {
        ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "没有读到任何数据！请再读一次数据。")));
        return;
    }
    const cal::Quantities q = histories_.Compute();
    const cal::Computed computed = cal::ComputeCoefficient(item, reference_->text(), q);
    const double reading = item == cal::kVoltage ? q.volts : item == cal::kCurrent ? q.amps : q.watts;
    addRow(item + 1, QStringLiteral(QT_TRANSLATE_NOOP("kz", "计算")), reference_->text(), reading, computed.coefficient, computed.error);
    if (!computed.ok()) {
        ui::ShowMessage(this, computed.error);
        return;
    }
    word_->setText(computed.coefficient);
}

void CalibrationWindow::take(const QByteArray &reply, std::optional<Command> command)
{
    if (!cal::IsCalibrationFrame(reply))
        return;
    if (!cal::IsAcknowledgement(reply)) {
        showRead(reply);
        return;
    }
    lastData_ = reply.mid(5);
    // The command it answers, for the record.
    if (command) {
        const std::uint8_t sub = command->sub;
        const bool write = IsWrite(sub);
        addRow(write ? sub - 1 : 0, CommandName(sub) + QStringLiteral(QT_TRANSLATE_NOOP("kz", "确认")), QString(), std::nullopt,
               write ? calib::WordText(command->data & 0xFFFFFF) : QString(), QString());
    }
    ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "参数设置成功！！")));
}

void CalibrationWindow::showRead(const QByteArray &reply)
{
    const std::optional<cal::Reading> reading = cal::IsCalibrationFrame(reply) ? cal::DecodeRead(reply) : std::nullopt;
    if (!reading)
        return;
    lastData_ = reply.mid(5);
    histories_.Push(*reading);
    const cal::Quantities q = histories_.Compute();
    ShowValue(voltage_, FormatFixed(q.volts, 4) + QLatin1Char('V'));
    ShowValue(current_, FormatFixed(q.amps, 4) + QLatin1Char('A'));
    ShowValue(power_, FormatFixed(q.watts, 4) + QLatin1Char('W'));
}

void CalibrationWindow::addRow(int item, const QString &action, const QString &standard,
                                 std::optional<double> reading, const QString &coefficient, const QString &result)
{
    AddRecordRow(item, cal::ItemText(item - 1), action, standard, reading, coefficient, result);
}

} // namespace kz827
