#include "threephase/initsettingswindow.h"

#include "ui/fieldform.h"
#include "ui/messagebox.h"
#include "threephase/initsettings.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include "threephase/settingsblocks.h"
#include "ui/settingsfile.h"

namespace threephase {

namespace is = threephase::initsettings;

namespace {
// Any answer that is not the one asked for fails as an upload does.
const ui::SettingsTexts kTexts{QT_TRANSLATE_NOOP("kz", "数据下载成功！！"), nullptr, QT_TRANSLATE_NOOP("kz", "数据上载失败！！"),
                               QT_TRANSLATE_NOOP("kz", "数据上载失败！！")};
} // namespace

InitSettingsWindow::InitSettingsWindow(SerialLink &link, QWidget *parent)
    : SettingsWindow(link, Family::ThreePhase, "threephase::InitSettingsWindow", parent)
{
    // Controls are made in reading order, which is also the keyboard order.
    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "输入仪表地址：")), &addressLabel, 0);
    form_ = new FieldForm(this, is::kFields);

    // A transformer range: the ratio edit with its unit choice.
    auto range = [&](const QString &title, const char *edit, const char *unit) {
        auto *box = new QGroupBox(title, this);
        auto *layout = new QHBoxLayout(box);
        layout->addWidget(form_->Label(edit));
        layout->addWidget(form_->Control(edit));
        layout->addWidget(form_->Control(unit));
        form_->Control(edit)->setToolTip(QStringLiteral(QT_TRANSLATE_NOOP("kz", "最大被率为10000")));
        return box;
    };
    auto *ranges = new QHBoxLayout;
    ranges->addWidget(range(QStringLiteral(QT_TRANSLATE_NOOP("kz", "电压量程")), "LabeledEdit1", "RadioGroup2"));
    ranges->addWidget(range(QStringLiteral(QT_TRANSLATE_NOOP("kz", "电流量程")), "LabeledEdit2", "RadioGroup3"));

    auto *units = new QGridLayout;
    int cell = 0;
    for (const char *group : {"RadioGroup4", "RadioGroup5", "RadioGroup6", "RadioGroup7", "RadioGroup8"}) {
        units->addWidget(form_->Control(group), cell / 3, cell % 3);
        ++cell;
    }
    auto *delay = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "重合闸延时时间")), this);
    auto *delayLayout = new QHBoxLayout(delay);
    form_->Control("SpinEdit2")->setToolTip(QStringLiteral(QT_TRANSLATE_NOOP("kz", "最大时间为9999秒")));
    delayLayout->addWidget(form_->Control("SpinEdit2"));
    delayLayout->addWidget(new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "秒")), delay));
    units->addWidget(delay, 1, 2);

    auto *settingsButtons = new QHBoxLayout;
    settingsButtons->addStretch();
    QPushButton *settingsUpload = MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "上载数据")), [this] { upload(kSettings); });
    QPushButton *settingsDownload = MakeButton("BitBtn3", QStringLiteral(QT_TRANSLATE_NOOP("kz", "下载数据")), [this] { download(kSettings); });
    // Both blocks have buttons captioned alike: the accessible names tell them apart.
    settingsUpload->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "上载数据（初始化参数）")));
    settingsDownload->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "下载数据（初始化参数）")));
    settingsButtons->addWidget(settingsUpload);
    settingsButtons->addWidget(settingsDownload);

    // The energy bases: an exchange of their own, with their own buttons.
    const EnergyBaseGroup bases = MakeEnergyBaseGroup([this] { upload(kBases); }, [this] { download(kBases); },
                                                      QStringLiteral("0"));
    activeBase_ = bases.active;
    reactiveBase_ = bases.reactive;

    auto *top = new QHBoxLayout;
    top->addWidget(addressLabel);
    top->addWidget(address);
    top->addWidget(form_->Control("RadioGroup1"), 1);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "出厂值设置")), [this] { factoryValues(); }));
    bottom->addWidget(MakeButton("BitBtn6", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返    回")), [this] { CloseWindow(); }));

    MakeColumn({MakeHeading(QStringLiteral("KZ5500E"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪"))), top, ranges, units, settingsButtons,
                bases.box, bottom});
    AddBlock({.block = {is::kFirstRegister, is::kRegisters}, .texts = kTexts, .form = {form_}});
    // A short reply of the bases still gives the values whose bytes are there.
    AddBlock({.block = {.first = is::kBaseRegister, .registers = is::kBaseRegisters, .bytes = is::kBaseReadBytes, .fewest = 1},
              .texts = kTexts,
              .codec = EnergyBaseCodec(bases)});
    // The energy bases belong to this meter alone: never taken from a file.
    UseFiles(&threephase::SettingsCatalog, {QStringLiteral("init"), QString()});
}

void InitSettingsWindow::onShow()
{
    // The texts start from "0" at every show; the choices keep their state.
    for (const char *object : {"LabeledEdit1", "LabeledEdit2"})
        form_->SetValue(form_->IndexOf(object), QStringLiteral("0"));
    activeBase_->setText(QStringLiteral("0"));
    reactiveBase_->setText(QStringLiteral("0"));
}

void InitSettingsWindow::factoryValues()
{
    form_->SetValues(fields::FactoryValues(is::kFields));
    activeBase_->setText(QStringLiteral("0"));
    reactiveBase_->setText(QStringLiteral("0"));
}

} // namespace threephase
