#include "sim/faults.h"

#include "link/crc.h"

#include <QStringList>
#include <array>

namespace sim {

namespace {

// A fault's name on the command line, how many parameters it takes and the
// largest value its first parameter may have.
struct KindName {
    FaultKind kind;
    const char *name;
    int maxParams;
    int maxValue;
};
constexpr std::array<KindName, 8> kKinds{{
    {FaultKind::Drop, "drop", 0, 0},
    {FaultKind::BadCrc, "badcrc", 0, 0},
    {FaultKind::Split, "split", 2, 60000},
    {FaultKind::Garbage, "garbage", 1, 256},
    {FaultKind::Delay, "delay", 1, 60000},
    {FaultKind::WrongAddress, "wrongaddr", 1, 255},
    {FaultKind::HangUp, "hangup", 0, 0},
    {FaultKind::Mute, "mute", 0, 0},
}};

bool Fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

// A whole non-negative decimal number no larger than max.
bool ParseCount(const QString &text, int max, int *out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < 0 || v > max)
        return false;
    *out = v;
    return true;
}

bool ParseTrigger(const QString &text, FaultRule &rule, QString *error)
{
    const int eq = text.indexOf(QLatin1Char('='));
    const QString key = text.left(eq);
    const QString value = eq < 0 ? QString() : text.mid(eq + 1);
    if (key == QLatin1String("every") || key == QLatin1String("at")) {
        if (!ParseCount(value, 1000000000, &rule.n) || rule.n < 1)
            return Fail(error, QStringLiteral("'%1' needs a whole number of 1 or more").arg(key));
        rule.when = key == QLatin1String("every") ? FaultRule::When::Every : FaultRule::When::At;
        return true;
    }
    if (key == QLatin1String("prob")) {
        bool ok = false;
        rule.probability = value.toDouble(&ok);
        if (!ok || !(rule.probability >= 0.0 && rule.probability <= 1.0))
            return Fail(error, QStringLiteral("'prob' needs a number from 0 to 1"));
        rule.when = FaultRule::When::Probability;
        return true;
    }
    return Fail(error, QStringLiteral("unknown trigger '%1' (every=N, at=K or prob=P)").arg(text));
}

} // namespace

std::optional<FaultRule> ParseFault(const QString &text, QString *error)
{
    FaultRule rule;
    QString body = text.trimmed();
    const int at = body.indexOf(QLatin1Char('@'));
    if (at >= 0) {
        if (!ParseTrigger(body.mid(at + 1), rule, error))
            return std::nullopt;
        body = body.left(at);
    }
    const int colon = body.indexOf(QLatin1Char(':'));
    const QString kind = body.left(colon);
    const QStringList params =
        colon < 0 ? QStringList() : body.mid(colon + 1).split(QLatin1Char(','));

    const KindName *known = nullptr;
    for (const auto &k : kKinds) {
        if (kind == QLatin1String(k.name)) {
            rule.kind = k.kind;
            known = &k;
        }
    }
    if (!known) {
        Fail(error, QStringLiteral("unknown fault '%1' (drop, badcrc, split, garbage, delay, wrongaddr, hangup, mute)")
                        .arg(kind));
        return std::nullopt;
    }

    const int maxParams = known->maxParams;
    const int maxValue = known->maxValue;
    if (params.size() > maxParams) {
        Fail(error, QStringLiteral("too many parameters for '%1'").arg(kind));
        return std::nullopt;
    }
    if (!params.isEmpty() && !ParseCount(params.at(0), maxValue, &rule.value)) {
        Fail(error, QStringLiteral("parameter of '%1' must be a whole number from 0 to %2")
                        .arg(kind)
                        .arg(maxValue));
        return std::nullopt;
    }
    if (params.size() == 2 && (!ParseCount(params.at(1), 256, &rule.chunk) || rule.chunk < 1)) {
        Fail(error, QStringLiteral("piece size of 'split' must be from 1 to 256"));
        return std::nullopt;
    }
    return rule;
}

