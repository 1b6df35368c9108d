// The KZ827KVE codecs without widgets: measurement fields, limit fields
// both ways, the alarm and range blocks, the calibration frames and the
// coefficient rules.
#include "kz827/alarms.h"
#include "kz827/calibration.h"
#include "kz827/range.h"
#include "kz827/measurement.h"
#include "tests/support/testutil.h"

#include <cmath>
#include <numbers>
#include <gtest/gtest.h>

using kz827::Quantity;
namespace cal = kz827::calibration;

TEST(Kz827Measurement, FieldTexts)
{
    const struct {
        const char *field;
        Quantity q;
        const char *text;
    } cases[] = {
        {"08 9D 01 00", Quantity::Voltage, "220.5V"}, {"00 05 02 00", Quantity::Current, "0.05A"},
        {"80 64 01 01", Quantity::Power, "-10.0KW"},  {"00 07 03 00", Quantity::Voltage, "0.007V"},
        {"00 07 04 01", Quantity::Voltage, "7KV"},    {"00 07 00 05", Quantity::Current, "7KA"},
        {"80 00 01 00", Quantity::Voltage, "3276.8V"}, {"80 00 00 00", Quantity::Voltage, "32768V"},
        {"80 00 00 02", Quantity::Power, "-0MW"},     {"27 0F 02 07", Quantity::Power, "99.99W"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(kz827::MeasuredText(Hex(c.field), c.q), c.text) << c.field;
}

TEST(Kz827Measurement, DecodesOnlyACompleteReplyToItsPoll)
{
    const QByteArray poll = kz827::MeasurementPoll(1);
    EXPECT_EQ(ToHex(poll), "01 03 00 00 00 06 C5 C8");
    const QByteArray reply = WithCrc(Hex("01 03 0C 08 9D 01 00 00 05 02 00 80 64 01 01"));
    const auto texts = kz827::DecodeMeasurement({poll, reply});
    ASSERT_TRUE(texts);
    EXPECT_EQ((*texts)[0], "220.5V");
    EXPECT_EQ((*texts)[1], "0.05A");
    EXPECT_EQ((*texts)[2], "-10.0KW");
    // Short data, another byte count, another request, another function.
    EXPECT_FALSE(kz827::DecodeMeasurement({poll, WithCrc(Hex("01 03 0C 08 9D 01 00 00 05"))}));
    EXPECT_FALSE(kz827::DecodeMeasurement({poll, WithCrc(Hex("01 03 0A 08 9D 01 00 00 05 02 00 80 64"))}));
    EXPECT_FALSE(kz827::DecodeMeasurement({modbus::ReadRegisters(1, 0x1000, 6), reply}));
    EXPECT_FALSE(kz827::DecodeMeasurement({poll, WithCrc(Hex("01 10 00 00 00 06"))}));
}

TEST(Kz827Limits, BothWays)
{
    const struct {
        const char *text;
        Quantity q;
        const char *field;
        const char *shown; // as read back
    } cases[] = {
        {"220.5V", Quantity::Voltage, "22 05 03 00", "220.5V"},
        {"1.2KV", Quantity::Voltage, "00 12 03 01", "1.2KV"},
        {"12", Quantity::Voltage, "00 12 00 00", "12V"},
        {".5A", Quantity::Current, "00 05 03 00", "0.5A"},
        {"1.5MW", Quantity::Power, "00 15 03 02", "1.5MW"},
        {"10KW", Quantity::Power, "00 10 00 01", "10KW"},
        {"999.9V", Quantity::Voltage, "99 99 03 00", "999.9V"},
        {"9999KV", Quantity::Voltage, "99 99 00 01", "9999KV"},
        {"0.005KA", Quantity::Current, "00 05 01 01", "0.005KA"},
        {"0", Quantity::Power, "00 00 00 00", "0W"},
    };
    for (const auto &c : cases) {
        QString error;
        const auto field = kz827::ParseLimit(c.text, c.q, &error);
        ASSERT_TRUE(field) << c.text << " " << error.toStdString();
        EXPECT_EQ(ToHex(*field), c.field) << c.text;
        EXPECT_EQ(kz827::LimitText(*field, c.q), c.shown) << c.text;
    }
    // Reading: a position of 0 or 4 has no point; any power code but 1, 2 is W.
    EXPECT_EQ(kz827::LimitText(Hex("99 99 04 00"), Quantity::Voltage), "9999V");
    EXPECT_EQ(kz827::LimitText(Hex("00 05 01 07"), Quantity::Power), "0.005W");
}

TEST(Kz827Limits, RefusedEntriesSayWhichQuantity)
{
    const QString voltage = "警告！电压数据输入错误！！";
    const QString current = "警告！电流数据输入错误！！";
    const QString power = "警告！有功功率数据输入错误！！";
    const QString voltageLength = "警告！电压数据长度输入超量程！！（有小数点的数最长不能大于5，无小数点的数最长不能大于4";
    const QString currentLength = "警告！电流数据长度输入超量程！！（有小数点的数最长不能大于5，无小数点的数最长不能大于4";
    const struct {
        const char *text;
        Quantity q;
        QString message;
    } cases[] = {
        {"12A", Quantity::Voltage, voltage},   {"22V0", Quantity::Voltage, voltage},
        {"1KV2", Quantity::Voltage, voltage},  {"", Quantity::Voltage, voltage},
        {".", Quantity::Current, current},     {"KA", Quantity::Current, current},
        {"1.2.3", Quantity::Current, current}, {"-5", Quantity::Current, current},
        {"1MV", Quantity::Voltage, voltage},   {"1KWW", Quantity::Power, power},
        {"10000", Quantity::Voltage, voltageLength}, {"1000.5V", Quantity::Voltage, voltageLength},
        {"12345A", Quantity::Current, currentLength}, {"12345W", Quantity::Power, voltageLength},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_FALSE(kz827::ParseLimit(c.text, c.q, &error)) << c.text;
        EXPECT_EQ(error, c.message) << c.text;
    }
}

TEST(Kz827Alarms, BlockLayoutRoundTripAndConversionOrder)
{
    // Factory settings: upper limits 9999, fillers "0000000000".
    QString error;
    const auto factory = kz827::EncodeAlarms(kz827::FactoryAlarms(), &error);
    ASSERT_TRUE(factory) << error.toStdString();
    const QString block = "00 00 99 99 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
    const QString filler = "30 30 30 30 30 30 30 30 30 30";
    EXPECT_EQ(ToHex(*factory), block + " " + filler + " " + block + " " + filler + " " + block);

    // An upload written back unchanged gives the same bytes.
    const QByteArray uploaded = Hex("00 03 00 15 03 02 00 05 03 01 00 02 00 10 00 01 00 00 00 00 00 0F"
                                    "30 30 30 30 30 30 30 30 30 30"
                                    "00 01 00 05 01 00 00 01 03 00 00 01 00 00 00 00 00 00 00 00 00 00"
                                    "30 30 30 30 30 30 30 30 30 30"
                                    "00 02 22 05 03 00 00 12 00 00 00 03 99 99 00 01 00 00 00 00 00 00");
    ASSERT_EQ(uploaded.size(), kz827::kAlarmBytes);
    kz827::AlarmSettings s = kz827::DecodeAlarms(uploaded);
    const auto &p = s[int(Quantity::Power)];
    EXPECT_EQ(p.upper, "1.5MW");
    EXPECT_EQ(p.upperHysteresis, "0.5KW");
    EXPECT_TRUE(p.upperEnabled && p.lowerEnabled);
    EXPECT_EQ(p.upperRelay, 2);
    EXPECT_EQ(p.lowerRelay, 15);
    EXPECT_TRUE(s[int(Quantity::Current)].upperEnabled);
    EXPECT_FALSE(s[int(Quantity::Current)].lowerEnabled);
    EXPECT_EQ(s[int(Quantity::Voltage)].lower, "9999KV");
    // Only the low byte of an enable register holds the flags.
    QByteArray highByte = uploaded;
    highByte[0] = char(0xFF);
    EXPECT_TRUE(kz827::DecodeAlarms(highByte)[int(Quantity::Power)].upperEnabled);
    highByte[1] = char(0x00);
    EXPECT_FALSE(kz827::DecodeAlarms(highByte)[int(Quantity::Power)].upperEnabled);
    const auto again = kz827::EncodeAlarms(s, &error);
    ASSERT_TRUE(again) << error.toStdString();
    EXPECT_EQ(ToHex(*again), ToHex(uploaded));

    // The power fields are converted first.
    s[int(Quantity::Voltage)].upper = "x";
    s[int(Quantity::Power)].lowerHysteresis = "x";
    EXPECT_FALSE(kz827::EncodeAlarms(s, &error));
    EXPECT_EQ(error, "警告！有功功率数据输入错误！！");
}

TEST(Kz827Range, EncodeDecodeAndRefusals)
{
    QString error;
    const auto data = kz827::EncodeRange({1, "100", 0, "5", 1}, &error);
    ASSERT_TRUE(data) << error.toStdString();
    EXPECT_EQ(ToHex(*data), "00 01 01 00 00 00 00 05 00 01");

    const struct {
        kz827::RangeSettings s;
        QString message;
    } refused[] = {
        {{0, "-1", 0, "1", 0}, "“电压被率”不能为负数！"},
        {{0, "1", 0, "12a", 0}, "'12a' is not a valid integer value"},
        {{0, "10000", 0, "1", 0}, "“电压被率”不能大于9999！"},
        {{-1, "1", 0, "1", 0}, "请选择“电压单位”！"},
        {{0, "1", 0, "1", -1}, "请选择“有功功率单位”！"},
    };
    for (const auto &r : refused) {
        EXPECT_FALSE(kz827::EncodeRange(r.s, &error));
        EXPECT_EQ(error, r.message);
    }

    // Ratios shown whole, however wide; units beyond the list take its last item.
    const kz827::RangeSettings s = kz827::DecodeRange(Hex("00 07 99 99 00 01 FF FF 00 09"));
    EXPECT_EQ(s.voltageUnit, 1);
    EXPECT_EQ(s.voltageRatio, "9999");
    EXPECT_EQ(s.currentUnit, 1);
    EXPECT_EQ(s.currentRatio, "16665");
    EXPECT_EQ(s.powerUnit, 2);

    EXPECT_EQ(ToHex(kz827::SetAddressFrame(1, 12)), "01 10 10 05 00 01 02 00 0C B7 C1");
    EXPECT_EQ(ToHex(kz827::SetBaudFrame(1, 3)), ToHex(WithCrc(Hex("01 10 10 06 00 01 02 00 03"))));
}

TEST(Kz827Calibration, FramesAndReplies)
{
    EXPECT_EQ(ToHex(cal::Request(1, cal::kRead)), "01 AA 80 0F 54 60 03 00 00 00 DD 9D");
    EXPECT_EQ(ToHex(cal::Request(3, cal::WriteCommand(cal::kPower), 0x0186A0)),
              ToHex(WithCrc(Hex("03 AA 80 04 54 60 03 01 86 A0"))));
    const QByteArray read = WithCrc(Hex("01 AA 72 54 60 54 7A E1 99 99 9A 19 58 10 01 86 A0"));
    const auto reading = cal::DecodeRead(read);
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->voltage, 0x547AE1u);
    EXPECT_EQ(reading->current, 0x99999Au);
    EXPECT_EQ(reading->power, 0x195810u);
    EXPECT_EQ(reading->scale, 100000u);
    EXPECT_FALSE(cal::DecodeRead(read.left(17))); // short: nothing to push
    EXPECT_TRUE(cal::IsAcknowledgement(WithCrc(Hex("01 AA 77 54 60"))));

    // The histories start at zero: the first read shows an eighth.
    cal::Histories h;
    h.Push(*reading);
    EXPECT_NEAR(h.Compute().volts, 220.0 / 8, 0.01);
    for (int i = 0; i < 7; ++i)
        h.Push(*reading);
    const cal::Quantities q = h.Compute();
    EXPECT_NEAR(q.volts, 220.0, 0.01);
    EXPECT_NEAR(q.amps, 5.0, 0.001);
    EXPECT_NEAR(q.watts, 1100.0, 0.01);
}

TEST(Kz827Calibration, CoefficientRules)
{
    const QString failed = "数据出错！！";
    const double d = 59.95 * std::numbers::pi / 180; // 0.05 degrees off 60: two steps
    const struct {
        int item;
        const char *standard;
        cal::Quantities q;
        QString coefficient;
        QString error;
    } cases[] = {
        {cal::kVoltage, "220.00V", {220, 5, 1100}, "400000", {}},
        {cal::kCurrent, "5.000A", {220, 5, 1100}, "400000", {}},
        {cal::kPower, "1100.00W", {220, 5, 1100}, "0186A0", {}},
        {cal::kCurrent, "5A", {220, 1, 1100}, "F9999A", {}},          // S / I = 5 capped at 3.9
        {cal::kVoltage, "220V", {55, 5, 1100}, {}, failed},           // 4.0: beyond 24 bits
        {cal::kVoltage, "220V", {0, 5, 1100}, {}, failed},            // nothing read
        {cal::kVoltage, "-220V", {220, 5, 1100}, {}, failed},         // not positive
        {cal::kPower, "1100W", {220, 5, NAN}, {}, failed},
        {cal::kVoltage, "abcV", {220, 5, 1100}, {}, "'abc' is not a valid floating point value"},
        {cal::kPhase, "1100W", {220, 5, 550}, "000007", {}},          // 60 degrees off, limited to 7
        {cal::kPhase, "550W", {220, 5, 1100}, "000087", {}},          // negative side sets 0x80
        {cal::kPhase, "1000W", {220, 5, 500 / std::cos(d)}, "000002", {}},
        {cal::kPhase, "1100W", {220, 5, 500}, {}, failed},            // x above 1: no angle
        {cal::kPhase, "1100W", {220, 5, 0}, {}, failed},
    };
    for (const auto &c : cases) {
        const cal::Computed r = cal::ComputeCoefficient(c.item, c.standard, c.q);
        EXPECT_EQ(r.coefficient, c.coefficient) << c.item << " " << c.standard;
        EXPECT_EQ(r.error, c.error) << c.item << " " << c.standard;
    }
}

TEST(Kz827Calibration, CoefficientEditToData)
{
    EXPECT_EQ(cal::CoefficientData("1A"), 0x00001Au);
    EXPECT_EQ(cal::CoefficientData("186a0"), 0x0186A0u);
    EXPECT_EQ(cal::CoefficientData("12345678"), 0x123456u);
    EXPECT_FALSE(cal::CoefficientData("12G4"));
    EXPECT_FALSE(cal::CoefficientData("1 2"));
    EXPECT_FALSE(cal::CoefficientData(""));
}
