#include "shell/trafficmonitor.h"

#include "ui/messagebox.h"
#include "link/seriallink.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

TrafficMonitor::TrafficMonitor(SerialLink &link, QWidget *parent) : QWidget(parent, Qt::Window), link_(link)
{
    setObjectName(QStringLiteral("TrafficMonitor"));
    setWindowTitle(QStringLiteral("通信监视"));
    resize(900, 480);

    auto *directionLabel = new QLabel(QStringLiteral("方向(&D)"), this);
    direction_ = new QComboBox(this);
    direction_->setObjectName(QStringLiteral("DirectionBox"));
    direction_->addItems({QStringLiteral("全部"), QStringLiteral("发送"), QStringLiteral("接收")});
    directionLabel->setBuddy(direction_);

    auto *addressLabel = new QLabel(QStringLiteral("地址(&A)"), this);
    address_ = new QSpinBox(this);
    address_->setObjectName(QStringLiteral("AddressBox"));
    address_->setRange(-1, 255);
    address_->setValue(-1);
    address_->setSpecialValueText(QStringLiteral("全部"));
    addressLabel->setBuddy(address_);

    pause_ = new QCheckBox(QStringLiteral("暂停(&P)"), this);
    pause_->setObjectName(QStringLiteral("PauseBox"));
    auto *clear = new QPushButton(QStringLiteral("清除(&C)"), this);
    clear->setObjectName(QStringLiteral("ClearButton"));
    auto *copyButton = new QPushButton(QStringLiteral("复制(&Y)"), this);
    copyButton->setObjectName(QStringLiteral("CopyButton"));
    copyButton->setToolTip(QStringLiteral("复制选中的行；没有选中时复制全部"));
    auto *saveButton = new QPushButton(QStringLiteral("保存(&S)…"), this);
    saveButton->setObjectName(QStringLiteral("SaveButton"));

    view_ = new QPlainTextEdit(this);
    view_->setObjectName(QStringLiteral("TrafficView"));
    view_->setAccessibleName(QStringLiteral("通信记录"));
    view_->setReadOnly(true);
    view_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view_->setLineWrapMode(QPlainTextEdit::NoWrap);
    view_->setMaximumBlockCount(static_cast<int>(link_.Log().Capacity()));
    view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view_->setTabStopDistance(view_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 8);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLabel"));

    auto *bar = new QHBoxLayout;
    bar->addWidget(directionLabel);
    bar->addWidget(direction_);
    bar->addSpacing(12);
    bar->addWidget(addressLabel);
    bar->addWidget(address_);
    bar->addSpacing(12);
    bar->addWidget(pause_);
    bar->addStretch();
    bar->addWidget(clear);
    bar->addWidget(copyButton);
    bar->addWidget(saveButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(view_);
    layout->addWidget(status_);

    connect(direction_, &QComboBox::currentIndexChanged, this, &TrafficMonitor::rebuild);
    connect(address_, &QSpinBox::valueChanged, this, &TrafficMonitor::rebuild);
    connect(pause_, &QCheckBox::toggled, this, [this](bool paused) {
        if (!paused)
            Refresh();
    });
    connect(clear, &QPushButton::clicked, this, &TrafficMonitor::clearView);
    connect(copyButton, &QPushButton::clicked, this, &TrafficMonitor::copy);
    connect(saveButton, &QPushButton::clicked, this, &TrafficMonitor::save);

    timer_.setInterval(RefreshMs);
    connect(&timer_, &QTimer::timeout, this, &TrafficMonitor::Refresh);
    more_.setSingleShot(true);
    more_.setInterval(0);
    connect(&more_, &QTimer::timeout, this, &TrafficMonitor::Refresh);
    setTabOrder(direction_, address_);
    setTabOrder(address_, pause_);
    setTabOrder(pause_, clear);
    setTabOrder(clear, copyButton);
    setTabOrder(copyButton, saveButton);
    setTabOrder(saveButton, view_);
}

bool TrafficMonitor::passes(const FrameRecord &record) const
{
    const int direction = direction_->currentIndex();
    if (direction == 1 && record.direction != FrameRecord::Direction::Sent)
        return false;
    if (direction == 2 && record.direction != FrameRecord::Direction::Received)
        return false;
    return address_->value() < 0 || record.Address() == address_->value();
}

void TrafficMonitor::Refresh()
{
    if (pause_->isChecked())
        return;
    const FrameLog &log = link_.Log();
    // Everything since the last refresh in one append: one layout pass,
    // whatever the number of lines.
    QStringList lines;
    const std::size_t first = log.IndexOf(std::max(next_, cleared_));
    const std::size_t end = std::min(log.Size(), first + LinesPerPass);
    for (std::size_t i = first; i < end; ++i)
        if (passes(log.At(i)))
            lines.append(FormatRecord(log.At(i)));
    next_ = log.Total() - log.Size() + end;
    if (end < log.Size())
        more_.start();
    if (!lines.isEmpty()) {
        view_->appendPlainText(lines.join(QLatin1Char('\n')));
        shown_ = std::min(shown_ + static_cast<int>(lines.size()), view_->maximumBlockCount());
    }
    status_->setText(QStringLiteral("显示 %1 帧；共记录 %2 帧（保留最近 %3 帧）")
                         .arg(shown_)
                         .arg(log.Total())
                         .arg(log.Capacity()));
}

void TrafficMonitor::rebuild()
{
    view_->clear();
    shown_ = 0;
    next_ = 0;
    const bool paused = pause_->isChecked();
    pause_->blockSignals(true);
    pause_->setChecked(false);
    Refresh();
    pause_->setChecked(paused);
    pause_->blockSignals(false);
}

void TrafficMonitor::clearView()
{
    cleared_ = link_.Log().Total();
    rebuild();
}

QString TrafficMonitor::Text() const
{
    return view_->toPlainText();
}

void TrafficMonitor::copy()
{
    const QString selected = view_->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    QGuiApplication::clipboard()->setText(selected.isEmpty() ? Text() : selected);
}

bool TrafficMonitor::SaveTo(const QString &path, QString *error) const
{
    QFile file(path);
    QByteArray text = Text().toUtf8();
    if (!text.isEmpty())
        text.append('\n');
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() || !file.flush()) {
        if (error)
            *error = QStringLiteral("无法保存到 %1：%2").arg(path, file.errorString());
        return false;
    }
    return true;
}

void TrafficMonitor::save()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("保存通信记录"), QStringLiteral("traffic.txt"),
                                                      QStringLiteral("文本文件 (*.txt);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!SaveTo(path, &error))
        ui::ShowMessage(this, error);
}

void TrafficMonitor::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Refresh();
    timer_.start();
}

void TrafficMonitor::hideEvent(QHideEvent *event)
{
    timer_.stop();
    more_.stop();
    QWidget::hideEvent(event);
}
