#include "ui/guidedpanel.h"

#include "core/tr.h"
#include "report/calibrationcertificate.h"
#include "ui/messagebox.h"

#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace calib {

namespace {

// The record's chooser, or the plan's.
FileChooser &Chooser(bool plan = false)
{
    static FileChooser record;
    static FileChooser planFile;
    return plan ? planFile : record;
}

} // namespace

void SetRecordFileChooser(FileChooser chooser)
{
    Chooser() = std::move(chooser);
}

void SetPlanFileChooser(FileChooser chooser)
{
    Chooser(true) = std::move(chooser);
}

namespace {

QString ChooseFile(QWidget *parent, const QString &suggested, const QString &title, const QString &filter)
{
    if (Chooser())
        return Chooser()(parent, suggested);
    return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

// A file name with the time now for %1: 校验记录-20261208-061500.csv.
QString Suggested(const QString &pattern)
{
    return pattern.arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

} // namespace

void SaveRecord(QWidget *parent, Record &record)
{
    const QString path = ChooseFile(parent, Suggested(kz::Tr(QT_TRANSLATE_NOOP("kz", "校验记录-%1.csv"))), QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存校验记录")),
                                    QStringLiteral(QT_TRANSLATE_NOOP("kz", "CSV 文件 (*.csv)")));
    if (path.isEmpty())
        return;
    QString error;
    if (!record.SaveTo(path, &error)) {
        ui::ShowMessage(parent, kz::Tr(QT_TRANSLATE_NOOP("kz", "校验记录无法写入 %1：%2")).arg(path, error));
        return;
    }
    ui::ShowMessage(parent, kz::Tr(QT_TRANSLATE_NOOP("kz", "校验记录已保存到 %1，以后的每一步都会接着写入。")).arg(path));
}

} // namespace calib

namespace ui {

void WindowExchanger::Exchange(const QByteArray &request, std::function<void(const QByteArray &)> done)
{
    if (!ask_(request, done))
        QTimer::singleShot(0, &context_, [done] { done(QByteArray()); });
}

GuidedPanel::GuidedPanel(GuidedHost host, QWidget *parent)
    : QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "引导校验")), parent), host_(std::move(host))
{
    setObjectName("GuidedPanel");
    start_ = makeButton("GuidedStart", QStringLiteral(QT_TRANSLATE_NOOP("kz", "开始引导校验")), [this] { start(); });
    stop_ = makeButton("GuidedStop", QStringLiteral(QT_TRANSLATE_NOOP("kz", "停止")), [this] { Stop(); });
    continue_ = makeButton("GuidedContinue", QStringLiteral(QT_TRANSLATE_NOOP("kz", "继续")), [this] {
        if (run_)
            run_->Respond(calib::Run::Answer::Continue);
    });
    skip_ = makeButton("GuidedSkip", QStringLiteral(QT_TRANSLATE_NOOP("kz", "跳过")), [this] {
        if (run_)
            run_->Respond(calib::Run::Answer::Skip);
    });
    plan_ = host_.defaultPlan();
    planSource_ = QStringLiteral(QT_TRANSLATE_NOOP("kz", "默认方案"));
    auto *load = makeButton("LoadPlan", QStringLiteral(QT_TRANSLATE_NOOP("kz", "载入方案")), [this] { loadPlan(); });
    certificate_ = makeButton("SaveCertificate", QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存证书")), [this] { saveCertificate(); });
    certificate_->setEnabled(false);
    status_ = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "未开始")), this);
    status_->setObjectName("GuidedStatus");
    prompt_ = new QLabel(this);
    prompt_->setObjectName("GuidedPrompt");
    prompt_->setWordWrap(true);
    error_ = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "误差：—")), this);
    error_->setObjectName("GuidedError");
    progress_ = new QProgressBar(this);
    progress_->setObjectName("GuidedProgress");
    progress_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "引导校验进度")));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    stop_->setEnabled(false);
    setPrompt(false, QString());
    operator_ = new QLineEdit(this);
    operator_->setObjectName("GuidedOperator");
    operator_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "操作员")));
    auto *operatorLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "操作员：")), this);
    operatorLabel->setBuddy(operator_);
    limit_ = new QDoubleSpinBox(this);
    limit_->setObjectName("GuidedLimit");
    limit_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "合格限")));
    limit_->setAccessibleDescription(kz::Tr(QT_TRANSLATE_NOOP("kz", "每点允许的误差，%，改动后用于方案的每一点")));
    limit_->setRange(calib::kLowestLimit, calib::kHighestLimit);
    limit_->setDecimals(3);
    limit_->setSingleStep(0.01);
    limit_->setSuffix(QStringLiteral("%"));
    auto *limitLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "合格限：")), this);
    limitLabel->setBuddy(limit_);
    showPlanLimit();

    auto *layout = new QVBoxLayout(this);
    auto *who = new QHBoxLayout;
    who->addWidget(operatorLabel);
    who->addWidget(operator_, 1);
    who->addWidget(limitLabel);
    who->addWidget(limit_);
    layout->addLayout(who);
    auto *top = new QHBoxLayout;
    top->addWidget(load);
    top->addWidget(start_);
    top->addWidget(status_, 1);
    top->addWidget(error_);
    layout->addLayout(top);
    layout->addWidget(progress_);
    auto *prompt = new QHBoxLayout;
    prompt->addWidget(prompt_, 1);
    prompt->addWidget(continue_);
    prompt->addWidget(skip_);
    prompt->addWidget(stop_);
    prompt->addWidget(certificate_);
    layout->addLayout(prompt);
}

