#include "core/backup.h"

#include "core/wholefile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

namespace backup {
namespace {

// A typed number in one form for comparing: sign, integer digits without
// leading zeros, fraction digits without trailing zeros; then its unit
// (what follows the last digit or point: "V", "KW/h"). Nothing when the text is not such a number.
std::optional<std::pair<QString, QString>> NumberAndUnit(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && !text[end - 1].isDigit() && text[end - 1] != QLatin1Char('.'))
        --end;
    const QString unit = text.mid(end);
    QString body = text.left(end);
    bool negative = false;
    if (body.startsWith(QLatin1Char('-')) || body.startsWith(QLatin1Char('+'))) {
        negative = body[0] == QLatin1Char('-');
        body.remove(0, 1);
    }
    const qsizetype point = body.indexOf(QLatin1Char('.'));
    QString integer = point < 0 ? body : body.left(point);
    QString fraction = point < 0 ? QString() : body.mid(point + 1);
    const auto digits = [](const QString &t) {
        return std::all_of(t.begin(), t.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    };
    if (integer.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    if (!digits(integer) || !digits(fraction))
        return std::nullopt;
    while (integer.startsWith(QLatin1Char('0')))
        integer.remove(0, 1);
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (integer.isEmpty())
        integer = QStringLiteral("0");
    QString number = fraction.isEmpty() ? integer : integer + QLatin1Char('.') + fraction;
    if (negative && number != QLatin1String("0"))
        number.prepend(QLatin1Char('-'));
    return std::make_pair(number, unit);
}

// True when the field, given wanted, holds it: written gives it back.
bool Holds(const QString &wanted, const QString &written)
{
    if (wanted == written)
        return true;
    const auto a = NumberAndUnit(wanted);
    const auto b = NumberAndUnit(written);
    return a && b && a->first == b->first && (a->second.isEmpty() || a->second == b->second);
}

} // namespace

fields::Encoded EncodeExact(const Block &block, const fields::Values &values)
{
    fields::Encoded e = block.encode(values);
    int field = e.field;
    QString written;
    if (e.ok()) {
        const fields::Values back = block.decodeWritten ? block.decodeWritten(e.data) : block.decode(e.data);
        for (qsizetype k = 0; k < block.names.size() && field < 0; ++k)
            if (!Holds(values.value(k), back.value(k))) {
                field = int(k);
                written = back.value(k);
            }
        if (field < 0)
            return e;
    }
    fields::Encoded out;
    out.field = field;
    if (field < 0 || field >= block.names.size()) { // a refusal of the block as a whole
        out.error = QStringLiteral("%1: %2").arg(block.key, e.error);
        return out;
    }
    const FieldName &n = block.names[field];
    QString what = e.ok() ? QStringLiteral("'%1' would be written as '%2'").arg(values.value(field), written)
                          : QStringLiteral("'%1' is refused: %2").arg(values.value(field), e.error);
    what += QStringLiteral("; allowed: %1").arg(n.allowed);
    if (!n.hint.isEmpty())
        what += QStringLiteral(" (the window: %1)").arg(n.hint);
    out.error = QStringLiteral("%1/%2 (%3): %4").arg(block.key, n.object, n.caption, what);
    return out;
}

int Block::Find(const QString &name) const
{
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names[i].object == name || names[i].caption == name)
            return int(i);
    return -1;
}

namespace {

QString Hex(const QByteArray &data) { return QString::fromLatin1(data.toHex(' ')); }

QJsonObject BlockObject(const Block &b, const QByteArray &data)
{
    const fields::Values values = b.decode(data);
    QJsonArray fieldArray;
    for (qsizetype k = 0; k < b.names.size(); ++k)
        fieldArray.append(QJsonObject{{QStringLiteral("name"), b.names[k].object},
                                      {QStringLiteral("caption"), b.names[k].caption},
                                      {QStringLiteral("value"), values.value(k)}});
    return QJsonObject{{QStringLiteral("block"), b.key},
                       {QStringLiteral("title"), b.title},
                       {QStringLiteral("first"), QStringLiteral("0x%1").arg(b.first, 4, 16, QLatin1Char('0'))},
                       {QStringLiteral("count"), b.count},
                       {QStringLiteral("restore"), b.restorable},
                       {QStringLiteral("registers"), Hex(data)},
                       {QStringLiteral("fields"), fieldArray}};
}

std::optional<QJsonObject> ReadDocument(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > kMaxFileBytes) {
        *error = QStringLiteral("%1: %2 bytes is too large for a backup (at most %3)")
                     .arg(path)
                     .arg(file.size())
                     .arg(kMaxFileBytes);
        return std::nullopt;
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parse);
    if (!doc.isObject()) {
        *error = QStringLiteral("%1: not a JSON object (%2)").arg(path, parse.errorString());
        return std::nullopt;
    }
    return doc.object();
}

} // namespace

