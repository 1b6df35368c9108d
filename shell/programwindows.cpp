#include "shell/programwindows.h"

#include "kz827/windows.h"
#include "shell/addressscanwindow.h"
#include "shell/portdialog.h"
#include "shell/settingsfilewindow.h"
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
        {"AddressScanWindow", ui::MakeWithLink<AddressScanWindow>, nullptr, nullptr, nullptr, "BitBtn3"},
        // Settings files for many meters (the protocol menu's 配置文件).
        {"SettingsFileWindow", ui::MakeWithLink<SettingsFileWindow>},
        {"WiringWindow",
         [](SerialPortControl &, SerialLink &) -> std::unique_ptr<QWidget> { return std::make_unique<WiringWindow>(); }},
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
