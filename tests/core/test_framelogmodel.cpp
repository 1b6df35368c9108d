// The traffic monitor's table: the model following a log that wraps round,
// the filters, and the meaning of each kind of frame.
#include "core/framelogmodel.h"
#include "tests/support/testutil.h"

#include <QDateTime>
#include <QSignalSpy>
#include <ctime>
#include <gtest/gtest.h>

namespace {

using V = FrameRecord::Verdict;

FrameRecord Sent(const char *hex, V verdict = V::Written)
{
    FrameRecord r;
    r.direction = FrameRecord::Direction::Sent;
    r.verdict = verdict;
    r.bytes = WithCrc(Hex(hex));
    return r;
}

FrameRecord Received(const char *hex, V verdict = V::Handed)
{
    FrameRecord r = Sent(hex, verdict);
    r.direction = FrameRecord::Direction::Received;
    return r;
}

QString Bytes(const FrameLogModel &model, int row)
{
    return model.index(row, FrameLogModel::Bytes).data().toString();
}

} // namespace

TEST(FrameLogModel, FollowsALogThatWrapsRound)
{
    FrameLog log(4);
    for (const char *a : {"01 03 00 50 00 01", "02 03 00 50 00 01", "03 03 00 50 00 01"})
        log.Append(Sent(a));
    FrameLogModel model(log);
    ASSERT_EQ(model.rowCount(), 3);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    for (const char *a : {"04 03 00 50 00 01", "05 03 00 50 00 01", "06 03 00 50 00 01"})
        log.Append(Sent(a));
    // Rows not yet followed read as nothing, never as another record.
    EXPECT_FALSE(model.index(0, FrameLogModel::Bytes).data().isValid());
    model.Sync();
    ASSERT_EQ(removed.size(), 1); // the two dropped from the front of the ring
    EXPECT_EQ(removed[0][1].toInt(), 0);
    EXPECT_EQ(removed[0][2].toInt(), 1);
    ASSERT_EQ(inserted.size(), 1); // the three new ones at the end
    EXPECT_EQ(inserted[0][1].toInt(), 1);
    EXPECT_EQ(inserted[0][2].toInt(), 3);
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_TRUE(Bytes(model, 0).startsWith("03 03"));
    EXPECT_TRUE(Bytes(model, 3).startsWith("06 03"));

    // Paused: rows go as the log lets them go, none come.
    for (int i = 0; i < 3; ++i)
        log.Append(Received("06 03 02 00 01"));
    model.Sync(false);
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_TRUE(Bytes(model, 0).startsWith("06 03 00 50"));
    // Overrun past everything shown: the table starts afresh at what is kept.
    for (int i = 0; i < 6; ++i)
        log.Append(Sent("07 03 00 50 00 01"));
    model.Sync();
    EXPECT_EQ(model.rowCount(), 4);
    model.ClearRows();
    EXPECT_EQ(model.rowCount(), 0);
    log.Append(Sent("08 03 00 50 00 01"));
    model.Sync();
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_TRUE(Bytes(model, 0).startsWith("08 03"));
}

TEST(FrameLogModel, FiltersByDirectionAddressFunctionAndVerdict)
{
    FrameLog log;
    log.Append(Sent("01 03 00 50 00 01"));
    log.Append(Received("01 03 02 00 01"));
    log.Append(Sent("02 03 00 50 00 01"));         // no reply before the next request
    log.Append(Sent("03 10 00 38 00 01 02 00 07"));
    log.Append(Received("03 90 02", V::Exception));
    log.Append(Received("05 03 02 00 01", V::BadCrc));
    FrameLogModel model(log);
    FrameFilter filter;
    filter.setSourceModel(&model);
    const auto shown = [&] {
        QStringList rows;
        for (int r = 0; r < filter.rowCount(); ++r)
            rows.append(filter.index(r, FrameLogModel::Bytes).data().toString().left(8));
        return rows.join(" | ");
    };
    EXPECT_EQ(filter.rowCount(), 6);
    using D = FrameFilter::Direction;
    filter.SetCriteria({D::Received});
    EXPECT_EQ(shown(), "01 03 02 | 03 90 02 | 05 03 02");
    filter.SetCriteria({D::All, 3});
    EXPECT_EQ(shown(), "03 10 00 | 03 90 02");
    filter.SetCriteria({D::All, -1, 0x10}); // an exception reply counts as the function it answers
    EXPECT_EQ(shown(), "03 10 00 | 03 90 02");
    filter.SetCriteria({D::All, -1, -1, int(FrameLogModel::Kind::Dropped)});
    EXPECT_EQ(shown(), "05 03 02");
    filter.SetCriteria({D::All, -1, -1, int(FrameLogModel::Kind::Exception)});
    EXPECT_EQ(shown(), "03 90 02");
    filter.SetCriteria({D::All, -1, -1, int(FrameLogModel::Kind::Unanswered)});
    EXPECT_EQ(shown(), "02 03 00");
}

