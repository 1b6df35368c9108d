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
        // class, factory, menu, entry, entry caption, return button, window caption
        {"kz827::MeasurementWindow", ui::MakeWithLink<MeasurementWindow>, ui::Menu::Measurement, "N24", QT_TRANSLATE_NOOP("kz", "电量测量"), "Exit", QT_TRANSLATE_NOOP("kz", "KZ827KVE电量测量窗口")},
        {"kz827::RemoteControlWindow", ui::MakeWithLink<RemoteControlWindow>, ui::Menu::Measurement, "N25", QT_TRANSLATE_NOOP("kz", "遥控"), "Exit", QT_TRANSLATE_NOOP("kz", "KZ827遥控")},
        {"kz827::AlarmsWindow", ui::MakeWithLink<AlarmsWindow>, ui::Menu::Settings, "N26", QT_TRANSLATE_NOOP("kz", "报警参数设置"), "Exit", QT_TRANSLATE_NOOP("kz", "报警参数设置")},
        {"kz827::RangeWindow", ui::MakeWithLink<RangeWindow>, ui::Menu::Settings, "N27", QT_TRANSLATE_NOOP("kz", "仪表初始化设置"), "Exit", QT_TRANSLATE_NOOP("kz", "KZ827初始化参数设置")},
        {"kz827::CalibrationWindow", ui::MakeWithLink<CalibrationWindow>, ui::Menu::Settings, "KZ8271", QT_TRANSLATE_NOOP("kz", "KZ827校准"), "Exit", QT_TRANSLATE_NOOP("kz", "KZ827KVE校准窗口")},
    };
    return {Family::Kz827, windows, "KZ827KVESAMPL", "KZ827KVESET"};
}

} // namespace kz827
