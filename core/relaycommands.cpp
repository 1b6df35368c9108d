#include "core/relaycommands.h"

namespace relays {

QByteArray Request(const Command &command, std::uint8_t address)
{
    switch (command.kind) {
    case Command::SwitchCoil:
        return modbus::WriteCoil(address, command.coil, command.on);
    case Command::ReadOutputs:
        return modbus::ReadCoils(address, 0, 3);
    case Command::ReadInputs:
        return modbus::ReadInputs(address, 0, 3);
    }
    return {};
}

Outcome Read(std::span<const Command> table, const modbus::Exchange &exchange)
{
    Outcome outcome;
    if (exchange.IsReadOf(0x01, 1) || exchange.IsReadOf(0x02, 1)) {
        outcome.kind = exchange.Function() == 0x01 ? Outcome::Outputs : Outcome::Inputs;
        outcome.bits = static_cast<std::uint8_t>(exchange.Data().at(0)) & 0x07;
        return outcome;
    }
    const QByteArray &r = exchange.reply;
    if (!exchange.IsEchoOf(0x05) || r.size() < 8)
        return outcome;
    const auto byte = [&](int i) { return static_cast<std::uint8_t>(r.at(i)); };
    const std::uint16_t coil = static_cast<std::uint16_t>(byte(2) << 8 | byte(3));
    const std::uint16_t value = static_cast<std::uint16_t>(byte(4) << 8 | byte(5));
    if (value != 0x0000 && value != 0xFF00)
        return outcome;
    for (const Command &c : table) {
        if (c.kind == Command::SwitchCoil && c.coil == coil && c.on == (value == 0xFF00) && c.success) {
            outcome.kind = Outcome::Echo;
            outcome.message = QString::fromUtf8(c.success);
            break;
        }
    }
    return outcome;
}

} // namespace relays
