#pragma once
// The record of a calibration run, so an engineer can show what was done:
// one row per action (a computation, a write sent, a write acknowledged),
// kept from the window's start. Saved as CSV (UTF-8 with a byte order mark,
// so spreadsheets read the Chinese texts, and a header line); once a file is
// chosen every further row is appended and flushed as it happens, so
// nothing is lost if the program dies. No widgets.
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>
#include <optional>

namespace calib {

struct RecordRow {
    QDateTime time;
    int address = 0;
    int point = 0;        // N, 0 when none
    QString pointText;
    QString action;       // "计算", "写入", "写入确认"
    QString reference;    // the reference edit's text
    std::optional<double> reading;
    QString word;         // the correction word, six hex digits
    QString result;       // "" or the message that refused the action
    // A guided run's point: the settled readings before and after the
    // correction, the error after it (% of the reference), the attempts and
    // 合格 / 不合格.
    std::optional<double> before;
    std::optional<double> after;
    std::optional<double> error;
    int attempts = 0;
    QString verdict;
};

class Record {
public:
    static QString HeaderLine();
    static QString CsvLine(const RecordRow &row);

    // Adds a row (appended to the file when one is open); false when the
    // file could not be written (it is closed then).
    bool Add(const RecordRow &row);
    const QList<RecordRow> &Rows() const { return rows_; }

    // Writes the header and every row so far to path (replacing the file)
    // and keeps it open for the rows to come. False with a reason when it
    // cannot be written.
    bool SaveTo(const QString &path, QString *error = nullptr);
    QString Path() const { return file_.isOpen() ? file_.fileName() : QString(); }

private:
    bool write(const QString &line);

    QList<RecordRow> rows_;
    QFile file_;
};

} // namespace calib