QPushButton *GuidedPanel::makeButton(const char *name, const QString &caption, std::function<void()> onClick)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    connect(button, &QPushButton::clicked, this, std::move(onClick));
    return button;
}

bool GuidedPanel::Busy()
{
    if (!Running())
        return false;
    ShowMessage(window(), QStringLiteral(QT_TRANSLATE_NOOP("kz", "引导校验正在进行，请先停止！")));
    return true;
}

void GuidedPanel::Stop()
{
    if (run_)
        run_->Stop();
}

// The box shows the plan's own limit (a plan's limits lie within the box's
// range): left as it is, each point keeps the limit the plan gives it;
// changed, the box's limit holds for every point of the next run.
void GuidedPanel::showPlanLimit()
{
    limit_->setValue(plan_.limit);
    planLimit_ = limit_->value(); // as the box rounds it
}

void GuidedPanel::lock(bool running)
{
    start_->setEnabled(!running);
    stop_->setEnabled(running);
    certificate_->setEnabled(!running);
    limit_->setEnabled(!running);
    if (host_.lockAddress)
        host_.lockAddress(running);
}

void GuidedPanel::setPrompt(bool asking, const QString &text)
{
    prompt_->setText(text);
    prompt_->setVisible(!text.isEmpty());
    continue_->setEnabled(asking);
    skip_->setEnabled(asking);
}

void GuidedPanel::start()
{
    if (Running() || host_.windowBusy())
        return;
    // The address, the plan and where it came from are taken now and kept
    // with the run: the record and the certificate name the meter
    // calibrated, whatever the boxes show later.
    const auto address = static_cast<std::uint8_t>(host_.address());
    runSource_ = planSource_;
    calib::Plan plan = plan_;
    // A limit typed over the plan's holds for every point of this run.
    if (std::abs(limit_->value() - planLimit_) > 1e-9)
        for (calib::PlanPoint &p : plan.points)
            p.limit = limit_->value();
    run_ = std::make_unique<calib::Run>(*host_.exchanger, *host_.protocol, address, plan);
    connect(run_.get(), &calib::Run::progress, this, &GuidedPanel::onProgress);
    connect(run_.get(), &calib::Run::sourceWanted, this, [this](const calib::PlanPoint &p) {
        setPrompt(true, kz::Tr(QT_TRANSLATE_NOOP("kz", "请将标准源设为 %1，标准表应显示 %2，然后按[继续]。"))
                            .arg(p.source.Text(), p.ReferenceText()));
        continue_->setFocus();
    });
    connect(run_.get(), &calib::Run::pointDone, this, [this](const calib::PointResult &r) {
        host_.showWord(r.word);
        host_.addRow(calib::PointRow(r, run_->Address(), QDateTime::currentDateTime()));
    });
    connect(run_.get(), &calib::Run::finished, this, &GuidedPanel::onFinished);
    lock(true);
    progress_->setRange(0, static_cast<int>(run_->plan().points.size()));
    progress_->setValue(0);
    error_->setText(QStringLiteral(QT_TRANSLATE_NOOP("kz", "误差：—")));
    run_->Start();
}

