#include "core/backup.h"

#include "core/jsonfile.h"
#include "core/wholefile.h"
#include "core/tr.h"

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
        out.error = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1：%2")).arg(block.key, e.error);
        return out;
    }
    const FieldName &n = block.names[field];
    QString what = e.ok() ? kz::Tr(QT_TRANSLATE_NOOP("kz", "“%1”会被写成“%2”")).arg(values.value(field), written)
                          : kz::Tr(QT_TRANSLATE_NOOP("kz", "“%1”不被接受：%2")).arg(values.value(field), e.error);
    what += kz::Tr(QT_TRANSLATE_NOOP("kz", "；允许：%1")).arg(n.allowed);
    if (!n.hint.isEmpty())
        what += kz::Tr(QT_TRANSLATE_NOOP("kz", "（窗口中：%1）")).arg(n.hint);
    out.error = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1/%2（%3）：%4")).arg(block.key, n.object, n.caption, what);
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
    case QJsonValue::Double: return kz::Tr(QT_TRANSLATE_NOOP("kz", "数值 %1")).arg(QString::number(v.toDouble(), 'g', 15));
    case QJsonValue::String: // a long text is cut: the message is one line
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "文本“%1”"))
            .arg(v.toString().size() > 40 ? v.toString().left(40) + QStringLiteral("…") : v.toString());
    case QJsonValue::Bool: return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Null: return QStringLiteral("null");
    case QJsonValue::Array: return v.toArray().isEmpty() ? kz::Tr(QT_TRANSLATE_NOOP("kz", "空列表")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "列表"));
    case QJsonValue::Object: return kz::Tr(QT_TRANSLATE_NOOP("kz", "对象"));
    case QJsonValue::Undefined: break;
    }
    return kz::Tr(QT_TRANSLATE_NOOP("kz", "（缺少）"));
}

