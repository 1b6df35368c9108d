// The guided calibration run against the simulators' calibration benches
// (deliberate gain and angle errors that the corrections remove) for the
// module and the KZ827KVE, and the refusals of plan files.
#include "core/calibrationrun.h"
#include "kz827/calibration.h"
#include "report/calibrationcertificate.h"
#include "sim/bus.h"
#include "sim/kz827.h"
#include "sim/threephase.h"
#include "singlephase/calibration.h"
#include "tests/support/testutil.h"
#include "threephase/calibration.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTranslator>
#include <memory>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <numbers>
#include <gtest/gtest.h>

namespace {

// The bus answers on a later turn of the event loop, as a port does.
struct SimExchanger : calib::Exchanger {
    sim::Bus &bus;
    std::function<void(const QByteArray &)> beforeEach;
    int writes = 0;
    bool mute = false; // the meter stops answering
    explicit SimExchanger(sim::Bus &b) : bus(b) {}
    void Exchange(const QByteArray &request, std::function<void(const QByteArray &)> done) override
    {
        if (request.size() > 2 && request.at(2) == 'w')
            ++writes;
        if (beforeEach)
            beforeEach(request);
        QTimer::singleShot(0, [this, request, done] { done(mute ? QByteArray() : bus.Handle(request)); });
    }
};

constexpr std::uint32_t kVolts(double v) { return static_cast<std::uint32_t>(v * 8192); }

struct GuidedRun : ::testing::Test {
    sim::Bus bus;
    sim::ThreePhaseInstrument *meter = nullptr;
    SimExchanger link{bus};
    threephase::calibration::Decoder decoder;

    void SetUp() override
    {
        bus.Add(1, sim::Family::ThreePhase);
        meter = bus.ThreePhaseAt(1);
    }
    calib::Plan plan(const char *points, int settleMs = calib::kDefaultSettleMs)
    {
        QString error;
        auto p = calib::SelectPoints(threephase::calibration::DefaultPlan(), QString::fromLatin1(points), &error);
        EXPECT_TRUE(p) << qPrintable(error);
        p->settleMs = settleMs;
        return *p;
    }
    calib::RunResult run(calib::Run &r)
    {
        bool done = false;
        QObject::connect(&r, &calib::Run::finished, [&] { done = true; });
        r.Start();
        EXPECT_TRUE(WaitFor([&] { return done; }, 60000));
        return r.Result();
    }
};

} // namespace

TEST_F(GuidedRun, EveryPointOfTheModulesDefaultPlanPassesInOneRun)
{
    const calib::Plan defaults = threephase::calibration::DefaultPlan();
    ASSERT_EQ(defaults.points.size(), 18);
    calib::Run r(link, decoder, 1, defaults);
    int prompts = 0;
    QObject::connect(&r, &calib::Run::sourceWanted, [&](const calib::PlanPoint &p) {
        EXPECT_EQ(p.point, prompts + 1);
        ++prompts;
        r.Respond(calib::Run::Answer::Continue);
    });
    QElapsedTimer clock;
    clock.start();
    const calib::RunResult result = run(r);
    RecordProperty("run_ms", static_cast<int>(clock.elapsed()));
    EXPECT_EQ(prompts, 18);
    ASSERT_EQ(result.points.size(), 18);
    EXPECT_TRUE(result.Passed());
    for (const calib::PointResult &p : result.points) {
        SCOPED_TRACE(p.point.point);
        EXPECT_TRUE(p.passed) << qPrintable(p.message);
        ASSERT_TRUE(p.before && p.after && p.error);
        EXPECT_GT(std::fabs(*p.before - p.point.reference), p.point.limit / 100 * p.point.reference) << "the meter's own error";
        EXPECT_LE(std::fabs(*p.error), 0.05);
        EXPECT_NE(p.word, "000000");
        EXPECT_EQ(meter->CalibrationWord(p.point.point), calib::CorrectionWord(p.word).value());
    }
}

