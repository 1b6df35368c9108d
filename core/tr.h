#pragma once
// The program's texts are Chinese in the source and all belong to one
// translation context, "kz". A text kept in a table is marked with
// QT_TRANSLATE_NOOP("kz", "…") so that lupdate finds it, and translated where
// it is shown; a text built from pieces is one marked text with %1 arguments.
// Without an installed translator every text is returned as it is.
#include <QCoreApplication>
#include <QString>

namespace kz {
inline QString Tr(const char *source)
{
    return QCoreApplication::translate("kz", source);
}

inline QString Tr(const QString &source)
{
    return QCoreApplication::translate("kz", source.toUtf8().constData());
}
} // namespace kz
