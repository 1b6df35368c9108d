#pragma once
// A reply of the simulated bus on its way out, as the pseudo-terminal and the
// TCP server both send it: the pieces the bus made of it (faults included),
// written one after another, each after its own delay, for the session it
// was meant for.
#include "sim/faults.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <functional>

namespace sim {

struct PendingReply {
    PendingReply(const QByteArray &request, const Transmission &pieces, const QElapsedTimer &arrived, int session)
        : request(request), pieces(pieces), arrived(arrived), session(session)
    {
    }

    // A transmission ending in a mute sends nothing: its pieces are dropped.
    // True when it did.
    bool Mute();
    // Writes the next piece with write as it goes on the wire (a hang-up
    // cuts it off half-way), notes it as written, the first one with its
    // time since the request arrived, and moves on to the piece after it.
    // True when the piece was a hang-up.
    bool WriteNext(const std::function<void(const QByteArray &bytes)> &write);
    bool Done() const { return next >= pieces.size(); }
    int NextDelayMs() const { return pieces.at(next).delayMs; }

    QByteArray request;
    Transmission pieces;
    int next = 0;
    QElapsedTimer arrived;
    int session = 0;
    qint64 firstMicros = -1; // from the request's arrival to the first write
    QByteArray written;
};

} // namespace sim
