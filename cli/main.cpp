// kzctl: scans, reads, backs up, restores, compares and sets meters from the
// command line. Exit status: 0 success, 1 a meter did not answer or a
// mismatch, 2 bad usage (including values the meter must not be sent, an
// output that cannot be written and a path that is no serial port).
#include "cli/calibrate.h"
#include "cli/meter.h"
#include "cli/wiring.h"
#include "settings/meterrun.h"
#include "core/addressscan.h"
#include "core/tr.h"
#include "core/wholefile.h"
#include "kz827/calibration.h"
#include "report/calibrationcertificate.h"
#include "singlephase/calibration.h"
#include "threephase/calibration.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <mutex>
#include <vector>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

using namespace cli;

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// With several buses each runs in a QThread of its own, and every line it
// prints names its bus; the lock keeps lines whole. The thread's bus is a
// plain pointer to the port's name, which outlives the thread: a
// thread_local with a destructor is run down at thread exit, which MinGW's
// runtime does not do reliably.
thread_local const QString *tBusName = nullptr;
QString CurrentBus() { return tBusName ? *tBusName : QString(); }
std::mutex gOutput;

void Err(const QString &text)
{
    const std::lock_guard lock(gOutput);
    const QString bus = CurrentBus().isEmpty() ? QString() : CurrentBus() + QStringLiteral(": ");
    std::fprintf(stderr, "kzctl: %s%s\n", bus.toUtf8().constData(), text.toUtf8().constData());
}
void Out(const QString &text)
{
    const std::lock_guard lock(gOutput);
    const QString bus = CurrentBus().isEmpty() ? QString() : CurrentBus() + QLatin1Char('\t');
    std::fputs((bus + text + QLatin1Char('\n')).toUtf8().constData(), stdout);
}
// One JSON document on a line of its own. A JSON line stays JSON: with
// several buses its bus is inside it, not before it.
void OutJson(QJsonObject doc)
{
    if (!CurrentBus().isEmpty())
        doc.insert(QStringLiteral("bus"), CurrentBus());
    const QString line = QString::fromUtf8(QJsonDocument(doc).toJson(QJsonDocument::Compact));
    const std::lock_guard lock(gOutput);
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
}
// A note on standard error that is no failure (where a backup went).
void Note(const QString &text)
{
    const std::lock_guard lock(gOutput);
    const QString bus = CurrentBus().isEmpty() ? QString() : CurrentBus() + QStringLiteral(": ");
    std::fprintf(stderr, "%s%s\n", bus.toUtf8().constData(), text.toUtf8().constData());
}

const char kUsageText[] =
    "usage: kzctl scan    --port P [--from 1] [--to 247]\n"
    "       kzctl read    --port P --family F --address A measurements [--json] [--watch SECONDS]\n"
    "       kzctl backup  --port P --family F --address A[-B] -o FILE.json\n"
    "       kzctl restore FILE.json --port P [--address A[-B]] [--dry-run]\n"
    "       kzctl diff    A.json B.json\n"
    "       kzctl diff    FILE.json --port P [--address A]\n"
    "       kzctl set     --port P --family F --address A [BLOCK/]NAME=VALUE...\n"
    "       kzctl calibrate --port P --family F --address A [--plan FILE.json]\n"
    "                     [--points 1,2,13-18] [--limit 0.05] [--no-prompt] [--record FILE.csv]\n"
    "                     [--certificate FILE.pdf] [--operator NAME] [--lang en|zh]\n"
    "       kzctl check-wiring --port P --address A[-B] [--json] [--lang en|zh]\n"
    "  --lang zh: the points, record and certificate (check-wiring: the verdict) in Chinese\n"
    "  (default English). check-wiring exits 0 only when every meter is judged rightly wired.\n"
    "port options: --baud 9600 --parity none|even|odd --data-bits 5..8 --stop-bits 1|2 --timeout MS (500, scan 100)\n"
    "P is a serial device, tcp://HOST:PORT (a gateway passing RTU frames) or mbtcp://HOST:PORT (Modbus TCP);\n"
    "  IPv6 hosts go in brackets: mbtcp://[fd00::7]:502. --connect-timeout MS (3000) for the network.\n"
    "scan, read, backup and restore take --port more than once: each bus is worked on in parallel,\n"
    "  every line names its bus, backups go to FILE-BUS-A.json, and the exit status covers all buses.\n"
    "families: three-phase, single-phase, kz827. NAME is a field's object name or caption.\n";

struct Args {
    QString command;
    QStringList ports; // every --port, in order
    QStringList positional;
    QMap<QString, QString> options;
    bool json = false;
    bool dryRun = false;
    bool noPrompt = false;
};

int Usage(const QString &why)
{
    Err(why);
    std::fputs(kUsageText, stderr);
    return kUsage;
}

