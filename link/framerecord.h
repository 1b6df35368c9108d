#pragma once
// What happened to each frame on the bus, as the link saw it: every request
// written or refused, every reply collected and where it went or why it was
// dropped. The link makes one record per frame; the traffic monitor, the
// trace file and the "kz.link" logging category read them. No widgets.
#include <QByteArray>
#include <QLoggingCategory>
#include <QString>
#include <cstdint>
#include <vector>


Q_DECLARE_LOGGING_CATEGORY(lcLink)

struct FrameRecord {
    enum class Direction { Sent, Received };
    enum class Verdict {
        // Sent frames
        Written,      // written to the port
        Held,         // held while a reply was being collected; written later
        WrittenLater, // a held frame, written now
        Merged,       // the same request was already held: not sent twice
        Refused,      // no port open: nothing sent
        // Received frames
        Handed,       // handed to the request that asked for it
        TooShort,     // six bytes or fewer, or shorter than its header says
        Unlisted,     // function code the reply-length rule does not know
        Exception,    // Modbus exception reply (function | 0x80, code)
        BadCrc,       // CRC of the frame cut to length does not match
        NoDestination,// the requester's family has no window taking replies
        NotRequester, // the requester's family was taken over by another window
        Unrequested,  // no request waits for a reply (none sent, or it timed out)
        Stale,        // unread bytes cleared before the next request
    };

    qint64 msecs = 0; // since the epoch
    Direction direction = Direction::Sent;
    Verdict verdict = Verdict::Written;
    QByteArray bytes;        // the frame as sent or received (before cutting)
    // The frame as it was on the wire, when that differs from bytes (Modbus
    // TCP: the MBAP frame); empty otherwise.
    QByteArray wire{};
    int usedLength = -1;     // received: the length it was cut to; -1 when not cut
    // The window that sent the request the frame is or answers, and
    // (NotRequester) the one that took its family's replies over.
    QString window{};
    QString holder{};
    int exceptionCode = -1;  // Exception: the code
    int requestAddress = -1; // received: the address of the request it follows

    bool IsDrop() const;
    int Address() const { return bytes.isEmpty() ? -1 : static_cast<std::uint8_t>(bytes.at(0)); }
    int Function() const { return bytes.size() < 2 ? -1 : static_cast<std::uint8_t>(bytes.at(1)); }
};

// The verdict in words, e.g. "交给 电量参数测量，截自 12 字节".
QString VerdictText(const FrameRecord &record);
// One line: time with milliseconds, direction, address, function, length,
// the verdict and the bytes in hex, separated by tabs (the verdict before
// the bytes, so that it is in sight however long the frame). A frame whose
// wire form differs shows the wire bytes, then "RTU:" and the bytes in the
// form the length and the verdict speak of.
QString FormatRecord(const FrameRecord &record);

// The last Capacity records, oldest first. Appending is constant time, so
// keeping the log costs the link next to nothing however long the run.
class FrameLog {
public:
    explicit FrameLog(std::size_t capacity = 10000);

    void Append(FrameRecord record);
    void Clear();
    std::size_t Size() const { return size_; }
    std::size_t Capacity() const { return ring_.size(); }
    // i = 0 is the oldest record kept.
    const FrameRecord &At(std::size_t i) const;
    // Records appended since the log was made (cleared ones included): a
    // reader remembers it and asks for what came after.
    std::uint64_t Total() const { return total_; }
    // Index (for At) of the record with the given running number, clamped
    // to the oldest record kept.
    std::size_t IndexOf(std::uint64_t number) const;

private:
    std::vector<FrameRecord> ring_;
    std::size_t head_ = 0; // next write position
    std::size_t size_ = 0;
    std::uint64_t total_ = 0;
};
