#include "shell/trendwindow.h"

#include "core/tr.h"
#include "ui/language.h"

#include "core/wholefile.h"
#include "ui/messagebox.h"
#include "ui/recordbutton.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <limits>

// The chart: the wheel zooms, the arrow keys pan, a dragged rectangle
// zooms in (the view's rubber band), and the pointer is read out.
class TrendChartView : public QChartView {
public:
    TrendChartView(QChart *chart, TrendWindow *window) : QChartView(chart, window), window_(window)
    {
        setRubberBand(QChartView::RectangleRubberBand);
        setMouseTracking(true);
    }

protected:
    void wheelEvent(QWheelEvent *event) override
    {
        window_->ZoomAt(event->angleDelta().y() > 0 ? 1.25 : 0.8, event->position());
        event->accept();
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        switch (event->key()) {
        case Qt::Key_Left: window_->PanBy(-0.1, 0); break;
        case Qt::Key_Right: window_->PanBy(0.1, 0); break;
        case Qt::Key_Up: window_->PanBy(0, 0.1); break;
        case Qt::Key_Down: window_->PanBy(0, -0.1); break;
        case Qt::Key_Plus: window_->ZoomBy(1.25); break;
        case Qt::Key_Minus: window_->ZoomBy(0.8); break;
        default: QChartView::keyPressEvent(event); return;
        }
        event->accept();
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        window_->ReadOut(event->position());
        QChartView::mouseMoveEvent(event);
    }

private:
    TrendWindow *window_;
};

TrendWindow::TrendWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TrendWindow"));
    resize(900, 540);

    auto *listLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "曲线(&Q)")), this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("QuantityList"));
    list_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "曲线")));
    list_->setMaximumWidth(220);
    listLabel->setBuddy(list_);

    auto *spanLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "时段(&P)")), this);
    span_ = new QComboBox(this);
    span_->setObjectName(QStringLiteral("SpanBox"));
    span_->addItem(QStringLiteral(QT_TRANSLATE_NOOP("kz", "1 分钟")), 60 * 1000);
    span_->addItem(QStringLiteral(QT_TRANSLATE_NOOP("kz", "10 分钟")), 10 * 60 * 1000);
    span_->addItem(QStringLiteral(QT_TRANSLATE_NOOP("kz", "60 分钟")), 60 * 60 * 1000);
    span_->addItem(QStringLiteral(QT_TRANSLATE_NOOP("kz", "全部")), 0);
    span_->setCurrentIndex(1);
    spanLabel->setBuddy(span_);

    chart_ = new QChart;
    timeAxis_ = new QDateTimeAxis;
    timeAxis_->setFormat(QStringLiteral("HH:mm:ss"));
    timeAxis_->setTitleText(ui::TranslateText(QStringLiteral(QT_TRANSLATE_NOOP("kz", "时间"))));
    timeAxis_->setTickCount(7);
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    // A range the window did not set is the user's zoom or pan: the chart
    // stops following the newest measurement until 复位.
    connect(timeAxis_, &QDateTimeAxis::rangeChanged, this, [this] {
        if (!ranging_)
            zoomed_ = true;
    });
    view_ = new TrendChartView(chart_, this);
    view_->setObjectName(QStringLiteral("TrendChart"));
    view_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "趋势图")));
    view_->setAccessibleDescription(QStringLiteral(QT_TRANSLATE_NOOP("kz", "滚轮或拖出矩形缩放，方向键平移")));
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setFocusPolicy(Qt::StrongFocus);

    readout_ = new QLabel(this);
    readout_->setObjectName(QStringLiteral("ReadoutLabel"));
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto *resetButton = new QPushButton(QStringLiteral(QT_TRANSLATE_NOOP("kz", "复位(&R)")), this);
    resetButton->setObjectName(QStringLiteral("ResetButton"));
    auto *saveButton = new QPushButton(QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存图片(&S)…")), this);
    saveButton->setObjectName(QStringLiteral("SaveButton"));
    auto *csvButton = new QPushButton(QStringLiteral(QT_TRANSLATE_NOOP("kz", "导出 CSV(&E)…")), this);
    csvButton->setObjectName(QStringLiteral("CsvButton"));
    auto *clearButton = new QPushButton(QStringLiteral(QT_TRANSLATE_NOOP("kz", "清除(&C)")), this);
    clearButton->setObjectName(QStringLiteral("ClearButton"));

    auto *left = new QVBoxLayout;
    left->addWidget(listLabel);
    left->addWidget(list_, 1);
    left->addWidget(spanLabel);
    left->addWidget(span_);
    left->addWidget(resetButton);
    left->addWidget(clearButton);
    left->addWidget(csvButton);
    left->addWidget(saveButton);
    auto *right = new QVBoxLayout;
    right->addWidget(view_, 1);
    right->addWidget(readout_);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);

    connect(list_, &QListWidget::itemChanged, this, &TrendWindow::rebuildCurves);
    connect(span_, &QComboBox::currentIndexChanged, this, &TrendWindow::ResetZoom);
    connect(resetButton, &QPushButton::clicked, this, &TrendWindow::ResetZoom);
    connect(saveButton, &QPushButton::clicked, this, &TrendWindow::savePicture);
    connect(csvButton, &QPushButton::clicked, this, &TrendWindow::exportCsv);
    connect(clearButton, &QPushButton::clicked, this, [this] {
        buffer_.Clear();
        rebuildList();
        ResetZoom();
    });
    ResetZoom();
}

