#include "threephase/initsettings.h"


namespace threephase::initsettings {

using fields::Field;
using fields::Kind;
using fields::Radio;
using fields::Value;

namespace {

// A unit choice: 0x0001 for the larger unit, factory the smaller one. text
// "" when the surrounding box already names the quantity.
constexpr Field Unit(const char *object, const char *caption, int offset, const char *items,
                     const char *text = nullptr)
{
    return fields::Shown(Radio(object, caption, Kind::RadioFlag, offset, items, "0"), text);
}

// A transformer ratio, shown as "被率" inside its range box.
constexpr Field Ratio(const char *object, const char *caption, int offset)
{
    return fields::Shown(Value(object, caption, Kind::BcdText, offset, 9999, "1"), QT_TRANSLATE_NOOP("kz", "被率"));
}

constexpr Field Wiring()
{
    return fields::RadioValues("RadioGroup1", QT_TRANSLATE_NOOP("kz", "接线方式"), 0, QT_TRANSLATE_NOOP("kz", "三相三线|三相四线"), 1, 2, "1");
}

constexpr Field Delay()
{
    // The box around it carries the caption.
    return fields::Shown(Value("SpinEdit2", QT_TRANSLATE_NOOP("kz", "重合闸延时时间"), Kind::BcdSpin, 20, 1000, "5"), "");
}

} // namespace

constexpr std::array<Field, 11> kFields = {{
    Wiring(),
    Ratio("LabeledEdit1", QT_TRANSLATE_NOOP("kz", "电压量程被率"), 2),
    Unit("RadioGroup2", QT_TRANSLATE_NOOP("kz", "电压单位"), 4, "V|KV", ""),
    Ratio("LabeledEdit2", QT_TRANSLATE_NOOP("kz", "电流量程被率"), 6),
    Unit("RadioGroup3", QT_TRANSLATE_NOOP("kz", "电流单位"), 8, "A|KA", ""),
    Unit("RadioGroup4", QT_TRANSLATE_NOOP("kz", "有功功率单位"), 10, "KW|MW"),
    Unit("RadioGroup5", QT_TRANSLATE_NOOP("kz", "无功功率单位"), 12, "Kvar|Mvar"),
    Unit("RadioGroup6", QT_TRANSLATE_NOOP("kz", "视在功率单位"), 14, "KVA|MVA"),
    Unit("RadioGroup7", QT_TRANSLATE_NOOP("kz", "有功电能单位"), 16, "KWH|MWH"),
    Unit("RadioGroup8", QT_TRANSLATE_NOOP("kz", "无功电能单位"), 18, "KvarH|MvarH"),
    Delay(),
}};
static_assert(fields::FitsBlock(kFields, kBytes));

} // namespace threephase::initsettings
