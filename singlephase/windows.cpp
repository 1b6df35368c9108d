#include "singlephase/windows.h"

#include <QWidget>

namespace singlephase {

std::span<const WindowFactory> WindowFactories()
{
    return {};
}

} // namespace singlephase
