#pragma once
// The windows of this family that this library builds, for the program's
// start-up.
#include "ui/windowfactory.h"

namespace singlephase {
std::span<const WindowFactory> WindowFactories();
} // namespace singlephase
