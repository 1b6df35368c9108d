// The wiring check against the simulator's physics: every classic
// connection, wired into a simulated meter and read back through its
// registers, is named (or reported as indistinguishable) by the analysis.
#include "sim/bus.h"
#include "sim/cli.h"
#include "sim/threephase.h"
#include "threephase/measurement.h"
#include "threephase/monitor.h"
#include "threephase/wiring.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

using namespace threephase::wiring;

namespace {

// Load angle in degrees, positive lagging.
sim::ThreePhasePlant Plant(double loadAngle, double amps = 5.0)
{
    sim::ThreePhasePlant plant;
    plant.amps = amps;
    plant.powerFactor = std::cos(loadAngle * std::numbers::pi / 180.0);
    plant.leading = loadAngle < 0;
    return plant;
}

sim::Miswire WiringOf(const Connection &c, Mode mode)
{
    sim::Miswire m;
    if (mode == Mode::FourWire) {
        m.currents = c.phase;
        m.reversed = c.reversed;
    } else {
        m.threeWire = true;
        m.terminals = c.terminals;
        m.currents = {c.phase[0], 1, c.phase[1]};
        m.reversed = {c.reversed[0], false, c.reversed[1]};
    }
    return m;
}

// What a simulated meter so wired shows, read through its registers.
Readings Read(const sim::ThreePhasePlant &plant, const sim::Miswire &wiring, std::uint16_t sequenceEnable = 0x0400)
{
    sim::Bus bus;
    bus.Add(1, sim::Family::ThreePhase);
    sim::ThreePhaseInstrument *meter = bus.ThreePhaseAt(1);
    meter->SetFrozen(true);
    meter->SetPlant(plant);
    meter->SetMiswire(wiring);
    meter->SetHolding(0x37, sequenceEnable);
    const QByteArray ratios = bus.Handle(threephase::RatioRequest(1));
    const QByteArray measured = bus.Handle(threephase::MeasurementPoll(1));
    const QByteArray state = bus.Handle(threephase::monitor::StateRequest(1));
    std::uint64_t bits = 0;
    for (int w = 0; w < 4; ++w)
        bits |= std::uint64_t((std::uint8_t(state.at(3 + 2 * w)) << 8) | std::uint8_t(state.at(4 + 2 * w))) << (16 * w);
    const auto readings = DecodeReadings(measured.mid(3), ratios.mid(3), bits);
    EXPECT_TRUE(readings.has_value());
    return readings.value_or(Readings{});
}

Readings WithNoise(Readings r, std::mt19937 &random)
{
    std::uniform_real_distribution<double> noise(-0.01, 0.01);
    for (int k = 0; k < 3; ++k) {
        r.volts[k] *= 1 + noise(random);
        r.lineVolts[k] *= 1 + noise(random);
        r.amps[k] *= 1 + noise(random);
        r.watts[k] *= 1 + noise(random);
        r.vars[k] *= 1 + noise(random);
    }
    return r;
}

double Cos(double degrees)
{
    return std::cos(degrees * std::numbers::pi / 180.0);
}

QString Name(const Connection &c, Mode mode)
{
    return FaultText(c, mode);
}

struct TableCase {
    Mode mode;
    double loadAngle;
};

class WiringTable : public ::testing::TestWithParam<TableCase> {};

// Each classic connection at the load angle: named first, or reported as
// indistinguishable with it among the candidates; 1 % noise on every
// reading gives the same verdict.
TEST_P(WiringTable, NamesEveryClassicConnection)
{
    const auto [mode, angle] = GetParam();
    std::mt19937 random(7);
    QStringList misses, unstable;
    int first = 0, indistinguishable = 0, ambiguous = 0;
    for (const Connection &c : Connections(mode)) {
        const Readings r = Read(Plant(angle), WiringOf(c, mode));
        const Verdict v = Analyse(r);
        const bool named = !v.fits.isEmpty() && v.fits.first().connection == c;
        const bool among = v.status == Verdict::Status::Ambiguous &&
                           std::any_of(v.fits.begin(), v.fits.end(), [&](const Fit &f) { return f.connection == c; });
        first += named;
        indistinguishable += !named && among;
        ambiguous += v.status == Verdict::Status::Ambiguous;
        if (!named && !among)
            misses << Name(c, mode) + QStringLiteral(" -> ") + v.text;
        if (named) {
            EXPECT_NEAR(v.fits.first().loadAngle, angle, 1.5) << qPrintable(Name(c, mode));
        }
        for (int trial = 0; trial < 5; ++trial) {
            const Verdict noisy = Analyse(WithNoise(r, random));
            if (noisy.status != v.status || noisy.fits.size() != v.fits.size() ||
                (!v.fits.isEmpty() && noisy.fits.first().connection != v.fits.first().connection)) {
                unstable << Name(c, mode);
                break;
            }
        }
    }
    std::printf("%s at %+.0f deg: %d named first (%d of all said to be ambiguous), %d only among the "
                "candidates, %d missed of %d\n",
                mode == Mode::FourWire ? "four-wire" : "three-wire", angle, first, ambiguous, indistinguishable,
                int(misses.size()), int(Connections(mode).size()));
    EXPECT_TRUE(misses.isEmpty()) << qPrintable(misses.join(QStringLiteral("\n")));
    EXPECT_TRUE(unstable.isEmpty()) << qPrintable(unstable.join(QStringLiteral("\n")));
}

INSTANTIATE_TEST_SUITE_P(LoadAngles, WiringTable,
                         ::testing::Values(TableCase{Mode::FourWire, 0}, TableCase{Mode::FourWire, 25},
                                           TableCase{Mode::FourWire, -15}, TableCase{Mode::ThreeWire, 0},
                                           TableCase{Mode::ThreeWire, 25}, TableCase{Mode::ThreeWire, -15}));

// The faults a commissioning engineer meets most, in words, with the
// correction factor that settles the energy recorded meanwhile.
TEST(WiringVerdict, NamesCommonFaultsWithTheirCorrection)
{
    struct Case {
        const char *miswire;
        double angle;
        QString text;
        double correction;
    } cases[] = {
        {"correct", 25, "正确接线", 1.0},
        {"I=A-BC", 25, "B相电流互感器极性接反", 3.0},
        // Balanced, the swapped currents' powers cancel: the meter records
        // nothing, so no factor can settle it.
        {"I=CBA", 25, "A、C相电流接错", std::numeric_limits<double>::quiet_NaN()},
        {"lost=B", 25, "Ub断相", 1.5},
        // Against the voltages as wired, B's and C's currents are swapped:
        // the meter records nothing.
        {"U=ACB", 25, "相序错（电压逆相序）；B、C相电流接错", std::numeric_limits<double>::quiet_NaN()},
        {"three-wire", 25, "正确接线", 1.0},
        {"I=BCA", 25, "三相电流错位（A、B、C元件接Ib、Ic、Ia）", Cos(25) / Cos(145)},
        // Three-wire without b each element sees half of Uca: half the power.
        {"three-wire,lost=B", 25, "Ub断相", 2.0},
        {"three-wire,I=AB-C", 25, "C相电流互感器极性接反",
         std::sqrt(3.0) * Cos(25) / (Cos(55) - Cos(5))},
    };
    for (const Case &c : cases) {
        QString error;
        const auto wiring = sim::ParseMiswire(QString::fromLatin1(c.miswire), &error);
        ASSERT_TRUE(wiring.has_value()) << qPrintable(error);
        const Verdict v = Analyse(Read(Plant(c.angle), *wiring));
        EXPECT_EQ(v.status, Verdict::Status::Judged) << c.miswire << ": " << qPrintable(v.text);
        EXPECT_TRUE(v.text.startsWith(c.text)) << c.miswire << ": " << qPrintable(v.text);
        ASSERT_FALSE(v.fits.isEmpty()) << c.miswire;
        if (std::isnan(c.correction)) {
            EXPECT_FALSE(v.fits.first().correction.has_value()) << c.miswire;
            continue;
        }
        ASSERT_TRUE(v.fits.first().correction.has_value()) << c.miswire;
        // The simulated phases differ by up to 1 %, and so does the factor.
        EXPECT_NEAR(*v.fits.first().correction, c.correction, std::abs(c.correction) * 0.03) << c.miswire;
    }
}

// Too little current, no voltage, or no connection in the load angle range:
// said plainly, no connection offered.
TEST(WiringVerdict, RefusesToGuess)
{
    EXPECT_EQ(Analyse(Read(Plant(25, 0.02), {})).status, Verdict::Status::TooLittleCurrent);
    sim::Miswire twoLost;
    twoLost.lost = {true, true, false};
    EXPECT_EQ(Analyse(Read(Plant(25), twoLost)).status, Verdict::Status::NoVoltage);
    // Element angles no connection gives at one load angle (unbalanced 30
    // degrees apart).
    Readings odd;
    odd.volts = odd.lineVolts = {220, 220, 220};
    odd.amps = {5, 5, 5};
    odd.watts = {1100, 1100 * Cos(30), 1100};
    odd.vars = {0, 1100 * std::sin(std::numbers::pi / 6), 0};
    const Verdict none = Analyse(odd);
    EXPECT_EQ(none.status, Verdict::Status::NoFit);
    EXPECT_TRUE(none.fits.isEmpty());
}

} // namespace

