#include "kz827/settingsblocks.h"

#include "core/blocktable.h"
#include "kz827/alarms.h"
#include "kz827/range.h"
#include "core/tr.h"

#include <optional>

namespace kz827 {
namespace {

using backup::Block;
using backup::ItemRange;

fields::Encoded Refused(const QString &message, int field)
{
    fields::Encoded e;
    e.error = message;
    e.field = field;
    return e;
}

// A whole number typed for a list or spin box in 0..max.
std::optional<int> Choice(const QString &text, const QString &caption, int max, QString *error)
{
    const auto v = fields::ParseInteger(text, error);
    if (!v)
        return std::nullopt;
    if (*v < 0 || *v > max) {
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1：%2 不在 0..%3 之内")).arg(caption, text).arg(max);
        return std::nullopt;
    }
    return int(*v);
}

Block Kz827Range()
{
    Block b{QStringLiteral("range"), QStringLiteral("KZ827初始化参数设置"), kz827::kRangeFirst,
            kz827::kRangeRegisters, kz827::kRangeBytes, true,
            {{QStringLiteral("RadioGroup2"), QStringLiteral("电压单位"), ItemRange("V|KV")},
             {QStringLiteral("LabeledEdit1"), QStringLiteral("电压被率"), QStringLiteral("0..9999")},
             {QStringLiteral("RadioGroup3"), QStringLiteral("电流单位"), ItemRange("A|KA")},
             {QStringLiteral("LabeledEdit2"), QStringLiteral("电流被率"), QStringLiteral("0..9999")},
             {QStringLiteral("RadioGroup4"), QStringLiteral("有功功率单位"), ItemRange("W|KW|MW")}},
            {}, {}};
    b.decode = [](const QByteArray &data) {
        const kz827::RangeSettings r = kz827::DecodeRange(data);
        return fields::Values{QString::number(r.voltageUnit), r.voltageRatio, QString::number(r.currentUnit),
                              r.currentRatio, QString::number(r.powerUnit)};
    };
    b.encode = [names = b.names](const fields::Values &v) {
        QString error;
        kz827::RangeSettings r;
        const int units[] = {0, 2, 4};
        const int maxima[] = {1, 1, 2};
        int *targets[] = {&r.voltageUnit, &r.currentUnit, &r.powerUnit};
        for (int i = 0; i < 3; ++i) {
            const auto c = Choice(v.value(units[i]), names[units[i]].caption, maxima[i], &error);
            if (!c)
                return Refused(error, units[i]);
            *targets[i] = *c;
        }
        // Each ratio alone first, so that a refusal names its field.
        for (const int ratio : {1, 3}) {
            kz827::RangeSettings alone;
            (ratio == 1 ? alone.voltageRatio : alone.currentRatio) = v.value(ratio);
            if (!kz827::EncodeRange(alone, &error))
                return Refused(error, ratio);
        }
        r.voltageRatio = v.value(1);
        r.currentRatio = v.value(3);
        const auto data = kz827::EncodeRange(r, &error);
        if (!data)
            return Refused(error, -1);
        return fields::Encoded{*data, {}, -1};
    };
    return b;
}

// The alarm window's controls per quantity, in AlarmSettings order.
struct AlarmNames {
    kz827::Quantity quantity;
    const char *what;
    const char *objects[8]; // upper, upper hysteresis, upper relay, upper on, lower, ..., lower on
};
constexpr AlarmNames kAlarmNames[] = {
    {kz827::Quantity::Voltage, "电压", {"Edit1", "Edit2", "SpinEdit2", "CheckBox1", "Edit4", "Edit3", "SpinEdit7", "CheckBox2"}},
    {kz827::Quantity::Current, "电流", {"Edit5", "Edit6", "SpinEdit3", "CheckBox3", "Edit8", "Edit7", "SpinEdit4", "CheckBox4"}},
    {kz827::Quantity::Power, "功率", {"Edit9", "Edit10", "SpinEdit5", "CheckBox5", "Edit12", "Edit11", "SpinEdit6", "CheckBox6"}},
};
constexpr const char *kAlarmCaptions[8] = {"上限", "上限回差值", "上限报警继电器", "上限报警启用",
                                           "下限", "下限回差值", "下限报警继电器", "下限报警启用"};
// What each of the eight controls holds; the limits' unit is the quantity's.
QString AlarmAllowed(kz827::Quantity quantity, int control)
{
    if (control % 4 == 2)
        return QStringLiteral("0..15");
    if (control % 4 == 3)
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "0 或 1"));
    const QString units = quantity == kz827::Quantity::Voltage   ? kz::Tr(QT_TRANSLATE_NOOP("kz", "V 或 KV"))
                          : quantity == kz827::Quantity::Current ? kz::Tr(QT_TRANSLATE_NOOP("kz", "A 或 KA"))
                                                                 : kz::Tr(QT_TRANSLATE_NOOP("kz", "W、KW 或 MW"));
    return kz::Tr(QT_TRANSLATE_NOOP("kz", "至多四位数字，可带小数点，后接 %1")).arg(units);
}

