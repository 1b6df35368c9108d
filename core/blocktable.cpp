#include "core/blocktable.h"

#include "core/energybase.h"
#include "core/tr.h"

#include <QStringList>

namespace backup {

QString ItemRange(const char *items)
{
    const QStringList list = QString::fromUtf8(items ? items : "").split(QLatin1Char('|'));
    return kz::Tr(QT_TRANSLATE_NOOP("kz", "0..%1（%2）")).arg(list.size() - 1).arg(list.join(QStringLiteral(", ")));
}

namespace {

QString Allowed(const fields::Field &f)
{
    using fields::Kind;
    switch (f.kind) {
    case Kind::Bit:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "0 或 1"));
    case Kind::RadioBit:
    case Kind::RadioFlag:
    case Kind::RadioWord:
    case Kind::RadioIndex:
    case Kind::ComboByte:
    case Kind::ComboBcd:
        return ItemRange(f.items);
    case Kind::BcdSpin:
    case Kind::BcdByteSpin:
    case Kind::BcdText:
    case Kind::ByteSpin:
    case Kind::WordSpin:
    case Kind::WordText:
        return QStringLiteral("0..%1").arg(f.max);
    case Kind::BcdLimit:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "0..9999，至多四位数字，至多 3 位小数"));
    case Kind::SignedLimit:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "-9999..9999，至多四位数字，至多 4 位小数"));
    case Kind::ShortLimit:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "-9999..9999，至多五个字符"));
    }
    return {};
}

QList<FieldName> NamesOf(fields::Table table)
{
    QList<FieldName> names;
    for (const fields::Field &f : table)
        names.append({QString::fromUtf8(f.object), QString::fromUtf8(f.caption), Allowed(f),
                      f.hint ? QString::fromUtf8(f.hint) : QString()});
    return names;
}

} // namespace

Block TableBlock(const QString &key, const QString &title, std::uint16_t first, std::uint16_t count,
                 fields::Table table)
{
    const int bytes = count * 2;
    Block b{key, title, first, count, bytes, true, NamesOf(table), {}, {}};
    b.decode = [table](const QByteArray &data) { return fields::Decode(table, data); };
    b.encode = [table, bytes](const fields::Values &values) { return fields::Encode(table, values, bytes); };
    return b;
}

Block EnergyBasesBlock(std::uint16_t first, std::uint16_t count)
{
    const QString kEnergyRange = kz::Tr(QT_TRANSLATE_NOOP("kz", "0..16777215.99，至多 2 位小数"));
    Block b{QStringLiteral("energy-bases"), QStringLiteral("电能底数"), first, count, 16, false,
            {{QStringLiteral("LabeledEdit3"), QString::fromUtf8(energybase::kActiveBase.caption), kEnergyRange},
             {QStringLiteral("LabeledEdit4"), QString::fromUtf8(energybase::kReactiveBase.caption), kEnergyRange}},
            {}, {}};
    b.decode = [](const QByteArray &data) {
        const auto texts = energybase::DecodeBases(data);
        return fields::Values{texts[0], texts[1]};
    };
    b.encode = [](const fields::Values &values) { return energybase::EncodeBases(values.value(0), values.value(1)); };
    // Written as two 4-byte fields: the integer part in 3 bytes, the hundredths in 1.
    b.decodeWritten = [](const QByteArray &data) {
        fields::Values v;
        int at = 0;
        for (const energybase::Base *base : {&energybase::kActiveBase, &energybase::kReactiveBase}) {
            const auto byte = [&](int i) { return static_cast<std::uint8_t>(data.at(at + i)); };
            if (at + 4 <= data.size())
                v << QStringLiteral("%1.%2%3")
                         .arg(byte(0) << 16 | byte(1) << 8 | byte(2))
                         .arg(byte(3), 2, 10, QLatin1Char('0'))
                         .arg(QString::fromUtf8(base->unit));
            at += 4;
        }
        return v;
    };
    return b;
}

QList<Block> TableBlocks(std::initializer_list<TableSpec> tables, Block energyBases)
{
    QList<Block> blocks;
    for (const TableSpec &t : tables)
        blocks.append(TableBlock(QString::fromLatin1(t.key), QString::fromUtf8(t.title), t.first, t.count, t.table));
    blocks.append(std::move(energyBases));
    return blocks;
}

const Block *FindIn(const QList<Block> &blocks, const QString &key)
{
    for (const Block &b : blocks)
        if (b.key == key)
            return &b;
    return nullptr;
}

} // namespace backup
