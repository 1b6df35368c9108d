#pragma once
// The relay window of a family: buttons that switch the instrument's relay
// outputs and two that read the outputs and the switch inputs into lamps.
// Everything family-specific (names, captions, the command table with its
// success messages) is in the configuration.
#include "ui/familywindow.h"
#include "core/relaycommands.h"

#include <array>
#include <span>

class Lamp;

struct RelayWindowConfig {
    WindowNames names;
    const char *addressCaption;
    // The switch buttons (shown in table order, closing row first) and the
    // two read buttons.
    std::span<const relays::Command> commands;
    std::array<const char *, 3> inputLamps = {"Shape55", "Shape56", "Shape57"};
    std::array<const char *, 3> outputLamps = {"Shape58", "Shape59", "Shape54"};
};

class RelayWindow : public FamilyWindow {
    Q_OBJECT
public:
    RelayWindow(SerialLink &link, const RelayWindowConfig &config, QWidget *parent = nullptr);

    // DI1..DI3 and OUT1..OUT3.
    Lamp *InputLamp(int i) const { return inputs_[i]; }
    Lamp *OutputLamp(int i) const { return outputs_[i]; }

private:
    void send(const relays::Command &command);
    void showOutcome(const relays::Outcome &outcome);

    RelayWindowConfig config_;
    std::array<Lamp *, 3> inputs_{};
    std::array<Lamp *, 3> outputs_{};
};
