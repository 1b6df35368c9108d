#include "sim/holdingarea.h"

#include <algorithm>

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

HoldingArea *HoldingAreas::At(int reg)
{
    for (HoldingArea *area : areas_) {
        if (area->Contains(reg))
            return area;
    }
    return nullptr;
}

const HoldingArea *HoldingAreas::At(int reg) const
{
    for (const HoldingArea *area : areas_) {
        if (area->Contains(reg))
            return area;
    }
    return nullptr;
}

bool HoldingAreas::Set(int reg, std::uint16_t value)
{
    HoldingArea *area = At(reg);
    return area && area->Set(reg, value);
}

std::uint16_t HoldingAreas::Value(int reg) const
{
    const HoldingArea *area = At(reg);
    return area ? area->Value(reg) : 0;
}

void HoldingAreas::Read(int start, int end, const std::function<void(int reg)> &other, QByteArray &out) const
{
    for (int reg = start; reg < end;) {
        if (const HoldingArea *area = At(reg)) {
            const int run = std::min(end, area->Last() + 1) - reg;
            area->Read(reg, run, out);
            reg += run;
        } else {
            other(reg);
            ++reg;
        }
    }
}

QByteArray HoldingAreas::WriteSingle(const QByteArray &pdu, const OtherWrite &other)
{
    if (pdu.size() != 5)
        return ExceptionPdu(0x06, kIllegalDataValue);
    const std::uint16_t reg = WordAt(pdu, 1);
    const std::uint16_t value = WordAt(pdu, 3);
    HoldingArea *area = At(reg);
    const auto refusal = area ? area->Write(reg, std::span(&value, 1)) : other(reg, value);
    return refusal ? ExceptionPdu(0x06, *refusal) : pdu;
}

std::variant<std::vector<AreaRun>, ExceptionCode> PlanMultipleWrite(const QByteArray &pdu, const RegisterWidth &width,
                                                                    const AreaLookup &areaAt,
                                                                    const OtherRegister &other)
{
    if (pdu.size() < 6)
        return kIllegalDataValue;
    const int start = WordAt(pdu, 1);
    const int count = WordAt(pdu, 3);
    const int byteCount = static_cast<std::uint8_t>(pdu.at(5));
    if (count < 1 || count > 123 || pdu.size() != 6 + byteCount)
        return kIllegalDataValue;
    const int end = start + count;
    int expected = 0;
    for (int reg = start; reg < end; ++reg) {
        const int bytes = width(reg);
        if (bytes == 0)
            return kIllegalDataAddress;
        expected += bytes;
    }
    if (byteCount != expected)
        return kIllegalDataValue;

    std::vector<AreaRun> runs;
    int offset = 6;
    for (int reg = start; reg < end;) {
        if (HoldingArea *area = areaAt(reg)) {
            AreaRun run{area, reg, {}};
            for (; reg < end && area->Contains(reg); ++reg, offset += 2)
                run.words.push_back(WordAt(pdu, offset));
            if (const auto refusal = area->Check(run.start, run.words))
                return *refusal;
            runs.push_back(std::move(run));
        } else {
            if (const auto refusal = other(reg, offset))
                return *refusal;
            offset += width(reg);
            ++reg;
        }
    }
    return runs;
}

void StoreRuns(const std::vector<AreaRun> &runs)
{
    for (const AreaRun &run : runs)
        run.area->Store(run.start, run.words);
}

std::optional<std::int64_t> EnergyBaseAt(const QByteArray &pdu, int offset)
{
    const auto b = [&](int i) { return static_cast<std::uint8_t>(pdu.at(offset + i)); };
    const std::int64_t integer = b(0) << 16 | b(1) << 8 | b(2);
    if (b(3) > 99)
        return std::nullopt;
    return integer * 100 + b(3);
}

} // namespace sim