void TrendWindow::Follow(RecordButton *source)
{
    connect(source, &RecordButton::Measured, this, [this](int, const QStringList &captions, const QStringList &texts) {
        Add(QDateTime::currentMSecsSinceEpoch(), captions, texts);
    });
}

void TrendWindow::Add(qint64 msecs, const QStringList &captions, const QStringList &texts)
{
    const bool newSet = captions != buffer_.Captions();
    buffer_.Add(msecs, captions, texts);
    if (newSet) {
        rebuildList();
        rebuildCurves();
    } else if (isVisible()) {
        updateCurves();
    }
}

void TrendWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateCurves();
}

void TrendWindow::rebuildList()
{
    const QSignalBlocker block(list_);
    list_->clear();
    const QStringList &captions = buffer_.Captions();
    for (int i = 0; i < captions.size(); ++i) {
        const QString unit = buffer_.Unit(i);
        auto *item = new QListWidgetItem(unit.isEmpty() ? captions[i] : QStringLiteral("%1 (%2)").arg(captions[i], unit),
                                         list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        // The first quantity is drawn from the start.
        item->setCheckState(i == 0 ? Qt::Checked : Qt::Unchecked);
    }
}

QList<int> TrendWindow::shownQuantities() const
{
    QList<int> shown;
    for (int i = 0; i < list_->count() && i < buffer_.Captions().size(); ++i)
        if (list_->item(i)->checkState() == Qt::Checked)
            shown.append(i);
    return shown;
}

qint64 TrendWindow::spanMs() const
{
    const qint64 chosen = span_->currentData().toLongLong();
    return chosen > 0 ? std::min(chosen, buffer_.SpanMs()) : buffer_.SpanMs();
}

int TrendWindow::CurveCount() const
{
    return static_cast<int>(chart_->series().size());
}

int TrendWindow::ValueAxisCount() const
{
    return static_cast<int>(valueAxes_.size());
}

std::pair<double, double> TrendWindow::ShownTime() const
{
    return {static_cast<double>(timeAxis_->min().toMSecsSinceEpoch()),
            static_cast<double>(timeAxis_->max().toMSecsSinceEpoch())};
}

void TrendWindow::rebuildCurves()
{
    ranging_ = true;
    chart_->removeAllSeries();
    curves_.clear();
    for (QValueAxis *axis : valueAxes_) {
        chart_->removeAxis(axis);
        delete axis;
    }
    valueAxes_.clear();
    // One value axis per unit: the first on the left, the others on the right.
    QMap<QString, QValueAxis *> byUnit;
    for (int i : shownQuantities()) {
        const QString unit = buffer_.Unit(i);
        QValueAxis *&axis = byUnit[unit];
        if (!axis) {
            axis = new QValueAxis;
            axis->setTitleText(unit);
            chart_->addAxis(axis, valueAxes_.isEmpty() ? Qt::AlignLeft : Qt::AlignRight);
            valueAxes_.append(axis);
        }
        auto *series = new QLineSeries;
        series->setName(list_->item(i)->text());
        chart_->addSeries(series);
        series->attachAxis(timeAxis_);
        series->attachAxis(axis);
        curves_.append(series);
    }
    ranging_ = false;
    zoomed_ = false;
    updateCurves();
}

void TrendWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The chart draws its own texts: the axis title and the curves' names
    // (those of the list, already in the new language).
    if (event->type() == QEvent::LanguageChange) {
        timeAxis_->setTitleText(ui::TranslateText(QStringLiteral(QT_TRANSLATE_NOOP("kz", "时间"))));
        const QList<int> shown = shownQuantities();
        for (int c = 0; c < curves_.size() && c < shown.size(); ++c)
            curves_[c]->setName(list_->item(shown[c])->text());
    }
}

