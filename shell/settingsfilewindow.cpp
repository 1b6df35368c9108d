#include "shell/settingsfilewindow.h"

#include "core/tr.h"

#include "link/netaddress.h"
#include "settings/blocks.h"
#include "ui/displayvalue.h"
#include "ui/messagebox.h"
#include "ui/replyrouter.h"
#include "ui/settingsfile.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMap>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QTimer>

namespace {

using settings::MeterRun;

const backup::Catalog kCatalog = &settings::Blocks;
const QStringList kRunColumns = {QStringLiteral(QT_TRANSLATE_NOOP("kz", "地址")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "参数块")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "结果")),
                                 QStringLiteral(QT_TRANSLATE_NOOP("kz", "原因"))};

struct FamilyChoice {
    Family family;
    const char *caption;
};
constexpr FamilyChoice kFamilies[] = {
    {Family::ThreePhase, QT_TRANSLATE_NOOP("kz", "KZ5500E三相电参数测试仪")},
    {Family::SinglePhase, QT_TRANSLATE_NOOP("kz", "KZ5700E单相电参数测试仪")},
    {Family::Kz827, QT_TRANSLATE_NOOP("kz", "KZ827KVE单相电参数测试仪")},
};

// What became of a block, as the result column says it.
QString StateText(MeterRun::State state)
{
    switch (state) {
    case MeterRun::State::Read:
        return QStringLiteral(QT_TRANSLATE_NOOP("kz", "已读出"));
    case MeterRun::State::Written:
        return QStringLiteral(QT_TRANSLATE_NOOP("kz", "已写入"));
    case MeterRun::State::Verified:
        return QStringLiteral(QT_TRANSLATE_NOOP("kz", "已写入，校验一致"));
    case MeterRun::State::Failed:
        return QStringLiteral(QT_TRANSLATE_NOOP("kz", "失败"));
    case MeterRun::State::Skipped:
        return QStringLiteral(QT_TRANSLATE_NOOP("kz", "跳过（型号不符，未写入）"));
    case MeterRun::State::Stopped:
        break;
    }
    return QStringLiteral(QT_TRANSLATE_NOOP("kz", "已停止，未写入"));
}

// Why a request had no usable reply, as the run takes it.
settings::Reason FailureOf(modbus::Reply::Error error)
{
    using Kind = settings::Reason::Kind;
    switch (error) {
    case modbus::Reply::Error::NotSent:
        return {Kind::NotSent};
    case modbus::Reply::Error::BadFrame:
        return {Kind::BadFrame};
    case modbus::Reply::Error::Exception:
        return {Kind::Exception}; // the code is not kept with the failure
    case modbus::Reply::Error::PortLost:
        return {Kind::PortLost};
    default:
        break;
    }
    return {Kind::NoAnswer};
}

QString FamilyText(Family family)
{
    for (const FamilyChoice &c : kFamilies)
        if (c.family == family)
            return kz::Tr(c.caption);
    return {};
}

QSpinBox *AddressSpin(QWidget *parent, const char *name, const QString &caption, int value, QGridLayout *grid, int row,
                      int column)
{
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(1, 247);
    spin->setValue(value);
    spin->setAccessibleName(caption);
    auto *label = new QLabel(caption, parent);
    label->setBuddy(spin);
    grid->addWidget(label, row, column);
    grid->addWidget(spin, row, column + 1);
    return spin;
}

} // namespace

