#pragma once
// Checks the family window targets share: the windows of every family read
// whole settings blocks, event logs, the clock block and calibration
// replies the same way; only registers, sizes and path names differ.
#include "core/calibrationengine.h"
#include "core/eventlog.h"
#include "link/modbusframes.h"

#include <QtGlobal>
#include <cstdint>

namespace fuzz {

// Whether an exchange is a whole upload of a block: a 03 read of bytes
// answering a request from first.
bool IsUpload(const modbus::Exchange &ex, std::uint16_t first, int bytes);

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
