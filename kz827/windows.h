#pragma once
// The windows of this family that this library builds, for the program's
// start-up.
#include "ui/windowfactory.h"

namespace kz827 {
std::span<const WindowFactory> WindowFactories();
} // namespace kz827
