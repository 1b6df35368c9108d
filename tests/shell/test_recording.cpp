// "记录" in the three-phase measurement window against the simulator: the
// CSV file after a few polls, appending on the next run, a write error.
#include "ui/messagebox.h"
#include "link/qtserialport.h"
#include "ui/recordbutton.h"
#include "link/seriallink.h"
#include "sim/ptysimulator.h"
#include "sim/threephase.h"
#include "tests/support/testutil.h"
#include "threephase/measurementwindow.h"

#include <QFile>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QStringList csvLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).remove(QChar(0xFEFF)).split("\r\n", Qt::SkipEmptyParts);
}

struct Recording : ::testing::Test {
    sim::PtySimulator simulator;
    QtSerialPortControl port;
    SerialLink link{&port};
    ui::RecordedMessages messages;

    void SetUp() override
    {
        QString error;
        KZ_NEEDS_PTY();
        ASSERT_TRUE(simulator.Open(&error)) << error.toStdString();
        auto *meter = static_cast<sim::ThreePhaseInstrument *>(simulator.bus().Add(7, sim::Family::ThreePhase));
        meter->SetWiringMode(2);
        meter->SetRatios(1, 1);
        port.SetPortName(simulator.SlavePath());
        ASSERT_TRUE(port.SetPortOpen(true, &error)) << error.toStdString();
        link.PrepareReceive();
    }
    void TearDown() override { port.SetPortOpen(false); }

    // Polls until the file has `rows` rows besides its header.
    void poll(threephase::MeasurementWindow &win, const QString &path, int rows)
    {
        win.findChild<QPushButton *>("BitBtn1")->click();
        EXPECT_TRUE(WaitFor([&] { return csvLines(path).size() >= rows + 1; }, 10000));
        win.findChild<QPushButton *>("BitBtn2")->click();
    }
};

} // namespace

TEST_F(Recording, EveryMeasurementIsARowAndANewRunAppends)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("three-phase.csv");
    threephase::MeasurementWindow win(link);
    win.show();
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(7);
    win.findChild<QTimer *>("Timer1")->setInterval(300);
    auto *record = win.findChild<RecordButton *>("RecordButton");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->text(), "记录");
    ASSERT_TRUE(record->StartTo(path));
    EXPECT_TRUE(record->isChecked());
    poll(win, path, 2);
    record->Stop();
    const int rows = static_cast<int>(csvLines(path).size()) - 1;
    ASSERT_TRUE(record->StartTo(path));
    poll(win, path, rows + 1);

    const QStringList lines = csvLines(path);
    ASSERT_GE(lines.size(), rows + 2);
    const QStringList header = lines[0].split(',');
    ASSERT_EQ(header.size(), 2 + threephase::kMeasurementBoxes);
    EXPECT_EQ(header[0], "时间");
    EXPECT_EQ(header[1], "地址");
    EXPECT_EQ(header[2], "A相电压 (V)");
    EXPECT_EQ(header[15], "相频率 (Hz)");
    EXPECT_EQ(lines.filter("时间").size(), 1); // one header, whatever the runs
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList row = lines[i].split(',');
        ASSERT_EQ(row.size(), header.size()) << lines[i].toStdString();
        EXPECT_EQ(row[1], "7");
        bool number = false;
        row[2].toDouble(&number);
        EXPECT_TRUE(number) << row[2].toStdString();
    }
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(Recording, AWriteErrorStopsRecordingWithOneMessage)
{
    threephase::MeasurementWindow win(link);
    win.show();
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(7);
    win.findChild<QTimer *>("Timer1")->setInterval(300);
    auto *record = win.findChild<RecordButton *>("RecordButton");
    ASSERT_TRUE(record->StartTo("/dev/full"));
    win.findChild<QPushButton *>("BitBtn1")->click();
    ASSERT_TRUE(WaitFor([&] { return !record->isChecked(); }, 10000));
    Pump(1000); // more measurements come in; no more messages
    win.findChild<QPushButton *>("BitBtn2")->click();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains("记录已停止"));
    EXPECT_FALSE(record->Recording());
}
