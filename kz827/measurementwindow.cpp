#include "kz827/measurementwindow.h"

#include "ui/recordbutton.h"

#include "kz827/measurement.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QSpinBox>
#include <QTimer>

namespace kz827 {

MeasurementWindow::MeasurementWindow(SerialLink &link, QWidget *parent) : FamilyWindow(link, Family::Kz827, "kz827::MeasurementWindow", parent)
{
    readOuts_ = MakePowerReadOuts(this, 10);
    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "输入仪表地址：")), &addressLabel, 0);
    poll_ = MakePollBar(2000, "Exit", [this] { if (sendPoll()) poll_.timer->start(); },
                        [this] { if (PollTick(poll_.timer, poll_.progress)) sendPoll(); });
    // After a lost port the display keeps the last values, marked as stopped.
    QLabel *stopped = WatchPoll(poll_.timer, {readOuts_.voltage, readOuts_.current, readOuts_.power});

    MakeColumn({MakeHeading(QStringLiteral("KZ827"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪"))), readOuts_.panel,
                MakeRow({addressLabel, address, nullptr, stopped}), poll_.row});
}

bool MeasurementWindow::sendPoll()
{
    const int address = Address();
    return Read({kz827::kMeasurementFirst, kz827::kMeasurementRegisters},
                [this, address](const QByteArray &data) { showMeasurements(data, address); });
}

void MeasurementWindow::showMeasurements(const QByteArray &data, int address)
{
    if (const auto texts = kz827::DecodeMeasurement(data)) {
        ShowValue(readOuts_.voltage, (*texts)[0]);
        ShowValue(readOuts_.current, (*texts)[1]);
        ShowValue(readOuts_.power, (*texts)[2]);
        // The address the request went to.
        poll_.record->Record(address,
                             {QStringLiteral(QT_TRANSLATE_NOOP("kz", "电压")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电流")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "有功功率"))},
                             {(*texts)[0], (*texts)[1], (*texts)[2]});
    }
}

} // namespace kz827
