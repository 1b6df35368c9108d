#pragma once
// Writes decoded measurements to a CSV file: ISO 8601 time, address, then
// one column per displayed quantity with its unit in the header. UTF-8 with
// a header line, one row per measurement, flushed as it is written. A file
// that already holds rows is appended to, never truncated. No widgets.
#include <QFile>
#include <QString>
#include <QStringList>
#include <utility>

class CsvRecorder {
public:
    // Opens path for appending. False with the reason in *error.
    bool Open(const QString &path, QString *error = nullptr);
    void Close();
    bool IsOpen() const { return file_.isOpen(); }
    QString Path() const { return file_.fileName(); }

    // Writes one row. captions name the quantities and texts are what the
    // window shows ("220.00V"); a number's unit goes into the header, taken
    // from the first row. A cell whose unit differs from its column's keeps
    // its unit so it is not misread. False with the reason in *error: the
    // recorder is closed then.
    bool Write(int address, const QStringList &captions, const QStringList &texts, QString *error = nullptr);

    // "220.00V" -> {"220.00", "V"}; "-1.5" -> {"-1.5", ""}; text that is no
    // number -> {text, ""}.
    static std::pair<QString, QString> SplitUnit(const QString &text);

private:
    bool writeLine(const QStringList &cells, QString *error);

    QFile file_;
    bool needHeader_ = false;
    QStringList units_;
};
