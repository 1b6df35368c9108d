#pragma once
// The settings blocks of every family, gathered from the lists each family
// keeps in its own folder (threephase/settingsblocks.h, ...): where a block
// lives, the names of its fields and its codec, with the same input checks
// as the windows. Nothing here knows Modbus framing. kzctl, the settings
// file window and the widget-free runs (meterrun.h) use this catalog.
#include "core/backup.h"

#include <QList>
#include <QString>

namespace settings {

using backup::Block;
using backup::FieldName;

// Every settings block of the family in register order (a backup::Catalog).
const QList<Block> &Blocks(Family family);
const Block *FindBlock(Family family, const QString &key);
// The index of the block of that key in Blocks(family), -1 when none.
int BlockIndex(Family family, const QString &key);

} // namespace settings
