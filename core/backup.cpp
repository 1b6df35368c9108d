#include "core/backup.h"

#include "core/jsonfile.h"
#include "core/wholefile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cctype>
#include <cmath>

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
    return jsonfile::ReadObject(path, kMaxFileBytes, error);
}

// What a JSON value is, for a message: "the number 220", "the text "1"".
QString Describe(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Double: return QStringLiteral("the number %1").arg(QString::number(v.toDouble(), 'g', 15));
    case QJsonValue::String: // a long text is cut: the message is one line
        return QStringLiteral("the text \"%1\"")
            .arg(v.toString().size() > 40 ? v.toString().left(40) + QStringLiteral("…") : v.toString());
    case QJsonValue::Bool: return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Null: return QStringLiteral("null");
    case QJsonValue::Array: return v.toArray().isEmpty() ? QStringLiteral("an empty list") : QStringLiteral("a list");
    case QJsonValue::Object: return QStringLiteral("an object");
    case QJsonValue::Undefined: break;
    }
    return QStringLiteral("nothing");
}

// "where: expected what, got the number 220" in *error.
std::nullopt_t Expected(const QString &where, const QString &what, const QJsonValue &got, QString *error)
{
    *error = QStringLiteral("%1: expected %2, got %3").arg(where, what, Describe(got));
    return std::nullopt;
}

// Register bytes as written: pairs of hex digits, apart or together.
bool HexText(const QString &text)
{
    for (const QString &pair : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (pair.size() % 2 != 0 || !std::all_of(pair.begin(), pair.end(), [](QChar c) {
                return c.unicode() < 128 && std::isxdigit(c.unicode()) != 0;
            }))
            return false;
    return true;
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
    const QJsonValue version = document.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toDouble() != 1)
        return Expected(QStringLiteral("version"), QStringLiteral("1, the only version this program reads"), version,
                        error);
    const QJsonValue familyName = document.value(QStringLiteral("family"));
    const auto family = ParseFamily(familyName.toString());
    if (!family) {
        *error = familyName.isString() ? QStringLiteral("unknown family '%1'").arg(familyName.toString())
                                       : QStringLiteral("family: expected a family such as \"three-phase\", got %1")
                                             .arg(Describe(familyName));
        return std::nullopt;
    }
    // Only a meter's own address: a number taken modulo 256, or a text or
    // fraction read as 0, would send the settings to another meter or to
    // every meter at once (0 is the broadcast address).
    const QJsonValue address = document.value(QStringLiteral("address"));
    const double a = address.toDouble();
    if (!address.isDouble() || a != std::floor(a) || a < kFirstAddress || a > kLastAddress) {
        *error = QStringLiteral("address: expected a meter address, a whole number from %1 to %2, got %3")
                     .arg(kFirstAddress)
                     .arg(kLastAddress)
                     .arg(Describe(address));
        return std::nullopt;
    }
    const QJsonValue blockList = document.value(QStringLiteral("blocks"));
    if (!blockList.isArray() || blockList.toArray().isEmpty())
        return Expected(QStringLiteral("blocks"), QStringLiteral("a list of at least one block"), blockList, error);
    Backup backup;
    backup.family = *family;
    backup.address = int(a);
    const QList<Block> &list = catalog(*family);
    backup.raw.resize(list.size());
    backup.values.resize(list.size());
    const QJsonArray blocks = blockList.toArray();
    QList<bool> seen(list.size(), false);
    for (qsizetype n = 0; n < blocks.size(); ++n) {
        const QString where = QStringLiteral("blocks[%1]").arg(n);
        if (!blocks[n].isObject())
            return Expected(where, QStringLiteral("an object"), blocks[n], error);
        const QJsonObject o = blocks[n].toObject();
        const QJsonValue name = o.value(QStringLiteral("block"));
        if (!name.isString())
            return Expected(where + QStringLiteral(".block"), QStringLiteral("a block name such as \"%1\"").arg(list[0].key),
                            name, error);
        const QString key = name.toString();
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
        if (seen[index]) {
            *error = QStringLiteral("block '%1' is given twice").arg(key);
            return std::nullopt;
        }
        seen[index] = true;
        const Block &b = list[index];
        const QJsonValue registers = o.value(QStringLiteral("registers"));
        if (!registers.isString() || !HexText(registers.toString()))
            return Expected(QStringLiteral("block %1: registers").arg(key),
                            QStringLiteral("hex bytes such as \"0a 1b\""), registers, error);
        const QByteArray raw = QByteArray::fromHex(registers.toString().toLatin1());
        if (raw.size() != b.readBytes) {
            *error = QStringLiteral("block %1: %2 register bytes, expected %3").arg(key).arg(raw.size()).arg(b.readBytes);
            return std::nullopt;
        }
        fields::Values values = b.decode(raw);
        const QJsonValue fieldList = o.value(QStringLiteral("fields"));
        if (!fieldList.isUndefined() && !fieldList.isArray())
            return Expected(QStringLiteral("block %1: fields").arg(key), QStringLiteral("a list of fields"), fieldList,
                            error);
        QList<bool> given(b.names.size(), false);
        for (const QJsonValue &f : fieldList.toArray()) {
            const QJsonValue fieldName = f.toObject().value(QStringLiteral("name"));
            if (!f.isObject() || !fieldName.isString())
                return Expected(QStringLiteral("block %1: fields").arg(key),
                                QStringLiteral("objects with a \"name\" and a \"value\""), f.isObject() ? fieldName : f,
                                error);
            const int k = b.Find(fieldName.toString());
            if (k < 0) {
                *error = QStringLiteral("block %1 has no field '%2'").arg(key, fieldName.toString());
                return std::nullopt;
            }
            const QString field = QStringLiteral("%1/%2 (%3)").arg(key, b.names[k].object, b.names[k].caption);
            if (given[k]) {
                *error = QStringLiteral("%1 is given twice").arg(field);
                return std::nullopt;
            }
            given[k] = true;
            const QJsonValue value = f.toObject().value(QStringLiteral("value"));
            if (!value.isString())
                return Expected(field, QStringLiteral("a text such as \"%1\"").arg(values.value(k)), value, error);
            values[k] = value.toString();
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
    if (address < kFirstAddress || address > kLastAddress) {
        *error = QStringLiteral("a backup is of one meter, at an address from %1 to %2, not %3")
                     .arg(kFirstAddress)
                     .arg(kLastAddress)
                     .arg(address);
        return false;
    }
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
