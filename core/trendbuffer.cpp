#include "core/trendbuffer.h"

#include "core/csvrecorder.h"

TrendBuffer::TrendBuffer(qint64 spanMs, std::size_t maxPoints)
    : spanMs_(spanMs), maxPoints_(maxPoints ? maxPoints : 1)
{
}

void TrendBuffer::Clear()
{
    captions_.clear();
    series_.clear();
}

void TrendBuffer::Add(qint64 msecs, const QStringList &captions, const QStringList &texts)
{
    if (captions != captions_) {
        captions_ = captions;
        series_.assign(static_cast<std::size_t>(captions.size()), Series{});
    }
    for (int i = 0; i < captions_.size() && i < texts.size(); ++i) {
        Series &s = series_[static_cast<std::size_t>(i)];
        const auto [number, unit] = CsvRecorder::SplitUnit(texts[i]);
        bool ok = false;
        const double value = number.toDouble(&ok);
        if (!ok)
            continue;
        if (!s.unitKnown) {
            s.unit = unit;
            s.unitKnown = true;
        } else if (unit != s.unit) {
            continue;
        }
        s.points.emplace_back(static_cast<double>(msecs), value);
    }
    // Drop what is older than the span and what exceeds the cap.
    for (Series &s : series_) {
        while (!s.points.empty() && s.points.front().x() < static_cast<double>(msecs - spanMs_))
            s.points.pop_front();
        while (s.points.size() > maxPoints_)
            s.points.pop_front();
    }
}

QList<QPointF> TrendBuffer::Points(int i) const
{
    const auto &p = series_.at(static_cast<std::size_t>(i)).points;
    return QList<QPointF>(p.begin(), p.end());
}
