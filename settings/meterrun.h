#pragma once
// The settings of meters read or written one request at a time, as steps
// that a driver carries out: kzctl over its blocking link, the 配置文件
// window through the program's link. The driver sends Next(), hands the
// reply (or nothing, with why) to Answer(), and repeats until Done(). No
// widgets, no port.
//
// Every meter is first asked what it is (FamilyProbe): the blocks of one
// family overlap the registers of another (a single-phase meter answers
// the KZ827KVE's settings reads), so a meter of another family is skipped
// and never written. A write is the block's data (function 10), confirmed
// by the meter's echo, then read back and compared.
#include "settings/blocks.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace settings {

// An address a request may go to: one meter, never the broadcast address 0
// nor anything that would wrap in the frame's address byte.
constexpr bool IsMeterAddress(int address) { return address >= 1 && address <= 247; }

// Why a meter or a block did not end as asked, for the driver to word in
// its own language (ReasonText is kzctl's English).
struct Reason {
    enum class Kind {
        None,
        BadAddress,      // no meter address: nothing sent
        NoAnswer,        // nothing came before the time-out
        Exception,       // an exception reply; number: its code
        BadFrame,        // a reply came but was no good frame
        NotSent,         // no port open: nothing was sent
        PortLost,        // the port or connection went away; detail: the driver's words
        OtherFamily,     // a meter of family found
        NoFamily,        // did not answer as a meter of the run's family
        NotConfirmed,    // the write's echo was not the echo of the write
        WrongSize,       // number: data bytes answered, expected: bytes of the block
        ReadBackDiffers, // wrote and read: the data
        Stopped,         // stopped by the user before the block (or the meter)
        NotReached,      // the port was lost before this meter
    };
    Reason() = default;
    Reason(Kind k, int n = 0, int e = 0) : kind(k), number(n), expected(e) {}
    // The port is gone, in the driver's words.
    static Reason Lost(const QString &why)
    {
        Reason r{Kind::PortLost};
        r.detail = why;
        return r;
    }

    Kind kind = Kind::None;
    int number = 0;
    int expected = 0;
    Family found = Family::ThreePhase;
    QString detail;
    QByteArray wrote, read;
};

// A request for the driver to send.
struct Request {
    QByteArray frame;
    int address = 0;
};

// The family of a meter judged by what it answers: the three-phase and
// single-phase meters differ in the size of register 0x005A (a word, or an
// 8-byte energy base), and only the KZ827KVE has no 0x0050.
class FamilyProbe {
public:
    explicit FamilyProbe(int address);
    // The next request; nothing once the family is judged.
    std::optional<Request> Next() const;
    // The reply frame to Next() (an exception reply counts as none).
    void Answer(const std::optional<QByteArray> &reply);
    bool Done() const { return step_ == Step::Done; }
    // The family found, nothing when the meter is of none (or silent).
    std::optional<Family> Found() const { return found_; }

private:
    enum class Step { Word5A, Kz827Measurement, Register50, Done };
    int address_;
    Step step_ = Step::Word5A;
    std::optional<Family> found_;
};

class MeterRun {
public:
    // What became of a block of a meter (block -1: the meter as a whole).
    enum class State { Read, Written, Verified, Failed, Skipped, Stopped };
    struct Outcome {
        int address = 0;
        int block = -1; // index in Blocks(family)
        State state = State::Failed;
        Reason why; // why it failed, was skipped or stopped
        // A block whose write the meter confirmed but whose read-back
        // failed or differs.
        bool written = false;
    };

    // Reads every block of the family from each meter.
    static MeterRun Read(Family family, const QList<int> &addresses);
    // Writes every block whose data is not empty (data per block of the
    // family, in Blocks order) to each meter, each read back.
    static MeterRun Write(Family family, const QList<int> &addresses, const QList<QByteArray> &data);

    std::optional<Request> Next() const;
    // The reply frame to Next(), or nothing with the driver's reason (kind
    // NoAnswer, BadFrame, NotSent or PortLost). NotSent and PortLost end
    // the run: nothing more can go out.
    void Answer(const std::optional<QByteArray> &reply, const Reason &failure = {Reason::Kind::NoAnswer});
    // Ends the run before its next block (or the next meter's family check).
    void Stop() { stopping_ = true; }
    bool Done() const { return meter_ >= addresses_.size(); }
    // True once the port was lost (or never open) during the run.
    bool Lost() const { return lost_; }
    // True for a run that writes.
    bool Writes() const { return write_; }
    // The indexes in Blocks(family) of the blocks each meter is asked for,
    // in order.
    const QList<int> &RunBlocks() const { return blocks_; }

    Family RunFamily() const { return family_; }
    const QList<int> &Addresses() const { return addresses_; }
    const QList<Outcome> &Outcomes() const { return outcomes_; }
    // The data read from the meter at addresses[i] per block (Read runs),
    // empty until all of its blocks are read.
    QList<QByteArray> DataOf(int meterIndex) const { return read_.value(meterIndex); }
    // Blocks done (or given up) and blocks in all, for a progress bar.
    int StepsDone() const { return stepsDone_; }
    int Steps() const { return int(addresses_.size()) * int(blocks_.size()); }

private:
    MeterRun(Family family, const QList<int> &addresses, const QList<QByteArray> &data, bool write);
    int address() const { return addresses_[meter_]; }
    // Records the end of the current meter: its remaining blocks are given
    // up with state and reason.
    void endMeter(State state, const Reason &why);
    void nextBlock();
    void nextMeter();
    // Passes over meters that are not to be asked (after a stop or a lost
    // port, or at no meter address), each with its outcome.
    void skipMeters();
    void fail(const Reason &why) { endMeter(State::Failed, why); }

    Family family_;
    QList<int> addresses_;
    QList<QByteArray> data_;
    bool write_ = false;
    QList<int> blocks_; // the indexes of the blocks to do, in order
    qsizetype meter_ = 0;
    qsizetype block_ = 0; // in blocks_
    enum class Phase { Probe, Write, ReadBack, Read } phase_ = Phase::Probe;
    FamilyProbe probe_{0};
    QList<QList<QByteArray>> read_;
    QList<Outcome> outcomes_;
    int stepsDone_ = 0;
    bool stopping_ = false;
    bool lost_ = false;
};

// The outcome's reason in English, as kzctl prints it; empty when none.
QString ReasonText(const MeterRun &run, const MeterRun::Outcome &outcome);
// "meter 3", "meters 2-4" or "meters 2, 5-7".
QString MeterList(const QList<int> &addresses);

} // namespace settings
