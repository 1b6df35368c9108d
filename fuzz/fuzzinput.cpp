#include "fuzz/fuzzinput.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

namespace {
bool counting = false;
std::map<std::string, int> tally;
} // namespace

std::uint8_t Input::Byte()
{
    return pos_ < size_ ? data_[pos_++] : 0;
}

QByteArray Input::Chunk()
{
    const std::size_t length = Byte(); // before Remaining(): it counts the length byte otherwise
    const std::size_t n = std::min(length, Remaining());
    QByteArray bytes(reinterpret_cast<const char *>(data_ + pos_), static_cast<qsizetype>(n));
    pos_ += n;
    return bytes;
}

QString Input::Text()
{
    return QString::fromUtf8(Chunk());
}

QByteArray Input::Rest()
{
    QByteArray bytes(reinterpret_cast<const char *>(data_ + pos_), static_cast<qsizetype>(Remaining()));
    pos_ = size_;
    return bytes;
}

void Fail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "fuzz invariant broken: %s (%s:%d)\n", what, file, line);
    std::fflush(stderr);
    std::abort();
}

void Reached(const char *path)
{
    if (counting)
        ++tally[path];
}

void SetCounting(bool on)
{
    counting = on;
}

const std::map<std::string, int> &Tally()
{
    return tally;
}

void ClearTally()
{
    tally.clear();
}

void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "kzfuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

} // namespace fuzz
