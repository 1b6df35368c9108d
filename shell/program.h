#pragma once
// Start-up: the command line, and the program object that owns the link,
// the main window and every other window for the whole run.
#include "link/seriallink.h"

#include <QIcon>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class QWidget;
class PortDialog;
class MainWindow;
class DemoSimulator;
class TraceFile;
class TrafficMonitor;

struct Options {
    // Extra ports offered by the port settings dialog (--port, repeatable).
    QStringList ports;
    // Run the instrument simulator and offer its port (--demo).
    bool demo = false;
    // Exit as soon as the main window is shown (start-up measurements).
    bool quitAfterShow = false;
    // Append every frame record to this file (--trace).
    QString trace;
    // The language for this run (--lang zh|en); empty: the one remembered.
    QString language;
};

// Parses the program's arguments (args[0] is the program). Returns nothing
// and fills message for --help (text to print, not an error) or a bad option.
std::optional<Options> ParseOptions(const QStringList &args, QString *message, bool *isHelp = nullptr);

// The program's icon in every size the package installs; every window and
// the desktop entry show the same picture.
QIcon ProgramIcon();

class Program {
public:
    // Creates the link on the given port and every window that exists, in
    // the program's creation order, the main window first.
    Program(SerialPortControl &port, const Options &options);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    SerialLink &Link() { return link_; }
    MainWindow &Main() { return *main_; }
    PortDialog &ComDialog() { return *com_; }
    DemoSimulator *Demo() { return demo_.get(); }
    TrafficMonitor &Monitor() { return *monitor_; }
    // The trend window (a TrendWindow); nullptr in a build without Qt Charts.
    QWidget *Trend() { return trend_; }
    // Class names of the windows created, in creation order.
    const QStringList &Created() const { return created_; }

    // Shows the main window and, in demo mode, starts the simulator found
    // next to this program (or the one given).
    void Start(const QString &simulatorPath = {});

private:
    Options options_;
    SerialLink link_;
    std::unique_ptr<MainWindow> main_;
    std::vector<std::unique_ptr<QWidget>> windows_;
    PortDialog *com_ = nullptr;
    QStringList created_;
    std::unique_ptr<DemoSimulator> demo_;
    // Made with the program's windows (windows_ owns them).
    TrafficMonitor *monitor_ = nullptr;
    QWidget *trend_ = nullptr;
    std::unique_ptr<TraceFile> trace_;
};
