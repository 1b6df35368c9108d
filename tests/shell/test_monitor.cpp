// The traffic monitor reached from the main window, its filters, pause,
// clear, copy and save, and the trace file of --trace.
#include "tests/support/fakeport.h"
#include "ui/familywindow.h"
#include "ui/messagebox.h"
#include "shell/trafficmonitor.h"
#include "shell/mainwindow.h"
#include "shell/program.h"
#include "tests/support/testutil.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Monitor : ::testing::Test {
    FakePortControl port;
    ui::RecordedMessages rec;
    Program program{port, Options{}};
    TrafficMonitor &monitor = program.Monitor();
    const QByteArray request = WithCrc(Hex("01 03 00 50 00 01"));
    const QByteArray reply = WithCrc(Hex("01 03 02 00 02"));

    int lines() const { return static_cast<int>(monitor.Text().split('\n', Qt::SkipEmptyParts).size()); }
};

} // namespace

TEST_F(Monitor, OpensFromTheMainWindowsShortcutAndNamesTheWindowByItsTitle)
{
    program.Start();
    program.Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&program.Main()));
    QTest::keyClick(&program.Main(), Qt::Key_M, Qt::ControlModifier);
    ASSERT_TRUE(monitor.isVisible());
    EXPECT_EQ(program.Main().Window("TrafficMonitor"), &monitor);

    auto *measure = qobject_cast<FamilyWindow *>(program.Main().Window("threephase::MeasurementWindow"));
    ASSERT_TRUE(measure);
    measure->Ask(request, {}); // port closed
    port.SetPortOpen(true);
    measure->Ask(request, {});
    program.Link().Dispatch(reply + Hex("00"));
    ASSERT_TRUE(WaitFor([&] { return lines() == 3; }, 2000)); // the timer refreshes
    const QStringList shown = monitor.Text().split('\n');
    EXPECT_TRUE(shown[0].contains("\t发送\t1\t03\t8\t未发送：串口未打开\t01 03 00 50 00 01"))
        << shown[0].toStdString();
    EXPECT_TRUE(shown[2].contains("\t交给 " + measure->windowTitle().trimmed() + "，截自 8 字节\t"))
        << shown[2].toStdString();
}

TEST_F(Monitor, FiltersPauseClearCopyAndSave)
{
    port.SetPortOpen(true);
    SerialLink &link = program.Link();
    link.Send(request, {});
    link.Send(WithCrc(Hex("02 03 00 50 00 01")), {});
    link.Dispatch(reply);
    monitor.Refresh();
    EXPECT_EQ(lines(), 3);

    auto *direction = monitor.findChild<QComboBox *>("DirectionBox");
    auto *address = monitor.findChild<QSpinBox *>("AddressBox");
    direction->setCurrentIndex(2); // 接收
    EXPECT_EQ(lines(), 1);
    direction->setCurrentIndex(1); // 发送
    address->setValue(2);
    EXPECT_EQ(lines(), 1);
    EXPECT_TRUE(monitor.Text().contains("02 03 00 50"));
    direction->setCurrentIndex(0);
    address->setValue(-1);

    monitor.findChild<QCheckBox *>("PauseBox")->setChecked(true);
    link.Send(request, {});
    monitor.Refresh();
    EXPECT_EQ(lines(), 3);
    monitor.findChild<QCheckBox *>("PauseBox")->setChecked(false);
    EXPECT_EQ(lines(), 4);

    monitor.findChild<QPushButton *>("CopyButton")->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), monitor.Text());
    QTemporaryDir dir;
    const QString path = dir.filePath("traffic.txt");
    ASSERT_TRUE(monitor.SaveTo(path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()), monitor.Text() + "\n");
    QString error;
    EXPECT_FALSE(monitor.SaveTo(dir.filePath("no/dir/x.txt"), &error));
    EXPECT_FALSE(error.isEmpty());

    monitor.findChild<QPushButton *>("ClearButton")->click();
    EXPECT_TRUE(monitor.Text().isEmpty());
    link.Send(request, {});
    monitor.Refresh();
    EXPECT_EQ(lines(), 1); // only what came after the clear
}

