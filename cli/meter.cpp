#include "cli/meter.h"

#include "kz827/measurement.h"
#include "settings/meterrun.h"
#include "link/modbusframes.h"
#include "singlephase/measurement.h"
#include "threephase/measurement.h"


namespace cli {
namespace {

// The reply to request, checked for an exception; error says what went wrong.
std::optional<modbus::Exchange> Ask(SyncLink &link, const QByteArray &request, QString *error)
{
    const auto reply = link.Transact(request);
    if (!reply) {
        // A port that has gone says so rather than blaming the meter.
        *error = !link.Lost().isEmpty()
                     ? link.Lost()
                     : QStringLiteral("meter %1 did not answer").arg(modbus::FrameAddress(request));
        return std::nullopt;
    }
    if (static_cast<std::uint8_t>(reply->at(1)) & 0x80) {
        *error = QStringLiteral("meter %1 refused the request (exception %2)")
                     .arg(modbus::FrameAddress(request))
                     .arg(static_cast<std::uint8_t>(reply->at(2)));
        return std::nullopt;
    }
    return modbus::Exchange{request, *reply};
}

// The address byte of a request to address, or nothing (error says why).
std::optional<std::uint8_t> MeterByte(int address, QString *error)
{
    if (!settings::IsMeterAddress(address)) {
        *error = QStringLiteral("%1 is no meter address (1..247): nothing was sent to it").arg(address);
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(address);
}

std::optional<QByteArray> ReadData(SyncLink &link, std::uint8_t address, std::uint16_t first, std::uint16_t count,
                                   int bytes, QString *error)
{
    const auto exchange = Ask(link, modbus::ReadRegisters(address, first, count), error);
    if (!exchange)
        return std::nullopt;
    if (!exchange->IsReadOf(0x03, bytes)) {
        *error = QStringLiteral("meter %1 answered %2 bytes for registers 0x%3, expected %4")
                     .arg(address)
                     .arg(exchange->Data().size())
                     .arg(first, 4, 16, QLatin1Char('0'))
                     .arg(bytes);
        return std::nullopt;
    }
    return exchange->Data();
}

} // namespace

std::optional<QByteArray> ReadBlock(SyncLink &link, int meter, const Block &block, QString *error)
{
    const auto address = MeterByte(meter, error);
    if (!address)
        return std::nullopt;
    return ReadData(link, *address, block.first, block.count, block.readBytes, error);
}

std::optional<QList<Reading>> ReadMeasurements(SyncLink &link, Family family, int meter, QString *error)
{
    const auto byte = MeterByte(meter, error);
    if (!byte)
        return std::nullopt;
    const std::uint8_t address = *byte;
    QList<Reading> out;
    switch (family) {
    case Family::ThreePhase: {
        QByteArray params;
        const auto ratios = Ask(link, threephase::RatioRequest(address), error);
        if (!ratios || threephase::HandleReply(ratios->reply, params).kind != threephase::ReplyOutcome::RatiosStored) {
            if (ratios)
                *error = QStringLiteral("meter %1 answered an unexpected ratio block").arg(address);
            return std::nullopt;
        }
        const auto poll = Ask(link, threephase::MeasurementPoll(address), error);
        if (!poll)
            return std::nullopt;
        const auto outcome = threephase::HandleReply(poll->reply, params);
        if (outcome.kind != threephase::ReplyOutcome::Measurement) {
            *error = QStringLiteral("meter %1 answered an unexpected measurement block").arg(address);
            return std::nullopt;
        }
        for (int i = 0; i < threephase::kMeasurementBoxes; ++i)
            out.append({QString::fromUtf8(threephase::kMeasurementBoxNames[i]),
                        QString::fromUtf8(threephase::kMeasurementBoxCaptions[i]), outcome.texts.text[i]});
        return out;
    }
    case Family::SinglePhase: {
        namespace m = singlephase::measurement;
        QByteArray setup;
        const auto s = Ask(link, m::SetupRequest(address), error);
        if (!s)
            return std::nullopt;
        m::HandleReply(*s, setup);
        const auto poll = Ask(link, m::MeasurementRequest(address), error);
        if (!poll)
            return std::nullopt;
        const m::Outcome outcome = m::HandleReply(*poll, setup);
        if (outcome.kind != m::Outcome::Measurement) {
            *error = QStringLiteral("meter %1 answered an unexpected measurement block").arg(address);
            return std::nullopt;
        }
        for (int i = 0; i < m::kBoxes; ++i)
            out.append({QString::fromUtf8(m::kBoxNames[i]), QString::fromUtf8(m::kBoxCaptions[i]),
                        outcome.texts.text[i]});
        return out;
    }
    case Family::Kz827: {
        const auto poll = Ask(link, kz827::MeasurementPoll(address), error);
        if (!poll)
            return std::nullopt;
        const auto texts = kz827::DecodeMeasurement(*poll);
        if (!texts) {
            *error = QStringLiteral("meter %1 answered an unexpected measurement block").arg(address);
            return std::nullopt;
        }
        const char *names[] = {"Edit1", "Edit2", "Edit3"};
        const char *captions[] = {"电压", "电流", "有功功率"};
        for (int i = 0; i < 3; ++i)
            out.append({QString::fromLatin1(names[i]), QString::fromUtf8(captions[i]), (*texts)[i]});
        return out;
    }
    }
    return std::nullopt;
}

std::optional<Family> ProbeFamily(SyncLink &link, int address)
{
    settings::FamilyProbe probe(address);
    while (const auto request = probe.Next())
        probe.Answer(link.Transact(request->frame));
    return probe.Found();
}

QJsonObject BackupDocument(Family family, int address, const QList<QByteArray> &data)
{
    return backup::Document(&settings::Blocks, family, address, data);
}

std::optional<Backup> ParseBackup(const QJsonObject &document, QString *error)
{
    return backup::Parse(&settings::Blocks, document, error);
}

std::optional<Backup> LoadBackup(const QString &path, QString *error)
{
    return backup::Load(&settings::Blocks, path, error);
}

QStringList Differences(const Backup &a, const Backup &b)
{
    return backup::Differences(&settings::Blocks, a, b);
}

} // namespace cli
