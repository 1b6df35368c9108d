#include "threephase/windows.h"

#include "threephase/coulometry1dcu.h"
#include "threephase/coulometry4dcu.h"
#include "threephase/coulometrydcu.h"
#include "threephase/monitordcu.h"
#include "threephase/setpar1dcu.h"
#include "threephase/setpar2dcu.h"
#include "threephase/setpar3dcu.h"
#include "threephase/setpardcu.h"
#include "threephase/verifymodel.h"

#include <QWidget>

namespace threephase {

std::span<const WindowFactory> WindowFactories()
{
    static const WindowFactory factories[] = {
        {"TCoulometrydcu", MakeWithLink<TCoulometrydcu>},
        {"TCoulometry1dcu", MakeWithLink<TCoulometry1dcu>},
        {"TCoulometry2dcu", MakeWithLink<TCoulometry2dcu>},
        {"TCoulometry3dcu", MakeWithLink<TCoulometry3dcu>},
        {"TCoulometry4dcu", MakeWithLink<TCoulometry4dcu>},
        {"TSetParDcu", MakeWithLink<TSetParDcu>},
        {"TSetPar1Dcu", MakeWithLink<TSetPar1Dcu>},
        {"TSetPar2Dcu", MakeWithLink<TSetPar2Dcu>},
        {"TSetPar3Dcu", MakeWithLink<TSetPar3Dcu>},
        {"TSetPar4dcu", MakeWithLink<TSetPar4dcu>},
        {"TVerify_model", MakeWithLink<TVerify_model>},
    };
    return factories;
}

} // namespace threephase
