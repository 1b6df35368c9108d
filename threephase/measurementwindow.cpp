#include "threephase/measurementwindow.h"

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

#include <vector>

namespace threephase {

namespace {
// Boxes of each group, as indexes into the measurement box list, laid out
// two per row.
struct Group {
    const char *name;
    const char *title;
    std::vector<int> boxes;
};
} // namespace

MeasurementWindow::MeasurementWindow(SerialLink &link, QWidget *parent) : FamilyWindow(link, Family::ThreePhase, "threephase::MeasurementWindow", parent)
{
    auto *title9 = new QLabel(QStringLiteral("KZ5500E"), this);
    title9->setObjectName("Label9");
    auto *title11 = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪")), this);
    title11->setObjectName("Label11");
    QFont titleFont = title9->font();
    titleFont.setPointSize(titleFont.pointSize() + 6);
    titleFont.setBold(true);
    title9->setFont(titleFont);
    title11->setFont(titleFont);

    QLabel *addressLabel = nullptr;
    address_ = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "输入仪表地址：")), &addressLabel, 0);

    auto *top = MakeRow({title9, title11, nullptr, addressLabel, address_});

    // Box indexes follow threephase::kMeasurementBoxNames.
    const Group groups[] = {
        {"GroupBox1", QT_TRANSLATE_NOOP("kz", "电压测量"), {0, 3, 1, 4, 2, 5, 6, 7}},
        {"GroupBox2", QT_TRANSLATE_NOOP("kz", "电流、频率测量"), {8, 11, 9, 12, 10, 13}},
        {"GroupBox3", QT_TRANSLATE_NOOP("kz", "有功、无功功率测量"), {14, 18, 15, 19, 16, 20, 17, 21}},
        {"GroupBox4", QT_TRANSLATE_NOOP("kz", "视在功率、功率因数测量"), {22, 26, 23, 27, 24, 28, 25, 29}},
        {"GroupBox5", QT_TRANSLATE_NOOP("kz", "电能测量"), {30, 31, 32, 34, 33, 35}},
    };
    auto *grid = new QGridLayout;
    int groupIndex = 0;
    for (const Group &g : groups) {
        auto *box = new QGroupBox(QString::fromUtf8(g.title), this);
        box->setObjectName(g.name);
        auto *layout = new QGridLayout(box);
        int i = 0;
        for (int b : g.boxes)
            boxes_[b] = AddValueBox(layout, i++, threephase::kMeasurementBoxNames[b], threephase::kMeasurementBoxCaptions[b], 110);
        // Voltages and currents side by side, powers below, energies last.
        grid->addWidget(box, groupIndex / 2, groupIndex % 2, 1, groupIndex == 4 ? 2 : 1);
        ++groupIndex;
    }

    // The ratio block is read afresh at every start.
    const PollBar bar = MakePollBar(2000, "BitBtn3",
                                    {.setup = {kRatioFirst, kRatioRegisters},
                                     .measurements = {kMeasurementFirst, kMeasurementRegisters, kMeasurementBytes},
                                     .onSetup = [this](const QByteArray &data) { ratios_ = data; },
                                     .onMeasurements = [this](const QByteArray &data, int address) { showMeasurements(data, address); }});
    record_ = bar.record;
    timer_ = bar.timer;
    QHBoxLayout *bottom = bar.row;

    MakeColumn({top, grid, bottom});
    // After a lost port the boxes keep the last values, marked as stopped.
    bottom->insertWidget(1, WatchPoll(timer_, QList<QWidget *>(boxes_.begin(), boxes_.end())));

}

void MeasurementWindow::onShow() {}

void MeasurementWindow::showMeasurements(const QByteArray &data, int address)
{
    const threephase::MeasurementTexts texts = threephase::DecodeMeasurementData(data, ratios_);
    showTexts(texts);
    QStringList captions, shown;
    for (int i = 0; i < threephase::kMeasurementBoxes; ++i) {
        captions.append(QString::fromUtf8(threephase::kMeasurementBoxCaptions[i]));
        shown.append(texts.text[i]);
    }
    record_->Record(address, captions, shown);
}

void MeasurementWindow::showTexts(const threephase::MeasurementTexts &texts)
{
    for (int i = 0; i < threephase::kMeasurementBoxes; ++i)
        boxes_[i]->setText(texts.text[i]);
}

} // namespace threephase
