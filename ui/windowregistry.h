#pragma once
// How a library lists the windows it makes: one entry per window, with its
// menu entry, caption, return button and factory. The main window builds its
// menus, its close-others routines and the program's windows from these
// lists, in their order; adding a window means adding its entry.
#include "link/family.h"

#include <memory>
#include <optional>
#include <span>

class QWidget;
class SerialLink;
class SerialPortControl;

namespace ui {

struct WindowEntry {
    // The window's object name, by which the main window and tests find it.
    const char *className;
    std::unique_ptr<QWidget> (*make)(SerialPortControl &port, SerialLink &link);
    // The pop-up menu and entry (object names) that open it, and the entry's
    // caption; nullptr: no entry.
    const char *menu = nullptr;
    const char *entry = nullptr;
    const char *caption = nullptr;
    // The button its family's close-others routine presses; nullptr: the
    // window stays open when another window of the family opens.
    const char *returnButton = nullptr;
};

// A family's windows, or (no family) the program-wide ones; menu entries in
// their on-screen order.
struct WindowList {
    std::optional<Family> family;
    std::span<const WindowEntry> windows;
};

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
