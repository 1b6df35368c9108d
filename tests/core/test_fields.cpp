// The shared settings core: typed numbers, limit codecs, the reply guard and
// the request frames the windows send.
#include "core/fields.h"
#include "link/modbusframes.h"
#include "tests/support/testutil.h"

#include <gtest/gtest.h>

using namespace fields;

TEST(ParseInteger, SignAndDecimalDigitsOnly)
{
    const std::pair<const char *, qint64> good[] = {{"0", 0}, {"+5", 5}, {"-0", 0}, {"007", 7}, {"-12000", -12000},
                                                    {"99999999999999999999999", std::numeric_limits<qint64>::max()}};
    for (const auto &[text, value] : good)
        EXPECT_EQ(ParseInteger(QString::fromUtf8(text)), value) << text;
    for (const char *bad : {"", "-", "+", " 1", "1 ", "1.0", "0x10", "1e3", "１２", "--1"}) {
        QString error;
        EXPECT_FALSE(ParseInteger(QString::fromUtf8(bad), &error)) << bad;
        EXPECT_EQ(error, QStringLiteral("'%1' is not a valid integer value").arg(QString::fromUtf8(bad)));
    }
}

namespace {
struct LimitCase {
    const char *text;
    bool isSigned;
    const char *bytes; // value high, value low, decimals; or the message
};
} // namespace

TEST(LimitCodec, TypedLimitsBecomeTheirRegisterBytes)
{
    const LimitCase cases[] = {
        {"1.000", false, "10 00 03"},  {"220.0", false, "22 00 01"}, {"1.5", false, "00 15 01"},
        {".5", false, "00 05 01"},     {"999", false, "09 99 00"},   {"70000", false, "99 99 00"},
        {"220.05", false, "22 00 01"}, // the unsigned field keeps five characters
        {"-12.5", true, "FF 83 01"},   {"12345", true, "27 0F 00"},  {"-99999", true, "D8 F1 00"},
        {"-0.5", true, "FF FB 01"},    {".1234", true, "04 D2 04"},
        {"-1", false, "“限值”不能为负数！"}, {"abc", false, "'abc' is not a valid integer value"},
        {"1.2.3", true, "'12.3' is not a valid integer value"}, {"", false, "'' is not a valid integer value"},
    };
    for (const LimitCase &c : cases) {
        QString error;
        const auto limit = c.isSigned ? PutSignedLimit(QString::fromUtf8(c.text), "限值", &error)
                                      : PutBcdLimit(QString::fromUtf8(c.text), "限值", &error);
        const char bytes[] = {char(limit ? limit->high : 0), char(limit ? limit->low : 0), char(limit ? limit->decimals : 0)};
        const QString got = limit ? ToHex(QByteArray(bytes, 3)) : error;
        EXPECT_EQ(got, QString::fromUtf8(c.bytes)) << c.text;
    }
}

TEST(LimitCodec, RecordsShowTheirDigitsWithThePointPlaced)
{
    const std::pair<const char *, const char *> cases[] = {
        {"02 20 00 01", "022.0"}, {"09 99 00 00", "0999"}, {"10 00 00 03", "1.000"},
        {"1A F0 00 02", "10.00"}, {"12 34 00 07", "1234"}, {"12", "1200"}};
    for (const auto &[record, text] : cases)
        EXPECT_EQ(BcdLimitText(Hex(record)), QString::fromUtf8(text)) << record;
}

TEST(ReplyGuard, DataStopsAtTheByteCountOrTheFramesEnd)
{
    EXPECT_EQ(ToHex(modbus::ReplyData(WithCrc(Hex("01 03 04 11 22 33 44")))), "11 22 33 44");
    // A frame shorter than its byte count gives only the bytes present.
    EXPECT_EQ(ToHex(modbus::ReplyData(WithCrc(Hex("01 03 10 11 22")))), "11 22");
    // Stray bytes after the byte count are not data.
    EXPECT_EQ(ToHex(modbus::ReplyData(Hex("01 03 01 11 C0 FF EE"))), "11");
    EXPECT_TRUE(modbus::ReplyData(Hex("01 03")).isEmpty());
    EXPECT_TRUE(modbus::ReplyData(Hex("01 03 04 AA")).isEmpty());

    modbus::Exchange ex{modbus::ReadRegisters(1, 0x34, 4), WithCrc(Hex("01 03 08 01 02 03 04 05 06 07 08"))};
    EXPECT_TRUE(ex.IsReadOf(0x03, 8));
    EXPECT_EQ(ex.RequestStart(), 0x34);
    EXPECT_FALSE(ex.IsReadOf(0x03, 4));
    ex.reply = WithCrc(Hex("01 03 08 01 02"));
    EXPECT_FALSE(ex.IsReadOf(0x03, 8)); // the byte count says 8, only 2 are there
}

TEST(RequestFrames, EveryBuilderMakesTheModbusLayout)
{
    const std::pair<QByteArray, const char *> frames[] = {
        {modbus::ReadCoils(1, 0, 3), "01 01 00 00 00 03"},
        {modbus::ReadInputs(2, 0, 3), "02 02 00 00 00 03"},
        {modbus::ReadRegisters(1, 0x1025, 28), "01 03 10 25 00 1C"},
        {modbus::WriteCoil(1, 2, true), "01 05 00 02 FF 00"},
        {modbus::WriteCoil(1, 2, false), "01 05 00 02 00 00"},
        {modbus::WriteRegister(3, 0x0060, 0x1234), "03 06 00 60 12 34"},
        {modbus::WriteRegisters(1, 0x005B, 2, Hex("00 00 7B 2D 00 00 00 00")),
         "01 10 00 5B 00 02 08 00 00 7B 2D 00 00 00 00"},
    };
    for (const auto &[frame, hex] : frames)
        EXPECT_EQ(ToHex(frame), ToHex(WithCrc(Hex(hex)))) << hex;
    EXPECT_EQ(ToHex(modbus::ReadRegisters(1, 0, 0x2A)), "01 03 00 00 00 2A C4 15");
}