TEST_F(GuidedRun, APointWhoseSourceIsNotSetFailsAfterItsRetriesAndTheOthersAreDone)
{
    // Ua stays at 210 V whatever is written: the source was never set.
    meter->PinCalibrationValue(13, kVolts(210));
    calib::Run r(link, decoder, 1, plan("1,13,16"));
    r.SetPrompting(false);
    const calib::RunResult result = run(r);
    ASSERT_EQ(result.points.size(), 3);
    EXPECT_FALSE(result.Passed());
    EXPECT_TRUE(result.stoppedAt.isEmpty());
    EXPECT_TRUE(result.points[0].passed);
    EXPECT_TRUE(result.points[2].passed);
    const calib::PointResult &ua = result.points[1];
    EXPECT_FALSE(ua.passed);
    EXPECT_EQ(ua.attempts, 1 + calib::kRetries);
    EXPECT_NEAR(*ua.error, -100.0 * 10 / 220, 0.01);
    EXPECT_TRUE(ua.message.contains("超出 ±0.05%")) << qPrintable(ua.message);

    // The certificate names the failure and says 不合格; an unwritable path
    // is reported, not taken for a certificate.
    const calib::CertificateHeader header{"三相模块", 1, "", "三相模块默认校验方案", "默认方案"};
    const QString html = calib::CertificateHtml(header, result);
    EXPECT_TRUE(html.contains("结论：不合格"));
    EXPECT_TRUE(html.contains(ua.message.toHtmlEscaped()));
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(calib::WriteCertificate(dir.filePath("c.pdf"), header, result, &error)) << qPrintable(error);
    QFile pdf(dir.filePath("c.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_EQ(pdf.read(5), "%PDF-");
    EXPECT_FALSE(calib::WriteCertificate(dir.filePath("no/c.pdf"), header, result, &error));
}

TEST_F(GuidedRun, AReadingThatNeverSettlesTimesOutWithAClearFailure)
{
    // The source swings between 219 and 221 V from one read to the next.
    int reads = 0;
    link.beforeEach = [&](const QByteArray &request) {
        if (request.at(2) == 'r')
            meter->PinCalibrationValue(13, kVolts(++reads % 2 ? 219 : 221));
    };
    calib::Run r(link, decoder, 1, plan("13,16", 300));
    r.SetPrompting(false);
    const calib::RunResult result = run(r);
    ASSERT_EQ(result.points.size(), 2);
    EXPECT_FALSE(result.points[0].passed);
    EXPECT_FALSE(result.points[0].before.has_value());
    EXPECT_EQ(result.points[0].message, "读数 0.3 秒内未稳定（八次读数相差 0.909%，允许 0.05%）");
    EXPECT_TRUE(result.points[1].passed) << "the run goes on";
    EXPECT_FALSE(result.noAnswer);
}

TEST_F(GuidedRun, StopAndSilenceEndTheRunAndSayWhere)
{
    {
        calib::Run r(link, decoder, 1, plan("1-3"));
        r.SetPrompting(false);
        QObject::connect(&r, &calib::Run::pointDone, [&] { r.Stop(); });
        const calib::RunResult result = run(r);
        EXPECT_TRUE(result.stopped);
        EXPECT_FALSE(result.Passed());
        ASSERT_EQ(result.points.size(), 1);
        EXPECT_TRUE(result.points[0].passed);
        EXPECT_EQ(result.stoppedAt, "第 2 点（B相功率（100%）-1.0 [ 2 ]）开始前");
        EXPECT_NE(meter->CalibrationWord(1), 0u) << "the correction written stays";
        EXPECT_EQ(meter->CalibrationWord(2), 0u);
    }
    calib::Run r(link, decoder, 7, plan("1-3"));
    r.SetPrompting(false);
    const calib::RunResult result = run(r);
    EXPECT_TRUE(result.noAnswer);
    EXPECT_EQ(result.stoppedAt, "第 1 点（A相功率（100%）-1.0 [ 1 ]）读数（清零前）");
    const QList<calib::RecordRow> rows = calib::RunRows(result, 7);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].verdict, "中断");
    EXPECT_EQ(rows[0].word, "") << "nothing was written";
    EXPECT_EQ(rows[1].result, "运行停止于第 1 点（A相功率（100%）-1.0 [ 1 ]）读数（清零前）");
}

