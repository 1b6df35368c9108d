#pragma once
// The serial port control: the handful of operations the program needs from a
// serial port (open/close by name with a settings string, count of waiting
// bytes, discard input, read everything waiting, write bytes, and a receive
// notification on the UI thread). One implementation runs over QSerialPort,
// another is a scripted fake for tests.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

// Line settings parsed from a string such as "9600,n,8,1".
struct LineSettings {
    int baud = 9600;
    char parity = 'n';      // 'n', 'o' or 'e'
    int dataBits = 8;       // 5..8
    QString stopBits = "1"; // "1", "1.5" or "2"
};

// Parses "baud,parity,data,stop". Returns nothing and fills error (Chinese
// first) when the string is malformed or a field is out of range.
std::optional<LineSettings> ParseSettings(const QString &text, QString *error = nullptr);

// The text with its control characters written out, for a message that
// shows a name or text the user gave: a line feed as the two characters \n
// (a carriage return \r, a tab \t), any other control character as \xNN,
// and the line and paragraph separators as \u2028 and \u2029. A message box
// would otherwise break the line or show nothing there.
QString EscapeControls(const QString &text);

// Platform name of COM1..COM4: COMn on Windows, /dev/ttyS(n-1) elsewhere.
QString PlatformPortName(int commPort);

class SerialPortControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialPortControl() override = default;

    // Port by number 1..4 (COM1..COM4), or by any device name or path.
    void SetCommPort(int number) { SetPortName(PlatformPortName(number)); }
    virtual void SetPortName(const QString &name) { portName_ = name; }
    QString CommPort() const { return portName_; }

    // Stored as given; checked when the port opens.
    void SetSettings(const QString &settings) { settings_ = settings; }
    QString Settings() const { return settings_; }

    virtual bool PortOpen() const = 0;
    // Opens (true) or closes (false) the port. Opening configures the line
    // first. On failure returns false and fills error with a message that
    // names the port and the reason, Chinese first and the system's text after.
    virtual bool SetPortOpen(bool open, QString *error = nullptr) = 0;
    // Opens the port name with settings in place of the port in use. The
    // port in use stays open, and the name and settings stay as they were,
    // until the new one is open: a choice that fails leaves it working. The
    // same device cannot be open twice: with other settings it is closed
    // first, and a failure then leaves no port open. On failure returns
    // false and fills error as SetPortOpen does.
    virtual bool OpenInstead(const QString &name, const QString &settings, QString *error = nullptr) = 0;

    // Kept for callers that set them; reading always returns every waiting
    // byte in binary form and every arrival raises OnComm.
    int InputMode = 1;
    int RThreshold = 1;
    int InputLen = 0;

    // Count of bytes waiting; SetInBufferCount(0) discards them.
    virtual int InBufferCount() const = 0;
    virtual void SetInBufferCount(int count) = 0;
    // Queues bytes for sending. False (nothing sent) when the port is closed.
    virtual bool Output(const QByteArray &bytes) = 0;
    // Returns and removes every waiting byte, in arrival order.
    virtual QByteArray Input() = 0;

    // Where the bytes on the wire differ from the frames the link sees (a
    // Modbus TCP gateway: MBAP header, no CRC), the traffic record shows
    // both. The bytes Output(frame) would put on the wire next, or empty
    // when they are frame itself.
    virtual QByteArray WireFormOf(const QByteArray &frame) const
    {
        Q_UNUSED(frame);
        return {};
    }
    // The bytes that came over the wire for what the last Input() returned,
    // or empty when they are those bytes themselves.
    virtual QByteArray LastWireInput() const { return {}; }
    // False where the port puts the CRC on replies that came without one
    // (a Modbus TCP gateway): the CRC then proves nothing, and a reply
    // shorter than its byte count is refused rather than taken as a short
    // block.
    virtual bool RepliesCarryCrc() const { return true; }

signals:
    // Bytes have arrived. Delivered through the event loop.
    void OnComm();
    // The port was closed because the device failed or went away (adapter
    // unplugged, peer closed). Emitted once per loss, with a message to show.
    void PortLost(const QString &message);
    // The port was opened or closed.
    void OpenChanged(bool open);

protected:
    // Opens a fresh device (made as a child of this control) beside current,
    // the one in use, with open; only one that opened takes its place:
    // letGo closes the one in use without reporting a loss, its signals to
    // this control are cut and it is deleted on the next event-loop turn,
    // and attach connects the fresh one. False, with current untouched,
    // when the fresh device did not open.
    template <typename Device, typename Open, typename LetGo, typename Attach>
    bool OpenBeside(Device *&current, Open open, LetGo letGo, Attach attach)
    {
        auto *fresh = new Device(this);
        if (!open(fresh)) {
            delete fresh;
            return false;
        }
        letGo();
        disconnect(current, nullptr, this, nullptr);
        current->deleteLater();
        current = fresh;
        attach(current);
        return true;
    }

    QString portName_;
    QString settings_ = "9600,n,8,1";
};
