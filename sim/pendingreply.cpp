#include "sim/pendingreply.h"

namespace sim {

bool PendingReply::Mute()
{
    if (pieces.isEmpty() || pieces.last().end != Chunk::End::Mute)
        return false;
    pieces.clear();
    return true;
}

bool PendingReply::WriteNext(const std::function<void(const QByteArray &bytes)> &write)
{
    const Chunk &now = pieces.at(next);
    const bool hangUp = now.end == Chunk::End::HangUp;
    const QByteArray bytes = hangUp ? now.bytes.left(now.bytes.size() / 2) : now.bytes;
    write(bytes);
    written.append(bytes);
    if (firstMicros < 0)
        firstMicros = arrived.nsecsElapsed() / 1000;
    ++next;
    return hangUp;
}

} // namespace sim