// The simulator's miswire and load texts: what they accept, what they refuse.
TEST(MiswireText, AcceptsTheDocumentedFormsAndRefusesOthers)
{
    QString error;
    const auto m = sim::ParseMiswire("I=c-BA, U=acb,lost=BC,three-wire", &error);
    ASSERT_TRUE(m.has_value()) << qPrintable(error);
    EXPECT_EQ(m->currents, (std::array<int, 3>{2, 1, 0}));
    EXPECT_EQ(m->reversed, (std::array<bool, 3>{false, true, false}));
    EXPECT_EQ(m->terminals, (std::array<int, 3>{0, 2, 1}));
    EXPECT_EQ(m->lost, (std::array<bool, 3>{false, true, true}));
    EXPECT_TRUE(m->threeWire);
    for (const char *bad : {"I=AB", "I=ABCA", "I=AB-", "I=A--BC", "U=AAB", "U=AB", "lost=D", "lost=", "x", "I=ABD"})
        EXPECT_FALSE(sim::ParseMiswire(bad, &error).has_value()) << bad;
    const auto load = sim::ParseLoad("230,10,-0.8", &error);
    ASSERT_TRUE(load.has_value());
    EXPECT_TRUE(load->leading);
    EXPECT_DOUBLE_EQ(load->powerFactor, 0.8);
    for (const char *bad : {"230,10", "0,10,0.9", "230,-1,0.9", "230,10,1.5", "a,b,c"})
        EXPECT_FALSE(sim::ParseLoad(bad, &error).has_value()) << bad;
}

