#include "shell/mainwindow.h"

#include "link/netaddress.h"

#include "ui/messagebox.h"
#include "shell/buttonart.h"
#include "shell/programwindows.h"
#include "ui/familywindow.h"
#include "ui/language.h"
#include "ui/replyrouter.h"
#include "core/tr.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

namespace {

// The property holding a command button's (Chinese) caption.
constexpr const char *kButtonLabel = "kzLabel";

const QString kThreePhaseTitle = QStringLiteral(QT_TRANSLATE_NOOP("kz", "KZ5500E三相电参数测试仪"));

} // namespace

MainWindow::MainWindow(SerialLink &link, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      link_(link)
{
    setObjectName(QStringLiteral("KZ5500Edcu"));
    setWindowTitle(QStringLiteral(QT_TRANSLATE_NOOP("kz", "      KZ系列电参数表调试软件")));
    setFixedSize(297, 414);
    setWindowOpacity(220.0 / 255.0);

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Desktop"));
    central->setAutoFillBackground(true);
    QPalette pal = central->palette();
    pal.setColor(QPalette::Window, QColor(0x3A, 0x6E, 0xA5)); // desktop background blue
    central->setPalette(pal);
    setCentralWidget(central);

    label_ = new QLabel(kThreePhaseTitle, central);
    label_->setObjectName(QStringLiteral("Label1"));
    label_->setGeometry(0, 8, 297, 32);
    label_->setAlignment(Qt::AlignCenter);
    QFont titleFont;
    titleFont.setFamilies({QStringLiteral("华文新魏"), QStringLiteral("STXinwei"), QStringLiteral("Noto Serif CJK SC"),
                           QStringLiteral("Noto Sans CJK SC"), QStringLiteral("serif")});
    titleFont.setPixelSize(21);
    label_->setFont(titleFont);
    title_ = kThreePhaseTitle;
    fitTitle();
    QPalette lp = label_->palette();
    lp.setColor(QPalette::WindowText, QColor(0x00, 0xFF, 0x00)); // lime
    label_->setPalette(lp);

    buildButtons();
    buildMenus();
    buildLanguageMenu();

    connect(&link_, &SerialLink::SendRefused, this, &MainWindow::Notify);
    connect(&link_, &SerialLink::HandlerFailed, this, &MainWindow::Notify);
    // A lost port is one message: what happened, then that measuring has
    // stopped (every polling window stops and stays stopped).
    connect(link_.Port(), &SerialPortControl::PortLost, this, [this](const QString &message) {
        // A gateway is reopened as a connection, a serial port as a port.
        const QString what = IsNetPortName(link_.Port()->CommPort()) ? kz::Tr(QT_TRANSLATE_NOOP("kz", "连接")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "串口"));
        Notify(EscapeControls(message) + kz::Tr(QT_TRANSLATE_NOOP("kz", "\n测量已停止，重新打开%1后请按“启  动”。")).arg(what));
    });

    RegisterWindow(QStringLiteral("MainWindow"), this);
}

MainWindow::~MainWindow() = default;

// ------------------------------------------------------------------ building

