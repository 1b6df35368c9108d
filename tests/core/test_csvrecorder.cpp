// The measurement CSV file: header with units, rows, appending, a unit that
// changes, quoting, and a write error.
#include "core/csvrecorder.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QStringList readLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray all = f.readAll();
    if (all.startsWith("\xEF\xBB\xBF"))
        all.remove(0, 3);
    return QString::fromUtf8(all).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}
} // namespace

TEST(CsvRecorder, SplitsNumbersFromUnits)
{
    const std::pair<QString, QString> cases[][2] = {
        {{"220.00V", ""}, {"220.00", "V"}},   {{"-1.500KW", ""}, {"-1.500", "KW"}},
        {{"0.998", ""}, {"0.998", ""}},       {{"50.000Hz", ""}, {"50.000", "Hz"}},
        {{"12.5 Kvar.h", ""}, {"12.5", "Kvar.h"}}, {{"----", ""}, {"----", ""}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CsvRecorder::SplitUnit(c[0].first), c[1]) << c[0].first.toStdString();
}

TEST(CsvRecorder, HeaderOnceRowsAppendedAndUnitChangesKept)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("m.csv");
    const QStringList captions{"A相电压", "相频率", "备注"};
    {
        CsvRecorder r;
        ASSERT_TRUE(r.Open(path));
        ASSERT_TRUE(r.Write(1, captions, {"220.00V", "50.000Hz", "a,\"b\""}));
        ASSERT_TRUE(r.Write(1, captions, {"22.00KV", "49.990Hz", ""}));
    }
    {
        CsvRecorder r; // reopened: appended, no second header
        ASSERT_TRUE(r.Open(path));
        ASSERT_TRUE(r.Write(7, captions, {"221.00V", "50.010Hz", ""}));
    }
    QFile raw(path);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_TRUE(raw.readAll().startsWith("\xEF\xBB\xBF"));
    const QStringList lines = readLines(path);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "时间,地址,A相电压 (V),相频率 (Hz),备注");
    const QStringList row = lines[1].split(',');
    EXPECT_TRUE(QDateTime::fromString(row[0], Qt::ISODateWithMs).isValid()) << row[0].toStdString();
    EXPECT_TRUE(row[0].contains('T'));
    EXPECT_TRUE(lines[1].endsWith(",1,220.00,50.000,\"a,\"\"b\"\"\""));
    EXPECT_TRUE(lines[2].endsWith(",1,22.00KV,49.990,")); // another unit than the column's
    EXPECT_TRUE(lines[3].endsWith(",7,221.00,50.010,"));
}

TEST(CsvRecorder, WriteErrorClosesWithAClearReason)
{
    CsvRecorder r;
    QString error;
    ASSERT_TRUE(r.Open("/dev/full", &error)) << error.toStdString();
    EXPECT_FALSE(r.Write(1, {"U"}, {"1V"}, &error));
    EXPECT_TRUE(error.contains("/dev/full")) << error.toStdString();
    EXPECT_FALSE(r.IsOpen());
    EXPECT_FALSE(r.Open(QTemporaryDir().filePath("no/dir/m.csv"), &error));
}

// ------------------------------------------------------------ trend data

#include "core/trendbuffer.h"

TEST(TrendBuffer, KeepsTheSpanAndTheCapWhateverTheRunTime)
{
    TrendBuffer trend(10 * 60 * 1000, 250);
    const QStringList captions{"U", "f"};
    // Ten hours of a poll every 100 ms.
    for (qint64 t = 0; t < 10LL * 3600 * 1000; t += 100)
        trend.Add(t, captions, {QString::number(t % 1000) + "V", "50.00Hz"});
    EXPECT_EQ(trend.PointCount(0), 250u);
    EXPECT_EQ(trend.PointCount(1), 250u);
    const QList<QPointF> p = trend.Points(0);
    EXPECT_DOUBLE_EQ(p.back().x(), 10.0 * 3600 * 1000 - 100);
    EXPECT_EQ(trend.Unit(0), "V");

    TrendBuffer slow(1000, 100);
    for (qint64 t = 0; t <= 5000; t += 250)
        slow.Add(t, captions, {"1V", "50Hz"});
    EXPECT_EQ(slow.PointCount(0), 5u); // 4000..5000: only the last second
    slow.Add(5250, captions, {"2KV", "x"}); // another unit, no number: left out
    EXPECT_EQ(slow.Points(0).back().y(), 1.0);
    slow.Add(5500, {"I"}, {"5A"}); // another window: starts afresh
    EXPECT_EQ(slow.Captions(), QStringList{"I"});
    EXPECT_EQ(slow.PointCount(0), 1u);
}
