#pragma once
// The check controls of a state window: "检  测" reads the state now and,
// with "定时检测" ticked, repeats it every interval typed in milliseconds;
// "取  消" stops repeating. The timer sends nothing while the window is
// still handling the previous reply and stops as soon
// as another window takes the family's replies. The controls are made here
// for the window to lay out; the request is the window's.
#include <QObject>
#include <functional>
#include <optional>

class FamilyWindow;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

class StatePoller : public QObject {
    Q_OBJECT
public:
    // send: sends the window's request, false when it was refused.
    // emptyIntervalMs: the interval an empty box stands for; none: an empty
    // box is an input error like any other text that is not 1..65535.
    StatePoller(FamilyWindow *window, std::function<bool()> send, std::optional<int> emptyIntervalMs = std::nullopt);

    QCheckBox *Periodic() const { return periodic_; }   // CheckBox1 "定时检测"
    QLineEdit *IntervalEdit() const { return edit_; }   // Edit9
    QLabel *IntervalLabel() const { return label_; }    // "间隔ms/次"
    QPushButton *CheckButton() const { return check_; } // BitBtn1 "检  测"
    QPushButton *CancelButton() const { return cancel_; } // BitBtn2 "取  消"
    QTimer *Timer() const { return timer_; }            // Timer1

    // "取  消": stops the timer.
    void Cancel();

private:
    void check();
    void tick();

    FamilyWindow *window_;
    std::function<bool()> send_;
    std::optional<int> emptyInterval_;
    QCheckBox *periodic_;
    QLineEdit *edit_;
    QLabel *label_;
    QPushButton *check_;
    QPushButton *cancel_;
    QTimer *timer_;
};
