#pragma once
// Register field tables: a settings block described as data. Each field is
// one control of a settings window (check box, radio group, spin box, edit
// or list) and says where its value lives in the block's data bytes and how
// it is encoded. One codec turns an upload into control values and control
// values into the download data, so a settings window is its table plus a
// few rules of its own. No widgets here; the controls are made elsewhere.
//
// Control values travel as texts, the same for every kind of control:
//   check box      "1" ticked, "0" clear
//   radio group    item index ("0" first item), "-1" none selected
//   list           item index, "-1" none selected
//   spin box, edit the text shown
#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>

namespace fields {

enum class Kind : std::uint8_t {
    Bit,         // check box: one bit of a word; inverted: 1 when clear
    RadioBit,    // two-item radio group: the bit is 1 when the first item is selected
    RadioFlag,   // two-item radio group: 0x0001 for the second item, else 0;
                 // read: a non-zero low byte selects the second item
    RadioWord,   // two-item radio group: value1 for the second item, value0
                 // otherwise; read: low byte value1 selects the second item
    BcdSpin,     // spin box: packed BCD word of the value, limited to max
    BcdByteSpin, // spin box: 0x00 and the value as two BCD digits, limited to max
    BcdText,     // edit: a whole number 0..max as a packed BCD word
    BcdLimit,    // edit: two registers, BCD digits then the number of decimals
    SignedLimit, // edit: two registers, signed word then the number of decimals
    ComboByte,   // list: 0x00 and the item index
    ComboBcd,    // list: 0x00 and the item index as two BCD digits
    ByteSpin,    // spin box: 0x00 and the value, limited to max; read: the low byte
    WordSpin,    // spin box: the value as an unsigned word, limited to max
    WordText,    // edit, empty at first: the value as an unsigned word, limited to max
    RadioIndex,  // radio group of any number of items: 0x00 and the item index
    ShortLimit,  // edit: two registers, signed word, 0x00 and the number of
                 // decimals, typed with at most five characters (PutShortLimit)
};

struct Field {
    const char *object = nullptr;  // object name of the control
    const char *caption = nullptr; // caption, and the control's accessible name
    Kind kind = Kind::Bit;
    std::uint16_t offset = 0; // first data byte of the field's register(s)
    std::uint8_t bit = 0;     // Bit, RadioBit: bit of the 16-bit word
    bool inverted = false;    // Bit: 1 when the box is clear
    int max = 0;              // spin boxes and edits: upper limit of the value
    const char *items = nullptr;   // radio groups and lists: items joined by '|'
    const char *factory = nullptr; // factory value as a control text; nullptr: none
    const char *text = nullptr;    // text shown, when it differs from the caption ("" for none)
    std::uint16_t value0 = 0;      // RadioWord: value of the first item
    std::uint16_t value1 = 1;      // RadioWord: value of the second item
    const char *hint = nullptr;    // what the window tells of the field's limit (its tool tip)

