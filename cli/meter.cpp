#include "cli/meter.h"

#include "kz827/measurement.h"
#include "link/modbusframes.h"
#include "singlephase/measurement.h"
#include "threephase/measurement.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

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
                     : QStringLiteral("meter %1 did not answer").arg(static_cast<std::uint8_t>(request.at(0)));
        return std::nullopt;
    }
    if (static_cast<std::uint8_t>(reply->at(1)) & 0x80) {
        *error = QStringLiteral("meter %1 refused the request (exception %2)")
                     .arg(static_cast<std::uint8_t>(request.at(0)))
                     .arg(static_cast<std::uint8_t>(reply->at(2)));
        return std::nullopt;
    }
    return modbus::Exchange{request, *reply};
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

QString Hex(const QByteArray &data) { return QString::fromLatin1(data.toHex(' ')); }

} // namespace

std::optional<QByteArray> ReadBlock(SyncLink &link, std::uint8_t address, const Block &block, QString *error)
{
    return ReadData(link, address, block.first, block.count, block.readBytes, error);
}

bool WriteBlock(SyncLink &link, std::uint8_t address, const Block &block, const QByteArray &data, QString *error)
{
    const auto exchange = Ask(link, modbus::WriteRegisters(address, block.first, block.count, data), error);
    if (!exchange)
        return false;
    if (!exchange->IsEchoOf(0x10)) {
        *error = QStringLiteral("meter %1 did not confirm the write of %2").arg(address).arg(block.key);
        return false;
    }
    return true;
}

