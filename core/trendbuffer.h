#pragma once
// The measurements a trend chart plots: per quantity, the values of the last
// Span milliseconds, at most MaxPoints each, so memory stays bounded whatever
// the run time and poll rate. No widgets.
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

class TrendBuffer {
public:
    explicit TrendBuffer(qint64 spanMs = 10 * 60 * 1000, std::size_t maxPoints = 2000);

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
