// Every window of the program as assistive technology reads it, before and
// after the simulated instruments have answered: no interactive control
// without a name, every visible text (label, caption, group title, status
// message) within the accessible name of its widget, every lamp's state
// readable.
#include "link/framerecord.h"
#include "link/qtserialport.h"
#include "shell/mainwindow.h"
#include "shell/program.h"
#include "shell/programwindows.h"
#include "sim/ptysimulator.h"
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

QString Squeezed(QString text)
{
    text.remove(QLatin1Char('&'));
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

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
const QStringList kReadCaptions = {"上载", "上载数据", "检测", "启动", "读启用"};

struct Accessibility : ::testing::Test {
    sim::PtySimulator simulator;
    QtSerialPortControl port;
    ui::RecordedMessages messages;
    std::unique_ptr<Program> program;

    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(simulator.Open(&error)) << error.toStdString();
        simulator.bus().Add(1, sim::Family::ThreePhase);
        simulator.bus().Add(2, sim::Family::SinglePhase);
        simulator.bus().Add(3, sim::Family::Kz827);
        port.SetPortName(simulator.SlavePath());
        ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
        program = std::make_unique<Program>(port, Options{});
        program->Link().PrepareReceive();
    }
    void TearDown() override
    {
        program.reset();
        port.SetPortOpen(false);
    }

    // Presses the window's read buttons at its family's simulated
    // instrument and waits for each answer to be shown.
    void Fill(FamilyWindow *window, Family family)
    {
        const int address = family == Family::ThreePhase ? 1 : family == Family::SinglePhase ? 2 : 3;
        for (QSpinBox *spin : window->findChildren<QSpinBox *>())
            if (spin->objectName().startsWith("SpinEdit"))
                spin->setValue(address);
        for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
            if (!kReadCaptions.contains(Squeezed(button->text())) || !button->isVisibleTo(window))
                continue;
            int handled = 0, sent = 0;
            const auto c = QObject::connect(window, &FamilyWindow::ReplyHandled, [&] { ++handled; });
            const auto s = QObject::connect(&program->Link(), &SerialLink::Recorded, [&](const FrameRecord &r) {
                sent += r.direction == FrameRecord::Direction::Sent;
            });
            button->click();
            // A polling window shows values from its second reply on (the
            // first may be its set-up block). A button that sent nothing
            // (nothing chosen to read) waits for nothing.
            const auto polling = [&] {
                const auto *timer = window->findChild<QTimer *>("Timer1");
                return timer && timer->isActive();
            };
            EXPECT_TRUE(WaitFor([&] { return !sent || handled >= (polling() ? 2 : 1); }, 5000))
                << window->objectName().toStdString() << " " << button->text().toStdString();
            QObject::disconnect(s);
            QObject::disconnect(c);
            for (QTimer *timer : window->findChildren<QTimer *>())
                timer->stop();
        }
    }
};

} // namespace

TEST_F(Accessibility, EveryWindowShowsWhatItNamesBeforeAndAfterAnswers)
{
    QStringList faults = Faults(&program->Main());
    for (const ui::WindowList &list : ProgramWindowLists()) {
        if (list.family)
            program->Link().ChooseFamily(*list.family);
        for (const ui::WindowEntry &entry : list.windows) {
            QWidget *window = program->Main().Window(entry.className);
            ASSERT_NE(window, nullptr) << entry.className;
            window->show();
            faults += Faults(window);
            if (auto *family = qobject_cast<FamilyWindow *>(window); family && list.family) {
                family->TakeReplies();
                Fill(family, *list.family);
                faults += Faults(window);
            }
            window->hide();
        }
    }
    for (const char *name : {"TrafficMonitor", "TrendWindow"})
        if (QWidget *window = program->Main().Window(name))
            faults += Faults(window);
    faults.removeDuplicates();
    EXPECT_TRUE(faults.isEmpty()) << faults.join('\n').toStdString();
}
