#pragma once
// The settings file of a meter, shared by kzctl and the windows: what a
// settings block is (where it lives, the names of its fields and its
// codec), the check that a value from a file is held exactly, and the
// backup document ({"format": "kzctl-backup", "version": 1, ...}) made,
// read, merged and compared. The blocks of each family come from a catalog
// (settings::Blocks), so that this file knows no family's registers.
// Qt Core only.
#include "core/fields.h"
#include "link/family.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace backup {

struct FieldName {
    QString object;
    QString caption;
    QString allowed; // the values the field holds exactly ("0..99")
    QString hint = {}; // what the window tells of its limit, when it tells
};

struct Block {
    QString key;   // short name used on the command line and in files
    QString title; // the window's caption for the block
    std::uint16_t first = 0;
    std::uint16_t count = 0;
    int readBytes = 0; // data bytes a read of count registers answers
    // False for blocks that are backed up but never written back: the energy
    // bases restart a meter's counters and belong to that meter alone.
    bool restorable = true;
    QList<FieldName> names;
    std::function<fields::Values(const QByteArray &data)> decode;
    // The write data of a block from its field values (in names order);
    // refused values come back with the message and the field index.
    std::function<fields::Encoded(const fields::Values &values)> encode;
    // The field values of the written data, where a block is written in
    // another form than it is read (the energy bases); else decode serves.
    std::function<fields::Values(const QByteArray &written)> decodeWritten = {};

    // Index of the field of that object name or caption, -1 when none.
    int Find(const QString &name) const;
};

// Every settings block of a family in register order.
using Catalog = const QList<Block> &(*)(Family family);

// The write data of a block from values that come from a file or the
// command line. Unlike a person at a window, who sees a typed 99999 become
// 9999, a file does not see what its value became: so every value the
// block's codec would limit, wrap or cut is refused, with a message that
// names the value, what the field allows and the window's hint. A value is
// held exactly when decoding the written data gives it back (as a number,
// where it is one: "250.50" is 250.5; a unit may be left out).
fields::Encoded EncodeExact(const Block &block, const fields::Values &values);

// {"format": "kzctl-backup", "version": 1, "family", "address", "time",
//  "blocks": [{"block", "title", "first", "count", "restore", "registers"
//  (data bytes in hex), "fields": [{"name", "caption", "value"}]}]}
// data holds the read data per block of the family (same order); an empty
// entry leaves that block out of the document.
QJsonObject Document(Catalog catalog, Family family, int address, const QList<QByteArray> &data);

struct Backup {
    Family family = Family::ThreePhase;
    int address = 0;
    // Per block of the family (same order as the catalog's): the raw data and
    // the field values (from the file's fields by name, the raw data for
    // fields the file leaves out). Blocks the file lacks are empty.
    QList<QByteArray> raw;
    QList<fields::Values> values;
};

// The write data of every restorable block a backup holds (per block of
// the family; empty: not written), or nothing with one line per refused
// value in *refusals: every block is checked, so that one try names each.
std::optional<QList<QByteArray>> EncodeForRestore(Catalog catalog, const Backup &backup, QStringList *refusals);

// The addresses a file may give: a meter's own, never 0 (every meter).
constexpr int kFirstAddress = 1;
constexpr int kLastAddress = 247;

// Files larger than this are refused before they are read: a backup of the
// largest family is some 40 kB.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

// The backup a document holds, checked as a whole: the format, version 1,
// the family, an address from kFirstAddress to kLastAddress, a list of at
// least one block, each block and field once, every value of the type its
// place wants. Nothing, with the first reason in *error, otherwise.
std::optional<Backup> Parse(Catalog catalog, const QJsonObject &document, QString *error);
// Parse of the file at path, read as jsonfile::ReadObject reads (a regular
// file of at most kMaxFileBytes, no key twice).
std::optional<Backup> Load(Catalog catalog, const QString &path, QString *error);

// One field that differs between two backups of a family; a block that only
// one of them holds is one row with an empty object.
struct Difference {
    QString block;
    QString object;
    QString caption;
    QString first;
    QString second;
};
// Nothing but a family row when the families differ.
QList<Difference> Compare(Catalog catalog, const Backup &a, const Backup &b);
// One line per difference: "block/object (caption): a -> b".
QStringList Differences(Catalog catalog, const Backup &a, const Backup &b);

// Writes the given blocks (data per block of the family, empty: not given)
// into path: added to, or replacing the same blocks of, a backup of the same
// family and address already there; a new file when there is none. A file
// there that is no such backup is left as it is and error says why.
bool SaveBlocks(Catalog catalog, const QString &path, Family family, int address, const QList<QByteArray> &data,
                QString *error);

} // namespace backup
