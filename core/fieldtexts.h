#pragma once
// Texts of field table rows made at compile time: object names numbered
// from a stem ("LabeledEdit1", "LabeledEdit2", ...) and captions joined
// from a quantity and a suffix ("Ua" + "上限"). A table made from a list of
// quantities points into these texts, so a Texts must be a constexpr
// variable with static storage that outlives the table. A text longer than
// a slot does not compile.
#include <array>
#include <cstddef>

namespace fields {

template <std::size_t N, std::size_t Size = 40>
struct Texts {
    std::array<std::array<char, Size>, N> texts{};
    std::size_t used = 0;

    constexpr const char *operator[](std::size_t i) const { return texts[i].data(); }

    // Starts a new text made of the parts given; returns its index.
    constexpr std::size_t Add(const char *a, const char *b = "", const char *c = "")
    {
        std::array<char, Size> &slot = texts[used];
        std::size_t at = 0;
        for (const char *part : {a, b, c})
            for (; *part; ++part)
                slot[at++] = *part;
        slot[at] = '\0';
        return used++;
    }
    // Starts a new text: the stem and the decimal number.
    constexpr std::size_t AddNumbered(const char *stem, int number)
    {
        std::array<char, 12> digits{};
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + number % 10);
            number /= 10;
        } while (number > 0);
        std::array<char, 12> reversed{};
        for (int i = 0; i < n; ++i)
            reversed[i] = digits[n - 1 - i];
        return Add(stem, reversed.data());
    }
};

// Count object names: stem + first, stem + first + 1, ...
template <std::size_t N>
constexpr Texts<N, 24> Numbered(const char *stem, int first)
{
    Texts<N, 24> names;
    for (std::size_t i = 0; i < N; ++i)
        names.AddNumbered(stem, first + static_cast<int>(i));
    return names;
}

} // namespace fields
