#include "threephase/settingsblocks.h"

#include "core/blocktable.h"
#include "threephase/alarmmask.h"
#include "threephase/display.h"
#include "threephase/initsettings.h"
#include "threephase/limits.h"

namespace threephase {

const QList<backup::Block> &SettingsBlocks()
{
    static const QList<backup::Block> blocks = backup::TableBlocks(
        {{"alarm-mask", "报警屏蔽设置", alarmmask::kFirstRegister, alarmmask::kRegisters, alarmmask::kFields},
         {"display", "窗口显示参数设置", display::kFirstRegister, display::kRegisters, display::kFields},
         {"init", "仪表初始化设置", initsettings::kFirstRegister, initsettings::kRegisters, initsettings::kFields}},
        backup::EnergyBasesBlock(initsettings::kBaseRegister, initsettings::kBaseRegisters), "limits-%1",
        limits::kGroups, &limits::Group::title);
    return blocks;
}

const QList<backup::Block> &SettingsCatalog(Family family)
{
    static const QList<backup::Block> none;
    return family == Family::ThreePhase ? SettingsBlocks() : none;
}

} // namespace threephase
