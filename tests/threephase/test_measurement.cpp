// Frames and decoding of the three-phase measurement block.
#include "threephase/measurement.h"
#include "tests/support/testutil.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <map>

using namespace threephase;

namespace {

// Registers 0x0050..0x0059 as stored after the ratio reply: 20 data bytes
// and two (unchecked) CRC bytes.
struct Block {
    int wiring = 2;
    std::uint16_t ptBcd = 0x0001;
    std::uint16_t ctBcd = 0x0001;
    std::uint8_t flags[7] = {}; // V, A, P, Q, S, Ep, Eq (low bytes)

    QByteArray bytes() const
    {
        QByteArray b;
        auto word = [&b](int hi, int lo) {
            b.append(static_cast<char>(hi));
            b.append(static_cast<char>(lo));
        };
        word(0, wiring);
        word(ptBcd >> 8, ptBcd & 0xFF);
        word(0, flags[0]);
        word(ctBcd >> 8, ctBcd & 0xFF);
        for (int i = 1; i < 7; ++i)
            word(0, flags[i]);
        b.append("\x12\x34", 2);
        return b;
    }
};

// A complete measurement reply (113 bytes) from word values; unset words 0.
QByteArray MeasurementFrame(const std::map<int, std::uint16_t> &words)
{
    QByteArray f = Hex("01 03 6C");
    for (int i = 0; i < 54; ++i) {
        const auto it = words.find(i);
        const std::uint16_t v = it == words.end() ? 0 : it->second;
        f.append(static_cast<char>(v >> 8));
        f.append(static_cast<char>(v & 0xFF));
    }
    return WithCrc(f);
}

QString Shown(const std::map<int, std::uint16_t> &words, const Block &block, const char *box)
{
    return DecodeMeasurement(MeasurementFrame(words), block.bytes()).Of(box);
}

std::uint16_t S(int v)
{
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
}

} // namespace

TEST(CoulometryFrames, RequestsCarryAddressCountAndCrc)
{
    EXPECT_EQ(ToHex(RatioRequest(1)), "01 03 00 50 00 0A C5 DC");
    EXPECT_EQ(ToHex(MeasurementPoll(1)), "01 03 00 00 00 2A C4 15");
    // Address 255 is the top of the spin box and goes out as one byte.
    EXPECT_EQ(ToHex(MeasurementPoll(255)), ToHex(WithCrc(Hex("FF 03 00 00 00 2A"))));
}

TEST(CoulometryRatios, BcdRatiosZeroAsOneAndLowByteFlags)
{
    Block b;
    b.ptBcd = 0x0120;
    b.ctBcd = 0x0000;
    Ratios r = DecodeRatios(b.bytes());
    EXPECT_EQ(r.pt, 120);
    EXPECT_EQ(r.ct, 1);

    b.ptBcd = 0x0000;
    b.ctBcd = 0x9999;
    r = DecodeRatios(b.bytes());
    EXPECT_EQ(r.pt, 1);
    EXPECT_EQ(r.ct, 9999);

    // Nibbles above 9 are not rejected; they add their weight.
    b.ptBcd = 0x00FF;
    EXPECT_EQ(DecodeRatios(b.bytes()).pt, 165);

    // Only the low byte of a flag register counts.
    QByteArray raw = Block{}.bytes();
    raw[4] = 0x01; // high byte of the voltage unit
    raw[10] = 0x01; // high byte of the active power unit
    EXPECT_FALSE(DecodeRatios(raw).voltageLarge);
    EXPECT_FALSE(DecodeRatios(raw).activeLarge);
    raw[5] = 0x02;
    raw[19] = 0x01;
    EXPECT_TRUE(DecodeRatios(raw).voltageLarge);
    EXPECT_TRUE(DecodeRatios(raw).reactiveEnergyLarge);
    EXPECT_FALSE(DecodeRatios(raw).activeEnergyLarge);

    // A truncated block reads missing bytes as 0 rather than past its end.
    EXPECT_EQ(DecodeRatios(QByteArray("\x00\x02\x00", 3)).pt, 1);
    EXPECT_EQ(DecodeRatios(QByteArray("\x00\x02\x00", 3)).wiring, 2);
}

