#include "ui/calibrationwindow.h"

#include "core/tr.h"

#include "ui/displayvalue.h"
#include "ui/lamp.h"
#include "ui/messagebox.h"

#include <cmath>

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString Text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

CalibrationWindow::CalibrationWindow(SerialLink &link, const CalibrationWindowConfig &config, QWidget *parent)
    : CalibrationBenchWindow(link, config.names.family, config.names.className, parent),
      decoder_(config.makeDecoder()), engine_(*decoder_),
      protocol_(*decoder_)
{
    const calib::WindowNames &names = config.names;
    setWindowTitle(Text(names.title));

    // Read-outs: black panel, lime texts.
    QFrame *panel = MakeReadOutPanel(this);
    auto *grid = new QGridLayout(panel);
    int i = 0;
    for (const calib::ReadOut &r : decoder_->ReadOuts()) {
        auto *label = new QLabel(Text(r.label), panel);
        QLabel *value = MakeValueLabel(panel, r.name, Text(r.accessible), Text(r.initial));
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("-0000.0000W")));
        label->setBuddy(value);
        const int row = i / names.readOutColumns;
        const int column = 2 * (i % names.readOutColumns);
        grid->addWidget(label, row, column, Qt::AlignRight);
        grid->addWidget(value, row, column + 1);
        readOuts_.append(value);
        ++i;
    }

    QStringList points;
    for (const calib::Point &p : decoder_->Points())
        points.append(Text(p.text));
    MakeBench(Text(names.addressCaption), "GroupBox1", points, [this] { clearWord(); }, [this] { onPointChosen(); });
    points_->setMinimumWidth(points_->sizeHintForColumn(0) + 30);

    readButton_ = MakeButton("BitBtn5", cyclic_.Caption(), [this] { toggleReading(); });
    auto *buttons = MakeRow({readButton_, MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "计  算")), [this] { compute(); }),
                             MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "写  入")), [this] { write(); }),
                             MakeButton("SaveRecord", QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存记录")), [this] { saveRecord(); }),
                             MakeButton(QLatin1String(names.returnButton), QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); })});

    const char *const steps[] = {
        QT_TRANSLATE_NOOP("kz", "操作步骤：一、选中待校验的参数－－＞按下[清零]－－＞按下[写入]。二、按下[读启用]，待数据稳定后（标准表"),
        QT_TRANSLATE_NOOP("kz", "数据窗口中的数据和监视表数据的误差应在0.05%）－－＞按下[计算]－－＞按下[读停止]－－＞按下[写入]，该参"),
        QT_TRANSLATE_NOOP("kz", "数校验完成,重复以上过程直至所有参数全部校完。"),
    };
    auto *main = new QVBoxLayout(this);
    auto *left = new QVBoxLayout;
    left->addWidget(panel);
    left->addLayout(readRow_);
    left->addLayout(edits_);
    left->addStretch();
    auto *middle = new QHBoxLayout;
    middle->addLayout(left);
    middle->addWidget(listBox_);
    main->addLayout(middle);
    main->addLayout(buttons);
    if (config.defaultPlan)
        main->addWidget(MakeGuidedPanel(config.defaultPlan, protocol_, [this] { return cyclic_.Reading(); },
                                        [this](const QByteArray &) {
                                            // The run decodes its reply; the read-outs show its
                                            // readings once it has.
                                            QTimer::singleShot(0, this, [this] { showReadOuts(); });
                                        }));
    int n = 18;
    for (const char *line : steps) {
        auto *text = new QLabel(Text(line), this);
        text->setObjectName(QStringLiteral("StaticText%1").arg(n++));
        main->addWidget(text);
    }

    timer_ = MakeTimer(1500, [this] { onTick(); });
    // After a lost port the read-outs keep the last values, marked as stopped.
    readRow_->insertWidget(readRow_->count() - 1,
                          WatchPoll(timer_, QList<QWidget *>(readOuts_.begin(), readOuts_.end())));

}

void CalibrationWindow::PortLost()
{
    // Stops continuous reading as "读停止" does.
    timer_->stop();
    if (!cyclic_.Reading())
        return;
    cyclic_.Stop();
    setReadCaption(false);
}

void CalibrationWindow::setReadCaption(bool reading)
{
    QPalette palette = readButton_->palette();
    palette.setColor(QPalette::ButtonText, reading ? QColor(Qt::red) : palette.color(QPalette::Link));
    readButton_->setPalette(palette);
    readButton_->setText(cyclic_.Caption());
}

