#pragma once
// The KZ827KVE settings blocks: where each block lives, the names of its
// fields (the object names and captions of the windows' controls) and its
// codec, in register order. Codecs over the settings structs rather than
// field tables. The windows' settings files and kzctl (through
// settings::Blocks) take them from here. Qt Core only.
#include "core/backup.h"

#include <QList>

namespace kz827 {

// Every KZ827KVE settings block in register order.
const QList<backup::Block> &SettingsBlocks();
// As a backup::Catalog: the KZ827KVE blocks for Family::Kz827, none
// for another family.
const QList<backup::Block> &SettingsCatalog(Family family);

} // namespace kz827
