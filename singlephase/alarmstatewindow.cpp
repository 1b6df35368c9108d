#include "singlephase/alarmstatewindow.h"

#include "ui/displayvalue.h"
#include "ui/lamp.h"
#include "ui/statepoller.h"
#include "singlephase/monitor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace singlephase {

namespace mon = singlephase::monitor;

namespace {

constexpr const char *kModel = "KZ5700E";
constexpr const char *kKind = QT_TRANSLATE_NOOP("kz", "电参数测试仪");

// An empty interval box polls once a second.
constexpr int kDefaultIntervalMs = 1000;

} // namespace

AlarmStateWindow::AlarmStateWindow(SerialLink &link, QWidget *parent)
    : FamilyWindow(link, Family::SinglePhase, "singlephase::AlarmStateWindow", parent)
{
    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "输入仪表地址：")), &addressLabel, 0);
    QHBoxLayout *top = MakeHeading(QString::fromUtf8(kModel), QString::fromUtf8(kKind));
    top->addWidget(addressLabel);
    top->addWidget(address);

    auto *frame = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "当前越限报警显示")), this);
    frame->setObjectName("GroupBox1");
    // A lamp with its caption beside it, found by its shape number.
    auto cell = [&](int shape) {
        const mon::StateLamp *info = nullptr;
        for (const mon::StateLamp &l : mon::kStateLampTable)
            if (l.shape == shape)
                info = &l;
        const QString caption = QString::fromUtf8(info->caption);
        auto *lamp = new Lamp(QStringLiteral("Shape%1").arg(shape), caption, frame);
        lamps_[info->bit] = lamp;
        auto *label = new QLabel(caption, frame);
        label->setBuddy(lamp);
        auto *box = new QHBoxLayout;
        box->addWidget(lamp);
        box->addWidget(label);
        box->addStretch();
        return box;
    };
    // Upper limits above lower limits, in the order voltage, current,
    // frequency, power factor, active and reactive power (Shape1..Shape12).
    auto *limits = new QGridLayout;
    for (int column = 0; column < 6; ++column) {
        limits->addLayout(cell(2 * column + 1), 0, column);
        limits->addLayout(cell(2 * column + 2), 1, column);
    }
    auto *signals_ = new QGridLayout;
    for (int i = 0; i < 4; ++i)
        signals_->addLayout(cell(13 + i), 0, i); // Ua断相, switch inputs
    for (int i = 0; i < 3; ++i)
        signals_->addLayout(cell(17 + i), 1, i); // relay outputs

    mode_ = MakeValueLabel(frame, "StaticText7", QStringLiteral(QT_TRANSLATE_NOOP("kz", "测量模式")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "普通模式")));
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(mode_);
    frameLayout->addLayout(limits);
    frameLayout->addLayout(signals_);

    QHBoxLayout *legend = MakeLampLegend(this, "Shape20", "Shape21");
    legend->addStretch();

    poller_ = new StatePoller(
        this,
        [this] {
            return Read({mon::kStateFirst, mon::kStateRegisters}, [this](const QByteArray &data) { showState(data); }) !=
                   nullptr;
        },
        kDefaultIntervalMs);
    // "检  测" starts from an empty mode text, so a reply without a mode
    // (mode 3) shows none rather than one read earlier. The poller has sent
    // by now; a press that sent nothing keeps the text.
    connect(poller_->CheckButton(), &QPushButton::clicked, this, [this] {
        if (HoldsReplies())
            ShowValue(mode_, QString());
    });

    auto *checks = MakeRow({poller_->Periodic(), poller_->IntervalLabel(), poller_->IntervalEdit(), nullptr,
                            poller_->CheckButton(), poller_->CancelButton()});
    checks->addWidget(MakeButton("Exit", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); }));
    // After a lost port the lamps and mode keep the last state, marked as
    // stopped (at the end of the legend row, which has room).
    legend->addWidget(WatchPoll(poller_->Timer(), {mode_}));

    MakeColumn({top, frame, legend, checks});

}

void AlarmStateWindow::showState(const QByteArray &data)
{
    if (const auto state = mon::ReadState(data)) {
        for (int bit = 0; bit < mon::kStateLamps; ++bit)
            lamps_[bit]->SetOn((state->bits >> bit) & 1u);
        if (const auto text = mon::ModeText(state->mode))
            ShowValue(mode_, *text);
    }
}

} // namespace singlephase
