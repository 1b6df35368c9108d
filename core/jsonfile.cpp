#include "core/jsonfile.h"
#include "core/tr.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QList>
#include <QSet>
#include <algorithm>

namespace jsonfile {

std::optional<QByteArray> ReadBounded(const QString &path, qint64 maxBytes, QString *error)
{
    // The kind of file is asked before it is opened: opening a pipe for
    // reading waits for a writer. A link is followed to what it names.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        *error = info.isDir() ? kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 是文件夹，不是文件")).arg(path)
                              : kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 不是普通文件（而是设备、管道或套接字），只读取普通文件"))
                                    .arg(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "无法读取 %1：%2")).arg(path, file.errorString());
        return std::nullopt;
    }
    // One byte past the bound tells a file that is too large, whatever its
    // size says.
    QByteArray data;
    while (data.size() <= maxBytes) {
        const QByteArray chunk = file.read(std::min<qint64>(1 << 16, maxBytes + 1 - data.size()));
        if (chunk.isEmpty())
            break;
        data += chunk;
    }
    if (file.error() != QFileDevice::NoError) {
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "无法读取 %1：%2")).arg(path, file.errorString());
        return std::nullopt;
    }
    if (data.size() > maxBytes) {
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 超过 %2 字节，这类文件最多只能有这么大")).arg(path).arg(maxBytes);
        return std::nullopt;
    }
    return data;
}

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The string that starts after the opening quote at p, decoded; returns
// where it ends (after the closing quote, or at end when there is none).
const char *ReadString(const char *p, const char *end, QString *text)
{
    const char *start = p;
    bool escaped = false;
    while (p < end && *p != '"') {
        if (*p == '\\') {
            escaped = true;
            ++p;
        }
        if (p < end)
            ++p;
    }
    if (!escaped) {
        *text = QString::fromUtf8(start, p - start);
        return p < end ? p + 1 : p;
    }
    text->clear();
    const char *run = start; // plain bytes not yet added
    for (const char *q = start; q < p;) {
        if (*q != '\\') {
            ++q;
            continue;
        }
        text->append(QString::fromUtf8(run, q - run));
        const char e = q + 1 < p ? q[1] : '\0';
        q = std::min(q + 2, p);
        switch (e) {
        case 'b': text->append(QLatin1Char('\b')); break;
        case 'f': text->append(QLatin1Char('\f')); break;
        case 'n': text->append(QLatin1Char('\n')); break;
        case 'r': text->append(QLatin1Char('\r')); break;
        case 't': text->append(QLatin1Char('\t')); break;
        case 'u': {
            int unit = 0;
            for (int k = 0; k < 4 && q < p; ++k, ++q)
                unit = unit * 16 + std::max(HexDigit(*q), 0);
            text->append(QChar(char16_t(unit)));
            break;
        }
        default: text->append(QLatin1Char(e)); break; // \" \\ \/
        }
        run = q;
    }
    text->append(QString::fromUtf8(run, p - run));
    return p < end ? p + 1 : p;
}

} // namespace

QString RepeatedKey(const QByteArray &json)
{
    struct Level {
        bool object = false;
        bool wantKey = false; // the next string is a key
        QString key;          // the key of the value being read
        qsizetype index = 0;  // in an array: the element being read
        QSet<QString> keys;
    };
    QList<Level> stack;
    const auto path = [&](const QString &last) {
        QString out;
        for (const Level &l : stack) {
            const QString &key = &l == &stack.last() ? last : l.key;
            if (!l.object)
                out += QStringLiteral("[%1]").arg(l.index);
            else
                out += (out.isEmpty() ? QString() : QStringLiteral(".")) + key;
        }
        return out;
    };
    const char *p = json.constData();
    const char *end = p + json.size();
    while (p < end) {
        switch (*p++) {
        case '{':
            stack.append(Level{true, true, {}, 0, {}});
            break;
        case '[':
            stack.append(Level{});
            break;
        case '}':
        case ']':
            if (!stack.isEmpty())
                stack.removeLast();
            break;
        case ',':
            if (!stack.isEmpty()) {
                if (stack.last().object)
                    stack.last().wantKey = true;
                else
                    ++stack.last().index;
            }
            break;
        case '"': {
            QString text;
            p = ReadString(p, end, &text);
            if (stack.isEmpty() || !stack.last().object || !stack.last().wantKey)
                break;
            Level &level = stack.last();
            level.wantKey = false;
            if (level.keys.contains(text))
                return path(text);
            level.keys.insert(text);
            level.key = text;
            break;
        }
        default:
            break;
        }
    }
    return {};
}

bool NoRepeatedKey(const QByteArray &json, QString *error)
{
    const QString repeated = RepeatedKey(json);
    if (!repeated.isEmpty())
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "键“%1”出现了两次")).arg(repeated);
    return repeated.isEmpty();
}

std::optional<QJsonObject> ParseObject(const QByteArray &json, QString *error)
{
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError) {
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "不是 JSON 对象（第 %2 字节处：%1）")).arg(parse.errorString()).arg(parse.offset);
        return std::nullopt;
    }
    if (!doc.isObject()) {
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "不是 JSON 对象"));
        return std::nullopt;
    }
    if (!NoRepeatedKey(json, error))
        return std::nullopt;
    return doc.object();
}

std::optional<QJsonObject> ReadObject(const QString &path, qint64 maxBytes, QString *error)
{
    const auto json = ReadBounded(path, maxBytes, error);
    if (!json)
        return std::nullopt;
    auto object = ParseObject(*json, error);
    if (!object)
        *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1：%2")).arg(path, *error);
    return object;
}

} // namespace jsonfile
