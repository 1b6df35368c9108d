#include "sim/cli.h"

#include <QSet>

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
    if (o.instruments.isEmpty())
        o.instruments = DemoBus();
    *options = o;
    return true;
}

QString UsageText()
{
    return QStringLiteral(
               "Usage: kzsim [--link PATH] [--instrument ADDR:FAMILY]... [--seed N]\n"
               "             [--input ADDR:N]... [--toggle-inputs SECONDS]\n"
               "             [--fault RULE]... [--verbose] [--help]\n"
               "\n"
               "Simulates a Modbus RTU bus of KZ instruments behind a pseudo-terminal.\n"
               "When ready, prints one line 'PTY <slave device path>' to standard output.\n"
               "Runs until SIGINT, SIGTERM or SIGHUP, or until its parent process ends.\n"
               "\n"
               "  --link PATH               also make PATH a symbolic link to the slave device\n"
               "                            (an old symbolic link there is replaced; removed on exit)\n"
               "  --instrument ADDR:FAMILY  put an instrument at ADDR (1..255); FAMILY is\n"
               "                            three-phase, single-phase or kz827. Repeatable.\n"
               "                            Default: 1:three-phase 2:single-phase 3:kz827\n"
               "  --seed N                  seed of the measurement motion and the faults (default 1)\n"
               "  --input ADDR:N            close switch input N (1..3) of the instrument at ADDR\n"
               "                            at start. Repeatable.\n"
               "  --toggle-inputs SECONDS   every SECONDS, each instrument flips its next switch\n"
               "                            input (DI1, DI2, DI3 in turn), as a live bus would\n"
               "  --fault RULE              inject faults into replies (see below). Repeatable.\n"
               "  --verbose, -v             log every request and reply to standard error\n"
               "  --help, -h                show this text\n"
               "\n") +
           FaultSyntaxHelp();
}

} // namespace sim
