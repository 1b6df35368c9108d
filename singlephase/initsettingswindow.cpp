#include "singlephase/initsettingswindow.h"

#include "core/energybase.h"
#include "ui/fieldform.h"
#include "ui/messagebox.h"
#include "singlephase/settings.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include "singlephase/settingsblocks.h"
#include "ui/settingsfile.h"

namespace singlephase {

namespace is = singlephase::initsettings;

InitSettingsWindow::InitSettingsWindow(SerialLink &link, QWidget *parent)
    : SettingsWindow(link, Family::SinglePhase, "singlephase::InitSettingsWindow", parent)
{
    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "输入仪表地址：")), &addressLabel, 0);
    form_ = new FieldForm(this, is::kFields);
    // The groups start with no item selected and the edits empty.
    fields::Values none;
    for (const fields::Field &f : is::kFields)
        none.append(f.kind == fields::Kind::RadioIndex ? QStringLiteral("-1") : QString());
    form_->SetValues(none);

    auto range = [&](const QString &title, const char *edit, QWidget *unit) {
        auto *box = new QGroupBox(title, this);
        auto *layout = new QHBoxLayout(box);
        layout->addWidget(form_->Label(edit));
        layout->addWidget(form_->Control(edit));
        if (unit)
            layout->addWidget(unit);
        form_->Control(edit)->setToolTip(QStringLiteral(QT_TRANSLATE_NOOP("kz", "最大被率为9999")));
        return box;
    };
    auto *top = new QGridLayout;
    top->addWidget(form_->Control("RadioGroup1"), 0, 0, 1, 2);
    top->addWidget(range(QStringLiteral(QT_TRANSLATE_NOOP("kz", "电压量程")), "LabeledEdit1", form_->Control("RadioGroup2")), 1, 0);
    top->addWidget(range(QStringLiteral(QT_TRANSLATE_NOOP("kz", "电流量程")), "LabeledEdit2", nullptr), 1, 1);
    int cell = 0;
    for (const char *group : {"RadioGroup4", "RadioGroup5", "RadioGroup6", "RadioGroup7", "RadioGroup8"}) {
        top->addWidget(form_->Control(group), 2 + cell / 2, cell % 2);
        ++cell;
    }
    auto *delay = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "重合闸延时时间")), this);
    auto *delayLayout = new QHBoxLayout(delay);
    delayLayout->addWidget(form_->Control("SpinEdit2"));
    delayLayout->addWidget(form_->Label("SpinEdit2"));
    top->addWidget(delay, 4, 1);

    auto *settingsButtons = new QHBoxLayout;
    settingsButtons->addStretch();
    QPushButton *settingsUpload = MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "上载数据")),
                                             [this] { upload(kSettings); });
    QPushButton *settingsDownload = MakeButton("BitBtn3", QStringLiteral(QT_TRANSLATE_NOOP("kz", "下载数据")), [this] { download(kSettings); });
    // Both blocks have buttons captioned alike: the accessible names tell them apart.
    settingsUpload->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "上载数据（初始化参数）")));
    settingsDownload->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "下载数据（初始化参数）")));
    settingsButtons->addWidget(settingsUpload);
    settingsButtons->addWidget(settingsDownload);

    const EnergyBaseGroup bases = MakeEnergyBaseGroup([this] { upload(kBases); }, [this] { download(kBases); }, QString());
    activeBase_ = bases.active;
    reactiveBase_ = bases.reactive;

    auto *buttons = MakeRow({addressLabel, address, nullptr,
                             MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "出厂值设置")), [this] { factoryValues(); }),
                             MakeButton("Exit", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返    回")), [this] { CloseWindow(); })});

    MakeColumn({MakeHeading(QStringLiteral("KZ5700E"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪"))), top, settingsButtons, bases.box,
                buttons});
    // A group without a choice, a ratio that is not a whole number or is
    // negative: refused with a message; ratios above 9999 are sent as 9999.
    AddBlock({.block = {is::kFirstRegister, is::kRegisters},
              .texts = {QT_TRANSLATE_NOOP("kz", "数据下载成功！！"), QT_TRANSLATE_NOOP("kz", "数据上载成功！！"),
                        QT_TRANSLATE_NOOP("kz", "数据上载失败！！"), QT_TRANSLATE_NOOP("kz", "数据上载失败！！")},
              .form = {.form = form_, .focusRefused = false}});
    AddBlock({.block = {.first = is::kBaseRegister, .registers = is::kBaseRegisters, .bytes = is::kBaseReadBytes},
              .texts = {QT_TRANSLATE_NOOP("kz", "数据下载成功！！"), nullptr, QT_TRANSLATE_NOOP("kz", "数据上载失败！！"),
                        QT_TRANSLATE_NOOP("kz", "数据上载失败！！")},
              .codec = EnergyBaseCodec(bases)});
    // The energy bases belong to this meter alone: never taken from a file.
    UseFiles(&singlephase::SettingsCatalog, {QStringLiteral("init"), QString()});
}

void InitSettingsWindow::factoryValues()
{
    form_->SetValues(fields::FactoryValues(is::kFields));
    activeBase_->setText(QStringLiteral("0"));
    reactiveBase_->setText(QStringLiteral("0"));
}

} // namespace singlephase