TEST(CoulometryDisplay, VoltagesScaleByPtAndSwitchUnits)
{
    Block b;
    EXPECT_EQ(Shown({{0, 2200}}, b, "Edit1"), "220.00V");
    b.ptBcd = 0x0100;
    EXPECT_EQ(Shown({{0, 2200}}, b, "Edit1"), "22.00KV");
    b.ptBcd = 0x0001;
    b.flags[0] = 1;
    EXPECT_EQ(Shown({{0, 2200}}, b, "Edit1"), "0.22KV");
    b.flags[0] = 0;
    // Strictly above 999: 999.0 stays in volts, 999.1 does not.
    EXPECT_EQ(Shown({{0, 9990}}, b, "Edit1"), "999.00V");
    EXPECT_EQ(Shown({{0, 9991}}, b, "Edit1"), "1.00KV");
    // Voltages are unsigned: 0xFFFF is 6553.5 V, not a negative value.
    EXPECT_EQ(Shown({{0, 0xFFFF}}, b, "Edit1"), "6.55KV");
}

TEST(CoulometryDisplay, WiringModeChoosesWordsAndBoxes)
{
    const std::map<int, std::uint16_t> w = {{0, 1000}, {1, 1001}, {2, 1002}, {3, 3000},
                                            {4, 3001}, {5, 3002}, {6, 1003}, {7, 3003}};
    Block b;
    b.wiring = 2;
    MeasurementTexts t = DecodeMeasurement(MeasurementFrame(w), b.bytes());
    EXPECT_EQ(t.Of("Edit1"), "100.00V");
    EXPECT_EQ(t.Of("Edit2"), "100.10V");
    EXPECT_EQ(t.Of("Edit3"), "100.20V");
    EXPECT_EQ(t.Of("Edit7"), "100.30V");
    for (const char *box : {"Edit4", "Edit5", "Edit6", "Edit8"})
        EXPECT_EQ(t.Of(box), "") << box;

    b.wiring = 1;
    t = DecodeMeasurement(MeasurementFrame(w), b.bytes());
    EXPECT_EQ(t.Of("Edit4"), "300.00V");
    EXPECT_EQ(t.Of("Edit5"), "300.10V");
    EXPECT_EQ(t.Of("Edit6"), "300.20V");
    EXPECT_EQ(t.Of("Edit8"), "300.30V");
    for (const char *box : {"Edit1", "Edit2", "Edit3", "Edit7"})
        EXPECT_EQ(t.Of(box), "") << box;

    // Any other mode shows the line voltages in the phase boxes.
    b.wiring = 0;
    t = DecodeMeasurement(MeasurementFrame(w), b.bytes());
    EXPECT_EQ(t.Of("Edit1"), "300.00V");
    EXPECT_EQ(t.Of("Edit7"), "300.30V");
    EXPECT_EQ(t.Of("Edit4"), "");
}

