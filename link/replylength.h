#pragma once
// How long a reply is, judged by its function code and byte count: the one
// rule both the windows' link and kzctl's synchronous link cut replies by.
#include "link/family.h"

#include <QByteArray>

namespace modbus {

// The lengths of an instrument family's calibration replies (function
// 0xAA): a reply whose byte 2 is 0x72 carries the calibration data, any
// other answers a write or a command. Zero: the family has none, and 0xAA
// is then an exception reply like any function with bit 7 set.
struct CalibrationLengths {
    int data = 0;
    int other = 0;
    constexpr bool Known() const { return data > 0; }
};

// The calibration reply lengths each family's meters use: the three-phase
// module and the single-phase meter send 82 bytes of data or answer in 13,
// the KZ827KVE 19 and 7. One row per family.
CalibrationLengths CalibrationLengthsOf(Family family);

// Bytes the reply needs, judged from what has arrived so far: the frame
// length once the header tells it, or the length needed to learn it (2
// before the function byte, 3 for a read reply before its byte count).
// Reads (01/02/03) take 5 + byte count, writes (05/06/10) and the address
// probe (99) 8, calibration replies their family's lengths, exception
// replies 5. A function no rule knows gives 0: it cannot be framed.
int ReplyLength(const QByteArray &received, CalibrationLengths calibration = {});

// True when the frame is a Modbus exception reply: function | 0x80 (not the
// probe 0x99, nor 0xAA where the family has calibration replies).
bool IsExceptionFunction(std::uint8_t function, CalibrationLengths calibration = {});

} // namespace modbus
