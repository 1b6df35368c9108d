#include "tests/shell/everywindow.h"
#include "ui/replyrouter.h"

#include "link/framerecord.h"
#include "shell/mainwindow.h"
#include "shell/programwindows.h"
#include "shell/settingsfilewindow.h"
#include "tests/support/testutil.h"
#include "ui/familywindow.h"
#include "ui/settingsfile.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

QString Squeezed(QString text)
{
    text.remove(QLatin1Char('&'));
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

void DemoProgram::SetUp()
{
    QString error;
    KZ_NEEDS_PTY();
    ASSERT_TRUE(simulator.Open(&error)) << error.toStdString();
    simulator.bus().Add(1, sim::Family::ThreePhase);
    simulator.bus().Add(2, sim::Family::SinglePhase);
    simulator.bus().Add(3, sim::Family::Kz827);
    port.SetPortName(simulator.SlavePath());
    ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
    program = std::make_unique<Program>(port, Options{});
    program->Link().PrepareReceive();
}

void DemoProgram::TearDown()
{
    program.reset();
    port.SetPortOpen(false);
}

void DemoProgram::Fill(FamilyWindow *window, Family family)
{
    static const char *const kReadCaptions[] = {"上  载", "上载数据", "检  测", "启  动", "读启用"};
    QStringList captions;
    for (const char *source : kReadCaptions)
        captions.append(Squeezed(QCoreApplication::translate("kz", source)));
    const int address = family == Family::ThreePhase ? 1 : family == Family::SinglePhase ? 2 : 3;
    for (QSpinBox *spin : window->findChildren<QSpinBox *>())
        if (spin->objectName().startsWith("SpinEdit"))
            spin->setValue(address);
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (!captions.contains(Squeezed(button->text())) || !button->isVisibleTo(window))
            continue;
        int handled = 0, sent = 0;
        const auto c = QObject::connect(window, &FamilyWindow::ReplyHandled, [&] { ++handled; });
        const auto s = QObject::connect(&program->Link(), &SerialLink::Recorded, [&](const FrameRecord &r) {
            sent += r.direction == FrameRecord::Direction::Sent;
        });
        button->click();
        // A polling window shows values from its second reply on (the first
        // may be its set-up block). A button that sent nothing (nothing
        // chosen to read) waits for nothing.
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

QStringList DemoProgram::WalkEveryWindow(const std::function<QStringList(QWidget *)> &check)
{
    QStringList faults = check(&program->Main());
    for (const ui::WindowList &list : ProgramWindowLists()) {
        if (list.family)
            ReplyRouter::Of(program->Link()).ChooseFamily(*list.family);
        for (const ui::WindowEntry &entry : list.windows) {
            QWidget *window = program->Main().Window(entry.className);
            if (!window) {
                faults.append(QStringLiteral("no window %1").arg(QLatin1String(entry.className)));
                continue;
            }
            window->show();
            faults += check(window);
            if (auto *files = qobject_cast<SettingsFileWindow *>(window)) {
                // Its result line after a run (保存全部 of meter 1).
                QTemporaryDir dir;
                ui::SetFileAnswer([&](ui::FileChoice, const QString &) { return dir.filePath("walk.json"); });
                bool done = false;
                const auto c = QObject::connect(files, &SettingsFileWindow::RunFinished, [&] { done = true; });
                files->findChild<QSpinBox *>("SpinEdit1")->setValue(1);
                files->findChild<QAbstractButton *>("BitBtn1")->click();
                EXPECT_TRUE(WaitFor([&] { return done; }, 30000));
                QObject::disconnect(c);
                ui::SetFileAnswer({});
                faults += check(window);
            }
            if (auto *family = qobject_cast<FamilyWindow *>(window); family && list.family) {
                family->TakeReplies();
                Fill(family, *list.family);
                faults += check(window);
            }
            window->hide();
        }
    }
    for (const char *name : {"TrafficMonitor", "TrendWindow"})
        if (QWidget *window = program->Main().Window(name)) {
            window->show();
            faults += check(window);
            window->hide();
        }
    faults.removeDuplicates();
    return faults;
}
