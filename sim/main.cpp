// kzsim: a simulated instrument bus on a pseudo-terminal or a TCP gateway.
#include "sim/cli.h"
#include "sim/ptysimulator.h"
#include "sim/tcpsimulator.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <memory>
#include <csignal>
#include <cstdio>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <unistd.h>
#else
#include <windows.h>
#endif

namespace {

#ifdef Q_OS_UNIX

int signalPipe[2] = {-1, -1};

extern "C" void OnSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

bool InstallSignalHandlers()
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        if (sigaction(sig, &sa, nullptr) != 0)
            return false;
    }
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}
#else
// Ctrl+C, Ctrl+Break and closing the console end the event loop. The
// handler runs on a thread of its own, so it only queues the quit.
BOOL WINAPI OnConsoleEvent(DWORD)
{
    if (QCoreApplication *app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
        return TRUE;
    }
    return FALSE;
}

bool InstallSignalHandlers()
{
    return SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
}
#endif

QString Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

int main(int argc, char **argv)
{
#ifdef Q_OS_UNIX
    const pid_t parent = getppid();
#endif
    if (!InstallSignalHandlers()) {
        std::perror("kzsim: signal set-up");
        return 1;
    }
    // End with the process that started us; if it is already gone (it died
    // before the request took effect), end now.
#ifdef Q_OS_UNIX
#ifdef __linux__
    prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
    if (getppid() != parent)
        return 0;
#endif

    QCoreApplication app(argc, argv);
    sim::SimOptions options;
    QString error;
    if (!sim::ParseArguments(app.arguments().mid(1), &options, &error)) {
        std::fprintf(stderr, "kzsim: %s\nTry 'kzsim --help'.\n", qPrintable(error));
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(sim::UsageText()), stdout);
        return 0;
    }

#ifdef Q_OS_UNIX
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&app] {
        char drain[16];
        while (::read(signalPipe[0], drain, sizeof drain) > 0) {
        }
        app.quit();
    });
#endif

    using Serve = sim::SimOptions::Serve;
    sim::PtySimulator pty;
    std::unique_ptr<sim::TcpSimulator> tcp;
    if (options.serve != Serve::Pty)
        tcp = std::make_unique<sim::TcpSimulator>(options.serve == Serve::Mbtcp ? sim::TcpSimulator::Framing::Mbap
                                                                                : sim::TcpSimulator::Framing::Rtu);
    sim::Bus &bus = tcp ? tcp->bus() : pty.bus();
    bus.SetSeed(options.seed);
    for (const auto &[address, family] : options.instruments) {
        sim::Instrument *instrument = bus.Add(address, family);
        if (auto *meter = dynamic_cast<sim::ThreePhaseInstrument *>(instrument)) {
            if (options.load)
                meter->SetPlant(*options.load);
            if (options.miswire)
                meter->SetMiswire(*options.miswire);
        }
    }
    for (const sim::FaultRule &rule : options.faults)
        bus.Faults().Add(rule);
    for (const auto &[address, input] : options.inputs)
        if (sim::Instrument *instrument = bus.At(address))
            instrument->SetInput(input - 1, true);
    QTimer toggle;
    int nextInput = 0;
    if (options.toggleSeconds > 0) {
        QObject::connect(&toggle, &QTimer::timeout, &app, [&] {
            for (int address = 1; address <= 255; ++address)
                if (sim::Instrument *instrument = bus.At(static_cast<std::uint8_t>(address)))
                    instrument->SetInput(nextInput, !instrument->Input(nextInput));
            nextInput = (nextInput + 1) % 3;
        });
        toggle.start(options.toggleSeconds * 1000);
    }

    const auto log = [](const QByteArray &request, const QByteArray &reply, qint64 micros) {
        if (reply.isEmpty())
            std::fprintf(stderr, "<- %s  (no reply)\n", qPrintable(Hex(request)));
        else
            std::fprintf(stderr, "<- %s\n-> %s  (%lld us)\n", qPrintable(Hex(request)), qPrintable(Hex(reply)),
                         static_cast<long long>(micros));
    };
    if (tcp) {
        if (!tcp->Listen(QHostAddress(options.listenHost), options.listenPort, &error)) {
            std::fprintf(stderr, "kzsim: cannot listen on %s: %s\n",
                         qPrintable(sim::ListenText(options.listenHost, options.listenPort)), qPrintable(error));
            return 1;
        }
        if (options.verbose)
            QObject::connect(tcp.get(), &sim::TcpSimulator::Served, log);
        std::printf("%s %s\n", options.serve == Serve::Mbtcp ? "MBTCP" : "TCP",
                    qPrintable(sim::ListenText(tcp->Address().toString(), tcp->Port())));
        std::fflush(stdout);
        return app.exec();
    }

    if (!pty.Open(&error)) {
        std::fprintf(stderr, "kzsim: %s\n", qPrintable(error));
        return 1;
    }
    if (!options.link.isEmpty() && !pty.SetLink(options.link, &error)) {
        std::fprintf(stderr, "kzsim: --link: %s\n", qPrintable(error));
        return 1;
    }
    if (options.verbose)
        QObject::connect(&pty, &sim::PtySimulator::Served, log);

    std::printf("PTY %s\n", qPrintable(pty.SlavePath()));
    std::fflush(stdout);
    const int rc = app.exec();
    pty.Close();
    return rc;
}
