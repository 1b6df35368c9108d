#include "shell/trafficmonitor.h"

#include "core/tr.h"

#include "ui/messagebox.h"
#include "link/seriallink.h"
#include "core/framelogmodel.h"
#include "core/wholefile.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPaintEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QStaticText>
#include <QHash>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <iterator>

namespace {

// Lets a widget draw only part of itself for a while: its paint events are
// cut to the part allowed so far, and what they leave out stays as the
// window's background until it is allowed. Finish() lets it draw whole
// again and draws what was left out.
class PartialPaint : public QObject {
public:
    explicit PartialPaint(QWidget *widget) : QObject(widget), widget_(widget) { widget->installEventFilter(this); }

    // Allows the first half of the widget, its left or its top, and draws it.
    void Allow(Qt::Orientation half)
    {
        const QRect whole = widget_->rect();
        allowed_ = half == Qt::Horizontal ? QRect(0, 0, whole.width() / 2, whole.height()) : QRect(0, 0, whole.width(), whole.height() / 2);
        widget_->update(allowed_);
    }

    void Finish()
    {
        widget_->removeEventFilter(this);
        widget_->update(QRegion(widget_->rect()) - allowed_);
        deleteLater();
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || passing_)
            return false;
        const QRegion part = static_cast<QPaintEvent *>(event)->region() & allowed_;
        if (!part.isEmpty()) {
            passing_ = true;
            QPaintEvent cut(part);
            QCoreApplication::sendEvent(widget_, &cut);
            passing_ = false;
        }
        return true;
    }

private:
    QWidget *widget_;
    QRect allowed_;
    bool passing_ = false;
};

} // namespace

// Paints a cell of the log: the row's background by what its verdict says
// (dropped or not sent, an exception reply, a request without a reply), or
// the selection, then its one line of text clipped to the cell. Drawn
// directly rather than through the style's item layout, which costs several
// times as much per cell, and from text laid out once: most cells repeat
// what others show (direction, address, function, verdict, meaning), and
// when a new frame moves every row up, all but the new row's texts were laid
// out for the last drawing. Laying text out is most of what a cell costs,
// so opening the window on a full log or following new frames stalls the
// program less.
class LogCellPainter : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette::ColorGroup group = option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
        if (selected)
            painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
        else if (const QColor colour = Colour(index); colour.isValid())
            painter->fillRect(option.rect, colour);
        const QRect text = option.rect.adjusted(3, 0, -3, 0);
        const QString shown = Shown(index, text.width(), option.fontMetrics);
        // The painter already holds the view's font; pen and clip are set
        // only where they change, as each costs about as much as a short
        // text's drawing.
        if (painter->font() != option.font)
            painter->setFont(option.font);
        const QColor ink = option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
        if (painter->pen().color() != ink)
            painter->setPen(ink);
        const QStaticText &laidOut = LaidOut(shown, option.font);
        const QPointF at(text.left(), text.top() + (text.height() - laidOut.size().height()) / 2);
        if (laidOut.size().width() <= text.width() && laidOut.size().height() <= option.rect.height()) {
            painter->drawStaticText(at, laidOut);
            return;
        }
        painter->save();
        painter->setClipRect(option.rect);
        painter->drawStaticText(at, laidOut);
        painter->restore();
    }

    // Lays out the texts of the rows in sight, so that their first drawing
    // only draws.
    void Prepare(const QTableView &view) const
    {
        const QAbstractItemModel *model = view.model();
        const int height = view.viewport()->height();
        const int first = view.rowAt(0);
        const int last = view.rowAt(height - 1) < 0 ? model->rowCount() - 1 : view.rowAt(height - 1);
        for (int row = std::max(0, first); first >= 0 && row <= last; ++row)
            for (int column = 0; column < model->columnCount(); ++column)
                LaidOut(Shown(model->index(row, column), view.columnWidth(column) - 6, view.fontMetrics()), view.font());
    }

