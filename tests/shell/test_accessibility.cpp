// Every window of the program as assistive technology reads it, before and
// after the simulated instruments have answered: no interactive control
// without a name, every visible text (label, caption, group title, status
// message) within the accessible name of its widget, every lamp's state
// readable.
#include "link/qtserialport.h"
#include "shell/mainwindow.h"
#include "shell/program.h"
#include "shell/programwindows.h"
#include "sim/ptysimulator.h"
#include "tests/shell/everywindow.h"
#include "tests/support/testutil.h"
#include "ui/familywindow.h"
#include "ui/lamp.h"
#include "ui/messagebox.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The text a widget shows on screen, or nothing.
QString VisibleText(const QWidget *w)
{
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return label->textFormat() == Qt::RichText ? QString() : label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->text();
    if (const auto *group = qobject_cast<const QGroupBox *>(w))
        return group->title();
    if (const auto *status = qobject_cast<const QStatusBar *>(w))
        return status->currentMessage();
    return {};
}

bool Interactive(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Slider:
        return true;
    default:
        return false;
    }
}

// What is wrong with one window's accessibility tree, a line per fault.
void Walk(QAccessibleInterface *iface, const QWidget *window, QStringList *faults, int depth = 0)
{
    if (!iface || depth > 40)
        return;
    auto *w = qobject_cast<QWidget *>(iface->object());
    const bool inner = w && w->parentWidget() &&
                       (qobject_cast<QAbstractSpinBox *>(w->parentWidget()) || qobject_cast<QComboBox *>(w->parentWidget()));
    if (w && w != window && !inner && w->isVisibleTo(window)) {
        const QString name = iface->text(QAccessible::Name);
        const QString where = window->objectName() + " / " + w->objectName() + " (" + w->metaObject()->className() + ")";
        if (Interactive(iface->role()) && name.trimmed().isEmpty())
            faults->append(where + ": no accessible name");
        const QString shown = VisibleText(w);
        if (!Squeezed(shown).isEmpty() && !Squeezed(name).contains(Squeezed(shown)))
            faults->append(where + ": shows \"" + shown + "\" but is named \"" + name + "\"");
        if (qobject_cast<Lamp *>(w) && iface->text(QAccessible::Description).isEmpty())
            faults->append(where + ": lamp state unreadable");
    }
    for (int i = 0; i < iface->childCount(); ++i)
        Walk(iface->child(i), window, faults, depth + 1);
}

QStringList Faults(QWidget *window)
{
    QStringList faults;
    Walk(QAccessible::queryAccessibleInterface(window), window, &faults);
    return faults;
}

// The buttons that read from the instrument, by caption without blanks.
using Accessibility = DemoProgram;

} // namespace

TEST_F(Accessibility, EveryWindowShowsWhatItNamesBeforeAndAfterAnswers)
{
    const QStringList faults = WalkEveryWindow(Faults);
    EXPECT_TRUE(faults.isEmpty()) << faults.join('\n').toStdString();
}
