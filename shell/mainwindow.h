#pragma once
// The main window: the program's launcher. It shows the selected instrument
// model, opens the port settings dialog and the address scan, lets the user
// pick the instrument family, and opens each family's windows from pop-up
// menus after closing that family's other windows and letting the new window
// take the family's replies.
#include "link/seriallink.h"
#include "ui/windowregistry.h"

#include <QHash>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QStringList>

class QAction;
class QLabel;
class QMenu;
class QPushButton;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(SerialLink &link, QWidget *parent = nullptr);
    ~MainWindow() override;

    SerialLink &Link() const { return link_; }

    // The registry of the program's windows by class name. Windows are owned
    // elsewhere; a window that is not registered is simply skipped.
    void RegisterWindow(const QString &className, QWidget *window);
    QWidget *Window(const QString &className) const;

    // Close-others routines: each listed window that closes with its family
    // and exists (shown or not) closes as its return button would close it,
    // which stops its timers.
    void CloseThreePhaseWindows();
    void CloseSinglePhaseWindows();
    void CloseKz827Windows();

    // Shows a message box, one at a time: texts that arrive while a box is on
    // screen wait for it to close, and a text already waiting is not queued
    // twice. Shown from the event loop, never inside the caller.
    void Notify(const QString &text);

    // The pop-up menu shown last and the screen point it was asked for.
    QMenu *LastPopup() const { return lastPopup_; }
    QPoint LastPopupPos() const { return lastPopupPos_; }

signals:
    // The main window was closed: the program ends.
    void MainClosed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void onFirstShow();
    // The buttons, top to bottom.
    void openPortDialog();
    void openAddressScan();
    void showModelMenu();
    void showMeasurementMenu();
    void showSettingsMenu();
    void showProtocolMenu();
    void openWiring();
    void quit();

    void buildButtons();
    void paintButtons();
    void setTitle(const QString &title);
    void fitTitle();
    void buildLanguageMenu();
    void buildMenus();
    QMenu *makeMenu(const char *name);
    QAction *makeEntry(QMenu *menu, const char *name, const QString &caption);
    void chooseFamily(const QString &label, Family family);
    void closeWindows(Family family);
    void closeWindows(const ui::WindowList &list);
    // The window list of the chosen family.
    const ui::WindowList *chosenList() const;
    void openWindow(const QString &className);
    void popup(QMenu *menu, int dx, int dy);
    void showPending();

    SerialLink &link_;
    QLabel *label_ = nullptr;
    QString title_; // the title's source text
    QHash<QString, QPointer<QWidget>> windows_;
    QHash<QString, QMenu *> menus_;
    QAction *n8_ = nullptr;
    QAction *n13_ = nullptr;
    QMenu *lastPopup_ = nullptr;
    QPoint lastPopupPos_;
    bool shownOnce_ = false;
    QStringList pendingTexts_;
    bool notifyScheduled_ = false;
    bool notifying_ = false;
};