private:
    static QString Shown(const QModelIndex &index, int width, const QFontMetrics &metrics)
    {
        QString shown = index.data().toString();
        // The bytes are hex in a fixed-pitch font: cut by count, not by
        // measuring, and mark the cut.
        const int fits = width / std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
        if (index.column() == FrameLogModel::Bytes && shown.size() > fits)
            shown = shown.left(std::max(0, fits - 2)) + QChar(0x2026); // the mark may take two cells
        return shown;
    }

    // The text laid out for the font, kept for the next drawings. The
    // store is emptied when it grows past what a few screens of rows show,
    // so the time and byte texts of rows long gone do not pile up.
    const QStaticText &LaidOut(const QString &shown, const QFont &font) const
    {
        if (font != font_) {
            laidOut_.clear();
            font_ = font;
        }
        if (laidOut_.size() > 4096)
            laidOut_.clear();
        auto found = laidOut_.find(shown);
        if (found == laidOut_.end()) {
            QStaticText text(shown);
            text.setTextFormat(Qt::PlainText);
            text.prepare(QTransform(), font);
            found = laidOut_.insert(shown, text);
        }
        return *found;
    }

private:
    static QColor Colour(const QModelIndex &index)
    {
        switch (static_cast<FrameLogModel::Kind>(index.data(FrameLogModel::KindRole).toInt())) {
        case FrameLogModel::Kind::Dropped: return QColor(0xFF, 0xD0, 0xD0);
        case FrameLogModel::Kind::Exception: return QColor(0xFF, 0xE0, 0xA8);
        case FrameLogModel::Kind::Unanswered: return QColor(0xFF, 0xF6, 0xB0);
        case FrameLogModel::Kind::Normal: break;
        }
        return {};
    }

    mutable QFont font_;
    mutable QHash<QString, QStaticText> laidOut_;
};


