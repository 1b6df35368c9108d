#include "ui/messagebox.h"

#include "ui/language.h"

#include <QApplication>
#include <QMessageBox>

namespace ui {
namespace {
MessageRecorder &recorder()
{
    static MessageRecorder r;
    return r;
}
QString &title()
{
    static QString t;
    return t;
}
} // namespace

void SetMessageTitle(const QString &t)
{
    title() = t;
}

void ShowMessage(QWidget *parent, const QString &source)
{
    // A whole marked text is translated here; a text with arguments was
    // translated where it was made.
    const QString text = TranslateText(source);
    if (recorder()) {
        recorder()(parent, text);
        return;
    }
    QMessageBox box(QMessageBox::Information,
                    title().isEmpty() ? QApplication::applicationDisplayName() : TranslateText(title()), text,
                    QMessageBox::Ok, parent);
    // The box follows the application's colours, not those of a window that
    // paints itself differently (light text on a dark ground, for instance).
    box.setPalette(QApplication::palette());
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
