#pragma once
// A contiguous range of 16-bit holding registers that an instrument keeps as
// settings: read with function 03, written with 06 and 10. Each register may
// carry a write check, a predicate on the value as the instrument would
// validate it; a write whose values fail any check is refused with exception
// 03 and stores nothing.
//
// Writing is split into Check and Store so that an instrument can take a
// request that spans several areas (or an area and registers of its own) and
// still refuse it as a whole before storing any part of it.
#include "sim/modbus.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <variant>
#include <vector>

namespace sim {

class HoldingArea {
public:
    using WriteCheck = std::function<bool(std::uint16_t value)>;

    // Registers first .. first + count - 1, all 0 and accepting any value.
    HoldingArea(std::uint16_t first, int count);

    std::uint16_t First() const { return first_; }
    int Last() const { return first_ + static_cast<int>(values_.size()) - 1; }
    bool Contains(int reg) const { return reg >= first_ && reg <= Last(); }

    // The factory value of a register and the check its writes must pass
    // (none: any value). Registers outside the area are ignored.
    void Define(std::uint16_t reg, std::uint16_t value, WriteCheck check = {});

    // Direct access without checks (for the instrument itself and for tests).
    std::uint16_t Value(int reg) const; // 0 outside the area
    bool Set(int reg, std::uint16_t value); // false outside the area

    // Function 03: appends count words from start, high byte first. Returns
    // false, appending nothing, when the range leaves the area.
    bool Read(int start, int count, QByteArray &out) const;

    // Why a write of these values from start would be refused: exception 02
    // when the range leaves the area, 03 when a value fails its check;
    // nothing when it would be accepted.
    std::optional<ExceptionCode> Check(int start, std::span<const std::uint16_t> values) const;
    // Stores values from start without checks (after Check has passed).
    void Store(int start, std::span<const std::uint16_t> values);
    // Check, then Store when the write is accepted.
    std::optional<ExceptionCode> Write(int start, std::span<const std::uint16_t> values);

private:
    std::uint16_t first_;
    std::vector<std::uint16_t> values_;
    std::vector<WriteCheck> checks_;
};

// The settings areas of an instrument, found by register.
class HoldingAreas {
public:
    HoldingAreas(std::initializer_list<HoldingArea *> areas) : areas_(areas) {}

    // The area holding reg, or null.
    HoldingArea *At(int reg);
    const HoldingArea *At(int reg) const;

    // Direct access without checks: false, or 0, outside every area.
    bool Set(int reg, std::uint16_t value);
    std::uint16_t Value(int reg) const;

    // Function 03 over registers start..end-1 that are all readable:
    // appends the words of a run inside an area from that area, and has
    // other(reg) append any other register.
    void Read(int start, int end, const std::function<void(int reg)> &other, QByteArray &out) const;

    // Function 06: a register inside an area is checked and stored by the
    // area; any other one is given to other(reg, value), which returns the
    // exception when it refuses it (02 for a register it does not serve).
    // The reply: the request echoed, or the exception.
    using OtherWrite = std::function<std::optional<ExceptionCode>(int reg, std::uint16_t value)>;
    QByteArray WriteSingle(const QByteArray &pdu, const OtherWrite &other);

private:
    std::vector<HoldingArea *> areas_;
};

// Words of a function-10 request that fall inside one holding area, checked
// and waiting to be stored.
struct AreaRun {
    HoldingArea *area = nullptr;
    int start = 0;
    std::vector<std::uint16_t> words;
};

// Walks a function-10 request (PDU) in register order without storing
// anything. width(reg) is the bytes a register takes in the request (2, 4
// for an energy base, 0 when it cannot be written); words inside an area
// that areaAt finds are cut into runs and checked by the area; any other
// register is given to other(reg, offset of its bytes), which returns the
// exception when it refuses the value. The result is the runs, or the
// exception: 03 for a wrong count or byte count, 02 for a register that
// cannot be written, or the area's or other's refusal.
using RegisterWidth = std::function<int(int reg)>;
using AreaLookup = std::function<HoldingArea *(int reg)>;
using OtherRegister = std::function<std::optional<ExceptionCode>(int reg, int offset)>;
std::variant<std::vector<AreaRun>, ExceptionCode> PlanMultipleWrite(const QByteArray &pdu, const RegisterWidth &width,
                                                                    const AreaLookup &areaAt,
                                                                    const OtherRegister &other);
void StoreRuns(const std::vector<AreaRun> &runs);

// An energy base as written with function 10: a 24-bit integer part and a
// byte of hundredths (0..99), as a count of hundredths; nothing when the
// hundredths are out of range. The caller checks the size.
std::optional<std::int64_t> EnergyBaseAt(const QByteArray &pdu, int offset);

} // namespace sim
