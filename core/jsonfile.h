#pragma once
// Reading a JSON document from a file that a person may have edited or
// named anything at all: only a regular file (or a link to one) is read,
// never more than a bound whatever size it claims (a device, a pipe or a
// /proc file claims 0), and a key given twice in one object is refused
// with where it stands, since a JSON parser keeps one of the two without a
// word. Qt Core only.
#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <optional>

namespace jsonfile {

// The bytes of the regular file at path, at most maxBytes; nothing, with
// the reason (naming path) in *error, for anything else: a folder, a
// device, a pipe, a socket, a file that cannot be opened or is larger.
std::optional<QByteArray> ReadBounded(const QString &path, qint64 maxBytes, QString *error);

// Where json gives a key twice in one object, as a path such as
// "blocks[2].fields[0].value"; empty when no key is repeated. Keys are
// compared as the parser reads them ("\u0061" is "a"). The text is only
// scanned: whether it is JSON at all is the parser's to say.
QString RepeatedKey(const QByteArray &json);

// False, with "the key "<path>" is given twice" in *error, when json
// repeats a key.
bool NoRepeatedKey(const QByteArray &json, QString *error);

// The JSON object json holds; nothing with the reason in *error when it is
// not JSON, not an object, or repeats a key.
std::optional<QJsonObject> ParseObject(const QByteArray &json, QString *error);

// ReadBounded and ParseObject; every error names path.
std::optional<QJsonObject> ReadObject(const QString &path, qint64 maxBytes, QString *error);

} // namespace jsonfile