TrafficMonitor::TrafficMonitor(SerialLink &link, QWidget *parent) : QWidget(parent, Qt::Window), link_(link)
{
    setObjectName(QStringLiteral("TrafficMonitor"));
    resize(900, 480);

    auto *directionLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "方向(&D)")), this);
    direction_ = new QComboBox(this);
    direction_->setObjectName(QStringLiteral("DirectionBox"));
    direction_->addItems({QStringLiteral(QT_TRANSLATE_NOOP("kz", "全部")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "发送")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "接收"))});
    directionLabel->setBuddy(direction_);

    auto *addressLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "地址(&A)")), this);
    address_ = new QSpinBox(this);
    address_->setObjectName(QStringLiteral("AddressBox"));
    address_->setRange(-1, 255);
    address_->setValue(-1);
    address_->setSpecialValueText(QStringLiteral(QT_TRANSLATE_NOOP("kz", "全部")));
    addressLabel->setBuddy(address_);

    pause_ = new QCheckBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "暂停(&P)")), this);
    pause_->setObjectName(QStringLiteral("PauseBox"));
    auto *clear = new QPushButton(QStringLiteral(QT_TRANSLATE_NOOP("kz", "清除(&C)")), this);
    clear->setObjectName(QStringLiteral("ClearButton"));
    auto *copyButton = new QPushButton(QStringLiteral(QT_TRANSLATE_NOOP("kz", "复制(&Y)")), this);
    copyButton->setObjectName(QStringLiteral("CopyButton"));
    copyButton->setToolTip(QStringLiteral(QT_TRANSLATE_NOOP("kz", "复制选中的行；没有选中时复制全部")));
    auto *saveButton = new QPushButton(QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存(&S)…")), this);
    saveButton->setObjectName(QStringLiteral("SaveButton"));

    auto *functionLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "功能(&F)")), this);
    function_ = new QComboBox(this);
    function_->setObjectName(QStringLiteral("FunctionBox"));
    function_->addItem(QStringLiteral(QT_TRANSLATE_NOOP("kz", "全部")), -1);
    for (int code : {0x01, 0x02, 0x03, 0x05, 0x06, 0x10, 0x99, 0xAA})
        function_->addItem(QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper(), code);
    functionLabel->setBuddy(function_);

    auto *kindLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "结论(&V)")), this);
    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("VerdictBox"));
    kind_->addItem(QStringLiteral(QT_TRANSLATE_NOOP("kz", "全部")), -1);
    kind_->addItem(QStringLiteral(QT_TRANSLATE_NOOP("kz", "丢弃")), static_cast<int>(FrameLogModel::Kind::Dropped));
    kind_->addItem(QStringLiteral(QT_TRANSLATE_NOOP("kz", "异常")), static_cast<int>(FrameLogModel::Kind::Exception));
    kind_->addItem(QStringLiteral(QT_TRANSLATE_NOOP("kz", "无应答")), static_cast<int>(FrameLogModel::Kind::Unanswered));
    kind_->addItem(QStringLiteral(QT_TRANSLATE_NOOP("kz", "正常")), static_cast<int>(FrameLogModel::Kind::Normal));
    kindLabel->setBuddy(kind_);

    model_ = new FrameLogModel(link_.Log(), this);
    filter_ = new FrameFilter(this);
    filter_->setSourceModel(model_);
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("TrafficView"));
    view_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "通信记录")));
    view_->setModel(filter_);
    cells_ = new LogCellPainter(view_);
    view_->setItemDelegate(cells_);
    view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setWordWrap(false);
    view_->setShowGrid(false);
    // Every row one line high, fixed: the view lays out only what it shows.
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
    const int digit = view_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int widths[] = {15, 5, 5, 5, 5, 34, 20};
    for (int c = 0; c < static_cast<int>(std::size(widths)); ++c)
        view_->setColumnWidth(c, widths[c] * digit);
    view_->horizontalHeader()->setStretchLastSection(true);
    // The select-all corner serves nothing without row headers; it is the
    // toolkit's own widget and named as such.
    view_->setCornerButtonEnabled(false);
    if (auto *corner = view_->findChild<QAbstractButton *>())
        corner->setObjectName(QStringLiteral("qt_table_corner_button"));

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLabel"));

    auto *bar = new QHBoxLayout;
    bar->addWidget(directionLabel);
    bar->addWidget(direction_);
    bar->addSpacing(12);
    bar->addWidget(addressLabel);
    bar->addWidget(address_);
    bar->addSpacing(12);
    bar->addWidget(functionLabel);
    bar->addWidget(function_);
    bar->addSpacing(12);
    bar->addWidget(kindLabel);
    bar->addWidget(kind_);
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

    const auto filter = [this] {
        filter_->SetCriteria({static_cast<FrameFilter::Direction>(direction_->currentIndex()), address_->value(),
                              function_->currentData().toInt(), kind_->currentData().toInt()});
        // A new filter shows its newest rows, and follows them.
        view_->scrollToBottom();
        updateStatus();
    };
    for (QComboBox *box : {direction_, function_, kind_})
        connect(box, &QComboBox::currentIndexChanged, this, filter);
    connect(address_, &QSpinBox::valueChanged, this, filter);
    connect(pause_, &QCheckBox::toggled, this, [this](bool paused) {
        if (!paused)
            Refresh();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        model_->ClearRows();
        updateStatus();
    });
    connect(copyButton, &QPushButton::clicked, this, &TrafficMonitor::copy);
    connect(saveButton, &QPushButton::clicked, this, &TrafficMonitor::save);

    timer_.setInterval(RefreshMs);
    connect(&timer_, &QTimer::timeout, this, &TrafficMonitor::Refresh);
    setTabOrder(direction_, address_);
    setTabOrder(address_, function_);
    setTabOrder(function_, kind_);
    setTabOrder(kind_, pause_);
    setTabOrder(pause_, clear);
    setTabOrder(clear, copyButton);
    setTabOrder(copyButton, saveButton);
    setTabOrder(saveButton, view_);
    // Styled and laid out now, while the program starts, so that opening the
    // window later costs no more than drawing it.
    ensurePolished();
    layout->activate();
}

void TrafficMonitor::Refresh()
{
    QScrollBar *bar = view_->verticalScrollBar();
    const bool atNewest = bar->value() >= bar->maximum();
    // Paused, the table only lets go of the rows the log no longer keeps.
    model_->Sync(!pause_->isChecked());
    if (atNewest)
        view_->scrollToBottom();
    updateStatus();
}