TEST(CoulometryDisplay, CurrentsFrequencyAndPowerFactors)
{
    Block b;
    const std::map<int, std::uint16_t> w = {{8, 5000}, {9, 1}, {10, 0}, {11, 7}, {12, 2500},
                                            {13, S(-500)}, {14, 1000}, {16, S(-1)}, {17, 5000}};
    MeasurementTexts t = DecodeMeasurement(MeasurementFrame(w), b.bytes());
    EXPECT_EQ(t.Of("LabeledEdit1"), "5.000A");
    EXPECT_EQ(t.Of("LabeledEdit2"), "0.001A");
    EXPECT_EQ(t.Of("LabeledEdit3"), "0.000A");
    EXPECT_EQ(t.Of("LabeledEdit5"), "0.007A"); // zero-sequence is word 11
    EXPECT_EQ(t.Of("LabeledEdit4"), "2.500A"); // average is word 12
    EXPECT_EQ(t.Of("LabeledEdit19"), "-0.500");
    EXPECT_EQ(t.Of("LabeledEdit20"), "1.000");
    EXPECT_EQ(t.Of("LabeledEdit21"), "0.000");
    EXPECT_EQ(t.Of("LabeledEdit22"), "-0.001");
    EXPECT_EQ(t.Of("LabeledEdit6"), "50.000Hz");

    b.ctBcd = 0x0300;
    EXPECT_EQ(Shown({{8, 5000}}, b, "LabeledEdit1"), "1.500KA");
    b.ctBcd = 0x0001;
    b.flags[1] = 1;
    EXPECT_EQ(Shown({{8, 5000}}, b, "LabeledEdit1"), "0.005KA");
}

TEST(CoulometryDisplay, PowersSignedScaledWithOwnUnits)
{
    Block b;
    EXPECT_EQ(Shown({{18, 1000}}, b, "LabeledEdit7"), "1.000KW");
    b.ptBcd = 0x0010;
    b.ctBcd = 0x0100;
    EXPECT_EQ(Shown({{21, 1000}}, b, "LabeledEdit10"), "1.000MW");
    // A negative value never crosses the threshold on its own.
    EXPECT_EQ(Shown({{18, S(-2000)}}, b, "LabeledEdit7"), "-2000.000KW");
    b.flags[2] = 1;
    EXPECT_EQ(Shown({{18, S(-2000)}}, b, "LabeledEdit7"), "-2.000MW");

    b = Block{};
    EXPECT_EQ(Shown({{22, 500}}, b, "LabeledEdit11"), "500.000var");
    EXPECT_EQ(Shown({{25, 1500}}, b, "LabeledEdit14"), "1.500Kvar");
    b.flags[3] = 1;
    EXPECT_EQ(Shown({{22, 500}}, b, "LabeledEdit11"), "0.500Kvar");

    b = Block{};
    EXPECT_EQ(Shown({{26, 999}}, b, "LabeledEdit15"), "0.999KVA");
    b.ptBcd = 0x0002;
    EXPECT_EQ(Shown({{29, 600}}, b, "LabeledEdit18"), "1.200KVA");
    b.ctBcd = 0x1000;
    EXPECT_EQ(Shown({{29, 600}}, b, "LabeledEdit18"), "1.200MVA");
    b = Block{};
    b.flags[4] = 1;
    EXPECT_EQ(Shown({{26, 999}}, b, "LabeledEdit15"), "0.001MVA");
}

TEST(CoulometryDisplay, EnergiesAre64BitHundredths)
{
    Block b;
    EXPECT_EQ(Shown({{33, 0x3039}}, b, "LabeledEdit23"), "123.45KW.h");
    EXPECT_EQ(Shown({{36, 0x0001}, {37, 0x86A0}}, b, "LabeledEdit27"), "1.000MW.h");
    // The exact threshold: 999.00 stays small, 999.01 switches.
    EXPECT_EQ(Shown({{40, 0x0001}, {41, 0x863C}}, b, "LabeledEdit28"), "999.00KW.h");
    EXPECT_EQ(Shown({{40, 0x0001}, {41, 0x863D}}, b, "LabeledEdit28"), "0.999MW.h");
    // The high words count: 2^32 hundredths.
    EXPECT_EQ(Shown({{43, 0x0001}}, b, "LabeledEdit24"), "42949.673Mvar.h");
    // All ones is -1 as a signed 64-bit value.
    EXPECT_EQ(Shown({{46, 0xFFFF}, {47, 0xFFFF}, {48, 0xFFFF}, {49, 0xFFFF}}, b, "LabeledEdit29"),
              "-0.01Kvar.h");
    b.flags[6] = 1;
    EXPECT_EQ(Shown({{53, 100}}, b, "LabeledEdit30"), "0.001Mvar.h");
    EXPECT_EQ(Shown({{33, 100}}, b, "LabeledEdit23"), "1.00KW.h"); // active flag untouched
}

