#include "core/pollinterval.h"

#include "core/tr.h"

#include "core/fields.h"

namespace polling {

std::optional<int> Interval(const QString &text, std::optional<int> whenEmpty, QString *error)
{
    if (text.trimmed().isEmpty() && whenEmpty)
        return whenEmpty;
    const std::optional<qint64> value = fields::ParseInteger(text, error);
    if (!value)
        return std::nullopt;
    if (*value < 1 || *value > kMaxIntervalMs) {
        if (error)
            *error = kz::Tr(QT_TRANSLATE_NOOP("kz", "间隔须为1～%1毫秒！")).arg(kMaxIntervalMs);
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

} // namespace polling