void TrendWindow::updateCurves()
{
    const QList<int> shown = shownQuantities();
    if (shown.size() != curves_.size())
        return rebuildCurves();
    for (int c = 0; c < curves_.size(); ++c)
        curves_[c]->replace(buffer_.Points(shown[c]));
    if (zoomed_)
        return;
    // Following the newest: the span ends at the last measurement (or now).
    double end = static_cast<double>(QDateTime::currentMSecsSinceEpoch());
    for (int i : shown)
        if (buffer_.PointCount(i) > 0)
            end = std::max(end, buffer_.Points(i).back().x());
    const double begin = end - static_cast<double>(spanMs());
    ranging_ = true;
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(begin)),
                        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(end)));
    for (QValueAxis *axis : valueAxes_) {
        double low = std::numeric_limits<double>::max();
        double high = std::numeric_limits<double>::lowest();
        for (int c = 0; c < curves_.size(); ++c) {
            if (!curves_[c]->attachedAxes().contains(axis))
                continue;
            for (const QPointF &p : curves_[c]->points()) {
                if (p.x() < begin)
                    continue;
                low = std::min(low, p.y());
                high = std::max(high, p.y());
            }
        }
        if (low > high) {
            low = 0;
            high = 1;
        }
        const double margin = high > low ? (high - low) * 0.05 : std::max(1.0, std::abs(high) * 0.05);
        axis->setRange(low - margin, high + margin);
    }
    ranging_ = false;
}

void TrendWindow::ZoomBy(double factor)
{
    ZoomAt(factor, view_->mapFromScene(chart_->mapToScene(chart_->plotArea().center())));
}

void TrendWindow::ZoomAt(double factor, const QPointF &viewPoint)
{
    const QRectF area = chart_->plotArea();
    QPointF at = chart_->mapFromScene(view_->mapToScene(viewPoint.toPoint()));
    if (!area.contains(at))
        at = area.center();
    // Time only: the new span keeps the pointer's time where it is, and the
    // values keep their scale.
    const double w = area.width() / factor;
    const double share = (at.x() - area.left()) / area.width();
    chart_->zoomIn(QRectF(at.x() - share * w, area.top(), w, area.height()));
    zoomed_ = true;
}

void TrendWindow::PanBy(double dx, double dy)
{
    chart_->scroll(dx * chart_->plotArea().width(), dy * chart_->plotArea().height());
    zoomed_ = true;
}

void TrendWindow::ResetZoom()
{
    ranging_ = true;
    chart_->zoomReset();
    ranging_ = false;
    zoomed_ = false;
    updateCurves();
}

void TrendWindow::ReadOut(const QPointF &viewPoint)
{
    const QPointF scene = view_->mapToScene(viewPoint.toPoint());
    const QPointF chartPoint = chart_->mapFromScene(scene);
    if (curves_.isEmpty() || !chart_->plotArea().contains(chartPoint)) {
        readout_->clear();
        return;
    }
    const double msecs = chart_->mapToValue(chartPoint, curves_.first()).x();
    QStringList parts{QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msecs)).toString(QStringLiteral("HH:mm:ss.zzz"))};
    const QList<int> shown = shownQuantities();
    for (int c = 0; c < shown.size(); ++c)
        if (const auto p = buffer_.Nearest(shown[c], msecs))
            parts.append(QStringLiteral("%1 %2%3").arg(buffer_.Captions()[shown[c]]).arg(p->y()).arg(buffer_.Unit(shown[c])));
    readout_->setText(parts.join(QStringLiteral("  ")));
}

QString TrendWindow::Readout() const
{
    return readout_->text();
}

bool TrendWindow::SavePng(const QString &path) const
{
    return view_->grab().save(path, "PNG");
}

bool TrendWindow::SaveCsv(const QString &path, QString *error) const
{
    const auto [from, to] = ShownTime();
    return WriteWholeFile(path, buffer_.Csv(shownQuantities(), from, to).toUtf8(), error);
}

void TrendWindow::savePicture()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存趋势图")), QStringLiteral("trend.png"),
                                                      QStringLiteral(QT_TRANSLATE_NOOP("kz", "PNG 图片 (*.png)")));
    if (!path.isEmpty() && !SavePng(path))
        ui::ShowMessage(this, kz::Tr(QT_TRANSLATE_NOOP("kz", "无法保存图片到 %1")).arg(path));
}

void TrendWindow::exportCsv()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "导出趋势数据")), QStringLiteral("trend.csv"),
                                                      QStringLiteral(QT_TRANSLATE_NOOP("kz", "CSV 文件 (*.csv)")));
    QString error;
    if (!path.isEmpty() && !SaveCsv(path, &error))
        ui::ShowMessage(this, error);
}
