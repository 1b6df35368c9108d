#pragma once
// The port settings dialog: the one place where the serial port is chosen,
// configured and opened. Its five lists go back to their defaults every time
// it is shown; "确  定" writes the choice into the serial port control and
// opens the port.
#include "link/serialport.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QComboBox;
class QPushButton;

// A port offered in the port list: the device name handed to the serial port
// control and the text shown for it.
struct PortChoice {
    QString name;
    QString label;
};

// Parity letter of the settings string for a parity list item: "o" for
// "奇校验", "e" for "偶校验", "n" for anything else.
QString ComParityLetter(const QString &parityItem);

// "baud,parity,data,stop", e.g. "9600,n,8,1".
QString ComSettingsString(const QString &baud, const QString &parityItem, const QString &dataBits,
                          const QString &stopBits);

// Port name for text typed into the port list: "COMn" (any case, n >= 1)
// gives the platform name of port n, a device path ("/dev/...") is taken as
// is. Anything else gives nothing.
std::optional<QString> PortNameFromTyped(const QString &text);

// The ports the system reports (USB adapters, on-board ports) and, on Linux,
// the stable /dev/serial/by-id links to them.
QList<PortChoice> SystemSerialPorts();

class PortDialog : public QDialog {
    Q_OBJECT
public:
    explicit PortDialog(SerialPortControl &port, QWidget *parent = nullptr);

    // Offers a further port after COM1..COM4 and the system's ports (a port
    // given on the command line, the demo instrument's pseudo-terminal). The
    // label is the text shown; empty shows the name. Takes effect at the
    // next show, or at once while the dialog is on screen.
    void AddPortName(const QString &name, const QString &label = {});
    // The port selected by default at every show instead of COM1. Ignored
    // while no offered port has that name.
    void SetDefaultPort(const QString &name);

    // Lists the system's ports at every show. Replaceable (tests use a fixed
    // list); an empty function offers none.
    std::function<QList<PortChoice>()> SystemPorts = SystemSerialPorts;

    // The ports offered at the last show, in list order.
    QList<PortChoice> OfferedPorts() const { return offered_; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void onShow();
    void openPort();
    void back();
    void fillPortList();
    void centre();
    // The device name chosen in the port list (a listed item or a typed
    // path), or nothing with a message for the user.
    std::optional<QString> chosenPort(QString *why) const;

    SerialPortControl &port_;
    QComboBox *ports_ = nullptr;
    QComboBox *baud_ = nullptr;
    QComboBox *stop_ = nullptr;
    QComboBox *data_ = nullptr;
    QComboBox *parity_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPushButton *back_ = nullptr;
    QList<PortChoice> extra_;
    QList<PortChoice> offered_;
    QString defaultPort_;
};
