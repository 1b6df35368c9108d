#include "threephase/settingsblocks.h"

#include "core/blocktable.h"
#include "threephase/alarmmask.h"
#include "threephase/display.h"
#include "threephase/initsettings.h"
#include "threephase/limits.h"

namespace threephase {
namespace {

using backup::Block;
using backup::EnergyBasesBlock;
using backup::TableBlock;

QList<Block> MakeBlocks()
{
    namespace tp = threephase;
    QList<Block> blocks{
        TableBlock(QStringLiteral("alarm-mask"), QStringLiteral("报警屏蔽设置"), tp::alarmmask::kFirstRegister,
                   tp::alarmmask::kRegisters, tp::alarmmask::kFields),
        TableBlock(QStringLiteral("display"), QStringLiteral("窗口显示参数设置"), tp::display::kFirstRegister,
                   tp::display::kRegisters, tp::display::kFields),
        TableBlock(QStringLiteral("init"), QStringLiteral("仪表初始化设置"), tp::initsettings::kFirstRegister,
                   tp::initsettings::kRegisters, tp::initsettings::kFields),
        EnergyBasesBlock(tp::initsettings::kBaseRegister, tp::initsettings::kBaseRegisters),
    };
    int n = 1;
    for (const tp::limits::Group &g : tp::limits::kGroups)
        blocks.append(TableBlock(QStringLiteral("limits-%1").arg(n++), QString::fromUtf8(g.title), g.first, g.count,
                                 g.table));
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
    return family == Family::ThreePhase ? SettingsBlocks() : none;
}

} // namespace threephase
