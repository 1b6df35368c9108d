#pragma once
// The three-phase instrument's relays, limit states and event logs as data:
// the relay command table, the lamps of the four state registers
// 0x002A-0x002D and the 29 event logs at 0x2000 + kind. Qt Core only.
#include "core/eventlog.h"
#include "link/modbusframes.h"
#include "core/relaycommands.h"

#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace threephase::monitor {

// ---- Relays and inputs (coils and discrete inputs 0..2) ----
// "合闸" writes the coil value 0000 and "拉闸" FF00, as the instruments
// expect; each echo is announced as the command it confirms.
extern const std::array<relays::Command, 8> kRelayCommands;

// ---- Limit and alarm states ----
constexpr std::uint16_t kStateFirst = 0x002A;
constexpr std::uint16_t kStateRegisters = 4;
constexpr int kStateLamps = 64;

// One lamp per state bit; bit counts from bit 0 of 0x002A (0..63, so bit
// 16 is bit 0 of 0x002B). The alarm lamps follow the alarm enable table of
// the alarm mask window: its check boxes in order, without the phase-loss
// master switch, are state bits 0..57; the switch inputs and relay outputs
// (58..63) come after them.
struct StateLamp {
    QString name;    // Shape1 .. Shape64
    QString caption; // "UA上限", "Ua断相", "继电器输出3", ...
    int bit;
};
const QList<StateLamp> &StateLamps();
// The lamp of a caption, or nullptr.
const StateLamp *FindStateLamp(const QString &caption);

QByteArray StateRequest(std::uint8_t address);
// The 64 state bits of the state block's data bytes; nothing unless all 8
// are there.
std::optional<std::uint64_t> StateBits(const QByteArray &data);

// ---- Event logs ----
constexpr int kEventKinds = 29;
extern const std::array<const char *, kEventKinds> kEventKindNames;
// 20 records of 8 packed BCD bytes: four value digits, then year in the
// century, month, day, hour, minute, second.
extern const eventlog::Log kEventLog;
// The value of a record: its four digits (a nibble above 9 shows as "E")
// with the kind's decimals: two for the currents, the current unbalance and
// phase A active power, three for the power factors, none otherwise.
QString EventValueText(std::uint8_t high, std::uint8_t low, int kind);

} // namespace threephase::monitor
