#pragma once
// Helpers shared by the two calibration windows' tests (the three-phase
// module and the single-phase meter have the same controls): finding
// controls, and one run of the windows' own procedure against a simulated
// instrument.
#include "ui/familywindow.h"
#include "ui/messagebox.h"
#include "tests/support/testutil.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cmath>
#include <gtest/gtest.h>
#include <initializer_list>

namespace calibrationtest {

inline void click(QWidget &w, const char *button)
{
    w.findChild<QPushButton *>(button)->click();
}
inline QString text(QWidget &w, const char *name)
{
    if (auto *edit = w.findChild<QLineEdit *>(name))
        return edit->text();
    return w.findChild<QLabel *>(name)->text();
}
inline void choose(QWidget &w, int row)
{
    w.findChild<QListWidget *>("ListBox1")->setCurrentRow(row);
}

struct Point {
    int row;             // in the list of points
    const char *readOut; // the reading compared with the reference
    double reference;
};

// For each point: clear and write its correction (the bench follows the
// point), read eight times and see the instrument's own error, compute,
// write, read eight times again: the reading now meets the reference within
// 0.05 %.
inline void RunProcedure(FamilyWindow &win, std::initializer_list<Point> points)
{
    ui::RecordedMessages messages;
    int replies = 0;
    QObject::connect(&win, &FamilyWindow::ReplyHandled, [&] { ++replies; });
    const auto readTimes = [&](int n) {
        for (int i = 0; i < n; ++i) {
            const int before = replies;
            click(win, "BitBtn5");
            ASSERT_TRUE(WaitFor([&] { return replies > before; }, 3000));
        }
    };
    const auto write = [&] {
        messages.texts.clear();
        click(win, "BitBtn1");
        ASSERT_TRUE(WaitFor([&] { return !messages.texts.isEmpty(); }, 3000));
        EXPECT_EQ(messages.texts, QStringList{"参数设置成功！！"});
    };
    const auto value = [&](const char *name) { return text(win, name).chopped(1).toDouble(); };
    for (const Point &p : points) {
        choose(win, p.row);
        click(win, "Button1");
        write();
        readTimes(8);
        EXPECT_GT(std::abs(value(p.readOut) - p.reference), p.reference * 0.003) << "the instrument's own error";
        click(win, "BitBtn2");
        ASSERT_NE(text(win, "Edit2"), "000000");
        write();
        readTimes(8);
        EXPECT_NEAR(value(p.readOut), p.reference, p.reference * 0.0005) << p.readOut;
    }
}

} // namespace calibrationtest