// A meter that goes mute after taking a point's correction: the point is
// handed out like the others, marked 中断 with the word written, so the
// record holds every word the meter took.
TEST_F(GuidedRun, APointCutOffByAMuteMeterIsReportedWithTheWordWritten)
{
    // The meter takes point 13's correction and answers nothing after it.
    const calib::Plan p = plan("13,16");
    link.beforeEach = [&](const QByteArray &) {
        link.mute = link.mute || meter->CalibrationWord(13) != 0;
    };
    calib::Run r(link, decoder, 1, p);
    r.SetPrompting(false);
    QList<calib::PointResult> done;
    QObject::connect(&r, &calib::Run::pointDone, [&](const calib::PointResult &p) { done << p; });
    const calib::RunResult result = run(r);
    ASSERT_EQ(done.size(), 1);
    EXPECT_TRUE(done[0].interrupted);
    EXPECT_EQ(calib::CorrectionWord(done[0].word), meter->CalibrationWord(13));
    EXPECT_NE(meter->CalibrationWord(13), 0u);
    const QList<calib::RecordRow> rows = calib::RunRows(result, 1);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].verdict, "中断");
    EXPECT_EQ(rows[0].word, done[0].word);
    EXPECT_EQ(rows[0].result, "仪表无应答");
    EXPECT_EQ(calib::Record::CsvLine(rows[0]).section(',', 7, 7), done[0].word);
}

// A reference no correction can reach (in range for a plan, 900 V for a
// 220 V point) is refused once the point is cleared: the word that gives
// back the reading before the clear is written, so the meter keeps the
// correction it had: the module's relative word exactly, the KZ827KVE's
// absolute coefficient as near as its raw counts tell.
TEST_F(GuidedRun, ARefusedPointKeepsTheMetersCorrection)
{
    constexpr std::uint32_t kOld = 0x012345;
    ASSERT_FALSE(bus.Handle(calib::WriteRequest(1, 13, kOld)).isEmpty());
    calib::Plan p = plan("13");
    p.points[0].reference = 900;
    calib::Run r(link, decoder, 1, p);
    r.SetPrompting(false);
    calib::RunResult result = run(r);
    ASSERT_EQ(result.points.size(), 1);
    EXPECT_FALSE(result.points[0].passed);
    EXPECT_EQ(result.points[0].message, "数据出错！！，已写回清零前的读数（校验数据 012345）");
    EXPECT_EQ(meter->CalibrationWord(13), kOld);
    EXPECT_EQ(calib::RunRows(result, 1).value(0).word, "012345");

    auto *kz = static_cast<sim::Kz827Instrument *>(bus.Add(2, sim::Family::Kz827));
    kz->SetGain(sim::Kz827Instrument::kVoltage, 1.004);
    ASSERT_FALSE(bus.Handle(kz827::calibration::Request(2, kz827::calibration::WriteCommand(0), 0x3FE000)).isEmpty());
    kz827::calibration::GuidedProtocol protocol;
    calib::Plan items = kz827::calibration::DefaultPlan();
    items.points = {items.points[0]};
    items.points[0].reference = 999;
    calib::Run kzRun(link, protocol, 2, items);
    kzRun.SetPrompting(false);
    result = run(kzRun);
    ASSERT_EQ(result.points.size(), 1);
    EXPECT_FALSE(result.points[0].passed);
    // Computed back from the meter's raw counts: within one step of its 24 bits.
    EXPECT_NEAR(kz->Coefficient(sim::Kz827Instrument::kVoltage), 0x3FE000, 1);
}

// What each family's default plan asks of the standard source: the power
// factor its formula calibrates at, the family's share of the current and
// its phases.
struct DefaultSources {
    const char *family;
    calib::Plan (*plan)();
    QList<int> halfLagging; // points at PF 0.5L
    QList<int> tenPercent;  // points at 10 % of the current
    bool phases;            // points go A, B, C in turn
};

class DefaultPlanSources : public testing::TestWithParam<DefaultSources> {};

