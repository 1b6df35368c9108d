#pragma once
// Writes a whole file at once, replacing what was there. Qt Core only.
#include <QByteArray>
#include <QString>

// False with "无法保存到 <path>：<reason>" in *error when the file cannot be
// opened or not all of data reaches it.
bool WriteWholeFile(const QString &path, const QByteArray &data, QString *error = nullptr);
