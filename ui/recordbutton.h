#pragma once
// "记录": the measurement windows' recording control. Checked, it asks for a
// CSV file (an existing one is appended to) and writes every measurement the
// window hands it; a write error unchecks it with one message.
#include "core/csvrecorder.h"

#include <QPushButton>

class RecordButton : public QPushButton {
    Q_OBJECT
public:
    explicit RecordButton(QWidget *parent = nullptr);

    // Starts recording to path without asking (the button asks the user).
    // False, unchecked and with a message, when the file cannot be opened.
    bool StartTo(const QString &path);
    void Stop();
    bool Recording() const { return recorder_.IsOpen(); }

    // One decoded measurement: what the window shows, in its order. Written
    // when recording; emitted as Measured in any case (for the trend).
    void Record(int address, const QStringList &captions, const QStringList &texts);

signals:
    void Measured(int address, const QStringList &captions, const QStringList &texts);

private:
    void onToggled(bool on);

    CsvRecorder recorder_;
    bool asking_ = false;
};
