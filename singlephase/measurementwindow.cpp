#include "singlephase/measurementwindow.h"

#include "ui/recordbutton.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace singlephase {

namespace m = singlephase::measurement;

MeasurementWindow::MeasurementWindow(SerialLink &link, QWidget *parent)
    : FamilyWindow(link, Family::SinglePhase, "singlephase::MeasurementWindow", parent)
{
    auto *top = MakeHeading(QStringLiteral("KZ5700E"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪")));
    QLabel *addressLabel = nullptr;
    address_ = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "输入仪表地址：")), &addressLabel, 0);
    top->addWidget(addressLabel);
    top->addWidget(address_);

    // Two frames: the seven instantaneous values, then the six energies,
    // two boxes per row.
    auto frame = [this](const char *name, const QString &title, int from, int to) {
        auto *box = new QGroupBox(title, this);
        box->setObjectName(name);
        auto *layout = new QGridLayout(box);
        for (int b = from; b < to; ++b)
            boxes_[b] = AddValueBox(layout, b - from, m::kBoxNames[b], m::kBoxCaptions[b], 120);
        return box;
    };

    // The set-up block is read afresh at every start.
    const PollBar bar = MakePollBar(2000, "Exit",
                                    {.setup = {m::kSetupRegister, m::kSetupRegisters},
                                     .measurements = {m::kMeasurementRegister, m::kMeasurementRegisters, m::kMeasurementBytes},
                                     .onSetup = [this](const QByteArray &data) { setup_ = data; },
                                     .onMeasurements = [this](const QByteArray &data, int address) { showMeasurements(data, address); }});
    record_ = bar.record;
    timer_ = bar.timer;
    QHBoxLayout *bottom = bar.row;

    MakeColumn({top, frame("GroupBox1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "电压测量")), 0, 7),
                frame("GroupBox5", QStringLiteral(QT_TRANSLATE_NOOP("kz", "电能测量")), 7, m::kBoxes), bottom});
    // After a lost port the boxes keep the last values, marked as stopped.
    bottom->insertWidget(1, WatchPoll(timer_, QList<QWidget *>(boxes_.begin(), boxes_.end())));

}

void MeasurementWindow::showMeasurements(const QByteArray &data, int address)
{
    const m::Texts shown = m::Decode(data, setup_);
    QStringList captions, texts;
    for (int i = 0; i < m::kBoxes; ++i) {
        boxes_[i]->setText(shown.text[i]);
        captions.append(QString::fromUtf8(m::kBoxCaptions[i]));
        texts.append(shown.text[i]);
    }
    record_->Record(address, captions, texts);
}

} // namespace singlephase
