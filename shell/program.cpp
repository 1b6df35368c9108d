#include "shell/program.h"

#include "core/tr.h"

#include "shell/portdialog.h"
#include "link/framerecorder.h"
#include "link/netaddress.h"
#include "ui/recordbutton.h"
#include "ui/language.h"
#include "shell/trafficmonitor.h"
#include "shell/programwindows.h"
#include "shell/demo.h"
#include "shell/mainwindow.h"

#ifdef KZ_HAVE_CHARTS
#include "shell/trendwindow.h"
#endif

#include <QApplication>
#include <QCommandLineParser>
#include <functional>
#include <utility>

std::optional<Options> ParseOptions(const QStringList &args, QString *message, bool *isHelp)
{
    if (isHelp)
        *isHelp = false;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(QT_TRANSLATE_NOOP("kz", "KZ系列电参数表调试软件 (Modbus RTU)")));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Offer the serial port at <path> (e.g. /dev/ttyUSB0) in the port "
                                                 "settings dialog, as its default choice. Repeatable. A gateway on "
                                                 "the network is given as tcp://HOST:PORT (RTU over TCP) or "
                                                 "mbtcp://HOST:PORT (Modbus TCP); IPv6 hosts in brackets."),
                                  QStringLiteral("path"));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Start the instrument simulator (kzsim, next to this program) and "
                                                 "offer its demo bus: 1 three-phase, 2 single-phase, 3 KZ827KVE."));
    const QCommandLineOption quitAfterShow(QStringLiteral("quit-after-show"),
                                           QStringLiteral("Exit once the main window is shown (for start-up timing)."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(quitAfterShow);
    parser.addOption(port);
    parser.addOption(demo);
    const QCommandLineOption trace(QStringLiteral("trace"),
                                   QStringLiteral("Append every frame sent and received, with what the program did "
                                                  "with it, to <file>, one line each, written at once."),
                                   QStringLiteral("file"));
    parser.addOption(trace);
    const QCommandLineOption language(QStringLiteral("lang"),
                                      QStringLiteral("User interface language for this run: %1 (Chinese, the default) "
                                                     "or en (English). Without it, the language chosen last in the "
                                                     "Language menu.").arg(QStringLiteral("zh")),
                                      QStringLiteral("code"));
    parser.addOption(language);
    // Read before the application object exists: name the program in the
    // usage line ourselves.
    const auto helpText = [&parser] {
        return parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("kzdebug"));
    };
    if (!parser.parse(args)) {
        *message = parser.errorText() + QLatin1Char('\n') + helpText();
        return std::nullopt;
    }
    if (parser.isSet(version)) {
        if (isHelp)
            *isHelp = true;
        *message = QStringLiteral("kzdebug %1\n").arg(QStringLiteral(KZ_VERSION));
        return std::nullopt;
    }
    if (parser.isSet(help)) {
        if (isHelp)
            *isHelp = true;
        *message = helpText();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *message = QStringLiteral("Unexpected argument: %1\n").arg(parser.positionalArguments().first()) +
                   helpText();
        return std::nullopt;
    }
    Options o;
    o.ports = parser.values(port);
    for (const QString &p : std::as_const(o.ports)) {
        QString why;
        if (IsNetPortName(p) && !ParseNetPort(p, &why)) {
            *message = QStringLiteral("--port %1: %2\n").arg(p, why) + helpText();
            return std::nullopt;
        }
    }
    o.demo = parser.isSet(demo);
    o.quitAfterShow = parser.isSet(quitAfterShow);
    o.trace = parser.value(trace);
    o.language = parser.value(language);
    if (!o.language.isEmpty() && !ui::Languages().contains(o.language)) {
        *message = QStringLiteral("--lang %1: not one of %2\n").arg(o.language, ui::Languages().join(QStringLiteral(", "))) +
                   helpText();
        return std::nullopt;
    }
    return o;
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/assets/icons/kzdebug-%1.png").arg(size), QSize(size, size));
    return icon;
}