TEST(CoulometryDisplay, TransformerRatiosLeaveEnergiesAlone)
{
    Block b;
    b.ptBcd = 0x0100;
    b.ctBcd = 0x0100;
    EXPECT_EQ(Shown({{33, 12345}}, b, "LabeledEdit23"), "123.45KW.h");
}

TEST(CoulometryDisplay, ShortReplyReadsCrcAsDataThenZeros)
{
    Block b;
    // Byte count 4: two words of data, then the two CRC bytes as word 2,
    // and everything after that as 0.
    const QByteArray frame = WithCrc(Hex("01 03 04 08 98 00 0A"));
    const auto crc = static_cast<std::uint16_t>(static_cast<std::uint8_t>(frame.at(7)) << 8 |
                                                static_cast<std::uint8_t>(frame.at(8)));
    const MeasurementTexts t = DecodeMeasurement(frame, b.bytes());
    EXPECT_EQ(t.Of("Edit1"), "220.00V");
    EXPECT_EQ(t.Of("Edit2"), "1.00V");
    EXPECT_EQ(t.Of("Edit3"), ScaledText(crc / 10.0, false, 2, 2, "V", "KV"));
    EXPECT_EQ(t.Of("Edit7"), "0.00V");
    EXPECT_EQ(t.Of("LabeledEdit6"), "0.000Hz");
    EXPECT_EQ(t.Of("LabeledEdit30"), "0.00Kvar.h");
    // An odd leftover byte is not read as half a word.
    const MeasurementTexts odd = DecodeMeasurement(Hex("01 03 03 08 98 FF"), b.bytes());
    EXPECT_EQ(odd.Of("Edit1"), "220.00V");
    EXPECT_EQ(odd.Of("Edit2"), "0.00V");
}

TEST(CoulometryReply, RatioBlockMeasurementAndIgnoredFrames)
{
    QByteArray params;
    const QByteArray measurement = MeasurementFrame({{0, 2200}});

    // A measurement before the ratio block is ignored.
    ReplyOutcome o = HandleReply(measurement, params);
    EXPECT_EQ(o.kind, ReplyOutcome::Ignored);
    EXPECT_TRUE(params.isEmpty());

    // Byte count 20 stores the block without its header, CRC kept.
    const QByteArray block = Block{}.bytes().left(20);
    const QByteArray ratioReply = WithCrc(Hex("01 03 14") + block);
    o = HandleReply(ratioReply, params);
    EXPECT_EQ(o.kind, ReplyOutcome::RatiosStored);
    EXPECT_EQ(ToHex(params), ToHex(ratioReply.mid(3)));
    EXPECT_EQ(params.size(), 22);

    o = HandleReply(measurement, params);
    ASSERT_EQ(o.kind, ReplyOutcome::Measurement);
    EXPECT_EQ(o.texts.Of("Edit1"), "220.00V");

    // Frames of 80 bytes or less without byte count 20 change nothing.
    const QByteArray before = params;
    EXPECT_EQ(HandleReply(WithCrc(Hex("01 03 02 00 01")), params).kind, ReplyOutcome::Ignored);
    EXPECT_EQ(HandleReply(QByteArray(), params).kind, ReplyOutcome::Ignored);
    EXPECT_EQ(HandleReply(Hex("01 03"), params).kind, ReplyOutcome::Ignored);
    // A write echo whose register address reads like byte count 20.
    EXPECT_EQ(HandleReply(WithCrc(Hex("01 10 14 00 00 02")), params).kind, ReplyOutcome::Ignored);
    EXPECT_EQ(params, before);
}
