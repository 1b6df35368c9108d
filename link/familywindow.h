#pragma once
// Base of every family window: a top-level window that is created once and
// never destroyed (closing only hides it), with show/close hooks, the hidden
// reply button through which the link hands replies to the window, and the
// instrument address spin box most windows carry.
#include "link/seriallink.h"

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QSpinBox;

class FamilyWindow : public QWidget {
    Q_OBJECT
public:
    explicit FamilyWindow(SerialLink &link, QWidget *parent = nullptr);

    SerialLink &Link() const { return link_; }

protected:
    // Runs every time the window is shown.
    virtual void FormShow() {}
    // Runs on every close: the title bar, close() of a shown window, and
    // CloseWindow() (the return buttons) whether shown or not.
    virtual void FormClose() {}

    // What every return button ends with: runs FormClose and hides the
    // window, also when it is not on screen (the main window presses the
    // return buttons of hidden windows to stop them, and the toolkit sends
    // no close event to a hidden window that has been shown before).
    void CloseWindow();

    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    // Makes the hidden 1x1 reply button (objectName name) whose click runs
    // onReply, and registers its click as the link's reply handler for the
    // given destination.
    QPushButton *MakeReplyButton(const QString &name, Family family, int index,
                                 std::function<void()> onReply);

    // Makes a push button with its object name and caption whose click runs
    // onClick.
    QPushButton *MakeButton(const QString &name, const QString &caption, std::function<void()> onClick);

    // Makes an instrument address spin box (0..255) with the given object
    // name, its caption label (buddy) and the caption as accessible name.
    // The label is returned through label when asked for; value is the
    // initial address.
    QSpinBox *MakeAddressSpin(const QString &name, const QString &caption,
                              QLabel **label = nullptr, int value = 1);

private:
    SerialLink &link_;
    bool placed_ = false;
};
