#pragma once
// The settings blocks of each family as the command line sees them: where a
// block lives, the names of its fields (the object names and captions of the
// windows' controls) and the codec that turns its data bytes into field
// values and back, with the same input checks as the windows. Built on the
// family libraries' field tables and codecs; nothing here knows Modbus
// framing.
#include "link/fields.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace cli {

enum class Family { ThreePhase, SinglePhase, Kz827 };

// "three-phase", "single-phase", "kz827" (the simulator's names too).
std::optional<Family> ParseFamily(const QString &name);
QString FamilyName(Family family);

struct FieldName {
    QString object;
    QString caption;
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

    // Index of the field of that object name or caption, -1 when none.
    int Find(const QString &name) const;
};

// Every settings block of the family in register order.
const QList<Block> &Blocks(Family family);
const Block *FindBlock(Family family, const QString &key);

} // namespace cli
