#include "shell/portdialog.h"

#include "core/tr.h"

#include "ui/messagebox.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSerialPortInfo>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

// ------------------------------------------------------------ plain helpers

QString ComParityLetter(const QString &parityItem)
{
    // The item as listed, in Chinese or in the language shown.
    const auto is = [&parityItem](const char *item) {
        return parityItem == QString::fromUtf8(item) || parityItem == kz::Tr(item);
    };
    if (is(QT_TRANSLATE_NOOP("kz", "奇校验")))
        return QStringLiteral("o");
    if (is(QT_TRANSLATE_NOOP("kz", "偶校验")))
        return QStringLiteral("e");
    return QStringLiteral("n");
}

QString ComSettingsString(const QString &baud, const QString &parityItem, const QString &dataBits,
                          const QString &stopBits)
{
    return baud + QLatin1Char(',') + ComParityLetter(parityItem) + QLatin1Char(',') + dataBits +
           QLatin1Char(',') + stopBits;
}

std::optional<QString> PortNameFromTyped(const QString &text)
{
    QString t = text.trimmed();
#ifdef Q_OS_WIN
    // The device namespace form of a COM port, \\.\COM12, names COM12.
    static const QRegularExpression device(QStringLiteral(R"(^\\\\\.\\(COM[0-9]{1,3})$)"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (const auto d = device.match(t); d.hasMatch())
        t = d.captured(1);
#endif
    static const QRegularExpression com(QStringLiteral("^COM([0-9]{1,3})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const auto m = com.match(t);
    if (m.hasMatch()) {
        const int n = m.captured(1).toInt();
        if (n >= 1)
            return PlatformPortName(n);
        return std::nullopt;
    }
    // A device path, with something after the directory.
    if (t.startsWith(QLatin1String("/dev/")) && t.size() > 5 && !t.contains(QLatin1Char(' ')))
        return t;
    return std::nullopt;
}

PortChoice SystemPortChoice(const QString &portName, const QString &systemLocation, const QString &description)
{
#ifdef Q_OS_WIN
    // COM3, as Device Manager shows it, rather than \\.\COM3.
    Q_UNUSED(systemLocation);
    const QString name = portName;
#else
    // /dev/ttyUSB0: the device itself.
    Q_UNUSED(portName);
    const QString name = systemLocation;
#endif
    return {name, description.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, description)};
}

QList<PortChoice> SystemSerialPorts()
{
    QList<PortChoice> out;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        out.append(SystemPortChoice(info.portName(), info.systemLocation(), info.description()));
#ifdef Q_OS_LINUX
    // Stable names of USB adapters: they survive re-plugging in another socket.
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    const auto links = byId.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &fi : links)
        out.append({fi.absoluteFilePath(), fi.absoluteFilePath()});
#endif
    return out;
}

// ------------------------------------------------------------------- dialog

namespace {
QComboBox *makeList(QWidget *parent, const char *name, const QString &caption, const QStringList &items)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    box->setAccessibleName(caption);
    return box;
}

// The item whose text is exactly the text in the box, or -1.
int selectedItem(const QComboBox *box)
{
    const QString text = box->currentText().trimmed();
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i) == text)
            return i;
    return -1;
}
} // namespace

