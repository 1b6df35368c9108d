#include "link/windowtable.h"

#include <QStringList>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr Family T = Family::ThreePhase;
constexpr Family S = Family::SinglePhase;
constexpr Family K = Family::Kz827;

// Windows closed by the single-phase routine press "Exit"; the measurement
// and alarm-state windows poll on a timer and are stopped with them.
constexpr WindowRow kRows[] = {
    // class                       rank fam dest once  return     menu             entry     caption
    {"TKZ5500Edcu",                 0, T, 0,  false, nullptr,   nullptr,         nullptr,  nullptr},
    {"TCOMdcu",                     1, T, 0,  false, nullptr,   nullptr,         nullptr,  nullptr},
    {"TRs_Addersdcu",               4, T, 10, false, "BitBtn3", nullptr,         nullptr,  nullptr},
    {"TKZ5500_Connectiondcu",      14, T, 0,  false, nullptr,   nullptr,         nullptr,  nullptr},

    {"TCoulometrydcu",              2, T, 1,  true,  "BitBtn3", "PopupMenu1",    "N1",     "电量参数测量"},
    {"TCoulometry2dcu",             5, T, 2,  false, "BitBtn3", "PopupMenu1",    "N2",     "遥测、遥信"},
    {"TCoulometry1dcu",             3, T, 3,  true,  "BitBtn3", "PopupMenu1",    "N3",     "越限状态显示"},
    {"TCoulometry3dcu",             6, T, 4,  true,  "BitBtn3", "PopupMenu1",    "N4",     "事件记录显示"},
    {"TCoulometry4dcu",             7, T, 5,  true,  "BitBtn3", "PopupMenu1",    "N5",     "仪表当前状态"},
    {"TSetParDcu",                  8, T, 6,  false, "BitBtn3", "PopupMenu2",    "N6",     "报警屏蔽设置"},
    {"TSetPar1Dcu",                 9, T, 7,  false, "BitBtn3", "PopupMenu2",    "N7",     "上下限报警值设置"},
    {"TSetPar2Dcu",                10, T, 8,  false, "BitBtn3", "PopupMenu2",    "N8",     "窗口显示参数设置"},
    {"TSetPar3Dcu",                11, T, 9,  false, "BitBtn6", "PopupMenu2",    "N9",     "仪表初始化设置"},
    {"TSetPar4dcu",                12, T, 11, false, nullptr,   "PopupMenu2",    "N12",    "其它"},
    {"TVerify_model",              13, T, 12, true,  "BitBtn3", "PopupMenu2",    "N13",    "模块校表"},

    {"TKZ2600_MeterageEdcu",       21, S, 3,  true,  "Exit",    "KZ2600SAMPL",   "N19",    "电量参数测量"},
    {"TKZ2600_RemoteMeteragedcu",  22, S, 4,  false, nullptr,   "KZ2600SAMPL",   "N20",    "遥测、遥信"},
    {"TKZ2600_WarnStatedcu",       23, S, 5,  true,  "Exit",    "KZ2600SAMPL",   "N21",    "越限状态显示"},
    {"TKZ2600_EventMeteragedcu",   24, S, 6,  false, nullptr,   "KZ2600SAMPL",   "N22",    "事件记录显示"},
    {"TKZ2600_WarnSETdcu",         17, S, 7,  false, "Exit",    "KZ2600SET",     "N14",    "报警屏蔽设置"},
    {"TKZ2600_UpDoWarndcu",        19, S, 8,  false, nullptr,   "KZ2600SET",     "N15",    "上下限报警设置"},
    {"TKZ2600_WINSETdcu",          20, S, 9,  false, nullptr,   "KZ2600SET",     "N23",    "窗口显示参数设置"},
    {"TKZ2600_INISETdcu",          18, S, 10, false, nullptr,   "KZ2600SET",     "N16",    "仪表初始化设置"},
    {"TKZ2600E_VerifyMaeterdcu",   15, S, 12, true,  "Exit",    "KZ2600SET",     "N17",    "仪表校表"},
    {"TKZ2600_IDSETdcu",           16, S, 11, false, "Exit",    "KZ2600SET",     "N18",    "其它参数设置"},

    {"TKZ827KVE_SURVEY",           25, K, 1,  true,  "Exit",    "KZ827KVESAMPL", "N24",    "电量测量"},
    {"TKZ827_Telecontrol",         29, K, 2,  false, "Exit",    "KZ827KVESAMPL", "N25",    "遥控"},
    {"TKZ827_Warn",                28, K, 3,  false, "Exit",    "KZ827KVESET",   "N26",    "报警参数设置"},
    {"TKZ827_Ini",                 27, K, 4,  false, "Exit",    "KZ827KVESET",   "N27",    "仪表初始化设置"},
    {"TKZ827KVE_Calibrate",        26, K, 5,  true,  "Exit",    "KZ827KVESET",   "KZ8271", "KZ827校准"},
};

constexpr bool ranksAreAPermutation()
{
    constexpr int n = static_cast<int>(std::size(kRows));
    for (int r = 0; r < n; ++r) {
        int seen = 0;
        for (const WindowRow &row : kRows)
            seen += row.rank == r;
        if (seen != 1)
            return false;
    }
    return true;
}
static_assert(ranksAreAPermutation(), "every window has its own place in the creation order");

} // namespace

std::span<const WindowRow> WindowTable()
{
    return kRows;
}

const WindowRow *FindWindowRow(const char *className)
{
    for (const WindowRow &row : kRows)
        if (std::strcmp(row.className, className) == 0)
            return &row;
    return nullptr;
}

const WindowRow *WindowAt(Family family, int destination)
{
    for (const WindowRow &row : kRows)
        if (row.destination != 0 && row.family == family && row.destination == destination)
            return &row;
    return nullptr;
}

QStringList CreationOrder()
{
    std::vector<const WindowRow *> rows;
    for (const WindowRow &row : kRows)
        rows.push_back(&row);
    std::sort(rows.begin(), rows.end(), [](const WindowRow *a, const WindowRow *b) { return a->rank < b->rank; });
    QStringList order;
    for (const WindowRow *row : rows)
        order.append(QLatin1String(row->className));
    return order;
}
