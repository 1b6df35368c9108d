#pragma once
// The KZ827KVE windows this library builds, for the main window.
#include "ui/windowregistry.h"

namespace kz827 {
ui::WindowList Windows();
} // namespace kz827