SettingsFileWindow::SettingsFileWindow(SerialLink &link, QWidget *parent)
    : FamilyWindow(link, std::nullopt, "SettingsFileWindow", parent)
{
    auto *meter = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "仪表")), this);
    auto *meterGrid = new QGridLayout(meter);
    family_ = new QComboBox(meter);
    family_->setObjectName("FamilyBox");
    for (const FamilyChoice &c : kFamilies)
        family_->addItem(QString::fromUtf8(c.caption), static_cast<int>(c.family));
    auto *familyLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "仪表型号：")), meter);
    familyLabel->setBuddy(family_);
    const auto nameFamily = [this] {
        family_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "仪表型号：")) + family_->currentText());
    };
    nameFamily();
    connect(family_, &QComboBox::currentIndexChanged, this, nameFamily);
    meterGrid->addWidget(familyLabel, 0, 0);
    meterGrid->addWidget(family_, 0, 1, 1, 3);
    address_.meter = AddressSpin(meter, "SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "仪表地址：")), 1, meterGrid, 1, 0);
    QPushButton *saveButton = MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存全部")), [this] { saveAll(); });
    QPushButton *compareMeter = MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "与仪表比较")), [this] { compareWithMeter(); });
    meterGrid->addWidget(saveButton, 1, 2);
    meterGrid->addWidget(compareMeter, 1, 3);

    auto *range = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "批量下载")), this);
    auto *rangeGrid = new QGridLayout(range);
    address_.first = AddressSpin(range, "SpinEdit2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "起始地址：")), 1, rangeGrid, 0, 0);
    address_.last = AddressSpin(range, "SpinEdit3", QStringLiteral(QT_TRANSLATE_NOOP("kz", "结束地址：")), 1, rangeGrid, 0, 2);
    auto *restoreButton = MakeButton("BitBtn3", QStringLiteral(QT_TRANSLATE_NOOP("kz", "批量下载")), [this] { restore(); });
    stop_ = MakeButton("BitBtn4", QStringLiteral(QT_TRANSLATE_NOOP("kz", "停  止")), [this] { stop(); });
    stop_->setEnabled(false);
    rangeGrid->addWidget(restoreButton, 0, 4);
    rangeGrid->addWidget(stop_, 0, 5);

    auto *compareFilesButton = MakeButton("BitBtn5", QStringLiteral(QT_TRANSLATE_NOOP("kz", "比较两个文件")), [this] { compareFiles(); });
    jobButtons_ = {saveButton, compareMeter, restoreButton, compareFilesButton};

    report_.progress = new QProgressBar(this);
    report_.progress->setObjectName("ProgressBar1");
    report_.progress->setRange(0, 1);
    report_.progress->setValue(0);
    report_.progress->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "进度")));

    // Named "状态" and what it shows, so that assistive technology reads the
    // result of a run.
    report_.status = MakeValueLabel(this, "StatusLabel", QStringLiteral(QT_TRANSLATE_NOOP("kz", "状态")), QString());
    report_.status->setWordWrap(true);
    // Room for two lines from the start: a longer report does not push the
    // table over the buttons.
    report_.status->setMinimumHeight(report_.status->fontMetrics().lineSpacing() * 2 + 4);
    report_.status->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // A table of rows without children: no corner button to name.
    report_.table = new QTreeWidget(this);
    report_.table->setObjectName("ResultTable");
    report_.table->setRootIsDecorated(false);
    report_.table->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "结果")));
    report_.table->setHeaderLabels(kRunColumns);
    report_.table->setMinimumSize(760, 420);

    auto *buttons = MakeRow({compareFilesButton, nullptr,
                             MakeButton("BitBtn6", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); })});
    MakeColumn({meter, range, report_.progress, report_.status, report_.table, buttons});
}

void SettingsFileWindow::setStatus(const QString &text)
{
    ShowValue(report_.status, text);
}

QString SettingsFileWindow::portGone() const
{
    return IsNetPortName(Link().Port()->CommPort()) ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "连接断开"))
                                                     : QStringLiteral(QT_TRANSLATE_NOOP("kz", "串口断开"));
}

