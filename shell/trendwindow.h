#pragma once
// 测量趋势: chosen quantities of the measurement windows plotted live over
// the last 10 minutes on a time axis; the picture can be saved as PNG. The
// data is a TrendBuffer, bounded whatever the run time.
#include "core/trendbuffer.h"

#include <QWidget>

class QChart;
class QChartView;
class QListWidget;
class QValueAxis;
class RecordButton;

class TrendWindow : public QWidget {
    Q_OBJECT
public:
    explicit TrendWindow(QWidget *parent = nullptr);

    // Plots what this measurement window's recording control hands over.
    void Follow(RecordButton *source);
    // One measurement (what Follow connects to).
    void Add(qint64 msecs, const QStringList &captions, const QStringList &texts);
    const TrendBuffer &Buffer() const { return buffer_; }
    // Number of curves drawn now.
    int CurveCount() const;
    bool SavePng(const QString &path) const;

private:
    void rebuildList();
    void redraw();
    void save();

    TrendBuffer buffer_;
    QListWidget *list_ = nullptr;
    QChartView *view_ = nullptr;
    QChart *chart_ = nullptr;
    QValueAxis *timeAxis_ = nullptr;
    QValueAxis *valueAxis_ = nullptr;
};
