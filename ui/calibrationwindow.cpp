#include "ui/calibrationwindow.h"

#include "core/tr.h"

#include "report/calibrationcertificate.h"

#include "ui/displayvalue.h"
#include "ui/lamp.h"
#include "ui/messagebox.h"

#include <cmath>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace calib {

namespace {
FileChooser &Chooser()
{
    static FileChooser chooser;
    return chooser;
}
} // namespace

void SetRecordFileChooser(FileChooser chooser)
{
    Chooser() = std::move(chooser);
}

FileChooser &PlanChooser()
{
    static FileChooser chooser;
    return chooser;
}

void SetPlanFileChooser(FileChooser chooser)
{
    PlanChooser() = std::move(chooser);
}

} // namespace calib

namespace {

QString Text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QString ChooseFile(QWidget *parent, const QString &suggested, const QString &title, const QString &filter)
{
    if (calib::Chooser())
        return calib::Chooser()(parent, suggested);
    return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

QString ChooseRecordFile(QWidget *parent, const QString &suggested)
{
    return ChooseFile(parent, suggested, QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存校验记录")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "CSV 文件 (*.csv)")));
}

} // namespace

CalibrationWindow::CalibrationWindow(SerialLink &link, const CalibrationWindowConfig &config, QWidget *parent)
    : CalibrationBenchWindow(link, config.names.family, config.names.className, parent),
      decoder_(config.makeDecoder()), engine_(*decoder_), defaultPlan_(config.defaultPlan)
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
    if (defaultPlan_)
        makeGuidedPanel(main);
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

bool CalibrationWindow::guidedBusy()
{
    if (!run_ || !run_->Running())
        return false;
    ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "引导校验正在进行，请先停止！")));
    return true;
}

