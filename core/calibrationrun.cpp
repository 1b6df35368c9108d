#include "core/calibrationrun.h"

#include "core/tr.h"

#include <iterator>

#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <utility>

namespace calib {

namespace {
// Replies missed in a row before the meter counts as not answering.
constexpr int kMissesAllowed = 3;
} // namespace

QString StepText(Step step)
{
    // In the order of Step.
    static const char *const kTexts[] = {QT_TRANSLATE_NOOP("kz", "清零"), QT_TRANSLATE_NOOP("kz", "等待设置标准源"), QT_TRANSLATE_NOOP("kz", "读数（校验前）"), QT_TRANSLATE_NOOP("kz", "写入校验数据"), QT_TRANSLATE_NOOP("kz", "读数（校验后）"), QT_TRANSLATE_NOOP("kz", "完成"), QT_TRANSLATE_NOOP("kz", "读数（清零前）")};
    const auto i = static_cast<std::size_t>(step);
    return i < std::size(kTexts) ? kz::Tr(kTexts[i]) : QString();
}

bool RunResult::Passed() const
{
    if (stopped || noAnswer || planned == 0 || points.size() != planned)
        return false;
    return std::all_of(points.begin(), points.end(), [](const PointResult &p) { return p.passed; });
}

QByteArray AaProtocol::ClearRequest(std::uint8_t address, const PlanPoint &point) const
{
    return WriteRequest(address, point, 0);
}

QString AaProtocol::ClearedWord(const PlanPoint &) const
{
    return WordText(0);
}

QByteArray AaProtocol::ReadRequest(std::uint8_t address) const
{
    return calib::ReadRequest(address);
}

std::optional<double> AaProtocol::Reading(const QByteArray &reply, const PlanPoint &point)
{
    if (!IsCompleteRead(reply))
        return std::nullopt;
    decoder_.Take(reply.mid(kHeaderBytes));
    return decoder_.Latest(point.reading);
}

bool AaProtocol::IsAcknowledgement(const QByteArray &reply) const
{
    return calib::IsAcknowledgement(reply);
}

Computed AaProtocol::Compute(const PlanPoint &point, double mean) const
{
    return ComputeCorrection(point.formula, point.ReferenceText(), mean);
}

QByteArray AaProtocol::WriteRequest(std::uint8_t address, const PlanPoint &point, std::uint32_t word) const
{
    return calib::WriteRequest(address, static_cast<std::uint8_t>(point.point), word);
}

Run::Run(Exchanger &exchanger, Decoder &decoder, std::uint8_t address, Plan plan, QObject *parent)
    : QObject(parent), exchanger_(exchanger), owned_(std::make_unique<AaProtocol>(decoder)), protocol_(*owned_),
      address_(address), plan_(std::move(plan))
{
}

Run::Run(Exchanger &exchanger, Protocol &protocol, std::uint8_t address, Plan plan, QObject *parent)
    : QObject(parent), exchanger_(exchanger), protocol_(protocol), address_(address), plan_(std::move(plan))
{
}

void Run::Start()
{
    if (running_)
        return;
    running_ = true;
    stopWanted_ = false;
    index_ = 0;
    result_ = RunResult();
    reported_ = 0;
    restoring_.clear();
    result_.planned = static_cast<int>(plan_.points.size());
    result_.started = QDateTime::currentDateTime();
    QMetaObject::invokeMethod(this, [this] { beginPoint(); }, Qt::QueuedConnection);
}

void Run::Stop()
{
    if (!running_ || stopWanted_)
        return;
    stopWanted_ = true;
    // With an exchange in flight its handler ends the run; otherwise the run
    // waits for the operator or for the next read and ends now.
    if (!inFlight_)
        QMetaObject::invokeMethod(this, [this] { if (running_) finish(); }, Qt::QueuedConnection);
}

void Run::Respond(Answer answer)
{
    if (!running_ || step_ != Step::WaitingForSource)
        return;
    switch (answer) {
    case Answer::Continue:
        beginAttempt();
        break;
    case Answer::Skip:
        current().skipped = true;
        endPoint(false, kz::Tr(QT_TRANSLATE_NOOP("kz", "跳过")));
        break;
    case Answer::Stop:
        stopWanted_ = true;
        finish();
        break;
    }
}

void Run::report()
{
    emit progress(index_, static_cast<int>(plan_.points.size()), step_, lastError_);
}

void Run::exchange(const QByteArray &request, void (Run::*handler)(const QByteArray &))
{
    inFlight_ = true;
    QPointer<Run> self(this);
    exchanger_.Exchange(request, [self, handler](const QByteArray &reply) {
        if (!self)
            return;
        // Always on a later turn: an exchanger that answers at once must
        // not make the run recurse.
        QMetaObject::invokeMethod(
            self.data(),
            [self, handler, reply] {
                self->inFlight_ = false;
                if (self->running_)
                    (self.data()->*handler)(reply);
            },
            Qt::QueuedConnection);
    });
}

void Run::beginPoint()
{
    if (!running_)
        return;
    if (stopWanted_ || index_ >= plan_.points.size()) {
        finish();
        return;
    }
    PointResult r;
    r.point = plan_.points[index_];
    result_.points.append(r);
    // The operator is asked before anything is written: a point skipped or
    // a run stopped here leaves the meter's correction as it was.
    if (prompting_) {
        step_ = Step::WaitingForSource;
        report();
        emit sourceWanted(current().point);
        return;
    }
    beginAttempt();
}

void Run::beginAttempt()
{
    // The first attempt reads the meter as it stands before the point is
    // cleared; a retry clears at once.
    if (++current().attempts == 1) {
        checked_.reset();
        startReading(Step::Checking);
        return;
    }
    clear();
}

void Run::clear()
{
    step_ = Step::Clearing;
    report();
    exchange(protocol_.ClearRequest(address_, current().point), &Run::clearDone);
}

bool Run::acknowledged(const QByteArray &reply, const QString &what)
{
    if (protocol_.IsAcknowledgement(reply))
        return true;
    // A write the meter does not confirm ends the run: nothing after it can
    // be trusted.
    result_.noAnswer = true;
    current().message = kz::Tr(QT_TRANSLATE_NOOP("kz", "仪表没有确认%1")).arg(what);
    finish();
    return false;
}

void Run::clearDone(const QByteArray &reply)
{
    if (!acknowledged(reply, kz::Tr(QT_TRANSLATE_NOOP("kz", "清零"))))
        return;
    current().word = protocol_.ClearedWord(current().point);
    if (stopWanted_) {
        finish();
        return;
    }
    startReading(Step::ReadingBefore);
}

void Run::startReading(Step step)
{
    step_ = step;
    readings_.clear();
    misses_ = 0;
    settling_.start();
    report();
    read();
}

void Run::read()
{
    if (!running_)
        return;
    if (stopWanted_) {
        finish();
        return;
    }
    exchange(protocol_.ReadRequest(address_), &Run::readDone);
}

void Run::readDone(const QByteArray &reply)
{
    if (stopWanted_) {
        finish();
        return;
    }
    const PlanPoint &p = current().point;
    const std::optional<double> reading = protocol_.Reading(reply, p);
    if (!reading) {
        if (++misses_ >= kMissesAllowed) {
            result_.noAnswer = true;
            current().message = kz::Tr(QT_TRANSLATE_NOOP("kz", "仪表无应答"));
            finish();
            return;
        }
    } else {
        misses_ = 0;
        readings_.append(*reading);
        if (readings_.size() > kSettleReadings)
            readings_.removeFirst();
        if (readings_.size() == kSettleReadings) {
            double sum = 0;
            for (double v : readings_)
                sum += v;
            const double mean = sum / kSettleReadings;
            const auto [low, high] = std::minmax_element(readings_.begin(), readings_.end());
            spread_ = mean != 0 ? (*high - *low) / std::fabs(mean) * 100 : INFINITY;
            if (spread_ <= plan_.stability) {
                settled(mean);
                return;
            }
        }
    }
    if (settling_.elapsed() > plan_.settleMs) {
        const QString spread = readings_.size() == kSettleReadings && std::isfinite(spread_)
                                   ? kz::Tr(QT_TRANSLATE_NOOP("kz", "八次读数相差 %1%，")).arg(spread_, 0, 'f', 3)
                                   : QString();
        endPoint(false, kz::Tr(QT_TRANSLATE_NOOP("kz", "读数 %1 秒内未稳定（%2允许 %3%）"))
                            .arg(plan_.settleMs / 1000.0)
                            .arg(spread)
                            .arg(plan_.stability));
        return;
    }
    if (readIntervalMs_ > 0)
        QTimer::singleShot(readIntervalMs_, this, [this] { read(); });
    else
        read();
}

void Run::settled(double mean)
{
    PointResult &r = current();
    const PlanPoint &p = r.point;
    if (step_ == Step::Checking) {
        // The reading as the meter stands, kept to give back should the
        // correction be refused once the point is cleared.
        checked_ = mean;
        clear();
        return;
    }
    if (step_ == Step::ReadingBefore) {
        r.before = mean;
        const Computed computed = protocol_.Compute(p, mean);
        const std::optional<std::uint32_t> word = CorrectionWord(computed.word);
        if (!computed.ok() || !word) {
            // Refused with the point cleared: the word that gives back the
            // reading taken before the clear is written, and the point
            // fails; the meter is never left cleared by a refusal.
            const QString why = kz::Tr(computed.message);
            if (checked_) {
                PlanPoint back = p;
                back.reference = *checked_;
                const Computed restore = protocol_.Compute(back, mean);
                const std::optional<std::uint32_t> restoreWord = CorrectionWord(restore.word);
                if (restore.ok() && restoreWord) {
                    r.word = restore.word;
                    restoring_ = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1，已写回清零前的读数（校验数据 %2）")).arg(why, r.word);
                    step_ = Step::Writing;
                    report();
                    exchange(protocol_.WriteRequest(address_, p, *restoreWord), &Run::writeDone);
                    return;
                }
            }
            endPoint(false, kz::Tr(QT_TRANSLATE_NOOP("kz", "%1，校验数据仍为清零值 %2")).arg(why, r.word));
            return;
        }
        r.word = computed.word;
        step_ = Step::Writing;
        report();
        exchange(protocol_.WriteRequest(address_, p, *word), &Run::writeDone);
        return;
    }
    r.after = mean;
    r.error = (mean - p.reference) / p.reference * 100;
    lastError_ = QStringLiteral("%1%").arg(*r.error, 0, 'f', 4);
    report();
    if (std::fabs(*r.error) <= p.limit) {
        endPoint(true, QString());
        return;
    }
    if (r.attempts <= kRetries) {
        beginAttempt();
        return;
    }
    endPoint(false, kz::Tr(QT_TRANSLATE_NOOP("kz", "误差 %1 超出 ±%2%")).arg(lastError_).arg(p.limit));
}

void Run::writeDone(const QByteArray &reply)
{
    if (!acknowledged(reply, kz::Tr(QT_TRANSLATE_NOOP("kz", "写入"))))
        return;
    if (!restoring_.isEmpty()) {
        endPoint(false, std::exchange(restoring_, QString()));
        return;
    }
    // Stopped here, the correction just written stays.
    if (stopWanted_) {
        finish();
        return;
    }
    startReading(Step::ReadingAfter);
}

void Run::endPoint(bool passed, const QString &message)
{
    current().passed = passed;
    current().message = message;
    ++reported_;
    emit pointDone(current());
    ++index_;
    beginPoint();
}

void Run::finish()
{
    if (!running_)
        return;
    running_ = false;
    result_.stopped = stopWanted_;
    if ((stopWanted_ || result_.noAnswer) && index_ < plan_.points.size()) {
        const PlanPoint &p = plan_.points[index_];
        const bool begun = index_ < result_.points.size();
        result_.stoppedAt = kz::Tr(QT_TRANSLATE_NOOP("kz", "第 %1 点（%2）%3"))
                                .arg(p.point)
                                .arg(p.Title(), begun ? StepText(step_)
                                                      : kz::Tr(QT_TRANSLATE_NOOP("kz", "开始前")));
    }
    if (result_.points.size() > reported_) {
        PointResult &last = result_.points.last();
        if (last.attempts == 0 && !last.skipped) {
            // Stopped at its prompt, the point was never touched: no result.
            result_.points.removeLast();
        } else {
            // Cut off within the point: it is reported with what the meter
            // confirmed, as the record must show every word written.
            last.interrupted = true;
            if (last.message.isEmpty())
                last.message = kz::Tr(QT_TRANSLATE_NOOP("kz", "操作员停止于%1")).arg(StepText(step_));
            ++reported_;
            emit pointDone(last);
        }
    }
    step_ = Step::Done;
    result_.finished = QDateTime::currentDateTime();
    report();
    emit finished(result_);
}

QString Verdict(const PointResult &p)
{
    return kz::Tr(p.passed        ? QT_TRANSLATE_NOOP("kz", "合格")
                  : p.skipped     ? QT_TRANSLATE_NOOP("kz", "跳过")
                  : p.interrupted ? QT_TRANSLATE_NOOP("kz", "中断")
                                  : QT_TRANSLATE_NOOP("kz", "不合格"));
}

RecordRow PointRow(const PointResult &p, int address, const QDateTime &time)
{
    RecordRow row;
    row.time = time;
    row.address = address;
    row.point = p.point.point;
    row.pointText = p.point.Title();
    row.action = kz::Tr(QT_TRANSLATE_NOOP("kz", "引导校验"));
    row.reference = p.point.ReferenceText();
    row.before = p.before;
    row.word = p.word;
    row.after = p.after;
    row.error = p.error;
    row.attempts = p.attempts;
    row.verdict = Verdict(p);
    row.result = p.message;
    return row;
}

std::optional<RecordRow> EndRow(const RunResult &result, int address)
{
    if (result.stoppedAt.isEmpty())
        return std::nullopt;
    RecordRow row;
    row.time = result.finished;
    row.address = address;
    row.action = result.noAnswer ? kz::Tr(QT_TRANSLATE_NOOP("kz", "无应答")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "停止"));
    row.result = kz::Tr(QT_TRANSLATE_NOOP("kz", "运行停止于%1")).arg(result.stoppedAt);
    return row;
}

QList<RecordRow> RunRows(const RunResult &result, int address)
{
    QList<RecordRow> rows;
    for (const PointResult &p : result.points)
        rows.append(PointRow(p, address, result.finished));
    if (const auto end = EndRow(result, address))
        rows.append(*end);
    return rows;
}

} // namespace calib
