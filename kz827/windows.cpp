#include "kz827/windows.h"

#include "kz827/alarmswindow.h"
#include "kz827/calibrationwindow.h"
#include "kz827/measurementwindow.h"
#include "kz827/rangewindow.h"
#include "kz827/remotecontrolwindow.h"

#include <QWidget>

namespace kz827 {

// Menu entries in their on-screen order.
ui::WindowList Windows()
{
    static const ui::WindowEntry windows[] = {
        // class, factory, menu, entry, caption, return button
        {"kz827::MeasurementWindow", ui::MakeWithLink<MeasurementWindow>, "KZ827KVESAMPL", "N24", QT_TRANSLATE_NOOP("kz", "电量测量"), "Exit"},
        {"kz827::RemoteControlWindow", ui::MakeWithLink<RemoteControlWindow>, "KZ827KVESAMPL", "N25", QT_TRANSLATE_NOOP("kz", "遥控"), "Exit"},
        {"kz827::AlarmsWindow", ui::MakeWithLink<AlarmsWindow>, "KZ827KVESET", "N26", QT_TRANSLATE_NOOP("kz", "报警参数设置"), "Exit"},
        {"kz827::RangeWindow", ui::MakeWithLink<RangeWindow>, "KZ827KVESET", "N27", QT_TRANSLATE_NOOP("kz", "仪表初始化设置"), "Exit"},
        {"kz827::CalibrationWindow", ui::MakeWithLink<CalibrationWindow>, "KZ827KVESET", "KZ8271", QT_TRANSLATE_NOOP("kz", "KZ827校准"), "Exit"},
    };
    return {Family::Kz827, windows};
}

} // namespace kz827
