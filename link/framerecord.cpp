#include "link/framerecord.h"

#include <QCoreApplication>
#include <QDateTime>

// Off by default; QT_LOGGING_RULES="kz.link.debug=true" turns it on.
Q_LOGGING_CATEGORY(lcLink, "kz.link", QtInfoMsg)

bool FrameRecord::IsDrop() const
{
    switch (verdict) {
    case Verdict::TooShort:
    case Verdict::Unlisted:
    case Verdict::Exception:
    case Verdict::BadCrc:
    case Verdict::NoDestination:
    case Verdict::NotRequester:
    case Verdict::Unrequested:
    case Verdict::Stale:
    case Verdict::Refused:
        return true;
    default:
        return false;
    }
}

QString VerdictText(const FrameRecord &r)
{
    using V = FrameRecord::Verdict;
    QString text;
    switch (r.verdict) {
    case V::Written: text = QCoreApplication::translate("kz", "已发送"); break;
    case V::Held: text = QCoreApplication::translate("kz", "暂存，等当前应答处理完再发送"); break;
    case V::WrittenLater: text = QCoreApplication::translate("kz", "已发送（暂存后）"); break;
    case V::Merged: text = QCoreApplication::translate("kz", "未发送：相同请求已在等待"); break;
    case V::Refused: text = QCoreApplication::translate("kz", "未发送：串口未打开"); break;
    case V::Handed: text = QCoreApplication::translate("kz", "交给 %1").arg(r.window); break;
    case V::TooShort: text = QCoreApplication::translate("kz", "丢弃：太短"); break;
    case V::Unlisted: text = QCoreApplication::translate("kz", "丢弃：功能码 %1 不在应答表中").arg(r.Function(), 2, 16, QLatin1Char('0')).toUpper(); break;
    case V::Exception: text = QCoreApplication::translate("kz", "丢弃：异常应答，异常码 %1").arg(r.exceptionCode); break;
    case V::BadCrc: text = QCoreApplication::translate("kz", "丢弃：CRC 错误"); break;
    case V::NoDestination: text = QCoreApplication::translate("kz", "丢弃：没有接收窗口"); break;
    case V::NotRequester: text = QCoreApplication::translate("kz", "丢弃：请求来自 %1，应答已归 %2").arg(r.window, r.holder); break;
    case V::Unrequested: text = QCoreApplication::translate("kz", "丢弃：没有等待应答的请求"); break;
    case V::Stale: text = QCoreApplication::translate("kz", "丢弃：发送前清除的未读字节"); break;
    }
    if (r.usedLength >= 0 && r.usedLength < r.bytes.size())
        text += QCoreApplication::translate("kz", "，截自 %1 字节").arg(r.bytes.size());
    if (r.direction == FrameRecord::Direction::Received && r.requestAddress >= 0 && r.Address() >= 0 &&
        r.Address() != r.requestAddress && r.verdict != V::Stale)
        text += QCoreApplication::translate("kz", "，地址与请求（%1）不符").arg(r.requestAddress);
    return text;
}

QString FormatRecord(const FrameRecord &r)
{
    const QString time = QDateTime::fromMSecsSinceEpoch(r.msecs).toString(QStringLiteral("HH:mm:ss.zzz"));
    const bool sent = r.direction == FrameRecord::Direction::Sent;
    const auto number = [](int v) { return v < 0 ? QStringLiteral("--") : QString::number(v); };
    const QString function =
        r.Function() < 0 ? QStringLiteral("--") : QStringLiteral("%1").arg(r.Function(), 2, 16, QLatin1Char('0')).toUpper();
    const QString hex = QString::fromLatin1(r.bytes.toHex(' ').toUpper());
    const QString shown =
        r.wire.isEmpty() ? hex : QStringLiteral("%1\tRTU: %2").arg(QString::fromLatin1(r.wire.toHex(' ').toUpper()), hex);
    return QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7")
        .arg(time, sent ? QCoreApplication::translate("kz", "发送") : QCoreApplication::translate("kz", "接收"), number(r.Address()), function,
             QString::number(r.bytes.size()), VerdictText(r), shown);
}

// ------------------------------------------------------------------ FrameLog

FrameLog::FrameLog(std::size_t capacity) : ring_(capacity ? capacity : 1) {}

void FrameLog::Append(FrameRecord record)
{
    // The log outlives the frames' producers by thousands of records: keep
    // each frame's bytes only, not the spare room of the array it came in.
    if (record.bytes.capacity() > record.bytes.size())
        record.bytes.squeeze();
    if (record.wire.capacity() > record.wire.size())
        record.wire.squeeze();
    ring_[head_] = std::move(record);
    head_ = (head_ + 1) % ring_.size();
    if (size_ < ring_.size())
        ++size_;
    ++total_;
}

void FrameLog::Clear()
{
    for (FrameRecord &r : ring_)
        r = FrameRecord{};
    head_ = 0;
    size_ = 0;
}

const FrameRecord &FrameLog::At(std::size_t i) const
{
    return ring_[(head_ + ring_.size() - size_ + i) % ring_.size()];
}

std::size_t FrameLog::IndexOf(std::uint64_t number) const
{
    const std::uint64_t first = total_ - size_;
    if (number <= first)
        return 0;
    return static_cast<std::size_t>(std::min<std::uint64_t>(number - first, size_));
}
