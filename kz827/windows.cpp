#include "kz827/windows.h"

#include "kz827/calibrationwindow.h"
#include "kz827/rangewindow.h"
#include "kz827/measurementwindow.h"
#include "kz827/remotecontrolwindow.h"
#include "kz827/alarmswindow.h"

#include <QWidget>

namespace kz827 {

std::span<const WindowFactory> WindowFactories()
{
    static const WindowFactory factories[] = {
        {"kz827::MeasurementWindow", MakeWithLink<MeasurementWindow>},
        {"kz827::CalibrationWindow", MakeWithLink<CalibrationWindow>},
        {"kz827::RangeWindow", MakeWithLink<RangeWindow>},
        {"kz827::AlarmsWindow", MakeWithLink<AlarmsWindow>},
        {"kz827::RemoteControlWindow", MakeWithLink<RemoteControlWindow>},
    };
    return factories;
}

} // namespace kz827
