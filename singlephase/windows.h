#pragma once
// The single-phase windows this library builds, for the main window.
#include "ui/windowregistry.h"

namespace singlephase {
ui::WindowList Windows();
} // namespace singlephase