PortDialog::PortDialog(SerialPortControl &port, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      port_(port)
{
    setObjectName(QStringLiteral("COMdcu"));
    setWindowTitle(QString(49, QLatin1Char(' ')) + QStringLiteral(QT_TRANSLATE_NOOP("kz", "通讯端口设置")));
    setModal(false);

    auto *group = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "通讯端口设置")), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    // Wide enough for the caption, which is centred by its leading blanks.
    group->setMinimumWidth(360);
    auto *form = new QFormLayout(group);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(8);

    ports_ = makeList(group, "ComboBox1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "通讯口")), {});
    ports_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ports_->setMinimumContentsLength(16);
    ports_->setToolTip(QStringLiteral(QT_TRANSLATE_NOOP("kz", "从列表中选择串口，或输入设备路径（如 /dev/ttyUSB0）或 COMn")));
    baud_ = makeList(group, "ComboBox2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "波特率")),
                     {"1200", "2400", "4800", "9600", "14400", "19200"});
    stop_ = makeList(group, "ComboBox3", QStringLiteral(QT_TRANSLATE_NOOP("kz", "停止位")), {"1", "1.5", "2"});
    data_ = makeList(group, "ComboBox4", QStringLiteral(QT_TRANSLATE_NOOP("kz", "数据位")), {"5", "6", "7", "8"});
    parity_ = makeList(group, "ComboBox5", QStringLiteral(QT_TRANSLATE_NOOP("kz", "校验位")),
                       {QStringLiteral(QT_TRANSLATE_NOOP("kz", "无")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "奇校验")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "偶校验"))});

    // The kind of port: a serial port, or a gateway on the network.
    auto *kinds = new QWidget(group);
    auto *kindRow = new QHBoxLayout(kinds);
    kindRow->setContentsMargins(0, 0, 0, 0);
    serialKind_ = new QRadioButton(QStringLiteral(QT_TRANSLATE_NOOP("kz", "串口")), kinds);
    serialKind_->setObjectName(QStringLiteral("KindSerial"));
    networkKind_ = new QRadioButton(QStringLiteral(QT_TRANSLATE_NOOP("kz", "网络 (TCP)")), kinds);
    networkKind_->setObjectName(QStringLiteral("KindNetwork"));
    serialKind_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "连接方式 串口")));
    networkKind_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "连接方式 网络 (TCP)")));
    auto *kindGroup = new QButtonGroup(this);
    kindGroup->addButton(serialKind_);
    kindGroup->addButton(networkKind_);
    serialKind_->setChecked(true);
    kindRow->addWidget(serialKind_);
    kindRow->addWidget(networkKind_);
    kindRow->addStretch();
    auto *kindLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "连接方式：")), group);
    kindLabel->setObjectName(QStringLiteral("LabelKind"));
    kindLabel->setBuddy(serialKind_);
    form->addRow(kindLabel, kinds);
    connect(networkKind_, &QRadioButton::toggled, this, &PortDialog::showKind);

    netMode_ = new QComboBox(group);
    netMode_->setObjectName(QStringLiteral("NetMode"));
    netMode_->addItems({QStringLiteral("RTU over TCP"), QStringLiteral("Modbus TCP")});
    netMode_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "网络模式")));
    netMode_->setToolTip(QStringLiteral(QT_TRANSLATE_NOOP("kz", "RTU over TCP：网关原样转发 RTU 帧（透明传输）；Modbus TCP：网关按 MBAP 报文转换")));
    host_ = new QLineEdit(group);
    host_->setObjectName(QStringLiteral("NetHost"));
    host_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "主机")));
    host_->setPlaceholderText(QStringLiteral("192.168.1.100"));
    host_->setToolTip(QStringLiteral(QT_TRANSLATE_NOOP("kz", "网关的主机名、IPv4 或 IPv6 地址")));
    netPort_ = new QLineEdit(QStringLiteral("502"), group);
    netPort_->setObjectName(QStringLiteral("NetPort"));
    netPort_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "端口")));
    netPort_->setToolTip(QStringLiteral(QT_TRANSLATE_NOOP("kz", "网关的 TCP 端口（1～65535），Modbus TCP 通常为 502")));

    const std::pair<const char *, QWidget *> rows[] = {
        {QT_TRANSLATE_NOOP("kz", "通讯口："), ports_}, {QT_TRANSLATE_NOOP("kz", "波特率："), baud_},      {QT_TRANSLATE_NOOP("kz", "停止位："), stop_},   {QT_TRANSLATE_NOOP("kz", "数据位："), data_},
        {QT_TRANSLATE_NOOP("kz", "校验位："), parity_}, {QT_TRANSLATE_NOOP("kz", "网络模式："), netMode_}, {QT_TRANSLATE_NOOP("kz", "主机："), host_},     {QT_TRANSLATE_NOOP("kz", "端口："), netPort_}};
    int n = 1;
    for (const auto &[caption, box] : rows) {
        auto *label = new QLabel(QString::fromUtf8(caption), group);
        label->setObjectName(QStringLiteral("Label%1").arg(n++));
        label->setBuddy(box);
        form->addRow(label, box);
        const bool networkRow = box == netMode_ || box == host_ || box == netPort_;
        (networkRow ? networkRows_ : serialRows_).append(box);
    }
    form_ = form;

    ok_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral(QT_TRANSLATE_NOOP("kz", "确  定")), this);
    ok_->setObjectName(QStringLiteral("BitBtn1"));
    ok_->setDefault(true);
    back_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), this);
    back_->setObjectName(QStringLiteral("BitBtn2"));
    back_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &PortDialog::openPort);
    connect(back_, &QPushButton::clicked, this, &PortDialog::back);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addSpacing(24);
    buttons->addWidget(back_);
    buttons->addStretch();

    auto *top = new QVBoxLayout(this);
    top->addWidget(group);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(serialKind_, networkKind_);
    setTabOrder(networkKind_, ports_);
    setTabOrder(ports_, baud_);
    setTabOrder(baud_, stop_);
    setTabOrder(stop_, data_);
    setTabOrder(data_, parity_);
    setTabOrder(parity_, netMode_);
    setTabOrder(netMode_, host_);
    setTabOrder(host_, netPort_);
    setTabOrder(netPort_, ok_);
    setTabOrder(ok_, back_);

    fillPortList();
    showKind();
}

