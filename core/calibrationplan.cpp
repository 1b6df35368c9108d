#include "core/calibrationplan.h"

#include "core/jsonfile.h"
#include "core/tr.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <cmath>
#include <functional>

namespace calib {

namespace {

// The unit of a point's reference: its default reference's unit letter.
char UnitOf(const Point &p)
{
    const QString text = QString::fromUtf8(p.reference);
    if (p.formula == Formula::Ratio)
        return text.contains(QLatin1Char('V')) ? 'V' : 'A';
    return 'W';
}

// The range of a number a plan may give, and its unit for the message.
struct Range {
    double low;
    double high;
    const char *unit;
};
constexpr Range kLimitRange{kLowestLimit, kHighestLimit, " %"};
constexpr Range kSettleRange{1, 3600, " s"};
constexpr Range kVoltsRange{1, 1000, " V"};
constexpr Range kCurrentRange{1, 200, " % of the nominal current"};
constexpr Range kReferenceV{0.1, 1000, " V"};
constexpr Range kReferenceA{0.001, 100, " A"};
constexpr Range kReferenceW{0.1, 100000, " W"};

QString RangeText(const Range &r)
{
    return kz::Tr(QT_TRANSLATE_NOOP("kz", "介于 %1 和 %2%3 之间的数")).arg(r.low).arg(r.high).arg(QLatin1String(r.unit));
}

// The number under key, within its range; a key left out keeps *value.
bool Number(const QJsonObject &o, const char *key, const Range &range, double *value, QString *error)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return true;
    if (!v.isDouble() || !(v.toDouble() >= range.low && v.toDouble() <= range.high)) {
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "“%1”应为%2")).arg(QLatin1String(key), RangeText(range));
        return false;
    }
    *value = v.toDouble();
    return true;
}

// The text under key, one that matches; a key left out keeps *value.
bool Text(const QJsonObject &o, const char *key, const std::function<bool(const QString &)> &allowed,
          const QString &what, QString *value, QString *error)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return true;
    if (!v.isString() || !allowed(v.toString())) {
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "“%1”应为%2")).arg(QLatin1String(key), what);
        return false;
    }
    *value = v.toString();
    return true;
}

// Refuses a key that is not among known, naming the keys there are.
bool KnownKeys(const QJsonObject &o, const QStringList &known, QString *error)
{
    for (const QString &key : o.keys())
        if (!known.contains(key)) {
            *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "未知的键“%1”；已知的键有 %2")).arg(key, known.join(QStringLiteral(", ")));
            return false;
        }
    return true;
}

// A power factor as the standard source is set: 0..1, L (lagging) or C
// (leading) after it below 1.
bool IsPowerFactor(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(1(\\.0*)?|0(\\.[0-9]*)?[LC]?|0?\\.[0-9]+[LC]?)$"));
    return pattern.match(text).hasMatch();
}

} // namespace

QString Source::Text() const
{
    QString text;
    if (!phase.isEmpty())
        text = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1相 ")).arg(phase);
    return text + QStringLiteral("%1V %2%In PF %3").arg(volts).arg(currentPercent).arg(powerFactor);
}

QString PlanPoint::Title() const
{
    return text.isEmpty() ? name : kz::Tr(text.constData()).simplified();
}

QString PlanPoint::ReferenceText() const
{
    return QString::number(reference, 'g', 12) + QLatin1Char(unit);
}

Plan MakeDefaultPlan(const QString &name, std::span<const Point> points, std::span<const DefaultSource> sources)
{
    Plan plan;
    plan.name = name;
    for (const DefaultSource &s : sources) {
        if (s.point < 1 || s.point > static_cast<int>(points.size()))
            continue;
        const Point &p = points[static_cast<std::size_t>(s.point - 1)];
        const QString text = QString::fromUtf8(p.reference);
        const double reference = text.left(text.size() - 1).toDouble();
        if (p.formula == Formula::None || reference == 0)
            continue;
        PlanPoint pp;
        pp.point = s.point;
        pp.name = QString::fromUtf8(p.text).simplified();
        pp.text = p.text;
        pp.formula = p.formula;
        pp.reading = p.reading;
        pp.unit = UnitOf(p);
        pp.source.currentPercent = s.currentPercent;
        pp.source.phase = s.phase;
        if (p.formula == Formula::PowerHalfLagging)
            pp.source.powerFactor = QStringLiteral("0.5L");
        pp.reference = reference;
        plan.points.append(pp);
    }
    return plan;
}

