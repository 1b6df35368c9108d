// The calibration engine without widgets: frames, the 24-bit values, the
// correction formulas and their refusals, and the record file.
#include "core/calibrationengine.h"
#include "core/calibrationrecord.h"
#include "tests/support/testutil.h"
#include "threephase/calibration.h"
#include "singlephase/calibration.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using calib::Formula;

TEST(CalibrationFrames, ReadAndWriteRequests)
{
    EXPECT_EQ(ToHex(calib::ReadRequest(1)), "01 AA 72 37 30 32 32 42 30 30 30 17 5C");
    EXPECT_EQ(ToHex(calib::WriteRequest(1, 13, 0x0CCCCD)), "01 AA 77 37 30 32 32 0D 0C CC CD 7E 55");
}

TEST(CalibrationFrames, TakeValue24AndTheSignRule)
{
    QByteArray data = Hex("01 00 00 FF FF 00 80 00 00 12");
    EXPECT_EQ(calib::Signed24(calib::TakeValue24(data)) / 256, 256.0);
    EXPECT_EQ(calib::Signed24(calib::TakeValue24(data)) / 256, -1.0);
    EXPECT_EQ(calib::Signed24(calib::TakeValue24(data)), 8388608.0) << "0x800000 counts as positive";
    EXPECT_EQ(calib::TakeValue24(data), 0x120000u) << "missing bytes count as 0";
    EXPECT_TRUE(data.isEmpty());
    EXPECT_EQ(calib::TakeValue24(data), 0u);
    EXPECT_TRUE(calib::SignsDiffer(0x000100, 0xFFFF00));
    EXPECT_FALSE(calib::SignsDiffer(0x000100, 0x800000));
}

struct CorrectionCase {
    Formula formula;
    const char *reference;
    double reading;
    const char *word;    // empty: refused
    const char *message; // the refusal
};

class Corrections : public ::testing::TestWithParam<CorrectionCase> {};

TEST_P(Corrections, WordOrRefusal)
{
    const CorrectionCase &c = GetParam();
    const calib::Computed got = calib::ComputeCorrection(c.formula, QString::fromUtf8(c.reference), c.reading);
    EXPECT_EQ(got.word, QString::fromUtf8(c.word));
    EXPECT_EQ(got.message, QString::fromUtf8(c.message));
}

const double kNan = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Golden, Corrections,
    ::testing::Values(
        CorrectionCase{Formula::PowerUnity, "1100.00W", 1111, "FEBB90", ""},
        CorrectionCase{Formula::PowerUnity, "1100", 1089, "014AFD", ""},
        CorrectionCase{Formula::PowerUnity, "1100.00W", 1100, "000000", ""},
        CorrectionCase{Formula::PowerHalfLagging, "550.00W", 550, "000000", ""},
        CorrectionCase{Formula::PowerHalfLagging, "550W", 555.5, "FF427F", ""},
        CorrectionCase{Formula::Ratio, "220.00V", 200, "0CCCCD", ""},
        CorrectionCase{Formula::Ratio, "-5.000A", 4, "200000", ""},
        // Refusals that would otherwise write a meaningless word.
        CorrectionCase{Formula::PowerUnity, "1100.00W", 0, "", "数据出错！！"},
        CorrectionCase{Formula::PowerUnity, "1100.00W", 137.5, "", "数据出错！！"}, // K = 7: 800000
        CorrectionCase{Formula::PowerUnity, "1100.00W", 550, "", "数据出错！！"},   // K = 1.0
        CorrectionCase{Formula::PowerUnity, "1100.00W", kNan, "", "数据出错！！"},
        CorrectionCase{Formula::PowerHalfLagging, "550.00W", 0, "", "数据出错！！"},    // x = 0
        CorrectionCase{Formula::PowerHalfLagging, "550.00W", -10, "", "数据出错！！"},  // x < 0
        CorrectionCase{Formula::PowerHalfLagging, "550.00W", 1200, "", "数据出错！！"}, // x > 1
        CorrectionCase{Formula::Ratio, "220.00V", 0, "", "数据出错！！"},
        CorrectionCase{Formula::Ratio, "1.00V", 0, "", "数据出错！！"},
        CorrectionCase{Formula::Ratio, "220.00V", -200, "", "数据出错！！"}, // K = -2.1
        CorrectionCase{Formula::Ratio, "abcV", 200, "", "'abc' is not a valid floating point value"},
        CorrectionCase{Formula::PowerUnity, "infW", 1100, "", "'inf' is not a valid floating point value"},
        CorrectionCase{Formula::Ratio, "0.00V", 200, "", "注意：标准表数据不能为零！！"},
        CorrectionCase{Formula::PowerUnity, "0W", 1100, "", "注意：标准表数据不能为零！！"},
        CorrectionCase{Formula::None, "1", 1, "", "注意：校验参数选择不对！！"}));