QString SettingsFileWindow::reasonText(const MeterRun::Outcome &o) const
{
    using Kind = settings::Reason::Kind;
    const settings::Reason &r = o.why;
    const int a = o.address;
    const QString block = o.block >= 0 ? kCatalog(run_->RunFamily())[o.block].key : QString();
    switch (r.kind) {
    case Kind::None:
        break;
    case Kind::BadAddress:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 不是仪表地址（1～247），未发送任何请求")).arg(a);
    case Kind::NoAnswer:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 号仪表无应答")).arg(a);
    case Kind::Exception:
        return r.number > 0 ? kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 号仪表拒绝了请求（异常码 %2）")).arg(a).arg(r.number)
                            : kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 号仪表拒绝了请求（异常应答）")).arg(a);
    case Kind::BadFrame:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 号仪表的应答帧有误")).arg(a);
    case Kind::NotSent:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "串口未打开，未向 %1 号仪表发送任何请求")).arg(a);
    case Kind::PortLost:
        return kz::Tr(portGone());
    case Kind::OtherFamily:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 号仪表是%2，不是%3"))
            .arg(a)
            .arg(FamilyText(r.found), FamilyText(run_->RunFamily()));
    case Kind::NoFamily:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 号仪表没有作为%2应答")).arg(a).arg(FamilyText(run_->RunFamily()));
    case Kind::NotConfirmed:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 号仪表没有确认参数块 %2 的写入")).arg(a).arg(block);
    case Kind::WrongSize:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 号仪表应答了 %2 字节，应为 %3 字节（参数块 %4）"))
            .arg(a)
            .arg(r.number)
            .arg(r.expected)
            .arg(block);
    case Kind::ReadBackDiffers:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "参数块 %1 读回不一致（写入 %2，读回 %3）"))
            .arg(block, QString::fromLatin1(r.wrote.toHex(' ')), QString::fromLatin1(r.read.toHex(' ')));
    case Kind::Stopped:
        return o.block >= 0 ? kz::Tr(QT_TRANSLATE_NOOP("kz", "在参数块 %1 之前停止")).arg(block)
                            : kz::Tr(QT_TRANSLATE_NOOP("kz", "在 %1 号仪表之前停止")).arg(a);
    case Kind::NotReached:
        return kz::Tr(QT_TRANSLATE_NOOP("kz", "%1，未处理 %2 号仪表")).arg(kz::Tr(portGone())).arg(a);
    }
    return {};
}

void SettingsFileWindow::onShow()
{
    // The family chosen in the main window, unless a run goes on.
    if (run_)
        return;
    for (int i = 0; i < family_->count(); ++i)
        if (family_->itemData(i).toInt() == static_cast<int>(ReplyRouter::Of(Link()).CurrentFamily()))
            family_->setCurrentIndex(i);
}

void SettingsFileWindow::onClose()
{
    // A closed window takes no replies: a run ends here, as a stop would.
    if (run_) {
        run_.reset();
        setStatus(QStringLiteral(QT_TRANSLATE_NOOP("kz", "窗口已关闭，运行已中止。")));
        setBusy(false);
        emit RunFinished();
    }
}

std::optional<backup::Backup> SettingsFileWindow::openFile(const QString &caption)
{
    const QString path = ui::AskFileName(this, ui::FileChoice::Open, caption);
    if (path.isEmpty())
        return std::nullopt;
    QString error;
    auto file = backup::Load(kCatalog, path, &error);
    if (!file)
        ui::ShowMessage(this, kz::Tr(QT_TRANSLATE_NOOP("kz", "无法载入配置文件：%1")).arg(error));
    return file;
}

void SettingsFileWindow::saveAll()
{
    path_ = ui::AskFileName(this, ui::FileChoice::Save, QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存全部")));
    if (path_.isEmpty())
        return;
    const auto family = static_cast<Family>(family_->currentData().toInt());
    begin(Job::SaveAll, MeterRun::Read(family, {address_.meter->value()}));
}

void SettingsFileWindow::compareWithMeter()
{
    file_ = openFile(QStringLiteral(QT_TRANSLATE_NOOP("kz", "与仪表比较")));
    if (file_)
        begin(Job::Compare, MeterRun::Read(file_->family, {address_.meter->value()}));
}

void SettingsFileWindow::compareFiles()
{
    const auto first = openFile(QStringLiteral(QT_TRANSLATE_NOOP("kz", "比较：第一个文件")));
    if (!first)
        return;
    const auto second = openFile(QStringLiteral(QT_TRANSLATE_NOOP("kz", "比较：第二个文件")));
    if (!second)
        return;
    showDifferences(backup::Compare(kCatalog, *first, *second));
}

void SettingsFileWindow::restore()
{
    if (address_.first->value() > address_.last->value()) {
        ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "起始地址大于结束地址，未下载。")));
        return;
    }
    const auto file = openFile(QStringLiteral(QT_TRANSLATE_NOOP("kz", "批量下载")));
    if (!file)
        return;
    // Every value is checked before anything is sent, as kzctl restore does.
    QStringList refusals;
    const auto data = backup::EncodeForRestore(kCatalog, *file, &refusals);
    if (!data) {
        ui::ShowMessage(this, kz::Tr(QT_TRANSLATE_NOOP("kz", "文件中有不能下载的数值，未下载：\n%1")).arg(refusals.join(QLatin1Char('\n'))));
        return;
    }
    QList<int> addresses;
    for (int a = address_.first->value(); a <= address_.last->value(); ++a)
        addresses << a;
    begin(Job::Restore, MeterRun::Write(file->family, addresses, *data));
}

