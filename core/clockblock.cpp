#include "core/clockblock.h"

#include <QDate>
#include <QTime>

namespace clockblock {

const std::array<const char *, 6> kBaudRates = {"1200", "2400", "4800", "9600", "14400", "19200"};

namespace {
QByteArray word(int value)
{
    QByteArray out;
    out.append(static_cast<char>((value >> 8) & 0xFF));
    out.append(static_cast<char>(value & 0xFF));
    return out;
}
} // namespace

QByteArray UploadRequest(std::uint16_t base, std::uint8_t address)
{
    return modbus::ReadRegisters(address, base, kRegisters);
}

QByteArray BaudRequest(std::uint16_t base, std::uint8_t address, int baudIndex)
{
    return modbus::WriteRegisters(address, static_cast<std::uint16_t>(base + kBaudOffset), 1, word(baudIndex + 1));
}

QByteArray AddressRequest(std::uint16_t base, std::uint8_t address, std::uint8_t newAddress)
{
    return modbus::WriteRegisters(address, static_cast<std::uint16_t>(base + kAddressOffset), 1, word(newAddress));
}

QByteArray ClockRequest(std::uint16_t base, std::uint8_t address, const QDateTime &now)
{
    const QDate d = now.date();
    const QTime t = now.time();
    QByteArray data;
    for (int v : {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()})
        data += word(v);
    return modbus::WriteRegisters(address, base, 6, data);
}

QString ClockText(int year, int month, int day, int hour, int minute, int second)
{
    return QStringLiteral("%1-%2-%3  %4:%5:%6").arg(year).arg(month).arg(day).arg(hour).arg(minute).arg(second);
}

std::optional<Reading> Read(const QByteArray &d)
{
    if (d.size() != kBytes)
        return std::nullopt;
    const auto low = [&](int reg) { return static_cast<std::uint8_t>(d.at(reg * 2 + 1)); };
    const int year = static_cast<std::uint8_t>(d.at(0)) << 8 | low(0);
    Reading r;
    r.clock = ClockText(year, low(1), low(2), low(3), low(4), low(5));
    r.address = low(kAddressOffset);
    const int code = low(kBaudOffset);
    r.baudIndex = code == 0 ? 3 : code <= 6 ? code - 1 : -1;
    return r;
}

} // namespace clockblock
