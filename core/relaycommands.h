#pragma once
// Relay outputs and switch inputs of an instrument as a command table: the
// buttons that switch a coil (function 05) and the two that read the coils
// (01) and the discrete inputs (02). A family's relay window is its table;
// the frames and the reading of the replies are the same for every family.
// Qt Core only.
#include "link/modbusframes.h"

#include <QString>
#include <cstdint>
#include <span>

namespace relays {

struct Command {
    enum Kind { SwitchCoil, ReadOutputs, ReadInputs };
    const char *button;  // object name of its button
    const char *caption; // button text
    Kind kind;
    std::uint16_t coil = 0; // SwitchCoil: coil number
    bool on = false;        // SwitchCoil: true writes FF00, false 0000
    // SwitchCoil: shown when the instrument echoes this very write; nullptr
    // for a family whose window says nothing on an echo.
    const char *success = nullptr;
};

// The request of a command, CRC included.
QByteArray Request(const Command &command, std::uint8_t address);

// What a reply means for the window.
struct Outcome {
    enum Kind { Nothing, Inputs, Outputs, Echo } kind = Nothing;
    std::uint8_t bits = 0; // Inputs, Outputs: bit 0 is DI1 / OUT1
    QString message;       // Echo: the success text of the command echoed
};

// Reads the answer to the command's request: a one-byte 01 or 02 read for
// a read command, the echo of this very coil write for a switch (its
// success text; nothing for a command without one).
Outcome Read(const Command &command, const modbus::Exchange &exchange);

} // namespace relays
