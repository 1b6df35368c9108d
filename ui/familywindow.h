#pragma once
// Base of every family window: a top-level window that is created once and
// never destroyed (closing only hides it), with show/close hooks, requests
// sent through the link that each carry their own answer handler, and the
// instrument address spin box most windows carry.
#include "core/fields.h"
#include "link/seriallink.h"

#include <QWidget>

class QGridLayout;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QTimer;
#include <functional>
#include <initializer_list>
#include <optional>

class QHBoxLayout;
class QLayout;
class QVBoxLayout;
class QLabel;
class RecordButton;
class QPushButton;
class QSpinBox;

// The names of a window made from a shared window class (relay, event log,
// clock): its class name (object name), title, family, the heading of its
// family's instruments and its return button.
struct WindowNames {
    const char *className;
    const char *title;
    Family family;
    const char *model; // heading: model and instrument kind
    const char *kind;
    const char *returnButton;
};

// A run of holding registers read (03) or written (10) as one.
struct RegisterBlock {
    std::uint16_t first = 0; // register
    std::uint16_t registers = 0;
    // Data bytes of the block; 0: two per register (a few blocks take
    // more bytes per register).
    int bytes = 0;
    // A read answered with fewer data bytes, down to this many, is
    // taken as well (a meter that leaves out the tail of the block);
    // 0: only all of them.
    int fewest = 0;
    int Bytes() const { return bytes > 0 ? bytes : registers * 2; }
};
// What else a request may carry: its failure handler and its time-out
// (milliseconds to the reply's first byte; 0: the link's).
struct RequestOptions {
    std::function<void(modbus::Reply::Error)> failed{};
    int timeoutMs = 0;
};

class FamilyWindow : public QWidget {
    Q_OBJECT
public:
    // Time-outs in a row after which a polling window is marked 无应答.
    static constexpr int kSilentPolls = 3;
    // family: the family whose windows it belongs to (its requests are sent
    // as that family's, and it takes over the family's replies when it
    // sends); none for a window that serves every family. className becomes
    // the object name.
    FamilyWindow(SerialLink &link, std::optional<Family> family, const char *className, QWidget *parent = nullptr);
    // A window made from a shared window class, with its title set.
    FamilyWindow(SerialLink &link, const WindowNames &names, QWidget *parent = nullptr);

    SerialLink &Link() const { return link_; }
    std::optional<Family> WindowFamily() const { return family_; }

    // Makes this window the one that takes its family's replies, as opening
    // it from its menu does.
    void TakeReplies();
    // True while this window's family is the chosen one and this window
    // takes its replies. A polling window sends only then.
    bool HoldsReplies() const;

    // ---- Requests ----
    // Each request carries its own continuation, bound to the link's handle
    // of that request: the answer goes to the handler given with it, and
    // only while this window may still take it (not after it was closed,
    // nor once another window took the family's replies). A request
    // without a usable answer (none within the time-out, a bad frame, an
    // exception reply, an answer that is not the one asked for, the port
    // lost) goes to its failed handler instead, after the window's 无应答
    // count has noted it: that is the one path every failure takes. A
    // family window takes its family's replies first. A window of a family
    // other than the chosen one sends nothing and says why (its reply would
    // reach another family's window): the request returns nullptr then and
    // no handler runs.

    // Each returns the link's handle of the request (held by the link and
    // deleted after it finishes; keep a QPointer to hold on to it).
    using Block = RegisterBlock;
    using Failed = std::function<void(modbus::Reply::Error)>;
    using Asking = RequestOptions;
    // Reads the block from the instrument at Address(); onData gets the data
    // bytes of a 03 reply of the block's size.
    modbus::Reply *Read(const Block &block, std::function<void(const QByteArray &data)> onData, Asking asking = {});
    // Writes data as the block at Address(); onDone runs on the echo of that
    // very write (function 10, the block's start and count).
    modbus::Reply *Write(const Block &block, const QByteArray &data, std::function<void()> onDone,
                         Asking asking = {});
    // Sends a complete frame (the address is its first byte); onExchange
    // gets the request with the reply as it came, for frames whose answer
    // the caller reads itself (coils, calibration, probes).
    modbus::Reply *Ask(const QByteArray &frame, std::function<void(const modbus::Exchange &)> onExchange,
                       Asking asking = {});
    // The address of the request sent last.
    int LastAddress() const { return lastAddress_; }
    // True while a request's handler runs (it may wait on a message box): a
    // poll sends nothing then, so replies are handled one at a time.
    bool Handling() const { return handling_; }

