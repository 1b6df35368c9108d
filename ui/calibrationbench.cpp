#include "ui/calibrationbench.h"

#include "ui/lamp.h"
#include "ui/messagebox.h"

#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

void CalibrationBenchWindow::MakeBench(const QString &addressCaption, const char *listBoxName,
                                       const QStringList &points, std::function<void()> clear,
                                       std::function<void()> chosen)
{
    QLabel *addressLabel = nullptr;
    address_ = MakeAddressSpin("SpinEdit1", addressCaption, &addressLabel, 0);
    cyclicBox_ = new QCheckBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "循环读")), this);
    cyclicBox_->setObjectName("CheckBox1");
    lampA_ = new Lamp("Shape39", QStringLiteral(QT_TRANSLATE_NOOP("kz", "读数指示灯1")), this);
    lampB_ = new Lamp("Shape1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "读数指示灯2")), this);
    lampB_->SetColour(Lamp::Active());
    readRow_ = MakeRow({addressLabel, address_, cyclicBox_, lampA_, lampB_, nullptr});

    const auto edit = [this](const char *name, const QString &caption, QLabel **label) {
        auto *line = new QLineEdit(this);
        line->setObjectName(QLatin1String(name));
        line->setAccessibleName(caption);
        *label = new QLabel(caption + QStringLiteral("："), this);
        (*label)->setBuddy(line);
        return line;
    };
    QLabel *referenceLabel = nullptr, *wordLabel = nullptr;
    reference_ = edit("Edit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "标准表数据")), &referenceLabel);
    word_ = edit("Edit2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "校验数据")), &wordLabel);
    edits_ = new QGridLayout;
    edits_->addWidget(referenceLabel, 0, 0);
    edits_->addWidget(reference_, 0, 1);
    edits_->addWidget(wordLabel, 1, 0);
    edits_->addWidget(word_, 1, 1);
    edits_->addWidget(MakeButton("Button1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "清零")), std::move(clear)), 1, 2);

    listBox_ = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "选择待校验的参数：")), this);
    listBox_->setObjectName(QLatin1String(listBoxName));
    points_ = new QListWidget(listBox_);
    points_->setObjectName("ListBox1");
    points_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "选择待校验的参数")));
    points_->addItems(points);
    points_->setCurrentRow(-1);
    // A click and a keyboard move both choose the point.
    connect(points_, &QListWidget::itemClicked, this, chosen);
    connect(points_, &QListWidget::currentRowChanged, this, chosen);
    auto *listLayout = new QVBoxLayout(listBox_);
    listLayout->addWidget(points_);
}

bool CalibrationBenchWindow::ReadTick()
{
    if (Handling())
        return false;
    const QColor colour = lampA_->Colour();
    lampA_->SetColour(lampB_->Colour());
    lampB_->SetColour(colour);
    return true;
}

void CalibrationBenchWindow::AddRecordRow(int point, const QString &pointText, const QString &action,
                                          const QString &reference, std::optional<double> reading,
                                          const QString &word, const QString &result)
{
    calib::RecordRow row;
    row.time = QDateTime::currentDateTime();
    row.address = LastAddress();
    row.point = point;
    row.pointText = pointText;
    row.action = action;
    row.reference = reference;
    row.reading = reading;
    row.word = word;
    row.result = result;
    AddRecordRow(row);
}

void CalibrationBenchWindow::AddRecordRow(const calib::RecordRow &row)
{
    if (!record_.Add(row))
        ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "校验记录无法写入，请重新保存记录！")));
}

ui::GuidedPanel *CalibrationBenchWindow::MakeGuidedPanel(calib::Plan (*defaultPlan)(), calib::Protocol &protocol,
                                                         std::function<bool()> reading,
                                                         std::function<void(const QByteArray &reply)> shown)
{
    guidedShown_ = std::move(shown);
    ui::GuidedHost host;
    host.family = WindowFamily().value_or(Family::ThreePhase);
    host.defaultPlan = defaultPlan;
    host.exchanger = &guidedExchanger_;
    host.protocol = &protocol;
    host.windowBusy = [this, reading = std::move(reading)] {
        if (!reading())
            return false;
        ui::ShowMessage(this, QString::fromUtf8(calib::msg::kBusy));
        return true;
    };
    host.address = [this] { return address_->value(); };
    host.lockAddress = [this](bool locked) { address_->setEnabled(!locked); };
    host.addRow = [this](const calib::RecordRow &row) { AddRecordRow(row); };
    host.showPoint = [this](const calib::PlanPoint &p) { points_->setCurrentRow(p.point - 1); };
    host.showWord = [this](const QString &word) { word_->setText(word); };
    guided_ = new ui::GuidedPanel(std::move(host), this);
    return guided_;
}

bool CalibrationBenchWindow::sendGuided(const QByteArray &request, std::function<void(const QByteArray &reply)> done)
{
    // The run's request carries the address it was started with.
    const auto answered = [this, done](const modbus::Exchange &exchange) {
        done(exchange.reply);
        if (guidedShown_)
            guidedShown_(exchange.reply);
    };
    return Ask(request, answered, {.failed = [done](modbus::Reply::Error) { done(QByteArray()); }}) != nullptr;
}
