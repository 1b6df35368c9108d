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

// Why a request had no usable reply: the meter's exception, or the driver's reason.
Reason NoAnswer(const std::optional<QByteArray> &reply, const Reason &failure)
{
    if (reply && reply->size() >= 3 && (static_cast<std::uint8_t>(reply->at(1)) & 0x80))
        return {Reason::Kind::Exception, static_cast<std::uint8_t>(reply->at(2))};
    return failure.kind == Reason::Kind::None ? Reason{Reason::Kind::NoAnswer} : failure;
}

bool EndsRun(const Reason &why)
{
    return why.kind == Reason::Kind::PortLost || why.kind == Reason::Kind::NotSent;
}

} // namespace

FamilyProbe::FamilyProbe(int address) : address_(address) {}

std::optional<Request> FamilyProbe::Next() const
{
    if (!IsMeterAddress(address_))
        return std::nullopt;
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
    skipMeters();
}

std::optional<Request> MeterRun::Next() const
{
    if (Done())
        return std::nullopt;
    if (phase_ == Phase::Probe)
        return probe_.Next();
    const Block &b = Blocks(family_)[blocks_[block_]];
    // skipMeters lets no other address reach this point.
    const auto a = static_cast<std::uint8_t>(address());
    if (phase_ == Phase::Write)
        return Request{modbus::WriteRegisters(a, b.first, b.count, data_[blocks_[block_]]), address()};
    return Request{modbus::ReadRegisters(a, b.first, b.count), address()};
}

void MeterRun::nextMeter()
{
    ++meter_;
    skipMeters();
}

void MeterRun::skipMeters()
{
    block_ = 0;
    phase_ = Phase::Probe;
    for (; !Done(); ++meter_) {
        Outcome o{address(), -1, State::Stopped, {}};
        if (lost_)
            o.why = {Reason::Kind::NotReached};
        else if (stopping_)
            o.why = {Reason::Kind::Stopped};
        else if (!IsMeterAddress(address()))
            o = {address(), -1, State::Failed, {Reason::Kind::BadAddress}};
        else
            break;
        outcomes_.append(o);
        stepsDone_ += int(blocks_.size());
    }
    if (!Done())
        probe_ = FamilyProbe(address());
}