bool PortDialog::networkChosen() const
{
    return networkKind_->isChecked();
}

void PortDialog::showKind()
{
    const bool network = networkChosen();
    for (QWidget *w : std::as_const(serialRows_))
        form_->setRowVisible(w, !network);
    for (QWidget *w : std::as_const(networkRows_))
        form_->setRowVisible(w, network);
    if (isVisible())
        adjustSize();
}

void PortDialog::fillNetFields(const NetAddress &address)
{
    netMode_->setCurrentIndex(address.mode == NetMode::ModbusTcp ? 1 : 0);
    host_->setText(address.host);
    netPort_->setText(QString::number(address.port));
}

void PortDialog::AddPortName(const QString &name, const QString &label)
{
    if (name.isEmpty())
        return;
    const QString shown = label.isEmpty() ? name : label;
    bool replaced = false;
    for (PortChoice &c : extra_) {
        if (c.name == name) {
            c.label = shown;
            replaced = true;
        }
    }
    if (!replaced)
        extra_.append({name, shown});
    if (isVisible()) {
        // Keep what the user has chosen so far; only the list grows.
        const QString text = ports_->currentText();
        fillPortList();
        ports_->setEditText(text);
    }
}

void PortDialog::SetDefaultPort(const QString &name)
{
    if (IsNetPortName(name)) {
        // What the user opened through the dialog stays the network choice.
        if (!netOpened_)
            lastNet_ = ParseNetPort(name);
        return;
    }
    defaultPort_ = name;
}

void PortDialog::fillPortList()
{
    offered_.clear();
    auto offer = [this](const PortChoice &c) {
        for (const PortChoice &o : offered_)
            if (o.name == c.name)
                return;
        offered_.append(c);
    };
    for (int i = 1; i <= 4; ++i)
        offer({PlatformPortName(i), QStringLiteral("COM%1").arg(i)});
    if (SystemPorts) {
        const auto system = SystemPorts();
        for (const PortChoice &c : system)
            offer(c);
    }
    for (const PortChoice &c : extra_)
        offer(c);

    ports_->clear();
    for (const PortChoice &c : offered_)
        ports_->addItem(c.label, c.name);
    // Let the drop-down show long device paths in full.
    ports_->view()->setMinimumWidth(ports_->view()->sizeHintForColumn(0) + 24);
}

void PortDialog::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        onShow();
    QDialog::showEvent(event);
}

void PortDialog::onShow()
{
    fillPortList();
    int portIndex = defaultPort_.isEmpty() ? -1 : ports_->findData(defaultPort_);
    ports_->setCurrentIndex(portIndex >= 0 ? portIndex : 0);
    baud_->setCurrentIndex(baud_->findText(QStringLiteral("9600")));
    stop_->setCurrentIndex(stop_->findText(QStringLiteral("1")));
    data_->setCurrentIndex(data_->findText(QStringLiteral("8")));
    // The list is in Chinese until it is first shown in another language.
    const char *none = QT_TRANSLATE_NOOP("kz", "无");
    const int noParity = parity_->findText(kz::Tr(none));
    parity_->setCurrentIndex(noParity >= 0 ? noParity : parity_->findText(QString::fromUtf8(none)));
    // The network fields show the last network choice.
    if (lastNet_)
        fillNetFields(*lastNet_);
    // With no port open it is the kind opened last (after a gateway was
    // lost, reopening it is one press of 确  定).
    const bool network = port_.PortOpen() ? IsNetPortName(port_.CommPort())
                                          : lastOpenedNetwork_.value_or(lastNet_.has_value());
    (network ? networkKind_ : serialKind_)->setChecked(true);
    showKind();
    ok_->setFocus();
    centre();
}

void PortDialog::centre()
{
    adjustSize();
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

std::optional<QString> PortDialog::chosenPort(QString *why) const
{
    const int index = selectedItem(ports_);
    if (index >= 0)
        return ports_->itemData(index).toString();
    const QString text = ports_->currentText().trimmed();
    // A name typed in full that is offered under a longer label.
    const int byName = ports_->findData(text);
    if (byName >= 0)
        return ports_->itemData(byName).toString();
    if (auto typed = PortNameFromTyped(text))
        return typed;
    *why = text.isEmpty()
               ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "请选择通讯口！"))
               : kz::Tr(QT_TRANSLATE_NOOP("kz", "通讯口“%1”无效！请从列表中选择，或输入设备路径（如 /dev/ttyUSB0）或 COMn。"))
                     .arg(EscapeControls(text));
    return std::nullopt;
}

