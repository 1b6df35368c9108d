#include "shell/program.h"

#include "link/comdcu.h"
#include "link/rsaddersdcu.h"
#include "shell/connectiondcu.h"
#include "shell/demo.h"
#include "shell/mainwindow.h"
#if KZ_HAVE_THREEPHASE_UI
#include "threephase/coulometrydcu.h"
#endif

#include <QCommandLineParser>
#include <QCoreApplication>
#include <functional>

std::optional<Options> ParseOptions(const QStringList &args, QString *message, bool *isHelp)
{
    if (isHelp)
        *isHelp = false;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("KZ系列电参数表调试软件 (Modbus RTU)"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Offer the serial port at <path> (e.g. /dev/ttyUSB0) in the port "
                                                 "settings dialog, as its default choice. Repeatable."),
                                  QStringLiteral("path"));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Start the instrument simulator (kzsim, next to this program) and "
                                                 "offer its demo bus: 1 three-phase, 2 single-phase, 3 KZ827KVE."));
    const QCommandLineOption quitAfterShow(QStringLiteral("quit-after-show"),
                                           QStringLiteral("Exit once the main window is shown (for start-up timing)."));
    parser.addOption(help);
    parser.addOption(quitAfterShow);
    parser.addOption(port);
    parser.addOption(demo);
    if (!parser.parse(args)) {
        *message = parser.errorText() + QLatin1Char('\n') + parser.helpText();
        return std::nullopt;
    }
    if (parser.isSet(help)) {
        if (isHelp)
            *isHelp = true;
        *message = parser.helpText();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *message = QStringLiteral("Unexpected argument: %1\n").arg(parser.positionalArguments().first()) +
                   parser.helpText();
        return std::nullopt;
    }
    Options o;
    o.ports = parser.values(port);
    o.demo = parser.isSet(demo);
    o.quitAfterShow = parser.isSet(quitAfterShow);
    return o;
}

namespace {
using Factory = std::function<std::unique_ptr<QWidget>(SerialPortControl &, SerialLink &)>;

// The windows this build has, by class name. A class that is missing here is
// skipped at start-up and its menu entry shows nothing.
Factory factoryFor(const QString &className)
{
    if (className == QLatin1String("TCOMdcu"))
        return [](SerialPortControl &port, SerialLink &) { return std::make_unique<TCOMdcu>(port); };
    if (className == QLatin1String("TRs_Addersdcu"))
        return [](SerialPortControl &, SerialLink &link) { return std::make_unique<TRs_Addersdcu>(link); };
    if (className == QLatin1String("TKZ5500_Connectiondcu"))
        return [](SerialPortControl &, SerialLink &) { return std::make_unique<TKZ5500_Connectiondcu>(); };
#if KZ_HAVE_THREEPHASE_UI
    if (className == QLatin1String("TCoulometrydcu"))
        return [](SerialPortControl &, SerialLink &link) { return std::make_unique<TCoulometrydcu>(link); };
#endif
    return {};
}
} // namespace

Program::Program(SerialPortControl &port, const Options &options)
    : options_(options), link_(&port), main_(std::make_unique<TKZ5500Edcu>(link_))
{
    created_.append(QStringLiteral("TKZ5500Edcu"));
    for (const QString &className : TKZ5500Edcu::CreationOrder()) {
        const Factory make = factoryFor(className);
        if (!make)
            continue;
        std::unique_ptr<QWidget> w = make(port, link_);
        main_->RegisterWindow(className, w.get());
        if (className == QLatin1String("TCOMdcu"))
            com_ = static_cast<TCOMdcu *>(w.get());
        windows_.push_back(std::move(w));
        created_.append(className);
    }
    for (const QString &p : options_.ports)
        com_->AddPortName(p);
    if (!options_.ports.isEmpty())
        com_->SetDefaultPort(options_.ports.first());
}

Program::~Program()
{
    // The simulator goes first, then the windows, then the main window; the
    // link outlives them all.
    demo_.reset();
    windows_.clear();
}

void Program::Start(const QString &simulatorPath)
{
    main_->show();
    if (!options_.demo)
        return;
    demo_ = std::make_unique<DemoSimulator>();
    QObject::connect(demo_.get(), &DemoSimulator::Ready, main_.get(), [this](const QString &path) {
        com_->AddPortName(path, QStringLiteral("%1 (模拟仪表)").arg(path));
        com_->SetDefaultPort(path);
    });
    QObject::connect(demo_.get(), &DemoSimulator::Failed, main_.get(), &TKZ5500Edcu::Notify);
    demo_->Start(simulatorPath.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/kzsim")
                                         : simulatorPath);
}
