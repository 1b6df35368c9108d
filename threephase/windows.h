#pragma once
// The three-phase windows this library builds, for the program's start-up.
#include "ui/windowfactory.h"

namespace threephase {
std::span<const WindowFactory> WindowFactories();
} // namespace threephase
