// The main window: family entries, which pop-up each button opens, the
// close-others routines and which window takes a family's replies, the
// wiring diagram button, start-up preparation of the link, one message box at
// a time, and exit.
#include "tests/support/fakeport.h"
#include "ui/replyrouter.h"
#include "ui/messagebox.h"
#include "shell/buttonart.h"
#include "shell/wiringwindow.h"
#include "shell/mainwindow.h"
#include "shell/programwindows.h"
#include "ui/familywindow.h"
#include "tests/support/testutil.h"

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

// The family a window class belongs to, by its namespace.
std::optional<Family> FamilyOf(const QString &className)
{
    for (Family f : {Family::ThreePhase, Family::SinglePhase, Family::Kz827})
        if (className.startsWith(QString(FamilyName(f)).remove('-') + "::"))
            return f;
    return std::nullopt;
}

// A stand-in family window that counts how often it was closed (by its
// return button's path, CloseWindow, or its title bar).
struct CountingWindow : FamilyWindow {
    CountingWindow(SerialLink &link, const QString &className)
        : FamilyWindow(link, FamilyOf(className), className.toLatin1().constData())
    {
    }
    int closes = 0;
    void onClose() override
    {
        ++closes;
        FamilyWindow::onClose();
    }
};
struct StandIn {
    std::unique_ptr<CountingWindow> window;
    int &presses;
    StandIn(SerialLink &link, const QString &className)
        : window(std::make_unique<CountingWindow>(link, className)), presses(window->closes)
    {
    }
};

struct Shell {
    FakePortControl port;
    SerialLink link{&port};
    MainWindow w{link};
    ui::RecordedMessages rec;
    std::map<QString, std::unique_ptr<StandIn>> standIns;

    StandIn &add(const QString &className)
    {
        auto &s = standIns[className];
        s = std::make_unique<StandIn>(link, className);
        w.RegisterWindow(className, s->window.get());
        return *s;
    }
    QAction *entry(const char *name) { return w.findChild<QAction *>(QLatin1String(name)); }
    QMenu *menu(const char *name) { return w.findChild<QMenu *>(QLatin1String(name)); }
    void press(const char *name) { w.findChild<QPushButton *>(QLatin1String(name))->click(); }
    QString label() { return w.findChild<QLabel *>("Label1")->text(); }
    int presses(const QString &className) { return standIns.at(className)->presses; }
    // The window that takes the family's replies is the stand-in of className.
    bool holds(Family family, const QString &className)
    {
        return ReplyRouter::Of(link).Holder(family) == standIns.at(className)->window.get();
    }
};

QStringList names(QMenu *menu)
{
    QStringList out;
    for (QAction *a : menu->actions())
        out << a->objectName() + "=" + a->text();
    return out;
}

} // namespace

