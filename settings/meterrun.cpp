#include "settings/meterrun.h"

#include "kz827/measurement.h"
#include "link/modbusframes.h"

namespace settings {
namespace {

// A usable reply: there, and no exception reply.
bool Usable(const std::optional<QByteArray> &reply)
{
    return reply && reply->size() >= 3 && !(static_cast<std::uint8_t>(reply->at(1)) & 0x80);
}

QString NoAnswer(int address, const std::optional<QByteArray> &reply, const QString &failure)
{
    if (reply && reply->size() >= 3 && (static_cast<std::uint8_t>(reply->at(1)) & 0x80))
        return QStringLiteral("meter %1 refused the request (exception %2)")
            .arg(address)
            .arg(static_cast<std::uint8_t>(reply->at(2)));
    return failure.isEmpty() ? QStringLiteral("meter %1 did not answer").arg(address) : failure;
}

} // namespace

FamilyProbe::FamilyProbe(int address) : address_(address) {}

std::optional<Request> FamilyProbe::Next() const
{
    const auto a = static_cast<std::uint8_t>(address_);
    switch (step_) {
    case Step::Word5A:
        return Request{modbus::ReadRegisters(a, 0x005A, 1), address_};
    case Step::Kz827Measurement:
        return Request{modbus::ReadRegisters(a, kz827::kMeasurementFirst, kz827::kMeasurementRegisters), address_};
    case Step::Register50:
        return Request{modbus::ReadRegisters(a, 0x0050, 1), address_};
    case Step::Done:
        break;
    }
    return std::nullopt;
}

void FamilyProbe::Answer(const std::optional<QByteArray> &reply)
{
    const std::optional<Request> asked = Next();
    if (!asked)
        return;
    const modbus::Exchange e{asked->frame, reply.value_or(QByteArray())};
    const bool usable = Usable(reply);
    switch (step_) {
    case Step::Word5A:
        if (usable) {
            if (e.IsReadOf(0x03, 2))
                found_ = Family::ThreePhase;
            else if (e.IsReadOf(0x03, 8))
                found_ = Family::SinglePhase;
            step_ = Step::Done;
        } else {
            step_ = Step::Kz827Measurement;
        }
        return;
    case Step::Kz827Measurement:
        step_ = usable && e.IsReadOf(0x03, kz827::kMeasurementBytes) ? Step::Register50 : Step::Done;
        return;
    case Step::Register50:
        if (!usable)
            found_ = Family::Kz827;
        step_ = Step::Done;
        return;
    case Step::Done:
        return;
    }
}

MeterRun MeterRun::Read(Family family, const QList<int> &addresses)
{
    return MeterRun(family, addresses, {}, false);
}

MeterRun MeterRun::Write(Family family, const QList<int> &addresses, const QList<QByteArray> &data)
{
    return MeterRun(family, addresses, data, true);
}

MeterRun::MeterRun(Family family, const QList<int> &addresses, const QList<QByteArray> &data, bool write)
    : family_(family), addresses_(addresses), data_(data), write_(write)
{
    const QList<Block> &list = Blocks(family);
    for (qsizetype i = 0; i < list.size(); ++i)
        if (!write || !data.value(i).isEmpty())
            blocks_ << int(i);
    read_.resize(addresses.size());
    if (!addresses_.isEmpty())
        probe_ = FamilyProbe(addresses_.first());
}

std::optional<Request> MeterRun::Next() const
{
    if (Done())
        return std::nullopt;
    if (phase_ == Phase::Probe)
        return probe_.Next();
    const Block &b = Blocks(family_)[blocks_[block_]];
    const auto a = static_cast<std::uint8_t>(address());
    if (phase_ == Phase::Write)
        return Request{modbus::WriteRegisters(a, b.first, b.count, data_[blocks_[block_]]), address()};
    return Request{modbus::ReadRegisters(a, b.first, b.count), address()};
}

void MeterRun::nextMeter()
{
    ++meter_;
    block_ = 0;
    phase_ = Phase::Probe;
    // After a stop the meters not begun are listed as stopped.
    while (stopping_ && !Done()) {
        outcomes_.append({address(), -1, State::Stopped, QStringLiteral("stopped before meter %1").arg(address())});
        stepsDone_ += int(blocks_.size());
        ++meter_;
    }
    if (!Done())
        probe_ = FamilyProbe(address());
}

void MeterRun::endMeter(State state, const QString &reason)
{
    // The blocks not done count as done for the progress.
    stepsDone_ += int(blocks_.size() - block_);
    if (phase_ == Phase::ReadBack) {
        // The block written whose read-back failed: one row for it.
        outcomes_.last().state = state;
        outcomes_.last().reason = reason;
    } else {
        outcomes_.append({address(), phase_ == Phase::Probe ? -1 : blocks_[block_], state, reason});
    }
    nextMeter();
}

void MeterRun::nextBlock()
{
    ++stepsDone_;
    ++block_;
    if (block_ >= blocks_.size()) {
        nextMeter();
        return;
    }
    phase_ = write_ ? Phase::Write : Phase::Read;
    if (stopping_)
        endMeter(State::Stopped, QStringLiteral("stopped before block %1").arg(Blocks(family_)[blocks_[block_]].key));
}

void MeterRun::Answer(const std::optional<QByteArray> &reply, const QString &failure)
{
    const std::optional<Request> asked = Next();
    if (!asked)
        return;
    const int a = address();
    if (phase_ == Phase::Probe) {
        probe_.Answer(reply);
        if (!probe_.Done())
            return;
        const auto found = probe_.Found();
        if (found != family_) {
            // Another family is skipped; a meter that does not answer as
            // any family has failed.
            endMeter(found ? State::Skipped : State::Failed, found ? QStringLiteral("meter %1 is a %2 meter, not %3")
                                                 .arg(a)
                                                 .arg(FamilyName(*found), FamilyName(family_))
                                           : QStringLiteral("meter %1 did not answer as a %2 meter")
                                                 .arg(a)
                                                 .arg(FamilyName(family_)));
            return;
        }
        if (stopping_) {
            endMeter(State::Stopped, QStringLiteral("stopped before meter %1").arg(a));
            return;
        }
        if (blocks_.isEmpty()) {
            nextMeter();
            return;
        }
        phase_ = write_ ? Phase::Write : Phase::Read;
        return;
    }
    const int index = blocks_[block_];
    const Block &b = Blocks(family_)[index];
    if (!Usable(reply)) {
        QString reason = NoAnswer(a, reply, failure);
        if (phase_ == Phase::Read)
            reason = QStringLiteral("%1 (block %2)").arg(reason, b.key);
        fail(reason);
        return;
    }
    const modbus::Exchange e{asked->frame, *reply};
    switch (phase_) {
    case Phase::Write:
        if (!e.IsEchoOf(0x10)) {
            fail(QStringLiteral("meter %1 did not confirm the write of %2").arg(a).arg(b.key));
            return;
        }
        outcomes_.append({a, index, State::Written, {}});
        phase_ = Phase::ReadBack;
        return;
    case Phase::ReadBack:
    case Phase::Read: {
        if (!e.IsReadOf(0x03, b.readBytes)) {
            QString reason = QStringLiteral("meter %1 answered %2 bytes for registers 0x%3, expected %4")
                                 .arg(a)
                                 .arg(e.Data().size())
                                 .arg(b.first, 4, 16, QLatin1Char('0'))
                                 .arg(b.readBytes);
            if (phase_ == Phase::Read)
                reason = QStringLiteral("%1 (block %2)").arg(reason, b.key);
            fail(reason);
            return;
        }
        const QByteArray back = e.Data();
        if (phase_ == Phase::Read) {
            outcomes_.append({a, index, State::Read, {}});
            read_[meter_].resize(Blocks(family_).size());
            read_[meter_][index] = back;
        } else {
            // The Written outcome of this block becomes what the read-back says.
            Outcome &o = outcomes_.last();
            if (back == data_[index]) {
                o.state = State::Verified;
            } else {
                o.state = State::Failed;
                o.reason = QStringLiteral("meter %1 block %2: read-back differs (wrote %3, read %4)")
                               .arg(a)
                               .arg(b.key, QString::fromLatin1(data_[index].toHex(' ')),
                                    QString::fromLatin1(back.toHex(' ')));
            }
        }
        nextBlock();
        return;
    }
    case Phase::Probe:
        return;
    }
}

} // namespace settings
