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

// The data bytes of a block, or nothing (error says why: no answer, an
// exception reply, a reply of another size).
std::optional<QByteArray> ReadBlock(SyncLink &link, std::uint8_t address, const Block &block, QString *error);
// Writes data (function 10); true on the meter's echo of the write.
bool WriteBlock(SyncLink &link, std::uint8_t address, const Block &block, const QByteArray &data, QString *error);

struct Reading {
    QString object;
    QString caption;
    QString text; // value with its unit
};
std::optional<QList<Reading>> ReadMeasurements(SyncLink &link, Family family, std::uint8_t address, QString *error);

// The family of the meter at address, judged by what it answers: the
// three-phase and single-phase meters differ in the size of register 0x005A
// (a word, or an 8-byte energy base), and only the KZ827KVE has no 0x0050.
std::optional<Family> ProbeFamily(SyncLink &link, std::uint8_t address);

// ---- Backup documents ----
// {"format": "kzctl-backup", "version": 1, "family", "address", "time",
//  "blocks": [{"block", "title", "first", "count", "restore", "registers"
//  (data bytes in hex), "fields": [{"name", "caption", "value"}]}]}
QJsonObject BackupDocument(Family family, int address, const QList<QByteArray> &data);

struct Backup {
    Family family = Family::ThreePhase;
    int address = 0;
    // Per block of the family (same order as Blocks()): the raw data and the
    // field values (from the file's fields by name, the raw data for fields
    // the file leaves out). Blocks the file lacks are empty.
    QList<QByteArray> raw;
    QList<fields::Values> values;
};
std::optional<Backup> ParseBackup(const QJsonObject &document, QString *error);
std::optional<Backup> LoadBackup(const QString &path, QString *error);

// One line per field that differs: "block/object (caption): a -> b".
QStringList Differences(const Backup &a, const Backup &b);

} // namespace cli
