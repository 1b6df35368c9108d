// The program in English: every window, as opened and after the simulated
// instruments answered, shows no Chinese text, no caption wider than its
// widget and none missing from what assistive technology reads; a switch of language retranslates an open window and back.
#include "link/qtserialport.h"
#include "ui/replyrouter.h"
#include "shell/mainwindow.h"
#include "shell/program.h"
#include "shell/programwindows.h"
#include "sim/ptysimulator.h"
#include "tests/shell/everywindow.h"
#include "tests/support/testutil.h"
#include "ui/familywindow.h"
#include "ui/language.h"
#include "ui/messagebox.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

bool HasChinese(const QString &text)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return han.match(text).hasMatch();
}

// Every text a widget shows or announces, with what it is.
QList<std::pair<QString, QString>> Texts(const QWidget *w)
{
    QList<std::pair<QString, QString>> texts = {
        {"tool tip", w->toolTip()}, {"accessible name", w->accessibleName()}, {"description", w->accessibleDescription()}};
    if (w->isWindow())
        texts.append({"title", w->windowTitle()});
    if (const auto *label = qobject_cast<const QLabel *>(w))
        texts.append({"label", label->text()});
    if (const auto *button = qobject_cast<const QAbstractButton *>(w))
        texts.append({"button", button->text()});
    if (const auto *group = qobject_cast<const QGroupBox *>(w))
        texts.append({"group", group->title()});
    if (const auto *combo = qobject_cast<const QComboBox *>(w))
        for (int i = 0; i < combo->count(); ++i)
            texts.append({"list item", combo->itemText(i)});
    if (const auto *list = qobject_cast<const QListWidget *>(w))
        for (int i = 0; i < list->count(); ++i)
            texts.append({"list item", list->item(i)->text()});
    if (const auto *table = qobject_cast<const QTableWidget *>(w))
        for (int c = 0; c < table->columnCount(); ++c) {
            if (table->horizontalHeaderItem(c))
                texts.append({"column", table->horizontalHeaderItem(c)->text()});
            for (int r = 0; r < table->rowCount(); ++r)
                if (table->item(r, c))
                    texts.append({"cell", table->item(r, c)->text()});
        }
    for (const QAction *a : w->actions())
        texts.append({"action", a->text()});
    return texts;
}

// The width a caption needs in its widget, or 0 where it may wrap or scroll.
int Needed(const QWidget *w)
{
    const QFontMetrics fm = w->fontMetrics();
    const auto widest = [&fm](const QString &text) {
        int most = 0;
        for (const QString &line : text.split(QLatin1Char('\n')))
            most = std::max(most, fm.horizontalAdvance(QString(line).remove(QLatin1Char('&'))));
        return most;
    };
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return label->wordWrap() || label->textFormat() == Qt::RichText || label->text().startsWith('<')
                   ? 0
                   : widest(label->text()) + 2 * label->margin() + label->indent() * (label->indent() > 0);
    if (qobject_cast<const QCheckBox *>(w) || qobject_cast<const QRadioButton *>(w))
        return static_cast<const QAbstractButton *>(w)->text().isEmpty() ? 0 : w->sizeHint().width();
    if (const auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->text().isEmpty() ? 0 : widest(button->text()) + 4;
    if (const auto *group = qobject_cast<const QGroupBox *>(w))
        return group->title().isEmpty() ? 0 : widest(group->title()) + 12;
    return 0;
}

// The faults of one window: Chinese left over, captions cut off.
QStringList Faults(QWidget *window)
{
    ui::Retranslate(window);
    // Layouts take the new texts' sizes.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    QStringList faults;
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (const QWidget *w : std::as_const(widgets)) {
        if (!w->isVisibleTo(window) && w != window)
            continue;
        // The language menu is named in both languages on purpose.
        if (w->objectName() == "LanguageMenu" || qobject_cast<const QMenuBar *>(w))
            continue;
        const QString where = window->objectName() + " / " + w->objectName() + " (" + w->metaObject()->className() + ")";
        for (const auto &[what, text] : Texts(w))
            if (HasChinese(text))
                faults.append(where + " " + what + ": " + text);
        // What assistive technology reads holds the caption shown.
        const bool captioned = qobject_cast<const QLabel *>(w) || qobject_cast<const QAbstractButton *>(w) ||
                               qobject_cast<const QGroupBox *>(w);
        const QString shown = captioned ? Squeezed(w->property("text").toString() + w->property("title").toString())
                                        : QString();
        if (QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(const_cast<QWidget *>(w));
            iface && !shown.isEmpty() && !qobject_cast<const QAbstractSpinBox *>(w->parentWidget()) &&
            !qobject_cast<const QComboBox *>(w->parentWidget()) &&
            !Squeezed(iface->text(QAccessible::Name)).contains(shown, Qt::CaseInsensitive))
            faults.append(where + ": shows \"" + shown + "\" but is named \"" + iface->text(QAccessible::Name) + "\"");
        if (const int needed = Needed(w); needed > w->width())
            faults.append(where + QString(": needs %1 px, has %2").arg(needed).arg(w->width()));
    }
    return faults;
}

struct English : DemoProgram {
    void SetUp() override
    {
        ASSERT_TRUE(ui::SetLanguage("en"));
        DemoProgram::SetUp();
    }
    void TearDown() override
    {
        DemoProgram::TearDown();
        ui::SetLanguage("zh");
    }
};

} // namespace

TEST_F(English, EveryWindowIsEnglishAndEveryCaptionFits)
{
    QStringList faults = WalkEveryWindow(Faults);
    for (const QString &text : std::as_const(messages.texts))
        if (HasChinese(text))
            faults.append("message: " + text);
    faults.removeDuplicates();
    EXPECT_TRUE(faults.isEmpty()) << faults.size() << " faults:\n" << faults.join('\n').toStdString();
}

TEST_F(English, SwitchingLanguageRetranslatesAnOpenWindow)
{
    ASSERT_TRUE(ui::SetLanguage("zh"));
    ReplyRouter::Of(program->Link()).ChooseFamily(Family::ThreePhase);
    QWidget *window = program->Main().Window("threephase::InitSettingsWindow");
    ASSERT_NE(window, nullptr);
    window->show();
    auto *button = window->findChild<QAbstractButton *>("BitBtn1");
    auto *heading = window->findChild<QLabel *>("TitleKind");
    ASSERT_TRUE(button && heading);
    const QString caption = button->text(), kind = heading->text();
    ASSERT_EQ(caption, "出厂值设置");

    ASSERT_TRUE(ui::SetLanguage("en"));
    EXPECT_EQ(button->text(), "Factory defaults");
    EXPECT_FALSE(HasChinese(heading->text())) << heading->text().toStdString();
    EXPECT_TRUE(Faults(window).isEmpty()) << Faults(window).join('\n').toStdString();
    // A text the program sets while English is shown is English when painted.
    heading->setText(kind);
    EXPECT_TRUE(WaitFor([&] { return heading->text() == "Power meter"; })) << heading->text().toStdString();

    // Back to Chinese: the very texts the window was built with.
    ASSERT_TRUE(ui::SetLanguage("zh"));
    EXPECT_EQ(button->text(), caption);
    EXPECT_EQ(heading->text(), kind);
}