TEST_F(Monitor, AWindowShownOnAFullLogIsDrawnWholeOnceItsStagesHaveRun)
{
    for (int i = 0; i < 300; ++i)
        program.Link().Dispatch(reply); // replies nobody asked for: dropped rows
    monitor.show();
    auto *view = monitor.findChild<QTableView *>("TrafficView");
    ASSERT_TRUE(view);
    // Text in a band of a widget as it draws itself now: some dark pixels.
    const auto inked = [](QWidget *w, QRect band) {
        const QImage image = w->grab(band).toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 100)
                    return true;
        return false;
    };
    QWidget *rows = view->viewport();
    QWidget *header = view->horizontalHeader()->viewport();
    const auto lastRow = [&] { return view->visualRect(view->model()->index(view->model()->rowCount() - 1, 0)); };
    const auto rightHalf = [](QWidget *w) { return QRect(w->width() / 2, 0, w->width() / 2, w->height()); };
    ASSERT_TRUE(WaitFor([&] { return inked(rows, lastRow()) && inked(header, rightHalf(header)); }, 2000));
    EXPECT_TRUE(inked(rows, QRect(0, 0, rows->width(), view->rowHeight(0))));
    EXPECT_TRUE(inked(rows, rightHalf(rows))); // the bytes column
    // The view follows the newest row, and new rows keep being drawn.
    program.Link().Dispatch(WithCrc(Hex("07 03 02 00 02")));
    monitor.Refresh();
    EXPECT_TRUE(monitor.Text().endsWith("07 03 02 00 02 " + QString::fromLatin1(WithCrc(Hex("07 03 02 00 02")).right(2).toHex(' ').toUpper())));
    EXPECT_TRUE(inked(rows, lastRow()));
}

TEST_F(Monitor, ControlsAreNamedLabelledAndReachable)
{
    for (QWidget *window : {static_cast<QWidget *>(&monitor), program.Trend()}) {
        if (!window)
            continue;
        QSet<QWidget *> buddied;
        for (QLabel *label : window->findChildren<QLabel *>())
            if (label->buddy())
                buddied.insert(label->buddy());
        for (QWidget *c : window->findChildren<QWidget *>()) {
            const bool input = qobject_cast<QAbstractButton *>(c) || qobject_cast<QAbstractSpinBox *>(c) ||
                               qobject_cast<QComboBox *>(c) || c->objectName() == "TrafficView" ||
                               c->objectName() == "QuantityList" || c->objectName() == "TrendChart";
            if (!input || qobject_cast<QAbstractSpinBox *>(c->parent()) || qobject_cast<QComboBox *>(c->parent()) ||
                c->objectName().startsWith("qt_"))
                continue;
            const auto *button = qobject_cast<QAbstractButton *>(c);
            EXPECT_FALSE(c->objectName().isEmpty());
            EXPECT_TRUE(!c->accessibleName().isEmpty() || (button && !button->text().isEmpty()) || buddied.contains(c))
                << c->objectName().toStdString();
            EXPECT_NE(c->focusPolicy(), Qt::NoFocus) << c->objectName().toStdString();
        }
    }
}

TEST(Trace, OptionAppendsRecordsAndAnUnwritableFileIsSaidOnce)
{
    QTemporaryDir dir;
    QString message;
    const auto options =
        ParseOptions({"kzdebug", "--trace", dir.filePath("t.txt")}, &message);
    ASSERT_TRUE(options.has_value());
    EXPECT_EQ(options->trace, dir.filePath("t.txt"));
    {
        FakePortControl port;
        Program program(port, *options);
        program.Link().Send(WithCrc(Hex("01 03 00 50 00 01")), {});
        QFile f(dir.filePath("t.txt"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll().contains("01 03 00 50 00 01"));
    }
    ui::RecordedMessages rec;
    Options bad;
    bad.trace = dir.filePath("no/dir/t.txt");
    FakePortControl port;
    Program program(port, bad);
    ASSERT_TRUE(WaitFor([&] { return !rec.texts.isEmpty(); }, 1000));
    EXPECT_TRUE(rec.texts.first().contains("t.txt"));
}

#ifdef KZ_HAVE_CHARTS
#include "ui/recordbutton.h"
#include "shell/trendwindow.h"

#include <QImage>
#include <QListWidget>
#include <QChartView>
#include <QDateTime>

TEST_F(Monitor, TrendOpensFromTheMainWindowAndPlotsTheMeasurementWindowsValues)
{
    auto *trend = qobject_cast<TrendWindow *>(program.Trend());
    ASSERT_NE(trend, nullptr);
    program.Start();
    program.Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&program.Main()));
    QTest::keyClick(&program.Main(), Qt::Key_T, Qt::ControlModifier);
    ASSERT_TRUE(trend->isVisible());

    QWidget *measure = program.Main().Window("kz827::MeasurementWindow");
    ASSERT_NE(measure, nullptr);
    auto *record = measure->findChild<RecordButton *>("RecordButton");
    for (int i = 0; i < 3; ++i)
        record->Record(3, {"电压", "电流"}, {QString("22%1.0V").arg(i), "1.5A"});
    EXPECT_EQ(trend->Buffer().PointCount(0), 3u);
    EXPECT_EQ(trend->CurveCount(), 1);
    auto *list = trend->findChild<QListWidget *>("QuantityList");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), "电流 (A)");
    list->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(trend->CurveCount(), 2);

    QTemporaryDir dir;
    ASSERT_TRUE(trend->SavePng(dir.filePath("trend.png")));
    EXPECT_FALSE(QImage(dir.filePath("trend.png")).isNull());
}
#endif