std::optional<Plan> ParsePlan(const QByteArray &json, const QString &family, const Plan &defaults, QString *error)
{
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (!doc.isObject()) {
        *error = parse.error != QJsonParseError::NoError
                     ? kz::Tr(QT_TRANSLATE_NOOP("kz", "不是 JSON 文档：第 %2 字节处 %1")).arg(parse.errorString()).arg(parse.offset)
                     : kz::Tr(QT_TRANSLATE_NOOP("kz", "校验方案应为 JSON 对象"));
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    if (!KnownKeys(root, {"name", "family", "limit", "stability", "settleSeconds", "points"}, error))
        return std::nullopt;
    QString planFamily = family;
    Plan plan;
    plan.name = defaults.name;
    const auto anyText = [](const QString &) { return true; };
    if (!Text(root, "family", anyText, kz::Tr(QT_TRANSLATE_NOOP("kz", "文本")), &planFamily, error) ||
        !Text(root, "name", anyText, kz::Tr(QT_TRANSLATE_NOOP("kz", "文本")), &plan.name, error))
        return std::nullopt;
    if (planFamily != family) {
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "该校验方案用于 %1，不是 %2")).arg(planFamily, family);
        return std::nullopt;
    }
    double settle = kDefaultSettleMs / 1000.0;
    if (!Number(root, "limit", kLimitRange, &plan.limit, error) ||
        !Number(root, "stability", kLimitRange, &plan.stability, error) ||
        !Number(root, "settleSeconds", kSettleRange, &settle, error))
        return std::nullopt;
    plan.settleMs = static_cast<int>(settle * 1000);

    const QJsonValue list = root.value(QLatin1String("points"));
    const QJsonArray points = list.toArray();
    if (!list.isArray() || points.isEmpty()) {
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "“points”应为至少含一个校验点的列表"));
        return std::nullopt;
    }
    QSet<int> seen;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const QString where = kz::Tr(QT_TRANSLATE_NOOP("kz", "方案第 %1 点：")).arg(i + 1);
        const auto refuse = [&](const QString &why) {
            *error = where + why;
            return std::nullopt;
        };
        if (!points[i].isObject())
            return refuse(kz::Tr(QT_TRANSLATE_NOOP("kz", "校验点应为 JSON 对象")));
        const QJsonObject o = points[i].toObject();
        QString why;
        if (!KnownKeys(o, {"point", "reference", "voltage", "current", "powerFactor", "phase", "limit"}, &why))
            return refuse(why);
        const QJsonValue n = o.value(QLatin1String("point"));
        const PlanPoint *base = nullptr;
        for (const PlanPoint &d : defaults.points)
            if (n.isDouble() && n.toDouble() == d.point)
                base = &d;
        if (!base) {
            QStringList numbers;
            for (const PlanPoint &d : defaults.points)
                numbers << QString::number(d.point);
            return refuse(kz::Tr(QT_TRANSLATE_NOOP("kz", "“point”应为本类仪表校验的点之一：%1"))
                              .arg(numbers.join(QStringLiteral(", "))));
        }
        if (seen.contains(base->point))
            return refuse(kz::Tr(QT_TRANSLATE_NOOP("kz", "第 %1 点出现了两次")).arg(base->point));
        seen.insert(base->point);
        PlanPoint p = *base;
        p.limit = plan.limit;
        const Range &reference = p.unit == 'V' ? kReferenceV : p.unit == 'A' ? kReferenceA : kReferenceW;
        if (!o.contains(QLatin1String("reference")))
            return refuse(kz::Tr(QT_TRANSLATE_NOOP("kz", "“reference”应为%1")).arg(RangeText(reference)));
        const QString ownPhase = p.source.phase;
        const QString phaseText = ownPhase.isEmpty() ? kz::Tr(QT_TRANSLATE_NOOP("kz", "\"\"（仪表只有一相）"))
                                                     : kz::Tr(QT_TRANSLATE_NOOP("kz", "\"%1\"（该点本身的相）")).arg(ownPhase);
        if (!Number(o, "reference", reference, &p.reference, &why) || !Number(o, "limit", kLimitRange, &p.limit, &why) ||
            !Number(o, "voltage", kVoltsRange, &p.source.volts, &why) ||
            !Number(o, "current", kCurrentRange, &p.source.currentPercent, &why) ||
            !Text(o, "powerFactor", IsPowerFactor, kz::Tr(QT_TRANSLATE_NOOP("kz", "0 到 1 的文本，小于 1 时后跟 L 或 C，如“1.0”或“0.5L”")),
                  &p.source.powerFactor, &why) ||
            !Text(o, "phase", [&](const QString &t) { return t == ownPhase; }, phaseText, &p.source.phase, &why))
            return refuse(why);
        plan.points.append(p);
    }
    return plan;
}

std::optional<Plan> LoadPlan(const QString &path, const QString &family, const Plan &defaults, QString *error)
{
    // A plan is a few kB: a regular file of at most 256 kB, no key twice.
    const auto json = jsonfile::ReadBounded(path, 256 * 1024, error);
    if (!json)
        return std::nullopt;
    QString why;
    auto plan = jsonfile::NoRepeatedKey(*json, &why) ? ParsePlan(*json, family, defaults, &why) : std::nullopt;
    if (!plan)
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1：%2")).arg(path, why);
    return plan;
}

std::optional<Plan> SelectPoints(const Plan &plan, const QString &list, QString *error)
{
    QSet<int> wanted;
    for (const QString &part : list.split(QLatin1Char(','))) {
        const QStringList ends = part.trimmed().split(QLatin1Char('-'));
        bool ok1 = false, ok2 = true;
        const int a = ends.value(0).toInt(&ok1);
        const int b = ends.size() == 2 ? ends[1].toInt(&ok2) : a;
        if (ends.size() > 2 || !ok1 || !ok2 || a < 1 || a > b || b > 255) {
            *error = QStringLiteral("--points must be numbers and ranges like 1,2,13-18, not '%1'").arg(list);
            return std::nullopt;
        }
        for (int n = a; n <= b; ++n)
            wanted.insert(n);
    }
    Plan out = plan;
    out.points.clear();
    for (const PlanPoint &p : plan.points)
        if (wanted.remove(p.point))
            out.points.append(p);
    if (!wanted.isEmpty()) {
        *error = QStringLiteral("the plan has no point %1").arg(*std::min_element(wanted.begin(), wanted.end()));
        return std::nullopt;
    }
    return out;
}

} // namespace calib