TEST(FrameLogModel, TimesInLocalTimeOnBothSidesOfAClockChange)
{
    // The table looks the zone's offset up once per quarter hour; each time
    // must still read as the C library's local time, across the spring and
    // autumn changes, just before a quarter hour, and before 1970.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const qint64 spring = QDateTime(QDate(2026, 3, 29), QTime(1, 0), Qt::UTC).toMSecsSinceEpoch();
    const qint64 autumn = QDateTime(QDate(2026, 10, 25), QTime(1, 0), Qt::UTC).toMSecsSinceEpoch();
    const qint64 times[] = {spring - 1, spring, spring + 1, autumn - 1, autumn, autumn + 899'999, -1, -86'400'001};
    FrameLog log(16);
    for (qint64 msecs : times) {
        FrameRecord r = Sent("01 03 00 50 00 01");
        r.msecs = msecs;
        log.Append(r);
    }
    FrameLogModel model(log);
    for (int row = 0; row < model.rowCount(); ++row)
        EXPECT_EQ(model.index(row, FrameLogModel::Time).data().toString(),
                  QDateTime::fromMSecsSinceEpoch(times[row]).toString("HH:mm:ss.zzz"))
            << times[row];
#ifdef Q_OS_UNIX
    // TZ names a zone with its rules only on POSIX systems; Windows' C
    // library reads no such name, so there the times above are checked in
    // the machine's own zone.
    EXPECT_EQ(model.index(0, FrameLogModel::Time).data().toString(), "01:59:59.999");
    EXPECT_EQ(model.index(1, FrameLogModel::Time).data().toString(), "03:00:00.000");
#endif
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    tzset();
}

TEST(FrameLogModel, MeaningOfEachKindOfFrame)
{
    struct Case {
        bool sent;
        const char *hex;
        const char *meaning;
    };
    const Case cases[] = {
        {true, "01 03 00 50 00 0A", "读 0x0050 ×10"},
        {false, "01 03 04 00 01 00 02", "读应答 ×2"},
        {true, "01 01 00 00 00 03", "读线圈 0x0000 ×3"},
        {false, "01 02 01 05", "读输入应答 1 字节"},
        {true, "01 05 00 01 FF 00", "写线圈 0x0001 = FF00"},
        {true, "01 06 00 5C 00 03", "写 0x005C ×1"},
        {true, "01 10 00 38 00 0B 16", "写 0x0038 ×11"},
        {false, "01 10 00 38 00 0B", "写确认 0x0038 ×11"},
        {false, "01 83 02", "异常 02 非法数据地址"},
        {true, "00 99 30 30 30 30", "探测"},
        {true, "01 AA 72 37 30 32 32", "校准 读"},
        {false, "01 AA 72 00 00", "校准 读数"},
        {true, "03 AA 80 0F 54 60 03 00 00 00", "校准 读"},
        {true, "03 AA 80 01 54 60 03 00 00 00", "校准 零电平"},
        {true, "03 AA 80 07 54 60 03 00 00 00", "校准 清零"},
        {true, "03 AA 80 03 54 60 03 01 02 03", "校准 写"},
        {true, "01 42 00", "功能 42"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FrameMeaning(c.sent ? Sent(c.hex) : Received(c.hex)), c.meaning) << c.hex;
}