#ifdef KZ_HAVE_CHARTS
TEST_F(Monitor, TrendSpansZoomsPansReadsOutAndExportsTheShownCurves)
{
    auto *trend = qobject_cast<TrendWindow *>(program.Trend());
    ASSERT_NE(trend, nullptr);
    trend->resize(900, 540);
    trend->show();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (int s = 0; s <= 30 * 60; s += 60) // half an hour, a value a minute
        trend->Add(now - 30 * 60 * 1000 + s * 1000, {"电压", "电流"},
                   {QString("%1V").arg(200 + s / 60), QString("%1A").arg(s / 600.0)});
    trend->findChild<QListWidget *>("QuantityList")->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(trend->CurveCount(), 2);
    EXPECT_EQ(trend->ValueAxisCount(), 2); // V and A each on their own axis

    auto *span = trend->findChild<QComboBox *>("SpanBox");
    const auto width = [&] { return (trend->ShownTime().second - trend->ShownTime().first) / 60000.0; };
    EXPECT_NEAR(width(), 10, 0.01);
    span->setCurrentIndex(0);
    EXPECT_NEAR(width(), 1, 0.01);
    span->setCurrentIndex(3); // all that is kept: an hour
    EXPECT_NEAR(width(), 60, 0.01);

    // Zoomed in, the chart no longer follows new measurements; reset does.
    trend->ZoomBy(4);
    EXPECT_TRUE(trend->Zoomed());
    EXPECT_NEAR(width(), 15, 0.5);
    const auto zoomed = trend->ShownTime();
    trend->PanBy(-0.1, 0);
    EXPECT_LT(trend->ShownTime().first, zoomed.first);
    trend->Add(now + 60000, {"电压", "电流"}, {"231V", "3.1A"});
    EXPECT_LT(trend->ShownTime().second, static_cast<double>(now));
    trend->findChild<QPushButton *>("ResetButton")->click();
    EXPECT_FALSE(trend->Zoomed());
    EXPECT_NEAR(trend->ShownTime().second, static_cast<double>(now + 60000), 1);

    // The readout at the middle of the plot: a time and both values.
    auto *view = trend->findChild<QChartView *>("TrendChart");
    trend->ReadOut(view->mapFromScene(view->chart()->mapToScene(view->chart()->plotArea().center())));
    EXPECT_TRUE(trend->Readout().contains("电压 ")) << trend->Readout().toStdString();
    EXPECT_TRUE(trend->Readout().contains("A")) << trend->Readout().toStdString();

    // CSV of the shown curves over the shown ten minutes up to the newest:
    // the minutes -9..0 and the one added at +1.
    span->setCurrentIndex(1);
    QTemporaryDir dir;
    ASSERT_TRUE(trend->SaveCsv(dir.filePath("trend.csv")));
    QFile f(dir.filePath("trend.csv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
    EXPECT_EQ(rows.first(), "时间,电压 (V),电流 (A)");
    EXPECT_EQ(rows.size(), 1 + 11);
    EXPECT_TRUE(rows.last().endsWith(",231,3.1")) << rows.last().toStdString();
}
#endif
