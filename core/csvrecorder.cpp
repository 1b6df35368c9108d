#include "core/csvrecorder.h"

#include "core/tr.h"

#include <QDateTime>
#include <QRegularExpression>

namespace {
QString csvCell(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
} // namespace

bool CsvRecorder::Open(const QString &path, QString *error)
{
    Close();
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error)
            *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "无法打开记录文件 %1：%2")).arg(path, file_.errorString());
        return false;
    }
    needHeader_ = file_.size() == 0;
    units_.clear();
    return true;
}

void CsvRecorder::Close()
{
    if (file_.isOpen())
        file_.close();
}

std::pair<QString, QString> CsvRecorder::SplitUnit(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([-+]?\\d+(?:\\.\\d*)?(?:[eE][-+]?\\d+)?)\\s*(.*?)\\s*$"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return {text.trimmed(), {}};
    return {m.captured(1), m.captured(2)};
}

bool CsvRecorder::Write(int address, const QStringList &captions, const QStringList &texts, QString *error)
{
    if (!file_.isOpen()) {
        if (error)
            *error = QStringLiteral(QT_TRANSLATE_NOOP("kz", "记录文件未打开"));
        return false;
    }
    if (units_.isEmpty()) {
        for (const QString &t : texts)
            units_.append(SplitUnit(t).second);
        if (needHeader_) {
            QStringList header{QStringLiteral(QT_TRANSLATE_NOOP("kz", "时间")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "地址"))};
            for (int i = 0; i < captions.size(); ++i) {
                const QString unit = units_.value(i);
                header.append(unit.isEmpty() ? captions[i] : QStringLiteral("%1 (%2)").arg(captions[i], unit));
            }
            // A byte order mark lets spreadsheet programs read the file as UTF-8.
            if (file_.write("\xEF\xBB\xBF") != 3 || !writeLine(header, error))
                return false;
            needHeader_ = false;
        }
    }
    const QDateTime now = QDateTime::currentDateTime();
    QStringList row{now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs), QString::number(address)};
    for (int i = 0; i < texts.size(); ++i) {
        const auto [value, unit] = SplitUnit(texts[i]);
        row.append(unit == units_.value(i) ? value : texts[i].trimmed());
    }
    return writeLine(row, error);
}

bool CsvRecorder::writeLine(const QStringList &cells, QString *error)
{
    QStringList out;
    for (const QString &c : cells)
        out.append(csvCell(c));
    const QByteArray line = (out.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8();
    if (file_.write(line) != line.size() || !file_.flush()) {
        if (error)
            *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "写记录文件 %1 出错（%2），记录已停止。")).arg(file_.fileName(), file_.errorString());
        Close();
        return false;
    }
    return true;
}
