#pragma once
// The pieces a family's list of settings blocks is made of: a block read
// and written through a field table, the energy bases block, and the text
// of a list's allowed values. Each family lists its own blocks with these
// (threephase/settingsblocks.h, ...); settings::Blocks gathers them.
// Qt Core only.
#include "core/backup.h"
#include "core/fields.h"

#include <QString>
#include <cstdint>

namespace backup {

// "0..n-1 (item0, item1, ...)" of a radio group or list ("a|b|c").
QString ItemRange(const char *items);

// A block whose count registers from first hold the fields of table: its
// names, codec and allowed values all come from the table.
Block TableBlock(const QString &key, const QString &title, std::uint16_t first, std::uint16_t count,
                 fields::Table table);

// The energy bases in count registers from first: read as two 64-bit
// counts, backed up only.
Block EnergyBasesBlock(std::uint16_t first, std::uint16_t count);

// The block of that key in blocks; nullptr when none.
const Block *FindIn(const QList<Block> &blocks, const QString &key);

} // namespace backup