std::optional<QList<Reading>> ReadMeasurements(SyncLink &link, Family family, std::uint8_t address, QString *error)
{
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

std::optional<Family> ProbeFamily(SyncLink &link, std::uint8_t address)
{
    QString ignored;
    if (const auto e = Ask(link, modbus::ReadRegisters(address, 0x005A, 1), &ignored)) {
        if (e->IsReadOf(0x03, 2))
            return Family::ThreePhase;
        if (e->IsReadOf(0x03, 8))
            return Family::SinglePhase;
        return std::nullopt;
    }
    if (ReadData(link, address, kz827::kMeasurementFirst, kz827::kMeasurementRegisters, kz827::kMeasurementBytes,
                 &ignored) &&
        !Ask(link, modbus::ReadRegisters(address, 0x0050, 1), &ignored))
        return Family::Kz827;
    return std::nullopt;
}

QJsonObject BackupDocument(Family family, int address, const QList<QByteArray> &data)
{
    QJsonArray blocks;
    const QList<Block> &list = Blocks(family);
    for (qsizetype i = 0; i < list.size() && i < data.size(); ++i) {
        const Block &b = list[i];
        const fields::Values values = b.decode(data[i]);
        QJsonArray fieldArray;
        for (qsizetype k = 0; k < b.names.size(); ++k)
            fieldArray.append(QJsonObject{{QStringLiteral("name"), b.names[k].object},
                                          {QStringLiteral("caption"), b.names[k].caption},
                                          {QStringLiteral("value"), values.value(k)}});
        blocks.append(QJsonObject{{QStringLiteral("block"), b.key},
                                  {QStringLiteral("title"), b.title},
                                  {QStringLiteral("first"), QStringLiteral("0x%1").arg(b.first, 4, 16, QLatin1Char('0'))},
                                  {QStringLiteral("count"), b.count},
                                  {QStringLiteral("restore"), b.restorable},
                                  {QStringLiteral("registers"), Hex(data[i])},
                                  {QStringLiteral("fields"), fieldArray}});
    }
    return QJsonObject{{QStringLiteral("format"), QStringLiteral("kzctl-backup")},
                       {QStringLiteral("version"), 1},
                       {QStringLiteral("family"), FamilyName(family)},
                       {QStringLiteral("address"), address},
                       {QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
                       {QStringLiteral("blocks"), blocks}};
}

std::optional<Backup> ParseBackup(const QJsonObject &document, QString *error)
{
    if (document.value(QStringLiteral("format")).toString() != QLatin1String("kzctl-backup")) {
        *error = QStringLiteral("not a kzctl backup");
        return std::nullopt;
    }
    const auto family = ParseFamily(document.value(QStringLiteral("family")).toString());
    if (!family) {
        *error = QStringLiteral("unknown family '%1'").arg(document.value(QStringLiteral("family")).toString());
        return std::nullopt;
    }
    Backup backup;
    backup.family = *family;
    backup.address = document.value(QStringLiteral("address")).toInt();
    const QList<Block> &list = Blocks(*family);
    backup.raw.resize(list.size());
    backup.values.resize(list.size());
    for (const QJsonValue &v : document.value(QStringLiteral("blocks")).toArray()) {
        const QJsonObject o = v.toObject();
        const QString key = o.value(QStringLiteral("block")).toString();
        qsizetype index = -1;
        for (qsizetype i = 0; i < list.size(); ++i)
            if (list[i].key == key)
                index = i;
        if (index < 0) {
            *error = QStringLiteral("unknown block '%1'").arg(key);
            for (Family other : {Family::ThreePhase, Family::SinglePhase, Family::Kz827})
                if (other != *family && FindBlock(other, key)) {
                    *error = QStringLiteral("the file's family (%1) and its blocks disagree: block '%2' is a %3 block")
                                 .arg(FamilyName(*family), key, FamilyName(other));
                    break;
                }
            return std::nullopt;
        }
        const Block &b = list[index];
        const QByteArray raw = QByteArray::fromHex(o.value(QStringLiteral("registers")).toString().toLatin1());
        if (raw.size() != b.readBytes) {
            *error = QStringLiteral("block %1: %2 register bytes, expected %3").arg(key).arg(raw.size()).arg(b.readBytes);
            return std::nullopt;
        }
        fields::Values values = b.decode(raw);
        for (const QJsonValue &f : o.value(QStringLiteral("fields")).toArray()) {
            const QString name = f.toObject().value(QStringLiteral("name")).toString();
            const int k = b.Find(name);
            if (k < 0) {
                *error = QStringLiteral("block %1 has no field '%2'").arg(key, name);
                return std::nullopt;
            }
            values[k] = f.toObject().value(QStringLiteral("value")).toString();
        }
        backup.raw[index] = raw;
        backup.values[index] = values;
    }
    return backup;
}

std::optional<Backup> LoadBackup(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parse);
    if (!doc.isObject()) {
        *error = QStringLiteral("%1: not a JSON object (%2)").arg(path, parse.errorString());
        return std::nullopt;
    }
    auto backup = ParseBackup(doc.object(), error);
    if (!backup)
        *error = QStringLiteral("%1: %2").arg(path, *error);
    return backup;
}

QStringList Differences(const Backup &a, const Backup &b)
{
    QStringList lines;
    if (a.family != b.family)
        return {QStringLiteral("family: %1 -> %2").arg(FamilyName(a.family), FamilyName(b.family))};
    const QList<Block> &list = Blocks(a.family);
    for (qsizetype i = 0; i < list.size(); ++i) {
        const Block &blk = list[i];
        const bool inA = !a.values[i].isEmpty();
        const bool inB = !b.values[i].isEmpty();
        if (inA != inB) {
            lines << QStringLiteral("%1: %2").arg(blk.key, inA ? QStringLiteral("only in the first")
                                                               : QStringLiteral("only in the second"));
            continue;
        }
        for (qsizetype k = 0; inA && k < blk.names.size(); ++k)
            if (a.values[i].value(k) != b.values[i].value(k))
                lines << QStringLiteral("%1/%2 (%3): %4 -> %5")
                             .arg(blk.key, blk.names[k].object, blk.names[k].caption, a.values[i].value(k),
                                  b.values[i].value(k));
    }
    return lines;
}

} // namespace cli
