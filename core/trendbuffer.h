#pragma once
// The measurements a trend chart plots: per quantity, the values of the last
// Span milliseconds, at most MaxPoints each, so memory stays bounded whatever
// the run time and poll rate. No widgets.
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

class TrendBuffer {
public:
    // By default an hour, at most one point a second for each quantity.
    explicit TrendBuffer(qint64 spanMs = 60 * 60 * 1000, std::size_t maxPoints = 3600);

    // One measurement: captions and the texts shown ("220.00V"). A new set
    // of captions (another window) starts afresh. A value whose unit differs
    // from its quantity's first unit, or that is no number, is left out.
    void Add(qint64 msecs, const QStringList &captions, const QStringList &texts);
    void Clear();

    const QStringList &Captions() const { return captions_; }
    // Unit of quantity i ("" for none).
    QString Unit(int i) const { return series_.at(i).unit; }
    // Points (x: msecs since the epoch, y: value), oldest first.
    QList<QPointF> Points(int i) const;
    std::size_t PointCount(int i) const { return series_.at(i).points.size(); }
    std::size_t MaxPoints() const { return maxPoints_; }
    // The point of quantity i nearest in time to msecs, or nothing.
    std::optional<QPointF> Nearest(int i, double msecs) const;
    // The values of the given quantities from fromMs to toMs as CSV: a
    // heading row (时间 and each caption with its unit), then one row per
    // measurement time, with local date and time to the millisecond.
    QString Csv(const QList<int> &quantities, double fromMs, double toMs) const;
    qint64 SpanMs() const { return spanMs_; }

private:
    struct Series {
        QString unit;
        bool unitKnown = false;
        std::deque<QPointF> points;
    };
    qint64 spanMs_;
    std::size_t maxPoints_;
    QStringList captions_;
    std::vector<Series> series_;
};
