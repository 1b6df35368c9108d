#include "threephase/limitstatewindow.h"

#include "ui/lamp.h"
#include "ui/statepoller.h"
#include "threephase/monitor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace threephase {

namespace mon = threephase::monitor;

namespace {
// Columns of the three limit rows; each column has the upper-limit lamp
// above the lower-limit lamp. Frequency ends the voltage row.
const char *const kVoltageColumns[] = {"UA", "UB", "UC", "UAB", "UBC", "UCA", QT_TRANSLATE_NOOP("kz", "相平均电压"), QT_TRANSLATE_NOOP("kz", "线平均电压"), QT_TRANSLATE_NOOP("kz", "频率")};
const char *const kCurrentColumns[] = {"IA", "IB", "IC", QT_TRANSLATE_NOOP("kz", "平均电流"), QT_TRANSLATE_NOOP("kz", "零序电流"), "PFA", "PFB", "PFC", "PFabc"};
const char *const kPowerColumns[] = {"Pa", "Pb", "Pc", "Pabc", "Qa", "Qb", "Qc", "Qabc"};

// The two bottom rows: the lamp's state caption and the text beside it.
struct Bottom {
    const char *caption;
    const char *text;
};
const Bottom kAlarmRow[] = {{QT_TRANSLATE_NOOP("kz", "Ua断相"), QT_TRANSLATE_NOOP("kz", "Ua断相")},         {QT_TRANSLATE_NOOP("kz", "Ub断相"), QT_TRANSLATE_NOOP("kz", "Ub断相")},         {QT_TRANSLATE_NOOP("kz", "Uc断相"), QT_TRANSLATE_NOOP("kz", "Uc断相")},
                            {QT_TRANSLATE_NOOP("kz", "电流不平衡"), QT_TRANSLATE_NOOP("kz", "电流不平蘅")}, {QT_TRANSLATE_NOOP("kz", "电压不平蘅"), QT_TRANSLATE_NOOP("kz", "电压不平蘅")}, {QT_TRANSLATE_NOOP("kz", "相序错"), QT_TRANSLATE_NOOP("kz", "相序错")}};
const Bottom kIoRow[] = {{QT_TRANSLATE_NOOP("kz", "开关量信号1"), QT_TRANSLATE_NOOP("kz", "开关量信号1")}, {QT_TRANSLATE_NOOP("kz", "开关量信号2"), QT_TRANSLATE_NOOP("kz", "开关量信号2")}, {QT_TRANSLATE_NOOP("kz", "开关量信号3"), QT_TRANSLATE_NOOP("kz", "开关量信号3")},
                         {QT_TRANSLATE_NOOP("kz", "继电器输出1"), QT_TRANSLATE_NOOP("kz", "继电器输出1")}, {QT_TRANSLATE_NOOP("kz", "继电器输出2"), QT_TRANSLATE_NOOP("kz", "继电器输出2")}, {QT_TRANSLATE_NOOP("kz", "继电器输出3"), QT_TRANSLATE_NOOP("kz", "继电器输出3")}};
} // namespace

LimitStateWindow::LimitStateWindow(SerialLink &link, QWidget *parent) : FamilyWindow(link, Family::ThreePhase, "threephase::LimitStateWindow", parent)
{
    auto *frame = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "越限报警显示")), this);
    frame->setObjectName("GroupBox1");
    auto lamp = [&](QWidget *parent, const QString &caption, Lamp::Shape shape) {
        const mon::StateLamp *info = mon::FindStateLamp(caption);
        auto *l = new Lamp(info->name, caption, parent, shape);
        byBit_[info->bit] = l;
        byCaption_[caption] = l;
        return l;
    };

    auto limitRow = [&](const char *name, std::span<const char *const> columns) {
        auto *box = new QGroupBox(frame);
        box->setObjectName(QLatin1String(name));
        auto *grid = new QGridLayout(box);
        int c = 0;
        for (const char *q : columns) {
            const QString quantity = QString::fromUtf8(q);
            grid->addWidget(lamp(box, quantity + QStringLiteral(QT_TRANSLATE_NOOP("kz", "上限")), Lamp::Circle), 0, c, Qt::AlignHCenter);
            auto *label = new QLabel(quantity, box);
            grid->addWidget(label, 1, c, Qt::AlignHCenter);
            grid->addWidget(lamp(box, quantity + QStringLiteral(QT_TRANSLATE_NOOP("kz", "下限")), Lamp::Circle), 2, c, Qt::AlignHCenter);
            ++c;
        }
        return box;
    };
    auto bottomRow = [&](std::span<const Bottom> items, Lamp::Shape shape) {
        auto *row = new QHBoxLayout;
        for (const Bottom &b : items) {
            Lamp *l = lamp(frame, QString::fromUtf8(b.caption), shape);
            auto *label = new QLabel(QString::fromUtf8(b.text), frame);
            label->setBuddy(l);
            row->addWidget(l);
            row->addWidget(label);
            row->addSpacing(12);
        }
        row->addStretch();
        return row;
    };

    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(limitRow("GroupBox2", kVoltageColumns));
    frameLayout->addWidget(limitRow("GroupBox3", kCurrentColumns));
    frameLayout->addWidget(limitRow("GroupBox4", kPowerColumns));
    frameLayout->addLayout(bottomRow(kAlarmRow, Lamp::Circle));
    frameLayout->addLayout(bottomRow(kIoRow, Lamp::Square));

    // Legend.
    QHBoxLayout *legend = MakeLampLegend(this, "Shape65", "Shape66");

    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "输入仪表地址：")), &addressLabel, 0);
    QHBoxLayout *top = MakeHeading(QStringLiteral("KZ5500E"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪")));
    top->addWidget(addressLabel);
    top->addWidget(address);

    poller_ = new StatePoller(this, [this] {
        return Read({mon::kStateFirst, mon::kStateRegisters}, [this](const QByteArray &data) { showState(data); }) !=
               nullptr;
    });
    auto *bottom = new QHBoxLayout;
    bottom->addLayout(legend);
    bottom->addStretch();
    bottom->addWidget(poller_->Periodic());
    bottom->addWidget(poller_->IntervalLabel());
    bottom->addWidget(poller_->IntervalEdit());
    bottom->addWidget(poller_->CheckButton());
    bottom->addWidget(poller_->CancelButton());
    bottom->addWidget(MakeButton("BitBtn3", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); }));
    // After a lost port the lamps keep the last state, marked as stopped.
    bottom->insertWidget(1, WatchPoll(poller_->Timer(), {}));

    MakeColumn({top, frame, bottom});

}

void LimitStateWindow::showState(const QByteArray &data)
{
    if (const auto bits = mon::StateBits(data))
        for (auto it = byBit_.cbegin(); it != byBit_.cend(); ++it)
            it.value()->SetOn((*bits >> it.key()) & 1u);
}

} // namespace threephase
