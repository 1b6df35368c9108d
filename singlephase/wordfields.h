#pragma once
// Register fields of the single-phase settings blocks that the shared field
// codec has no kind for: plain binary numbers (a low byte or a whole word),
// a radio group of more than two items, and this family's limit record (a
// signed word, a zero byte and the number of decimals, typed with at most
// five characters). Same conventions as link/fields.h: control values are
// texts, a field whose bytes a reply lacks decodes to a null text, and a
// value that cannot be sent is refused with a message. Qt Core only.
#include "core/fields.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>

namespace singlephase::words {

enum class Kind : std::uint8_t {
    Byte,   // spin box: 0x00 and the value, limited to max
    Word,   // spin box or edit: the value as an unsigned word, limited to max
    Choice, // radio group: 0x00 and the item index; none selected is refused
    Limit,  // edit: signed word, 0x00, decimals (see ParseLimit)
};

struct Field {
    const char *object = nullptr;
    const char *caption = nullptr; // accessible name and name in messages
    Kind kind = Kind::Byte;
    std::uint16_t offset = 0;
    int max = 0;
    const char *items = nullptr;   // Choice: items joined by '|'
    const char *factory = nullptr; // factory value as a control text
    bool edit = false;             // Word: an edit rather than a spin box
    const char *text = nullptr;    // label shown, when it differs from the caption

    constexpr int Width() const { return kind == Kind::Limit ? 4 : 2; }
};
using Table = std::span<const Field>;

constexpr Field Byte(const char *object, const char *caption, int offset, int max, const char *factory = nullptr)
{
    return {.object = object, .caption = caption, .kind = Kind::Byte, .offset = std::uint16_t(offset), .max = max,
            .factory = factory};
}
constexpr Field Word(const char *object, const char *caption, int offset, int max, const char *factory = nullptr,
                     bool edit = false)
{
    return {.object = object, .caption = caption, .kind = Kind::Word, .offset = std::uint16_t(offset), .max = max,
            .factory = factory, .edit = edit};
}
constexpr Field Choice(const char *object, const char *caption, int offset, const char *items,
                       const char *factory = nullptr)
{
    return {.object = object, .caption = caption, .kind = Kind::Choice, .offset = std::uint16_t(offset),
            .items = items, .factory = factory};
}
constexpr Field LimitEdit(const char *object, const char *caption, int offset, const char *factory,
                          const char *text = nullptr)
{
    return {.object = object, .caption = caption, .kind = Kind::Limit, .offset = std::uint16_t(offset),
            .factory = factory, .text = text};
}
constexpr Field Labelled(Field f, const char *text)
{
    f.text = text;
    return f;
}

// True when every field lies inside the block and no two share a byte.
constexpr bool FitsBlock(Table table, int bytes)
{
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].offset + table[i].Width() > bytes)
            return false;
        for (std::size_t j = i + 1; j < table.size(); ++j)
            if (table[i].offset < table[j].offset + table[j].Width() && table[j].offset < table[i].offset + table[i].Width())
                return false;
    }
    return true;
}

fields::Values Decode(Table table, const QByteArray &data);
// Writes the fields over base (a block of data bytes); refused values give
// the message and the field index.
fields::Encoded Encode(Table table, const fields::Values &values, const QByteArray &base);
fields::Values FactoryValues(Table table);

// A limit typed by the user. At most five characters count, and the cut
// drops only fraction digits: "220.5" is 2205 with 1 decimal, "1234.5" is
// 1234 with none, ".5" is 5 with 1, "-0.5" is -5 with 1. A value or an
// integer part beyond -9999..9999 is limited to that range ("99999" is
// 9999, "-12345" is -9999). Anything but an optional '-', digits and one
// point is refused with the toolkit's conversion message.
struct ScaledLimit {
    std::int16_t value = 0;
    std::uint8_t decimals = 0;
};
std::optional<ScaledLimit> ParseLimit(const QString &text, QString *error);

// A settings block made of a shared field table and a table of these fields
// over the same data bytes.
struct Block {
    fields::Table table;
    Table words;
    int bytes;
};
fields::Encoded EncodeBlock(const Block &block, const fields::Values &tableValues, const fields::Values &wordValues);

} // namespace singlephase::words
