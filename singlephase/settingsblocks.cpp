#include "singlephase/settingsblocks.h"

#include "core/blocktable.h"
#include "singlephase/settings.h"

namespace singlephase {

const QList<backup::Block> &SettingsBlocks()
{
    static const QList<backup::Block> blocks = backup::TableBlocks(
        {{"alarm-enable", "报警允许设置", alarmenable::kFirstRegister, alarmenable::kRegisters, alarmenable::kFields},
         {"display", "窗口显示参数设置", display::kFirstRegister, display::kRegisters, display::kFields},
         {"init", "仪表初始化设置", initsettings::kFirstRegister, initsettings::kRegisters, initsettings::kFields}},
        backup::EnergyBasesBlock(initsettings::kBaseRegister, initsettings::kBaseRegisters), "alarm-params-%1",
        alarmparams::kGroups, &alarmparams::Group::radio);
    return blocks;
}

const QList<backup::Block> &SettingsCatalog(Family family)
{
    static const QList<backup::Block> none;
    return family == Family::SinglePhase ? SettingsBlocks() : none;
}

} // namespace singlephase
