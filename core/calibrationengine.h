#pragma once
// Calibration over function 0xAA in the form the three-phase module and the
// single-phase meter share, without widgets.
//
// Requests, 13 bytes:
//   read   address, AA, 'r', "7022B000", CRC
//   write  address, AA, 'w', "7022", point N, C2 C1 C0, CRC
// where C2 C1 C0 is the 24-bit correction word of point N, high byte first.
// Replies: 'r' (byte 2) 82 bytes: address, AA, 'r', "7022", one byte, then
// 24 values of three bytes each (high first) and the CRC; anything else 13
// bytes, an acknowledgement when byte 2 is 'w'. A reply is accepted when its
// bytes 3-6 are "7022" or its byte 1 is AA.
//
// A correction K is sent as the word K x 2^23 (two's complement, 24 bits,
// rounded half to even). Everything that could put a meaningless word into
// the instrument's calibration memory is refused here: a reference that is
// not a number or is 0, a reading of 0, a phase point without an angle, a K
// that is not finite or does not fit the signed 24-bit range, and a write
// text that is not hexadecimal.
//
// The cyclic read state, the eight-reading histories and the hex write check
// are shared with the KZ827KVE calibration, whose frames are its own.
#include "link/modbusframes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace calib {

// The messages of the calibration windows.
namespace msg {
inline constexpr const char *kBusy = QT_TRANSLATE_NOOP("kz", "系统正在读数据，请先停止！");
inline constexpr const char *kNoPoint = QT_TRANSLATE_NOOP("kz", "请选择待校验的参数！！");
inline constexpr const char *kNoWord = QT_TRANSLATE_NOOP("kz", "校验数据窗口不能为空！！");
inline constexpr const char *kNotHex = QT_TRANSLATE_NOOP("kz", "校验数据只能是十六进制数字（0-9，A-F）！！");
inline constexpr const char *kNoReference = QT_TRANSLATE_NOOP("kz", "注意：标准表数据不能为空！！");
inline constexpr const char *kZeroReference = QT_TRANSLATE_NOOP("kz", "注意：标准表数据不能为零！！");
inline constexpr const char *kNoData = QT_TRANSLATE_NOOP("kz", "没有读到任何数据！请再读一次数据。");
inline constexpr const char *kDataError = QT_TRANSLATE_NOOP("kz", "数据出错！！");
inline constexpr const char *kWrongPoint = QT_TRANSLATE_NOOP("kz", "注意：校验参数选择不对！！");
inline constexpr const char *kWritten = QT_TRANSLATE_NOOP("kz", "参数设置成功！！");
} // namespace msg

constexpr int kRequestBytes = 13;
constexpr int kReadReplyBytes = 82;
constexpr int kHeaderBytes = 8; // address, AA, command, "7022", one byte
constexpr std::uint32_t kHalf = 0x800000;

QByteArray ReadRequest(std::uint8_t address);
QByteArray WriteRequest(std::uint8_t address, std::uint8_t point, std::uint32_t word);

// Removes the first three bytes of data and returns them as one unsigned
// number, high byte first; bytes missing at the end count as 0.
std::uint32_t TakeValue24(QByteArray &data);
// The signed reading of a 24-bit value: value - 2^24 above 0x800000 (0x800000
// itself counts as positive).
double Signed24(std::uint32_t value);
// Whether two values lie on different sides of 0x800000: the power factor
// that goes with them is negated.
inline bool SignsDiffer(std::uint32_t a, std::uint32_t b) { return (a > kHalf) != (b > kHalf); }

bool IsAccepted(const QByteArray &reply);
bool IsAcknowledgement(const QByteArray &reply); // accepted, 'w'
// An accepted 'r' reply with all its bytes; only such a reply is decoded.
bool IsCompleteRead(const QByteArray &reply);

// The last eight readings of one quantity, oldest first, 0 at start.
class History {
public:
    void Push(double value);
    double Mean() const;
    double Last() const { return values_.back(); }

private:
    std::array<double, 8> values_{};
};

// How "计  算" turns a reference and a reading into a correction.
enum class Formula {
    PowerUnity,      // active power at power factor 1.0: K = S / M - 1
    PowerHalfLagging, // active power at 0.5 lagging: the phase angle error
    Ratio,           // voltage or current: K = S / R - 1
    None,            // written by hand only
};

// One calibration point of a window's list; N is its position + 1.
struct Point {
    const char *text;
    const char *reference; // put into the reference edit when chosen
    Formula formula;
    int reading;           // which reading of the family's decoder it uses
};

// A reading shown by the window: object name, label, initial text and the
// name assistive technology reads.
struct ReadOut {
    const char *name;
    const char *label;
    const char *initial;
    const char *accessible;
};

// What a family's read reply means. The decoder keeps its histories for the
// whole process; they are never cleared.
class Decoder {
public:
    virtual ~Decoder() = default;
    virtual std::span<const Point> Points() const = 0;
    virtual std::span<const ReadOut> ReadOuts() const = 0;
    // Decodes the values of a complete read reply (from offset 8).
    virtual void Take(QByteArray values) = 0;
    // The read-outs' texts, in ReadOuts() order.
    virtual QStringList Texts() const = 0;
    // The reading a point compares with.
    virtual double Reading(int which) const = 0;
    // The same quantity from the last reply alone, not averaged (a guided
    // run keeps its own eight).
    virtual double Latest(int which) const { return Reading(which); }
};

// The outcome of "计  算": the six hex digits of the word, or a message, or
// neither (no point chosen: nothing happens).
struct Computed {
    QString word;
    QString message;
    std::optional<double> reading; // the reading used, when it came that far
    bool ok() const { return !word.isEmpty(); }
};

// K from a reference and a reading by a point's formula, encoded; the
// reference text is cut at its unit (W for power, V or else A for a ratio).
Computed ComputeCorrection(Formula formula, const QString &reference, double reading);
// The 24-bit word of K, rounded half to even; nothing when K is not finite
// or the word does not fit -0x7FFFFF..0x7FFFFF (0x800000 would read as +1
// and as -1).
std::optional<std::uint32_t> EncodeCorrection(double k);
QString WordText(std::uint32_t word); // six upper-case hex digits

// The word a write sends from the text of the correction edit: its first
// six characters, padded with "0" in front, as three hex pairs. Nothing when
// the text is empty or a character used is not a hex digit.
std::optional<std::uint32_t> CorrectionWord(const QString &text);

// One calibration run of a window: the replies it takes, whether anything
// was read, and "计  算".
class Engine {
public:
    explicit Engine(Decoder &decoder) : decoder_(decoder) {}

    enum class Reply { Ignored, Read, Acknowledged };
    Reply Take(const QByteArray &reply);
    bool HasReading() const { return hasReading_; }
    Computed Compute(int point, const QString &reference) const; // point: list index, -1 none
    Decoder &decoder() const { return decoder_; }

private:
    Decoder &decoder_;
    bool hasReading_ = false;
};

// The read button's states: "读启用" before the first start, "读停止" while
// reading cyclically, "读启动" after it stopped.
class CyclicRead {
public:
    bool Reading() const { return reading_; }
    void Start() { reading_ = true; started_ = true; }
    void Stop() { reading_ = false; }
    QString Caption() const;

private:
    bool reading_ = false;
    bool started_ = false;
};

} // namespace calib
