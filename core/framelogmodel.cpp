#include "core/framelogmodel.h"

#include "core/tr.h"

#include <QDateTime>

namespace {

int ByteAt(const QByteArray &bytes, int i)
{
    return i < bytes.size() ? static_cast<std::uint8_t>(bytes.at(i)) : -1;
}

// The big-endian word at i, or -1 when the frame is too short.
int WordAt(const QByteArray &bytes, int i)
{
    return i + 1 < bytes.size() ? ByteAt(bytes, i) << 8 | ByteAt(bytes, i + 1) : -1;
}

QString Hex4(int value)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

QString ExceptionName(int code)
{
    switch (code) {
    case 1: return kz::Tr(QT_TRANSLATE_NOOP("kz", "非法功能"));
    case 2: return kz::Tr(QT_TRANSLATE_NOOP("kz", "非法数据地址"));
    case 3: return kz::Tr(QT_TRANSLATE_NOOP("kz", "非法数据值"));
    case 4: return kz::Tr(QT_TRANSLATE_NOOP("kz", "从站设备故障"));
    case 5: return kz::Tr(QT_TRANSLATE_NOOP("kz", "确认"));
    case 6: return kz::Tr(QT_TRANSLATE_NOOP("kz", "从站设备忙"));
    default: return QString();
    }
}

QString CalibrationMeaning(const QByteArray &b, bool sent)
{
    const int command = ByteAt(b, 2);
    if (!sent)
        return command == 'r' ? kz::Tr(QT_TRANSLATE_NOOP("kz", "校准 读数")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "校准 确认"));
    if (command == 0x80) { // the KZ827KVE form: a sub-command follows
        const int sub = ByteAt(b, 3);
        if (sub == 0x0F)
            return kz::Tr(QT_TRANSLATE_NOOP("kz", "校准 读"));
        if (sub == 0x00 || sub == 0x01)
            return kz::Tr(QT_TRANSLATE_NOOP("kz", "校准 零电平"));
        if (sub == 0x06 || sub == 0x07)
            return kz::Tr(QT_TRANSLATE_NOOP("kz", "校准 清零"));
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "校准 写"));
    }
    return command == 'r' ? kz::Tr(QT_TRANSLATE_NOOP("kz", "校准 读")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "校准 写"));
}

} // namespace

QString FrameMeaning(const FrameRecord &r)
{
    const QByteArray &b = r.bytes;
    const int function = r.Function();
    if (function < 0)
        return QString();
    const bool sent = r.direction == FrameRecord::Direction::Sent;
    if (!sent && (function & 0x80) && function != 0xAA && function != 0x99) {
        const int code = ByteAt(b, 2);
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "异常 %1 %2")).arg(QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper(), ExceptionName(code)).trimmed();
    }
    const int start = WordAt(b, 2);
    const int count = WordAt(b, 4);
    const auto ranged = [&](const QString &verb) {
        return start < 0 || count < 0 ? verb : QStringLiteral("%1 %2 ×%3").arg(verb, Hex4(start)).arg(count);
    };
    switch (function) {
    case 0x01:
    case 0x02:
    case 0x03: {
        const QString what = function == 0x01 ? kz::Tr(QT_TRANSLATE_NOOP("kz", "读线圈")) : function == 0x02 ? kz::Tr(QT_TRANSLATE_NOOP("kz", "读输入"))
                                                                                          : kz::Tr(QT_TRANSLATE_NOOP("kz", "读"));
        if (sent)
            return ranged(what);
        const int bytes = ByteAt(b, 2);
        if (bytes < 0)
            return what;
        return function == 0x03 ? kz::Tr(QT_TRANSLATE_NOOP("kz", "读应答 ×%1")).arg(bytes / 2) : kz::Tr(QT_TRANSLATE_NOOP("kz", "%1应答 %2 字节")).arg(what).arg(bytes);
    }
    case 0x05:
        return start < 0 || count < 0 ? kz::Tr(QT_TRANSLATE_NOOP("kz", "写线圈"))
                                      : kz::Tr(QT_TRANSLATE_NOOP("kz", "写线圈 %1 = %2")).arg(Hex4(start), Hex4(count).mid(2));
    case 0x06:
        return start < 0 ? kz::Tr(QT_TRANSLATE_NOOP("kz", "写")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "写 %1 ×1")).arg(Hex4(start));
    case 0x10:
        return sent ? ranged(kz::Tr(QT_TRANSLATE_NOOP("kz", "写"))) : ranged(kz::Tr(QT_TRANSLATE_NOOP("kz", "写确认")));
    case 0x99:
        return sent ? kz::Tr(QT_TRANSLATE_NOOP("kz", "探测")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "探测应答"));
    case 0xAA:
        return CalibrationMeaning(b, sent);
    default:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "功能 %1")).arg(QStringLiteral("%1").arg(function, 2, 16, QLatin1Char('0')).toUpper());
    }
}

// ------------------------------------------------------------- FrameLogModel

FrameLogModel::FrameLogModel(const FrameLog &log, QObject *parent)
    : QAbstractTableModel(parent), log_(log), first_(FirstKept()), end_(FirstKept())
{
    Sync();
}

