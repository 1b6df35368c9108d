#include "threephase/alarmmaskwindow.h"

#include "ui/fieldform.h"
#include "threephase/alarmmask.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <span>
#include "threephase/settingsblocks.h"

namespace threephase {

namespace am = threephase::alarmmask;

AlarmMaskWindow::AlarmMaskWindow(SerialLink &link, QWidget *parent)
    : SettingsWindow(link, Family::ThreePhase, "threephase::AlarmMaskWindow", {am::kFirstRegister, am::kRegisters},
                     {QT_TRANSLATE_NOOP("kz", "参数设置成功！！")}, parent)
{
    auto *outer = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "报警启用设置")), this);
    outer->setObjectName("GroupBox1");
    form_ = new FieldForm(outer, am::kFields);
    // An upload shows only what the instrument answers.
    fields::Values cleared;
    for (int i = 0; i < form_->Size(); ++i)
        cleared.append(i < am::kCheckBoxes ? QStringLiteral("0") : QStringLiteral("-1"));
    UseForm({form_, cleared});

    auto indexOf = [this](const QString &caption) {
        for (int i = 0; i < form_->Size(); ++i)
            if (QString::fromUtf8(am::kFields[i].caption) == caption)
                return i;
        return -1;
    };
    // One H/L grid: a column per quantity, the upper-limit row above the
    // lower-limit row.
    auto grid = [&](const QString &title, std::span<const char *const> columns) {
        return form_->MakeLimitGrid(outer, title, columns, [&indexOf](const QString &name) {
            return std::pair{indexOf(name + QStringLiteral(QT_TRANSLATE_NOOP("kz", "上限"))),
                             indexOf(name + QStringLiteral(QT_TRANSLATE_NOOP("kz", "下限")))};
        });
    };
    auto *voltage = grid(QStringLiteral(QT_TRANSLATE_NOOP("kz", "电压")), am::kVoltageColumns);
    auto *phaseLoss = new QVBoxLayout;
    for (const char *c : {QT_TRANSLATE_NOOP("kz", "断相总允许"), QT_TRANSLATE_NOOP("kz", "Ua断相"), QT_TRANSLATE_NOOP("kz", "Ub断相"), QT_TRANSLATE_NOOP("kz", "Uc断相")})
        phaseLoss->addWidget(form_->Control(indexOf(QString::fromUtf8(c))));
    auto *voltageRow = new QHBoxLayout;
    voltageRow->addWidget(voltage, 1);
    voltageRow->addLayout(phaseLoss);

    auto *others = new QHBoxLayout;
    for (const char *c : {QT_TRANSLATE_NOOP("kz", "电流不平衡"), QT_TRANSLATE_NOOP("kz", "电压不平蘅"), QT_TRANSLATE_NOOP("kz", "相序错")})
        others->addWidget(form_->Control(indexOf(QString::fromUtf8(c))));
    others->addStretch();

    auto *inputs = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "DI输入有效选择：")), outer);
    inputs->setAccessibleName(inputs->title());
    auto *inputsLayout = new QHBoxLayout(inputs);
    for (const char *g : {"RadioGroup1", "RadioGroup2", "RadioGroup3"})
        inputsLayout->addWidget(form_->Control(g));

    auto *outerLayout = new QVBoxLayout(outer);
    outerLayout->addLayout(voltageRow);
    outerLayout->addWidget(grid(QStringLiteral(QT_TRANSLATE_NOOP("kz", "电流、功率因数")), am::kCurrentColumns));
    outerLayout->addWidget(grid(QStringLiteral(QT_TRANSLATE_NOOP("kz", "功率")), am::kPowerColumns));
    outerLayout->addLayout(others);
    outerLayout->addWidget(inputs);

    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "输入仪表地址：")), &addressLabel, 0);
    auto *buttons = MakeRow({addressLabel, address, nullptr,
                             MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "下  载")), [this] { download(); }),
                             MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "上  载")), [this] { upload(); }),
                             MakeButton("BitBtn4", QStringLiteral(QT_TRANSLATE_NOOP("kz", "全部选择")), [this] { form_->Decode(am::SelectAllData()); }),
                             MakeButton("BitBtn5", QStringLiteral(QT_TRANSLATE_NOOP("kz", "全部清除")), [this] { form_->Decode(am::ClearAllData()); }),
                             MakeButton("BitBtn6", QStringLiteral(QT_TRANSLATE_NOOP("kz", "出厂值设置")), [this] { form_->Decode(am::FactoryData()); }),
                             MakeButton("BitBtn3", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); })});

    MakeColumn({MakeHeading(QStringLiteral("KZ5500E"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪"))), outer, buttons});
    UseFiles(&threephase::SettingsCatalog, {QStringLiteral("alarm-mask")});
}

} // namespace threephase
