#pragma once
// The settings blocks of each family as the command line sees them: where a
// block lives, the names of its fields (the object names and captions of the
// windows' controls) and the codec that turns its data bytes into field
// values and back, with the same input checks as the windows. Built on the
// family libraries' field tables and codecs; nothing here knows Modbus
// framing.
#include "core/fields.h"
#include "link/family.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace cli {

using ::Family;
using ::FamilyName;
using ::ParseFamily;

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

// The write data of a block from values that come from a file or the
// command line. Unlike a person at a window, who sees a typed 99999 become
// 9999, a file does not see what its value became: so every value the
// block's codec would limit, wrap or cut is refused, with a message that
// names the value, what the field allows and the window's hint. A value is
// held exactly when decoding the written data gives it back (as a number,
// where it is one: "250.50" is 250.5; a unit may be left out).
fields::Encoded EncodeExact(const Block &block, const fields::Values &values);

// Every settings block of the family in register order.
const QList<Block> &Blocks(Family family);
const Block *FindBlock(Family family, const QString &key);

} // namespace cli
