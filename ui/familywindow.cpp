#include "ui/familywindow.h"

#include "link/netaddress.h"

#include "core/energybase.h"
#include "core/tr.h"
#include "ui/messagebox.h"
#include "ui/recordbutton.h"
#include "ui/replyrouter.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <algorithm>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// The status of a window whose polling the loss of the port stopped.
const char *const kStopped = QT_TRANSLATE_NOOP("kz", "已停止（串口断开）");

// A bold dark red mark beside the values (hidden until it applies), named by
// its text and reachable from the keyboard, as the read-outs are.
QLabel *MakeWarningLabel(QWidget *parent, const char *objectName, const QString &text, const QString &description)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(objectName));
    label->setAccessibleName(text);
    label->setAccessibleDescription(description);
    label->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    label->setFocusPolicy(Qt::StrongFocus);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
    label->setPalette(palette);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->hide();
    return label;
}
} // namespace

FamilyWindow::FamilyWindow(SerialLink &link, std::optional<Family> family, const char *className, QWidget *parent)
    : QWidget(parent, Qt::Window), link_(link), family_(family)
{
    setObjectName(QLatin1String(className));
    connect(link_.Port(), &SerialPortControl::PortLost, this, [this] { portLost(); });
    // Closing hides the window; it lives until the program ends.
    setAttribute(Qt::WA_DeleteOnClose, false);
}

FamilyWindow::FamilyWindow(SerialLink &link, const WindowNames &names, QWidget *parent)
    : FamilyWindow(link, names.family, names.className, parent)
{
    setWindowTitle(QString::fromUtf8(names.title));
}

void FamilyWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // First appearance: centre on the screen, so a large window never opens
    // half off it. Later shows keep wherever the user put it.
    if (!placed_ && !event->spontaneous()) {
        placed_ = true;
        if (QScreen *s = screen()) {
            const QRect area = s->availableGeometry();
            const QSize outer = frameGeometry().size().expandedTo(fitInto(area) ? size() : sizeHint());
            move(area.x() + std::max(0, (area.width() - outer.width()) / 2),
                 area.y() + std::max(0, (area.height() - outer.height()) / 2));
        }
    }
    // Only a real show, not the window system restoring a minimised window.
    if (!event->spontaneous())
        onShow();
}

bool FamilyWindow::fitInto(const QRect &area)
{
    // The window's frame (title bar and borders) is not known before it is
    // shown on some systems; leave room for a common one.
    constexpr int kFrame = 40;
    const QSize wanted = sizeHint();
    if (!layout() || (wanted.height() + kFrame <= area.height() && wanted.width() <= area.width()))
        return false;
    // Taller or wider than the screen: the controls move into a scroll area
    // so that every one of them can still be reached, down to the bottom
    // row of buttons. Object names, order and focus are unchanged.
    auto *content = new QWidget;
    content->setLayout(layout()); // takes the layout and its widgets over
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    scroll->show(); // the window is being shown: now, not on a later turn
    // The limits the old layout set on the window go with it.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    resize(std::min(wanted.width() + bar, area.width()), std::min(wanted.height() + bar, area.height() - kFrame));
    return true;
}

void FamilyWindow::closeEvent(QCloseEvent *event)
{
    closed();
    event->accept();
}

void FamilyWindow::CloseWindow()
{
    if (isVisible())
        close(); // closeEvent runs onClose
    else
        closed();
}

void FamilyWindow::closed()
{
    onClose();
    // A closed window takes no more replies; another window's hold on the
    // family is left alone.
    ++closes_;
    if (family_)
        ReplyRouter::Of(link_).Release(*family_, this);
}

void FamilyWindow::onClose()
{
    for (QTimer *timer : findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly))
        timer->stop();
}

void FamilyWindow::PortLost()
{
    FamilyWindow::onClose();
}

bool FamilyWindow::StopPolling()
{
    const QList<QTimer *> timers = findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
    const bool running = std::any_of(timers.begin(), timers.end(), [](QTimer *t) { return t->isActive(); });
    if (running)
        PortLost();
    return running;
}

void FamilyWindow::portLost()
{
    const bool polling = pollTimer_ && pollTimer_->isActive();
    PortLost();
    if (polling && stoppedLabel_) {
        // A gateway's connection, or the serial port.
        const bool network = IsNetPortName(link_.Port()->CommPort());
        const QString text = network ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "已停止（连接断开）")) : QString::fromUtf8(kStopped);
        stoppedLabel_->setText(text);
        stoppedLabel_->setAccessibleName(text);
        stoppedText_ = text;
    }
    if (polling)
        setStale(true);
}