    // What every return button ends with: runs onClose and hides the
    // window, also when it is not on screen (the main window closes the
    // windows of a family, hidden ones included, when another of the family
    // opens, and the toolkit sends no close event to a hidden window that
    // has been shown before).
    void CloseWindow();

    // Stops the window's timers as losing the port does (a polling window
    // puts its start control back); true when one of them was running.
    bool StopPolling();

    // The instrument address in the window's address spin box.
    int Address() const;
    // The data bytes of a download from the encoded controls; when a value
    // cannot be sent the user is told why and nothing is returned.
    std::optional<QByteArray> Downloadable(const fields::Encoded &encoded);

signals:
    // A reply to a request of this window was handled: by the request's
    // handler, or as its failure when it did not answer what was asked (for
    // tests and diagnostics).
    void ReplyHandled(const modbus::Exchange &exchange);

protected:
    // Runs every time the window is shown.
    virtual void onShow() {}
    // Runs on every close: the title bar, close() of a shown window, and
    // CloseWindow() (the return buttons) whether shown or not. By default
    // every timer of the window stops: a hidden window polls no more, as
    // its replies would reach no one.
    virtual void onClose();
    // Runs when the port is lost: the window stops polling, as its stop
    // button would, so nothing keeps asking a port that is gone. By default
    // every timer of the window stops. A window that overrides it puts its
    // start control back as its stop control does.
    virtual void PortLost();

    // Declares the window's poll: its timer and the widgets that show what
    // it reads. When the port is lost while the timer runs, the window stops
    // (PortLost) and marks those values as no longer live: grey text, the
    // state in their accessible description, and the status line
    // "已停止（串口断开）" returned here (hidden until then) for the window to
    // lay out. Polling does not resume by itself. The marking stays, also
    // through closing and reopening the window, until the window sends
    // again over an open port, as its start control does.
    QLabel *WatchPoll(QTimer *timer, const QList<QWidget *> &values);

    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // A window larger than area gets its controls in a scroll area and is
    // sized to fit area (true); one that fits is left alone (false).
    bool fitInto(const QRect &area);

    // The heading of the settings windows: the model and the instrument kind
    // in large bold letters, side by side.
    QHBoxLayout *MakeHeading(const QString &model, const QString &kind);
    QHBoxLayout *MakeHeading(const WindowNames &names);

    // One part of a window's column: a widget or a layout.
    struct Part {
        Part(QWidget *w) : widget(w) {}
        Part(QLayout *l) : layout(l) {}
        QWidget *widget = nullptr;
        QLayout *layout = nullptr;
    };
    // Lays the window out as a column of the given parts, top to bottom.
    QVBoxLayout *MakeColumn(std::initializer_list<Part> parts);
    // The window's timer (object name Timer1) with its interval, running
    // onTimeout on each tick; stopped until the window starts it.
    QTimer *MakeTimer(int intervalMs, std::function<void()> onTimeout);

    // A row of the given widgets, left to right; nullptr stands for the
    // stretch between those on the left and those on the right.
    QHBoxLayout *MakeRow(std::initializer_list<QWidget *> widgets);

    // Makes a push button with its object name and caption whose click runs
    // onClick.
    QPushButton *MakeButton(const QString &name, const QString &caption, std::function<void()> onClick);

    // Makes an instrument address spin box (0..255) with the given object
    // name, its caption label (buddy) and the caption as accessible name.
    // The label is returned through label when asked for; value is the
    // initial address. The first one made is the window's Address().
    QSpinBox *MakeAddressSpin(const QString &name, const QString &caption,
                              QLabel **label = nullptr, int value = 1);

    // A read-only box of a measured value (object name name), placed i-th in
    // grid (whose widget becomes its parent) at two boxes to a row, each
    // after its caption label (buddy); the caption is its accessible name.
    QLineEdit *AddValueBox(QGridLayout *grid, int i, const char *name, const char *caption, int minimumWidth);

