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
    {"MainWindow",                 0, T, 0,  false, nullptr,   nullptr,         nullptr,  nullptr},
    {"PortDialog",                     1, T, 0,  false, nullptr,   nullptr,         nullptr,  nullptr},
    {"AddressScanWindow",               4, T, 10, false, "BitBtn3", nullptr,         nullptr,  nullptr},
    {"WiringWindow",      14, T, 0,  false, nullptr,   nullptr,         nullptr,  nullptr},

    {"threephase::MeasurementWindow",              2, T, 1,  true,  "BitBtn3", "PopupMenu1",    "N1",     "电量参数测量"},
    {"threephase::TelemetryWindow",             5, T, 2,  false, "BitBtn3", "PopupMenu1",    "N2",     "遥测、遥信"},
    {"threephase::LimitStateWindow",             3, T, 3,  true,  "BitBtn3", "PopupMenu1",    "N3",     "越限状态显示"},
    {"threephase::EventsWindow",             6, T, 4,  true,  "BitBtn3", "PopupMenu1",    "N4",     "事件记录显示"},
    {"threephase::StatePanelWindow",             7, T, 5,  true,  "BitBtn3", "PopupMenu1",    "N5",     "仪表当前状态"},
    {"threephase::AlarmMaskWindow",                  8, T, 6,  false, "BitBtn3", "PopupMenu2",    "N6",     "报警屏蔽设置"},
    {"threephase::LimitsWindow",                 9, T, 7,  false, "BitBtn3", "PopupMenu2",    "N7",     "上下限报警值设置"},
    {"threephase::DisplaySettingsWindow",                10, T, 8,  false, "BitBtn3", "PopupMenu2",    "N8",     "窗口显示参数设置"},
    {"threephase::InitSettingsWindow",                11, T, 9,  false, "BitBtn6", "PopupMenu2",    "N9",     "仪表初始化设置"},
    {"threephase::ClockSettingsWindow",                12, T, 11, false, nullptr,   "PopupMenu2",    "N12",    "其它"},
    {"threephase::ModuleCalibrationWindow",              13, T, 12, true,  "BitBtn3", "PopupMenu2",    "N13",    "模块校表"},

    {"singlephase::MeasurementWindow",       21, S, 3,  true,  "Exit",    "KZ2600SAMPL",   "N19",    "电量参数测量"},
    {"singlephase::TelemetryWindow",  22, S, 4,  false, nullptr,   "KZ2600SAMPL",   "N20",    "遥测、遥信"},
    {"singlephase::AlarmStateWindow",       23, S, 5,  true,  "Exit",    "KZ2600SAMPL",   "N21",    "越限状态显示"},
    {"singlephase::EventsWindow",   24, S, 6,  false, nullptr,   "KZ2600SAMPL",   "N22",    "事件记录显示"},
    {"singlephase::AlarmEnableWindow",         17, S, 7,  false, "Exit",    "KZ2600SET",     "N14",    "报警屏蔽设置"},
    {"singlephase::AlarmParamsWindow",        19, S, 8,  false, nullptr,   "KZ2600SET",     "N15",    "上下限报警设置"},
    {"singlephase::DisplaySettingsWindow",          20, S, 9,  false, nullptr,   "KZ2600SET",     "N23",    "窗口显示参数设置"},
    {"singlephase::InitSettingsWindow",          18, S, 10, false, nullptr,   "KZ2600SET",     "N16",    "仪表初始化设置"},
    {"singlephase::MeterCalibrationWindow",   15, S, 12, true,  "Exit",    "KZ2600SET",     "N17",    "仪表校表"},
    {"singlephase::ClockSettingsWindow",           16, S, 11, false, "Exit",    "KZ2600SET",     "N18",    "其它参数设置"},

    {"kz827::MeasurementWindow",           25, K, 1,  true,  "Exit",    "KZ827KVESAMPL", "N24",    "电量测量"},
    {"kz827::RemoteControlWindow",         29, K, 2,  false, "Exit",    "KZ827KVESAMPL", "N25",    "遥控"},
    {"kz827::AlarmsWindow",                28, K, 3,  false, "Exit",    "KZ827KVESET",   "N26",    "报警参数设置"},
    {"kz827::RangeWindow",                 27, K, 4,  false, "Exit",    "KZ827KVESET",   "N27",    "仪表初始化设置"},
    {"kz827::CalibrationWindow",        26, K, 5,  true,  "Exit",    "KZ827KVESET",   "KZ8271", "KZ827校准"},
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
