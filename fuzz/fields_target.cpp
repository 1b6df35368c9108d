// Typed texts through the codecs of the settings windows. Input: one byte
// choosing the codec (modulo 9), one choosing the table or quantity where
// there is a choice, then texts (length-prefixed chunks), one per control.
#include "fuzz/fuzzinput.h"
#include "fuzz/roundtrip.h"
#include "fuzz/targets.h"
#include "kz827/alarms.h"
#include "kz827/range.h"
#include "core/codecs.h"
#include "core/energybase.h"
#include "core/pollinterval.h"
#include "singlephase/settings.h"
#include "threephase/alarmmask.h"
#include "threephase/display.h"
#include "threephase/initsettings.h"
#include "threephase/limits.h"

#include <QList>
#include <cmath>
#include <limits>

namespace fuzz {

namespace {

struct Block {
    fields::Table table;
    int bytes;
};

const QList<Block> &Tables()
{
    static const QList<Block> tables = [] {
        QList<Block> t{
            {threephase::alarmmask::kFields, threephase::alarmmask::kBytes},
            {threephase::display::kFields, threephase::display::kBytes},
            {threephase::initsettings::kFields, threephase::initsettings::kBytes},
            {singlephase::alarmenable::kFields, singlephase::alarmenable::kBytes},
        };
        for (const auto &g : threephase::limits::kGroups)
            t.append({g.table, g.Bytes()});
        return t;
    }();
    return tables;
}

// The single-phase display, set-up and alarm parameter blocks.
const QList<Block> &SinglePhaseBlocks()
{
    static const QList<Block> blocks = [] {
        QList<Block> b{{singlephase::display::kFields, singlephase::display::kBytes},
                       {singlephase::initsettings::kFields, singlephase::initsettings::kBytes}};
        for (const auto &g : singlephase::alarmparams::kGroups)
            b.append({g.table, g.Bytes()});
        return b;
    }();
    return blocks;
}

fields::Values Texts(Input &in, std::size_t count)
{
    fields::Values values;
    for (std::size_t i = 0; i < count && !in.Empty(); ++i)
        values.append(in.Text());
    return values;
}

// The number a limit text stands for, without its unit.
double Number(QString text)
{
    while (!text.isEmpty() && !text.back().isDigit() && text.back() != QLatin1Char('.'))
        text.chop(1);
    return text.isEmpty() || text == QLatin1String(".") ? 0 : text.toDouble();
}

void Kz827Limit(const QString &text, kz827::Quantity q)
{
    QString error;
    const auto field = kz827::ParseLimit(text, q, &error);
    if (!field) {
        FUZZ_CHECK(!error.isEmpty());
        return;
    }
    Reached("fields.kz827limit");
    FUZZ_CHECK(field->size() == 4);
    // What is shown after a download is the value typed, in the unit typed.
    const QString shown = kz827::LimitText(*field, q);
    FUZZ_CHECK(Number(shown) == Number(text));
    // Typed again as shown, it stands for the same (0 and 4 both mean no
    // point, so the bytes may differ there).
    const auto again = kz827::ParseLimit(shown, q, &error);
    FUZZ_CHECK(again && kz827::LimitText(*again, q) == shown);
}

} // namespace

int FuzzFields(const std::uint8_t *data, std::size_t size)
{
    Input in(data, size);
    const int codec = in.Byte() % 9;
    const std::uint8_t choice = in.Byte();
    QString error;
    switch (codec) {
    case 0: {
        const Block &b = Tables()[choice % Tables().size()];
        CheckStable(b.table, Texts(in, b.table.size()), b.bytes);
        break;
    }
    case 1: {
        const Block &b = SinglePhaseBlocks()[choice % SinglePhaseBlocks().size()];
        CheckStable(b.table, Texts(in, b.table.size()), b.bytes, "singlephase.encoded");
        break;
    }
    case 2:
        while (!in.Empty()) {
            const QString text = in.Text();
            if (const auto v = fields::ParseInteger(text, &error)) {
                if (*v != std::numeric_limits<qint64>::max() && *v != -std::numeric_limits<qint64>::max())
                    FUZZ_CHECK(fields::ParseInteger(QString::number(*v)) == v);
            } else {
                FUZZ_CHECK(error.contains(QLatin1String("is not a valid integer value")));
            }
            if (const auto ms = polling::Interval(text, std::nullopt, &error))
                FUZZ_CHECK(*ms >= 1 && *ms <= polling::kMaxIntervalMs);
        }
        break;
    case 3:
        while (!in.Empty()) {
            const QString text = in.Text();
            const auto bcd = fields::PutBcdLimit(text, QStringLiteral("c"), &error);
            if (bcd) {
                FUZZ_CHECK(bcd->decimals <= 4);
                QByteArray record;
                for (int b : {int(bcd->high), int(bcd->low), 0, int(bcd->decimals)})
                    record.append(static_cast<char>(b));
                (void)fields::BcdLimitText(record);
            }
            if (const auto s = fields::PutSignedLimit(text, QStringLiteral("c"), &error)) {
                const auto v = static_cast<std::int16_t>(s->high << 8 | s->low);
                FUZZ_CHECK(v >= -9999 && v <= 9999 && s->decimals <= 4);
            }
            if (const auto l = fields::PutShortLimit(text, &error)) {
                const auto v = static_cast<std::int16_t>(l->high << 8 | l->low);
                FUZZ_CHECK(v >= -9999 && v <= 9999 && l->decimals <= 4);
            }
        }
        break;
    case 4:
        while (!in.Empty()) {
            const QString text = in.Text();
            for (const energybase::Base *base : {&energybase::kActiveBase, &energybase::kReactiveBase}) {
                const auto field = energybase::EncodeBase(text, *base, &error);
                if (!field)
                    continue;
                Reached("fields.base");
                FUZZ_CHECK(field->size() == 4 && static_cast<std::uint8_t>(field->at(3)) <= 99);
            }
        }
        break;
    case 5:
    case 6: {
        const auto q = static_cast<kz827::Quantity>(choice % 3);
        if (codec == 5) {
            while (!in.Empty())
                Kz827Limit(in.Text(), q);
            break;
        }
        // The whole alarm block from typed texts: what goes down comes back
        // up as the same settings.
        kz827::AlarmSettings s;
        for (kz827::AlarmQuantity &a : s) {
            a.upper = in.Text();
            a.upperHysteresis = in.Text();
            a.lower = in.Text();
            a.lowerHysteresis = in.Text();
            a.upperRelay = in.Byte();
            a.lowerRelay = in.Byte();
            const std::uint8_t enables = in.Byte();
            a.upperEnabled = enables & 1;
            a.lowerEnabled = enables & 2;
        }
        const auto down = kz827::EncodeAlarms(s, &error);
        if (!down)
            break;
        Reached("fields.kz827alarms");
        FUZZ_CHECK(down->size() == kz827::kAlarmBytes);
        // Decimal position 0 and 4 both mean no point: compared as shown.
        const kz827::AlarmSettings shown = kz827::DecodeAlarms(*down);
        const auto again = kz827::EncodeAlarms(shown, &error);
        FUZZ_CHECK(again && SameAlarms(kz827::DecodeAlarms(*again), shown));
        break;
    }
    case 7: {
        kz827::RangeSettings s;
        s.voltageUnit = static_cast<std::int8_t>(in.Byte());
        s.currentUnit = static_cast<std::int8_t>(in.Byte());
        s.powerUnit = static_cast<std::int8_t>(in.Byte());
        s.voltageRatio = in.Text();
        s.currentRatio = in.Text();
        const auto down = kz827::EncodeRange(s, &error);
        if (!down)
            break;
        Reached("fields.kz827range");
        const auto again = kz827::EncodeRange(kz827::DecodeRange(*down), &error);
        FUZZ_CHECK(again && *again == *down);
        break;
    }
    default: {
        // The register codecs on raw bytes.
        const QByteArray raw = in.Rest();
        for (qsizetype i = 0; i + 1 < raw.size(); i += 2) {
            const auto hi = static_cast<std::uint8_t>(raw.at(i));
            const auto lo = static_cast<std::uint8_t>(raw.at(i + 1));
            FUZZ_CHECK(BcdToInt(hi, lo).toInt() == BcdValue(hi, lo));
            const QByteArray bcd = IntToBcdBytes(static_cast<std::uint16_t>(hi << 8 | lo));
            FUZZ_CHECK(bcd.size() == 2 && BcdValue(static_cast<std::uint8_t>(bcd.at(0)),
                                                   static_cast<std::uint8_t>(bcd.at(1))) == std::min(hi << 8 | lo, 9999));
            (void)HexPairToByte(raw.at(i), raw.at(i + 1));
            const double value = static_cast<std::int16_t>(hi << 8 | lo) / 7.0;
            (void)ScaledText(value, lo & 1, hi % 5, lo % 5, "V", "KV");
        }
        QByteArray rest = raw;
        while (!rest.isEmpty())
            (void)DecimalWordText(rest);
        break;
    }
    }
    return 0;
}

} // namespace fuzz
