#pragma once
// The interval of a state window's periodic check, typed in milliseconds.
// Qt Core only.
#include <QString>
#include <optional>

namespace polling {

constexpr int kMaxIntervalMs = 65535;

// A whole number 1..65535. An empty text is whenEmpty when given (a family
// may default it), otherwise an error like any other text; error gets the
// message for the user. A timer of 0 ms would fire without pause and flood
// the bus, so 0 is refused rather than taken.
std::optional<int> Interval(const QString &text, std::optional<int> whenEmpty, QString *error);

} // namespace polling
