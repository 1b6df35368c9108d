#pragma once
// The three-phase windows this library builds, for the main window.
#include "ui/windowregistry.h"

namespace threephase {
ui::WindowList Windows();
} // namespace threephase
