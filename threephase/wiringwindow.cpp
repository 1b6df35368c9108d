#include "threephase/wiringwindow.h"

#include "core/tr.h"
#include "threephase/wiringreport.h"
#include "threephase/measurement.h"
#include "threephase/monitor.h"
#include "ui/messagebox.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

namespace threephase {

// The phasor diagram of the last check.
class PhasorView : public QWidget {
public:
    explicit PhasorView(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("PhasorDiagram"));
        setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "相量图")));
        setMinimumSize(420, 420);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::white);
        setPalette(p);
    }
    void Set(const wiring::Readings &readings, const wiring::Verdict &verdict)
    {
        readings_ = readings;
        verdict_ = verdict;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        if (readings_)
            DrawPhasors(painter, rect(), *readings_, verdict_);
    }

private:
    std::optional<wiring::Readings> readings_;
    wiring::Verdict verdict_;
};

namespace {
WiringWindow::ReportChooser &Chooser()
{
    static WiringWindow::ReportChooser chooser;
    return chooser;
}
} // namespace

void WiringWindow::SetReportChooser(ReportChooser chooser)
{
    Chooser() = std::move(chooser);
}

WiringWindow::WiringWindow(SerialLink &link, QWidget *parent)
    : FamilyWindow(link, Family::ThreePhase, "threephase::WiringWindow", parent)
{
    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin(QStringLiteral("SpinEdit1"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "输入仪表地址：")),
                                        &addressLabel, 1);
    QHBoxLayout *top = MakeHeading(QStringLiteral("KZ5500E"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪")));
    top->addWidget(addressLabel);
    top->addWidget(address);

    view_ = new PhasorView(this);
    auto *side = new QGridLayout;
    const auto field = [&](int row, const char *caption, const char *name) {
        auto *label = new QLabel(QString::fromUtf8(caption), this);
        auto *value = new QLabel(this);
        value->setObjectName(QLatin1String(name));
        value->setWordWrap(true);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setAccessibleName(QString::fromUtf8(caption));
        label->setBuddy(value);
        side->addWidget(label, row, 0, Qt::AlignTop);
        side->addWidget(value, row, 1);
        return value;
    };
    verdictLabel_ = field(0, QT_TRANSLATE_NOOP("kz", "结论："), "VerdictLabel");
    QFont bold = verdictLabel_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    verdictLabel_->setFont(bold);
    loadLabel_ = field(1, QT_TRANSLATE_NOOP("kz", "负载角："), "LoadAngleLabel");
    correctionLabel_ = field(2, QT_TRANSLATE_NOOP("kz", "更正系数："), "CorrectionLabel");
    fits_ = new QTableWidget(0, 4, this);
    fits_->setObjectName(QStringLiteral("FitTable"));
    fits_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "相符的接线")));
    fits_->setHorizontalHeaderLabels({QStringLiteral(QT_TRANSLATE_NOOP("kz", "相符的接线")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "残差")),
                                      QStringLiteral(QT_TRANSLATE_NOOP("kz", "负载角")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "更正系数"))});
    fits_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    fits_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    fits_->setWordWrap(true);
    fits_->verticalHeader()->hide();
    // Without row headers the select-all corner button serves no purpose;
    // it is the toolkit's own widget and named as such.
    fits_->setCornerButtonEnabled(false);
    if (auto *corner = fits_->findChild<QAbstractButton *>())
        corner->setObjectName(QStringLiteral("qt_table_corner_button"));
    fits_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    side->addWidget(fits_, 3, 0, 1, 2);
    side->setColumnStretch(1, 1);
    side->setRowStretch(3, 1);
    auto *middle = new QHBoxLayout;
    middle->addWidget(view_, 3);
    middle->addLayout(side, 2);

    timer_ = MakeTimer(2000, [this] { Tick(); });
    QPushButton *start = MakeButton(QStringLiteral("BitBtn1"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "启  动")), [this] { Start(); });
    QPushButton *stop = MakeButton(QStringLiteral("BitBtn2"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "停  止")), [this] { timer_->stop(); });
    QPushButton *save = MakeButton(QStringLiteral("SaveReport"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存报告")), [this] { SaveReport(); });
    QPushButton *back = MakeButton(QStringLiteral("BitBtn3"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); });
    QHBoxLayout *bottom = MakeRow({WatchPoll(timer_, {verdictLabel_, loadLabel_, correctionLabel_}), nullptr, start,
                                   stop, save, back});
    MakeColumn({top, middle, bottom});
    resize(1000, 620);
}

