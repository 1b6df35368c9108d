#include "link/messagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace ui {
namespace {
MessageRecorder &recorder()
{
    static MessageRecorder r;
    return r;
}
} // namespace

void ShowMessage(QWidget *parent, const QString &text)
{
    if (recorder()) {
        recorder()(parent, text);
        return;
    }
    QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

void SetMessageRecorder(MessageRecorder r)
{
    recorder() = std::move(r);
}

RecordedMessages::RecordedMessages()
{
    SetMessageRecorder([this](QWidget *, const QString &text) { texts.append(text); });
}

RecordedMessages::~RecordedMessages()
{
    SetMessageRecorder({});
}
} // namespace ui
