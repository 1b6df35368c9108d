// The single-phase library without widgets: request frames, the display
// rules of the measurement window and its reply guards, the limit parser
// and the settings blocks' encodings.
#include "singlephase/measurement.h"
#include "singlephase/settings.h"
#include "tests/support/testutil.h"

#include <gtest/gtest.h>
#include <random>

using namespace singlephase;
namespace m = singlephase::measurement;

namespace {

// Set-up block: mode 0, voltage unit flag, VR, CR, then the other flags 0.
QByteArray SetupBlock(int vr, int cr, bool voltageFlag = false)
{
    QByteArray s(18, '\0');
    s[3] = voltageFlag ? 1 : 0;
    s[4] = static_cast<char>(vr >> 8);
    s[5] = static_cast<char>(vr & 0xFF);
    s[6] = static_cast<char>(cr >> 8);
    s[7] = static_cast<char>(cr & 0xFF);
    return s;
}

QByteArray Words(std::initializer_list<int> words, int size = 62)
{
    QByteArray data;
    for (int w : words) {
        data.append(static_cast<char>((w >> 8) & 0xFF));
        data.append(static_cast<char>(w & 0xFF));
    }
    data.append(QByteArray(size - data.size(), '\0'));
    return data;
}

modbus::Exchange Exchange(const QByteArray &request, const char *replyHex)
{
    return {request, WithCrc(Hex(replyHex))};
}

} // namespace

TEST(SinglePhaseMeasurement, RequestsAndDisplayRules)
{
    EXPECT_EQ(ToHex(m::SetupRequest(1)), "01 03 00 50 00 09 85 DD");
    EXPECT_EQ(ToHex(m::MeasurementRequest(1)), "01 03 00 00 00 13 04 07");

    EXPECT_EQ(m::Decode(Words({2200}), SetupBlock(1, 1)).text[0], "220.000V");
    EXPECT_EQ(m::Decode(Words({2200}), SetupBlock(100, 1)).text[0], "22.000KV");
    EXPECT_EQ(m::Decode(Words({2200}), SetupBlock(1, 1, true)).text[0], "0.220KV");
    EXPECT_EQ(m::Decode(Words({2200}), SetupBlock(0, 0)).text[0], "220.000V"); // a ratio of 0 is 1
    const m::Texts t = m::Decode(Words({0, 5000, 5000, -500, 10, -3, 1000, 0, 0, 0, 0x3039, 0, 0, 1, 0x86A0}),
                                 SetupBlock(1, 1));
    EXPECT_EQ(t.Of("Edit2"), "5.000A");
    EXPECT_EQ(t.Of("Edit3"), "50.00Hz");
    EXPECT_EQ(t.Of("Edit4"), "-0.500");
    EXPECT_EQ(t.Of("Edit5"), "10.000W");
    EXPECT_EQ(t.Of("Edit6"), "-3.000var");
    EXPECT_EQ(t.Of("Edit7"), "1.000KVA");
    EXPECT_EQ(t.Of("LabeledEdit8"), "123.45KW.h");
    EXPECT_EQ(t.Of("LabeledEdit9"), "1.000MW.h");
    EXPECT_EQ(t.Of("LabeledEdit11"), "0.00Kvar.h");
}

TEST(SinglePhaseMeasurement, OnlyWholeReadsOfTheRightBlockAreDecoded)
{
    QByteArray setup;
    const QByteArray poll = m::MeasurementRequest(1);
    const QByteArray data62 = QByteArray(62, '\x11');
    const QByteArray frame62 = WithCrc(Hex("01 03 3E") + data62);
    // A measurement before any set-up block is not shown.
    EXPECT_EQ(m::HandleReply({poll, frame62}, setup).kind, m::Outcome::Ignored);
    // An echo or another read with byte count 18 is not a set-up block.
    EXPECT_EQ(m::HandleReply(Exchange(m::SetupRequest(1), "01 10 00 50 00 09"), setup).kind, m::Outcome::Ignored);
    EXPECT_EQ(m::HandleReply({poll, WithCrc(Hex("01 03 12") + QByteArray(18, '\0'))}, setup).kind,
              m::Outcome::Ignored);
    EXPECT_TRUE(setup.isEmpty());
    EXPECT_EQ(m::HandleReply({m::SetupRequest(1), WithCrc(Hex("01 03 12") + SetupBlock(100, 5))}, setup).kind,
              m::Outcome::SetupStored);
    EXPECT_EQ(setup, SetupBlock(100, 5));
    // Short of its 62 bytes (no box is filled from CRC bytes), or an exception.
    EXPECT_EQ(m::HandleReply({poll, WithCrc(Hex("01 03 3E") + data62.left(40))}, setup).kind, m::Outcome::Ignored);
    EXPECT_EQ(m::HandleReply(Exchange(poll, "01 83 02"), setup).kind, m::Outcome::Ignored);
    EXPECT_EQ(m::HandleReply({poll, frame62}, setup).kind, m::Outcome::Measurement);
}

