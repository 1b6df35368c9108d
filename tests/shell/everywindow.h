#pragma once
// The program against simulated instruments over a pseudo-terminal (1
// three-phase, 2 single-phase, 3 KZ827KVE), and a walk through every one of
// its windows: for the tests that hold every window to a rule.
#include "link/qtserialport.h"
#include "shell/program.h"
#include "sim/ptysimulator.h"
#include "ui/messagebox.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <gtest/gtest.h>

class FamilyWindow;
class QWidget;

// The text without blanks and without the '&' of a shortcut.
QString Squeezed(QString text);

struct DemoProgram : ::testing::Test {
    sim::PtySimulator simulator;
    QtSerialPortControl port;
    ui::RecordedMessages messages;
    std::unique_ptr<Program> program;

    void SetUp() override;
    void TearDown() override;

    // Presses the window's read buttons (上载, 上载数据, 检测, 启动, 读启用, in
    // the language shown) at its family's instrument and waits for each
    // answer to be shown.
    void Fill(FamilyWindow *window, Family family);
    // What check finds in the main window, in every window as opened and,
    // for a family's window, again after Fill, and in the traffic monitor
    // and the trend; each fault once.
    QStringList WalkEveryWindow(const std::function<QStringList(QWidget *)> &check);
};