std::optional<Args> Parse(const QStringList &argv, QString *error)
{
    static const QStringList valued = {"--port", "--from", "--to", "--family", "--address", "--watch", "-o",
                                       "--output", "--baud", "--parity", "--data-bits", "--stop-bits", "--timeout",
                                       "--connect-timeout", "--plan", "--points", "--limit", "--record",
                                       "--certificate", "--operator", "--lang"};
    Args args;
    for (qsizetype i = 1; i < argv.size(); ++i) {
        const QString a = argv[i];
        if (a == QLatin1String("--json"))
            args.json = true;
        else if (a == QLatin1String("--dry-run"))
            args.dryRun = true;
        else if (a == QLatin1String("--no-prompt"))
            args.noPrompt = true;
        else if (valued.contains(a)) {
            if (i + 1 >= argv.size()) {
                *error = QStringLiteral("%1 needs a value").arg(a);
                return std::nullopt;
            }
            args.options[a == QLatin1String("--output") ? QStringLiteral("-o") : a] = argv[++i];
            if (a == QLatin1String("--port"))
                args.ports << argv[i];
        } else if (a.startsWith(QLatin1String("--"))) {
            *error = QStringLiteral("unknown option %1").arg(a);
            return std::nullopt;
        } else if (args.command.isEmpty())
            args.command = a;
        else
            args.positional << a;
    }
    return args;
}

std::optional<int> Number(const Args &args, const QString &option, int fallback, int low, int high, QString *error)
{
    if (!args.options.contains(option))
        return fallback;
    bool ok = false;
    const int v = args.options[option].toInt(&ok);
    if (!ok || v < low || v > high) {
        *error = QStringLiteral("%1 must be a whole number in %2..%3").arg(option).arg(low).arg(high);
        return std::nullopt;
    }
    return v;
}

// "A" or "A-B", addresses 1..247.
std::optional<QList<int>> Addresses(const QString &text, QString *error)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    QList<int> out;
    bool ok1 = false;
    bool ok2 = true;
    const int a = parts.value(0).toInt(&ok1);
    const int b = parts.size() == 2 ? parts[1].toInt(&ok2) : a;
    if (parts.size() > 2 || !ok1 || !ok2 || a < 1 || b > 247 || a > b) {
        *error = QStringLiteral("--address must be A or A-B with 1 <= A <= B <= 247, not '%1'").arg(text);
        return std::nullopt;
    }
    for (int i = a; i <= b; ++i)
        out << i;
    return out;
}

std::optional<PortSettings> Port(const Args &args, QString *error)
{
    PortSettings s;
    s.port = args.ports.value(0);
    if (s.port.isEmpty()) {
        *error = QStringLiteral("--port is required");
        return std::nullopt;
    }
    const auto connectTimeout = Number(args, QStringLiteral("--connect-timeout"), 3000, 1, 60000, error);
    if (!connectTimeout)
        return std::nullopt;
    s.connectTimeoutMs = *connectTimeout;
    const auto baud = Number(args, QStringLiteral("--baud"), 9600, 300, 921600, error);
    const auto bits = Number(args, QStringLiteral("--data-bits"), 8, 5, 8, error);
    const auto stop = Number(args, QStringLiteral("--stop-bits"), 1, 1, 2, error);
    // A scan mostly waits on addresses where nobody answers: it waits less.
    const int defaultTimeout = args.command == QLatin1String("scan") ? 100 : 500;
    const auto timeout = Number(args, QStringLiteral("--timeout"), defaultTimeout, 1, 60000, error);
    if (!baud || !bits || !stop || !timeout)
        return std::nullopt;
    s.baud = *baud;
    s.dataBits = static_cast<QSerialPort::DataBits>(*bits);
    s.stopBits = *stop == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop;
    s.timeoutMs = *timeout;
    const QString parity = args.options.value(QStringLiteral("--parity"), QStringLiteral("none"));
    if (parity == QLatin1String("none"))
        s.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("even"))
        s.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("odd"))
        s.parity = QSerialPort::OddParity;
    else {
        *error = QStringLiteral("--parity must be none, even or odd");
        return std::nullopt;
    }
    return s;
}

// The settings of every --port: the same line options for each. A port
// given twice is refused (two threads on one bus would fight over it).
std::optional<QList<PortSettings>> Ports(const Args &args, QString *error)
{
    const auto first = Port(args, error);
    if (!first)
        return std::nullopt;
    QList<PortSettings> out;
    for (const QString &name : args.ports) {
        if (name.isEmpty()) {
            *error = QStringLiteral("--port needs a port");
            return std::nullopt;
        }
        for (const PortSettings &seen : out)
            if (seen.port == name) {
                *error = QStringLiteral("--port %1 is given twice").arg(name);
                return std::nullopt;
            }
        PortSettings s = *first;
        s.port = name;
        out << s;
    }
    return out;
}

// Opens the link on the port; when it does not open, says why and gives the
// exit status: a port refused as given is a usage error.
std::optional<int> OpenFailed(SyncLink &link, const PortSettings &port)
{
    QString error;
    const auto opened = link.Open(port, &error);
    if (opened == SyncLink::OpenResult::Opened)
        return std::nullopt;
    Err(error);
    return opened == SyncLink::OpenResult::Refused ? kUsage : kFailed;
}

// Runs work on each bus, with a link opened on it; with several buses each
// runs in a QThread of its own, all at once, and a bus that fails leaves the
// others going. The exit status is the worst of them.
int OnEachBus(const QList<PortSettings> &ports, const std::function<int(SyncLink &)> &work)
{
    const auto one = [&work](const PortSettings &port) {
        SyncLink link;
        if (const auto failed = OpenFailed(link, port))
            return *failed;
        return work(link);
    };
    if (ports.size() == 1)
        return one(ports.first());
    // QThreads, not plain threads: a serial port's socket notifier needs the
    // event dispatcher a QThread gives the thread it starts.
    std::vector<int> status(static_cast<std::size_t>(ports.size()), kOk);
    std::vector<std::unique_ptr<QThread>> threads;
    for (qsizetype i = 0; i < ports.size(); ++i) {
        threads.emplace_back(QThread::create([&, i] {
            tBusName = &ports[i].port;
            status[static_cast<std::size_t>(i)] = one(ports[i]);
        }));
        threads.back()->start();
    }
    for (const auto &t : threads)
        t->wait();
    return *std::max_element(status.begin(), status.end());
}