    // The "电能底数设置" group of the initialisation windows: the active and
    // reactive energy base edits (LabeledEdit3, LabeledEdit4, starting at
    // initial) with their own upload (BitBtn4) and download (BitBtn5) buttons.
    struct EnergyBaseGroup {
        QGroupBox *box = nullptr;
        QLineEdit *active = nullptr;
        QLineEdit *reactive = nullptr;
    };
    EnergyBaseGroup MakeEnergyBaseGroup(std::function<void()> upload, std::function<void()> download,
                                        const QString &initial);

    // The bottom row of a measurement window: a panel with the poll's
    // progress bar (stretching) and the mark 无应答 (NoAnswerLabel, shown
    // after kSilentPolls time-outs in a row until an answer comes), the
    // record button, 启  动 (BitBtn1)
    // running onStart, 停  止 (BitBtn2) and 返  回 (backName), which stop the
    // poll's timer (Timer1, intervalMs, running onTick); 返回 also closes.
    struct PollBar {
        QHBoxLayout *row = nullptr;
        QProgressBar *progress = nullptr;
        RecordButton *record = nullptr;
        QTimer *timer = nullptr;
    };
    PollBar MakePollBar(int intervalMs, const char *backName, std::function<void()> onStart,
                        std::function<void()> onTick);
    // What a measurement poll asks the instrument at Address(): its set-up
    // block first (read afresh at every start, and asked again at each tick
    // until it is there), then the measurements.
    struct MeasurementPoll {
        Block setup;
        Block measurements;
        // The set-up block's data arrived (and is kept by the window).
        std::function<void(const QByteArray &data)> onSetup;
        // The measurements' data arrived from the instrument at address.
        std::function<void(const QByteArray &data, int address)> onMeasurements;
    };
    // The poll row of a measurement window whose 启  动 and timer ask as poll says.
    PollBar MakePollBar(int intervalMs, const char *backName, MeasurementPoll poll);

    // The progress bar of a measurement window's poll (ProgressBar1, 0..100,
    // no text), which PollTick moves; parent: where it is laid out.
    QProgressBar *MakePollProgress(QWidget *parent);

    // One tick of a measurement window's poll timer: moves the progress bar
    // (every tick, whether or not a request goes out) and stops the timer
    // when another window took the family's replies, as polling on would
    // feed it our frames. True when a request may go out now: not while the
    // last reply is still being handled.
    bool PollTick(QTimer *timer, QProgressBar *bar);

private:
    void closed();
    void portLost();
    void setStale(bool stale);
    // Sends frame as this window and binds its handle to onAnswer, which
    // gets the exchange of a usable reply and says whether it was the
    // answer asked for (false goes to failed as a bad frame).
    modbus::Reply *send(const QByteArray &frame, std::function<bool(const modbus::Exchange &)> onAnswer,
                        Asking asking);
    void finished(modbus::Reply *reply, const std::function<bool(const modbus::Exchange &)> &onAnswer,
                  const Failed &failed, int closes);
    // Counts time-outs in a row for the 无应答 mark; any answer clears it.
    void noteAnswer(modbus::Reply::Error error);
    QString requesterName() const;

    // A value widget of the poll, with what the stale marking replaces.
    struct PolledValue {
        QWidget *widget = nullptr;
        QString styleSheet;
        QString description;
    };

    SerialLink &link_;
    std::optional<Family> family_;
    int lastAddress_ = 0;
    bool handling_ = false;
    // Counts the closes: a request answers only while the count is the one
    // it was sent at, so a closed window takes no reply to what it asked.
    int closes_ = 0;
    QSpinBox *address_ = nullptr;
    bool placed_ = false;
    QTimer *pollTimer_ = nullptr;
    QList<PolledValue> polledValues_;
    QLabel *stoppedLabel_ = nullptr;
    QString stoppedText_; // the label's reason for the stop, in the source language
    bool stale_ = false;
    // The 无应答 mark of the poll row, and the time-outs in a row so far.
    QLabel *noAnswerLabel_ = nullptr;
    int silentReplies_ = 0;
};