void WiringWindow::Start()
{
    params_.clear();
    busy_ = false;
    timer_->start();
    Tick();
}

void WiringWindow::Tick()
{
    if (busy_ || Handling())
        return;
    if (params_.isEmpty())
        busy_ = Read({kRatioFirst, kRatioRegisters},
                     [this](const QByteArray &data) {
                         params_ = data;
                         readMeasurements();
                     },
                     again()) != nullptr;
    else
        readMeasurements();
    if (!busy_)
        timer_->stop();
}

FamilyWindow::Asking WiringWindow::again()
{
    return {.failed = [this](modbus::Reply::Error) { busy_ = false; }};
}

bool WiringWindow::readMeasurements()
{
    busy_ = Read({kMeasurementFirst, kMeasurementRegisters, kMeasurementBytes},
                 [this](const QByteArray &data) { readState(data); }, again()) != nullptr;
    return busy_;
}

void WiringWindow::readState(const QByteArray &measured)
{
    busy_ = Read({monitor::kStateFirst, monitor::kStateRegisters},
                 [this, measured](const QByteArray &data) {
                     busy_ = false;
                     const auto bits = monitor::StateBits(data);
                     if (!bits)
                         return;
                     readings_ = wiring::DecodeReadings(measured, params_, *bits);
                     if (readings_)
                         Show();
                 },
                 again()) != nullptr;
}

void WiringWindow::Show()
{
    verdict_ = wiring::Analyse(*readings_);
    view_->Set(*readings_, verdict_);
    verdictLabel_->setText(verdict_.text);
    verdictLabel_->setAccessibleName(kz::Tr(QT_TRANSLATE_NOOP("kz", "结论：")) + verdict_.text);
    const bool fitted = !verdict_.fits.isEmpty();
    loadLabel_->setText(fitted ? LoadAngleText(verdict_.fits.first().loadAngle) : QString());
    correctionLabel_->setText(fitted ? CorrectionText(verdict_.fits.first().correction) : QString());
    fits_->setRowCount(int(verdict_.fits.size()));
    for (int row = 0; row < verdict_.fits.size(); ++row) {
        const wiring::Fit &f = verdict_.fits[row];
        const QString cells[] = {f.fault, QStringLiteral("%1°").arg(f.residual, 0, 'f', 1),
                                 ShortLoadAngleText(f.loadAngle),
                                 f.correction ? QString::number(*f.correction, 'f', 3) : QStringLiteral("—")};
        for (int column = 0; column < 4; ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            item->setToolTip(column == 0 ? f.fault : column == 3 ? CorrectionText(f.correction) : cells[column]);
            fits_->setItem(row, column, item);
        }
    }
    emit Checked();
}

void WiringWindow::SaveReport()
{
    if (!readings_) {
        ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "还没有读数，请先启动检查！")));
        return;
    }
    const QString suggested = QStringLiteral("wiring-%1-%2.pdf")
                                  .arg(Address())
                                  .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString path = Chooser() ? Chooser()(this, suggested)
                                   : QFileDialog::getSaveFileName(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存报告")),
                                                                  suggested, QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!WriteWiringReport(path, {Address(), QDateTime::currentDateTime()}, *readings_, verdict_, &error))
        ui::ShowMessage(this, kz::Tr(QT_TRANSLATE_NOOP("kz", "报告未能保存：%1")).arg(error));
}

} // namespace threephase
