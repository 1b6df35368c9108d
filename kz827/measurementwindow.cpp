#include "kz827/measurementwindow.h"

#include "ui/displayvalue.h"
#include "ui/recordbutton.h"

#include "kz827/measurement.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace kz827 {

MeasurementWindow::MeasurementWindow(SerialLink &link, QWidget *parent) : FamilyWindow(link, Family::Kz827, "kz827::MeasurementWindow", parent)
{
    setWindowTitle(QStringLiteral("KZ827KVE电量测量窗口"));

    const PowerReadOuts readOuts = MakePowerReadOuts(this, 10);
    QFrame *area = readOuts.panel;
    power_ = readOuts.power;
    voltage_ = readOuts.voltage;
    current_ = readOuts.current;

    QLabel *addressLabel = nullptr;
    address_ = MakeAddressSpin("SpinEdit1", QStringLiteral("输入仪表地址："), &addressLabel, 0);
    progress_ = MakePollProgress(this);

    auto *addressRow = new QHBoxLayout;
    addressRow->addWidget(addressLabel);
    addressRow->addWidget(address_);
    addressRow->addWidget(progress_, 1);

    auto *buttons = new QHBoxLayout;
    // Recording: every measurement shown also goes to a CSV file.
    record_ = new RecordButton(this);
    buttons->addWidget(record_);
    buttons->addWidget(MakeButton("BitBtn1", QStringLiteral("启  动"), [this] { onStart(); }));
    buttons->addWidget(MakeButton("BitBtn2", QStringLiteral("停  止"), [this] { timer_->stop(); }));
    buttons->addWidget(MakeButton("Exit", QStringLiteral("返  回"), [this] { CloseWindow(); }));

    MakeColumn({MakeHeading(QStringLiteral("KZ827"), QStringLiteral("电参数测试仪")), area, addressRow, buttons});

    timer_ = MakeTimer(2000, [this] { onTick(); });
    // After a lost port the display keeps the last values, marked as stopped.
    addressRow->addWidget(WatchPoll(timer_, {voltage_, current_, power_}));

}

void MeasurementWindow::onClose()
{
    timer_->stop();
}

void MeasurementWindow::sendPoll()
{
    const int address = address_->value();
    Send(kz827::MeasurementPoll(static_cast<std::uint8_t>(address)), address);
}

void MeasurementWindow::onStart()
{
    const int address = address_->value();
    if (Send(kz827::MeasurementPoll(static_cast<std::uint8_t>(address)), address))
        timer_->start();
}

void MeasurementWindow::onTick()
{
    if (PollTick(timer_, progress_))
        sendPoll();
}

void MeasurementWindow::onReply(const modbus::Exchange &exchange)
{
    if (const auto texts = kz827::DecodeMeasurement(exchange)) {
        voltage_->setText((*texts)[0]);
        current_->setText((*texts)[1]);
        power_->setText((*texts)[2]);
        // The address the request went to.
        record_->Record(exchange.request.isEmpty() ? address_->value() : static_cast<std::uint8_t>(exchange.request.at(0)), {QStringLiteral("电压"), QStringLiteral("电流"), QStringLiteral("有功功率")},
                        {(*texts)[0], (*texts)[1], (*texts)[2]});
    }
}

} // namespace kz827
