#include "kz827/windows.h"

#include "kz827/calibratedcu.h"
#include "kz827/inidcu.h"
#include "kz827/surveydcu.h"
#include "kz827/telecontroldcu.h"
#include "kz827/warndcu.h"

#include <QWidget>

namespace kz827 {

std::span<const WindowFactory> WindowFactories()
{
    static const WindowFactory factories[] = {
        {"TKZ827KVE_SURVEY", MakeWithLink<TKZ827KVE_SURVEY>},
        {"TKZ827KVE_Calibrate", MakeWithLink<TKZ827KVE_Calibrate>},
        {"TKZ827_Ini", MakeWithLink<TKZ827_Ini>},
        {"TKZ827_Warn", MakeWithLink<TKZ827_Warn>},
        {"TKZ827_Telecontrol", MakeWithLink<TKZ827_Telecontrol>},
    };
    return factories;
}

} // namespace kz827
