#include "sim/holdingarea.h"

namespace sim {

HoldingArea::HoldingArea(std::uint16_t first, int count)
    : first_(first), values_(static_cast<std::size_t>(count), 0), checks_(static_cast<std::size_t>(count))
{
}

void HoldingArea::Define(std::uint16_t reg, std::uint16_t value, WriteCheck check)
{
    if (!Contains(reg))
        return;
    values_[reg - first_] = value;
    checks_[reg - first_] = std::move(check);
}

std::uint16_t HoldingArea::Value(int reg) const
{
    return Contains(reg) ? values_[reg - first_] : 0;
}

bool HoldingArea::Set(int reg, std::uint16_t value)
{
    if (!Contains(reg))
        return false;
    values_[reg - first_] = value;
    return true;
}

bool HoldingArea::Read(int start, int count, QByteArray &out) const
{
    if (count < 1 || !Contains(start) || !Contains(start + count - 1))
        return false;
    for (int reg = start; reg < start + count; ++reg)
        AppendWord(out, values_[reg - first_]);
    return true;
}

std::optional<ExceptionCode> HoldingArea::Check(int start, std::span<const std::uint16_t> values) const
{
    const int count = static_cast<int>(values.size());
    if (count < 1 || !Contains(start) || !Contains(start + count - 1))
        return kIllegalDataAddress;
    for (int i = 0; i < count; ++i) {
        const auto &check = checks_[start - first_ + i];
        if (check && !check(values[i]))
            return kIllegalDataValue;
    }
    return std::nullopt;
}

void HoldingArea::Store(int start, std::span<const std::uint16_t> values)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        Set(start + static_cast<int>(i), values[i]);
}

std::optional<ExceptionCode> HoldingArea::Write(int start, std::span<const std::uint16_t> values)
{
    const auto refusal = Check(start, values);
    if (!refusal)
        Store(start, values);
    return refusal;
}

} // namespace sim
