#pragma once
// 测量趋势: chosen quantities of the measurement windows plotted live on a
// time axis over a chosen span (1, 10 or 60 minutes, or all that is kept),
// one value axis per unit. The wheel or a dragged rectangle zooms, the arrow
// keys pan, 复位 returns to the live span; the time and the values under the
// cursor are read out below the chart. The picture saves as PNG and the
// shown curves as CSV. The data is a TrendBuffer, bounded whatever the run
// time.
#include "core/trendbuffer.h"

#include <QWidget>
#include <utility>

class QChart;
class QComboBox;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QListWidget;
class QValueAxis;
class RecordButton;
class TrendChartView;

class TrendWindow : public QWidget {
    Q_OBJECT
public:
    explicit TrendWindow(QWidget *parent = nullptr);

    // Plots what this measurement window's recording control hands over.
    void Follow(RecordButton *source);
    // One measurement (what Follow connects to).
    void Add(qint64 msecs, const QStringList &captions, const QStringList &texts);
    const TrendBuffer &Buffer() const { return buffer_; }
    // Number of curves and of value axes drawn now.
    int CurveCount() const;
    int ValueAxisCount() const;
    // The time shown, msecs since the epoch; it follows the newest
    // measurement unless zoomed or panned.
    std::pair<double, double> ShownTime() const;
    bool Zoomed() const { return zoomed_; }
    // Zooms the time axis around the chart's middle (1.25 in, 0.8 out),
    // pans by a share of the chart's size, or returns to the live span.
    void ZoomBy(double factor);
    // Zooms the time axis keeping the time under the pointer where it is.
    void ZoomAt(double factor, const QPointF &viewPoint);
    void PanBy(double dx, double dy);
    void ResetZoom();
    // Reads out the time and the shown curves' values at a point of the view.
    void ReadOut(const QPointF &viewPoint);
    QString Readout() const;
    bool SavePng(const QString &path) const;
    // Writes the shown curves over the shown time as CSV; false with the reason.
    bool SaveCsv(const QString &path, QString *error = nullptr) const;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void rebuildList();
    void rebuildCurves();
    void updateCurves();
    qint64 spanMs() const;
    QList<int> shownQuantities() const;
    void savePicture();
    void exportCsv();

    TrendBuffer buffer_;
    QListWidget *list_ = nullptr;
    QComboBox *span_ = nullptr;
    TrendChartView *view_ = nullptr;
    QChart *chart_ = nullptr;
    QDateTimeAxis *timeAxis_ = nullptr;
    QList<QValueAxis *> valueAxes_;
    QList<QLineSeries *> curves_; // one per shown quantity, in list order
    QLabel *readout_ = nullptr;
    bool zoomed_ = false;
    bool ranging_ = false; // the window itself sets the ranges
};