std::optional<QString> PortDialog::chosenNetPort(QString *why) const
{
    const QString host = host_->text().trimmed();
    if (const QString problem = HostProblem(host); !problem.isEmpty()) {
        *why = host.isEmpty() ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "请输入网关的主机名或 IP 地址！"))
                              : kz::Tr(QT_TRANSLATE_NOOP("kz", "%1！请输入主机名、IPv4 地址或 IPv6 地址。")).arg(EscapeControls(problem));
        return std::nullopt;
    }
    const QString text = netPort_->text().trimmed();
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    const int port = digits.match(text).hasMatch() ? text.toInt() : 0;
    if (port < 1 || port > 65535) {
        *why = text.isEmpty() ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "请输入端口号！"))
                              : kz::Tr(QT_TRANSLATE_NOOP("kz", "端口号“%1”无效！应为 1～65535 的整数。")).arg(EscapeControls(text));
        return std::nullopt;
    }
    const NetMode mode = netMode_->currentIndex() == 1 ? NetMode::ModbusTcp : NetMode::RtuOverTcp;
    return NetPortName({mode, host, static_cast<std::uint16_t>(port)});
}

void PortDialog::openPort()
{
    // Check every list before touching the port: a refused choice leaves the
    // port exactly as it was.
    QString why;
    const bool network = networkChosen();
    const std::optional<QString> portName = network ? chosenNetPort(&why) : chosenPort(&why);
    if (!portName) {
        ui::ShowMessage(this, why);
        return;
    }
    const std::pair<QComboBox *, const char *> lists[] = {
        {baud_, QT_TRANSLATE_NOOP("kz", "波特率")}, {stop_, QT_TRANSLATE_NOOP("kz", "停止位")}, {data_, QT_TRANSLATE_NOOP("kz", "数据位")}, {parity_, QT_TRANSLATE_NOOP("kz", "校验位")}};
    for (const auto &[box, caption] : lists) {
        if (network)
            break; // the gateway's serial side has settings of its own
        if (selectedItem(box) >= 0)
            continue;
        const QString text = box->currentText().trimmed();
        ui::ShowMessage(this, text.isEmpty()
                                  ? kz::Tr(QT_TRANSLATE_NOOP("kz", "请选择%1！")).arg(kz::Tr(caption))
                                  : kz::Tr(QT_TRANSLATE_NOOP("kz", "%1“%2”不是列表中的选项，请从列表中选择！"))
                                        .arg(kz::Tr(caption), EscapeControls(text)));
        return;
    }

    port_.InputLen = 0;
    port_.RThreshold = 1;
    // The port in use stays open until the chosen one is open, so a choice
    // that fails leaves the bus working; only the same device with other
    // settings has to be closed first.
    const QString previous = port_.PortOpen() ? port_.CommPort() : QString();
    const QString settings = network ? port_.Settings()
                                     : ComSettingsString(baud_->itemText(selectedItem(baud_)),
                                                         parity_->itemText(selectedItem(parity_)),
                                                         data_->itemText(selectedItem(data_)),
                                                         stop_->itemText(selectedItem(stop_)));
    QString error;
    if (!port_.OpenInstead(*portName, settings, &error)) {
        if (error.isEmpty())
            error = (network ? kz::Tr(QT_TRANSLATE_NOOP("kz", "无法连接 %1！")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "无法打开串口 %1！"))).arg(*portName);
        else if (!error.contains(*portName))
            error = kz::Tr(QT_TRANSLATE_NOOP("kz", "无法打开串口 %1：%2")).arg(*portName, error);
        // The port control's message is one line; a control character in
        // it comes from the port's name.
        error = EscapeControls(error);
        if (!previous.isEmpty()) {
            const bool kept = port_.PortOpen();
            error += (IsNetPortName(previous)
                          ? (kept ? kz::Tr(QT_TRANSLATE_NOOP("kz", "\n原连接 %1 仍保持打开。")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "\n原连接 %1 已关闭。")))
                          : (kept ? kz::Tr(QT_TRANSLATE_NOOP("kz", "\n原串口 %1 仍保持打开。")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "\n原串口 %1 已关闭。"))))
                         .arg(EscapeControls(previous));
        }
        ui::ShowMessage(this, error);
        return;
    }
    port_.SetInBufferCount(0);
    lastOpenedNetwork_ = network;
    if (network) {
        lastNet_ = ParseNetPort(*portName);
        netOpened_ = true;
    }
    ui::ShowMessage(this, network ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "网络连接成功！")) : QStringLiteral(QT_TRANSLATE_NOOP("kz", "串口初始化成功！")));
    close();
}

void PortDialog::back()
{
    close();
}
