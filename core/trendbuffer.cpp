#include "core/trendbuffer.h"

#include "core/csvrecorder.h"

#include <QDateTime>
#include <QMap>
#include <algorithm>
#include <cmath>

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

std::optional<QPointF> TrendBuffer::Nearest(int i, double msecs) const
{
    if (i < 0 || i >= static_cast<int>(series_.size()))
        return std::nullopt;
    const auto &p = series_[static_cast<std::size_t>(i)].points;
    const auto after = std::lower_bound(p.begin(), p.end(), msecs, [](const QPointF &a, double x) { return a.x() < x; });
    std::optional<QPointF> best;
    if (after != p.end())
        best = *after;
    if (after != p.begin() && (!best || msecs - std::prev(after)->x() < best->x() - msecs))
        best = *std::prev(after);
    return best;
}

QString TrendBuffer::Csv(const QList<int> &quantities, double fromMs, double toMs) const
{
    QStringList heading{QStringLiteral(QT_TRANSLATE_NOOP("kz", "时间"))};
    // Time -> one value per quantity asked for; a quantity without a value
    // at that time leaves its cell empty.
    QMap<double, QStringList> rows;
    for (int column = 0; column < quantities.size(); ++column) {
        const int i = quantities[column];
        if (i < 0 || i >= static_cast<int>(series_.size()))
            continue;
        const QString unit = Unit(i);
        heading.append(unit.isEmpty() ? captions_[i] : QStringLiteral("%1 (%2)").arg(captions_[i], unit));
        for (const QPointF &point : series_[static_cast<std::size_t>(i)].points) {
            if (point.x() < fromMs || point.x() > toMs)
                continue;
            QStringList &row = rows[point.x()];
            row.resize(quantities.size());
            row[column] = QString::number(point.y(), 'g', 10);
        }
    }
    QString csv = heading.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (auto it = rows.cbegin(); it != rows.cend(); ++it)
        csv += QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(it.key())))
                   .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
               QLatin1Char(',') + it.value().join(QLatin1Char(',')) + QStringLiteral("\r\n");
    return csv;
}