bool ErrorsToTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

void Progress(int done, int total, const QString &what)
{
    // Several buses at once would draw over each other's bar.
    if (!CurrentBus().isEmpty() || !ErrorsToTerminal())
        return;
    const int width = 30;
    const int filled = total > 0 ? done * width / total : width;
    std::fprintf(stderr, "\r[%s%s] %3d%% %s", QByteArray(filled, '#').constData(),
                 QByteArray(width - filled, ' ').constData(), total > 0 ? done * 100 / total : 100,
                 what.toUtf8().constData());
    if (done == total)
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

// ---- Commands ----

int Scan(SyncLink &link, const Args &args)
{
    QString error;
    const auto from = Number(args, QStringLiteral("--from"), 1, 1, 247, &error);
    const auto to = Number(args, QStringLiteral("--to"), 247, 1, 247, &error);
    if (!from || !to)
        return Usage(error);
    if (*from > *to)
        return Usage(QStringLiteral("--from is above --to"));
    int found = 0;
    for (int a = *from; a <= *to; ++a) {
        Progress(a - *from, *to - *from + 1, QStringLiteral("address %1").arg(a));
        // --from and --to hold 1..247: the byte is the address.
        const bool answered = link.Transact(AddressProbeFrame(static_cast<std::uint8_t>(a))).has_value();
        const auto family = answered ? ProbeFamily(link, a) : std::nullopt;
        // A port that is gone answers nothing: the rest is not scanned,
        // and no address is reported silent or of no family for it.
        if (!link.Lost().isEmpty()) {
            Progress(*to - *from + 1, *to - *from + 1, QString());
            Err(QStringLiteral("%1; addresses %2..%3 were not scanned").arg(link.Lost()).arg(a).arg(*to));
            return kFailed;
        }
        if (!answered)
            continue;
        ++found;
        Out(QStringLiteral("%1\t%2").arg(a).arg(family ? FamilyName(*family) : QStringLiteral("unknown")));
    }
    Progress(*to - *from + 1, *to - *from + 1, QString());
    if (found == 0) {
        Err(QStringLiteral("no meter answered in %1..%2").arg(*from).arg(*to));
        return kFailed;
    }
    return kOk;
}

struct Target {
    Family family;
    QList<int> addresses;
};

std::optional<Target> FamilyAndAddresses(const Args &args, QString *error)
{
    const auto family = ParseFamily(args.options.value(QStringLiteral("--family")));
    if (!family) {
        *error = QStringLiteral("--family must be three-phase, single-phase or kz827");
        return std::nullopt;
    }
    if (!args.options.contains(QStringLiteral("--address"))) {
        *error = QStringLiteral("--address is required");
        return std::nullopt;
    }
    const auto addresses = Addresses(args.options[QStringLiteral("--address")], error);
    if (!addresses)
        return std::nullopt;
    return Target{*family, *addresses};
}

int Read(SyncLink &link, const Args &args, const Target &target)
{
    if (args.positional != QStringList{QStringLiteral("measurements")})
        return Usage(QStringLiteral("read: say what to read: measurements"));
    QString error;
    const auto watch = Number(args, QStringLiteral("--watch"), 0, 0, 86400, &error);
    if (!watch)
        return Usage(error);
    for (;;) {
        for (int address : target.addresses) {
            const auto readings = ReadMeasurements(link, target.family, address, &error);
            if (!readings) {
                Err(error);
                return kFailed;
            }
            if (args.json) {
                QJsonArray list;
                for (const Reading &r : *readings)
                    list.append(QJsonObject{{QStringLiteral("name"), r.object},
                                            {QStringLiteral("caption"), r.caption},
                                            {QStringLiteral("value"), r.text}});
                QJsonObject doc{{QStringLiteral("family"), FamilyName(target.family)},
                                {QStringLiteral("address"), address},
                                {QStringLiteral("measurements"), list}};
                OutJson(std::move(doc));
            } else {
                Out(QStringLiteral("meter %1 (%2)").arg(address).arg(FamilyName(target.family)));
                for (const Reading &r : *readings)
                    Out(QStringLiteral("  %1\t%2").arg(r.caption, r.text));
            }
        }
        {
            const std::lock_guard lock(gOutput);
            std::fflush(stdout);
        }
        if (*watch == 0)
            return kOk;
        QThread::sleep(static_cast<unsigned long>(*watch));
    }
}

// The blocks of one family overlap the registers of another (a single-phase
// meter answers the KZ827KVE's settings reads), so a meter is asked what it
// is before its settings are read or written.
bool CheckFamily(SyncLink &link, Family family, int address, QString *error)
{
    if (!settings::IsMeterAddress(address)) {
        *error = QStringLiteral("%1 is no meter address (1..247): nothing was sent to it").arg(address);
        return false;
    }
    const auto found = ProbeFamily(link, address);
    if (found == family)
        return true;
    if (!found && !link.Lost().isEmpty())
        *error = link.Lost(); // the port, not the meter
    else if (found)
        *error = QStringLiteral("meter %1 is a %2 meter, not %3")
                     .arg(address)
                     .arg(FamilyName(*found), FamilyName(family));
    else
        *error = QStringLiteral("meter %1 did not answer as a %2 meter").arg(address).arg(FamilyName(family));
    return false;
}

// Carries out a run of reads or writes over the link, one request at a
// time; a port that is gone ends the run (MeterRun lists the meters left).
void Drive(SyncLink &link, settings::MeterRun &run)
{
    while (const auto request = run.Next()) {
        Progress(run.StepsDone(), run.Steps(), QStringLiteral("meter %1").arg(request->address));
        const auto reply = link.Transact(request->frame);
        settings::Reason failure{settings::Reason::Kind::NoAnswer};
        if (!reply && !link.Lost().isEmpty())
            failure = settings::Reason::Lost(link.Lost());
        run.Answer(reply, failure);
    }
    Progress(run.Steps(), run.Steps(), QString());
}

QString Names(const QList<Block> &list, const QList<int> &indexes)
{
    QStringList keys;
    for (int i : indexes)
        keys << list[i].key;
    return keys.isEmpty() ? QStringLiteral("none") : keys.join(QStringLiteral(", "));
}

// The message of a write that ended a meter at a block: the block and why,
// the blocks written and verified before it and those not written.
QString WriteStoppedAt(const settings::MeterRun &run, const settings::MeterRun::Outcome &failed)
{
    using settings::MeterRun;
    const QList<Block> &list = Blocks(run.RunFamily());
    QList<int> verified;
    QList<int> differs;
    for (const MeterRun::Outcome &o : run.Outcomes())
        if (o.address == failed.address && &o != &failed) {
            if (o.state == MeterRun::State::Verified)
                verified << o.block;
            else if (o.written && o.block >= 0)
                differs << o.block;
        }
    const QList<int> &blocks = run.RunBlocks();
    const QList<int> after = blocks.mid(blocks.indexOf(failed.block) + 1);
    QString text = QStringLiteral("meter %1: the restore stopped at block %2%3: %4; written and verified before it: %5")
                       .arg(failed.address)
                       .arg(list[failed.block].key,
                            failed.written ? QStringLiteral(" (written, not read back)") : QString(),
                            settings::ReasonText(run, failed), Names(list, verified));
    if (!differs.isEmpty())
        text += QStringLiteral("; written, read-back differs: %1").arg(Names(list, differs));
    return text + QStringLiteral("; not written: %1").arg(Names(list, after));
}

// What went wrong in a run, a line each: a port lost says so once, with the
// meters that were not read or written after it.
QStringList RunFailures(const settings::MeterRun &run)
{
    using settings::MeterRun;
    using Kind = settings::Reason::Kind;
    QStringList lines;
    QList<int> notDone;
    QString lost;        // why the port went, unless a line has said it
    qsizetype lostLine = -1; // the line that said it
    for (const MeterRun::Outcome &o : run.Outcomes()) {
        if (o.state == MeterRun::State::Read || o.state == MeterRun::State::Verified)
            continue;
        if (o.why.kind == Kind::NotReached) {
            notDone << o.address;
            continue;
        }
        const bool gone = o.why.kind == Kind::PortLost || o.why.kind == Kind::NotSent;
        if (run.Writes() && o.block >= 0 && o.why.kind != Kind::ReadBackDiffers) {
            if (gone)
                lostLine = lines.size();
            lines << WriteStoppedAt(run, o);
        } else if (gone) {
            // The meter under way is one of those not done.
            lost = o.why.detail.isEmpty() ? settings::ReasonText(run, o) : o.why.detail;
            notDone << o.address;
        } else {
            lines << settings::ReasonText(run, o);
        }
    }
    if (!notDone.isEmpty()) {
        const QString left = QStringLiteral("%1 %2 not %3")
                                 .arg(settings::MeterList(notDone),
                                      notDone.size() == 1 ? QStringLiteral("was") : QStringLiteral("were"),
                                      run.Writes() ? QStringLiteral("written") : QStringLiteral("read"));
        if (lostLine >= 0)
            lines[lostLine] += QStringLiteral("; ") + left;
        else
            lines << (lost.isEmpty() ? left : lost + QStringLiteral("; ") + left);
    }
    return lines;
}

// The settings of one meter: the data of every block, or nothing.
std::optional<QList<QByteArray>> Upload(SyncLink &link, Family family, int address, QString *error)
{
    settings::MeterRun run = settings::MeterRun::Read(family, {address});
    Drive(link, run);
    const QStringList failures = RunFailures(run);
    if (!failures.isEmpty()) {
        *error = failures.join(QLatin1Char('\n'));
        return std::nullopt;
    }
    return run.DataOf(0);
}

bool WriteJson(const QString &path, const QJsonObject &doc, QString *error)
{
    // Written whole or not at all: a failed write keeps the file there.
    QString reason;
    if (!ReplaceWholeFile(path, QJsonDocument(doc).toJson(QJsonDocument::Indented), &reason)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        return false;
    }
    return true;
}

// True when path can be written, found out by opening it for appending; a
// file that was not there before is removed again.
bool CanWrite(const QString &path, QString *error)
{
    const bool existed = QFile::exists(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    file.close();
    if (!existed)
        file.remove();
    return true;
}

// The bus in a file name: HOST-PORT of a gateway, the device's own name of
// a serial port, with anything but letters, digits, '.', '-' and '_' as '_'.
QString BusTag(const QString &port)
{
    QString tag;
    if (const auto address = ParseNetPort(port))
        tag = QStringLiteral("%1-%2").arg(address->host).arg(address->port);
    else
        tag = port.mid(port.lastIndexOf(QLatin1Char('/')) + 1);
    for (QChar &c : tag)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('.') && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    return tag;
}

// FILE.json for one meter; FILE-A.json for each of several; FILE-BUS-A.json
// for each meter when several buses are backed up at once.
QString OutputPath(const QString &path, int address, bool several)
{
    const QString bus = CurrentBus().isEmpty() ? QString() : BusTag(CurrentBus()) + QLatin1Char('-');
    if (!several && bus.isEmpty())
        return path;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (dot <= slash + 1)
        return QStringLiteral("%1-%2%3").arg(path, bus).arg(address);
    return QStringLiteral("%1-%2%3%4").arg(path.left(dot), bus).arg(address).arg(path.mid(dot));
}

int BackupCommand(SyncLink &link, const Args &args, const Target &target)
{
    const QString path = args.options.value(QStringLiteral("-o"));
    if (path.isEmpty() || !args.positional.isEmpty())
        return Usage(QStringLiteral("backup: give the output file with -o FILE.json"));
    const bool several = target.addresses.size() > 1;
    // Every output must be writable before a meter is read: reading a whole
    // meter only to fail on a missing folder wastes the bus and the time.
    for (int address : target.addresses) {
        QString error;
        if (!CanWrite(OutputPath(path, address, several), &error)) {
            Err(error);
            return kUsage;
        }
    }
    // One run over every meter: a port lost stops it, and the meters left
    // are told once.
    settings::MeterRun run = settings::MeterRun::Read(target.family, target.addresses);
    Drive(link, run);
    for (qsizetype i = 0; i < run.Addresses().size(); ++i) {
        const int address = run.Addresses()[i];
        const bool read = std::all_of(run.Outcomes().begin(), run.Outcomes().end(), [&](const auto &o) {
            return o.address != address || o.state == settings::MeterRun::State::Read;
        });
        if (!read)
            continue;
        QString error;
        const QString out = OutputPath(path, address, several);
        if (!WriteJson(out, BackupDocument(target.family, address, run.DataOf(int(i))), &error)) {
            Err(error);
            return kFailed;
        }
        Note(QStringLiteral("meter %1: backed up to %2").arg(address).arg(out));
    }
    const QStringList failures = RunFailures(run);
    for (const QString &line : failures)
        Err(line);
    return failures.isEmpty() ? kOk : kFailed;
}

// The write data of every restorable block in backup; nothing (and each
// refusal told) when a value cannot be sent.
std::optional<QList<QByteArray>> EncodeAll(const Backup &backup)
{
    QStringList refusals;
    const auto data = backup::EncodeForRestore(&settings::Blocks, backup, &refusals);
    for (const QString &r : refusals)
        Err(QStringLiteral("refused, nothing written: %1").arg(r));
    return data;
}

// Writes each block of data that is not empty to each meter and reads it
// back, after checking the meter's family; a block whose read-back differs
// is reported as a mismatch, a write that stops names what was written.
int WriteAndVerify(SyncLink &link, Family family, const QList<int> &addresses, const QList<QByteArray> &data)
{
    settings::MeterRun run = settings::MeterRun::Write(family, addresses, data);
    Drive(link, run);
    for (const settings::MeterRun::Outcome &o : run.Outcomes())
        if (o.state == settings::MeterRun::State::Verified)
            Out(QStringLiteral("meter %1 block %2: written, read-back matches")
                    .arg(o.address)
                    .arg(Blocks(family)[o.block].key));
    const QStringList failures = RunFailures(run);
    for (const QString &line : failures)
        Err(line);
    return failures.isEmpty() ? kOk : kFailed;
}

int Restore(const Args &args)
{
    if (args.positional.size() != 1)
        return Usage(QStringLiteral("restore: give one backup file"));
    QString error;
    const auto backup = LoadBackup(args.positional[0], &error);
    if (!backup) {
        Err(error);
        return kUsage;
    }
    const auto data = EncodeAll(*backup);
    if (!data)
        return kUsage;
    QList<int> addresses{backup->address};
    if (args.options.contains(QStringLiteral("--address"))) {
        const auto a = Addresses(args.options[QStringLiteral("--address")], &error);
        if (!a)
            return Usage(error);
        addresses = *a;
    } else if (!settings::IsMeterAddress(backup->address)) {
        Err(QStringLiteral("the file's address %1 is no meter address (1..247); nothing written").arg(backup->address));
        return kUsage;
    }
    const QList<Block> &list = Blocks(backup->family);
    if (args.dryRun) {
        for (int address : addresses)
            for (qsizetype i = 0; i < list.size(); ++i)
                if (!(*data)[i].isEmpty())
                    Out(QStringLiteral("meter %1 block %2: would write %3 registers from 0x%4: %5")
                            .arg(address)
                            .arg(list[i].key)
                            .arg(list[i].count)
                            .arg(list[i].first, 4, 16, QLatin1Char('0'))
                            .arg(QString::fromLatin1((*data)[i].toHex(' '))));
        return kOk;
    }
    const auto ports = Ports(args, &error);
    if (!ports)
        return Usage(error);
    return OnEachBus(*ports, [&](SyncLink &link) { return WriteAndVerify(link, backup->family, addresses, *data); });
}

int Diff(const Args &args)
{
    QString error;
    if (args.positional.isEmpty() || args.positional.size() > 2)
        return Usage(QStringLiteral("diff: give two backup files, or one and --port"));
    const auto a = LoadBackup(args.positional[0], &error);
    if (!a) {
        Err(error);
        return kUsage;
    }
    std::optional<Backup> b;
    if (args.positional.size() == 2) {
        b = LoadBackup(args.positional[1], &error);
        if (!b) {
            Err(error);
            return kUsage;
        }
    } else {
        const auto port = Port(args, &error);
        if (!port)
            return Usage(error);
        if (args.ports.size() > 1)
            return Usage(QStringLiteral("diff: give one --port"));
        int address = a->address;
        if (args.options.contains(QStringLiteral("--address"))) {
            const auto list = Addresses(args.options[QStringLiteral("--address")], &error);
            if (!list || list->size() != 1)
                return Usage(list ? QStringLiteral("diff: give one address") : error);
            address = list->first();
        } else if (!settings::IsMeterAddress(address)) {
            Err(QStringLiteral("the file's address %1 is no meter address (1..247); nothing read").arg(address));
            return kUsage;
        }
        SyncLink link;
        if (const auto failed = OpenFailed(link, *port))
            return *failed;
        const auto data = Upload(link, a->family, address, &error);
        if (!data) {
            Err(error);
            return kFailed;
        }
        b = ParseBackup(BackupDocument(a->family, address, *data), &error);
        if (!b) {
            Err(error);
            return kFailed;
        }
    }
    const QStringList lines = Differences(*a, *b);
    for (const QString &line : lines)
        Out(line);
    return lines.isEmpty() ? kOk : kFailed;
}

int Set(SyncLink &link, const Args &args, const Target &target)
{
    if (target.addresses.size() != 1)
        return Usage(QStringLiteral("set: give one address"));
    if (args.positional.isEmpty())
        return Usage(QStringLiteral("set: give NAME=VALUE"));
    const int address = target.addresses.first();
    const QList<Block> &list = Blocks(target.family);
    // Where each change goes: block index, field index, value.
    struct Change {
        qsizetype block;
        int field;
        QString value;
    };
    QList<Change> changes;
    for (const QString &assignment : args.positional) {
        const qsizetype eq = assignment.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return Usage(QStringLiteral("'%1' is not NAME=VALUE").arg(assignment));
        QString name = assignment.left(eq);
        QString key;
        if (const qsizetype slash = name.indexOf(QLatin1Char('/')); slash > 0) {
            key = name.left(slash);
            name = name.mid(slash + 1);
        }
        QList<Change> found;
        for (qsizetype i = 0; i < list.size(); ++i) {
            if ((!key.isEmpty() && list[i].key != key) || !list[i].restorable)
                continue;
            if (const int k = list[i].Find(name); k >= 0)
                found << Change{i, k, assignment.mid(eq + 1)};
        }
        if (found.isEmpty())
            return Usage(QStringLiteral("no settable field '%1' in the %2 family").arg(assignment.left(eq),
                                                                                     FamilyName(target.family)));
        if (found.size() > 1) {
            QStringList where;
            for (const Change &c : found)
                where << QStringLiteral("%1/%2").arg(list[c.block].key, name);
            return Usage(QStringLiteral("'%1' is in several blocks; say which: %2").arg(name, where.join(", ")));
        }
        changes << found.first();
    }
    // Read the blocks concerned, apply the changes and encode them all
    // before anything is written.
    QList<QByteArray> data(list.size());
    QList<fields::Values> values(list.size());
    QString error;
    if (!CheckFamily(link, target.family, address, &error)) {
        Err(error);
        return kFailed;
    }
    for (const Change &c : changes) {
        if (values[c.block].isEmpty()) {
            const auto current = ReadBlock(link, address, list[c.block], &error);
            if (!current) {
                Err(error);
                return kFailed;
            }
            values[c.block] = list[c.block].decode(*current);
        }
        values[c.block][c.field] = c.value;
    }
    Backup edited{target.family, address, QList<QByteArray>(list.size()), values};
    const auto encoded = EncodeAll(edited);
    if (!encoded)
        return kUsage;
    return WriteAndVerify(link, target.family, {address}, *encoded);
}

// ---- Guided calibration ----

// The plan of a calibrate command: the family's default or the file's,
// the points chosen and the limit; refused before the port is opened.
std::optional<calib::Plan> CalibrationPlan(const Args &args, Family family, QString *error)
{
    const calib::Plan defaults = family == Family::ThreePhase    ? threephase::calibration::DefaultPlan()
                                 : family == Family::SinglePhase ? singlephase::calibration::DefaultPlan()
                                                                 : kz827::calibration::DefaultPlan();
    std::optional<calib::Plan> plan = defaults;
    if (args.options.contains(QStringLiteral("--plan")))
        plan = calib::LoadPlan(args.options[QStringLiteral("--plan")], FamilyName(family), defaults, error);
    if (plan && args.options.contains(QStringLiteral("--points")))
        plan = calib::SelectPoints(*plan, args.options[QStringLiteral("--points")], error);
    if (plan && args.options.contains(QStringLiteral("--limit"))) {
        bool ok = false;
        const double limit = args.options[QStringLiteral("--limit")].toDouble(&ok);
        if (!ok || !(limit >= calib::kLowestLimit && limit <= calib::kHighestLimit)) {
            *error = QStringLiteral("--limit must be a number from %1 to %2 (percent)")
                         .arg(calib::kLowestLimit)
                         .arg(calib::kHighestLimit);
            return std::nullopt;
        }
        for (calib::PlanPoint &p : plan->points)
            p.limit = limit;
    }
    return plan;
}

// Asks on the terminal for the source of a point: Enter goes on, s skips,
// q (or the end of the input) stops.
calib::Run::Answer AskForSource(const calib::PlanPoint &p)
{
    Note(SourcePrompt(p));
    char line[64];
    if (!std::fgets(line, sizeof line, stdin))
        return calib::Run::Answer::Stop;
    const QString answer = QString::fromLocal8Bit(line).trimmed().toLower();
    if (answer == QLatin1String("q"))
        return calib::Run::Answer::Stop;
    if (answer == QLatin1String("s"))
        return calib::Run::Answer::Skip;
    return calib::Run::Answer::Continue;
}

int Calibrate(const Args &args)
{
    QString error;
    if (!SetLanguage(args.options.value(QStringLiteral("--lang"), QStringLiteral("en"))))
        return Usage(QStringLiteral("--lang must be en or zh"));
    const auto ports = Ports(args, &error);
    if (!ports)
        return Usage(error);
    if (ports->size() > 1)
        return Usage(QStringLiteral("calibrate: give one --port"));
    const auto target = FamilyAndAddresses(args, &error);
    if (!target)
        return Usage(error);
    if (target->addresses.size() != 1)
        return Usage(QStringLiteral("calibrate: give one address"));
    const auto plan = CalibrationPlan(args, target->family, &error);
    if (!plan) {
        Err(error);
        return kUsage;
    }
    const int address = target->addresses.first();
    // The outputs are only tried here: a file already there is replaced
    // when the run begins (the record) or ends (the certificate), never by
    // a run refused before it starts.
    calib::Record record;
    for (const char *output : {"--record", "--certificate"})
        if (args.options.contains(QLatin1String(output)) && !CanWrite(args.options[QLatin1String(output)], &error)) {
            Err(error);
            return kUsage;
        }

    SyncLink link;
    if (const auto failed = OpenFailed(link, ports->first()))
        return *failed;
    if (!CheckFamily(link, target->family, address, &error)) {
        Err(error);
        return kFailed;
    }
    if (args.options.contains(QStringLiteral("--record")) &&
        !record.SaveTo(args.options[QStringLiteral("--record")], &error)) {
        Err(QStringLiteral("%1: %2").arg(args.options[QStringLiteral("--record")], error));
        return kUsage;
    }
    // The family's calibration form: the module's and the single-phase
    // meter's over their decoders, the KZ827KVE's its own.
    std::unique_ptr<calib::Decoder> decoder;
    std::unique_ptr<calib::Protocol> protocol;
    if (target->family == Family::ThreePhase)
        decoder = std::make_unique<threephase::calibration::Decoder>();
    else if (target->family == Family::SinglePhase)
        decoder = std::make_unique<singlephase::calibration::Decoder>();
    if (decoder)
        protocol = std::make_unique<calib::AaProtocol>(*decoder);
    else
        protocol = std::make_unique<kz827::calibration::GuidedProtocol>();
    link.SetCalibrationLengths(modbus::CalibrationLengthsOf(target->family));
    SyncExchanger exchanger(link);
    calib::Run run(exchanger, *protocol, std::uint8_t(address), *plan);
    run.SetPrompting(!args.noPrompt);
    QEventLoop loop;
    QObject::connect(&run, &calib::Run::sourceWanted, &run,
                     [&run](const calib::PlanPoint &p) { run.Respond(AskForSource(p)); });
    QObject::connect(&run, &calib::Run::progress, &run,
                     [](int index, int count, calib::Step step, const QString &) {
                         if (step != calib::Step::Done)
                             Progress(index, count, calib::StepText(step));
                     });
    // Each point goes into the record as it is done, so a run that dies
    // midway leaves what it did.
    bool recorded = true;
    QObject::connect(&run, &calib::Run::pointDone, &run, [&](const calib::PointResult &r) {
        if (ErrorsToTerminal())
            std::fputs("\r\033[K", stderr);
        Out(PointLine(r));
        recorded = record.Add(calib::PointRow(r, address, QDateTime::currentDateTime())) && recorded;
    });
    QObject::connect(&run, &calib::Run::finished, &loop, &QEventLoop::quit);
    run.Start();
    loop.exec();

    const calib::RunResult &result = run.Result();
    if (const auto end = calib::EndRow(result, address))
        recorded = record.Add(*end) && recorded;
    if (!recorded)
        Err(QStringLiteral("the record could not be written"));
    if (!result.stoppedAt.isEmpty())
        Err(QStringLiteral("%1 at %2").arg(result.noAnswer ? QStringLiteral("the meter stopped answering")
                                                          : QStringLiteral("stopped"),
                                          result.stoppedAt));
    if (args.options.contains(QStringLiteral("--certificate"))) {
        const QString path = args.options[QStringLiteral("--certificate")];
        calib::CertificateHeader header;
        header.family = calib::FamilyText(target->family);
        header.address = address;
        header.operatorName = args.options.value(QStringLiteral("--operator"));
        header.planName = plan->name;
        header.planSource = args.options.contains(QStringLiteral("--plan"))
                                ? QFileInfo(args.options[QStringLiteral("--plan")]).fileName()
                                : kz::Tr(QT_TRANSLATE_NOOP("kz", "默认方案"));
        if (!calib::WriteCertificate(path, header, result, &error)) {
            Err(QStringLiteral("%1: %2").arg(path, error));
            return kFailed;
        }
    }
    const auto passed = std::count_if(result.points.begin(), result.points.end(),
                                      [](const calib::PointResult &p) { return p.passed; });
    Out(QStringLiteral("%1\t%2/%3").arg(kz::Tr(result.Passed() ? QT_TRANSLATE_NOOP("kz", "合格") : QT_TRANSLATE_NOOP("kz", "不合格")))
            .arg(passed)
            .arg(result.planned));
    return result.Passed() && recorded ? kOk : kFailed;
}

// The wiring check of each three-phase meter: its verdict, the fitting
// connections, the correction factor. Fails unless every meter is judged
// rightly wired.
int CheckWiring(SyncLink &link, const Args &args, const QList<int> &addresses)
{
    int status = kOk;
    for (int address : addresses) {
        QString error;
        if (!CheckFamily(link, Family::ThreePhase, address, &error)) {
            Err(error);
            status = kFailed;
            continue;
        }
        const auto readings = ReadWiring(link, address, &error);
        if (!readings) {
            Err(error);
            status = kFailed;
            continue;
        }
        const auto verdict = threephase::wiring::Analyse(*readings);
        if (!threephase::wiring::RightlyWired(verdict, readings->mode))
            status = kFailed;
        if (args.json) {
            OutJson(WiringJson(address, *readings, verdict));
        } else {
            for (const QString &line : WiringLines(address, *readings, verdict))
                Out(line);
        }
    }
    return status;
}

int Run(const QStringList &argv)
{
    QString error;
    const auto args = Parse(argv, &error);
    if (!args)
        return Usage(error);
    const QString &c = args->command;
    if (c.isEmpty() || c == QLatin1String("help")) {
        std::fputs(kUsageText, c.isEmpty() ? stderr : stdout);
        return c.isEmpty() ? kUsage : kOk;
    }
    if (c == QLatin1String("restore"))
        return Restore(*args);
    if (c == QLatin1String("diff"))
        return Diff(*args);
    if (c == QLatin1String("calibrate"))
        return Calibrate(*args);
    if (c == QLatin1String("check-wiring")) {
        if (!SetLanguage(args->options.value(QStringLiteral("--lang"), QStringLiteral("en"))))
            return Usage(QStringLiteral("--lang must be en or zh"));
        const auto ports = Ports(*args, &error);
        if (!ports)
            return Usage(error);
        if (!args->options.contains(QStringLiteral("--address")))
            return Usage(QStringLiteral("--address is required"));
        const auto addresses = Addresses(args->options[QStringLiteral("--address")], &error);
        if (!addresses)
            return Usage(error);
        return OnEachBus(*ports, [&](SyncLink &link) { return CheckWiring(link, *args, *addresses); });
    }
    if (c != QLatin1String("scan") && c != QLatin1String("read") && c != QLatin1String("backup") &&
        c != QLatin1String("set"))
        return Usage(QStringLiteral("unknown command '%1'").arg(c));
    const auto ports = Ports(*args, &error);
    if (!ports)
        return Usage(error);
    if (ports->size() > 1 && c == QLatin1String("set"))
        return Usage(QStringLiteral("set: give one --port"));
    std::optional<Target> target;
    if (c != QLatin1String("scan")) {
        target = FamilyAndAddresses(*args, &error);
        if (!target)
            return Usage(error);
    }
    return OnEachBus(*ports, [&](SyncLink &link) {
        if (c == QLatin1String("scan"))
            return Scan(link, *args);
        if (c == QLatin1String("read"))
            return Read(link, *args, *target);
        if (c == QLatin1String("backup"))
            return BackupCommand(link, *args, *target);
        return Set(link, *args, *target);
    });
}

} // namespace

int main(int argc, char *argv[])
{
    // The certificate's fonts and PDF writer need the GUI application (no
    // window is shown; without a display it draws off screen).
#ifdef Q_OS_WIN
    // Each bus runs in a thread of its own. A regular expression matched in
    // such a thread leaves Qt a thread_local JIT stack whose destructor, in
    // a MinGW build, frees a stray pointer when the thread ends: an access
    // violation that ends the thread unseen and leaves kzctl waiting for it
    // for ever. The interpreter matches the few short patterns here as well.
    if (!qEnvironmentVariableIsSet("QT_ENABLE_REGEXP_JIT"))
        qputenv("QT_ENABLE_REGEXP_JIT", "0");
#endif
    bool certificate = false;
    for (int i = 1; i < argc; ++i)
        certificate = certificate || qstrcmp(argv[i], "--certificate") == 0;
    if (certificate && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app;
    if (certificate)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 2 && (args[1] == QLatin1String("--help") || args[1] == QLatin1String("-h"))) {
        std::fputs(kUsageText, stdout);
        return 0;
    }
    // kzctl speaks English: the shared file and plan checks write their
    // reasons in the program's Chinese and are translated here.
    SetLanguage(QStringLiteral("en"));
    return Run(args);
}