void SettingsFileWindow::stop()
{
    if (!run_)
        return;
    run_->Stop();
    setStatus(QStringLiteral(QT_TRANSLATE_NOOP("kz", "正在停止：当前参数块完成后停止……")));
}

void SettingsFileWindow::setBusy(bool busy)
{
    for (QPushButton *b : jobButtons_)
        b->setEnabled(!busy);
    stop_->setEnabled(busy && job_ == Job::Restore);
}

void SettingsFileWindow::begin(Job job, settings::MeterRun run)
{
    job_ = job;
    run_ = std::move(run);
    // One request at a time on the bus: the other windows stop polling.
    QStringList stopped;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *f = qobject_cast<FamilyWindow *>(w); f && f != this && f->StopPolling())
            stopped << f->windowTitle();
    stopped_ = stopped.join(QStringLiteral("、"));
    report_.table->clear();
    report_.progress->setRange(0, std::max(1, run_->Steps()));
    report_.progress->setValue(0);
    setStatus(stopped.isEmpty() ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "运行中……"))
                                       : kz::Tr(QT_TRANSLATE_NOOP("kz", "运行中……已停止其他窗口的轮询：%1。")).arg(stopped_));
    setBusy(true);
    step();
}

void SettingsFileWindow::step()
{
    if (!run_)
        return;
    if (const auto request = run_->Next()) {
        Ask(request->frame, [this](const modbus::Exchange &exchange) { answer(exchange); },
            {.failed = [this](modbus::Reply::Error error) { fail(error); }});
        return;
    }
    finish();
}

void SettingsFileWindow::answer(const modbus::Exchange &exchange)
{
    if (!run_)
        return;
    run_->Answer(exchange.IsEmpty() ? std::nullopt : std::optional<QByteArray>(exchange.reply));
    answered();
}

void SettingsFileWindow::fail(modbus::Reply::Error error)
{
    if (!run_ || !run_->Next())
        return;
    run_->Answer(std::nullopt, FailureOf(error));
    answered();
}

void SettingsFileWindow::answered()
{
    report_.progress->setValue(run_->StepsDone());
    if (job_ == Job::Restore)
        showOutcomes();
    // The next request from the event loop, not from inside the reply.
    QTimer::singleShot(0, this, [this] { step(); });
}

void SettingsFileWindow::showRows(const QStringList &headers, const QList<QStringList> &rows)
{
    report_.table->clear();
    report_.table->setHeaderLabels(headers);
    for (const QStringList &row : rows)
        report_.table->addTopLevelItem(new QTreeWidgetItem(row));
    for (int c = 0; c + 1 < headers.size(); ++c)
        report_.table->resizeColumnToContents(c);
}

void SettingsFileWindow::showOutcomes()
{
    const QList<backup::Block> &list = kCatalog(run_->RunFamily());
    QList<QStringList> rows;
    for (const MeterRun::Outcome &o : run_->Outcomes()) {
        const QString block = o.block < 0 ? QStringLiteral("—")
                                          : QStringLiteral("%1（%2）").arg(list[o.block].title, list[o.block].key);
        rows.append({QString::number(o.address), block, StateText(o.state), reasonText(o)});
    }
    showRows(kRunColumns, rows);
}

void SettingsFileWindow::showDifferences(const QList<backup::Difference> &differences)
{
    QList<QStringList> rows;
    for (const backup::Difference &d : differences)
        rows.append({d.object.isEmpty() ? d.block : QStringLiteral("%1/%2").arg(d.block, d.object), d.caption, d.first,
                     d.second});
    showRows({QStringLiteral(QT_TRANSLATE_NOOP("kz", "字段")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "名称")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "第一个值")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "第二个值"))},
             rows);
    setStatus(differences.isEmpty() ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "比较结果：无差异。"))
                                           : kz::Tr(QT_TRANSLATE_NOOP("kz", "比较结果：%1 处不同。")).arg(differences.size()));
}

