#pragma once
// The single-phase instrument's relays, alarm state and event logs as data:
// the relay command table, the lamps of the alarm word 0x0013 and the state
// word 0x0014, and the 22 event logs at 0x2000 + kind with their 12-byte
// records. Qt Core only.
#include "core/eventlog.h"
#include "link/modbusframes.h"
#include "core/relaycommands.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace singlephase::monitor {

// ---- Relays and inputs (coils and discrete inputs 0..2) ----
// "合闸" writes the coil value 0000 and "拉闸" FF00, as the instrument
// expects; an echo is not announced.
extern const std::array<relays::Command, 8> kRelayCommands;

// ---- Alarm state ----
constexpr std::uint16_t kStateFirst = 0x0013;
constexpr std::uint16_t kStateRegisters = 2;
constexpr int kStateLamps = 19;

// One lamp per state bit: bits 0..15 are the alarm word 0x0013, bits
// 16..18 the relay outputs in bits 0..2 of the state word 0x0014.
struct StateLamp {
    int shape;           // Shape1 .. Shape19
    const char *caption; // the text beside the lamp
    int bit;
};
// In bit order.
extern const std::array<StateLamp, kStateLamps> kStateLampTable;

QByteArray StateRequest(std::uint8_t address);

struct State {
    std::uint32_t bits = 0; // bit n lights the lamp of bit n
    int mode = 0;           // bits 3-4 of 0x0014
};
// The state block's data bytes; nothing unless all 4 are there.
std::optional<State> ReadState(const QByteArray &data);
// "普通模式", "基波模式", "谐波模式" for modes 0..2; mode 3 has no text.
std::optional<QString> ModeText(int mode);

// ---- Event logs ----
constexpr int kEventKinds = 22;
extern const std::array<const char *, kEventKinds> kEventKindNames;
// Kinds 6..11 record the switch inputs and relay outputs; the others a
// measured value.
bool IsSwitchingKind(int kind);
// 20 records of 12 bytes: a signed 32-bit value, an unused byte, the type
// code, then year in the century, month, day, hour, minute, second in
// packed BCD.
extern const eventlog::Log kEventLog;
// A measured value is recorded in thousandths and shown with three
// decimals; a switching value as it is.
QString EventValueText(std::int32_t value, int kind);
// The type text of a record; empty for a measured type code above 5.
QString EventTypeText(std::uint8_t code, int kind);

} // namespace singlephase::monitor
