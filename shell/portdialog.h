#pragma once
// The port settings dialog: the one place where the port is chosen,
// configured and opened: a serial port (串口) or a gateway on the network
// (网络, RTU over TCP or Modbus TCP). Its five serial lists go back to their
// defaults every time it is shown; the network fields show the last network
// port opened (or the default port given), and the dialog comes up on the
// kind of port in use, or with none open on the kind opened last. "确  定" writes the choice into the port control and
// opens the port.
#include "link/netaddress.h"
#include "link/serialport.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

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
// gives the platform name of port n (on Windows also typed as \\.\COMn), a
// device path ("/dev/...") is taken as is. Anything else gives nothing.
std::optional<QString> PortNameFromTyped(const QString &text);

// How a port the system reports is offered: on Windows by its COM name, on
// other systems by its device path; with the adapter's description, if any,
// in brackets after it ("COM3 (USB-SERIAL CH340)").
PortChoice SystemPortChoice(const QString &portName, const QString &systemLocation, const QString &description);

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
    // while no offered port has that name. A network port name (tcp://,
    // mbtcp://) fills the network fields instead, until a network port has
    // been opened through the dialog, and the dialog comes up on 网络.
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
    // The network port name the fields give, or nothing with a message.
    std::optional<QString> chosenNetPort(QString *why) const;
    bool networkChosen() const;
    // Shows the rows of the chosen kind of port only.
    void showKind();
    void fillNetFields(const NetAddress &address);

    SerialPortControl &port_;
    QComboBox *ports_ = nullptr;
    QComboBox *baud_ = nullptr;
    QComboBox *stop_ = nullptr;
    QComboBox *data_ = nullptr;
    QComboBox *parity_ = nullptr;
    QFormLayout *form_ = nullptr;
    QRadioButton *serialKind_ = nullptr;
    QRadioButton *networkKind_ = nullptr;
    QComboBox *netMode_ = nullptr;
    QLineEdit *host_ = nullptr;
    QLineEdit *netPort_ = nullptr;
    QList<QWidget *> serialRows_;
    QList<QWidget *> networkRows_;
    // The network port last opened through the dialog, or the default one.
    std::optional<NetAddress> lastNet_;
    bool netOpened_ = false;
    // The kind of the port opened last through the dialog, if any.
    std::optional<bool> lastOpenedNetwork_;
    QPushButton *ok_ = nullptr;
    QPushButton *back_ = nullptr;
    QList<PortChoice> extra_;
    QList<PortChoice> offered_;
    QString defaultPort_;
};
