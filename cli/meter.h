#pragma once
// What the command line does with one meter over the synchronous link:
// read and write settings blocks, read the measurements, and the backup
// document of a meter. Messages for the user go to error.
#include "cli/blocks.h"
#include "cli/synclink.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>

namespace cli {

// Every function here takes the address as given and refuses one outside
// 1..247 with nothing sent, rather than narrowing it into a frame's byte.

// The data bytes of a block, or nothing (error says why: no meter address,
// no answer, an exception reply, a reply of another size).
std::optional<QByteArray> ReadBlock(SyncLink &link, int address, const Block &block, QString *error);

struct Reading {
    QString object;
    QString caption;
    QString text; // value with its unit
};
std::optional<QList<Reading>> ReadMeasurements(SyncLink &link, Family family, int address, QString *error);

// The family of the meter at address, judged by what it answers
// (settings::FamilyProbe); nothing, with nothing sent, at no meter address.
std::optional<Family> ProbeFamily(SyncLink &link, int address);

// ---- Backup documents (core/backup.h over every family's blocks) ----
using backup::Backup;
QJsonObject BackupDocument(Family family, int address, const QList<QByteArray> &data);
std::optional<Backup> ParseBackup(const QJsonObject &document, QString *error);
std::optional<Backup> LoadBackup(const QString &path, QString *error);
// One line per field that differs: "block/object (caption): a -> b".
QStringList Differences(const Backup &a, const Backup &b);

} // namespace cli
