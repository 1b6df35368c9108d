#pragma once
// The single-phase settings blocks: where each block lives, the names of its
// fields (the object names and captions of the windows' controls) and its
// codec, in register order. The windows' settings files and kzctl (through
// settings::Blocks) take them from here. Qt Core only.
#include "core/backup.h"

#include <QList>

namespace singlephase {

// Every single-phase settings block in register order.
const QList<backup::Block> &SettingsBlocks();
// As a backup::Catalog: the single-phase blocks for Family::SinglePhase, none
// for another family.
const QList<backup::Block> &SettingsCatalog(Family family);

} // namespace singlephase
