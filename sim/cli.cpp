#include "sim/cli.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QSet>

#include <cmath>

namespace sim {

QList<std::pair<std::uint8_t, Family>> DemoBus()
{
    return {{1, Family::ThreePhase}, {2, Family::SinglePhase}, {3, Family::Kz827}};
}

namespace {

bool ParseInstrument(const QString &text, std::pair<std::uint8_t, Family> *out, QString *error)
{
    const int colon = text.indexOf(QLatin1Char(':'));
    bool ok = false;
    const int address = colon < 0 ? -1 : text.left(colon).toInt(&ok);
    if (!ok || address < 1 || address > 255) {
        *error = QStringLiteral("--instrument '%1': expected ADDR:FAMILY with ADDR 1..255").arg(text);
        return false;
    }
    const auto family = ParseFamily(text.mid(colon + 1));
    if (!family) {
        *error = QStringLiteral("--instrument '%1': family must be three-phase, single-phase or kz827")
                     .arg(text);
        return false;
    }
    *out = {static_cast<std::uint8_t>(address), *family};
    return true;
}

} // namespace

bool ParseListen(const QString &text, QString *host, quint16 *port, QString *error)
{
    QString address = QStringLiteral("127.0.0.1");
    QString portText = text;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0 || text.mid(close + 1, 1) != QLatin1String(":")) {
            *error = QStringLiteral("'%1': an IPv6 address goes in brackets before :PORT, e.g. [::1]:1502").arg(text);
            return false;
        }
        address = text.mid(1, close - 1);
        portText = text.mid(close + 2);
    } else if (const qsizetype colon = text.indexOf(QLatin1Char(':')); colon >= 0) {
        address = text.left(colon);
        portText = text.mid(colon + 1); // a second colon (IPv6 without brackets) fails as a port
    }
    QHostAddress parsed;
    if (!parsed.setAddress(address)) {
        *error = QStringLiteral("'%1': '%2' is no IP address").arg(text, address);
        return false;
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    const int number = digits.match(portText).hasMatch() ? portText.toInt() : -1;
    if (number < 0 || number > 65535) {
        *error = QStringLiteral("'%1': the port must be a number from 0 to 65535").arg(text);
        return false;
    }
    *host = address;
    *port = static_cast<quint16>(number);
    return true;
}

QString ListenText(const QString &host, quint16 port)
{
    return (host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]:%2") : QStringLiteral("%1:%2")).arg(host).arg(port);
}

std::optional<ThreePhasePlant> ParseLoad(const QString &text, QString *error)
{
    const QStringList parts = text.split(QLatin1Char(','));
    bool ok[3] = {false, false, false};
    const double volts = parts.value(0).toDouble(&ok[0]);
    const double amps = parts.value(1).toDouble(&ok[1]);
    const double pf = parts.value(2).toDouble(&ok[2]);
    if (parts.size() != 3 || !ok[0] || !ok[1] || !ok[2] || volts <= 0 || volts > 100000 || amps < 0 ||
        amps > 100000 || pf < -1 || pf > 1) {
        *error = QStringLiteral("--load '%1': expected U,I,PF with U above 0 (V), I at least 0 (A) and PF in "
                                "-1..1 (negative: leading)")
                     .arg(text);
        return std::nullopt;
    }
    ThreePhasePlant plant;
    plant.phaseVolts = volts;
    plant.amps = amps;
    plant.powerFactor = std::abs(pf);
    plant.leading = pf < 0;
    return plant;
}