void CalibrationWindow::toggleReading()
{
    if (guidedBusy())
        return;
    if (cyclic_.Reading()) {
        cyclic_.Stop();
        timer_->stop();
        setReadCaption(false);
        return;
    }
    const int address = address_->value();
    // A read the link refuses (another family chosen) starts nothing.
    if (!Send(calib::ReadRequest(static_cast<std::uint8_t>(address)), address) || !cyclicBox_->isChecked()) {
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
    if (Handling())
        return;
    BlinkLamps();
    const int address = address_->value();
    Send(calib::ReadRequest(static_cast<std::uint8_t>(address)), address);
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
    if (guidedBusy())
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
    if (Send(calib::WriteRequest(static_cast<std::uint8_t>(address), n, *word), address))
        addRow(n, QStringLiteral(QT_TRANSLATE_NOOP("kz", "写入")), reference_->text(), std::nullopt, calib::WordText(*word), QString());
}

void CalibrationWindow::onReply(const modbus::Exchange &exchange)
{
    if (exchanger_.pending) {
        // The guided run's exchange: the run decodes it; the read-outs show
        // its readings once it has.
        std::exchange(exchanger_.pending, nullptr)(exchange.reply);
        QTimer::singleShot(0, this, [this] {
            const QStringList texts = decoder_->Texts();
            for (int i = 0; i < readOuts_.size() && i < texts.size(); ++i)
                ShowValue(readOuts_[i], texts[i]);
        });
        return;
    }
    switch (engine_.Take(exchange.reply)) {
    case calib::Engine::Reply::Read: {
        const QStringList texts = decoder_->Texts();
        for (int i = 0; i < readOuts_.size() && i < texts.size(); ++i)
            ShowValue(readOuts_[i], texts[i]);
        break;
    }
    case calib::Engine::Reply::Acknowledged: {
        // The write it answers says which point and word were stored.
        const QByteArray &request = exchange.request;
        if (request.size() == calib::kRequestBytes && static_cast<std::uint8_t>(request.at(2)) == 'w') {
            const auto byte = [&](int at) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(request.at(at))); };
            addRow(static_cast<int>(byte(7)), QStringLiteral(QT_TRANSLATE_NOOP("kz", "写入确认")), QString(), std::nullopt,
                   calib::WordText(byte(8) << 16 | byte(9) << 8 | byte(10)), QString());
        }
        ui::ShowMessage(this, Text(calib::msg::kWritten));
        break;
    }
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

void calib::SaveRecord(QWidget *parent, Record &record)
{
    const QString suggested =
        kz::Tr(QT_TRANSLATE_NOOP("kz", "校验记录-%1.csv")).arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString path = ChooseRecordFile(parent, suggested);
    if (path.isEmpty())
        return;
    QString error;
    if (!record.SaveTo(path, &error)) {
        ui::ShowMessage(parent, kz::Tr(QT_TRANSLATE_NOOP("kz", "校验记录无法写入 %1：%2")).arg(path, error));
        return;
    }
    ui::ShowMessage(parent, kz::Tr(QT_TRANSLATE_NOOP("kz", "校验记录已保存到 %1，以后的每一步都会接着写入。")).arg(path));
}

void CalibrationWindow::Exchanger::Exchange(const QByteArray &request, std::function<void(const QByteArray &)> done)
{
    pending = std::move(done);
    const int address = window_.address_->value();
    if (!window_.Send(request, address))
        QTimer::singleShot(0, &window_, [this] {
            if (pending)
                std::exchange(pending, nullptr)(QByteArray());
        });
}

void CalibrationWindow::onFailure(modbus::Reply::Error)
{
    if (exchanger_.pending)
        std::exchange(exchanger_.pending, nullptr)(QByteArray());
}

void CalibrationWindow::onClose()
{
    if (run_ && run_->Running())
        run_->Stop();
    CalibrationBenchWindow::onClose();
}

void CalibrationWindow::makeGuidedPanel(QLayout *into)
{
    auto *box = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "引导校验")), this);
    box->setObjectName("GuidedPanel");
    guidedStart_ = MakeButton("GuidedStart", QStringLiteral(QT_TRANSLATE_NOOP("kz", "开始引导校验")), [this] { startGuided(); });
    guidedStop_ = MakeButton("GuidedStop", QStringLiteral(QT_TRANSLATE_NOOP("kz", "停止")), [this] {
        if (run_)
            run_->Stop();
    });
    guidedContinue_ = MakeButton("GuidedContinue", QStringLiteral(QT_TRANSLATE_NOOP("kz", "继续")), [this] {
        if (run_)
            run_->Respond(calib::Run::Answer::Continue);
    });
    guidedSkip_ = MakeButton("GuidedSkip", QStringLiteral(QT_TRANSLATE_NOOP("kz", "跳过")), [this] {
        if (run_)
            run_->Respond(calib::Run::Answer::Skip);
    });
    plan_ = defaultPlan_();
    planSource_ = QStringLiteral(QT_TRANSLATE_NOOP("kz", "默认方案"));
    auto *load = MakeButton("LoadPlan", QStringLiteral(QT_TRANSLATE_NOOP("kz", "载入方案")), [this] { loadPlan(); });
    guidedCertificate_ = MakeButton("SaveCertificate", QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存证书")), [this] { saveCertificate(); });
    guidedCertificate_->setEnabled(false);
    guidedStatus_ = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "未开始")), box);
    guidedStatus_->setObjectName("GuidedStatus");
    guidedPrompt_ = new QLabel(box);
    guidedPrompt_->setObjectName("GuidedPrompt");
    guidedPrompt_->setWordWrap(true);
    guidedError_ = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "误差：—")), box);
    guidedError_->setObjectName("GuidedError");
    guidedProgress_ = new QProgressBar(box);
    guidedProgress_->setObjectName("GuidedProgress");
    guidedProgress_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "引导校验进度")));
    guidedProgress_->setRange(0, 1);
    guidedProgress_->setValue(0);
    guidedStop_->setEnabled(false);
    setPrompt(false, QString());
    guidedOperator_ = new QLineEdit(box);
    guidedOperator_->setObjectName("GuidedOperator");
    guidedOperator_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "操作员")));
    auto *operatorLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "操作员：")), box);
    operatorLabel->setBuddy(guidedOperator_);
    guidedLimit_ = new QDoubleSpinBox(box);
    guidedLimit_->setObjectName("GuidedLimit");
    guidedLimit_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "合格限")));
    guidedLimit_->setAccessibleDescription(kz::Tr(QT_TRANSLATE_NOOP("kz", "每点允许的误差，%，改动后用于方案的每一点")));
    guidedLimit_->setRange(0.001, 10);
    guidedLimit_->setDecimals(3);
    guidedLimit_->setSingleStep(0.01);
    guidedLimit_->setSuffix(QStringLiteral("%"));
    auto *limitLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "合格限：")), box);
    limitLabel->setBuddy(guidedLimit_);
    showPlanLimit();

    auto *layout = new QVBoxLayout(box);
    auto *who = new QHBoxLayout;
    who->addWidget(operatorLabel);
    who->addWidget(guidedOperator_, 1);
    who->addWidget(limitLabel);
    who->addWidget(guidedLimit_);
    layout->addLayout(who);
    auto *top = new QHBoxLayout;
    top->addWidget(load);
    top->addWidget(guidedStart_);
    top->addWidget(guidedStatus_, 1);
    top->addWidget(guidedError_);
    layout->addLayout(top);
    layout->addWidget(guidedProgress_);
    auto *prompt = new QHBoxLayout;
    prompt->addWidget(guidedPrompt_, 1);
    prompt->addWidget(guidedContinue_);
    prompt->addWidget(guidedSkip_);
    prompt->addWidget(guidedStop_);
    prompt->addWidget(guidedCertificate_);
    layout->addLayout(prompt);
    into->addWidget(box);
}

