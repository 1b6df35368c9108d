#include "fuzz/roundtrip.h"

#include "fuzz/fuzzinput.h"

#include <functional>

namespace fuzz {

namespace {

// Every field of a whole block decodes to a value.
void CheckWhole(const fields::Values &values)
{
    for (const QString &v : values)
        FUZZ_CHECK(!v.isNull());
}

// The first download of a block of fieldCount fields, bytes long, and what
// redo(data) sends after uploading data: a refused first download names one
// of the fields; an accepted one is redone twice, the second time without
// any change. path counts the accepted ones.
void CheckSettles(const fields::Encoded &first, int fieldCount, int bytes, const char *path,
                  const std::function<fields::Encoded(const QByteArray &data)> &redo)
{
    if (!first.ok()) {
        FUZZ_CHECK(first.field >= 0 && first.field < fieldCount);
        return;
    }
    Reached(path);
    FUZZ_CHECK(first.data.size() == bytes);
    fields::Encoded last = first;
    for (int pass = 0; pass < 2; ++pass) {
        const fields::Encoded again = redo(last.data);
        FUZZ_CHECK(again.ok());
        if (pass == 1)
            FUZZ_CHECK(again.data == last.data);
        last = again;
    }
}

} // namespace

void CheckStable(fields::Table table, const fields::Values &values, int bytes, const char *path)
{
    CheckSettles(fields::Encode(table, values, bytes), static_cast<int>(table.size()), bytes, path,
                 [&](const QByteArray &data) {
                     const fields::Values shown = fields::Decode(table, data);
                     CheckWhole(shown);
                     return fields::Encode(table, shown, bytes);
                 });
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
