#include "core/eventlog.h"

namespace eventlog {

std::uint16_t Register(const Log &log, int kind)
{
    return static_cast<std::uint16_t>(log.firstRegister + kind);
}

QByteArray Request(const Log &log, std::uint8_t address, int kind)
{
    return modbus::ReadRegisters(address, Register(log, kind), 1);
}

QList<QStringList> Rows(const Log &log, const QByteArray &data, int kind, const QString &name)
{
    QList<QStringList> rows;
    if (data.size() != log.DataBytes() || !log.columns)
        return rows;
    for (int r = 0; r < log.records; ++r) {
        QStringList row{QString::number(r + 1), name};
        row += log.columns(data.mid(r * log.recordBytes, log.recordBytes), kind);
        rows.append(row);
    }
    return rows;
}

QString TimeText(const QByteArray &bcd)
{
    int v[6] = {};
    for (int i = 0; i < 6 && i < bcd.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(bcd.at(i));
        v[i] = (b >> 4) * 10 + (b & 0x0F);
    }
    return QStringLiteral("%1-%2-%3  %4: %5: %6")
        .arg(2000 + v[0])
        .arg(v[1])
        .arg(v[2])
        .arg(v[3])
        .arg(v[4])
        .arg(v[5]);
}

} // namespace eventlog
