#pragma once
// A guided calibration run: every point of a plan in one go, without
// widgets. Per point it
//   1. asks the operator to set the standard source (Continue, Skip, Stop),
//      or goes on at once when nobody is asked;
//   2. reads until the point's reading has settled (eight readings in a row
//      whose spread is within the plan's stability, their mean the
//      reading; a reading that does not settle within the plan's time
//      fails the point, with nothing written) and keeps that reading of the
//      meter as it stands;
//   3. writes the correction word 0 (as 清零 and 写入 do by hand) and reads
//      until settled again;
//   4. computes the correction from the reference and that reading with the
//      engine's formula and refusals, and writes it. Should it be refused,
//      the word that gives back the reading of step 2 is written instead
//      and the point fails: a point is never left cleared by a failed
//      computation, and the meter reads as it did before;
//   5. reads until settled again and takes the error against the reference;
//   6. passes when |error| is within the point's limit; otherwise it starts
//      over from step 3 (without asking again), up to kRetries times, then
//      the point fails and the run goes on with the next one.
// A meter that does not answer ends the run: nothing after it could be
// trusted. Stop ends it cleanly after the exchange in flight; the meter
// keeps every correction written so far, and the result says where it
// stopped. A point cut off so is reported like the others (pointDone),
// marked interrupted, with the last word the meter confirmed.
//
// The address, the plan and the family's form are given when the run is
// made and kept for its whole length: whatever the window's controls show
// later, the run's requests and results name the meter calibrated.
//
// The run talks to the meter through an Exchanger, so the windows' link and
// the command line's synchronous link can both drive it, and in its
// family's calibration form through a Protocol: the module and single-phase
// meter's (AaProtocol, the engine's frames and formulas) or another
// family's. Replies are always handled on a later turn of the event loop,
// whatever the exchanger does, so the run never blocks the loop and never
// recurses.
#include "core/calibrationplan.h"
#include "core/calibrationrecord.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace calib {

// Sends a request to the meter and calls done with its reply, or with an
// empty array when none came. done must not be called twice.
class Exchanger {
public:
    virtual ~Exchanger() = default;
    virtual void Exchange(const QByteArray &request, std::function<void(const QByteArray &reply)> done) = 0;
};

// A family's calibration form as the run uses it: the frames of one point's
// clear, read and write, what a reply says, and the correction a settled
// reading asks for.
class Protocol {
public:
    virtual ~Protocol() = default;
    // The write that clears a point before it is calibrated, and the word
    // (six hex digits) it leaves.
    virtual QByteArray ClearRequest(std::uint8_t address, const PlanPoint &point) const = 0;
    virtual QString ClearedWord(const PlanPoint &point) const = 0;
    virtual QByteArray ReadRequest(std::uint8_t address) const = 0;
    // The point's reading from one read reply alone; nothing when the reply
    // is not a complete read.
    virtual std::optional<double> Reading(const QByteArray &reply, const PlanPoint &point) = 0;
    virtual bool IsAcknowledgement(const QByteArray &reply) const = 0;
    // The word to write for a settled mean reading (taken after the clear),
    // or the message saying why there is none.
    virtual Computed Compute(const PlanPoint &point, double mean) const = 0;
    virtual QByteArray WriteRequest(std::uint8_t address, const PlanPoint &point, std::uint32_t word) const = 0;
};

// The form the three-phase module and the single-phase meter share: clear
// writes the word 0, reads go through the family's decoder, the correction
// is the engine's.
class AaProtocol : public Protocol {
public:
    // decoder: the family's read reply decoder; it must outlive the protocol.
    explicit AaProtocol(Decoder &decoder) : decoder_(decoder) {}
    QByteArray ClearRequest(std::uint8_t address, const PlanPoint &point) const override;
    QString ClearedWord(const PlanPoint &point) const override;
    QByteArray ReadRequest(std::uint8_t address) const override;
    std::optional<double> Reading(const QByteArray &reply, const PlanPoint &point) override;
    bool IsAcknowledgement(const QByteArray &reply) const override;
    Computed Compute(const PlanPoint &point, double mean) const override;
    QByteArray WriteRequest(std::uint8_t address, const PlanPoint &point, std::uint32_t word) const override;

private:
    Decoder &decoder_;
};

constexpr int kRetries = 3;
constexpr int kSettleReadings = 8;

enum class Step { Clearing, WaitingForSource, ReadingBefore, Writing, ReadingAfter, Done, Checking };
QString StepText(Step step); // in the language in use