TEST(MainWindow, LooksAsDescribed)
{
    Shell s;
    EXPECT_EQ(s.w.windowTitle(), "      KZ系列电参数表调试软件");
    EXPECT_EQ(s.w.size(), QSize(297, 414));
    EXPECT_EQ(s.w.minimumSize(), s.w.maximumSize());
    EXPECT_FALSE(s.w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(s.w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(s.label(), "KZ5500E三相电参数测试仪");
    EXPECT_EQ(s.w.findChild<QLabel *>("Label1")->palette().color(QPalette::WindowText), QColor(0, 255, 0));

    struct B {
        const char *name, *label;
        int y;
    };
    const B buttons[] = {{"BitBtn1", "串行口设置", 48}, {"BitBtn2", "仪表地址检测", 88}, {"BitBtn7", "仪表型号选择", 128},
                         {"BitBtn3", "电量测量", 168},   {"BitBtn4", "参数设置", 208},     {"BitBtn8", "协议选择", 248},
                         {"BitBtn5", "典型接线", 288},   {"BitBtn6", "退 出", 328}};
    QWidget *previous = nullptr;
    for (const B &b : buttons) {
        auto *btn = s.w.findChild<QPushButton *>(b.name);
        ASSERT_TRUE(btn) << b.name;
        EXPECT_EQ(btn->geometry(), QRect(88, b.y, 129, 30)) << b.name;
        EXPECT_TRUE(btn->text().isEmpty());
        EXPECT_EQ(btn->accessibleName(), QString::fromUtf8(b.label));
        EXPECT_EQ(btn->toolTip(), QString::fromUtf8(b.label));
        EXPECT_EQ(btn->focusPolicy(), Qt::StrongFocus);
        EXPECT_FALSE(btn->icon().isNull());
        if (previous) { // keyboard order follows the buttons top to bottom
            EXPECT_EQ(previous->nextInFocusChain(), btn) << b.name;
        }
        previous = btn;
    }
}

TEST(MainWindow, MenusInOnScreenOrder)
{
    Shell s;
    EXPECT_EQ(names(s.menu("PopupMenu3")),
              QStringList({"KZ5500E1=KZ5500E三相电参数测试仪", "KZ2066E1=KZ5055M三相电参数模块",
                           "KZ2022E1=KZ5700E单相电参数测试仪", "KZ827KVE1=KZ827KVE单相电参数测试仪",
                           "N10=三相电参数隔离传输模块", "N11=单相电参数隔离传输模块"}));
    EXPECT_EQ(names(s.menu("PopupMenu1")), QStringList({"N1=电量参数测量", "N2=遥测、遥信", "N3=越限状态显示",
                                                        "N4=事件记录显示", "N5=仪表当前状态", "NWiring=接线检查"}));
    EXPECT_EQ(names(s.menu("PopupMenu2")),
              QStringList({"N6=报警屏蔽设置", "N7=上下限报警值设置", "N8=窗口显示参数设置", "N9=仪表初始化设置",
                           "N12=其它", "N13=模块校表"}));
    EXPECT_EQ(names(s.menu("KZ2600SAMPL")),
              QStringList({"N19=电量参数测量", "N20=遥测、遥信", "N21=越限状态显示", "N22=事件记录显示"}));
    EXPECT_EQ(names(s.menu("KZ2600SET")),
              QStringList({"N14=报警屏蔽设置", "N15=上下限报警设置", "N23=窗口显示参数设置", "N16=仪表初始化设置",
                           "N17=仪表校表", "N18=其它参数设置"}));
    EXPECT_EQ(names(s.menu("KZ827KVESAMPL")), QStringList({"N24=电量测量", "N25=遥控"}));
    EXPECT_EQ(names(s.menu("KZ827KVESET")),
              QStringList({"N26=报警参数设置", "N27=仪表初始化设置", "KZ8271=KZ827校准"}));
    // The traffic monitor and the settings files follow the two protocols, after a separator.
    EXPECT_EQ(names(s.menu("PopupMenu4")),
              QStringList({"MenuItem1=MODBUS-ASCII", "MenuItem2=MODBUS-RTU", "=", "TrafficMonitorItem=通信监视(&M)",
                           "SettingsFileItem=配置文件(&F)…", "TrendItem=测量趋势(&T)"}));
}

TEST(MainWindow, FamilyEntries)
{
    Shell s;
    EXPECT_FALSE(ReplyRouter::Of(s.link).ChosenFamily());

    s.entry("KZ2066E1")->trigger();
    EXPECT_EQ(ReplyRouter::Of(s.link).ChosenFamily(), Family::ThreePhase);
    EXPECT_EQ(s.label(), "KZ5500M三相电参数模块");
    EXPECT_FALSE(s.entry("N8")->isEnabled());
    EXPECT_TRUE(s.entry("N13")->isEnabled());

    s.entry("KZ5500E1")->trigger();
    EXPECT_EQ(ReplyRouter::Of(s.link).ChosenFamily(), Family::ThreePhase);
    EXPECT_EQ(s.label(), "KZ5500E三相电参数测试仪");
    EXPECT_TRUE(s.entry("N8")->isEnabled());
    EXPECT_TRUE(s.entry("N13")->isEnabled());

    TakeOverByAnother(s.link, Family::SinglePhase);
    s.entry("KZ2022E1")->trigger();
    EXPECT_EQ(ReplyRouter::Of(s.link).ChosenFamily(), Family::SinglePhase);
    EXPECT_EQ(s.label(), "KZ5700E单相电参数测试仪");
    EXPECT_EQ(ReplyRouter::Of(s.link).Holder(Family::SinglePhase), nullptr);

    // Isolation modules: the title only; menus and replies stay single-phase.
    s.entry("N10")->trigger();
    EXPECT_EQ(s.label(), "三相电参数隔离传输模块");
    EXPECT_EQ(ReplyRouter::Of(s.link).ChosenFamily(), Family::SinglePhase);
    s.entry("N11")->trigger();
    EXPECT_EQ(s.label(), "单相电参数隔离传输模块");
    EXPECT_EQ(ReplyRouter::Of(s.link).ChosenFamily(), Family::SinglePhase);

    TakeOverByAnother(s.link, Family::Kz827);
    s.entry("KZ827KVE1")->trigger();
    EXPECT_EQ(ReplyRouter::Of(s.link).ChosenFamily(), Family::Kz827);
    EXPECT_EQ(s.label(), "KZ827KVE单相电参数测试仪");
    EXPECT_NE(ReplyRouter::Of(s.link).Holder(Family::Kz827), nullptr); // kept until a KZ827KVE window is opened
}

TEST(MainWindow, ButtonsPopUpTheFamilysMenusAtTheirPlaces)
{
    Shell s;
    s.w.show();
    s.w.move(100, 50);
    const QPoint origin = s.w.pos();
    struct Case {
        std::optional<Family> family;
        const char *measure;
        const char *settings;
    };
    const Case cases[] = {{std::nullopt, "PopupMenu1", "PopupMenu2"},
                          {Family::ThreePhase, "PopupMenu1", "PopupMenu2"},
                          {Family::SinglePhase, "KZ2600SAMPL", "KZ2600SET"},
                          {Family::Kz827, "KZ827KVESAMPL", "KZ827KVESET"}};
    for (const Case &c : cases) {
        if (c.family)
            ReplyRouter::Of(s.link).ChooseFamily(*c.family);
        s.press("BitBtn3");
        ASSERT_TRUE(s.w.LastPopup());
        EXPECT_EQ(s.w.LastPopup()->objectName(), c.measure) << c.measure;
        EXPECT_EQ(s.w.LastPopupPos(), origin + QPoint(200, 120));
        EXPECT_TRUE(s.w.LastPopup()->isVisible());
        s.w.LastPopup()->hide();
        s.press("BitBtn4");
        EXPECT_EQ(s.w.LastPopup()->objectName(), c.settings) << c.measure;
        EXPECT_EQ(s.w.LastPopupPos(), origin + QPoint(200, 168));
        s.w.LastPopup()->hide();
    }
    s.press("BitBtn7");
    EXPECT_EQ(s.w.LastPopup()->objectName(), "PopupMenu3");
    EXPECT_EQ(s.w.LastPopupPos(), origin + QPoint(200, 60));
    s.w.LastPopup()->hide();
    s.press("BitBtn8");
    EXPECT_EQ(s.w.LastPopup()->objectName(), "PopupMenu4");
    EXPECT_EQ(s.w.LastPopupPos(), origin + QPoint(200, 240));
    s.w.LastPopup()->hide();
}

TEST(MainWindow, ProtocolMenuOffersRtuOnly)
{
    Shell s;
    s.entry("KZ2066E1")->trigger(); // a state the protocol entries must not touch
    QAction *ascii = s.entry("MenuItem1");
    QAction *rtu = s.entry("MenuItem2");
    EXPECT_FALSE(ascii->isEnabled());
    EXPECT_FALSE(ascii->toolTip().isEmpty());
    EXPECT_TRUE(rtu->isChecked());
    ascii->trigger();
    rtu->trigger();
    EXPECT_TRUE(rtu->isChecked());
    EXPECT_FALSE(ascii->isChecked());
    EXPECT_EQ(ReplyRouter::Of(s.link).ChosenFamily(), Family::ThreePhase);
    EXPECT_EQ(s.label(), "KZ5500M三相电参数模块");
    EXPECT_FALSE(s.entry("N8")->isEnabled());
}

TEST(MainWindow, WiringDiagramOnlyForTheThreePhaseFamily)
{
    Shell s;
    StandIn &wiring = s.add("WiringWindow");
    s.press("BitBtn5"); // nothing chosen yet
    EXPECT_FALSE(wiring.window->isVisible());
    s.entry("KZ2022E1")->trigger();
    s.press("BitBtn5");
    EXPECT_FALSE(wiring.window->isVisible());
    s.entry("N10")->trigger(); // label only: still single-phase
    s.press("BitBtn5");
    EXPECT_FALSE(wiring.window->isVisible());
    s.entry("KZ2066E1")->trigger();
    s.press("BitBtn5");
    EXPECT_TRUE(wiring.window->isVisible());
}

TEST(MainWindow, ThreePhaseEntryClosesTheListedWindowsAndSelectsItsSlot)
{
    Shell s;
    for (const char *c : {"threephase::MeasurementWindow", "threephase::LimitStateWindow", "threephase::TelemetryWindow", "threephase::EventsWindow", "threephase::StatePanelWindow",
                          "threephase::AlarmMaskWindow", "threephase::LimitsWindow", "threephase::DisplaySettingsWindow", "AddressScanWindow", "threephase::ModuleCalibrationWindow"})
        s.add(c);
    s.add("threephase::InitSettingsWindow");
    StandIn &other = s.add("threephase::ClockSettingsWindow");
    other.window->show();
    s.standIns["threephase::MeasurementWindow"]->window->show();

    s.entry("N2")->trigger();
    for (const auto &[name, standIn] : s.standIns) {
        const int expected = name == "threephase::ClockSettingsWindow" ? 0 : 1; // pressed even when hidden
        EXPECT_EQ(standIn->presses, expected) << name.toStdString();
    }
    EXPECT_FALSE(s.standIns["threephase::MeasurementWindow"]->window->isVisible());
    EXPECT_TRUE(other.window->isVisible()); // stays on screen...
    EXPECT_TRUE(s.holds(Family::ThreePhase, "threephase::TelemetryWindow")); // ...but replies go to the opened one
    EXPECT_TRUE(s.standIns["threephase::TelemetryWindow"]->window->isVisible());

    // The address scan button does the same for the scan, and the other
    // families' polling windows lose their replies.
    TakeOverByAnother(s.link, Family::SinglePhase);
    TakeOverByAnother(s.link, Family::Kz827);
    s.press("BitBtn2");
    EXPECT_EQ(s.presses("threephase::TelemetryWindow"), 2);
    EXPECT_TRUE(s.holds(Family::ThreePhase, "AddressScanWindow"));
    EXPECT_EQ(ReplyRouter::Of(s.link).Holder(Family::SinglePhase), nullptr);
    EXPECT_EQ(ReplyRouter::Of(s.link).Holder(Family::Kz827), nullptr);
    EXPECT_TRUE(s.standIns["AddressScanWindow"]->window->isVisible());
}

TEST(MainWindow, EachEntryOpensItsWindowWhichTakesItsFamilysReplies)
{
    Shell s;
    const void *last[3] = {};
    for (const ui::WindowList &list : ProgramWindowLists()) {
        for (const ui::WindowEntry &e : list.windows) {
            if (e.menu == ui::Menu::None)
                continue;
            StandIn &w = s.add(QLatin1String(e.className));
            // In the pop-up its family names for that kind of entry.
            EXPECT_TRUE(s.menu(list.MenuName(e.menu))->actions().contains(s.entry(e.entry))) << e.entry;
            s.entry(e.entry)->trigger();
            EXPECT_TRUE(w.window->isVisible()) << e.entry;
            EXPECT_EQ(ReplyRouter::Of(s.link).Holder(*list.family), w.window.get()) << e.entry;
            last[static_cast<int>(*list.family)] = w.window.get();
        }
    }
    // Other families' holders are left alone.
    for (Family f : {Family::ThreePhase, Family::SinglePhase, Family::Kz827})
        EXPECT_EQ(ReplyRouter::Of(s.link).Holder(f), last[static_cast<int>(f)]);
}

TEST(MainWindow, SinglePhaseEntryStopsThePollingWindowsToo)
{
    Shell s;
    for (const char *c : {"singlephase::MeterCalibrationWindow", "singlephase::ClockSettingsWindow", "singlephase::AlarmEnableWindow", "singlephase::MeasurementWindow",
                          "singlephase::AlarmStateWindow", "singlephase::TelemetryWindow", "singlephase::AlarmParamsWindow"})
        s.add(c);
    s.standIns["singlephase::MeasurementWindow"]->window->show();
    s.standIns["singlephase::TelemetryWindow"]->window->show();

    s.entry("N15")->trigger();
    EXPECT_TRUE(s.holds(Family::SinglePhase, "singlephase::AlarmParamsWindow"));
    for (const char *c : {"singlephase::MeterCalibrationWindow", "singlephase::ClockSettingsWindow", "singlephase::AlarmEnableWindow", "singlephase::MeasurementWindow",
                          "singlephase::AlarmStateWindow"})
        EXPECT_EQ(s.presses(c), 1) << c;
    // Windows without a polling timer are not in the list.
    EXPECT_EQ(s.presses("singlephase::TelemetryWindow"), 0);
    EXPECT_TRUE(s.standIns["singlephase::TelemetryWindow"]->window->isVisible());
    EXPECT_FALSE(s.standIns["singlephase::MeasurementWindow"]->window->isVisible());
    EXPECT_TRUE(s.standIns["singlephase::AlarmParamsWindow"]->window->isVisible());
}

TEST(MainWindow, Kz827EntryClosesItsWindowsAndResetsTheTypeFirst)
{
    Shell s;
    for (const char *c : {"kz827::MeasurementWindow", "kz827::CalibrationWindow", "kz827::AlarmsWindow", "kz827::RemoteControlWindow", "kz827::RangeWindow"})
        s.add(c);
    TakeOverByAnother(s.link, Family::Kz827);
    s.w.CloseKz827Windows();
    EXPECT_EQ(ReplyRouter::Of(s.link).Holder(Family::Kz827), nullptr);
    for (const auto &[name, standIn] : s.standIns)
        EXPECT_EQ(standIn->presses, 1) << name.toStdString();

    s.entry("N25")->trigger();
    EXPECT_TRUE(s.holds(Family::Kz827, "kz827::RemoteControlWindow"));
    EXPECT_TRUE(s.standIns["kz827::RemoteControlWindow"]->window->isVisible());
    EXPECT_EQ(s.presses("kz827::MeasurementWindow"), 2);
}

TEST(MainWindow, FirstShowPreparesTheLinkOnce)
{
    Shell s;
    TakeOverByAnother(s.link, Family::ThreePhase);
    s.port.InputMode = 0;
    s.port.RThreshold = 0;
    s.w.show();
    EXPECT_EQ(ReplyRouter::Of(s.link).Holder(Family::ThreePhase), nullptr);
    EXPECT_EQ(s.port.InputMode, 1);
    EXPECT_EQ(s.port.RThreshold, 1);
    EXPECT_FALSE(s.port.PortOpen()); // the port stays closed until the dialog opens it

    TakeOverByAnother(s.link, Family::ThreePhase);
    s.w.hide();
    s.w.show();
    EXPECT_NE(ReplyRouter::Of(s.link).Holder(Family::ThreePhase), nullptr);
}

TEST(MainWindow, LinkAndPortTroubleIsShownOneBoxAtATime)
{
    Shell s;
    // A send with the port closed.
    s.link.Send(WithCrc(Hex("01 03 00 00 00 01")), {});
    EXPECT_TRUE(s.rec.texts.isEmpty()) << "shown inside the sender";
    ASSERT_TRUE(WaitFor([&] { return s.rec.texts.size() == 1; }));
    EXPECT_TRUE(s.rec.texts[0].contains("串口未打开"));

    // The port goes away: one message that also says measuring stopped; the
    // same text twice while waiting shows once.
    s.rec.texts.clear();
    s.port.SetPortOpen(true);
    s.port.Lose("串口 X 已断开");
    const QString lost = "串口 X 已断开\n测量已停止，重新打开串口后请按“启  动”。";
    s.w.Notify(lost);
    ASSERT_TRUE(WaitFor([&] { return !s.rec.texts.isEmpty(); }));
    EXPECT_EQ(s.rec.texts, QStringList{lost});

    // A text that arrives while a box is on screen waits for it.
    int depth = 0, maxDepth = 0;
    QStringList order;
    ui::SetMessageRecorder([&](QWidget *, const QString &text) {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        order << text;
        if (text == "first") {
            s.w.Notify("second");
            QCoreApplication::processEvents(); // the box's own event loop
            QCoreApplication::processEvents();
        }
        --depth;
    });
    s.w.Notify("first");
    ASSERT_TRUE(WaitFor([&] { return order.size() == 2; }));
    EXPECT_EQ(order, QStringList({"first", "second"}));
    EXPECT_EQ(maxDepth, 1);
    ui::SetMessageRecorder({});
}

TEST(MainWindow, ExitClosesEverythingAndEndsTheProgram)
{
    Shell s;
    StandIn &open = s.add("threephase::MeasurementWindow");
    StandIn &hidden = s.add("threephase::ClockSettingsWindow");
    s.w.show();
    open.window->show();
    QSignalSpy closed(&s.w, &MainWindow::MainClosed);
    s.press("BitBtn6");
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(s.w.isVisible());
    EXPECT_FALSE(open.window->isVisible());
    EXPECT_FALSE(hidden.window->isVisible());
}

TEST(Artwork, ButtonPicturesAndWiringDiagramAreDrawn)
{
    // Dark blue text on a light ground.
    const QImage img = ButtonPicture("串行口设置", QSize(127, 28)).toImage();
    ASSERT_EQ(img.size(), QSize(127, 28));
    int ink = 0, ground = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.blue() > 80 && c.red() < 60 && c.green() < 80)
                ++ink;
            else if (c.lightness() > 200)
                ++ground;
        }
    EXPECT_GT(ink, 40);
    EXPECT_GT(ground, img.width() * img.height() / 2);

    WiringWindow wiring;
    EXPECT_EQ(wiring.windowTitle(), "KZ5500E典型接线图");
    ASSERT_TRUE(wiring.PictureLoaded());
    const QImage shot = wiring.grab().toImage();
    ASSERT_GE(shot.width(), 600);
    ASSERT_GE(shot.height(), 630);
    // Cream margin, white sheet, and drawing on the sheet.
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(0xFF, 0xF8, 0xDC));
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, 36 + 12), QColor(Qt::white));
    int dark = 0;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2)
            if (shot.pixelColor(x, y).lightness() < 120)
                ++dark;
    EXPECT_GT(dark, 1000);
}