void CalibrationWindow::toggleReading()
{
    if (GuidedBusy())
        return;
    if (cyclic_.Reading()) {
        cyclic_.Stop();
        timer_->stop();
        setReadCaption(false);
        return;
    }
    // A read the link refuses (another family chosen) starts nothing.
    if (!read() || !cyclicBox_->isChecked()) {
        timer_->stop();
        return;
    }
    timer_->start();
    cyclic_.Start();
    setReadCaption(true);
}

void CalibrationWindow::onTick()
{
    if (!HoldsReplies()) {
        timer_->stop();
        return;
    }
    if (ReadTick())
        read();
}

bool CalibrationWindow::read()
{
    const auto address = static_cast<std::uint8_t>(address_->value());
    return Ask(calib::ReadRequest(address), [this](const modbus::Exchange &exchange) { take(exchange.reply); });
}

void CalibrationWindow::onPointChosen()
{
    const int point = points_->currentRow();
    if (point < 0)
        return;
    reference_->setText(Text(decoder_->Points()[static_cast<std::size_t>(point)].reference));
}

void CalibrationWindow::clearWord()
{
    word_->setText(QStringLiteral("000000"));
}

void CalibrationWindow::compute()
{
    const int point = points_->currentRow();
    const calib::Computed computed = engine_.Compute(point, reference_->text());
    if (computed.ok()) {
        word_->setText(computed.word);
        addRow(point + 1, QStringLiteral(QT_TRANSLATE_NOOP("kz", "计算")), reference_->text(), computed.reading, computed.word, QString());
        return;
    }
    if (computed.message.isEmpty())
        return;
    if (point >= 0)
        addRow(point + 1, QStringLiteral(QT_TRANSLATE_NOOP("kz", "计算")), reference_->text(), computed.reading, QString(), computed.message);
    ui::ShowMessage(this, computed.message);
}

void CalibrationWindow::write()
{
    if (GuidedBusy())
        return;
    if (cyclic_.Reading()) {
        ui::ShowMessage(this, Text(calib::msg::kBusy));
        return;
    }
    const int address = address_->value();
    const int point = points_->currentRow();
    if (point < 0) {
        ui::ShowMessage(this, Text(calib::msg::kNoPoint));
        return;
    }
    if (word_->text().isEmpty()) {
        ui::ShowMessage(this, Text(calib::msg::kNoWord));
        return;
    }
    const std::optional<std::uint32_t> word = calib::CorrectionWord(word_->text());
    if (!word) {
        ui::ShowMessage(this, Text(calib::msg::kNotHex));
        return;
    }
    const auto n = static_cast<std::uint8_t>(point + 1);
    const auto written = [this, n, word = *word](const modbus::Exchange &exchange) { take(exchange.reply, Written{n, word}); };
    if (Ask(calib::WriteRequest(static_cast<std::uint8_t>(address), n, *word), written))
        addRow(n, QStringLiteral(QT_TRANSLATE_NOOP("kz", "写入")), reference_->text(), std::nullopt, calib::WordText(*word), QString());
}

void CalibrationWindow::showReadOuts()
{
    const QStringList texts = decoder_->Texts();
    for (int i = 0; i < readOuts_.size() && i < texts.size(); ++i)
        ShowValue(readOuts_[i], texts[i]);
}

void CalibrationWindow::take(const QByteArray &reply, std::optional<Written> written)
{
    switch (engine_.Take(reply)) {
    case calib::Engine::Reply::Read:
        showReadOuts();
        break;
    case calib::Engine::Reply::Acknowledged:
        // The write it answers says which point and word were stored.
        if (written)
            addRow(written->point, QStringLiteral(QT_TRANSLATE_NOOP("kz", "写入确认")), QString(), std::nullopt,
                   calib::WordText(written->word), QString());
        ui::ShowMessage(this, Text(calib::msg::kWritten));
        break;
    case calib::Engine::Reply::Ignored:
        break;
    }
}

void CalibrationWindow::addRow(int point, const QString &action, const QString &reference,
                               std::optional<double> reading, const QString &word, const QString &result)
{
    QString pointText;
    const auto points = decoder_->Points();
    if (point >= 1 && point <= static_cast<int>(points.size()))
        pointText = Text(points[static_cast<std::size_t>(point - 1)].text);
    AddRecordRow(point, pointText, action, reference, reading, word, result);
}

void CalibrationWindow::saveRecord()
{
    calib::SaveRecord(this, record_);
}

void CalibrationWindow::onClose()
{
    if (guided_)
        guided_->Stop();
    CalibrationBenchWindow::onClose();
}
