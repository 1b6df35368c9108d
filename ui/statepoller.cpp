#include "ui/statepoller.h"

#include "ui/familywindow.h"
#include "ui/messagebox.h"
#include "core/pollinterval.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

StatePoller::StatePoller(FamilyWindow *window, std::function<bool()> send, std::optional<int> emptyIntervalMs)
    : QObject(window), window_(window), send_(std::move(send)), emptyInterval_(emptyIntervalMs)
{
    setObjectName("StatePoller");
    periodic_ = new QCheckBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "定时检测")), window);
    periodic_->setObjectName("CheckBox1");
    edit_ = new QLineEdit(window);
    edit_->setObjectName("Edit9");
    edit_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "间隔ms/次")));
    label_ = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "间隔ms/次")), window);
    label_->setBuddy(edit_);
    check_ = new QPushButton(QStringLiteral(QT_TRANSLATE_NOOP("kz", "检  测")), window);
    check_->setObjectName("BitBtn1");
    cancel_ = new QPushButton(QStringLiteral(QT_TRANSLATE_NOOP("kz", "取  消")), window);
    cancel_->setObjectName("BitBtn2");
    // A direct child of the window, so losing the port stops it too.
    timer_ = new QTimer(window);
    timer_->setObjectName("Timer1");

    connect(check_, &QPushButton::clicked, this, &StatePoller::check);
    connect(cancel_, &QPushButton::clicked, this, &StatePoller::Cancel);
    // Unticking stops at once; ticking waits for the next "检  测".
    connect(periodic_, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            timer_->stop();
    });
    connect(timer_, &QTimer::timeout, this, &StatePoller::tick);
}

void StatePoller::check()
{
    if (!send_())
        return;
    if (!periodic_->isChecked()) {
        timer_->stop();
        return;
    }
    QString error;
    const std::optional<int> interval = polling::Interval(edit_->text(), emptyInterval_, &error);
    if (!interval) {
        // The reading of this press went out; the timer stays as it was.
        ui::ShowMessage(window_, error);
        return;
    }
    timer_->start(*interval);
}

void StatePoller::tick()
{
    if (!window_->HoldsReplies()) {
        timer_->stop();
        return;
    }
    if (window_->Handling())
        return;
    send_();
}

void StatePoller::Cancel()
{
    timer_->stop();
}
