#include "shell/addressscanwindow.h"

#include "link/replylength.h"
#include "ui/messagebox.h"
#include "ui/replyrouter.h"

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

namespace {
const char *const kEndMessage = QT_TRANSLATE_NOOP("kz", "仪表地址检测结束！！");
} // namespace

AddressScanWindow::AddressScanWindow(SerialLink &link, QWidget *parent) : FamilyWindow(link, std::nullopt, "AddressScanWindow", parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setStyleSheet(QStringLiteral("AddressScanWindow { background-color: #008080; }"
                                 // Only this window's own captions: a message box
                                 // shown over the window keeps its colours.
                                 "AddressScanWindow > QLabel, AddressScanWindow > QGroupBox,"
                                 "AddressScanWindow > QGroupBox > QLabel { color: white; }"));
    setAttribute(Qt::WA_StyledBackground, true);

    auto *range = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "地址检测范围")), this);
    range->setObjectName("GroupBox1");
    QLabel *startLabel = nullptr;
    QLabel *endLabel = nullptr;
    startSpin_ = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "起始地址：")), &startLabel, 0);
    endSpin_ = MakeAddressSpin("SpinEdit2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "结束地址：")), &endLabel, 247);
    auto *rangeLayout = new QGridLayout(range);
    rangeLayout->addWidget(startLabel, 0, 0);
    rangeLayout->addWidget(startSpin_, 0, 1);
    rangeLayout->addWidget(endLabel, 1, 0);
    rangeLayout->addWidget(endSpin_, 1, 1);

    auto *resultLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "检测结果：")), this);
    result_ = new QLineEdit(this);
    result_->setObjectName("Edit3");
    result_->setReadOnly(true);
    result_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "检测结果：")));
    result_->setStyleSheet(QStringLiteral("QLineEdit { background-color: black; color: lime; }"));
    resultLabel->setBuddy(result_);

    progress_ = new QProgressBar(this);
    progress_->setObjectName("ProgressBar1");
    progress_->setRange(0, AddressScan::kScanProgressMax);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "检测进度")));
    percent_ = new QLabel(QStringLiteral("0%"), this);
    percent_->setObjectName("Label4");
    percent_->setMinimumWidth(40);

    auto *start = MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "启  动")), [this] { onStart(); });
    auto *stop = MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "停  止")), [this] { onStop(); });
    auto *back = MakeButton("BitBtn3", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] {
        timer_->stop();
        scan_.Stop();
        CloseWindow();
    });

    auto *resultRow = new QHBoxLayout;
    resultRow->addWidget(resultLabel);
    resultRow->addWidget(result_, 1);
    auto *progressRow = new QHBoxLayout;
    progressRow->addWidget(progress_, 1);
    progressRow->addWidget(percent_);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(start);
    buttons->addWidget(stop);
    buttons->addWidget(back);
    MakeColumn({range, resultRow, progressRow, buttons});

    timer_ = MakeTimer(1000, [this] { onTick(); });

}

void AddressScanWindow::SetProbeInterval(int ms)
{
    probeInterval_ = ms;
    timer_->setInterval(ms);
}

int AddressScanWindow::ProbeInterval() const
{
    return probeInterval_;
}

void AddressScanWindow::onShow()
{
    startSpin_->setValue(0);
    endSpin_->setValue(247);
    result_->clear();
}

void AddressScanWindow::onClose()
{
    timer_->stop();
    scan_.Stop();
}

void AddressScanWindow::onStart()
{
    percent_->setText(QStringLiteral("0%"));
    progress_->setValue(0);
    if (!scan_.Start(startSpin_->value(), endSpin_->value())) {
        timer_->stop();
        ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "仪表起始地址错误！！")));
        return;
    }
    result_->clear();
    probe(scan_.Current());
    timer_->start(probeInterval_);
}

void AddressScanWindow::onStop()
{
    timer_->stop();
    scan_.Stop();
    ui::ShowMessage(this, QString::fromUtf8(kEndMessage));
}

void AddressScanWindow::onTick()
{
    // The end address is read afresh: the user may change it while scanning.
    const std::optional<int> next = scan_.Tick(endSpin_->value());
    progress_->setValue(scan_.Progress());
    percent_->setText(QStringLiteral("%1%").arg(scan_.Percent()));
    if (next) {
        probe(*next);
        return;
    }
    timer_->stop();
    ui::ShowMessage(this, QString::fromUtf8(kEndMessage));
}

void AddressScanWindow::probe(int address)
{
    Ask(AddressProbeFrame(static_cast<std::uint8_t>(address)), [this, address](const modbus::Exchange &exchange) {
        // The single-phase meters answer the probe with function 99: only
        // such a whole answer names an address there, not a stray reply or
        // line noise. The answer's content does not matter otherwise.
        const QByteArray &reply = exchange.reply;
        if (ReplyRouter::Of(Link()).CurrentFamily() != Family::ThreePhase &&
            (static_cast<std::uint8_t>(reply.at(1)) != 0x99 || reply.size() < modbus::ReplyLength(reply)))
            return;
        result_->setText(result_->text() + QString::number(address) + QLatin1Char(','));
    });
}
