#include "ui/eventlogwindow.h"

#include "ui/messagebox.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

EventLogWindow::EventLogWindow(SerialLink &link, const EventLogWindowConfig &config, QWidget *parent)
    : FamilyWindow(link, config.names, parent), config_(config)
{

    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "仪表地址：")), &addressLabel, 0);
    QHBoxLayout *top = MakeHeading(config.names);
    top->addWidget(addressLabel);
    top->addWidget(address);

    const int columns = static_cast<int>(config.headings.size());
    const int rows = std::max(config.rows, config.log.records);
    grid_ = new QTableWidget(rows, columns, this);
    grid_->setObjectName("StringGrid1");
    grid_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "事件记录")));
    QStringList headings;
    for (const char *h : config.headings)
        headings << QString::fromUtf8(h);
    grid_->setHorizontalHeaderLabels(headings);
    grid_->verticalHeader()->hide();
    // The select-all corner button serves no purpose without row headers;
    // it is the toolkit's own widget and named as such.
    grid_->setCornerButtonEnabled(false);
    if (auto *corner = grid_->findChild<QAbstractButton *>())
        corner->setObjectName("qt_table_corner_button");
    grid_->verticalHeader()->setDefaultSectionSize(20);
    for (int c = 0; c < columns && c < static_cast<int>(config.widths.size()); ++c)
        grid_->setColumnWidth(c, config.widths[c]);
    int width = 0;
    for (int w : config.widths)
        width += w;
    grid_->setMinimumSize(width + 30, (rows + 1) * 20 + 10);

    kinds_ = new QComboBox(this);
    kinds_->setObjectName("ComboBox1");
    for (const char *k : config.log.kinds)
        kinds_->addItem(QString::fromUtf8(k));
    kinds_->setCurrentIndex(config.firstKindOnShow ? 0 : -1);
    kinds_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "事件选择：")));
    auto *kindLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "事件选择：")), this);
    kindLabel->setBuddy(kinds_);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(kindLabel);
    bottom->addWidget(kinds_, 1);
    bottom->addWidget(MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "检  测")), [this] { readLog(); }));
    bottom->addWidget(MakeButton(QLatin1String(config.names.returnButton), QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); }));

    auto *main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(grid_, 1);
    main->addLayout(bottom);

}

void EventLogWindow::onShow()
{
    if (config_.firstKindOnShow)
        kinds_->setCurrentIndex(0);
}

void EventLogWindow::clearGrid()
{
    grid_->clearContents();
}

void EventLogWindow::readLog()
{
    const int kind = kinds_->currentIndex();
    if (kind < 0 || kind >= static_cast<int>(config_.log.kinds.size())) {
        ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "请选择事件名！！")));
        return;
    }
    // The answer is labelled with the kind asked for, whatever the list
    // shows meanwhile.
    const auto show = [this, kind, name = kinds_->currentText()](const QByteArray &data) {
        const QList<QStringList> rows = eventlog::Rows(config_.log, data, kind, name);
        for (int r = 0; r < rows.size() && r < grid_->rowCount(); ++r)
            for (int c = 0; c < rows[r].size() && c < grid_->columnCount(); ++c)
                grid_->setItem(r, c, new QTableWidgetItem(rows[r][c]));
    };
    const Block block{.first = eventlog::Register(config_.log, kind), .registers = 1, .bytes = config_.log.DataBytes()};
    // Only a request that went out empties the grid.
    if (Read(block, show))
        clearGrid();
}
