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
        QString reason; // why it failed, was skipped or stopped
    };

    // Reads every block of the family from each meter.
    static MeterRun Read(Family family, const QList<int> &addresses);
    // Writes every block whose data is not empty (data per block of the
    // family, in Blocks order) to each meter, each read back.
    static MeterRun Write(Family family, const QList<int> &addresses, const QList<QByteArray> &data);

    std::optional<Request> Next() const;
    // The reply frame to Next(), or nothing with the driver's reason (an
    // empty reason: the meter did not answer).
    void Answer(const std::optional<QByteArray> &reply, const QString &failure = {});
    // Ends the run before its next block (or the next meter's family check).
    void Stop() { stopping_ = true; }
    bool Done() const { return meter_ >= addresses_.size(); }

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
    void endMeter(State state, const QString &reason);
    void nextBlock();
    void nextMeter();
    void fail(const QString &reason) { endMeter(State::Failed, reason); }

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
};

} // namespace settings
