#pragma once
// Writes a whole file at once, replacing what was there. The data goes to a
// temporary file in the same folder, which takes the file's name only when
// all of it was written: a write that fails or is refused leaves a file
// already there as it was. Qt Core only.
#include <QByteArray>
#include <QString>

// False with the system's reason in *reason when the file cannot be
// written whole. A device or pipe already at path is written straight.
bool ReplaceWholeFile(const QString &path, const QByteArray &data, QString *reason);

// False with "无法保存到 <path>：<reason>" in *error when the file cannot be
// written whole. A device or pipe already at path is written straight.
bool WriteWholeFile(const QString &path, const QByteArray &data, QString *error = nullptr);