Program::Program(SerialPortControl &port, const Options &options)
    : options_(options), link_(&port), main_(std::make_unique<MainWindow>(link_))
{
    QApplication::setWindowIcon(ProgramIcon());
    main_->setWindowIcon(QApplication::windowIcon());
    created_.append(QStringLiteral("MainWindow"));
    for (const ui::WindowList &list : ProgramWindowLists())
        for (const ui::WindowEntry &entry : list.windows) {
            const QString className = QLatin1String(entry.className);
            std::unique_ptr<QWidget> w = ui::MakeWindow(entry, port, link_);
            main_->RegisterWindow(className, w.get());
            if (className == QLatin1String("PortDialog"))
                com_ = static_cast<PortDialog *>(w.get());
            else if (className == QLatin1String("TrafficMonitor"))
                monitor_ = static_cast<TrafficMonitor *>(w.get());
            else if (className == QLatin1String("TrendWindow"))
                trend_ = w.get();
            windows_.push_back(std::move(w));
            created_.append(className);
        }
#ifdef KZ_HAVE_CHARTS
    // The trend follows every measurement window (each has a 记录 control).
    if (auto *trend = static_cast<TrendWindow *>(trend_))
        for (const auto &w : windows_)
            if (auto *record = w->findChild<RecordButton *>(QStringLiteral("RecordButton")))
                trend->Follow(record);
#endif
    if (!options_.trace.isEmpty()) {
        trace_ = std::make_unique<TraceFile>();
        QObject::connect(trace_.get(), &TraceFile::Failed, main_.get(), &MainWindow::Notify);
        QString error;
        if (!trace_->Open(options_.trace, link_, &error)) {
            trace_.reset();
            // Said once the main window is up.
            QMetaObject::invokeMethod(main_.get(), [main = main_.get(), error] { main->Notify(error); },
                                      Qt::QueuedConnection);
        }
    }
    // A network port is no item of the serial list: the first one given
    // fills the dialog's network fields.
    bool netDefault = false;
    for (const QString &p : options_.ports) {
        if (!IsNetPortName(p))
            com_->AddPortName(p);
        else if (!std::exchange(netDefault, true))
            com_->SetDefaultPort(p);
    }
    if (!options_.ports.isEmpty() && !IsNetPortName(options_.ports.first()))
        com_->SetDefaultPort(options_.ports.first());
}

Program::~Program()
{
    // The simulator goes first, then the windows (the traffic monitor and
    // the trend among them), then the main window; the link outlives them all.
    demo_.reset();
    trace_.reset();
    windows_.clear();
}

void Program::Start(const QString &simulatorPath)
{
    main_->show();
    if (!options_.demo)
        return;
    demo_ = std::make_unique<DemoSimulator>();
    QObject::connect(demo_.get(), &DemoSimulator::Ready, main_.get(), [this](const QString &path) {
        // A gateway is preset on the dialog's network page; a pseudo-terminal
        // is added to the port list.
        if (!IsNetPortName(path))
            com_->AddPortName(path, kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 (模拟仪表)")).arg(path));
        com_->SetDefaultPort(path);
    });
    QObject::connect(demo_.get(), &DemoSimulator::Failed, main_.get(), &MainWindow::Notify);
    // The demo bus is alive: its switch inputs change now and then, so the
    // lamps and event logs have something to show.
    QStringList arguments{QStringLiteral("--toggle-inputs"), QStringLiteral("20")};
#ifdef Q_OS_WIN
    // No pseudo-terminals on Windows: the simulator is a Modbus TCP gateway
    // on this computer only, on a port the system picks.
    const QString bundled = QCoreApplication::applicationDirPath() + QStringLiteral("/kzsim.exe");
    arguments << QStringLiteral("--mbtcp") << QStringLiteral("127.0.0.1:0");
#else
    const QString bundled = QCoreApplication::applicationDirPath() + QStringLiteral("/kzsim");
#endif
    demo_->Start(simulatorPath.isEmpty() ? bundled : simulatorPath, arguments);
}