QLabel *FamilyWindow::WatchPoll(QTimer *timer, const QList<QWidget *> &values)
{
    pollTimer_ = timer;
    for (QWidget *value : values)
        polledValues_.append({value, {}, {}});
    stoppedLabel_ = MakeWarningLabel(this, "StoppedLabel", QString::fromUtf8(kStopped),
                                     QStringLiteral(QT_TRANSLATE_NOOP("kz", "显示的数值是串口断开前最后读到的，不再更新")));
    return stoppedLabel_;
}

void FamilyWindow::setStale(bool stale)
{
    if (stale_ == stale)
        return;
    stale_ = stale;
    for (PolledValue &v : polledValues_) {
        if (stale) {
            v.styleSheet = v.widget->styleSheet();
            v.description = v.widget->accessibleDescription();
            // The widget's own style sheet wins over its parent's (the
            // read-out panels colour their labels).
            v.widget->setStyleSheet(QStringLiteral("color: #808080;"));
            // The greyed values say why, in the words of the label beside them.
            v.widget->setAccessibleDescription(stoppedText_.isEmpty() ? QString::fromUtf8(kStopped) : stoppedText_);
        } else {
            v.widget->setStyleSheet(v.styleSheet);
            v.widget->setAccessibleDescription(v.description);
        }
    }
    if (stoppedLabel_)
        stoppedLabel_->setVisible(stale);
}

QString FamilyWindow::requesterName() const
{
    const QString title = windowTitle().trimmed();
    return title.isEmpty() ? objectName() : title;
}

void FamilyWindow::TakeReplies()
{
    if (family_)
        ReplyRouter::Of(link_).TakeOver(*family_, this, requesterName());
}

bool FamilyWindow::HoldsReplies() const
{
    return family_ && ReplyRouter::Of(link_).Holds(*family_, this);
}

modbus::Reply *FamilyWindow::send(const QByteArray &frame, std::function<bool(const modbus::Exchange &)> onAnswer,
                                  Asking asking)
{
    const ReplyRouter &router = ReplyRouter::Of(link_);
    if (family_ && router.CurrentFamily() != *family_) {
        ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "本窗口不属于当前所选的仪表型号，请先用“仪表型号选择”选择对应型号！")));
        return nullptr;
    }
    // Asking the meter again over an open port: what follows is live.
    if (stale_ && link_.Port()->PortOpen())
        setStale(false);
    TakeReplies();
    lastAddress_ = frame.isEmpty() ? 0 : static_cast<std::uint8_t>(frame.front());
    RequestInfo info = router.RequestFor(family_, this, requesterName());
    info.timeoutMs = asking.timeoutMs;
    modbus::Reply *reply = link_.Send(frame, std::move(info));
    connect(reply, &modbus::Reply::finished, this,
            [this, reply, onAnswer = std::move(onAnswer), failed = std::move(asking.failed), closes = closes_] {
                finished(reply, onAnswer, failed, closes);
            });
    return reply;
}

modbus::Reply *FamilyWindow::Read(const Block &block, std::function<void(const QByteArray &data)> onData,
                                  Asking asking)
{
    const auto address = static_cast<std::uint8_t>(Address());
    const auto answer = [block, onData = std::move(onData)](const modbus::Exchange &exchange) {
        // Only the read of this very block, with all its data bytes (or,
        // for a block that allows it, fewer), answers it.
        if (exchange.Function() != 0x03 || exchange.RequestFunction() != 0x03)
            return false;
        const QByteArray data = exchange.Data();
        const bool sized = block.fewest > 0 ? exchange.ByteCount() <= block.Bytes() && data.size() >= block.fewest
                                            : exchange.IsReadOf(0x03, block.Bytes());
        if (!sized)
            return false;
        if (onData)
            onData(data);
        return true;
    };
    return send(modbus::ReadRegisters(address, block.first, block.registers), answer, std::move(asking));
}

modbus::Reply *FamilyWindow::Write(const Block &block, const QByteArray &data, std::function<void()> onDone,
                                   Asking asking)
{
    const auto address = static_cast<std::uint8_t>(Address());
    const auto answer = [onDone = std::move(onDone)](const modbus::Exchange &exchange) {
        if (!exchange.Confirms())
            return false;
        if (onDone)
            onDone();
        return true;
    };
    return send(modbus::WriteRegisters(address, block.first, block.registers, data), answer, std::move(asking));
}

modbus::Reply *FamilyWindow::Ask(const QByteArray &frame, std::function<void(const modbus::Exchange &)> onExchange,
                                 Asking asking)
{
    const auto answer = [onExchange = std::move(onExchange)](const modbus::Exchange &exchange) {
        if (onExchange)
            onExchange(exchange);
        return true;
    };
    return send(frame, answer, std::move(asking));
}

