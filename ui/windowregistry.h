#pragma once
// How a library lists the windows it makes: one entry per window, with its
// menu entry, the window's caption, whether it closes with its family, and
// its factory. The main window builds its menus (named once, per family),
// its close-others routines and the program's windows from these lists, in
// their order; adding a window means adding its entry.
#include "link/family.h"

#include <memory>
#include <optional>
#include <span>

class QWidget;
class SerialLink;
class SerialPortControl;

namespace ui {

// The main window's pop-up menu an entry sits in.
enum class Menu { None, Measurement, Settings };

struct WindowEntry {
    // The window's object name, by which the main window and tests find it.
    const char *className;
    std::unique_ptr<QWidget> (*make)(SerialPortControl &port, SerialLink &link);
    // The pop-up menu and the entry (object name) that open it, and the
    // entry's caption; Menu::None: no entry.
    Menu menu = Menu::None;
    const char *entry = nullptr;
    const char *caption = nullptr;
    // Its return button: the window closes (as that button closes it) when
    // its family's close-others routine runs; nullptr: the window stays open
    // when another window of the family opens.
    const char *returnButton = nullptr;
    // The window's caption (title bar), set when it is made; nullptr: the
    // window class sets it (the shared classes take it from their settings).
    const char *title = nullptr;
};

// A family's windows, or (no family) the program-wide ones; menu entries in
// their on-screen order.
struct WindowList {
    std::optional<Family> family;
    std::span<const WindowEntry> windows;
    // The object names of the family's measurement and settings pop-up menus.
    const char *measurementMenu = nullptr;
    const char *settingsMenu = nullptr;

    // The object name of the pop-up menu; nullptr for Menu::None.
    const char *MenuName(Menu menu) const
    {
        return menu == Menu::Measurement ? measurementMenu : menu == Menu::Settings ? settingsMenu : nullptr;
    }
};

// Makes the entry's window, with its caption.
std::unique_ptr<QWidget> MakeWindow(const WindowEntry &entry, SerialPortControl &port, SerialLink &link);

// Makes a window class whose constructor takes the link.
template <class W>
std::unique_ptr<QWidget> MakeWithLink(SerialPortControl &, SerialLink &link)
{
    return std::make_unique<W>(link);
}

// Makes a shared window class with the settings of one window.
template <class W, const auto &config>
std::unique_ptr<QWidget> MakeWithConfig(SerialPortControl &, SerialLink &link)
{
    return std::make_unique<W>(link, config);
}

} // namespace ui
