#include "link/familywindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <QShowEvent>
#include <QSpinBox>

FamilyWindow::FamilyWindow(SerialLink &link, QWidget *parent)
    : QWidget(parent, Qt::Window), link_(link)
{
    // Closing hides the window; it lives until the program ends.
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void FamilyWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // First appearance: centre on the screen, so a large window never opens
    // half off it. Later shows keep wherever the user put it.
    if (!placed_ && !event->spontaneous()) {
        placed_ = true;
        if (QScreen *s = screen()) {
            const QRect area = s->availableGeometry();
            const QSize size = frameGeometry().size().expandedTo(sizeHint());
            move(area.x() + std::max(0, (area.width() - size.width()) / 2),
                 area.y() + std::max(0, (area.height() - size.height()) / 2));
        }
    }
    // Only a real show, not the window system restoring a minimised window.
    if (!event->spontaneous())
        FormShow();
}

void FamilyWindow::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void FamilyWindow::CloseWindow()
{
    if (isVisible())
        close(); // closeEvent runs FormClose
    else
        FormClose();
}

QPushButton *FamilyWindow::MakeReplyButton(const QString &name, Family family, int index,
                                           std::function<void()> onReply)
{
    auto *button = new QPushButton(this);
    button->setObjectName(name);
    button->setFixedSize(1, 1);
    button->setFocusPolicy(Qt::NoFocus);
    button->hide();
    connect(button, &QPushButton::clicked, this, std::move(onReply));
    // A hidden (but enabled) button still emits clicked() when clicked in
    // code; the guard covers a link that outlives this window.
    QPointer<QPushButton> guarded(button);
    link_.RegisterReplyHandler(family, index, [guarded] {
        if (guarded)
            guarded->click();
    });
    return button;
}

QPushButton *FamilyWindow::MakeButton(const QString &name, const QString &caption,
                                      std::function<void()> onClick)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, std::move(onClick));
    return button;
}

QSpinBox *FamilyWindow::MakeAddressSpin(const QString &name, const QString &caption, QLabel **label,
                                        int value)
{
    auto *spin = new QSpinBox(this);
    spin->setObjectName(name);
    spin->setRange(0, 255);
    spin->setValue(value);
    spin->setAccessibleName(caption);
    auto *text = new QLabel(caption, this);
    text->setBuddy(spin);
    if (label)
        *label = text;
    return spin;
}
