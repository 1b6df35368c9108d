#pragma once
// Checks the family window targets share: the windows of every family read
// whole settings blocks, event logs, the clock block and calibration
// replies the same way; only registers, sizes and path names differ.
#include "core/calibrationengine.h"
#include "core/eventlog.h"
#include "core/fields.h"
#include "core/relaycommands.h"
#include "link/modbusframes.h"

#include <QtGlobal>
#include <cstdint>
#include <span>

namespace fuzz {

// Whether an exchange is a whole upload of a block: a 03 read of bytes
// answering a request from first.
bool IsUpload(const modbus::Exchange &ex, std::uint16_t first, int bytes);

// A settings window's reply: the codec takes any data (a field it lacks
// stays as shown); a whole upload answering its own read of the block from
// first counts as path, and what it shows is downloaded again as
// CheckStable does (encoded: what an accepted download counts as).
void CheckSettings(const modbus::Exchange &ex, fields::Table table, std::uint16_t first, int bytes, const char *path,
                   const char *encoded = "fields.encoded");

// A relay window's reply to the command it sent: the one of commands whose
// request it is, or else the one the state byte picks. path counts an
// outcome that says anything; the outcome is returned for the family's own
// checks.
relays::Outcome CheckRelays(std::span<const relays::Command> commands, std::uint8_t state, const modbus::Exchange &ex,
                            const char *path);

// An event log window with kinds kinds, the state byte choosing the kind
// (or all of them): a reply gives a whole log of rows of cells cells, or no
// rows. path counts a reply that gave rows.
void CheckEvents(const eventlog::Log &log, int kinds, std::uint8_t state, const modbus::Exchange &ex,
                 qsizetype cells, const char *path);

// A clock window's upload of the block from first: the baud rate shown is
// one of the six, or none.
void CheckClock(std::uint16_t first, const modbus::Exchange &ex, const char *path);

// A calibration window's reply: a read gives a text to every read-out.
void CheckCalibration(calib::Engine &engine, const QByteArray &reply, const char *path);

} // namespace fuzz
