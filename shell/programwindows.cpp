#include "shell/programwindows.h"

#include "kz827/windows.h"
#include "shell/addressscanwindow.h"
#include "shell/portdialog.h"
#include "shell/settingsfilewindow.h"
#include "shell/trafficmonitor.h"
#include "shell/trendwindow.h"
#include "shell/wiringwindow.h"
#include "singlephase/windows.h"
#include "threephase/windows.h"

#include <QString>

namespace {

ui::WindowList ProgramWide()
{
    static const ui::WindowEntry windows[] = {
        {"PortDialog",
         [](SerialPortControl &port, SerialLink &) -> std::unique_ptr<QWidget> {
             return std::make_unique<PortDialog>(port);
         }},
        // The scan takes the three-phase replies: it closes with the
        // three-phase windows (see MainWindow::CloseThreePhaseWindows).
        {"AddressScanWindow", ui::MakeWithLink<AddressScanWindow>, ui::Menu::None, nullptr, nullptr, "BitBtn3", "Rs_Addersdcu"},
        // Settings files for many meters (the protocol menu's 配置文件).
        {"SettingsFileWindow", ui::MakeWithLink<SettingsFileWindow>, ui::Menu::None, nullptr, nullptr, nullptr, QT_TRANSLATE_NOOP("kz", "配置文件")},
        {"WiringWindow",
         [](SerialPortControl &, SerialLink &) -> std::unique_ptr<QWidget> { return std::make_unique<WiringWindow>(); }},
        // Every frame on the bus and what became of it (the protocol menu's 通信监视).
        {"TrafficMonitor",
         [](SerialPortControl &, SerialLink &link) -> std::unique_ptr<QWidget> {
             return std::make_unique<TrafficMonitor>(link);
         }, ui::Menu::None, nullptr, nullptr, nullptr, QT_TRANSLATE_NOOP("kz", "通信监视")},
#ifdef KZ_HAVE_CHARTS
        // The trend of the measurement windows (the protocol menu's 测量趋势);
        // the program has it follow every window's 记录 control.
        {"TrendWindow",
         [](SerialPortControl &, SerialLink &) -> std::unique_ptr<QWidget> { return std::make_unique<TrendWindow>(); }, ui::Menu::None, nullptr, nullptr, nullptr, QT_TRANSLATE_NOOP("kz", "测量趋势")},
#endif
    };
    return {std::nullopt, windows};
}

} // namespace

std::array<ui::WindowList, 4> ProgramWindowLists()
{
    return {ProgramWide(), threephase::Windows(), singlephase::Windows(), kz827::Windows()};
}

const ui::WindowEntry *FindWindowEntry(const QString &className)
{
    for (const ui::WindowList &list : ProgramWindowLists())
        for (const ui::WindowEntry &entry : list.windows)
            if (className == QLatin1String(entry.className))
                return &entry;
    return nullptr;
}