TEST_P(DefaultPlanSources, FollowThePointsFormulaCurrentAndPhase)
{
    const DefaultSources &d = GetParam();
    const calib::Plan plan = d.plan();
    ASSERT_FALSE(plan.points.isEmpty());
    for (const calib::PlanPoint &p : plan.points) {
        SCOPED_TRACE(p.point);
        EXPECT_EQ(p.source.powerFactor, d.halfLagging.contains(p.point) ? "0.5L" : "1.0");
        EXPECT_EQ(p.source.currentPercent, d.tenPercent.contains(p.point) ? 10 : 100);
        EXPECT_EQ(p.source.phase, d.phases ? QString(QChar(u'A' + (p.point - 1) % 3)) : QString());
        EXPECT_EQ(p.source.volts, 220);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Families, DefaultPlanSources,
    testing::Values(DefaultSources{"SinglePhase", singlephase::calibration::DefaultPlan, {3, 4}, {2, 4}, false},
                    DefaultSources{"ThreePhase", threephase::calibration::DefaultPlan, {7, 8, 9, 10, 11, 12},
                                   {4, 5, 6, 10, 11, 12}, true},
                    DefaultSources{"Kz827", kz827::calibration::DefaultPlan, {4}, {}, false}),
    [](const testing::TestParamInfo<DefaultSources> &info) { return std::string(info.param.family); });

TEST(CalibrationPlan, FilesAreCheckedBeforeAnythingIsWritten)
{
    const calib::Plan defaults = threephase::calibration::DefaultPlan();
    struct Case {
        const char *json;
        const char *error; // empty: accepted
    };
    const Case cases[] = {
        // Every value is checked against its type and range, and the
        // message names the key and what it allows.
        {R"({"points":[{"point":13,"reference":1e308}]})", "\"reference\" must be a number from 0.1 to 1000 V"},
        {R"({"points":[{"point":13,"reference":1e6}]})", "\"reference\" must be a number from 0.1 to 1000 V"},
        {R"({"points":[{"point":1,"reference":-1100}]})", "\"reference\" must be a number from 0.1 to 100000 W"},
        {R"({"points":[{"point":16,"reference":500}]})", "\"reference\" must be a number from 0.001 to 100 A"},
        {R"({"points":[{"point":13,"reference":"220V"}]})", "\"reference\" must be a number from 0.1 to 1000 V"},
        {R"({"points":[{"point":13}]})", "\"reference\" must be a number from 0.1 to 1000 V"},
        {R"({"limit":50,"points":[{"point":1,"reference":1}]})", "\"limit\" must be a number from 0.001 to 10 %"},
        {R"({"stability":1e9,"points":[{"point":1,"reference":1}]})", "\"stability\" must be a number from 0.001"},
        {R"({"settleSeconds":1e9,"points":[{"point":1,"reference":1}]})", "\"settleSeconds\" must be a number from 1 to 3600 s"},
        {R"({"points":[{"point":1,"reference":1,"limit":"0.1"}]})", "\"limit\" must be a number"},
        {R"({"points":[{"point":1,"reference":1,"voltage":1e12}]})", "\"voltage\" must be a number from 1 to 1000 V"},
        {R"({"points":[{"point":1,"reference":1,"powerFactor":0.5}]})", "\"powerFactor\" must be a text from 0 to 1"},
        {R"({"points":[{"point":1,"reference":1,"phase":"Q"}]})", "\"phase\" must be \"A\" (the point's own phase)"},
        {R"({"name":7,"points":[{"point":1,"reference":1}]})", "\"name\" must be a text"},
        {R"({"limits":1,"points":[{"point":1,"reference":1}]})", "unknown key \"limits\"; known keys are name, family"},
        {R"({"points":[{"point":1,"refrence":1}]})", "point 1 of the plan: unknown key \"refrence\""},
        {R"({"points":[1]})", "point 1 of the plan: a point is a JSON object"},
        {R"({"points":{"point":1}})", "\"points\" must be a list"},
        {R"({"points":[{"point":19,"reference":1}]})", "\"point\" must be one of the points this family calibrates: 1, 2"},
        {R"({"points":[{"point":1,"reference":1},{"point":1,"reference":1}]})", "given twice"},
        {R"({"points":[]})", "\"points\" must be a list"},
        {R"({"family":"kz827","points":[{"point":1,"reference":1}]})", "the plan is for kz827"},
        {R"({"points":[{"point":1,"reference":1)", "not a JSON document"},
        {R"({"name":"夜班","limit":0.1,"points":[{"point":16,"reference":4.99,"current":120,"limit":0.2,)"
         R"("powerFactor":"0.5L","phase":"A","voltage":230},{"point":2,"reference":1000}]})",
         ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.json);
        QString error;
        // A refusal reads as kzctl prints it.
        const auto english = *c.error ? std::make_unique<ScopedEnglish>() : nullptr;
        const auto plan = calib::ParsePlan(c.json, "three-phase", defaults, &error);
        if (*c.error) {
            EXPECT_FALSE(plan);
            EXPECT_TRUE(error.contains(QString::fromUtf8(c.error), Qt::CaseInsensitive)) << qPrintable(error);
            continue;
        }
        ASSERT_TRUE(plan) << qPrintable(error);
        ASSERT_EQ(plan->points.size(), 2);
        EXPECT_EQ(plan->name, "夜班");
        EXPECT_EQ(plan->points[0].ReferenceText(), "4.99A");
        EXPECT_EQ(plan->points[0].source.Text(), "A相 230V 120%In PF 0.5L");
        EXPECT_EQ(plan->limit, 0.1);
        EXPECT_EQ(plan->points[0].limit, 0.2);
        EXPECT_EQ(plan->points[1].source.Text(), "B相 220V 100%In PF 1.0");
        EXPECT_EQ(plan->points[1].limit, 0.1);
    }
    QString error;
    EXPECT_FALSE(calib::SelectPoints(defaults, "1,19", &error));
    EXPECT_FALSE(calib::SelectPoints(defaults, "3-1", &error));
    EXPECT_EQ(calib::SelectPoints(defaults, "1,2,13-18", &error)->points.size(), 8);
}

// ---- KZ827KVE ----

struct Kz827GuidedRun : GuidedRun {
    sim::Kz827Instrument *kz = nullptr;
    kz827::calibration::GuidedProtocol protocol;

    void SetUp() override
    {
        kz = static_cast<sim::Kz827Instrument *>(bus.Add(2, sim::Family::Kz827));
        // Off by up to 0.6 %, the angle by five steps of the phase coefficient.
        kz->SetGain(sim::Kz827Instrument::kVoltage, 1.004);
        kz->SetGain(sim::Kz827Instrument::kCurrent, 0.995);
        kz->SetGain(sim::Kz827Instrument::kPower, 1.006);
        kz->SetAngleError(0.11);
    }
};

TEST_F(Kz827GuidedRun, EveryItemOfTheDefaultPlanPassesInOneRunFromTheFactoryCoefficients)
{
    const calib::Plan defaults = kz827::calibration::DefaultPlan();
    ASSERT_EQ(defaults.points.size(), 4);
    calib::Run r(link, protocol, 2, defaults);
    QStringList prompts;
    QList<QByteArray> clears; // the first write of each point
    QObject::connect(&r, &calib::Run::sourceWanted, [&](const calib::PlanPoint &p) {
        prompts << p.ReferenceText() + " " + p.source.Text();
        link.beforeEach = [&](const QByteArray &request) {
            if (request.at(3) == kz827::calibration::kRead)
                return;
            clears << request;
            link.beforeEach = nullptr;
        };
        r.Respond(calib::Run::Answer::Continue);
    });
    const calib::RunResult result = run(r);
    EXPECT_EQ(prompts, QStringList({"220V 220V 100%In PF 1.0", "5A 220V 100%In PF 1.0", "1100W 220V 100%In PF 1.0",
                                    "550W 220V 100%In PF 0.5L"}));
    EXPECT_EQ(clears.value(2).toHex(' '), QByteArray("02 aa 80 04 54 60 03 01 86 a0 a4 8a"));
    ASSERT_EQ(result.points.size(), 4);
    EXPECT_TRUE(result.Passed());
    for (const calib::PointResult &p : result.points) {
        SCOPED_TRACE(p.point.point);
        EXPECT_TRUE(p.passed) << qPrintable(p.message);
        ASSERT_TRUE(p.before && p.after && p.error);
        EXPECT_GT(std::fabs(*p.before - p.point.reference), p.point.limit / 100 * p.point.reference) << "the meter's own error";
        EXPECT_LE(std::fabs(*p.error), p.point.limit);
        EXPECT_EQ(p.attempts, 1);
        EXPECT_EQ(kz->Coefficient(sim::Kz827Instrument::Item(p.point.point - 1)), calib::CorrectionWord(p.word).value());
    }
    // Five steps taken off the angle, no sign.
    EXPECT_EQ(result.points[3].word, "000005");
}

TEST(Kz827GuidedProtocol, AComputationRefusedWithinTheLimitKeepsTheFactoryCoefficient)
{
    calib::Plan plan = kz827::calibration::DefaultPlan();
    const kz827::calibration::GuidedProtocol protocol;
    struct Case {
        int item;
        double limit;
        double mean;
        const char *word; // empty: refused with the message
        const char *message;
    };
    const Case cases[] = {
        {0, 0.05, 220.0, "400000", ""},
        {0, 0.05, 110.0, "800000", ""},
        {2, 0.05, 1100.0, "0186A0", ""},
        {3, 0.05, 550.0 * std::cos(60.11 * std::numbers::pi / 180) / 0.5, "000005", ""},
        {3, 0.05, 250.0, "", "数据出错！！"},   // below half the standard: no angle
        {3, 60.0, 250.0, "000000", ""},         // no angle, but within a limit of 60 %
        {0, 0.05, 40.0, "", "数据出错！！"},    // beyond 24 bits
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.item << " " << c.mean);
        calib::PlanPoint p = plan.points[c.item];
        p.limit = c.limit;
        const calib::Computed computed = protocol.Compute(p, c.mean);
        EXPECT_EQ(computed.word, QString::fromLatin1(c.word));
        EXPECT_EQ(computed.message, QString::fromUtf8(c.message));
    }
}

