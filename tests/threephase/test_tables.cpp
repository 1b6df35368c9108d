// Every register field table of the three-phase settings windows: each field
// lies in its block, no two fields share a bit or byte, and any data the
// instrument can hold decodes to control values that encode to the same
// bytes again.
#include "core/fields.h"
#include "singlephase/settings.h"
#include "threephase/alarmmask.h"
#include "threephase/display.h"
#include "threephase/initsettings.h"
#include "threephase/limits.h"

#include <QSet>
#include <gtest/gtest.h>
#include <random>

using namespace fields;

namespace {

struct NamedTable {
    const char *name;
    Table table;
    int bytes;
};

std::vector<NamedTable> AllTables()
{
    std::vector<NamedTable> tables = {
        {"alarm mask", threephase::alarmmask::kFields, threephase::alarmmask::kBytes},
        {"display", threephase::display::kFields, threephase::display::kBytes},
        {"initialisation", threephase::initsettings::kFields, threephase::initsettings::kBytes},
    };
    for (const threephase::limits::Group &g : threephase::limits::kGroups)
        tables.push_back({g.title, g.table, g.Bytes()});
    tables.push_back({"single-phase alarm enables", singlephase::alarmenable::kFields, singlephase::alarmenable::kBytes});
    tables.push_back({"single-phase display", singlephase::display::kFields, singlephase::display::kBytes});
    tables.push_back({"single-phase switch inputs", singlephase::alarmparams::kSwitchInputs, 12});
    return tables;
}

std::uint16_t Bcd(int v)
{
    return static_cast<std::uint16_t>((v / 1000 % 10) << 12 | (v / 100 % 10) << 8 | (v / 10 % 10) << 4 | v % 10);
}

int Items(const Field &f)
{
    return static_cast<int>(QString::fromUtf8(f.items).split('|').size());
}

// Data an instrument could hold for the table, drawn at random.
QByteArray RandomValidData(const NamedTable &t, std::mt19937 &rng)
{
    QByteArray data(t.bytes, '\0');
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto put = [&data](int at, int word) {
        data[at] = static_cast<char>((word >> 8) & 0xFF);
        data[at + 1] = static_cast<char>(word & 0xFF);
    };
    for (const Field &f : t.table) {
        switch (f.kind) {
        case Kind::Bit:
        case Kind::RadioBit:
            if (pick(0, 1))
                put(f.offset, (static_cast<std::uint8_t>(data[f.offset]) << 8 | static_cast<std::uint8_t>(data[f.offset + 1])) |
                                  1 << f.bit);
            break;
        case Kind::RadioFlag:
            put(f.offset, pick(0, 1));
            break;
        case Kind::RadioWord:
            put(f.offset, pick(0, 1) ? f.value1 : f.value0);
            break;
        case Kind::BcdSpin:
        case Kind::BcdText:
        case Kind::BcdByteSpin:
            put(f.offset, Bcd(pick(0, f.max)));
            break;
        case Kind::BcdLimit:
            put(f.offset, Bcd(pick(0, 9999)));
            put(f.offset + 2, pick(0, 3));
            break;
        case Kind::SignedLimit: {
            const int value = pick(-9999, 9999);
            put(f.offset, value & 0xFFFF);
            // Four decimals fit the edit's six characters only without a sign.
            put(f.offset + 2, pick(0, value < 0 ? 3 : 4));
            break;
        }
        case Kind::ComboByte:
            put(f.offset, pick(0, Items(f) - 1));
            break;
        case Kind::ComboBcd:
            put(f.offset, Bcd(pick(0, Items(f) - 1)));
            break;
        case Kind::RadioIndex:
            put(f.offset, pick(0, Items(f) - 1));
            break;
        case Kind::ByteSpin:
        case Kind::WordSpin:
        case Kind::WordText:
            put(f.offset, pick(0, f.max));
            break;
        case Kind::ShortLimit: {
            // Five characters: one decimal at most, and none with a sign.
            const int value = pick(-999, 9999);
            put(f.offset, value & 0xFFFF);
            put(f.offset + 2, value < 0 ? 0 : pick(0, 1));
            break;
        }
        }
    }
    return data;
}

class EveryTable : public ::testing::TestWithParam<NamedTable> {};

} // namespace

TEST_P(EveryTable, FieldsAreDistinctAndDataSurvivesDecodeAndEncode)
{
    const NamedTable &t = GetParam();
    EXPECT_TRUE(FitsBlock(t.table, t.bytes));
    QSet<QString> objects;
    for (const Field &f : t.table) {
        EXPECT_FALSE(objects.contains(f.object)) << f.object;
        objects.insert(f.object);
        EXPECT_TRUE(f.caption && *f.caption) << f.object;
        if (f.kind == Kind::ComboByte || f.kind == Kind::ComboBcd || f.kind == Kind::RadioBit ||
            f.kind == Kind::RadioFlag || f.kind == Kind::RadioWord || f.kind == Kind::RadioIndex) {
            EXPECT_TRUE(f.items) << f.object;
        }
    }
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        const QByteArray data = RandomValidData(t, rng);
        const Encoded again = Encode(t.table, Decode(t.table, data), t.bytes);
        ASSERT_TRUE(again.ok()) << t.name << ": " << again.error.toStdString();
        ASSERT_EQ(again.data.toHex(' ').toStdString(), data.toHex(' ').toStdString()) << t.name;
    }
}

INSTANTIATE_TEST_SUITE_P(ThreePhase, EveryTable, ::testing::ValuesIn(AllTables()),
                         [](const auto &info) { return std::to_string(info.index); });
