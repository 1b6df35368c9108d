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

Outcome Read(const Command &command, const modbus::Exchange &exchange)
{
    Outcome outcome;
    switch (command.kind) {
    case Command::ReadOutputs:
    case Command::ReadInputs: {
        const std::uint8_t function = command.kind == Command::ReadOutputs ? 0x01 : 0x02;
        if (exchange.IsReadOf(function, 1)) {
            outcome.kind = command.kind == Command::ReadOutputs ? Outcome::Outputs : Outcome::Inputs;
            outcome.bits = static_cast<std::uint8_t>(exchange.Data().at(0)) & 0x07;
        }
        break;
    }
    case Command::SwitchCoil:
        if (exchange.Confirms() && command.success) {
            outcome.kind = Outcome::Echo;
            outcome.message = QString::fromUtf8(command.success);
        }
        break;
    }
    return outcome;
}

} // namespace relays