std::optional<QList<QByteArray>> EncodeForRestore(Catalog catalog, const Backup &backup, QStringList *refusals)
{
    const QList<Block> &list = catalog(backup.family);
    QList<QByteArray> data(list.size());
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (!list[i].restorable || backup.values.value(i).isEmpty())
            continue;
        const fields::Encoded e = EncodeExact(list[i], backup.values[i]);
        if (!e.ok())
            *refusals << e.error;
        data[i] = e.data;
    }
    if (!refusals->isEmpty())
        return std::nullopt;
    return data;
}

QJsonObject Document(Catalog catalog, Family family, int address, const QList<QByteArray> &data)
{
    QJsonArray blocks;
    const QList<Block> &list = catalog(family);
    for (qsizetype i = 0; i < list.size() && i < data.size(); ++i)
        if (!data[i].isEmpty())
            blocks.append(BlockObject(list[i], data[i]));
    return QJsonObject{{QStringLiteral("format"), QStringLiteral("kzctl-backup")},
                       {QStringLiteral("version"), 1},
                       {QStringLiteral("family"), FamilyName(family)},
                       {QStringLiteral("address"), address},
                       {QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
                       {QStringLiteral("blocks"), blocks}};
}

std::optional<Backup> Parse(Catalog catalog, const QJsonObject &document, QString *error)
{
    if (document.value(QStringLiteral("format")).toString() != QLatin1String("kzctl-backup")) {
        *error = QStringLiteral("not a kzctl backup");
        return std::nullopt;
    }
    const auto family = ParseFamily(document.value(QStringLiteral("family")).toString());
    if (!family) {
        *error = QStringLiteral("unknown family '%1'").arg(document.value(QStringLiteral("family")).toString());
        return std::nullopt;
    }
    Backup backup;
    backup.family = *family;
    backup.address = document.value(QStringLiteral("address")).toInt();
    const QList<Block> &list = catalog(*family);
    backup.raw.resize(list.size());
    backup.values.resize(list.size());
    for (const QJsonValue &v : document.value(QStringLiteral("blocks")).toArray()) {
        const QJsonObject o = v.toObject();
        const QString key = o.value(QStringLiteral("block")).toString();
        qsizetype index = -1;
        for (qsizetype i = 0; i < list.size(); ++i)
            if (list[i].key == key)
                index = i;
        if (index < 0) {
            *error = QStringLiteral("unknown block '%1'").arg(key);
            for (Family other : {Family::ThreePhase, Family::SinglePhase, Family::Kz827})
                if (other != *family && std::any_of(catalog(other).begin(), catalog(other).end(),
                                                    [&](const Block &b) { return b.key == key; })) {
                    *error = QStringLiteral("the file's family (%1) and its blocks disagree: block '%2' is a %3 block")
                                 .arg(FamilyName(*family), key, FamilyName(other));
                    break;
                }
            return std::nullopt;
        }
        const Block &b = list[index];
        const QByteArray raw = QByteArray::fromHex(o.value(QStringLiteral("registers")).toString().toLatin1());
        if (raw.size() != b.readBytes) {
            *error = QStringLiteral("block %1: %2 register bytes, expected %3").arg(key).arg(raw.size()).arg(b.readBytes);
            return std::nullopt;
        }
        fields::Values values = b.decode(raw);
        for (const QJsonValue &f : o.value(QStringLiteral("fields")).toArray()) {
            const QString name = f.toObject().value(QStringLiteral("name")).toString();
            const int k = b.Find(name);
            if (k < 0) {
                *error = QStringLiteral("block %1 has no field '%2'").arg(key, name);
                return std::nullopt;
            }
            values[k] = f.toObject().value(QStringLiteral("value")).toString();
        }
        backup.raw[index] = raw;
        backup.values[index] = values;
    }
    return backup;
}

std::optional<Backup> Load(Catalog catalog, const QString &path, QString *error)
{
    const auto doc = ReadDocument(path, error);
    if (!doc)
        return std::nullopt;
    auto backup = Parse(catalog, *doc, error);
    if (!backup)
        *error = QStringLiteral("%1: %2").arg(path, *error);
    return backup;
}

QList<Difference> Compare(Catalog catalog, const Backup &a, const Backup &b)
{
    if (a.family != b.family)
        return {{QStringLiteral("family"), {}, {}, FamilyName(a.family), FamilyName(b.family)}};
    QList<Difference> out;
    const QList<Block> &list = catalog(a.family);
    for (qsizetype i = 0; i < list.size(); ++i) {
        const Block &blk = list[i];
        const bool inA = !a.values.value(i).isEmpty();
        const bool inB = !b.values.value(i).isEmpty();
        if (inA != inB) {
            out.append({blk.key, {}, blk.title, inA ? QStringLiteral("only in the first") : QString(),
                        inB ? QStringLiteral("only in the second") : QString()});
            continue;
        }
        for (qsizetype k = 0; inA && k < blk.names.size(); ++k)
            if (a.values[i].value(k) != b.values[i].value(k))
                out.append({blk.key, blk.names[k].object, blk.names[k].caption, a.values[i].value(k),
                            b.values[i].value(k)});
    }
    return out;
}

QStringList Differences(Catalog catalog, const Backup &a, const Backup &b)
{
    QStringList lines;
    for (const Difference &d : Compare(catalog, a, b)) {
        if (!d.object.isEmpty())
            lines << QStringLiteral("%1/%2 (%3): %4 -> %5").arg(d.block, d.object, d.caption, d.first, d.second);
        else if (d.caption.isEmpty()) // the families
            lines << QStringLiteral("%1: %2 -> %3").arg(d.block, d.first, d.second);
        else
            lines << QStringLiteral("%1: %2").arg(d.block, d.first.isEmpty() ? d.second : d.first);
    }
    return lines;
}

bool SaveBlocks(Catalog catalog, const QString &path, Family family, int address, const QList<QByteArray> &data,
                QString *error)
{
    const QList<Block> &list = catalog(family);
    // The blocks of the file already there, as they stand in it: a value
    // edited in the file by hand stays as it is.
    QList<QJsonObject> kept(list.size());
    if (QFileInfo::exists(path)) {
        QString why;
        const auto doc = ReadDocument(path, &why);
        const auto old = doc ? Parse(catalog, *doc, &why) : std::nullopt;
        if (!old) {
            *error = QStringLiteral("%1 is there and is no backup file; it is left as it is (%2)").arg(path, why);
            return false;
        }
        if (old->family != family || old->address != address) {
            *error = QStringLiteral("%1 holds the settings of %2 meter %3, not of %4 meter %5; it is left as it is")
                         .arg(path, FamilyName(old->family))
                         .arg(old->address)
                         .arg(FamilyName(family))
                         .arg(address);
            return false;
        }
        for (const QJsonValue &v : doc->value(QStringLiteral("blocks")).toArray())
            for (qsizetype i = 0; i < list.size(); ++i)
                if (list[i].key == v.toObject().value(QStringLiteral("block")).toString())
                    kept[i] = v.toObject();
    }
    QJsonObject document = Document(catalog, family, address, {});
    QJsonArray blocks;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i < data.size() && !data[i].isEmpty())
            blocks.append(BlockObject(list[i], data[i]));
        else if (!kept[i].isEmpty())
            blocks.append(kept[i]);
    }
    document.insert(QStringLiteral("blocks"), blocks);
    return WriteWholeFile(path, QJsonDocument(document).toJson(QJsonDocument::Indented), error);
}

} // namespace backup
