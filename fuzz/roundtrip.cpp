#include "fuzz/roundtrip.h"

#include "fuzz/fuzzinput.h"

namespace fuzz {

namespace words = singlephase::words;

namespace {

// Every field of a whole block decodes to a value.
void CheckWhole(const fields::Values &values)
{
    for (const QString &v : values)
        FUZZ_CHECK(!v.isNull());
}

} // namespace

void CheckStable(fields::Table table, const fields::Values &values, int bytes)
{
    const fields::Encoded first = fields::Encode(table, values, bytes);
    if (!first.ok()) {
        FUZZ_CHECK(first.field >= 0 && first.field < static_cast<int>(table.size()));
        return;
    }
    Reached("fields.encoded");
    FUZZ_CHECK(first.data.size() == bytes);
    fields::Encoded last = first;
    for (int pass = 0; pass < 2; ++pass) {
        const fields::Values shown = fields::Decode(table, last.data);
        CheckWhole(shown);
        const fields::Encoded again = fields::Encode(table, shown, bytes);
        FUZZ_CHECK(again.ok());
        if (pass == 1)
            FUZZ_CHECK(again.data == last.data);
        last = again;
    }
}

void CheckStable(const words::Block &block, const fields::Values &tableValues, const fields::Values &wordValues)
{
    const fields::Encoded first = words::EncodeBlock(block, tableValues, wordValues);
    if (!first.ok()) {
        FUZZ_CHECK(first.field >= 0 && first.field < static_cast<int>(block.table.size() + block.words.size()));
        return;
    }
    Reached("words.encoded");
    FUZZ_CHECK(first.data.size() == block.bytes);
    fields::Encoded last = first;
    for (int pass = 0; pass < 2; ++pass) {
        const fields::Values shownTable = fields::Decode(block.table, last.data);
        const fields::Values shownWords = words::Decode(block.words, last.data);
        CheckWhole(shownTable);
        CheckWhole(shownWords);
        const fields::Encoded again = words::EncodeBlock(block, shownTable, shownWords);
        FUZZ_CHECK(again.ok());
        if (pass == 1)
            FUZZ_CHECK(again.data == last.data);
        last = again;
    }
}

bool SameAlarms(const kz827::AlarmSettings &x, const kz827::AlarmSettings &y)
{
    for (std::size_t i = 0; i < x.size(); ++i) {
        const kz827::AlarmQuantity &a = x[i];
        const kz827::AlarmQuantity &b = y[i];
        if (a.upper != b.upper || a.upperHysteresis != b.upperHysteresis || a.lower != b.lower ||
            a.lowerHysteresis != b.lowerHysteresis || a.upperRelay != b.upperRelay || a.lowerRelay != b.lowerRelay ||
            a.upperEnabled != b.upperEnabled || a.lowerEnabled != b.lowerEnabled)
            return false;
    }
    return true;
}

} // namespace fuzz