void TrafficMonitor::updateStatus()
{
    const FrameLog &log = link_.Log();
    status_->setText(kz::Tr(QT_TRANSLATE_NOOP("kz", "显示 %1 帧；共记录 %2 帧（保留最近 %3 帧）"))
                         .arg(filter_->rowCount())
                         .arg(log.Total())
                         .arg(log.Capacity()));
}

QStringList TrafficMonitor::lines(bool selectedOnly) const
{
    QList<int> rows;
    if (selectedOnly)
        for (const QModelIndex &index : view_->selectionModel()->selectedRows())
            rows.append(index.row());
    if (rows.isEmpty())
        for (int r = 0; r < filter_->rowCount(); ++r)
            rows.append(r);
    std::sort(rows.begin(), rows.end());
    QStringList out;
    for (int r : rows)
        if (const FrameRecord *record = model_->RecordAt(filter_->mapToSource(filter_->index(r, 0)).row()))
            out.append(FormatRecord(*record));
    return out;
}

QString TrafficMonitor::Text() const
{
    return lines(false).join(QLatin1Char('\n'));
}

void TrafficMonitor::copy()
{
    QGuiApplication::clipboard()->setText(lines(true).join(QLatin1Char('\n')));
}

bool TrafficMonitor::SaveTo(const QString &path, QString *error) const
{
    QByteArray text;
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
        const auto field = [](QString value) { return QLatin1Char('"') + value.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"'); };
        QStringList row;
        for (int c = 0; c < FrameLogModel::ColumnCount; ++c)
            row.append(field(model_->headerData(c, Qt::Horizontal).toString()));
        text += row.join(QLatin1Char(',')).toUtf8() + "\r\n";
        for (int r = 0; r < filter_->rowCount(); ++r) {
            row.clear();
            for (int c = 0; c < FrameLogModel::ColumnCount; ++c)
                row.append(field(filter_->index(r, c).data().toString()));
            text += row.join(QLatin1Char(',')).toUtf8() + "\r\n";
        }
    } else {
        text = Text().toUtf8();
        if (!text.isEmpty())
            text.append('\n');
    }
    return WriteWholeFile(path, text, error);
}

void TrafficMonitor::save()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存通信记录")), QStringLiteral("traffic.txt"),
                                                      QStringLiteral(QT_TRANSLATE_NOOP("kz", "文本文件 (*.txt);;CSV 文件 (*.csv);;所有文件 (*)")));
    if (path.isEmpty())
        return;
    QString error;
    if (!SaveTo(path, &error))
        ui::ShowMessage(this, error);
}

void TrafficMonitor::drawInStages(QList<std::function<void()>> stages)
{
    if (stages.isEmpty())
        return;
    QTimer::singleShot(StageMs, this, [this, stages]() mutable {
        stages.takeFirst()();
        drawInStages(stages);
    });
}

void TrafficMonitor::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    timer_.start();
    // The window is drawn over turns of the event loop: its frame, each
    // control, the table's frame and scroll bars, its header in two halves,
    // the texts of the rows in sight laid out, then the rows in two halves,
    // each once the loop has served what else was waiting. Opening on a full
    // log so never holds up the replies for long.
    QWidgetList controls = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    controls.removeOne(view_);
    controls.append(view_);
    // The new frames are taken in the first stage, after the window itself
    // has been put up.
    QList<std::function<void()>> stages{[this] { Refresh(); }};
    for (QWidget *w : std::as_const(controls)) {
        w->setUpdatesEnabled(false);
        stages.append([w] { w->setUpdatesEnabled(true); });
    }
    auto *header = new PartialPaint(view_->horizontalHeader()->viewport());
    auto *rows = new PartialPaint(view_->viewport());
    stages.append([header] { header->Allow(Qt::Horizontal); });
    stages.append([header] { header->Finish(); });
    stages.append([this] { cells_->Prepare(*view_); });
    stages.append([rows] { rows->Allow(Qt::Vertical); });
    stages.append([rows] { rows->Finish(); });
    drawInStages(stages);
}

void TrafficMonitor::hideEvent(QHideEvent *event)
{
    timer_.stop();
    QWidget::hideEvent(event);
}
