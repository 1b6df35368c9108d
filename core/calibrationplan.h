#pragma once
// A calibration plan: the points one guided run calibrates, what the
// standard source must supply for each, the value the standard meter will
// show and the accepted error. No widgets.
//
// A plan file is JSON:
//   {
//     "name": "产线A 模块校验",      optional text, shown on the record
//     "family": "three-phase",       optional; when present it must be the
//                                    family calibrated
//     "limit": 0.05,                 optional, accepted |error| in %, every
//                                    point: 0.001..10 (default 0.05)
//     "stability": 0.05,             optional, largest spread of the eight
//                                    readings, % of their mean: 0.001..10
//                                    (default 0.05)
//     "settleSeconds": 30,           optional, time the readings get to
//                                    settle: 1..3600 (default 30)
//     "points": [                    at least one
//       { "point": 1,                the point number N (as in the window)
//         "reference": 1100.0,       what the standard meter shows, in the
//                                    point's unit: 0.1..1000 V,
//                                    0.001..100 A, 0.1..100000 W
//         "voltage": 220,            optional source settings; the family's
//         "current": 100,            default plan's for the point when left
//         "powerFactor": "1.0",      out: 1..1000 V, 1..200 % of nominal
//         "phase": "A",              current, a power factor text 0..1 with
//                                    L or C after it ("0.5L"), the point's
//                                    own phase ("" for one phase)
//         "limit": 0.05 }            optional, this point's limit in %
//     ]
//   }
// Everything is checked before a plan is used: a key the plan does not
// know, a value of the wrong type or outside its range, a point that is not
// in the family's default plan or is given twice refuses the whole plan,
// and the message names the key and what it allows. The ranges keep a
// computation from ever starting on a value no bench could supply (1e308 V,
// a negative power).
#include "core/calibrationengine.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace calib {

constexpr double kDefaultLimit = 0.05;     // %
constexpr double kDefaultStability = 0.05; // %
constexpr int kDefaultSettleMs = 30000;
// The limit and stability a plan, the window's 合格限 box and kzctl's
// --limit may give, in %.
constexpr double kLowestLimit = 0.001;
constexpr double kHighestLimit = 10;

// What the standard source supplies for a point.
struct Source {
    double volts = 220;
    double currentPercent = 100; // of the nominal current
    QString powerFactor = QStringLiteral("1.0");
    QString phase;               // "A", "B", "C" or empty for one phase
    QString Text() const;        // "A相 220V 100%In PF 1.0", translated
};

struct PlanPoint {
    int point = 0;          // N, 1-based
    QString name;           // the point's list text, simplified
    QByteArray text;        // the list text as marked for translation
    Formula formula = Formula::None;
    int reading = 0;        // which decoder reading it compares with
    char unit = 'W';        // of the reference: W, V or A
    Source source;
    double reference = 0;   // in unit
    double limit = kDefaultLimit;
    QString ReferenceText() const; // the reference as the engine takes it
    // The point's name in the language in use, simplified.
    QString Title() const;
};

struct Plan {
    QString name;
    QList<PlanPoint> points;
    double limit = kDefaultLimit; // the plan's own, for every point without one
    double stability = kDefaultStability;
    int settleMs = kDefaultSettleMs;
};

// A family's default plan from its points (text, formula, reading, default
// reference) and the source of each; points without a formula or a
// reference are left out. A source supplies the nominal voltage, the given
// share of the nominal current and the power factor the point's formula
// calibrates at: 0.5L for PowerHalfLagging, 1.0 otherwise.
struct DefaultSource {
    int point;
    double currentPercent = 100;
    QString phase{};
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
