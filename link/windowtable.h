#pragma once
// The program's windows as data: one row per window with every fact that the
// main window, the link and the windows themselves need about it, so that
// adding a window means adding its row (and its factory in its family's
// library), not matching facts by hand in several places.
#include "link/seriallink.h"

#include <span>

struct WindowRow {
    const char *className;
    int rank;           // place in the program's creation order (main window 0)
    Family family;      // family whose dispatcher serves it (meaningless without a destination)
    int destination;    // three-phase slot, single-phase index or KZ827KVE type; 0: none
    bool once;          // gets a reply only after it finished with the previous one
    const char *returnButton; // pressed by its family's close-others routine; nullptr: left open
    const char *menu;   // pop-up menu and entry that open it; nullptr: no entry
    const char *entry;
    const char *caption;
};

// Every window of the program, each menu's entries in their on-screen order.
std::span<const WindowRow> WindowTable();
// The row of a class, or nullptr.
const WindowRow *FindWindowRow(const char *className);
// The row at a destination, or nullptr.
const WindowRow *WindowAt(Family family, int destination);
// Class names in creation order (the main window first).
QStringList CreationOrder();