void FrameLogModel::Sync(bool append)
{
    const std::uint64_t kept = FirstKept();
    if (first_ < kept) {
        const std::uint64_t drop = std::min(kept, end_) - first_;
        if (drop > 0) {
            beginRemoveRows({}, 0, static_cast<int>(drop) - 1);
            first_ += drop;
            endRemoveRows();
        }
        // A log cleared or overrun past everything shown starts afresh.
        if (first_ < kept)
            first_ = end_ = kept;
    }
    const std::uint64_t total = log_.Total();
    if (!append || end_ >= total)
        return;
    const int oldRows = rowCount();
    beginInsertRows({}, oldRows, oldRows + static_cast<int>(total - end_) - 1);
    end_ = total;
    endInsertRows();
    // The row before the new ones may now be a request that got no reply.
    if (oldRows > 0)
        emit dataChanged(index(oldRows - 1, 0), index(oldRows - 1, ColumnCount - 1));
}

void FrameLogModel::ClearRows()
{
    beginResetModel();
    first_ = end_ = log_.Total();
    endResetModel();
}

const FrameRecord *FrameLogModel::RecordAt(int row) const
{
    if (row < 0)
        return nullptr;
    const std::uint64_t number = first_ + static_cast<std::uint64_t>(row);
    if (number < FirstKept() || number >= end_ || number >= log_.Total())
        return nullptr;
    return &log_.At(static_cast<std::size_t>(number - FirstKept()));
}

FrameLogModel::Kind FrameLogModel::KindOf(int row) const
{
    const FrameRecord *r = RecordAt(row);
    if (!r)
        return Kind::Normal;
    using V = FrameRecord::Verdict;
    if (r->verdict == V::Exception)
        return Kind::Exception;
    if (r->IsDrop())
        return Kind::Dropped;
    const auto written = [](const FrameRecord *f) {
        return f && f->direction == FrameRecord::Direction::Sent &&
               (f->verdict == V::Written || f->verdict == V::WrittenLater);
    };
    // A request followed by the next request, with nothing received between.
    if (written(r) && written(RecordAt(row + 1)))
        return Kind::Unanswered;
    return Kind::Normal;
}

int FrameLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(end_ - first_);
}

int FrameLogModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FrameLogModel::data(const QModelIndex &index, int role) const
{
    const FrameRecord *r = RecordAt(index.row());
    if (!r)
        return {};
    if (role == KindRole)
        return static_cast<int>(KindOf(index.row()));
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case Time: return LocalTime(r->msecs);
    case Direction:
        return r->direction == FrameRecord::Direction::Sent ? kz::Tr(QT_TRANSLATE_NOOP("kz", "发送")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "接收"));
    case Address: return r->Address() < 0 ? QStringLiteral("--") : QString::number(r->Address());
    case Function:
        return r->Function() < 0 ? QStringLiteral("--")
                                 : QStringLiteral("%1").arg(r->Function(), 2, 16, QLatin1Char('0')).toUpper();
    case Length: return QString::number(r->bytes.size());
    case Verdict: return VerdictText(*r);
    case Meaning: return FrameMeaning(*r);
    case Bytes: {
        // As on the wire first (Modbus TCP: the MBAP frame), then the RTU form.
        const QString hex = QString::fromLatin1(r->bytes.toHex(' ').toUpper());
        return r->wire.isEmpty() ? hex
                                 : QStringLiteral("%1  RTU: %2").arg(QString::fromLatin1(r->wire.toHex(' ').toUpper()), hex);
    }
    default: return {};
    }
}

QString FrameLogModel::LocalTime(qint64 msecs) const
{
    // The offset from UTC is looked up once per quarter of an hour, the step
    // in which zones change it: converting each time on its own asks the C
    // library to reread the zone, which was a tenth of drawing a screen of
    // rows.
    constexpr qint64 Quarter = 15 * 60 * 1000, Day = 24 * 60 * 60 * 1000;
    const qint64 quarter = msecs >= 0 ? msecs / Quarter : (msecs - Quarter + 1) / Quarter;
    if (quarter != offsetQuarter_) {
        offsetQuarter_ = quarter;
        offsetMs_ = QDateTime::fromMSecsSinceEpoch(quarter * Quarter).offsetFromUtc() * qint64(1000);
    }
    const qint64 ofDay = ((msecs + offsetMs_) % Day + Day) % Day;
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ofDay)).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QVariant FrameLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const kHeadings[ColumnCount] = {QT_TRANSLATE_NOOP("kz", "时间"), QT_TRANSLATE_NOOP("kz", "方向"), QT_TRANSLATE_NOOP("kz", "地址"), QT_TRANSLATE_NOOP("kz", "功能"), QT_TRANSLATE_NOOP("kz", "长度"), QT_TRANSLATE_NOOP("kz", "结论"), QT_TRANSLATE_NOOP("kz", "含义"), QT_TRANSLATE_NOOP("kz", "字节")};
    return section >= 0 && section < ColumnCount ? kz::Tr(kHeadings[section]) : QVariant();
}

// --------------------------------------------------------------- FrameFilter

FrameFilter::FrameFilter(QObject *parent) : QSortFilterProxyModel(parent) {}

void FrameFilter::SetCriteria(const Criteria &criteria)
{
    criteria_ = criteria;
    invalidateRowsFilter();
}

bool FrameFilter::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    const auto *model = qobject_cast<const FrameLogModel *>(sourceModel());
    const FrameRecord *r = model ? model->RecordAt(sourceRow) : nullptr;
    if (!r)
        return false;
    const bool sent = r->direction == FrameRecord::Direction::Sent;
    const Criteria &c = criteria_;
    if ((c.direction == Direction::Sent && !sent) || (c.direction == Direction::Received && sent))
        return false;
    if (c.address >= 0 && r->Address() != c.address)
        return false;
    if (c.function >= 0 && (r->Function() & 0x7F) != (c.function & 0x7F) && r->Function() != c.function)
        return false;
    return c.kind < 0 || static_cast<int>(model->KindOf(sourceRow)) == c.kind;
}
