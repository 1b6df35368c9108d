#pragma once
// The settings blocks of each family: where a block lives, the names of its
// fields (the object names and captions of the windows' controls) and the
// codec that turns its data bytes into field values and back, with the same
// input checks as the windows. Built on the family libraries' field tables
// and codecs; nothing here knows Modbus framing. kzctl and the windows'
// settings files both use these tables.
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
