#include "core/codecs.h"
#include "link/crc.h"
#include "tests/support/testutil.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStringList>
#include <gtest/gtest.h>

// CRCs below were computed by pymodbus (pymodbus.utilities.computeCRC), which
// returns the two CRC bytes in wire order.
TEST(Crc, MatchesIndependentlyComputedFrames)
{
    struct Case {
        const char *frame;
        const char *wire;
    } cases[] = {
        {"01 03 00 50 00 0A", "C5 DC"}, {"01 03 00 00 00 2A", "C4 15"},
        {"01 99 30 30 30 30", "06 CD"}, {"01 03 02 00 01", "79 84"},
        {"01 10 00 50 00 0B", "81 DF"}, {"03 03 99", "41 5A"},
        {"FF FF FF FF", "01 B0"},       {"00", "BF 40"},
    };
    for (const auto &c : cases) {
        QByteArray f = Hex(c.frame);
        AppendCrc(f);
        EXPECT_EQ(ToHex(f.right(2)), c.wire) << c.frame;
        EXPECT_TRUE(CheckFrameCrc(f)) << c.frame;
    }
}

TEST(Crc, AgreesWithPymodbusOnRandomFrames)
{
    KZ_NEEDS_POSIX("pymodbus on /usr/bin/python3 as a peer");
    QProcess py;
    py.start("/usr/bin/python3", {"-c", "import sys\nfrom pymodbus.utilities import computeCRC\n"
                                        "for line in sys.stdin:\n"
                                        "    print('%04X' % computeCRC(bytes.fromhex(line.strip())))\n"});
    if (!py.waitForStarted(5000))
        GTEST_SKIP() << "/usr/bin/python3 is not available";
    QList<QByteArray> frames;
    auto *rng = QRandomGenerator::global();
    for (int i = 0; i < 200; ++i) {
        QByteArray f(1 + rng->bounded(120), '\0');
        for (auto &b : f)
            b = static_cast<char>(rng->bounded(256));
        frames.append(f);
        py.write(f.toHex() + "\n");
    }
    py.closeWriteChannel();
    // (false also when it has finished already)
    py.waitForFinished(20000);
    ASSERT_EQ(py.state(), QProcess::NotRunning);
    if (py.exitCode() != 0)
        GTEST_SKIP() << "pymodbus is not installed: " << py.readAllStandardError().toStdString();
    const QStringList lines = QString::fromLatin1(py.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), frames.size());
    for (int i = 0; i < frames.size(); ++i) {
        QByteArray f = frames[i];
        AppendCrc(f);
        EXPECT_EQ(QString::fromLatin1(f.right(2).toHex().toUpper()), lines[i]) << ToHex(frames[i]).toStdString();
    }
}

TEST(Crc, CheckRejectsCorruptionAndShortFramesWithoutTouchingTheFrame)
{
    QByteArray f = WithCrc(Hex("01 03 02 12 34"));
    const QByteArray copy = f;
    EXPECT_TRUE(CheckFrameCrc(f));
    EXPECT_EQ(f, copy);
    f[3] = 0x13;
    EXPECT_FALSE(CheckFrameCrc(f));
    EXPECT_FALSE(CheckFrameCrc(Hex("01 02")));
    EXPECT_FALSE(CheckFrameCrc(QByteArray()));
}

TEST(Bcd, DecodesEveryNibbleWithItsWeight)
{
    EXPECT_EQ(BcdToInt(0x12, 0x34), "1234");
    EXPECT_EQ(BcdToInt(0x00, 0x05), "5");
    EXPECT_EQ(BcdToInt(0x00, 0x00), "0");
    EXPECT_EQ(BcdToInt(0xFF, 0xFF), "16665");
    EXPECT_EQ(BcdToInt(std::uint16_t{0x0120}), "120");
    EXPECT_EQ(BcdValue(0x0A, 0x00), 1000);
}

TEST(Bcd, EncodesAndClampsTo9999)
{
    auto enc = [](std::uint16_t v) {
        QByteArray out = Hex("AA");
        IntToBcdWord(v, out);
        return ToHex(out);
    };
    EXPECT_EQ(enc(0), "AA 00 00");
    EXPECT_EQ(enc(1234), "AA 12 34");
    EXPECT_EQ(enc(9999), "AA 99 99");
    EXPECT_EQ(enc(10000), "AA 99 99");
    EXPECT_EQ(enc(65535), "AA 99 99");
    EXPECT_EQ(ToHex(IntToBcdBytes(4464)), "44 64");
}

TEST(SignedWord, EncodesTwosComplementAndClamps)
{
    auto enc = [](std::int16_t v) {
        QByteArray out;
        IntToWordBE(v, out);
        return ToHex(out);
    };
    EXPECT_EQ(enc(-1), "FF FF");
    EXPECT_EQ(enc(-9999), "D8 F1");
    EXPECT_EQ(enc(12000), "27 0F");
    EXPECT_EQ(enc(-12000), "D8 F1");
    EXPECT_EQ(enc(258), "01 02");
}

TEST(TakeWord, WalksThroughDataAndStopsAtShortRemainder)
{
    QByteArray d = Hex("12 34 FF FE 07");
    EXPECT_EQ(TakeWordBE(d), 0x1234);
    EXPECT_EQ(static_cast<std::int16_t>(TakeWordBE(d)), -2);
    EXPECT_EQ(TakeWordBE(d), 0);
    EXPECT_EQ(ToHex(d), "07");
    QByteArray empty;
    EXPECT_EQ(TakeWordBE(empty), 0);
}

TEST(Hex, NibblesAndPairsRoundTripInEitherCase)
{
    EXPECT_EQ(NibbleToHex(0), '0');
    EXPECT_EQ(NibbleToHex(9), '9');
    EXPECT_EQ(NibbleToHex(10), 'A');
    EXPECT_EQ(NibbleToHex(15), 'F');
    EXPECT_EQ(HexPairToByte('7', 'f'), 0x7F);
    EXPECT_EQ(HexPairToByte('7', 'F'), 0x7F);
    EXPECT_EQ(HexPairToByte('a', '0'), 0xA0);
    for (int v = 0; v < 256; ++v)
        EXPECT_EQ(HexPairToByte(NibbleToHex(v >> 4), NibbleToHex(v & 15)), v);
}

TEST(DecimalWord, FormatsByDecimalPlaces)
{
    QByteArray d = Hex("04 D2 00 02  FF FB 00 01  00 07 00 00  04 D2 00 05  27 0F 00 04");
    EXPECT_EQ(DecimalWordText(d), "12.34");
    EXPECT_EQ(DecimalWordText(d), "-0.5");
    EXPECT_EQ(DecimalWordText(d), "7");
    EXPECT_EQ(DecimalWordText(d), "1234");
    EXPECT_EQ(DecimalWordText(d), "0.9999");
    EXPECT_TRUE(d.isEmpty());
    // A cut-off record reads its missing bytes as zero rather than past the end.
    QByteArray shortRec = Hex("00 05");
    EXPECT_EQ(DecimalWordText(shortRec), "5");
    EXPECT_TRUE(shortRec.isEmpty());
}

TEST(FormatFixed, RoundsAndDropsTheSignOfZero)
{
    EXPECT_EQ(FormatFixed(220.0, 2), "220.00");
    EXPECT_EQ(FormatFixed(-0.5, 3), "-0.500");
    EXPECT_EQ(FormatFixed(-0.0001, 2), "0.00");
    EXPECT_EQ(FormatFixed(1.0005, 3), "1.000"); // binary 1.0005 lies just below
}