bool ParseArguments(const QStringList &args, SimOptions *options, QString *error)
{
    SimOptions o;
    QSet<int> addresses;
    for (int i = 0; i < args.size(); ++i) {
        QString name = args.at(i);
        QString value;
        bool hasValue = false;
        const int eq = name.indexOf(QLatin1Char('='));
        if (name.startsWith(QLatin1String("--")) && eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            hasValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (hasValue)
                return true;
            if (i + 1 >= args.size()) {
                *error = QStringLiteral("%1 needs a value").arg(name);
                return false;
            }
            value = args.at(++i);
            return true;
        };

        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            o.help = true;
        } else if (name == QLatin1String("--verbose") || name == QLatin1String("-v")) {
            o.verbose = true;
        } else if (name == QLatin1String("--link")) {
            if (!takeValue())
                return false;
            if (value.isEmpty()) {
                *error = QStringLiteral("--link needs a path");
                return false;
            }
            o.link = value;
        } else if (name == QLatin1String("--tcp") || name == QLatin1String("--mbtcp")) {
            if (!takeValue())
                return false;
            if (o.serve != SimOptions::Serve::Pty) {
                *error = QStringLiteral("give one of --tcp and --mbtcp, once");
                return false;
            }
            if (!ParseListen(value, &o.listenHost, &o.listenPort, error)) {
                *error = name + QStringLiteral(" ") + *error;
                return false;
            }
            o.serve = name == QLatin1String("--tcp") ? SimOptions::Serve::Tcp : SimOptions::Serve::Mbtcp;
        } else if (name == QLatin1String("--seed")) {
            if (!takeValue())
                return false;
            bool ok = false;
            o.seed = value.toULongLong(&ok);
            if (!ok) {
                *error = QStringLiteral("--seed '%1': expected a whole number").arg(value);
                return false;
            }
        } else if (name == QLatin1String("--instrument")) {
            if (!takeValue())
                return false;
            std::pair<std::uint8_t, Family> instrument;
            if (!ParseInstrument(value, &instrument, error))
                return false;
            if (addresses.contains(instrument.first)) {
                *error = QStringLiteral("--instrument: address %1 is used twice").arg(instrument.first);
                return false;
            }
            addresses.insert(instrument.first);
            o.instruments.append(instrument);
        } else if (name == QLatin1String("--input")) {
            if (!takeValue())
                return false;
            const QStringList parts = value.split(QLatin1Char(':'));
            bool okAddress = false, okInput = false;
            const int address = parts.size() == 2 ? parts[0].toInt(&okAddress) : 0;
            const int input = parts.size() == 2 ? parts[1].toInt(&okInput) : 0;
            if (!okAddress || !okInput || address < 1 || address > 255 || input < 1 || input > 3) {
                *error = QStringLiteral("--input '%1': expected ADDR:N with ADDR 1..255 and N 1..3").arg(value);
                return false;
            }
            o.inputs.append({static_cast<std::uint8_t>(address), input});
        } else if (name == QLatin1String("--toggle-inputs")) {
            if (!takeValue())
                return false;
            bool ok = false;
            o.toggleSeconds = value.toInt(&ok);
            if (!ok || o.toggleSeconds < 1) {
                *error = QStringLiteral("--toggle-inputs '%1': expected a whole number of seconds").arg(value);
                return false;
            }
        } else if (name == QLatin1String("--load")) {
            if (!takeValue())
                return false;
            o.load = ParseLoad(value, error);
            if (!o.load)
                return false;
        } else if (name == QLatin1String("--miswire")) {
            if (!takeValue())
                return false;
            QString why;
            o.miswire = ParseMiswire(value, &why);
            if (!o.miswire) {
                *error = QStringLiteral("--miswire %1").arg(why);
                return false;
            }
        } else if (name == QLatin1String("--fault")) {
            if (!takeValue())
                return false;
            QString why;
            const auto rule = ParseFault(value, &why);
            if (!rule) {
                *error = QStringLiteral("--fault '%1': %2").arg(value, why);
                return false;
            }
            o.faults.append(*rule);
        } else {
            *error = QStringLiteral("unknown argument '%1'").arg(args.at(i));
            return false;
        }
    }
    if (o.serve != SimOptions::Serve::Pty && !o.link.isEmpty()) {
        *error = QStringLiteral("--link names a pseudo-terminal; it does not go with --tcp or --mbtcp");
        return false;
    }
    if (o.instruments.isEmpty())
        o.instruments = DemoBus();
    *options = o;
    return true;
}

QString UsageText()
{
    return QStringLiteral(
               "Usage: kzsim [--link PATH | --tcp [ADDR:]PORT | --mbtcp [ADDR:]PORT]\n"
               "             [--instrument ADDR:FAMILY]... [--seed N]\n"
               "             [--input ADDR:N]... [--toggle-inputs SECONDS]\n"
               "             [--load U,I,PF] [--miswire WIRING]\n"
               "             [--fault RULE]... [--verbose] [--help]\n"
               "\n"
               "Simulates a Modbus RTU bus of KZ instruments behind a pseudo-terminal or a\n"
               "TCP gateway.\n"
               "When ready, prints one line 'PTY <slave device path>' to standard output\n"
               "(with --tcp or --mbtcp: 'TCP ADDR:PORT' or 'MBTCP ADDR:PORT').\n"
               "Runs until SIGINT, SIGTERM or SIGHUP, or until its parent process ends.\n"
               "\n"
               "  --link PATH               also make PATH a symbolic link to the slave device\n"
               "                            (an old symbolic link there is replaced; removed on exit)\n"
               "  --tcp [ADDR:]PORT         serve the bus over TCP instead, RTU frames unchanged\n"
               "                            (a transparent serial-to-Ethernet gateway); ADDR is\n"
               "                            127.0.0.1 unless given, PORT 0 takes a free port.\n"
               "                            Clients are served one after another.\n"
               "  --mbtcp [ADDR:]PORT       the same as a Modbus TCP gateway (MBAP framing)\n"
               "  --instrument ADDR:FAMILY  put an instrument at ADDR (1..255); FAMILY is\n"
               "                            three-phase, single-phase or kz827. Repeatable.\n"
               "                            Default: 1:three-phase 2:single-phase 3:kz827\n"
               "  --seed N                  seed of the measurement motion and the faults (default 1)\n"
               "  --input ADDR:N            close switch input N (1..3) of the instrument at ADDR\n"
               "                            at start. Repeatable.\n"
               "  --toggle-inputs SECONDS   every SECONDS, each instrument flips its next switch\n"
               "                            input (DI1, DI2, DI3 in turn), as a live bus would\n"
               "  --load U,I,PF             the load of every three-phase instrument: phase voltage\n"
               "                            (V), current (A), power factor (negative: leading);\n"
               "                            default 220,5,0.95\n"
               "  --miswire WIRING          wire every three-phase instrument wrongly (see below)\n"
               "  --fault RULE              inject faults into replies (see below). Repeatable.\n"
               "  --verbose, -v             log every request and reply to standard error\n"
               "  --help, -h                show this text\n"
               "\n") +
           MiswireSyntaxHelp() + QStringLiteral("\n") + FaultSyntaxHelp();
}

} // namespace sim
