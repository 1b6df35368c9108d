#include "shell/trendwindow.h"

#include "ui/messagebox.h"
#include "ui/recordbutton.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QValueAxis>
#include <QVBoxLayout>
#include <limits>

TrendWindow::TrendWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TrendWindow"));
    setWindowTitle(QStringLiteral("测量趋势"));
    resize(900, 500);

    auto *listLabel = new QLabel(QStringLiteral("曲线(&Q)"), this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("QuantityList"));
    list_->setAccessibleName(QStringLiteral("曲线"));
    list_->setMaximumWidth(220);
    listLabel->setBuddy(list_);

    chart_ = new QChart;
    chart_->setTitle(QStringLiteral("最近 10 分钟"));
    // Minutes before now: the curves slide left as time goes on.
    timeAxis_ = new QValueAxis;
    timeAxis_->setLabelFormat(QStringLiteral("%.0f"));
    timeAxis_->setTitleText(QStringLiteral("时间（分钟，0 为现在）"));
    timeAxis_->setTickCount(11);
    valueAxis_ = new QValueAxis;
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    chart_->addAxis(valueAxis_, Qt::AlignLeft);
    view_ = new QChartView(chart_, this);
    view_->setObjectName(QStringLiteral("TrendChart"));
    view_->setAccessibleName(QStringLiteral("趋势图"));
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setFocusPolicy(Qt::StrongFocus);

    auto *saveButton = new QPushButton(QStringLiteral("保存图片(&S)…"), this);
    saveButton->setObjectName(QStringLiteral("SaveButton"));
    auto *clearButton = new QPushButton(QStringLiteral("清除(&C)"), this);
    clearButton->setObjectName(QStringLiteral("ClearButton"));

    auto *left = new QVBoxLayout;
    left->addWidget(listLabel);
    left->addWidget(list_, 1);
    left->addWidget(clearButton);
    left->addWidget(saveButton);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(view_, 1);

    connect(list_, &QListWidget::itemChanged, this, &TrendWindow::redraw);
    connect(saveButton, &QPushButton::clicked, this, &TrendWindow::save);
    connect(clearButton, &QPushButton::clicked, this, [this] {
        buffer_.Clear();
        rebuildList();
        redraw();
    });
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
    if (newSet)
        rebuildList();
    if (isVisible())
        redraw();
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

int TrendWindow::CurveCount() const
{
    return static_cast<int>(chart_->series().size());
}

void TrendWindow::redraw()
{
    chart_->removeAllSeries();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    for (int i = 0; i < list_->count() && i < buffer_.Captions().size(); ++i) {
        if (list_->item(i)->checkState() != Qt::Checked)
            continue;
        auto *series = new QLineSeries;
        series->setName(list_->item(i)->text());
        QList<QPointF> points = buffer_.Points(i);
        for (QPointF &p : points)
            p.setX((p.x() - static_cast<double>(now)) / 60000.0);
        series->replace(points);
        for (const QPointF &p : points) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
        chart_->addSeries(series);
        series->attachAxis(timeAxis_);
        series->attachAxis(valueAxis_);
    }
    timeAxis_->setRange(-static_cast<double>(buffer_.SpanMs()) / 60000.0, 0);
    if (low > high) {
        low = 0;
        high = 1;
    }
    const double margin = high > low ? (high - low) * 0.05 : std::max(1.0, std::abs(high) * 0.05);
    valueAxis_->setRange(low - margin, high + margin);
}

bool TrendWindow::SavePng(const QString &path) const
{
    return view_->grab().save(path, "PNG");
}

void TrendWindow::save()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("保存趋势图"), QStringLiteral("trend.png"),
                                                      QStringLiteral("PNG 图片 (*.png)"));
    if (!path.isEmpty() && !SavePng(path))
        ui::ShowMessage(this, QStringLiteral("无法保存图片到 %1").arg(path));
}
