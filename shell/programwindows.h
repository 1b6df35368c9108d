#pragma once
// Every window of the program: the program-wide ones (port dialog, address
// scan, wiring diagram) and each family's, in the order they are built.
#include "ui/windowregistry.h"

#include <array>

std::array<ui::WindowList, 4> ProgramWindowLists();
// The entry of a window class, or nullptr.
const ui::WindowEntry *FindWindowEntry(const QString &className);
