#pragma once
// Event logs of an instrument: one log per event kind, read as one holding
// register (first register + kind, count 1) that the instrument answers with
// all its records at once. A family describes its log (kinds, record size,
// how a record reads); the request, the reply check and the rows of the
// grid are the same for every family. Qt Core only.
#include "link/modbusframes.h"

#include <QList>
#include <QStringList>
#include <cstdint>
#include <span>

namespace eventlog {

struct Log {
    std::span<const char *const> kinds; // list texts; the index is the kind
    int recordBytes = 8;
    int records = 20;
    // The grid columns of one record after its number and the kind's name.
    QStringList (*columns)(const QByteArray &record, int kind) = nullptr;
    std::uint16_t firstRegister = 0x2000;

    int DataBytes() const { return recordBytes * records; }
};

// The request for the log of a kind, CRC included.
QByteArray Request(const Log &log, std::uint8_t address, int kind);

// The register block of a kind's log: one register, answered with all the
// records.
std::uint16_t Register(const Log &log, int kind);
// The grid rows of the data bytes of a log's answer: number (1..records),
// the kind's name, then the record's columns. Only data of all the records
// gives rows; anything else gives none.
QList<QStringList> Rows(const Log &log, const QByteArray &data, int kind, const QString &name);

// Date and time of a record from six packed BCD bytes (year in the century,
// month, day, hour, minute, second), each as tens * 10 + units without
// leading zeros: "2009-5-12  8: 30: 5".
QString TimeText(const QByteArray &bcd);

} // namespace eventlog