TEST(CalibrationWord, RoundsHalfToEvenAndRefusesWhatDoesNotFit)
{
    const auto word = [](double scaled) { return calib::EncodeCorrection(scaled / 8388608.0); };
    EXPECT_EQ(word(2.5), 2u);
    EXPECT_EQ(word(3.5), 4u);
    EXPECT_EQ(word(-2.5), 0xFFFFFEu);
    EXPECT_EQ(word(8388607.0), 0x7FFFFFu);
    EXPECT_EQ(word(-8388607.0), 0x800001u);
    EXPECT_FALSE(word(8388607.5)) << "rounds to 0x800000";
    EXPECT_FALSE(word(-8388608.0));
    EXPECT_FALSE(calib::EncodeCorrection(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(calib::EncodeCorrection(kNan));
}

TEST(CalibrationWord, TheWriteTakesSixHexDigits)
{
    EXPECT_EQ(calib::CorrectionWord("1A"), 0x00001Au);
    EXPECT_EQ(calib::CorrectionWord("12345678"), 0x123456u);
    EXPECT_EQ(calib::CorrectionWord("fEbB90"), 0xFEBB90u);
    EXPECT_EQ(calib::CorrectionWord("123456zz"), 0x123456u) << "only the first six are used";
    for (const char *bad : {"", "12G4", " 1A", "-1", "1.5"})
        EXPECT_FALSE(calib::CorrectionWord(bad)) << bad;
}

namespace {
// An 82-byte read reply with the 24 values given from the front.
QByteArray ReadReply(std::initializer_list<std::uint32_t> values)
{
    QByteArray frame = Hex("01 AA 72 37 30 32 32 00");
    int n = 0;
    for (std::uint32_t v : values) {
        for (int shift : {16, 8, 0})
            frame.append(static_cast<char>((v >> shift) & 0xFF));
        ++n;
    }
    frame.append(QByteArray(3 * (24 - n), '\0'));
    return WithCrc(frame);
}
} // namespace

TEST(CalibrationEngine, ThreePhaseReadOutsAndTheEightReadingMeans)
{
    threephase::calibration::Decoder decoder;
    calib::Engine engine(decoder);
    // Value 1 (A power) 256 W and value 5 on the other side of 0x800000:
    // PFa is shown negated; values 13 Ua 220 V, 20 PFa 0.5, 24 50 Hz.
    const QByteArray reply = ReadReply({0x010000, 0xFFFF00, 0, 0, 0xFFFFFF, 0, 0, 0, 0, 0, 0, 0, 0x1B8000, 0, 0, 0,
                                        0, 0, 0, 0x400000, 0x400000, 0x400000, 0x400000, 0x064000});
    ASSERT_EQ(reply.size(), 82);
    EXPECT_EQ(engine.Compute(0, "1100W").message, "没有读到任何数据！请再读一次数据。");
    EXPECT_EQ(engine.Take(reply), calib::Engine::Reply::Read);
    const QStringList texts = decoder.Texts();
    EXPECT_EQ(texts[0], "220.0000V");
    EXPECT_EQ(texts[6], "32.0000W") << "256 W and seven zeros";
    EXPECT_EQ(texts[7], "-0.1250W");
    EXPECT_EQ(texts[9], "-0.5000");
    EXPECT_EQ(texts[10], "-0.5000") << "B: value 2 negative, value 6 not";
    EXPECT_EQ(texts[11], "0.5000");
    EXPECT_EQ(texts[12], "0.5000");
    EXPECT_EQ(texts[13], "50.00Hz");
    for (int i = 0; i < 7; ++i)
        engine.Take(reply);
    EXPECT_EQ(decoder.Texts()[6], "256.0000W");
    // Point 13 compares with the last Ua, points 19-23 have no formula.
    EXPECT_EQ(engine.Compute(12, "200.00V").word, "F45D17");
    EXPECT_EQ(engine.Compute(19, "1").message, "注意：校验参数选择不对！！");
    EXPECT_EQ(engine.Compute(-1, "1").message, "") << "no point: nothing";
    EXPECT_EQ(engine.Compute(0, "").message, "注意：标准表数据不能为空！！");
}

TEST(CalibrationEngine, OnlyCompleteReadsCountAsData)
{
    singlephase::calibration::Decoder decoder;
    calib::Engine engine(decoder);
    EXPECT_EQ(engine.Take(WithCrc(Hex("01 AA 77 37 30 32 32 05 00 00 00"))), calib::Engine::Reply::Acknowledged);
    const QByteArray full = ReadReply({0, 0, 0, 0x1B8000});
    EXPECT_EQ(engine.Take(full.left(40)), calib::Engine::Reply::Ignored);
    EXPECT_EQ(engine.Take(WithCrc(Hex("01 03 02 00 00"))), calib::Engine::Reply::Ignored);
    EXPECT_FALSE(engine.HasReading()) << "an acknowledgement or a short read is no data";
    EXPECT_EQ(engine.Compute(4, "220.00V").message, "没有读到任何数据！请再读一次数据。");
    EXPECT_EQ(decoder.Texts()[0], "0.0000V");

    engine.Take(full);
    EXPECT_EQ(decoder.Texts()[0], "27.5000V") << "the mean of 220 V and seven zeros";
    for (int i = 0; i < 7; ++i)
        engine.Take(full);
    EXPECT_EQ(decoder.Texts()[0], "220.0000V");
    // A mean of 0 is refused, not taken as 1.
    EXPECT_EQ(engine.Compute(5, "1.000A").message, "数据出错！！");
}

TEST(CalibrationRecord, CsvWithHeaderAppendedAsItHappens)
{
    QTemporaryDir dir;
    calib::Record record;
    calib::RecordRow row;
    row.time = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
    row.address = 1;
    row.point = 13;
    row.pointText = "A相电压                  [ 13 ]";
    row.action = "计算";
    row.reference = "=1+1,\"V\"";
    row.reading = 200;
    row.word = "0CCCCD";
    record.Add(row);
    const QString path = dir.filePath("record.csv");
    ASSERT_TRUE(record.SaveTo(path));
    row.action = "写入";
    row.reference = "-220";
    row.reading.reset();
    record.Add(row);

    // Read while the record keeps the file open: every row is already there.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "时间,地址,校验点,校验参数,操作,标准表数据,读数,校验数据,结果,校验前读数,校验后读数,误差(%),次数,判定");
    EXPECT_EQ(lines[1], "2024-05-06 07:08:09,1,13,A相电压 [ 13 ],计算,\"'=1+1,\"\"V\"\"\",200.0000,0CCCCD,,,,,,");
    EXPECT_EQ(lines[2], "2024-05-06 07:08:09,1,13,A相电压 [ 13 ],写入,-220,,0CCCCD,,,,,,");

    EXPECT_FALSE(record.SaveTo(dir.filePath("no/such/dir.csv")));
    EXPECT_TRUE(record.Add(row)) << "without a file the row is only kept";
    EXPECT_EQ(record.Rows().size(), 3);
}
