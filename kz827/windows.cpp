#include "kz827/windows.h"

#include <QWidget>

namespace kz827 {

std::span<const WindowFactory> WindowFactories()
{
    return {};
}

} // namespace kz827