QString FaultSyntaxHelp()
{
    return QStringLiteral(
        "Fault rules (--fault, may be repeated): KIND[:PARAMS][@TRIGGER]\n"
        "  drop                  no reply\n"
        "  badcrc                reply with a corrupted CRC\n"
        "  split[:GAP[,SIZE]]    reply in pieces of SIZE bytes (default two halves)\n"
        "                        with GAP ms between them (default 50)\n"
        "  garbage[:N]           N random bytes after the reply (default 3)\n"
        "  delay[:MS]            reply MS ms late (default 500)\n"
        "  wrongaddr[:ADDR]      reply from address ADDR (default request address + 1)\n"
        "  hangup                half the reply, then the connection is closed\n"
        "                        (--tcp, --mbtcp; on the pty the reply just stops)\n"
        "  mute                  no reply to this or any later request until the\n"
        "                        client connects again (a hung gateway)\n"
        "TRIGGER (default: every request):\n"
        "  @every=N              every Nth answered request\n"
        "  @at=K                 only answered request number K (counted from 1)\n"
        "  @prob=P               each answered request with probability P (0..1)\n"
        "Examples: --fault drop@every=5  --fault split:30,4@prob=0.2  --fault delay:800@at=2\n");
}

void FaultInjector::SetSeed(std::uint64_t seed)
{
    rng_.seed(seed);
    count_ = 0;
}

bool FaultInjector::Hits(const FaultRule &rule, double draw) const
{
    switch (rule.when) {
    case FaultRule::When::Always:
        return true;
    case FaultRule::When::Every:
        return count_ % rule.n == 0;
    case FaultRule::When::At:
        return count_ == rule.n;
    case FaultRule::When::Probability:
        return draw < rule.probability;
    }
    return false;
}

Transmission FaultInjector::Apply(const QByteArray &reply)
{
    ++count_;
    if (reply.isEmpty())
        return {};

    // Decide every rule first; each probability rule takes one draw per
    // request whether or not it hits, so a run is repeatable from its seed.
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    QList<const FaultRule *> hit;
    for (const FaultRule &rule : rules_) {
        const double draw = rule.when == FaultRule::When::Probability ? uniform(rng_) : 0.0;
        if (Hits(rule, draw))
            hit.append(&rule);
    }
    auto find = [&](FaultKind kind) -> const FaultRule * {
        for (const FaultRule *r : hit) {
            if (r->kind == kind)
                return r;
        }
        return nullptr;
    };

    QByteArray bytes = reply;
    if (const FaultRule *r = find(FaultKind::WrongAddress); r && bytes.size() >= 3) {
        const int address = r->value >= 0 ? r->value : (static_cast<std::uint8_t>(bytes.at(0)) + 1) & 0xFF;
        bytes.chop(2);
        bytes[0] = static_cast<char>(address);
        AppendCrc(bytes);
    }
    if (find(FaultKind::BadCrc) && bytes.size() >= 2)
        bytes[bytes.size() - 2] = static_cast<char>(bytes.at(bytes.size() - 2) ^ 0xFF);
    if (const FaultRule *r = find(FaultKind::Garbage)) {
        const int n = r->value >= 0 ? r->value : 3;
        std::uniform_int_distribution<int> byte(0, 255);
        for (int i = 0; i < n; ++i)
            bytes.append(static_cast<char>(byte(rng_)));
    }
    if (find(FaultKind::Mute))
        return {Chunk{0, {}, Chunk::End::Mute}};
    if (find(FaultKind::Drop))
        return {};
    if (find(FaultKind::HangUp))
        return {Chunk{0, bytes, Chunk::End::HangUp}};

    Transmission out;
    if (const FaultRule *r = find(FaultKind::Split); r && bytes.size() > 1) {
        const int gap = r->value >= 0 ? r->value : 50;
        const int size = r->chunk > 0 ? r->chunk : (static_cast<int>(bytes.size()) + 1) / 2;
        for (int pos = 0; pos < bytes.size(); pos += size)
            out.append(Chunk{pos == 0 ? 0 : gap, bytes.mid(pos, size), Chunk::End::Reply});
    } else {
        out.append(Chunk{0, bytes, Chunk::End::Reply});
    }
    if (const FaultRule *r = find(FaultKind::Delay))
        out.first().delayMs += r->value >= 0 ? r->value : 500;
    return out;
}

} // namespace sim