// Shows the plan's limit (its first point's: a plan file sets one for all
// points unless it gives some their own) as the one a run will use.
void CalibrationWindow::showPlanLimit()
{
    planLimit_ = plan_.points.isEmpty() ? calib::kDefaultLimit : plan_.points.first().limit;
    guidedLimit_->setValue(planLimit_);
    planLimit_ = guidedLimit_->value(); // as the box rounds it
}

void CalibrationWindow::setPrompt(bool asking, const QString &text)
{
    guidedPrompt_->setText(text);
    guidedPrompt_->setVisible(!text.isEmpty());
    guidedContinue_->setEnabled(asking);
    guidedSkip_->setEnabled(asking);
}

void CalibrationWindow::startGuided()
{
    if (run_ && run_->Running())
        return;
    if (cyclic_.Reading()) {
        ui::ShowMessage(this, Text(calib::msg::kBusy));
        return;
    }
    const auto address = static_cast<std::uint8_t>(address_->value());
    calib::Plan plan = plan_;
    // A limit typed over the plan's holds for every point of this run.
    if (std::abs(guidedLimit_->value() - planLimit_) > 1e-9)
        for (calib::PlanPoint &p : plan.points)
            p.limit = guidedLimit_->value();
    run_ = std::make_unique<calib::Run>(exchanger_, *decoder_, address, plan);
    connect(run_.get(), &calib::Run::progress, this, &CalibrationWindow::onGuidedProgress);
    connect(run_.get(), &calib::Run::sourceWanted, this, [this](const calib::PlanPoint &p) {
        setPrompt(true, kz::Tr(QT_TRANSLATE_NOOP("kz", "请将标准源设为 %1，标准表应显示 %2，然后按[继续]。"))
                            .arg(p.source.Text(), p.ReferenceText()));
        guidedContinue_->setFocus();
    });
    connect(run_.get(), &calib::Run::pointDone, this,
            [this](const calib::PointResult &r) {
                word_->setText(r.word);
                AddRecordRow(calib::PointRow(r, LastAddress(), QDateTime::currentDateTime()));
            });
    connect(run_.get(), &calib::Run::finished, this, &CalibrationWindow::onGuidedFinished);
    guidedStart_->setEnabled(false);
    guidedStop_->setEnabled(true);
    guidedCertificate_->setEnabled(false);
    guidedProgress_->setRange(0, static_cast<int>(run_->plan().points.size()));
    guidedProgress_->setValue(0);
    guidedError_->setText(QStringLiteral(QT_TRANSLATE_NOOP("kz", "误差：—")));
    run_->Start();
}

