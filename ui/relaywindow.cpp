#include "ui/relaywindow.h"

#include "ui/lamp.h"
#include "ui/messagebox.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

RelayWindow::RelayWindow(SerialLink &link, const RelayWindowConfig &config, QWidget *parent)
    : FamilyWindow(link, config.names, parent), config_(config)
{

    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QString::fromUtf8(config.addressCaption), &addressLabel, 0);
    QHBoxLayout *top = MakeHeading(config.names);
    top->addWidget(addressLabel);
    top->addWidget(address);

    auto *remote = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "遥控")), this);
    remote->setObjectName("GroupBox2");
    auto *remoteLayout = new QGridLayout(remote);
    auto *state = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "状态检测")), this);
    state->setObjectName("GroupBox1");
    auto *readButtons = new QHBoxLayout;
    int switches = 0;
    for (const relays::Command &c : config.commands) {
        auto *button = MakeButton(QLatin1String(c.button), QString::fromUtf8(c.caption), [this, &c] { send(c); });
        if (c.kind == relays::Command::SwitchCoil) {
            // Three per row: the closing buttons above the opening ones.
            remoteLayout->addWidget(button, switches / 3, switches % 3);
            ++switches;
        } else {
            readButtons->addWidget(button);
        }
    }

    // A row of three lamps between its two captions.
    auto lampRow = [&](QGridLayout *grid, int row, const QString &lead, const char *leadName,
                       const std::array<const char *, 3> &names, const QString &prefix, const QString &tail,
                       const char *tailName, std::array<Lamp *, 3> &lamps) {
        auto *leadLabel = new QLabel(lead, state);
        leadLabel->setObjectName(QLatin1String(leadName));
        grid->addWidget(leadLabel, row, 0);
        for (int i = 0; i < 3; ++i) {
            const QString caption = prefix + QString::number(i + 1);
            lamps[i] = new Lamp(QLatin1String(names[i]), caption, state);
            auto *label = new QLabel(caption, state);
            label->setBuddy(lamps[i]);
            auto *cell = new QHBoxLayout;
            cell->addWidget(lamps[i]);
            cell->addWidget(label);
            grid->addLayout(cell, row, i + 1);
        }
        auto *tailLabel = new QLabel(tail, state);
        tailLabel->setObjectName(QLatin1String(tailName));
        grid->addWidget(tailLabel, row, 4);
    };
    auto *lampsGrid = new QGridLayout;
    lampRow(lampsGrid, 0, QStringLiteral(QT_TRANSLATE_NOOP("kz", "开关量输入：--")), "Label2", config.inputLamps, QStringLiteral("DI"),
            QStringLiteral(QT_TRANSLATE_NOOP("kz", "遥控")), "Label8", inputs_);
    lampRow(lampsGrid, 1, QStringLiteral(QT_TRANSLATE_NOOP("kz", "继电器输出：--")), "Label4", config.outputLamps, QStringLiteral("OUT"),
            QStringLiteral(QT_TRANSLATE_NOOP("kz", "遥信")), "Label6", outputs_);
    auto *stateLayout = new QVBoxLayout(state);
    stateLayout->addLayout(lampsGrid);
    stateLayout->addLayout(readButtons);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(MakeButton(QLatin1String(config.names.returnButton), QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); }));

    MakeColumn({top, remote, state, bottom});

}

void RelayWindow::send(const relays::Command &command)
{
    Ask(relays::Request(command, static_cast<std::uint8_t>(Address())),
        [this, &command](const modbus::Exchange &exchange) { showOutcome(relays::Read(command, exchange)); });
}

void RelayWindow::showOutcome(const relays::Outcome &outcome)
{
    switch (outcome.kind) {
    case relays::Outcome::Inputs:
    case relays::Outcome::Outputs: {
        auto &lamps = outcome.kind == relays::Outcome::Inputs ? inputs_ : outputs_;
        for (int i = 0; i < 3; ++i)
            lamps[i]->SetOn((outcome.bits >> i) & 1);
        break;
    }
    case relays::Outcome::Echo:
        ui::ShowMessage(this, outcome.message);
        break;
    case relays::Outcome::Nothing:
        break;
    }
}
