// A calibration plan as kzctl calibrate --plan and the guided panel read it.
// Input: a byte choosing the family (modulo 3), then the plan's text.
// Checks: a refusal says why; a plan read has points, each one of the
// family's own, none twice, each with a reference that is not 0.
#include "core/calibrationplan.h"
#include "fuzz/fuzzinput.h"
#include "fuzz/targets.h"
#include "kz827/calibration.h"
#include "link/family.h"
#include "singlephase/calibration.h"
#include "threephase/calibration.h"

#include <QSet>
#include <algorithm>

namespace fuzz {

int FuzzPlan(const std::uint8_t *data, std::size_t size)
{
    Input in(data, size);
    static const calib::Plan defaults[] = {threephase::calibration::DefaultPlan(), singlephase::calibration::DefaultPlan(),
                                           kz827::calibration::DefaultPlan()};
    static const Family families[] = {Family::ThreePhase, Family::SinglePhase, Family::Kz827};
    const int f = in.Byte() % 3;
    QString error;
    const auto plan = calib::ParsePlan(in.Rest(), FamilyName(families[f]), defaults[f], &error);
    if (!plan) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    Reached("plan.read");
    FUZZ_CHECK(!plan->points.isEmpty());
    QSet<int> seen;
    for (const calib::PlanPoint &point : plan->points) {
        FUZZ_CHECK(!seen.contains(point.point));
        seen.insert(point.point);
        FUZZ_CHECK(std::any_of(defaults[f].points.begin(), defaults[f].points.end(),
                               [&](const calib::PlanPoint &p) { return p.point == point.point; }));
        FUZZ_CHECK(point.reference != 0);
        FUZZ_CHECK(!point.ReferenceText().isEmpty());
        FUZZ_CHECK(!point.source.Text().isEmpty());
    }
    return 0;
}

} // namespace fuzz