void FamilyWindow::finished(modbus::Reply *reply, const std::function<bool(const modbus::Exchange &)> &onAnswer,
                            const Failed &failed, int closes)
{
    // A window closed since it asked takes nothing.
    if (closes != closes_)
        return;
    using E = modbus::Reply::Error;
    if (!reply->Ok()) {
        noteAnswer(reply->Failure());
        if (failed)
            failed(reply->Failure());
        return;
    }
    noteAnswer(E::None);
    // The reply outlives this call only until the event loop deletes it.
    const modbus::Exchange exchange = reply->Result();
    bool answered = false;
    {
        handling_ = true;
        struct Done {
            bool &flag;
            ~Done() { flag = false; }
        } done{handling_};
        answered = onAnswer(exchange);
    }
    // An answer, but not to what was asked: a failure like a bad frame.
    if (!answered && failed)
        failed(E::BadFrame);
    emit ReplyHandled(exchange);
}

void FamilyWindow::noteAnswer(modbus::Reply::Error error)
{
    using E = modbus::Reply::Error;
    if (!noAnswerLabel_)
        return;
    // A meter or gateway that takes requests and never answers would leave
    // the values blank with nothing said: after a few time-outs in a row the
    // row says so, until anything at all comes back.
    if (error == E::NoAnswer) {
        if (++silentReplies_ >= kSilentPolls)
            noAnswerLabel_->show();
    } else if (error == E::None || error == E::Exception || error == E::BadFrame) {
        silentReplies_ = 0;
        noAnswerLabel_->hide();
    }
}

int FamilyWindow::Address() const
{
    return address_ ? address_->value() : 0;
}

std::optional<QByteArray> FamilyWindow::Downloadable(const fields::Encoded &encoded)
{
    if (!encoded.ok()) {
        ui::ShowMessage(this, encoded.error);
        return std::nullopt;
    }
    return encoded.data;
}

QHBoxLayout *FamilyWindow::MakeHeading(const WindowNames &names)
{
    return MakeHeading(QString::fromUtf8(names.model), QString::fromUtf8(names.kind));
}

QHBoxLayout *FamilyWindow::MakeHeading(const QString &model, const QString &kind)
{
    auto *row = new QHBoxLayout;
    for (const QString &text : {model, kind}) {
        auto *label = new QLabel(text, this);
        label->setObjectName(text == model ? QStringLiteral("TitleModel") : QStringLiteral("TitleKind"));
        QFont font = label->font();
        font.setPointSize(font.pointSize() + 6);
        font.setBold(true);
        label->setFont(font);
        row->addWidget(label);
    }
    row->addStretch();
    return row;
}

FamilyWindow::EnergyBaseGroup FamilyWindow::MakeEnergyBaseGroup(std::function<void()> upload,
                                                                 std::function<void()> download, const QString &initial)
{
    EnergyBaseGroup group;
    group.box = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "电能底数设置")), this);
    auto *layout = new QGridLayout(group.box);
    const auto edit = [&](const char *object, const energybase::Base &base, const QString &caption, int row) {
        auto *line = new QLineEdit(initial, group.box);
        line->setObjectName(QLatin1String(object));
        line->setAccessibleName(QString::fromUtf8(base.caption));
        line->setToolTip(QStringLiteral(QT_TRANSLATE_NOOP("kz", "只能保留两位小数")));
        auto *label = new QLabel(caption, group.box);
        label->setBuddy(line);
        layout->addWidget(label, row, 0);
        layout->addWidget(line, row, 1);
        return line;
    };
    group.active = edit("LabeledEdit3", energybase::kActiveBase, QStringLiteral(QT_TRANSLATE_NOOP("kz", "有功电能底数:")), 0);
    group.reactive = edit("LabeledEdit4", energybase::kReactiveBase, QStringLiteral(QT_TRANSLATE_NOOP("kz", "无功电能底数:")), 1);
    // Both blocks of these windows have buttons captioned alike: the
    // accessible names tell them apart.
    QPushButton *up = MakeButton(QStringLiteral("BitBtn4"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "上载数据")), std::move(upload));
    QPushButton *down = MakeButton(QStringLiteral("BitBtn5"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "下载数据")), std::move(download));
    up->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "上载数据（电能底数）")));
    down->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "下载数据（电能底数）")));
    layout->addWidget(up, 0, 2);
    layout->addWidget(down, 1, 2);
    return group;
}

