// kzdebug: configures and monitors electrical panel meters over Modbus RTU.
#include "ui/language.h"
#include "ui/messagebox.h"
#include "link/portswitch.h"
#include "link/qtserialport.h"
#include "link/tcpport.h"
#include "shell/mainwindow.h"
#include "shell/program.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    // The command line is read before any window system is needed, so
    // --help and --version work over SSH and in scripts.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QString message;
    bool help = false;
    const std::optional<Options> options = ParseOptions(arguments, &message, &help);
    if (!options) {
        std::fputs(message.toLocal8Bit().constData(), help ? stdout : stderr);
        return help ? 0 : 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kzdebug"));
    // Matches the installed kzdebug.desktop, so docks and Wayland
    // compositors show the entry's name and icon for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("kzdebug"));
    // The language is chosen before any window is made: each is translated
    // as it is shown.
    ui::SetLanguage(options->language.isEmpty() ? ui::SavedLanguage() : options->language);
    ui::SetMessageTitle(QStringLiteral(QT_TRANSLATE_NOOP("kz", "KZ系列电参数表调试软件")));

    // A serial device or a gateway on the network, whichever the user opens.
    PortSwitch port(new QtSerialPortControl, new TcpPortControl);
    Program program(port, *options);
    // The program ends with its main window, whatever else is still open.
    QObject::connect(&program.Main(), &MainWindow::MainClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    program.Start();
    if (options->quitAfterShow)
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