void CalibrationWindow::onGuidedProgress(int index, int count, calib::Step step, const QString &lastError)
{
    guidedProgress_->setValue(std::min(index, count));
    if (step != calib::Step::WaitingForSource)
        setPrompt(false, QString());
    if (index < count) {
        const calib::PlanPoint &p = run_->plan().points[index];
        points_->setCurrentRow(p.point - 1);
        guidedStatus_->setText(kz::Tr(QT_TRANSLATE_NOOP("kz", "第 %1/%2 点：%3，%4"))
                                   .arg(index + 1)
                                   .arg(count)
                                   .arg(p.name, calib::StepText(step)));
    }
    if (!lastError.isEmpty())
        guidedError_->setText(kz::Tr(QT_TRANSLATE_NOOP("kz", "误差：%1")).arg(lastError));
}

void CalibrationWindow::onGuidedFinished(const calib::RunResult &result)
{
    setPrompt(false, QString());
    guidedStart_->setEnabled(true);
    guidedStop_->setEnabled(false);
    guidedCertificate_->setEnabled(true);
    if (const auto end = calib::EndRow(result, LastAddress()))
        AddRecordRow(*end);
    const auto passed = std::count_if(result.points.begin(), result.points.end(),
                                      [](const calib::PointResult &p) { return p.passed; });
    QString text = kz::Tr(QT_TRANSLATE_NOOP("kz", "引导校验%1：%2/%3 点合格"))
                       .arg(result.Passed() ? kz::Tr(QT_TRANSLATE_NOOP("kz", "合格")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "不合格")))
                       .arg(passed)
                       .arg(result.planned);
    if (!result.stoppedAt.isEmpty())
        text += kz::Tr(QT_TRANSLATE_NOOP("kz", "，停止于")) + result.stoppedAt;
    guidedStatus_->setText(text);
    ui::ShowMessage(this, text + QStringLiteral("。"));
}

void CalibrationWindow::saveCertificate()
{
    if (!run_ || run_->Running())
        return;
    const QString suggested =
        kz::Tr(QT_TRANSLATE_NOOP("kz", "校验证书-%1.pdf")).arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString path = ChooseFile(this, suggested, QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存校验证书")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "PDF 文件 (*.pdf)")));
    if (path.isEmpty())
        return;
    calib::CertificateHeader header;
    header.family = WindowFamily() == Family::SinglePhase ? kz::Tr(QT_TRANSLATE_NOOP("kz", "单相表")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "三相模块"));
    header.address = LastAddress();
    header.planName = run_->plan().name;
    header.planSource = planSource_;
    header.operatorName = guidedOperator_->text().trimmed();
    QString error;
    if (!calib::WriteCertificate(path, header, run_->Result(), &error)) {
        ui::ShowMessage(this, kz::Tr(QT_TRANSLATE_NOOP("kz", "校验证书无法写入 %1：%2")).arg(path, error));
        return;
    }
    ui::ShowMessage(this, kz::Tr(QT_TRANSLATE_NOOP("kz", "校验证书已保存到 %1。")).arg(path));
}

void CalibrationWindow::loadPlan()
{
    if (guidedBusy())
        return;
    const QString path = calib::PlanChooser()
                             ? calib::PlanChooser()(this, QString())
                             : QFileDialog::getOpenFileName(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "载入校验方案")), QString(),
                                                            QStringLiteral(QT_TRANSLATE_NOOP("kz", "校验方案 (*.json)")));
    if (path.isEmpty())
        return;
    QString error;
    const auto plan = calib::LoadPlan(path, FamilyName(*WindowFamily()), defaultPlan_(), &error);
    if (!plan) {
        ui::ShowMessage(this, kz::Tr(QT_TRANSLATE_NOOP("kz", "校验方案不能使用：%1")).arg(error));
        return;
    }
    plan_ = *plan;
    planSource_ = QFileInfo(path).fileName();
    showPlanLimit();
    guidedStatus_->setText(kz::Tr(QT_TRANSLATE_NOOP("kz", "方案：%1（%2 点）")).arg(plan_.name).arg(plan_.points.size()));
}