void MainWindow::buildButtons()
{
    struct Button {
        const char *name;
        const char *label;
        int y;
        void (MainWindow::*click)();
    };
    const Button buttons[] = {
        {"BitBtn1", QT_TRANSLATE_NOOP("kz", "串行口设置"), 48, &MainWindow::openPortDialog},
        {"BitBtn2", QT_TRANSLATE_NOOP("kz", "仪表地址检测"), 88, &MainWindow::openAddressScan},
        {"BitBtn7", QT_TRANSLATE_NOOP("kz", "仪表型号选择"), 128, &MainWindow::showModelMenu},
        {"BitBtn3", QT_TRANSLATE_NOOP("kz", "电量测量"), 168, &MainWindow::showMeasurementMenu},
        {"BitBtn4", QT_TRANSLATE_NOOP("kz", "参数设置"), 208, &MainWindow::showSettingsMenu},
        {"BitBtn8", QT_TRANSLATE_NOOP("kz", "协议选择"), 248, &MainWindow::showProtocolMenu},
        {"BitBtn5", QT_TRANSLATE_NOOP("kz", "典型接线"), 288, &MainWindow::openWiring},
        {"BitBtn6", QT_TRANSLATE_NOOP("kz", "退 出"), 328, &MainWindow::quit},
    };
    // The picture is the whole face of the button; the frame shows hover,
    // press and keyboard focus.
    centralWidget()->setStyleSheet(QStringLiteral(
        "QPushButton { border: 1px solid #1D3F6E; border-radius: 4px; padding: 0; background: transparent; }"
        "QPushButton:hover { border-color: #FFFFFF; }"
        "QPushButton:pressed { padding-top: 2px; padding-left: 2px; }"
        "QPushButton:focus { border: 1px solid #FFD700; }"));
    QWidget *previous = nullptr;
    for (const Button &b : buttons) {
        const QString label = QString::fromUtf8(b.label);
        auto *btn = new QPushButton(centralWidget());
        btn->setObjectName(QLatin1String(b.name));
        btn->setGeometry(88, b.y, 129, 30);
        btn->setProperty(kButtonLabel, label);
        btn->setIconSize(QSize(127, 28));
        btn->setAccessibleName(label);
        btn->setToolTip(label);
        btn->setFocusPolicy(Qt::StrongFocus);
        btn->setAutoDefault(false);
        connect(btn, &QPushButton::clicked, this, b.click);
        if (previous)
            setTabOrder(previous, btn);
        previous = btn;
    }
    paintButtons();
}

void MainWindow::paintButtons()
{
    // The caption is part of the button's picture: drawn again in the
    // language now shown.
    const qreal dpr = devicePixelRatioF();
    const QList<QPushButton *> buttons = centralWidget()->findChildren<QPushButton *>();
    for (QPushButton *btn : buttons) {
        const QString label = btn->property(kButtonLabel).toString();
        if (!label.isEmpty())
            btn->setIcon(QIcon(ButtonPicture(kz::Tr(label), btn->iconSize(), dpr)));
    }
}

void MainWindow::buildLanguageMenu()
{
    // The menu's title is in both languages, so that it is found whichever
    // is shown; each language is named in itself.
    QMenu *menu = menuBar()->addMenu(QStringLiteral("语言 / Language"));
    menu->setObjectName(QStringLiteral("LanguageMenu"));
    auto *group = new QActionGroup(menu);
    group->setExclusive(true);
    for (const QString &code : ui::Languages()) {
        QAction *a = menu->addAction(ui::LanguageName(code));
        a->setObjectName(QStringLiteral("Language_") + code);
        a->setCheckable(true);
        a->setChecked(code == ui::CurrentLanguage());
        group->addAction(a);
        connect(a, &QAction::triggered, this, [code] {
            if (ui::SetLanguage(code))
                ui::SaveLanguage(code);
        });
    }
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        paintButtons();
        fitTitle();
        if (QMenu *menu = findChild<QMenu *>(QStringLiteral("LanguageMenu")))
            for (QAction *a : menu->actions())
                a->setChecked(a->objectName() == QStringLiteral("Language_") + ui::CurrentLanguage());
    }
}

QMenu *MainWindow::makeMenu(const char *name)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QLatin1String(name));
    menus_.insert(QLatin1String(name), menu);
    return menu;
}