// The simulated meter's physics, checked without the analysis: total power
// as a three-phase load takes it, the sequence lamp only when enabled, a
// lost terminal served as no voltage.
TEST(MiswirePhysics, PowersLampsAndLostVoltages)
{
    const double truePower = 3 * 220 * 5 * Cos(25);
    Readings r = Read(Plant(25), {});
    EXPECT_NEAR(r.watts[0] + r.watts[1] + r.watts[2], truePower, truePower * 0.02);
    sim::Miswire threeWire;
    threeWire.threeWire = true;
    r = Read(Plant(25), threeWire);
    EXPECT_EQ(r.mode, Mode::ThreeWire);
    EXPECT_NEAR(r.watts[0] + r.watts[2], truePower, truePower * 0.02);
    EXPECT_NEAR(r.lineVolts[0], 220 * std::sqrt(3.0), 3);

    sim::Miswire reverse;
    reverse.terminals = {0, 2, 1};
    EXPECT_TRUE(Read(Plant(25), reverse).sequenceLamp);
    EXPECT_FALSE(Read(Plant(25), reverse, 0).sequenceLamp);
    EXPECT_FALSE(Read(Plant(25), {}).sequenceLamp);

    sim::Miswire lost;
    lost.lost = {false, true, false};
    r = Read(Plant(25), lost);
    EXPECT_EQ(r.volts[1], 0);
    EXPECT_EQ(r.watts[1], 0);
    EXPECT_NEAR(r.lineVolts[0], 220, 3); // Ua against a dead b terminal
    EXPECT_FALSE(r.sequenceLamp);
}

// At 15 degrees leading the readings fit the true connection and, as well,
// one at 45 degrees lagging: both are listed, the power factor nearer 1 first.
TEST(WiringVerdict, SaysWhenTheReadingsCannotTellTwoConnectionsApart)
{
    sim::Miswire reversed;
    reversed.reversed = {false, true, false};
    const Verdict v = Analyse(Read(Plant(-15), reversed));
    ASSERT_EQ(v.status, Verdict::Status::Ambiguous);
    ASSERT_EQ(v.fits.size(), 2);
    EXPECT_EQ(v.fits[0].fault, "B相电流互感器极性接反");
    EXPECT_NEAR(v.fits[0].loadAngle, -15, 1.5);
    EXPECT_NEAR(v.fits[1].loadAngle, 45, 1.5);
    EXPECT_TRUE(v.text.startsWith("读数无法区分")) << qPrintable(v.text);
}