void MeterRun::endMeter(State state, const Reason &why)
{
    lost_ = lost_ || EndsRun(why);
    // The blocks not done count as done for the progress.
    stepsDone_ += int(blocks_.size() - block_);
    if (phase_ == Phase::ReadBack) {
        // The block written whose read-back failed: one row for it.
        outcomes_.last().state = state;
        outcomes_.last().why = why;
        outcomes_.last().written = true;
    } else {
        outcomes_.append({address(), phase_ == Phase::Probe ? -1 : blocks_[block_], state, why});
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
        endMeter(State::Stopped, {Reason::Kind::Stopped});
}

void MeterRun::Answer(const std::optional<QByteArray> &reply, const Reason &failure)
{
    const std::optional<Request> asked = Next();
    if (!asked)
        return;
    // A port that has gone ends the meter under way and the run: the
    // family check would otherwise blame each meter for the silence.
    if (!reply && EndsRun(failure)) {
        fail(failure);
        return;
    }
    if (phase_ == Phase::Probe) {
        probe_.Answer(reply);
        if (!probe_.Done())
            return;
        const auto found = probe_.Found();
        if (found != family_) {
            // Another family is skipped; a meter that does not answer as
            // any family has failed.
            Reason why{found ? Reason::Kind::OtherFamily : Reason::Kind::NoFamily};
            why.found = found.value_or(family_);
            endMeter(found ? State::Skipped : State::Failed, why);
            return;
        }
        if (stopping_) {
            endMeter(State::Stopped, {Reason::Kind::Stopped});
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
        fail(NoAnswer(reply, failure));
        return;
    }
    const modbus::Exchange e{asked->frame, *reply};
    switch (phase_) {
    case Phase::Write:
        if (!e.Confirms()) {
            fail({Reason::Kind::NotConfirmed});
            return;
        }
        outcomes_.append({address(), index, State::Written, {}});
        phase_ = Phase::ReadBack;
        return;
    case Phase::ReadBack:
    case Phase::Read: {
        if (!e.IsReadOf(0x03, b.readBytes)) {
            fail({Reason::Kind::WrongSize, int(e.Data().size()), b.readBytes});
            return;
        }
        const QByteArray back = e.Data();
        if (phase_ == Phase::Read) {
            outcomes_.append({address(), index, State::Read, {}});
            read_[meter_].resize(Blocks(family_).size());
            read_[meter_][index] = back;
        } else {
            // The Written outcome of this block becomes what the read-back says.
            Outcome &o = outcomes_.last();
            if (back == data_[index]) {
                o.state = State::Verified;
            } else {
                o.state = State::Failed;
                o.written = true;
                o.why = {Reason::Kind::ReadBackDiffers};
                o.why.wrote = data_[index];
                o.why.read = back;
            }
        }
        nextBlock();
        return;
    }
    case Phase::Probe:
        return;
    }
}

QString ReasonText(const MeterRun &run, const MeterRun::Outcome &o)
{
    const Reason &r = o.why;
    const int a = o.address;
    const Block *b = o.block >= 0 ? &Blocks(run.RunFamily())[o.block] : nullptr;
    const QString key = b ? b->key : QString();
    QString text;
    switch (r.kind) {
    case Reason::Kind::None:
        return {};
    case Reason::Kind::BadAddress:
        return QStringLiteral("%1 is no meter address (1..247): nothing was sent to it").arg(a);
    case Reason::Kind::NoAnswer:
        text = QStringLiteral("meter %1 did not answer").arg(a);
        break;
    case Reason::Kind::Exception:
        text = QStringLiteral("meter %1 refused the request (exception %2)").arg(a).arg(r.number);
        break;
    case Reason::Kind::BadFrame:
        text = QStringLiteral("meter %1 answered a bad frame").arg(a);
        break;
    case Reason::Kind::NotSent:
        text = QStringLiteral("no port open: nothing was sent to meter %1").arg(a);
        break;
    case Reason::Kind::PortLost:
        text = r.detail.isEmpty() ? QStringLiteral("the port was lost") : r.detail;
        break;
    case Reason::Kind::OtherFamily:
        return QStringLiteral("meter %1 is a %2 meter, not %3")
            .arg(a)
            .arg(FamilyName(r.found), FamilyName(run.RunFamily()));
    case Reason::Kind::NoFamily:
        return QStringLiteral("meter %1 did not answer as a %2 meter").arg(a).arg(FamilyName(run.RunFamily()));
    case Reason::Kind::NotConfirmed:
        return QStringLiteral("meter %1 did not confirm the write of %2").arg(a).arg(key);
    case Reason::Kind::WrongSize:
        text = QStringLiteral("meter %1 answered %2 bytes for registers 0x%3, expected %4")
                   .arg(a)
                   .arg(r.number)
                   .arg(b ? b->first : 0, 4, 16, QLatin1Char('0'))
                   .arg(r.expected);
        break;
    case Reason::Kind::ReadBackDiffers:
        return QStringLiteral("meter %1 block %2: read-back differs (wrote %3, read %4)")
            .arg(a)
            .arg(key, QString::fromLatin1(r.wrote.toHex(' ')), QString::fromLatin1(r.read.toHex(' ')));
    case Reason::Kind::Stopped:
        return b ? QStringLiteral("stopped before block %1").arg(key) : QStringLiteral("stopped before meter %1").arg(a);
    case Reason::Kind::NotReached:
        return QStringLiteral("meter %1 was not reached: the port was lost before").arg(a);
    }
    // A read names the block it was reading; a write's message names it itself.
    if (b && !run.Writes())
        text = QStringLiteral("%1 (block %2)").arg(text, key);
    return text;
}

QString MeterList(const QList<int> &addresses)
{
    QStringList parts;
    for (qsizetype i = 0; i < addresses.size();) {
        qsizetype j = i;
        while (j + 1 < addresses.size() && addresses[j + 1] == addresses[j] + 1)
            ++j;
        parts << (j == i ? QString::number(addresses[i])
                         : QStringLiteral("%1-%2").arg(addresses[i]).arg(addresses[j]));
        i = j + 1;
    }
    return QStringLiteral("%1 %2").arg(addresses.size() == 1 ? QStringLiteral("meter") : QStringLiteral("meters"),
                                       parts.join(QStringLiteral(", ")));
}

} // namespace settings