// "where: expected what, got the number 220" in *error.
std::nullopt_t Expected(const QString &where, const QString &what, const QJsonValue &got, QString *error)
{
    *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1：应为%2，实为%3")).arg(where, what, Describe(got));
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
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "不是 kzctl 备份文件"));
        return std::nullopt;
    }
    const QJsonValue version = document.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toDouble() != 1)
        return Expected(QStringLiteral("version"), kz::Tr(QT_TRANSLATE_NOOP("kz", " 1（本程序只读取这一版本）")), version,
                        error);
    const QJsonValue familyName = document.value(QStringLiteral("family"));
    const auto family = ParseFamily(familyName.toString());
    if (!family) {
        *error = familyName.isString() ? kz::Tr(QT_TRANSLATE_NOOP("kz", "未知的仪表类型“%1”")).arg(familyName.toString())
                                       : kz::Tr(QT_TRANSLATE_NOOP("kz", "family：应为仪表类型，如“three-phase”，实为%1"))
                                             .arg(Describe(familyName));
        return std::nullopt;
    }
    // Only a meter's own address: a number taken modulo 256, or a text or
    // fraction read as 0, would send the settings to another meter or to
    // every meter at once (0 is the broadcast address).
    const QJsonValue address = document.value(QStringLiteral("address"));
    const double a = address.toDouble();
    if (!address.isDouble() || a != std::floor(a) || a < kFirstAddress || a > kLastAddress) {
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "address：应为仪表地址，即 %1 到 %2 的整数，实为%3"))
                     .arg(kFirstAddress)
                     .arg(kLastAddress)
                     .arg(Describe(address));
        return std::nullopt;
    }
    const QJsonValue blockList = document.value(QStringLiteral("blocks"));
    if (!blockList.isArray() || blockList.toArray().isEmpty())
        return Expected(QStringLiteral("blocks"), kz::Tr(QT_TRANSLATE_NOOP("kz", "至少含一个数据块的列表")), blockList, error);
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
            return Expected(where, kz::Tr(QT_TRANSLATE_NOOP("kz", "对象")), blocks[n], error);
        const QJsonObject o = blocks[n].toObject();
        const QJsonValue name = o.value(QStringLiteral("block"));
        if (!name.isString())
            return Expected(where + QStringLiteral(".block"), kz::Tr(QT_TRANSLATE_NOOP("kz", "数据块名称，如“%1”")).arg(list[0].key),
                            name, error);
        const QString key = name.toString();
        qsizetype index = -1;
        for (qsizetype i = 0; i < list.size(); ++i)
            if (list[i].key == key)
                index = i;
        if (index < 0) {
            *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "未知的数据块“%1”")).arg(key);
            for (Family other : {Family::ThreePhase, Family::SinglePhase, Family::Kz827})
                if (other != *family && std::any_of(catalog(other).begin(), catalog(other).end(),
                                                    [&](const Block &b) { return b.key == key; })) {
                    *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "文件的仪表类型（%1）与其数据块不符：数据块“%2”属于 %3"))
                                 .arg(FamilyName(*family), key, FamilyName(other));
                    break;
                }
            return std::nullopt;
        }
        if (seen[index]) {
            *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "数据块“%1”出现了两次")).arg(key);
            return std::nullopt;
        }
        seen[index] = true;
        const Block &b = list[index];
        const QJsonValue registers = o.value(QStringLiteral("registers"));
        if (!registers.isString() || !HexText(registers.toString()))
            return Expected(kz::Tr(QT_TRANSLATE_NOOP("kz", "数据块 %1：registers")).arg(key),
                            kz::Tr(QT_TRANSLATE_NOOP("kz", "十六进制字节，如“0a 1b”")), registers, error);
        const QByteArray raw = QByteArray::fromHex(registers.toString().toLatin1());
        if (raw.size() != b.readBytes) {
            *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "数据块 %1：寄存器数据 %2 字节，应为 %3 字节")).arg(key).arg(raw.size()).arg(b.readBytes);
            return std::nullopt;
        }
        fields::Values values = b.decode(raw);
        const QJsonValue fieldList = o.value(QStringLiteral("fields"));
        if (!fieldList.isUndefined() && !fieldList.isArray())
            return Expected(kz::Tr(QT_TRANSLATE_NOOP("kz", "数据块 %1：fields")).arg(key), kz::Tr(QT_TRANSLATE_NOOP("kz", "字段列表")), fieldList,
                            error);
        QList<bool> given(b.names.size(), false);
        for (const QJsonValue &f : fieldList.toArray()) {
            const QJsonValue fieldName = f.toObject().value(QStringLiteral("name"));
            if (!f.isObject() || !fieldName.isString())
                return Expected(kz::Tr(QT_TRANSLATE_NOOP("kz", "数据块 %1：fields")).arg(key),
                                kz::Tr(QT_TRANSLATE_NOOP("kz", "含“name”和“value”的对象")), f.isObject() ? fieldName : f,
                                error);
            const int k = b.Find(fieldName.toString());
            if (k < 0) {
                *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "数据块 %1 没有字段“%2”")).arg(key, fieldName.toString());
                return std::nullopt;
            }
            const QString field = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1/%2（%3）")).arg(key, b.names[k].object, b.names[k].caption);
            if (given[k]) {
                *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 出现了两次")).arg(field);
                return std::nullopt;
            }
            given[k] = true;
            const QJsonValue value = f.toObject().value(QStringLiteral("value"));
            if (!value.isString())
                return Expected(field, kz::Tr(QT_TRANSLATE_NOOP("kz", "文本，如“%1”")).arg(values.value(k)), value, error);
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
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1：%2")).arg(path, *error);
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
            lines << kz::Tr(QT_TRANSLATE_NOOP("kz", "%1：%2")).arg(d.block, d.first.isEmpty() ? d.second : d.first);
    }
    return lines;
}

bool SaveBlocks(Catalog catalog, const QString &path, Family family, int address, const QList<QByteArray> &data,
                QString *error)
{
    if (address < kFirstAddress || address > kLastAddress) {
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "备份文件只属于一台仪表，其地址为 %1 到 %2，不能是 %3"))
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
            *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 已存在且不是备份文件，未改动（%2）")).arg(path, why);
            return false;
        }
        if (old->family != family || old->address != address) {
            *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 存的是 %2 仪表 %3 的设置，不是 %4 仪表 %5 的，未改动"))
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
