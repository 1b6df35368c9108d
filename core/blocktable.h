#pragma once
// The pieces a family's list of settings blocks is made of: a block read
// and written through a field table, the energy bases block, and the text
// of a list's allowed values. Each family lists its own blocks with these
// (threephase/settingsblocks.h, ...); settings::Blocks gathers them.
// Qt Core only.
#include "core/backup.h"
#include "core/fields.h"

#include <QString>
#include <array>
#include <cstdint>
#include <initializer_list>

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

// A block of a family's list written as one line: key, title (as written
// in backup files), registers and field table.
struct TableSpec {
    const char *key;
    const char *title;
    std::uint16_t first;
    std::uint16_t count;
    fields::Table table;
};

// The list of a family whose blocks are field tables: its settings tables
// in register order, its energy bases, then its groups of limits, keyed
// groupKey with 1..n ("limits-%1") and titled by the group's member title.
QList<Block> TableBlocks(std::initializer_list<TableSpec> tables, Block energyBases);
template <class Group, std::size_t N>
QList<Block> TableBlocks(std::initializer_list<TableSpec> tables, Block energyBases, const char *groupKey,
                         const std::array<Group, N> &groups, const char *Group::*title)
{
    QList<Block> blocks = TableBlocks(tables, std::move(energyBases));
    int n = 1;
    for (const Group &g : groups)
        blocks.append(TableBlock(QString::fromLatin1(groupKey).arg(n++), QString::fromUtf8(g.*title), g.first, g.count,
                                 g.table));
    return blocks;
}

// The block of that key in blocks; nullptr when none.
const Block *FindIn(const QList<Block> &blocks, const QString &key);

} // namespace backup
