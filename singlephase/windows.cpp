#include "singlephase/windows.h"

#include "singlephase/inisetdcu.h"
#include "singlephase/meteragedcu.h"
#include "singlephase/monitordcu.h"
#include "singlephase/verifymaeterdcu.h"
#include "singlephase/updowarndcu.h"
#include "singlephase/warnsetdcu.h"
#include "singlephase/winsetdcu.h"

#include <QWidget>

namespace singlephase {

std::span<const WindowFactory> WindowFactories()
{
    static const WindowFactory factories[] = {
        {"TKZ2600_WarnSETdcu", MakeWithLink<TKZ2600_WarnSETdcu>},
        {"TKZ2600_INISETdcu", MakeWithLink<TKZ2600_INISETdcu>},
        {"TKZ2600_UpDoWarndcu", MakeWithLink<TKZ2600_UpDoWarndcu>},
        {"TKZ2600_WINSETdcu", MakeWithLink<TKZ2600_WINSETdcu>},
        {"TKZ2600_MeterageEdcu", MakeWithLink<TKZ2600_MeterageEdcu>},
        {"TKZ2600E_VerifyMaeterdcu", MakeWithLink<TKZ2600E_VerifyMaeterdcu>},
        {"TKZ2600_RemoteMeteragedcu", MakeWithLink<TKZ2600_RemoteMeteragedcu>},
        {"TKZ2600_WarnStatedcu", MakeWithLink<TKZ2600_WarnStatedcu>},
        {"TKZ2600_EventMeteragedcu", MakeWithLink<TKZ2600_EventMeteragedcu>},
        {"TKZ2600_IDSETdcu", MakeWithLink<TKZ2600_IDSETdcu>},
    };
    return factories;
}

} // namespace singlephase
