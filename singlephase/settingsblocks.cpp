#include "singlephase/settingsblocks.h"

#include "core/blocktable.h"
#include "singlephase/settings.h"

namespace singlephase {
namespace {

using backup::Block;
using backup::EnergyBasesBlock;
using backup::TableBlock;

QList<Block> MakeBlocks()
{
    namespace sp = singlephase;
    QList<Block> blocks{
        TableBlock(QStringLiteral("alarm-enable"), QStringLiteral("报警允许设置"), sp::alarmenable::kFirstRegister,
                   sp::alarmenable::kRegisters, sp::alarmenable::kFields),
        TableBlock(QStringLiteral("display"), QStringLiteral("窗口显示参数设置"), sp::display::kFirstRegister,
                   sp::display::kRegisters, sp::display::kFields),
        TableBlock(QStringLiteral("init"), QStringLiteral("仪表初始化设置"), sp::initsettings::kFirstRegister,
                   sp::initsettings::kRegisters, sp::initsettings::kFields),
        EnergyBasesBlock(sp::initsettings::kBaseRegister, sp::initsettings::kBaseRegisters),
    };
    int n = 1;
    for (const sp::alarmparams::Group &g : sp::alarmparams::kGroups)
        blocks.append(TableBlock(QStringLiteral("alarm-params-%1").arg(n++), QString::fromUtf8(g.radio), g.first,
                                 g.count, g.table));
    return blocks;
}

} // namespace

const QList<Block> &SettingsBlocks()
{
    static const QList<Block> blocks = MakeBlocks();
    return blocks;
}

const QList<backup::Block> &SettingsCatalog(Family family)
{
    static const QList<backup::Block> none;
    return family == Family::SinglePhase ? SettingsBlocks() : none;
}

} // namespace singlephase