TEST(SinglePhaseLimits, TypedLimitsFollowTheFiveCharacterRule)
{
    const struct {
        const char *text;
        int value;
        int decimals;
    } good[] = {
        {"220.5", 2205, 1}, {"12.34", 1234, 2}, {"1234.5", 1234, 0}, {"-0.5", -5, 1}, {".5", 5, 1},
        {"9999", 9999, 0},  {"0000", 0, 0},     {"99999", 9999, 0},  {"-12345", -9999, 0}, {"12345.6", 9999, 0},
        {"123.456", 1234, 1}, {"5.", 5, 0},
    };
    for (const auto &c : good) {
        QString error;
        const auto limit = fields::PutShortLimit(QString::fromUtf8(c.text), &error);
        ASSERT_TRUE(limit) << c.text << " " << error.toStdString();
        EXPECT_EQ(static_cast<std::int16_t>(limit->high << 8 | limit->low), c.value) << c.text;
        EXPECT_EQ(limit->decimals, c.decimals) << c.text;
    }
    for (const char *bad : {"22O.5", "1.2.3", "", "-", ".", "-.", "1e3", " 5"}) {
        QString error;
        EXPECT_FALSE(fields::PutShortLimit(QString::fromUtf8(bad), &error)) << bad;
        EXPECT_EQ(error, QStringLiteral("'%1' is not a valid integer value").arg(QString::fromUtf8(bad)));
    }
}

TEST(SinglePhaseSettings, FactoryBlocksAndRefusedValues)
{
    auto data = [](const fields::Encoded &e) { return e.ok() ? ToHex(e.data).toStdString() : e.error.toStdString(); };
    EXPECT_EQ(data(fields::Encode(display::kFields, fields::FactoryValues(display::kFields), display::kBytes)),
              "00 00 00 00 00 00 00 05 00 05 00 05 00 00 00 07");
    // A list without a choice is refused, not sent as FF.
    fields::Values noChoice = fields::FactoryValues(display::kFields);
    noChoice[2] = "-1";
    EXPECT_EQ(data(fields::Encode(display::kFields, noChoice, display::kBytes)), "请选择“下窗口测量参数选择：”！");

    const fields::Values factory = fields::FactoryValues(initsettings::kFields);
    EXPECT_EQ(data(fields::Encode(initsettings::kFields, factory, initsettings::kBytes)),
              "00 00 00 00 00 01 00 01 00 00 00 00 00 00 00 00 00 00 00 05");
    const struct {
        int field;
        const char *text;
        const char *result;
    } cases[] = {
        {2, "10000", "00 00 00 00 27 0F 00 01 00 00 00 00 00 00 00 00 00 00 00 05"},
        {2, "70000", "00 00 00 00 27 0F 00 01 00 00 00 00 00 00 00 00 00 00 00 05"},
        {3, "-1", "“电流被率”不能为负数！"},
        {2, "", "'' is not a valid integer value"},
        {0, "-1", "请选择“测量模式”！"},
    };
    for (const auto &c : cases) {
        fields::Values v = factory;
        v[c.field] = QString::fromUtf8(c.text);
        EXPECT_EQ(data(fields::Encode(initsettings::kFields, v, initsettings::kBytes)), c.result) << c.text;
    }

    const alarmparams::Group &normal = alarmparams::kGroups[0];
    const std::string limits = data(fields::Encode(normal.table, fields::FactoryValues(normal.table), normal.Bytes()));
    EXPECT_EQ(limits.substr(0, 47), "27 0F 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    const alarmparams::Group &inputs = alarmparams::kGroups[3];
    EXPECT_EQ(data(fields::Encode(inputs.table, fields::FactoryValues(alarmparams::kSwitchInputs), inputs.Bytes())),
              "00 00 00 00 00 00 00 00 00 00 00 00");

    // Presets of the alarm enables.
    fields::Values all = alarmenable::Preset(true);
    EXPECT_EQ(data(fields::Encode(alarmenable::kFields, all, alarmenable::kBytes)), "00 00 00 00 00 00 1F FF 0F FF 00 FF");
    all[alarmenable::kCheckBoxes] = "-1";
    EXPECT_FALSE(fields::Encode(alarmenable::kFields, all, alarmenable::kBytes).ok());
}

// Whatever an instrument holds in the radio groups, plain numbers and limits
// of these blocks decodes to values that encode to the same bytes (limits
// within five characters).
TEST(SinglePhaseSettings, BlocksSurviveDecodeAndEncode)
{
    using fields::Kind;
    std::mt19937 rng(11);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<std::pair<fields::Table, int>> blocks = {{display::kFields, display::kBytes},
                                                         {initsettings::kFields, initsettings::kBytes}};
    for (const alarmparams::Group &g : alarmparams::kGroups)
        blocks.emplace_back(g.table, g.Bytes());
    for (const auto &[table, bytes] : blocks) {
        for (int round = 0; round < 200; ++round) {
            QByteArray data = fields::Encode(table, fields::FactoryValues(table), bytes).data;
            ASSERT_EQ(data.size(), bytes);
            for (const fields::Field &f : table) {
                int word = 0;
                if (f.kind == Kind::RadioIndex)
                    word = pick(0, static_cast<int>(QString::fromUtf8(f.items).count('|')));
                else if (f.kind == Kind::ShortLimit)
                    word = pick(-999, 9999);
                else if (f.kind == Kind::ByteSpin || f.kind == Kind::WordSpin || f.kind == Kind::WordText)
                    word = pick(0, f.max);
                else
                    continue;
                data[f.offset] = static_cast<char>((word >> 8) & 0xFF);
                data[f.offset + 1] = static_cast<char>(word & 0xFF);
                if (f.kind == Kind::ShortLimit)
                    data[f.offset + 3] = static_cast<char>(word >= 0 ? pick(0, 1) : 0);
            }
            const fields::Encoded again = fields::Encode(table, fields::Decode(table, data), bytes);
            ASSERT_TRUE(again.ok()) << again.error.toStdString();
            ASSERT_EQ(ToHex(again.data), ToHex(data));
        }
    }
}
