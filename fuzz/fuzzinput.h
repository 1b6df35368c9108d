#pragma once
// What every fuzz target body shares: a reader that turns the fuzzer's bytes
// into the pieces a target needs (a byte, a length-prefixed chunk, a text),
// the check that stops the run when an invariant breaks, and a tally of the
// paths a run reached, which the replay test reads to see that the seeds
// reach every decoder. No widgets.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace fuzz {

class Input {
public:
    Input(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }
    std::size_t Remaining() const { return size_ - pos_; }
    // The next byte; 0 once the input is used up.
    std::uint8_t Byte();
    // A chunk: one length byte, then that many bytes (fewer at the end).
    QByteArray Chunk();
    // A chunk read as UTF-8 text (invalid sequences become U+FFFD).
    QString Text();
    // Everything that is left.
    QByteArray Rest();

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Writes the broken invariant with its place and aborts, so both libFuzzer
// and the replay test report the input that broke it.
[[noreturn]] void Fail(const char *what, const char *file, int line);

// Counts one arrival at a named path, while counting is on (the replay test
// turns it on; the fuzzers leave it off, so it costs one branch).
void Reached(const char *path);
void SetCounting(bool on);
const std::map<std::string, int> &Tally();
void ClearTally();

// The application object Qt's timers and events need, made once.
void EnsureApplication();

// A family's windows fed one reply after another: the first byte picks the
// window (of count), then each step is a state byte (left out of the input
// when the family's windows keep no such state: 0), the request and the
// reply it answers. Windows has Handle(window, state, exchange).
template <typename Windows, typename Exchange, bool kStateBytes = true>
int FeedWindows(const std::uint8_t *data, std::size_t size, int count)
{
    Input in(data, size);
    const int window = in.Byte() % count;
    Windows windows;
    while (!in.Empty()) {
        const std::uint8_t state = kStateBytes ? in.Byte() : 0;
        Exchange ex;
        ex.request = in.Chunk();
        ex.reply = in.Chunk();
        windows.Handle(window, state, ex);
    }
    return 0;
}

} // namespace fuzz

#define FUZZ_CHECK(cond)                                                                                               \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            ::fuzz::Fail(#cond, __FILE__, __LINE__);                                                                   \
    } while (false)