QAction *MainWindow::makeEntry(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

void MainWindow::buildMenus()
{
    // Pop-up menus of the measurement and settings buttons, named by their
    // families, with the entries in the order their families list them.
    for (const ui::WindowList &list : ProgramWindowLists()) {
        if (!list.family)
            continue;
        const Family family = *list.family;
        makeMenu(list.measurementMenu);
        makeMenu(list.settingsMenu);
        for (const ui::WindowEntry &entry : list.windows) {
            if (entry.menu == ui::Menu::None)
                continue;
            QAction *a = makeEntry(menus_.value(QLatin1String(list.MenuName(entry.menu))), entry.entry,
                                   QString::fromUtf8(entry.caption));
            const QString className = QLatin1String(entry.className);
            connect(a, &QAction::triggered, this, [this, family, className] {
                switch (family) {
                case Family::ThreePhase:
                    CloseThreePhaseWindows();
                    break;
                case Family::SinglePhase:
                    CloseSinglePhaseWindows();
                    break;
                case Family::Kz827:
                    CloseKz827Windows();
                    break;
                }
                // The opened window takes its family's replies: a window of
                // the family still polling stops at its next tick.
                if (auto *w = qobject_cast<FamilyWindow *>(Window(className)))
                    w->TakeReplies();
                openWindow(className);
            });
            if (qstrcmp(entry.entry, "N8") == 0)
                n8_ = a;
            if (qstrcmp(entry.entry, "N13") == 0)
                n13_ = a;
        }
    }

    // Instrument family.
    QMenu *family = makeMenu("PopupMenu3");
    connect(makeEntry(family, "KZ5500E1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "KZ5500E三相电参数测试仪"))), &QAction::triggered, this, [this] {
        chooseFamily(kThreePhaseTitle, Family::ThreePhase);
        n8_->setEnabled(true);
    });
    connect(makeEntry(family, "KZ2066E1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "KZ5055M三相电参数模块"))), &QAction::triggered, this, [this] {
        // The module has no display: its display settings entry is off.
        chooseFamily(QStringLiteral(QT_TRANSLATE_NOOP("kz", "KZ5500M三相电参数模块")), Family::ThreePhase);
        n8_->setEnabled(false);
        n13_->setEnabled(true);
    });
    connect(makeEntry(family, "KZ2022E1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "KZ5700E单相电参数测试仪"))), &QAction::triggered, this, [this] {
        chooseFamily(QStringLiteral(QT_TRANSLATE_NOOP("kz", "KZ5700E单相电参数测试仪")), Family::SinglePhase);
        ReplyRouter::Of(link_).Release(Family::SinglePhase);
    });
    connect(makeEntry(family, "KZ827KVE1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "KZ827KVE单相电参数测试仪"))), &QAction::triggered, this,
            [this] { chooseFamily(QStringLiteral(QT_TRANSLATE_NOOP("kz", "KZ827KVE单相电参数测试仪")), Family::Kz827); });
    // The isolation modules change the title only; menus and replies stay
    // those of the family chosen before.
    connect(makeEntry(family, "N10", QStringLiteral(QT_TRANSLATE_NOOP("kz", "三相电参数隔离传输模块"))), &QAction::triggered, this,
            [this] { setTitle(QStringLiteral(QT_TRANSLATE_NOOP("kz", "三相电参数隔离传输模块"))); });
    connect(makeEntry(family, "N11", QStringLiteral(QT_TRANSLATE_NOOP("kz", "单相电参数隔离传输模块"))), &QAction::triggered, this,
            [this] { setTitle(QStringLiteral(QT_TRANSLATE_NOOP("kz", "单相电参数隔离传输模块"))); });

    // Protocol. Every frame the program sends and accepts is Modbus RTU, so
    // RTU is shown as the (only) choice and ASCII cannot be picked.
    QMenu *protocol = makeMenu("PopupMenu4");
    protocol->setToolTipsVisible(true);
    auto *group = new QActionGroup(protocol);
    group->setExclusive(true);
    const QString onlyRtu = QStringLiteral(QT_TRANSLATE_NOOP("kz", "本软件只支持 MODBUS-RTU 通讯方式"));
    QAction *ascii = makeEntry(protocol, "MenuItem1", QStringLiteral("MODBUS-ASCII"));
    ascii->setCheckable(true);
    ascii->setEnabled(false);
    ascii->setToolTip(onlyRtu);
    ascii->setStatusTip(onlyRtu);
    QAction *rtu = makeEntry(protocol, "MenuItem2", QStringLiteral("MODBUS-RTU"));
    rtu->setCheckable(true);
    rtu->setChecked(true);
    rtu->setToolTip(onlyRtu);
    rtu->setStatusTip(onlyRtu);
    group->addAction(ascii);
    group->addAction(rtu);

    // The traffic monitor: every frame on the bus and what became of it.
    // Its shortcut works from the main window without opening the menu.
    protocol->addSeparator();
    QAction *monitor = makeEntry(protocol, "TrafficMonitorItem", QStringLiteral(QT_TRANSLATE_NOOP("kz", "通信监视(&M)")));
    monitor->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    monitor->setShortcutContext(Qt::WindowShortcut);
    addAction(monitor);
    connect(monitor, &QAction::triggered, this, [this] { openWindow(QStringLiteral("TrafficMonitor")); });
    // Settings files: back up, compare and restore many meters.
    QAction *files = makeEntry(protocol, "SettingsFileItem", QStringLiteral(QT_TRANSLATE_NOOP("kz", "配置文件(&F)…")));
    connect(files, &QAction::triggered, this, [this] { openWindow(QStringLiteral("SettingsFileWindow")); });
    // The trend of the measurement windows (hidden in a build without it).
    QAction *trend = makeEntry(protocol, "TrendItem", QStringLiteral(QT_TRANSLATE_NOOP("kz", "测量趋势(&T)")));
    trend->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    trend->setShortcutContext(Qt::WindowShortcut);
    addAction(trend);
    trend->setVisible(false); // until a trend window is registered
    connect(trend, &QAction::triggered, this, [this] { openWindow(QStringLiteral("TrendWindow")); });
}

// ------------------------------------------------------------------ registry

void MainWindow::RegisterWindow(const QString &className, QWidget *window)
{
    windows_.insert(className, window);
    if (className == QLatin1String("TrendWindow"))
        findChild<QAction *>(QStringLiteral("TrendItem"))->setVisible(window != nullptr);
}

QWidget *MainWindow::Window(const QString &className) const
{
    return windows_.value(className).data();
}

void MainWindow::openWindow(const QString &className)
{
    QWidget *w = Window(className);
    if (!w)
        return;
    w->show();
    w->raise();
    w->activateWindow();
}

void MainWindow::closeWindows(const ui::WindowList &list)
{
    // Shown or not: the window closes as its return button closes it, which
    // stops its timers.
    for (const ui::WindowEntry &entry : list.windows)
        if (entry.returnButton)
            if (auto *w = qobject_cast<FamilyWindow *>(Window(QLatin1String(entry.className))))
                w->CloseWindow();
}

void MainWindow::closeWindows(Family family)
{
    for (const ui::WindowList &list : ProgramWindowLists())
        if (list.family == family)
            closeWindows(list);
}

const ui::WindowList *MainWindow::chosenList() const
{
    static const auto lists = ProgramWindowLists();
    const Family f = ReplyRouter::Of(link_).CurrentFamily();
    for (const ui::WindowList &list : lists)
        if (list.family == f)
            return &list;
    return nullptr;
}

void MainWindow::CloseThreePhaseWindows()
{
    closeWindows(Family::ThreePhase);
    // The address scan holds the three-phase replies while it runs: it
    // closes with the three-phase windows (the only program-wide window
    // that closes with a family).
    closeWindows(ProgramWindowLists().front());
}

void MainWindow::CloseSinglePhaseWindows()
{
    closeWindows(Family::SinglePhase);
}

void MainWindow::CloseKz827Windows()
{
    closeWindows(Family::Kz827);
    ReplyRouter::Of(link_).Release(Family::Kz827);
}

// ------------------------------------------------------------------ family

void MainWindow::setTitle(const QString &title)
{
    title_ = title;
    label_->setText(title);
    fitTitle();
}

void MainWindow::fitTitle()
{
    // The title's face shrinks until the title, in the language shown, fits
    // the window's width (the Chinese titles fit at the full size).
    const QString shown = ui::TranslateText(title_);
    QFont font = label_->font();
    int px = 21;
    font.setPixelSize(px);
    while (px > 10 && QFontMetrics(font).horizontalAdvance(shown) > label_->width() - 4)
        font.setPixelSize(--px);
    label_->setFont(font);
}

void MainWindow::chooseFamily(const QString &label, Family family)
{
    setTitle(label);
    ReplyRouter::Of(link_).ChooseFamily(family);
}

// ------------------------------------------------------------------ buttons

void MainWindow::popup(QMenu *menu, int dx, int dy)
{
    lastPopup_ = menu;
    lastPopupPos_ = pos() + QPoint(dx, dy);
    menu->popup(lastPopupPos_);
}

void MainWindow::openPortDialog()
{
    openWindow(QStringLiteral("PortDialog"));
}

void MainWindow::openAddressScan()
{
    CloseThreePhaseWindows();
    // The scan takes the bus: windows of every family that poll stop at
    // their next tick, so no request of theirs discards a probe answer.
    // Probe answers reach the scan window in every family.
    const QString scan = QStringLiteral("AddressScanWindow");
    ReplyRouter &router = ReplyRouter::Of(link_);
    if (QWidget *w = Window(scan))
        router.TakeOver(Family::ThreePhase, w, w->windowTitle().trimmed());
    router.Release(Family::SinglePhase);
    router.Release(Family::Kz827);
    openWindow(scan);
}

void MainWindow::showModelMenu()
{
    popup(menus_.value(QStringLiteral("PopupMenu3")), 200, 60);
}

void MainWindow::showMeasurementMenu()
{
    popup(menus_.value(QLatin1String(chosenList()->measurementMenu)), 200, 120);
}

void MainWindow::showSettingsMenu()
{
    popup(menus_.value(QLatin1String(chosenList()->settingsMenu)), 200, 168);
}

void MainWindow::showProtocolMenu()
{
    popup(menus_.value(QStringLiteral("PopupMenu4")), 200, 240);
}

void MainWindow::openWiring()
{
    if (ReplyRouter::Of(link_).ChosenFamily() == Family::ThreePhase)
        openWindow(QStringLiteral("WiringWindow"));
}

void MainWindow::quit()
{
    close();
}

// ------------------------------------------------------------------ lifecycle

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        onFirstShow();
    }
}

void MainWindow::onFirstShow()
{
    if (QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    link_.PrepareReceive();
    // A fresh start: nobody holds the three-phase replies.
    ReplyRouter::Of(link_).Release(Family::ThreePhase);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The other windows go with the main window.
    for (auto it = windows_.cbegin(); it != windows_.cend(); ++it) {
        QWidget *w = it.value().data();
        if (w && w != this && w->isVisible())
            w->close();
    }
    QMainWindow::closeEvent(event);
    emit MainClosed();
}

// ------------------------------------------------------------------ messages

void MainWindow::Notify(const QString &text)
{
    if (text.isEmpty() || pendingTexts_.contains(text))
        return;
    pendingTexts_.append(text);
    if (!notifyScheduled_ && !notifying_) {
        notifyScheduled_ = true;
        QTimer::singleShot(0, this, &MainWindow::showPending);
    }
}

void MainWindow::showPending()
{
    notifyScheduled_ = false;
    if (notifying_)
        return;
    notifying_ = true;
    while (!pendingTexts_.isEmpty()) {
        const QString text = pendingTexts_.first();
        ui::ShowMessage(this, text);
        pendingTexts_.removeFirst();
    }
    notifying_ = false;
}