void GuidedPanel::onProgress(int index, int count, calib::Step step, const QString &lastError)
{
    progress_->setValue(std::min(index, count));
    if (step != calib::Step::WaitingForSource)
        setPrompt(false, QString());
    if (index < count) {
        const calib::PlanPoint &p = run_->plan().points[index];
        host_.showPoint(p);
        status_->setText(
            kz::Tr(QT_TRANSLATE_NOOP("kz", "第 %1/%2 点：%3，%4")).arg(index + 1).arg(count).arg(p.Title(), calib::StepText(step)));
    }
    if (!lastError.isEmpty())
        error_->setText(kz::Tr(QT_TRANSLATE_NOOP("kz", "误差：%1")).arg(lastError));
}

void GuidedPanel::onFinished(const calib::RunResult &result)
{
    setPrompt(false, QString());
    lock(false);
    if (const auto end = calib::EndRow(result, run_->Address()))
        host_.addRow(*end);
    const auto passed = std::count_if(result.points.begin(), result.points.end(),
                                      [](const calib::PointResult &p) { return p.passed; });
    QString text = kz::Tr(QT_TRANSLATE_NOOP("kz", "引导校验%1：%2/%3 点合格"))
                       .arg(result.Passed() ? kz::Tr(QT_TRANSLATE_NOOP("kz", "合格")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "不合格")))
                       .arg(passed)
                       .arg(result.planned);
    if (!result.stoppedAt.isEmpty())
        text += kz::Tr(QT_TRANSLATE_NOOP("kz", "，停止于")) + result.stoppedAt;
    status_->setText(text);
    ShowMessage(window(), text + QStringLiteral("。"));
}

void GuidedPanel::saveCertificate()
{
    if (!run_ || run_->Running())
        return;
    const QString path = calib::ChooseFile(window(), calib::Suggested(kz::Tr(QT_TRANSLATE_NOOP("kz", "校验证书-%1.pdf"))),
                                           QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存校验证书")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "PDF 文件 (*.pdf)")));
    if (path.isEmpty())
        return;
    calib::CertificateHeader header;
    header.family = calib::FamilyText(host_.family);
    header.address = run_->Address();
    header.planName = run_->plan().name;
    header.planSource = runSource_;
    header.operatorName = operator_->text().trimmed();
    QString error;
    if (!calib::WriteCertificate(path, header, run_->Result(), &error)) {
        ShowMessage(window(), kz::Tr(QT_TRANSLATE_NOOP("kz", "校验证书无法写入 %1：%2")).arg(path, error));
        return;
    }
    ShowMessage(window(), kz::Tr(QT_TRANSLATE_NOOP("kz", "校验证书已保存到 %1。")).arg(path));
}

void GuidedPanel::loadPlan()
{
    if (Busy())
        return;
    const QString path = calib::Chooser(true)
                             ? calib::Chooser(true)(window(), QString())
                             : QFileDialog::getOpenFileName(window(), QStringLiteral(QT_TRANSLATE_NOOP("kz", "载入校验方案")), QString(),
                                                            QStringLiteral(QT_TRANSLATE_NOOP("kz", "校验方案 (*.json)")));
    if (path.isEmpty())
        return;
    QString error;
    const auto plan = calib::LoadPlan(path, FamilyName(host_.family), host_.defaultPlan(), &error);
    if (!plan) {
        ShowMessage(window(), kz::Tr(QT_TRANSLATE_NOOP("kz", "校验方案不能使用：%1")).arg(error));
        return;
    }
    plan_ = *plan;
    planSource_ = QFileInfo(path).fileName();
    showPlanLimit();
    status_->setText(kz::Tr(QT_TRANSLATE_NOOP("kz", "方案：%1（%2 点）")).arg(plan_.name).arg(plan_.points.size()));
}

} // namespace ui
