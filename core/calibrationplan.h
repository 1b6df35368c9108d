#pragma once
// A calibration plan: the points one guided run calibrates, what the
// standard source must supply for each, the value the standard meter will
// show and the accepted error. No widgets.
//
// A plan file is JSON:
//   {
//     "name": "产线A 模块校验",      optional, shown on the record
//     "family": "three-phase",       optional; when present it must be the
//                                    family calibrated
//     "limit": 0.05,                 optional, accepted |error| in %, every
//                                    point (default 0.05)
//     "stability": 0.05,             optional, largest spread of the eight
//                                    readings, % of their mean (default 0.05)
//     "settleSeconds": 30,           optional, time the readings get to
//                                    settle (default 30)
//     "points": [                    at least one
//       { "point": 1,                the point number N (as in the window)
//         "reference": 1100.0,       what the standard meter shows, in the
//                                    point's unit (W, V or A), not 0
//         "voltage": 220,            optional source settings; the family's
//         "current": 100,            default plan's for the point when left
//         "powerFactor": "1.0",      out: volts, % of nominal current,
//         "phase": "A",              power factor text, phase
//         "limit": 0.05 }            optional, this point's limit in %
//     ]
//   }
// Everything is checked before a plan is used: a point that is not in the
// family's default plan, given twice, or a reference that is missing, not
// a number or 0 refuses the whole plan.
#include "core/calibrationengine.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace calib {

constexpr double kDefaultLimit = 0.05;     // %
constexpr double kDefaultStability = 0.05; // %
constexpr int kDefaultSettleMs = 30000;

// What the standard source supplies for a point.
struct Source {
    double volts = 220;
    double currentPercent = 100; // of the nominal current
    QString powerFactor = QStringLiteral("1.0");
    QString phase;               // "A", "B", "C" or empty for one phase
    QString Text() const;        // "A相 220V 100%In PF 1.0"
};

struct PlanPoint {
    int point = 0;          // N, 1-based
    QString name;           // the point's list text, simplified
    Formula formula = Formula::None;
    int reading = 0;        // which decoder reading it compares with
    char unit = 'W';        // of the reference: W, V or A
    Source source;
    double reference = 0;   // in unit
    double limit = kDefaultLimit;
    QString ReferenceText() const; // the reference as the engine takes it
};

struct Plan {
    QString name;
    QList<PlanPoint> points;
    double stability = kDefaultStability;
    int settleMs = kDefaultSettleMs;
};

// A family's default plan from its points (text, formula, reading, default
// reference) and the source of each; points without a formula or a
// reference are left out.
struct DefaultSource {
    int point;
    Source source;
};
Plan MakeDefaultPlan(const QString &name, std::span<const Point> points, std::span<const DefaultSource> sources);

// The plan a JSON document describes, checked against the family's default
// plan (its points and their sources); error says why it was refused.
std::optional<Plan> ParsePlan(const QByteArray &json, const QString &family, const Plan &defaults, QString *error);
std::optional<Plan> LoadPlan(const QString &path, const QString &family, const Plan &defaults, QString *error);

// Keeps only the points listed ("1,2,13-18"); nothing when the list is
// malformed or names a point the plan does not have.
std::optional<Plan> SelectPoints(const Plan &plan, const QString &list, QString *error);

} // namespace calib
