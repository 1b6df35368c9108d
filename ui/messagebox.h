#pragma once
// The one way the program shows a modal message. Tests install a recorder so
// that nothing blocks and every text shown can be checked.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace ui {
// Shows text in a modal message box (or hands it to the recorder).
void ShowMessage(QWidget *parent, const QString &text);

// Title of the message boxes (the application name until set).
void SetMessageTitle(const QString &title);

using MessageRecorder = std::function<void(QWidget *parent, const QString &text)>;
// Replaces the modal box; pass an empty function to restore it.
void SetMessageRecorder(MessageRecorder recorder);

// A recorder that collects texts for the lifetime of the object.
class RecordedMessages {
public:
    RecordedMessages();
    ~RecordedMessages();
    QStringList texts;
};
} // namespace ui