// ---- The certificate ----

// The PDF's text layer holds exactly what the page shows, so an auditor
// can find a certificate by meter, word and value, in either language.
TEST(Certificate, ItsTextCanBeCopiedAndSearched)
{
    KZ_NEEDS_POSIX("pdftotext, a Linux program, to read the PDF");
    const calib::Plan plan = kz827::calibration::DefaultPlan();
    calib::PointResult p;
    p.point = plan.points[2]; // power, 1100W
    p.before = 1093.5;
    p.word = "FF7A7F";
    p.after = 1100.01;
    p.error = 0.0009;
    p.attempts = 1;
    p.passed = true;
    calib::RunResult result;
    result.planned = 1;
    result.points = {p};
    const calib::CertificateHeader header{"KZ827KVE", 3, "王工", plan.name, "方案.json"};
    QTemporaryDir dir;
    const auto text = [&] {
        QString error;
        EXPECT_TRUE(calib::WriteCertificate(dir.filePath("c.pdf"), header, result, &error)) << qPrintable(error);
        QProcess pdftotext;
        pdftotext.start("pdftotext", {dir.filePath("c.pdf"), "-"});
        EXPECT_TRUE(pdftotext.waitForFinished(30000));
        return QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
    };
    const QString chinese = text();
    for (const char *shown : {"仪表校验证书", "KZ827KVE", "FF7A7F", "1100W", "1093.500", "王工", "方案.json",
                              "KZ827KVE默认校验方案", "有功功率（100%UI）- 1.0", "合格"})
        EXPECT_TRUE(chinese.contains(QString::fromUtf8(shown))) << shown << "\n" << qPrintable(chinese);

    // In English the point keeps its translated name.
    QTranslator english;
    ASSERT_TRUE(english.load(":/i18n/kzdebug_en.qm"));
    QCoreApplication::installTranslator(&english);
    const QString translated = text();
    QCoreApplication::removeTranslator(&english);
    EXPECT_TRUE(translated.contains("Active power (100%UI) PF 1.0")) << qPrintable(translated);
    EXPECT_TRUE(translated.contains("FF7A7F")) << qPrintable(translated);
}
