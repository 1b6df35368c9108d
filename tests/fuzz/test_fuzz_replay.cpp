// Every committed seed and every regression file of the fuzz targets, run
// through the same bodies the fuzzers run; a broken invariant aborts, a
// memory error stops the sanitizer build. The seeds must also reach what
// they were made for: every decoder of every family.
#include "fuzz/fuzzinput.h"
#include "fuzz/targets.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <ostream>

namespace fuzz {
// Test names and failure messages name the target.
void PrintTo(const Target &target, std::ostream *os)
{
    *os << target.name;
}
} // namespace fuzz

namespace {

const std::map<std::string, std::vector<const char *>> kReached = {
    {"seriallink", {"link.handled"}},
    {"threephase",
     {"threephase.measurement", "threephase.relays", "threephase.state", "threephase.events", "threephase.settings",
      "threephase.limits", "threephase.clock", "threephase.calibration", "fields.encoded"}},
    {"singlephase",
     {"singlephase.measurement", "singlephase.relays", "singlephase.state", "singlephase.events",
      "singlephase.alarmenable", "singlephase.alarmparams", "singlephase.display", "singlephase.initsettings",
      "singlephase.bases", "singlephase.clock", "singlephase.calibration", "singlephase.encoded"}},
    {"kz827", {"kz827.measurement", "kz827.alarms", "kz827.range", "kz827.calibration.ack", "kz827.calibration.read"}},
    {"fields",
     {"fields.encoded", "singlephase.encoded", "fields.kz827limit", "fields.base", "fields.kz827alarms",
      "fields.kz827range"}},
    {"calibration",
     {"calibration.read", "calibration.computed", "calibration.encoded", "calibration.kz827.read",
      "calibration.kz827.computed"}},
    {"simulator", {"simulator.framed", "simulator.replied"}},
    {"mbap", {"mbap.frame", "mbap.junk", "mbap.answered"}},
    {"settingsfile", {"settingsfile.read", "settingsfile.encoded"}},
    {"plan", {"plan.read"}},
    {"tcpsimulator", {"tcpsimulator.request", "tcpsimulator.answered"}},
};

// Runs every file of a folder through the body; returns how many there were.
int Replay(const fuzz::Target &target, const QString &folder)
{
    const QDir dir(QStringLiteral(KZ_FUZZ_DIR "/%1/%2").arg(folder, QString::fromUtf8(target.name)));
    int files = 0;
    for (const QFileInfo &info : dir.entryInfoList(QDir::Files, QDir::Name)) {
        QFile file(info.filePath()); fprintf(stderr, "replay %s\n", qPrintable(info.filePath()));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << info.filePath().toStdString();
        const QByteArray bytes = file.readAll();
        SCOPED_TRACE(info.filePath().toStdString());
        EXPECT_EQ(target.body(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                              static_cast<std::size_t>(bytes.size())),
                  0);
        ++files;
    }
    return files;
}

class FuzzReplay : public ::testing::TestWithParam<fuzz::Target> {};

TEST_P(FuzzReplay, SeedsReachEveryDecoderAndRegressionsStayFixed)
{
    const fuzz::Target &target = GetParam();
    fuzz::ClearTally();
    fuzz::SetCounting(true);
    const int seeds = Replay(target, QStringLiteral("corpus"));
    fuzz::SetCounting(false);
    EXPECT_GE(seeds, 3);
    for (const char *path : kReached.at(target.name))
        EXPECT_GT(fuzz::Tally().count(path) ? fuzz::Tally().at(path) : 0, 0) << "no seed reaches " << path;
    Replay(target, QStringLiteral("regressions"));
    // The empty input and a single byte of every value are inputs too.
    EXPECT_EQ(target.body(nullptr, 0), 0);
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        EXPECT_EQ(target.body(&byte, 1), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(fuzz::Targets().begin(), fuzz::Targets().end()),
                         [](const ::testing::TestParamInfo<fuzz::Target> &info) { return std::string(info.param.name); });

} // namespace
