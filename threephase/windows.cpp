#include "threephase/windows.h"

#include "threephase/coulometrydcu.h"
#include "threephase/setpardcu.h"

#include <QWidget>

namespace threephase {

std::span<const WindowFactory> WindowFactories()
{
    static const WindowFactory factories[] = {
        {"TCoulometrydcu", MakeWithLink<TCoulometrydcu>},
        {"TSetParDcu", MakeWithLink<TSetParDcu>},
    };
    return factories;
}

} // namespace threephase