FamilyWindow::PollBar FamilyWindow::MakePollBar(int intervalMs, const char *backName, std::function<void()> onStart,
                                                std::function<void()> onTick)
{
    PollBar bar;
    auto *panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setFrameShape(QFrame::StyledPanel);
    bar.progress = MakePollProgress(panel);
    auto *panelLayout = new QHBoxLayout(panel);
    panelLayout->addWidget(bar.progress);
    const QString silent = QStringLiteral(QT_TRANSLATE_NOOP("kz", "无应答"));
    noAnswerLabel_ = MakeWarningLabel(panel, "NoAnswerLabel", silent,
                                      kz::Tr(QT_TRANSLATE_NOOP("kz", "仪表连续 %1 次没有应答，显示的数值不是当前的")).arg(kSilentPolls));
    panelLayout->addWidget(noAnswerLabel_);
    // Recording: every measurement shown also goes to a CSV file.
    bar.record = new RecordButton(this);
    QTimer *timer = bar.timer = MakeTimer(intervalMs, std::move(onTick));
    bar.row = new QHBoxLayout;
    bar.row->addWidget(panel, 1);
    bar.row->addWidget(bar.record);
    bar.row->addWidget(MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "启  动")), std::move(onStart)));
    bar.row->addWidget(MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "停  止")), [timer] { timer->stop(); }));
    bar.row->addWidget(MakeButton(QLatin1String(backName), QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this, timer] {
        timer->stop();
        CloseWindow();
    }));
    return bar;
}

FamilyWindow::PollBar FamilyWindow::MakePollBar(int intervalMs, const char *backName, MeasurementPoll poll)
{
    auto bar = std::make_shared<PollBar>();
    // Whether the set-up block has come since the last start.
    auto haveSetup = std::make_shared<bool>(false);
    const auto ask = [this, poll, haveSetup] {
        if (*haveSetup) {
            const int address = Address();
            return Read(poll.measurements, [poll, address](const QByteArray &data) {
                if (poll.onMeasurements)
                    poll.onMeasurements(data, address);
            });
        }
        return Read(poll.setup, [poll, haveSetup](const QByteArray &data) {
            *haveSetup = true;
            if (poll.onSetup)
                poll.onSetup(data);
        });
    };
    const auto start = [poll, bar, haveSetup, ask] {
        *haveSetup = false;
        if (ask())
            bar->timer->start();
    };
    const auto tick = [this, bar, ask] {
        if (PollTick(bar->timer, bar->progress))
            ask();
    };
    *bar = MakePollBar(intervalMs, backName, start, tick);
    return *bar;
}

QProgressBar *FamilyWindow::MakePollProgress(QWidget *parent)
{
    auto *bar = new QProgressBar(parent);
    bar->setObjectName(QStringLiteral("ProgressBar1"));
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "通信进度")));
    return bar;
}

bool FamilyWindow::PollTick(QTimer *timer, QProgressBar *bar)
{
    bar->setValue(bar->value() < 100 ? bar->value() + 10 : 0);
    if (!HoldsReplies()) {
        timer->stop();
        return false;
    }
    return !handling_;
}

QHBoxLayout *FamilyWindow::MakeRow(std::initializer_list<QWidget *> widgets)
{
    auto *row = new QHBoxLayout;
    for (QWidget *w : widgets) {
        if (w)
            row->addWidget(w);
        else
            row->addStretch();
    }
    return row;
}

QVBoxLayout *FamilyWindow::MakeColumn(std::initializer_list<Part> parts)
{
    auto *column = new QVBoxLayout(this);
    for (const Part &part : parts) {
        if (part.widget)
            column->addWidget(part.widget);
        else if (part.layout)
            column->addLayout(part.layout);
    }
    return column;
}

QTimer *FamilyWindow::MakeTimer(int intervalMs, std::function<void()> onTimeout)
{
    auto *timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("Timer1"));
    timer->setInterval(intervalMs);
    connect(timer, &QTimer::timeout, this, std::move(onTimeout));
    return timer;
}

QPushButton *FamilyWindow::MakeButton(const QString &name, const QString &caption,
                                      std::function<void()> onClick)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, std::move(onClick));
    return button;
}

QLineEdit *FamilyWindow::AddValueBox(QGridLayout *grid, int i, const char *name, const char *caption, int minimumWidth)
{
    QWidget *parent = grid->parentWidget();
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setMinimumWidth(minimumWidth);
    const QString text = QString::fromUtf8(caption);
    edit->setAccessibleName(text);
    auto *label = new QLabel(text, parent);
    label->setBuddy(edit);
    grid->addWidget(label, i / 2, (i % 2) * 2);
    grid->addWidget(edit, i / 2, (i % 2) * 2 + 1);
    return edit;
}

QSpinBox *FamilyWindow::MakeAddressSpin(const QString &name, const QString &caption, QLabel **label,
                                        int value)
{
    auto *spin = new QSpinBox(this);
    spin->setObjectName(name);
    if (!address_)
        address_ = spin;
    spin->setRange(0, 255);
    spin->setValue(value);
    spin->setAccessibleName(caption);
    auto *text = new QLabel(caption, this);
    text->setBuddy(spin);
    if (label)
        *label = text;
    return spin;
}