    // Data bytes the field occupies.
    constexpr int Width() const
    {
        return kind == Kind::BcdLimit || kind == Kind::SignedLimit || kind == Kind::ShortLimit ? 4 : 2;
    }
    constexpr bool IsTextEdit() const
    {
        return kind == Kind::BcdText || kind == Kind::BcdLimit || kind == Kind::SignedLimit ||
               kind == Kind::WordText || kind == Kind::ShortLimit;
    }
    constexpr bool IsBit() const { return kind == Kind::Bit || kind == Kind::RadioBit; }
};

using Table = std::span<const Field>;

// ---- Table rows ----
// A check box; text: what the box shows when not its caption ("" for none).
constexpr Field CheckBit(const char *object, const char *caption, int offset, int bit, const char *text = nullptr,
                         const char *factory = nullptr)
{
    return {.object = object, .caption = caption, .kind = Kind::Bit, .offset = std::uint16_t(offset),
            .bit = std::uint8_t(bit), .factory = factory, .text = text};
}
// A check box that clears its bit when ticked.
constexpr Field MaskBit(const char *object, const char *caption, int offset, int bit, const char *factory = nullptr)
{
    return {.object = object, .caption = caption, .kind = Kind::Bit, .offset = std::uint16_t(offset),
            .bit = std::uint8_t(bit), .inverted = true, .factory = factory};
}
constexpr Field Radio(const char *object, const char *caption, Kind kind, int offset, const char *items,
                      const char *factory = nullptr, int bit = 0)
{
    return {.object = object, .caption = caption, .kind = kind, .offset = std::uint16_t(offset),
            .bit = std::uint8_t(bit), .items = items, .factory = factory};
}
// A two-item radio group written as value0 or value1 (read: value1 selects
// the second item).
constexpr Field RadioValues(const char *object, const char *caption, int offset, const char *items, int value0,
                            int value1, const char *factory = nullptr)
{
    return {.object = object, .caption = caption, .kind = Kind::RadioWord, .offset = std::uint16_t(offset),
            .items = items, .factory = factory, .value0 = std::uint16_t(value0), .value1 = std::uint16_t(value1)};
}
// The same field showing another text than its caption on screen ("" for
// none): the caption stays its accessible name and its name in messages.
constexpr Field Shown(Field f, const char *text)
{
    f.text = text;
    return f;
}
// The same field with the window's hint on its limit ("数据大于99取值99").
constexpr Field Hinted(Field f, const char *hint)
{
    f.hint = hint;
    return f;
}
// A spin box, edit or list.
constexpr Field Value(const char *object, const char *caption, Kind kind, int offset, int max,
                      const char *factory = nullptr, const char *items = nullptr)
{
    return {.object = object, .caption = caption, .kind = kind, .offset = std::uint16_t(offset), .max = max,
            .items = items, .factory = factory};
}

// True when every field lies inside a block of that many data bytes and no
// two fields share a bit (bit fields) or a byte (all other fields). For
// static_assert over the tables.
constexpr bool FitsBlock(Table table, int bytes)
{
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Field &a = table[i];
        if (a.offset + a.Width() > bytes || (a.IsBit() && a.bit > 15))
            return false;
        for (std::size_t j = i + 1; j < table.size(); ++j) {
            const Field &b = table[j];
            const bool apart = a.offset + a.Width() <= b.offset || b.offset + b.Width() <= a.offset;
            if (apart)
                continue;
            if (!(a.IsBit() && b.IsBit() && a.offset == b.offset && a.bit != b.bit))
                return false;
        }
    }
    return true;
}

// Control values by field, in table order.
using Values = QList<QString>;

// The values the data bytes give, one per field; a field whose bytes are not
// all in data gets a null QString (its control keeps what it shows).
Values Decode(Table table, const QByteArray &data);

struct Encoded {
    QByteArray data;
    QString error; // for the user; empty when the values encoded
    int field = -1; // the field that was refused
    bool ok() const { return error.isEmpty(); }
};
// The data bytes of a block of the given size from the control values.
// Bytes no field covers are 0. A value that cannot be sent (not a number, a
// negative count, a list without a choice) is refused with a message.
Encoded Encode(Table table, const Values &values, int bytes);

// Factory values of the table (a null QString where a field has none).
Values FactoryValues(Table table);

// ---- Numbers typed by the user ----

// The whole number in text: an optional sign and decimal digits only, no
// blanks. Values beyond the 64-bit range saturate. Otherwise nothing, and
// error (when given) gets "'<text>' is not a valid integer value".
std::optional<qint64> ParseInteger(const QString &text, QString *error = nullptr);

// A limit typed with its decimal point: the two value bytes and the number of
// decimals. Unsigned limits keep at most 5 characters and are 0..9999 (a
// negative value is refused); signed limits keep 6 and are limited to
// -9999..9999. A leading "." is a fraction (".5" is 5 with one decimal).
struct Limit {
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    std::uint8_t decimals = 0;
};
std::optional<Limit> PutBcdLimit(const QString &text, const QString &caption, QString *error);
std::optional<Limit> PutSignedLimit(const QString &text, const QString &caption, QString *error);
// A limit of at most five characters, of which the cut drops only fraction
// digits: "220.5" is 2205 with 1 decimal, "1234.5" is 1234 with none, ".5"
// is 5 with 1, "-0.5" is -5 with 1. A value or an integer part beyond
// -9999..9999 is limited to that range ("99999" is 9999, "-12345" is
// -9999). Anything but an optional '-', digits and one point is refused
// with the toolkit's conversion message.
std::optional<Limit> PutShortLimit(const QString &text, QString *error);
// The text of a BCD limit record (4 bytes): the four digits (a nibble above
// 9 shows as 0) with the point placed by the decimals byte, leading zeros kept.
QString BcdLimitText(const QByteArray &record);

// Messages of refused values.
QString NegativeMessage(const QString &caption);
QString NoChoiceMessage(const QString &caption);

} // namespace fields
