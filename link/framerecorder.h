#pragma once
// Appends the link's frame records to a text file, one line each, flushed
// line by line so that the last frames before a crash or an unplugged
// adapter are on disk. No widgets.
#include "link/framerecord.h"

#include <QFile>
#include <QObject>

class SerialLink;

class TraceFile : public QObject {
    Q_OBJECT
public:
    explicit TraceFile(QObject *parent = nullptr);

    // Opens path for appending (never truncates) and follows the link's
    // records. False with the reason in *error when it cannot be opened.
    bool Open(const QString &path, SerialLink &link, QString *error = nullptr);
    bool IsOpen() const { return file_.isOpen(); }
    void Write(const FrameRecord &record);

signals:
    // A write failed; the trace stops. Text for the user.
    void Failed(const QString &message);

private:
    QFile file_;
};
