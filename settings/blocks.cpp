#include "settings/blocks.h"

#include "core/blocktable.h"
#include "kz827/settingsblocks.h"
#include "singlephase/settingsblocks.h"
#include "threephase/settingsblocks.h"

namespace settings {

const QList<Block> &Blocks(Family family)
{
    switch (family) {
    case Family::ThreePhase:
        return threephase::SettingsBlocks();
    case Family::SinglePhase:
        return singlephase::SettingsBlocks();
    case Family::Kz827:
        break;
    }
    return kz827::SettingsBlocks();
}

int BlockIndex(Family family, const QString &key)
{
    const QList<Block> &list = Blocks(family);
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].key == key)
            return int(i);
    return -1;
}

const Block *FindBlock(Family family, const QString &key)
{
    return backup::FindIn(Blocks(family), key);
}

} // namespace settings
