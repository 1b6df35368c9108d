#pragma once
// Seeded fault injection on the replies of the simulated bus.
//
// A rule is written KIND[:PARAMS][@TRIGGER]:
//   drop                   no reply at all
//   badcrc                 the reply's CRC low byte is inverted
//   split[:GAP[,SIZE]]     the reply leaves in pieces of SIZE bytes (default:
//                          two halves) with GAP ms between them (default 50)
//   garbage[:N]            N random bytes follow the reply (default 3)
//   delay[:MS]             the reply leaves MS ms late (default 500)
//   wrongaddr[:ADDR]       the reply carries address ADDR (default: the
//                          request's address + 1) with a matching CRC
//   hangup                 the first half of the reply leaves, then the line
//                          ends: a network client's connection is closed
//   mute                   no reply, and none to anything after it on the
//                          same connection (a gateway that accepted and hangs)
// TRIGGER chooses the requests it hits; without one it hits every request:
//   @every=N               every Nth request (N, 2N, 3N, ...)
//   @at=K                  only request number K
//   @prob=P                each request with probability P (0..1), drawn from
//                          the seeded generator
// Requests are numbered from 1 and only those the bus answers are counted
// (requests to absent addresses or with a bad CRC get no reply anyway).
// Several rules may hit one request; they combine in this order whatever
// order they were given in: wrongaddr, badcrc, garbage, then mute and drop,
// then hangup, split and delay.
#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>
#include <random>

namespace sim {

enum class FaultKind { Drop, BadCrc, Split, Garbage, Delay, WrongAddress, HangUp, Mute };

struct FaultRule {
    enum class When { Always, Every, At, Probability };

    FaultKind kind = FaultKind::Drop;
    int value = -1; // delay/gap ms, garbage bytes or address; -1 = default
    int chunk = 0;  // split: bytes per piece, 0 = two halves
    When when = When::Always;
    int n = 0;          // Every: period; At: request number
    double probability = 0;
};

// Parses one rule; on failure returns nothing and sets *error.
std::optional<FaultRule> ParseFault(const QString &text, QString *error = nullptr);
// The rule syntax, for --help.
QString FaultSyntaxHelp();

// One piece of a reply on the wire: wait delayMs (after the request for the
// first piece, after the previous piece for the others), then write bytes.
// The last piece may end the exchange otherwise than with the reply:
//   HangUp  only the first half of bytes (which hold the rest of the reply)
//           is written, then a network connection is closed;
//   Mute    nothing is written (bytes empty), now or ever again on this
//           connection.
struct Chunk {
    enum class End { Reply, HangUp, Mute };
    int delayMs = 0;
    QByteArray bytes;
    End end = End::Reply;
    bool operator==(const Chunk &) const = default;
};
using Transmission = QList<Chunk>;

class FaultInjector {
public:
    explicit FaultInjector(std::uint64_t seed = 1) { SetSeed(seed); }
    void SetSeed(std::uint64_t seed);
    void Add(const FaultRule &rule) { rules_.append(rule); }
    void Clear() { rules_.clear(); }
    const QList<FaultRule> &Rules() const { return rules_; }
    int RequestCount() const { return count_; }

    // Counts one answered request and turns its reply (a complete frame with
    // CRC) into what goes on the wire. An empty result means no reply.
    Transmission Apply(const QByteArray &reply);

private:
    bool Hits(const FaultRule &rule, double draw) const;

    QList<FaultRule> rules_;
    std::mt19937_64 rng_;
    int count_ = 0;
};

} // namespace sim
