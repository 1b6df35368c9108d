#include "core/calibrationplan.h"

#include "core/jsonfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cmath>

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

// A percentage that must be a finite positive number.
bool Percent(const QJsonObject &o, const char *key, double *value, QString *error)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return true;
    if (!v.isDouble() || !std::isfinite(v.toDouble()) || v.toDouble() <= 0) {
        *error = QStringLiteral("\"%1\" must be a number above 0").arg(QLatin1String(key));
        return false;
    }
    *value = v.toDouble();
    return true;
}

} // namespace

QString Source::Text() const
{
    QString text;
    if (!phase.isEmpty())
        text = phase + QStringLiteral(QT_TRANSLATE_NOOP("kz", "相 "));
    return text + QStringLiteral("%1V %2%In PF %3").arg(volts).arg(currentPercent).arg(powerFactor);
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
        pp.formula = p.formula;
        pp.reading = p.reading;
        pp.unit = UnitOf(p);
        pp.source = s.source;
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
                     ? QStringLiteral("not a JSON document: %1 at offset %2").arg(parse.errorString()).arg(parse.offset)
                     : QStringLiteral("a plan is a JSON object");
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    if (root.contains(QLatin1String("family")) && root.value(QLatin1String("family")).toString() != family) {
        *error = QStringLiteral("the plan is for %1, not %2").arg(root.value(QLatin1String("family")).toString(), family);
        return std::nullopt;
    }
    Plan plan;
    plan.name = root.value(QLatin1String("name")).toString(defaults.name);
    double limit = kDefaultLimit;
    double settle = kDefaultSettleMs / 1000.0;
    if (!Percent(root, "limit", &limit, error) || !Percent(root, "stability", &plan.stability, error) ||
        !Percent(root, "settleSeconds", &settle, error))
        return std::nullopt;
    plan.settleMs = static_cast<int>(std::min(settle, 3600.0) * 1000);

    const QJsonArray points = root.value(QLatin1String("points")).toArray();
    if (points.isEmpty()) {
        *error = QStringLiteral("\"points\" must be a list of at least one point");
        return std::nullopt;
    }
    QSet<int> seen;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const QJsonObject o = points[i].toObject();
        const QString where = QStringLiteral("point %1 of the plan: ").arg(i + 1);
        const QJsonValue n = o.value(QLatin1String("point"));
        const PlanPoint *base = nullptr;
        for (const PlanPoint &d : defaults.points)
            if (n.isDouble() && n.toDouble() == d.point)
                base = &d;
        if (!base) {
            *error = where + QStringLiteral("\"point\" must be one of the points this family calibrates");
            return std::nullopt;
        }
        if (seen.contains(base->point)) {
            *error = where + QStringLiteral("point %1 is given twice").arg(base->point);
            return std::nullopt;
        }
        seen.insert(base->point);
        PlanPoint p = *base;
        const QJsonValue reference = o.value(QLatin1String("reference"));
        if (!reference.isDouble() || !std::isfinite(reference.toDouble()) || reference.toDouble() == 0) {
            *error = where + QStringLiteral("\"reference\" must be a number other than 0");
            return std::nullopt;
        }
        p.reference = reference.toDouble();
        p.limit = limit;
        double volts = p.source.volts;
        double current = p.source.currentPercent;
        if (!Percent(o, "limit", &p.limit, error) || !Percent(o, "voltage", &volts, error) ||
            !Percent(o, "current", &current, error)) {
            *error = where + *error;
            return std::nullopt;
        }
        p.source.volts = volts;
        p.source.currentPercent = current;
        p.source.powerFactor = o.value(QLatin1String("powerFactor")).toString(p.source.powerFactor);
        p.source.phase = o.value(QLatin1String("phase")).toString(p.source.phase);
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
        *error = QStringLiteral("%1: %2").arg(path, why);
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