Block Kz827Alarms()
{
    Block b{QStringLiteral("alarms"), QStringLiteral("报警参数设置"), kz827::kAlarmFirst, kz827::kAlarmRegisters,
            kz827::kAlarmBytes, true, {}, {}, {}};
    for (const AlarmNames &a : kAlarmNames)
        for (int i = 0; i < 8; ++i)
            b.names.append({QString::fromUtf8(a.objects[i]),
                            QString::fromUtf8(a.what) + QString::fromUtf8(kAlarmCaptions[i]),
                            AlarmAllowed(a.quantity, i)});
    b.decode = [](const QByteArray &data) {
        const kz827::AlarmSettings s = kz827::DecodeAlarms(data);
        fields::Values v;
        for (const AlarmNames &a : kAlarmNames) {
            const kz827::AlarmQuantity &q = s[static_cast<int>(a.quantity)];
            v << q.upper << q.upperHysteresis << QString::number(q.upperRelay)
              << QString::number(q.upperEnabled ? 1 : 0) << q.lower << q.lowerHysteresis
              << QString::number(q.lowerRelay) << QString::number(q.lowerEnabled ? 1 : 0);
        }
        return v;
    };
    b.encode = [names = b.names](const fields::Values &v) {
        kz827::AlarmSettings s;
        QString error;
        int i = 0;
        for (const AlarmNames &a : kAlarmNames) {
            kz827::AlarmQuantity &q = s[static_cast<int>(a.quantity)];
            q.upper = v.value(i);
            q.upperHysteresis = v.value(i + 1);
            q.lower = v.value(i + 4);
            q.lowerHysteresis = v.value(i + 5);
            for (const int limit : {i, i + 1, i + 4, i + 5})
                if (!kz827::ParseLimit(v.value(limit), a.quantity, &error))
                    return Refused(error, limit);
            // Relays as the window's spin boxes allow (0..15), switches 0/1.
            const int numbers[] = {i + 2, i + 3, i + 6, i + 7};
            const int maxima[] = {15, 1, 15, 1};
            int parsed[4] = {};
            for (int k = 0; k < 4; ++k) {
                const auto c = Choice(v.value(numbers[k]), names[numbers[k]].caption, maxima[k], &error);
                if (!c)
                    return Refused(error, numbers[k]);
                parsed[k] = *c;
            }
            q.upperRelay = parsed[0];
            q.upperEnabled = parsed[1] == 1;
            q.lowerRelay = parsed[2];
            q.lowerEnabled = parsed[3] == 1;
            i += 8;
        }
        const auto data = kz827::EncodeAlarms(s, &error);
        if (!data)
            return Refused(error, -1);
        return fields::Encoded{*data, {}, -1};
    };
    return b;
}

} // namespace

const QList<Block> &SettingsBlocks()
{
    static const QList<Block> blocks{Kz827Range(), Kz827Alarms()};
    return blocks;
}

const QList<backup::Block> &SettingsCatalog(Family family)
{
    static const QList<backup::Block> none;
    return family == Family::Kz827 ? SettingsBlocks() : none;
}

} // namespace kz827
