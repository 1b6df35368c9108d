// The wiring check against the simulator's physics: every classic
// connection, wired into a simulated meter and read back through its
// registers, is named (or reported as indistinguishable) by the analysis.
#include "sim/bus.h"
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
    const auto readings = DecodeReadings(measured, ratios.mid(3), bits);
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
