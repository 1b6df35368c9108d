#include "threephase/windows.h"

#include "threephase/coulometrydcu.h"
#include "threephase/setpar1dcu.h"
#include "threephase/setpar2dcu.h"
#include "threephase/setpar3dcu.h"
#include "threephase/setpardcu.h"

#include <QWidget>

namespace threephase {

std::span<const WindowFactory> WindowFactories()
{
    static const WindowFactory factories[] = {
        {"TCoulometrydcu", MakeWithLink<TCoulometrydcu>},
        {"TSetParDcu", MakeWithLink<TSetParDcu>},
        {"TSetPar1Dcu", MakeWithLink<TSetPar1Dcu>},
        {"TSetPar2Dcu", MakeWithLink<TSetPar2Dcu>},
        {"TSetPar3Dcu", MakeWithLink<TSetPar3Dcu>},
    };
    return factories;
}

} // namespace threephase
