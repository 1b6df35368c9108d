#pragma once
// The link's frame log as a table for a view, and the filter over it. The
// model has one row per record kept, oldest first; Sync() follows the log,
// removing the rows dropped from the front of its ring and appending the new
// ones, so a view draws only the rows it shows however long the log. A row
// is known by the record's running number, never by its place in the ring.
// Qt Core only.
#include "link/framerecord.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <cstdint>
#include <limits>

// A short decode of a frame: "读 0x0050 ×10", "写 0x0038 ×11",
// "异常 02 非法数据地址", "校准 读", "探测".
QString FrameMeaning(const FrameRecord &record);

class FrameLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, Direction, Address, Function, Length, Verdict, Meaning, Bytes, ColumnCount };
    // What a row's colour says: a frame dropped or not sent, an exception
    // reply, or a request that went out and got no reply before the next.
    enum class Kind { Normal, Dropped, Exception, Unanswered };
    static constexpr int KindRole = Qt::UserRole + 1;

    explicit FrameLogModel(const FrameLog &log, QObject *parent = nullptr);

    // Follows the log: drops the rows it no longer keeps and, unless only
    // dropping, appends the records that came since the last call.
    void Sync(bool append = true);
    // Empties the table; only records that come after are shown.
    void ClearRows();

    // The record of a row, or nullptr when the log no longer keeps it.
    const FrameRecord *RecordAt(int row) const;
    Kind KindOf(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::uint64_t FirstKept() const { return log_.Total() - log_.Size(); }
    QString LocalTime(qint64 msecs) const; // "HH:mm:ss.zzz"

    const FrameLog &log_;
    std::uint64_t first_ = 0; // running number of row 0
    std::uint64_t end_ = 0;   // running number after the last row
    mutable qint64 offsetQuarter_ = std::numeric_limits<qint64>::min(); // the quarter hour offsetMs_ is for
    mutable qint64 offsetMs_ = 0;
};

// The rows of a FrameLogModel that pass the filters; -1 lets every value pass.
class FrameFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    enum class Direction { All, Sent, Received };
    struct Criteria {
        Direction direction = Direction::All;
        int address = -1;
        int function = -1; // an exception reply counts as the function it answers
        int kind = -1;     // FrameLogModel::Kind as int
    };
    explicit FrameFilter(QObject *parent = nullptr);

    void SetCriteria(const Criteria &criteria);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    Criteria criteria_;
};
