// Writes the seed corpora of the fuzz targets: the requests the windows
// send and the replies the simulated instruments give them, in each
// target's input layout. Run as `kzfuzzseeds fuzz/corpus`; the files are
// committed, this program only makes them again when a layout changes.
#include "kz827/alarms.h"
#include "kz827/calibration.h"
#include "kz827/range.h"
#include "kz827/measurement.h"
#include "core/addressscan.h"
#include "core/backup.h"
#include "link/mbap.h"
#include "settings/blocks.h"
#include "threephase/calibration.h"
#include "singlephase/calibration.h"
#include "core/calibrationengine.h"
#include "core/clockblock.h"
#include "link/modbusframes.h"
#include "core/relaycommands.h"
#include "singlephase/measurement.h"
#include "singlephase/monitor.h"
#include "singlephase/settings.h"
#include "sim/bus.h"
#include "threephase/alarmmask.h"
#include "threephase/measurement.h"
#include "threephase/display.h"
#include "threephase/initsettings.h"
#include "threephase/limits.h"
#include "threephase/monitor.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <cstdio>
#include <cstring>

namespace {

QString root;
sim::Bus *bus = nullptr;

void Write(const QString &target, const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(root + QLatin1Char('/') + target);
    QFile file(root + QLatin1Char('/') + target + QLatin1Char('/') + name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
}

QByteArray Chunk(const QByteArray &bytes)
{
    return QByteArray(1, static_cast<char>(bytes.size())) + bytes.left(255);
}

QByteArray Bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b.append(static_cast<char>(v));
    return b;
}

struct Exchange {
    std::uint8_t state;
    QByteArray request;
};

// A window's file: its byte, then state, request and the bus's reply.
void WindowSeed(const char *target, const QString &name, int window, const QList<Exchange> &exchanges)
{
    QByteArray in(1, static_cast<char>(window));
    for (const Exchange &e : exchanges) {
        if (QByteArray(target) != "kz827")
            in.append(static_cast<char>(e.state));
        in += Chunk(e.request) + Chunk(bus->Handle(e.request));
    }
    Write(target, name, in);
}

QByteArray Regs(std::uint8_t a, std::uint16_t first, std::uint16_t count)
{
    return modbus::ReadRegisters(a, first, count);
}

// The relay window sending three of its commands.
void RelaySeed(const char *target, const std::array<relays::Command, 8> &commands, std::uint8_t a)
{
    WindowSeed(target, "relays", 1,
               {{0, relays::Request(commands[1], a)}, {0, relays::Request(commands[6], a)},
                {0, relays::Request(commands[7], a)}});
}

// A window of limit groups (name1, name2, ...) reading each group, the
// state byte naming it.
template <typename Groups>
void GroupSeeds(const char *target, const char *name, int window, const Groups &groups, std::uint8_t a)
{
    for (int g = 0; g < static_cast<int>(groups.size()); ++g)
        WindowSeed(target, QStringLiteral("%1%2").arg(QLatin1String(name)).arg(g + 1), window,
                   {{std::uint8_t(g), Regs(a, groups[g].first, groups[g].count)}});
}

void FamilySeeds()
{
    namespace tm = threephase::monitor;
    namespace sm = singlephase::monitor;
    WindowSeed("threephase", "measurement", 0, {{0, threephase::RatioRequest(1)}, {0, threephase::MeasurementPoll(1)}});
    RelaySeed("threephase", tm::kRelayCommands, 1);
    WindowSeed("threephase", "state", 2, {{0, tm::StateRequest(1)}});
    WindowSeed("threephase", "events", 3,
               {{1, eventlog::Request(tm::kEventLog, 1, 0)}, {24, eventlog::Request(tm::kEventLog, 1, 23)}});
    WindowSeed("threephase", "alarmmask", 4,
               {{0, Regs(1, 0x34, 4)}, {0, modbus::WriteRegisters(1, 0x34, 4, threephase::alarmmask::SelectAllData())}});
    GroupSeeds("threephase", "limits", 5, threephase::limits::kGroups, 1);
    WindowSeed("threephase", "display", 6, {{0, Regs(1, 0x38, 11)}});
    WindowSeed("threephase", "initsettings", 7, {{0, Regs(1, 0x50, 11)}, {0, Regs(1, 0x5B, 2)}});
    WindowSeed("threephase", "clock", 8, {{0, clockblock::UploadRequest(0x0060, 1)}});
    WindowSeed("threephase", "calibration", 9,
               {{0, calib::ReadRequest(1)}, {0, calib::WriteRequest(1, 13, 0x000100)}, {0, calib::ReadRequest(1)}});

    WindowSeed("singlephase", "measurement", 0,
               {{0, singlephase::measurement::SetupRequest(2)}, {0, singlephase::measurement::MeasurementRequest(2)}});
    RelaySeed("singlephase", sm::kRelayCommands, 2);
    WindowSeed("singlephase", "state", 2, {{0, sm::StateRequest(2)}});
    WindowSeed("singlephase", "events", 3,
               {{1, eventlog::Request(sm::kEventLog, 2, 0)}, {7, eventlog::Request(sm::kEventLog, 2, 6)}});
    WindowSeed("singlephase", "alarmenable", 4, {{0, Regs(2, 0x30, 6)}});
    GroupSeeds("singlephase", "alarmparams", 5, singlephase::alarmparams::kGroups, 2);
    WindowSeed("singlephase", "display", 6, {{0, Regs(2, 0x36, 8)}});
    WindowSeed("singlephase", "initsettings", 7, {{0, Regs(2, 0x50, 10)}, {0, Regs(2, 0x5A, 2)}});
    WindowSeed("singlephase", "clock", 8, {{0, clockblock::UploadRequest(0x005C, 2)}});
    WindowSeed("singlephase", "calibration", 9, {{0, calib::ReadRequest(2)}, {0, calib::WriteRequest(2, 1, 0x7FFF00)}});

    namespace kc = kz827::calibration;
    WindowSeed("kz827", "measurement", 0, {{0, kz827::MeasurementPoll(3)}});
    WindowSeed("kz827", "alarms", 1, {{0, Regs(3, kz827::kAlarmFirst, kz827::kAlarmRegisters)}});
    WindowSeed("kz827", "range", 2, {{0, Regs(3, kz827::kRangeFirst, kz827::kRangeRegisters)}});
    WindowSeed("kz827", "calibration", 3,
               {{0, kc::Request(3, kc::kRead)}, {0, kc::Request(3, kc::WriteCommand(kc::kVoltage), 0x400000)},
                {0, kc::Request(3, kc::kRead)}});
}

// The link: choose the family, a window sends its request (as its family's,
// or as no family's: the scan), and the reply arrives (flags and split as
// in the link target).
QByteArray LinkSteps(int family, bool asFamily, const QByteArray &request, const QByteArray &reply, int flags = 0,
                     int split = 0)
{
    return Bytes({0, family, 2, 0, asFamily ? family : 3}) + Chunk(request) + Bytes({3, flags, split}) + Chunk(reply);
}

void LinkSeeds()
{
    struct Case {
        const char *name;
        int family;
        bool asFamily;
        QByteArray request;
    };
    const QList<Case> cases = {
        {"tp-measurement", 0, true, threephase::MeasurementPoll(1)},
        {"tp-coils", 0, true, modbus::ReadCoils(1, 0, 3)},
        {"tp-coil-echo", 0, true, modbus::WriteCoil(1, 1, true)},
        {"tp-state", 0, true, threephase::monitor::StateRequest(1)},
        {"tp-events", 0, true, eventlog::Request(threephase::monitor::kEventLog, 1, 0)},
        {"tp-write-echo", 0, true, modbus::WriteRegisters(1, 0x34, 4, threephase::alarmmask::SelectAllData())},
        {"tp-probe", 0, false, AddressProbeFrame(1)},
        {"tp-calibration", 0, true, calib::ReadRequest(1)},
        {"tp-calibration-ack", 0, true, calib::WriteRequest(1, 13, 0x000100)},
        {"sp-measurement", 1, true, singlephase::measurement::MeasurementRequest(2)},
        {"sp-probe", 1, false, AddressProbeFrame(2)},
        {"sp-calibration", 1, true, calib::ReadRequest(2)},
        {"kz-measurement", 2, true, kz827::MeasurementPoll(3)},
        {"kz-alarms", 2, true, Regs(3, kz827::kAlarmFirst, kz827::kAlarmRegisters)},
        {"kz-calibration", 2, true, kz827::calibration::Request(3, kz827::calibration::kRead)},
        {"kz-calibration-ack", 2, true, kz827::calibration::Request(3, kz827::calibration::kVoltageZero)},
        {"kz-probe", 2, false, AddressProbeFrame(3)},
    };
    for (const Case &c : cases)
        Write("seriallink", c.name, LinkSteps(c.family, c.asFamily, c.request, bus->Handle(c.request)));
    const QByteArray poll = threephase::MeasurementPoll(1);
    const QByteArray reply = bus->Handle(poll);
    // In two pieces; with stray bytes behind; with the port lost halfway.
    Write("seriallink", "tp-split", LinkSteps(0, true, poll, reply, 2, 40));
    Write("seriallink", "tp-stray", LinkSteps(0, true, poll, reply + Bytes({0x01, 0x03, 0x7E})));
    Write("seriallink", "tp-lost", LinkSteps(0, true, poll, reply, 6, 20));
    // A Modbus exception; a reply after another window took the family
    // over; a second reply nobody asked for; a reply after the time-out.
    Write("seriallink", "tp-exception", LinkSteps(0, true, poll, QByteArray::fromHex("0183024101")));
    Write("seriallink", "tp-taken-over",
          Bytes({0, 0, 2, 0, 0}) + Chunk(poll) + Bytes({1, 0, 1, 3, 0, 0}) + Chunk(reply));
    Write("seriallink", "tp-twice", LinkSteps(0, true, poll, reply) + Bytes({3, 0, 0}) + Chunk(reply));
    Write("seriallink", "tp-late", Bytes({0, 0, 2, 0, 0}) + Chunk(poll) + Bytes({6, 3, 0, 0}) + Chunk(reply));
    // Handed directly, CRC put right by the target, to requests of each family.
    QByteArray each;
    const QByteArray replies[] = {Regs(1, 0x50, 11), QByteArray::fromHex("0203040000000000"),
                                  QByteArray::fromHex("03aa7200000000")};
    for (int f = 0; f < 3; ++f)
        each += Bytes({0, f, 2, 1, f}) + Chunk(poll) + Bytes({4, 0x01}) + Chunk(replies[f]);
    Write("seriallink", "dispatch-each", each);
}

void FieldSeeds()
{
    const auto texts = [](const QStringList &list) {
        QByteArray b;
        for (const QString &t : list)
            b += Chunk(t.toUtf8());
        return b;
    };
    const auto factory = [&](const fields::Values &values) {
        QStringList list;
        for (const QString &v : values)
            list << (v.isNull() ? QStringLiteral("0") : v);
        return texts(list);
    };
    const QList<fields::Table> tables = {threephase::alarmmask::kFields, threephase::display::kFields,
                                         threephase::initsettings::kFields, singlephase::alarmenable::kFields};
    for (int i = 0; i < tables.size(); ++i)
        Write("fields", QStringLiteral("table%1").arg(i), Bytes({0, i}) + factory(fields::FactoryValues(tables[i])));
    for (int g = 0; g < 10; ++g)
        Write("fields", QStringLiteral("limits%1").arg(g + 1),
              Bytes({0, 4 + g}) + factory(fields::FactoryValues(threephase::limits::kGroups[g].table)));
    for (int g = 0; g < 4; ++g) {
        const auto &group = singlephase::alarmparams::kGroups[g];
        Write("fields", QStringLiteral("words%1").arg(g + 2),
              Bytes({1, 2 + g}) + factory(fields::FactoryValues(group.table)));
    }
    // The display block's lists and boxes at their factory values, its spins typed.
    namespace sd = singlephase::display;
    Write("fields", "words0",
          Bytes({1, 0}) + factory(fields::FactoryValues(sd::kFields).mid(0, sd::kFirstSpin)) + texts({"5", "5", "5", "30"}));
    Write("fields", "integers", Bytes({2, 0}) + texts({"123", "-5", "+7", "99999999999999999999", "1e3", "", "65535"}));
    Write("fields", "limits", Bytes({3, 0}) + texts({"220.5", ".5", "-0.5", "12345", "1.2.3", "-.1234", "0.001"}));
    Write("fields", "bases", Bytes({4, 0}) + texts({"123.45KW/h", "16777215.99", "12.5", "-1", "1.5var/h"}));
    for (int q = 0; q < 3; ++q)
        Write("fields", QStringLiteral("kz827limit%1").arg(q),
              Bytes({5, q}) + texts({"220.5V", "1.2KV", "12", ".5A", "1.5MW", "10KW", "999.9", "10000", ".123"}));
    QByteArray alarms = Bytes({6, 0});
    for (const kz827::AlarmQuantity &a : kz827::FactoryAlarms())
        alarms += texts({a.upper, a.upperHysteresis, a.lower, a.lowerHysteresis}) + Bytes({1, 2, 3});
    Write("fields", "kz827alarms", alarms);
    Write("fields", "kz827range", Bytes({7, 0, 1, 0, 2}) + texts({"1", "100"}));
    Write("fields", "registers", Bytes({8, 0, 0x12, 0x34, 0x99, 0x99, 0xFF, 0xFF, 0xFF, 0x38, 0x00, 0x02, 'a', 'F'}));
}

void CalibrationSeeds()
{
    const auto step = [](int kind, const QByteArray &chunk) { return Bytes({kind}) + Chunk(chunk); };
    for (int family = 0; family < 2; ++family) {
        const std::uint8_t a = family == 0 ? 1 : 2;
        QByteArray in = Bytes({family});
        for (int i = 0; i < 8; ++i)
            in += step(0, bus->Handle(calib::ReadRequest(a)));
        in += step(0, bus->Handle(calib::WriteRequest(a, 1, 0x000100)));
        // "计  算" on a power, a phase and a voltage point; words typed.
        in += Bytes({1, 1}) + Chunk("1100.00W") + Bytes({1, family == 0 ? 7 : 2}) + Chunk("550.00W") +
              Bytes({1, family == 0 ? 13 : 5}) + Chunk("220.00V") + Bytes({1, 0}) + Chunk("5.000A");
        in += step(2, "7FFFFF") + step(2, "1a") + step(2, "G00000");
        double k = 1.0 / 3;
        QByteArray raw(8, '\0');
        std::memcpy(raw.data(), &k, sizeof k);
        in += step(3, raw);
        Write("calibration", family == 0 ? QStringLiteral("threephase") : QStringLiteral("singlephase"), in);
    }
    namespace kc = kz827::calibration;
    QByteArray in = Bytes({2});
    for (int i = 0; i < 8; ++i)
        in += step(0, bus->Handle(kc::Request(3, kc::kRead)));
    for (int item = 0; item < kc::kItems; ++item)
        in += Bytes({1, item + 1}) + Chunk(kc::StandardDefault(item).toUtf8());
    in += step(2, "400000") + step(3, Bytes({0x40, 0, 0, 0x10, 0, 0, 0x20, 0, 0, 0x01, 0x86, 0xA0}));
    Write("calibration", "kz827", in);
}

void SimulatorSeeds()
{
    namespace tm = threephase::monitor;
    const QDateTime when(QDate(2026, 3, 7), QTime(9, 5, 0));
    const QList<QList<QByteArray>> families = {
        {threephase::MeasurementPoll(1), modbus::ReadCoils(1, 0, 3), modbus::ReadInputs(1, 0, 3),
         modbus::WriteCoil(1, 0, true), tm::StateRequest(1), eventlog::Request(tm::kEventLog, 1, 3),
         modbus::WriteRegisters(1, 0x34, 4, threephase::alarmmask::SelectAllData()), Regs(1, 0x1000, 20),
         clockblock::ClockRequest(0x0060, 1, when), clockblock::BaudRequest(0x0060, 1, 3),
         calib::ReadRequest(1), calib::WriteRequest(1, 13, 0x000100), AddressProbeFrame(1),
         clockblock::AddressRequest(0x0060, 1, 9), Regs(9, 0x60, 8)},
        {singlephase::measurement::SetupRequest(2), singlephase::measurement::MeasurementRequest(2),
         singlephase::monitor::StateRequest(2), Regs(2, 0x1080, 6), Regs(2, 0x5A, 2), calib::ReadRequest(2),
         modbus::WriteRegister(2, 0x36, 1), modbus::ReadRegisters(2, 0x7000, 1)},
        {kz827::MeasurementPoll(3), Regs(3, kz827::kAlarmFirst, kz827::kAlarmRegisters),
         kz827::SetBaudFrame(3, 3), kz827::calibration::Request(3, kz827::calibration::kRead),
         kz827::calibration::Request(3, kz827::calibration::kCurrentZero), kz827::SetAddressFrame(3, 4),
         Regs(4, kz827::kRangeFirst, kz827::kRangeRegisters)},
    };
    const char *names[] = {"threephase", "singlephase", "kz827"};
    for (int f = 0; f < 3; ++f) {
        QByteArray in = Bytes({0});
        for (const QByteArray &request : families[f])
            in += Chunk(request);
        Write("simulator", names[f], in);
    }
    // Frames cut across pieces, an unknown function ended by a pause, and
    // CRCs left for the target to put right.
    const QByteArray stream = threephase::MeasurementPoll(1) + calib::ReadRequest(2) + kz827::MeasurementPoll(3);
    Write("simulator", "pieces", Bytes({0}) + Chunk(stream.left(5)) + Chunk(stream.mid(5, 17)) + Chunk(stream.mid(22)));
    Write("simulator", "unknown", Bytes({3}) + Chunk(Bytes({1, 0x2B, 0x0E, 0x01, 0x00, 0, 0})) +
                                      Chunk(Bytes({2, 0x2A, 0, 0})));
    Write("simulator", "repaired", Bytes({1}) + Chunk(Bytes({1, 0x03, 0, 0, 0, 125, 0, 0})) +
                                       Chunk(Bytes({2, 0x10, 0, 0x36, 0, 1, 2, 0, 1, 0, 0})) +
                                       Chunk(Bytes({3, 0xAA, 0x80, 0x0F, 0x54, 0x60, 0x03, 0, 0, 0, 0, 0})));
}

// The Modbus TCP stream: true answers cut inside their header, a length
// that lies (20 too long, then 254) before the next request, junk, and the
// codec over the windows' requests.
void MbapSeeds()
{
    const QByteArray read = bus->Handle(threephase::MeasurementPoll(1));
    const QByteArray pdu = read.mid(1, read.size() - 3);
    QByteArray lie = *mbap::FromRtu(read, 1);
    lie[5] = static_cast<char>(lie.at(5) + 20);
    Write("mbap", "answers", Bytes({1}) + Chunk(pdu) + Bytes({4, 1}) + Chunk(pdu.left(20)) + Bytes({9}));
    Write("mbap", "lies", Bytes({0}) + Chunk(lie) + Bytes({1}) + Chunk(pdu.left(30)) + Bytes({7, 0}) +
                              Chunk(*mbap::FromRtu(read, 2)) + Bytes({0}) + Chunk(Bytes({0, 1, 0, 0, 0, 254, 1, 3})) +
                              Bytes({1}) + Chunk(Bytes({0x83, 2})) + Bytes({12}));
    Write("mbap", "junk", Bytes({0}) + Chunk(Bytes({0, 1, 0, 1, 0, 6, 1, 3, 0, 0, 0, 1})) + Bytes({1}) +
                              Chunk(Bytes({3, 2, 0, 1})) + Bytes({3}));
    Write("mbap", "codec", Bytes({2}) + Chunk(threephase::MeasurementPoll(1)) + Bytes({2}) +
                               Chunk(calib::ReadRequest(2)) + Bytes({2}) + Chunk(read.left(200)));
}

// One backup of each family as kzctl writes it, read from the bus.
void SettingsFileSeeds()
{
    const std::pair<Family, std::uint8_t> meters[] = {
        {Family::ThreePhase, 1}, {Family::SinglePhase, 2}, {Family::Kz827, 3}};
    for (const auto &[family, address] : meters) {
        QList<QByteArray> data;
        for (const backup::Block &block : settings::Blocks(family))
            data.append(bus->Handle(Regs(address, block.first, block.count)).mid(3, block.readBytes));
        const QJsonObject document = backup::Document(&settings::Blocks, family, address, data);
        Write("settingsfile", FamilyName(family), QJsonDocument(document).toJson());
    }
}

// A plan of each family: two of its points, one with its source given.
void PlanSeeds()
{
    const std::pair<Family, calib::Plan> families[] = {
        {Family::ThreePhase, threephase::calibration::DefaultPlan()},
        {Family::SinglePhase, singlephase::calibration::DefaultPlan()},
        {Family::Kz827, kz827::calibration::DefaultPlan()}};
    for (int f = 0; f < 3; ++f) {
        const calib::Plan &plan = families[f].second;
        const calib::PlanPoint &a = plan.points.first();
        const calib::PlanPoint &b = plan.points.last();
        const QString text =
            QStringLiteral("{\"name\": \"产线A\", \"family\": \"%1\", \"limit\": 0.1, \"stability\": 0.05, "
                           "\"settleSeconds\": 5, \"points\": [{\"point\": %2, \"reference\": %3}, "
                           "{\"point\": %4, \"reference\": %5, \"voltage\": 220, \"current\": 50, "
                           "\"powerFactor\": \"0.5L\", \"phase\": \"%6\", \"limit\": 0.2}]}")
                .arg(FamilyName(families[f].first))
                .arg(a.point)
                .arg(a.reference)
                .arg(b.point)
                .arg(b.reference)
                .arg(b.source.phase);
        Write("plan", FamilyName(families[f].first), QByteArray(1, char(f)) + text.toUtf8());
    }
}

// The windows' requests to each family as a Modbus TCP master sends them,
// one stream cut across frames, and with fault rules.
void TcpSimulatorSeeds()
{
    const QList<QByteArray> requests = {threephase::MeasurementPoll(1), calib::ReadRequest(2),
                                        singlephase::measurement::MeasurementRequest(2), kz827::MeasurementPoll(3),
                                        kz827::calibration::Request(3, kz827::calibration::kRead),
                                        AddressProbeFrame(1), modbus::WriteRegister(2, 0x36, 1)};
    QByteArray stream;
    for (int i = 0; i < requests.size(); ++i)
        stream += *mbap::FromRtu(requests[i], std::uint16_t(i + 1));
    QByteArray whole = Bytes({0}) + Chunk({});
    for (const QByteArray &request : requests)
        whole += Chunk(*mbap::FromRtu(request, 7));
    Write("tcpsimulator", "requests", whole);
    Write("tcpsimulator", "pieces", Bytes({0}) + Chunk({}) + Chunk(stream.left(9)) + Chunk(stream.mid(9, 30)) +
                                        Chunk(stream.mid(39)));
    for (const char *rule : {"split:0,3", "garbage:4", "wrongaddr", "mute@at=2", "hangup@every=2"})
        Write("tcpsimulator", QStringLiteral("fault-%1").arg(QString::fromLatin1(rule).section(QLatin1Char(':'), 0, 0).section(QLatin1Char('@'), 0, 0)),
              Bytes({2}) + Chunk(rule) + Chunk(stream.left(120)) + Chunk(stream.mid(120)));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kzfuzzseeds CORPUS-FOLDER\n");
        return 2;
    }
    root = QString::fromLocal8Bit(argv[1]);
    const auto fresh = [] {
        static sim::Bus *made = nullptr;
        delete made;
        made = new sim::Bus;
        made->Add(1, sim::Family::ThreePhase);
        made->Add(2, sim::Family::SinglePhase);
        made->Add(3, sim::Family::Kz827);
        bus = made;
    };
    fresh();
    FamilySeeds();
    fresh();
    LinkSeeds();
    fresh();
    FieldSeeds();
    CalibrationSeeds();
    SimulatorSeeds();
    fresh();
    MbapSeeds();
    SettingsFileSeeds();
    PlanSeeds();
    TcpSimulatorSeeds();
    return 0;
}
