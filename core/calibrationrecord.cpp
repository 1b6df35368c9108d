#include "core/calibrationrecord.h"

#include "core/tr.h"

#include <QStringList>

namespace calib {

namespace {

// One CSV field: quoted when it holds a separator, a quote or a line break.
// A text that a spreadsheet would take for a formula gets a leading
// apostrophe, so a typed reference can never run as one.
QString Field(QString text)
{
    if (!text.isEmpty() && QStringLiteral("=+-@").contains(text.front())) {
        bool number = false;
        text.toDouble(&number);
        if (!number)
            text.prepend(QLatin1Char('\''));
    }
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n')) ||
        text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1String("\""), QLatin1String("\"\""));
        text = QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

} // namespace

QString Record::HeaderLine()
{
    return kz::Tr(QT_TRANSLATE_NOOP("kz", "时间,地址,校验点,校验参数,操作,标准表数据,读数,校验数据,结果,校验前读数,校验后读数,误差(%),次数,判定"));
}

QString Record::CsvLine(const RecordRow &row)
{
    const QStringList fields = {
        row.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
        QString::number(row.address),
        row.point > 0 ? QString::number(row.point) : QString(),
        Field(row.pointText.simplified()),
        Field(row.action),
        Field(row.reference),
        row.reading ? QString::number(*row.reading, 'f', 4) : QString(),
        Field(row.word),
        Field(row.result),
        row.before ? QString::number(*row.before, 'f', 4) : QString(),
        row.after ? QString::number(*row.after, 'f', 4) : QString(),
        row.error ? QString::number(*row.error, 'f', 4) : QString(),
        row.attempts > 0 ? QString::number(row.attempts) : QString(),
        Field(row.verdict),
    };
    return fields.join(QLatin1Char(','));
}

bool Record::write(const QString &line)
{
    const QByteArray bytes = (line + QStringLiteral("\r\n")).toUtf8();
    if (file_.write(bytes) != bytes.size() || !file_.flush()) {
        file_.close();
        return false;
    }
    return true;
}

bool Record::Add(const RecordRow &row)
{
    rows_.append(row);
    return !file_.isOpen() || write(CsvLine(row));
}

bool Record::SaveTo(const QString &path, QString *error)
{
    if (file_.isOpen())
        file_.close();
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = file_.errorString();
        return false;
    }
    bool ok = file_.write("\xEF\xBB\xBF") == 3 && write(HeaderLine());
    for (const RecordRow &row : rows_)
        ok = ok && write(CsvLine(row));
    if (!ok && error)
        *error = file_.errorString();
    return ok;
}

} // namespace calib