void SettingsFileWindow::finish()
{
    if (job_ == Job::Restore)
        showOutcomes();
    QString failure;
    for (const MeterRun::Outcome &o : run_->Outcomes())
        if (o.state != MeterRun::State::Read && failure.isEmpty())
            failure = reasonText(o);
    // A lost port ends the run: the meters it left undone, said once.
    using Kind = settings::Reason::Kind;
    QList<int> undone;
    for (const MeterRun::Outcome &o : run_->Outcomes())
        if ((o.why.kind == Kind::PortLost || o.why.kind == Kind::NotSent || o.why.kind == Kind::NotReached) &&
            (undone.isEmpty() || undone.last() != o.address))
            undone << o.address;
    MeterRun run = std::move(*run_);
    run_.reset();
    setBusy(false);
    report_.progress->setValue(report_.progress->maximum());
    const QString restart = stopped_.isEmpty()
                                ? QString()
                                : kz::Tr(QT_TRANSLATE_NOOP("kz", "（已停止轮询的窗口：%1，请在其中按“启  动”重新开始。）")).arg(stopped_);
    switch (job_) {
    case Job::SaveAll: {
        QString error;
        if (!failure.isEmpty()) {
            setStatus(kz::Tr(QT_TRANSLATE_NOOP("kz", "保存全部失败，未保存：%1")).arg(failure) + restart);
        } else if (!backup::SaveBlocks(kCatalog, path_, run.RunFamily(), run.Addresses().first(), run.DataOf(0),
                                       &error)) {
            // A file of another meter is left as it is.
            setStatus(kz::Tr(QT_TRANSLATE_NOOP("kz", "未保存：%1")).arg(error) + restart);
        } else {
            setStatus(kz::Tr(QT_TRANSLATE_NOOP("kz", "已保存全部参数到 %1。")).arg(path_) + restart);
        }
        break;
    }
    case Job::Compare: {
        if (!failure.isEmpty()) {
            setStatus(kz::Tr(QT_TRANSLATE_NOOP("kz", "比较失败：%1")).arg(failure) + restart);
            break;
        }
        QString error;
        auto meter = backup::Parse(kCatalog, backup::Document(kCatalog, run.RunFamily(), run.Addresses().first(), run.DataOf(0)),
                                   &error);
        // Only the blocks the file holds: a file saved from one window
        // holds that window's blocks.
        for (qsizetype i = 0; meter && i < meter->values.size(); ++i)
            if (file_->values.value(i).isEmpty())
                meter->values[i].clear();
        if (meter)
            showDifferences(backup::Compare(kCatalog, *file_, *meter));
        setStatus(report_.status->text() + restart);
        break;
    }
    case Job::Restore: {
        // Per meter: written and verified, skipped, or not (failed or stopped).
        QMap<int, int> worst; // 0 verified, 1 skipped, 2 failed or stopped
        for (const MeterRun::Outcome &o : run.Outcomes()) {
            const int rank = o.state == MeterRun::State::Verified  ? 0
                             : o.state == MeterRun::State::Skipped ? 1
                                                                   : 2;
            worst[o.address] = std::max(worst.value(o.address), rank);
        }
        int counts[3] = {};
        for (int rank : worst)
            ++counts[rank];
        QString lost;
        if (!undone.isEmpty()) {
            QStringList numbers;
            for (int a : undone)
                numbers << QString::number(a);
            lost = kz::Tr(QT_TRANSLATE_NOOP("kz", "%1，运行已中止：%2 号仪表未下载完成。"))
                       .arg(kz::Tr(portGone()), numbers.join(QStringLiteral("、")));
        }
        setStatus(kz::Tr(QT_TRANSLATE_NOOP("kz", "批量下载结束：%1 台已写入并校验，%2 台型号不符已跳过，%3 台失败或未完成。"))
                      .arg(counts[0])
                      .arg(counts[1])
                      .arg(counts[2]) +
                  lost + restart);
        break;
    }
    }
    emit RunFinished();
}
