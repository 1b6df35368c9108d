#include "cli/wiring.h"

#include "link/modbusframes.h"
#include "threephase/measurement.h"
#include "threephase/monitor.h"

#include <QJsonArray>

namespace cli {

namespace wiring = threephase::wiring;

namespace {

std::optional<QByteArray> Reply(SyncLink &link, const QByteArray &request, int dataBytes, QString *error)
{
    const auto reply = link.Transact(request);
    const int address = modbus::FrameAddress(request);
    if (!reply) {
        *error = !link.Lost().isEmpty() ? link.Lost() : QStringLiteral("meter %1 did not answer").arg(address);
        return std::nullopt;
    }
    if (reply->size() < 3 + dataBytes || static_cast<std::uint8_t>(reply->at(1)) != 0x03 ||
        static_cast<std::uint8_t>(reply->at(2)) != dataBytes) {
        *error = QStringLiteral("meter %1 answered %2 bytes where %3 data bytes were expected")
                     .arg(address)
                     .arg(reply->size())
                     .arg(dataBytes);
        return std::nullopt;
    }
    return reply;
}

QString StatusKey(wiring::Verdict::Status status)
{
    using S = wiring::Verdict::Status;
    switch (status) {
    case S::Judged:
        return QStringLiteral("judged");
    case S::Ambiguous:
        return QStringLiteral("ambiguous");
    case S::NoFit:
        return QStringLiteral("no-fit");
    case S::TooLittleCurrent:
        return QStringLiteral("too-little-current");
    case S::NoVoltage:
        return QStringLiteral("no-voltage");
    }
    return {};
}

QString Angle(double degrees)
{
    return QStringLiteral("%1° %2")
        .arg(std::abs(degrees), 0, 'f', 1)
        .arg(degrees >= 0 ? QStringLiteral("lagging") : QStringLiteral("leading"));
}

QString Factor(const std::optional<double> &k)
{
    return k ? QString::number(*k, 'f', 3) : QStringLiteral("none (the meter records next to nothing)");
}

} // namespace

std::optional<wiring::Readings> ReadWiring(SyncLink &link, int address, QString *error)
{
    const auto byte = static_cast<std::uint8_t>(address);
    const auto ratios = Reply(link, threephase::RatioRequest(byte), 20, error);
    if (!ratios)
        return std::nullopt;
    const auto measured = Reply(link, threephase::MeasurementPoll(byte), 108, error);
    if (!measured)
        return std::nullopt;
    const auto state = Reply(link, threephase::monitor::StateRequest(byte), 8, error);
    if (!state)
        return std::nullopt;
    const auto bits = threephase::monitor::StateBits(state->mid(3, 8));
    if (!bits) {
        *error = QStringLiteral("meter %1 answered an unexpected state block").arg(address);
        return std::nullopt;
    }
    return wiring::DecodeReadings(measured->mid(3), ratios->mid(3), *bits);
}

QStringList WiringLines(int address, const wiring::Readings &r, const wiring::Verdict &v)
{
    QStringList lines;
    lines << QStringLiteral("meter %1 (%2): %3")
                 .arg(address)
                 .arg(r.mode == wiring::Mode::FourWire ? QStringLiteral("four-wire") : QStringLiteral("three-wire"),
                      v.text);
    for (int k = 0; k < 3; ++k) {
        if (r.mode == wiring::Mode::ThreeWire && k == 1)
            continue;
        lines << QStringLiteral("  element %1\t%2 V\t%3 A\t%4 W\t%5 var\t%6%7")
                     .arg(QChar(u'A' + k))
                     .arg(r.mode == wiring::Mode::FourWire ? r.volts[k] : r.lineVolts[k == 0 ? 0 : 1], 0, 'f', 1)
                     .arg(r.amps[k], 0, 'f', 3)
                     .arg(r.watts[k], 0, 'f', 0)
                     .arg(r.vars[k], 0, 'f', 0)
                     .arg(v.angles[k], 0, 'f', 1)
                     .arg(v.judged[k] ? QStringLiteral("°") : QStringLiteral("° (not judged)"));
    }
    if (!v.fits.isEmpty()) {
        const wiring::Fit &best = v.fits.first();
        lines << QStringLiteral("  load angle\t%1 (power factor %2)")
                     .arg(Angle(best.loadAngle))
                     .arg(std::cos(best.loadAngle * 3.14159265358979 / 180.0), 0, 'f', 3);
        lines << QStringLiteral("  correction factor\t%1").arg(Factor(best.correction));
    }
    for (qsizetype i = 0; i < v.fits.size(); ++i) {
        const wiring::Fit &f = v.fits[i];
        lines << QStringLiteral("  fit %1\t%2\tresidual %3°\tload angle %4\tfactor %5")
                     .arg(i + 1)
                     .arg(f.fault)
                     .arg(f.residual, 0, 'f', 1)
                     .arg(Angle(f.loadAngle), Factor(f.correction));
    }
    return lines;
}

QJsonObject WiringJson(int address, const wiring::Readings &r, const wiring::Verdict &v)
{
    QJsonArray elements;
    for (int k = 0; k < 3; ++k)
        elements.append(QJsonObject{{QStringLiteral("phase"), QString(QChar(u'A' + k))},
                                    {QStringLiteral("volts"), r.volts[k]},
                                    {QStringLiteral("lineVolts"), r.lineVolts[k]},
                                    {QStringLiteral("amps"), r.amps[k]},
                                    {QStringLiteral("watts"), r.watts[k]},
                                    {QStringLiteral("vars"), r.vars[k]},
                                    {QStringLiteral("angle"), v.angles[k]},
                                    {QStringLiteral("judged"), v.judged[k]},
                                    {QStringLiteral("lost"), v.lost[k]}});
    QJsonArray fits;
    for (const wiring::Fit &f : v.fits) {
        QJsonArray currents, reversed, terminals;
        for (int k = 0; k < 3; ++k) {
            currents.append(QString(QChar(u'A' + f.connection.phase[k])));
            reversed.append(f.connection.reversed[k]);
            terminals.append(QString(QChar(u'A' + f.connection.terminals[k])));
        }
        QJsonObject fit{{QStringLiteral("fault"), f.fault},
                        {QStringLiteral("loadAngle"), f.loadAngle},
                        {QStringLiteral("residual"), f.residual},
                        {QStringLiteral("currents"), currents},
                        {QStringLiteral("reversed"), reversed}};
        if (r.mode == wiring::Mode::ThreeWire)
            fit.insert(QStringLiteral("terminals"), terminals);
        fit.insert(QStringLiteral("correction"), f.correction ? QJsonValue(*f.correction) : QJsonValue());
        fits.append(fit);
    }
    return QJsonObject{{QStringLiteral("address"), address},
                       {QStringLiteral("mode"), r.mode == wiring::Mode::FourWire ? QStringLiteral("four-wire")
                                                                                 : QStringLiteral("three-wire")},
                       {QStringLiteral("status"), StatusKey(v.status)},
                       {QStringLiteral("verdict"), v.text},
                       {QStringLiteral("reverseSequence"), v.reverseSequence},
                       {QStringLiteral("hertz"), r.hertz},
                       {QStringLiteral("elements"), elements},
                       {QStringLiteral("fits"), fits}};
}

} // namespace cli