struct PointResult {
    PlanPoint point;
    std::optional<double> before;
    QString word;               // six hex digits, the last written
    std::optional<double> after;
    std::optional<double> error; // % of the reference
    int attempts = 0;
    bool passed = false;
    bool skipped = false;
    bool interrupted = false;   // the run ended within this point
    QString message;            // why it failed, empty when it passed
};

struct RunResult {
    QList<PointResult> points;  // those begun (asked for, written), in plan order
    bool stopped = false;       // by the operator
    bool noAnswer = false;      // the meter stopped answering
    QString stoppedAt;          // where the run ended early, empty when complete
    int planned = 0;
    QDateTime started;
    QDateTime finished;
    // Every planned point done and passed.
    bool Passed() const;
};

class Run : public QObject {
    Q_OBJECT
public:
    enum class Answer { Continue, Skip, Stop };

    // decoder: the family's read reply decoder (the 0xAA form of the
    // module and the single-phase meter); it must outlive the run.
    Run(Exchanger &exchanger, Decoder &decoder, std::uint8_t address, Plan plan, QObject *parent = nullptr);
    // protocol: the family's calibration form; it must outlive the run.
    Run(Exchanger &exchanger, Protocol &protocol, std::uint8_t address, Plan plan, QObject *parent = nullptr);

    // Ask the operator before each point (default); without it the source
    // is taken to follow on its own.
    void SetPrompting(bool prompting) { prompting_ = prompting; }
    // Milliseconds between reads (0: back to back).
    void SetReadInterval(int ms) { readIntervalMs_ = ms; }

    void Start();
    // The operator's answer to sourceWanted.
    void Respond(Answer answer);
    // Ends the run after the exchange in flight.
    void Stop();

    bool Running() const { return running_; }
    const RunResult &Result() const { return result_; }
    const Plan &plan() const { return plan_; }
    int Current() const { return index_; } // 0-based point index
    std::uint8_t Address() const { return address_; }
    Step CurrentStep() const { return step_; }

signals:
    // Point index (0-based) of count, the step, and the last error (% or
    // empty) - for a progress display.
    void progress(int index, int count, calib::Step step, const QString &lastError);
    // The operator must set the source for this point and answer.
    void sourceWanted(const calib::PlanPoint &point);
    void pointDone(const calib::PointResult &result);
    void finished(const calib::RunResult &result);

private:
    void beginPoint();
    void beginAttempt();
    // True when reply confirms the write; otherwise the run ends as not
    // answering, saying which write went unconfirmed.
    bool acknowledged(const QByteArray &reply, const QString &what);
    void clearDone(const QByteArray &reply);
    void startReading(Step step);
    void read();
    void readDone(const QByteArray &reply);
    void settled(double mean);
    void clear();
    void writeDone(const QByteArray &reply);
    void endPoint(bool passed, const QString &message);
    void finish();
    void exchange(const QByteArray &request, void (Run::*handler)(const QByteArray &));
    void report();
    PointResult &current() { return result_.points.last(); }

    Exchanger &exchanger_;
    std::unique_ptr<Protocol> owned_; // the default form, when made from a decoder
    Protocol &protocol_;
    std::uint8_t address_;
    Plan plan_;
    bool prompting_ = true;
    int readIntervalMs_ = 0;

    bool running_ = false;
    bool stopWanted_ = false;
    bool inFlight_ = false;
    int index_ = 0;
    Step step_ = Step::Clearing;
    QList<double> readings_; // of this settling, newest last
    double spread_ = 0;      // of the last eight, % of their mean
    int misses_ = 0;         // replies missed in a row
    QElapsedTimer settling_;
    QString lastError_;
    std::optional<double> checked_; // the point's reading before it was cleared
    QString restoring_;             // why the word being written restores it
    int reported_ = 0;              // points handed out by pointDone
    RunResult result_;
};

// The verdict of a point: 合格, 不合格, 跳过 or 中断 (translated).
QString Verdict(const PointResult &point);

// The record rows of a run: one per point begun (action 引导校验) and one
// saying where the run ended early, if it did. A record kept as the run goes
// adds PointRow at each pointDone and EndRow at the end.
RecordRow PointRow(const PointResult &point, int address, const QDateTime &time);
std::optional<RecordRow> EndRow(const RunResult &result, int address);
QList<RecordRow> RunRows(const RunResult &result, int address);

} // namespace calib
