// The 接线检查 window against a wrongly wired simulated meter: the verdict,
// the fitting connection, the correction factor, the drawn diagram and the
// saved report.
#include "sim/threephase.h"
#include "tests/support/ptylink.h"
#include "tests/support/testutil.h"
#include "threephase/wiringwindow.h"
#include "ui/messagebox.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(WiringWindowOverPty, NamesAReversedCtDrawsItAndSavesTheReport)
{
    PtyLink pty;
    auto *meter = static_cast<sim::ThreePhaseInstrument *>(pty.simulator.bus().Add(1, sim::Family::ThreePhase));
    meter->SetFrozen(true);
    sim::Miswire wiring;
    wiring.reversed = {false, true, false};
    meter->SetMiswire(wiring);
    KZ_NEEDS_PTY();
    ASSERT_TRUE(pty.Open()) << pty.error.toStdString();
    SerialLink &link = pty.link;
    ui::RecordedMessages messages;

    threephase::WiringWindow win(link);
    win.show();
    win.findChild<QSpinBox *>("SpinEdit1")->setValue(1);
    win.findChild<QPushButton *>("BitBtn1")->click();
    QLabel *verdict = win.findChild<QLabel *>("VerdictLabel");
    ASSERT_TRUE(WaitFor([verdict] { return !verdict->text().isEmpty(); }, 8000));
    EXPECT_EQ(verdict->text(), "B相电流互感器极性接反");
    auto *fits = win.findChild<QTableWidget *>("FitTable");
    ASSERT_EQ(fits->rowCount(), 1);
    EXPECT_EQ(fits->item(0, 0)->text(), "B相电流互感器极性接反");
    // The simulated phases differ by about 1 %: the factor is near 3.
    const double factor = win.findChild<QLabel *>("CorrectionLabel")->text().toDouble();
    EXPECT_GT(factor, 2.85);
    EXPECT_LT(factor, 3.15);
    EXPECT_TRUE(win.findChild<QLabel *>("LoadAngleLabel")->text().startsWith("滞后"));

    // The diagram is drawn in the three phase colours.
    const QImage image = win.findChild<QWidget *>("PhasorDiagram")->grab().toImage();
    int coloured = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            coloured += image.pixelColor(x, y).saturation() > 120;
    EXPECT_GT(coloured, 200);

    // Every control's accessible name holds its visible text.
    for (QPushButton *b : win.findChildren<QPushButton *>())
        EXPECT_TRUE(b->accessibleName().isEmpty() || b->accessibleName().contains(b->text())) << b->objectName().toStdString();
    EXPECT_TRUE(verdict->accessibleName().contains(verdict->text()));

    QTemporaryDir dir;
    const QString path = dir.filePath("report.pdf");
    threephase::WiringWindow::SetReportChooser([&](QWidget *, const QString &suggested) {
        EXPECT_TRUE(suggested.startsWith("wiring-1-"));
        return path;
    });
    win.findChild<QPushButton *>("SaveReport")->click();
    threephase::WiringWindow::SetReportChooser({});
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 1);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
    win.findChild<QPushButton *>("BitBtn3")->click();
}
