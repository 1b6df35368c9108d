#include "singlephase/alarmparamswindow.h"

#include "ui/fieldform.h"
#include "ui/messagebox.h"
#include "singlephase/settings.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include "singlephase/settingsblocks.h"
#include "ui/settingsfile.h"

namespace singlephase {

namespace ap = singlephase::alarmparams;

AlarmParamsWindow::AlarmParamsWindow(SerialLink &link, QWidget *parent)
    : SettingsWindow(link, Family::SinglePhase, "singlephase::AlarmParamsWindow", parent)
{
    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit33", QStringLiteral(QT_TRANSLATE_NOOP("kz", "仪表地址：")), &addressLabel, 0);

    // A mode frame: one row per quantity with its five controls, the mode's
    // name written down the side.
    auto *main = new QVBoxLayout(this);
    main->addLayout(MakeHeading(QStringLiteral("KZ5700E"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪"))));
    const char *modes[] = {QT_TRANSLATE_NOOP("kz", "普通模式"), QT_TRANSLATE_NOOP("kz", "基波模式"), QT_TRANSLATE_NOOP("kz", "谐波模式")};
    for (int g = 0; g < 3; ++g) {
        auto *frame = new QGroupBox(this);
        frame->setAccessibleName(QString::fromUtf8(modes[g]));
        auto *layout = new QGridLayout(frame);
        QString vertical;
        for (QChar c : QString::fromUtf8(modes[g]))
            vertical += QString(c) + QLatin1Char('\n');
        vertical.chop(1);
        auto *side = new QLabel(vertical, frame);
        const int rows = static_cast<int>(ap::kGroups[g].table.size()) / 5;
        layout->addWidget(side, 0, 0, rows, 1);
        limits_[g] = new FieldForm(frame, ap::kGroups[g].table);
        for (int i = 0; i < limits_[g]->Size(); ++i) {
            layout->addWidget(limits_[g]->Label(i), i / 5, 1 + (i % 5) * 2, Qt::AlignRight);
            layout->addWidget(limits_[g]->Control(i), i / 5, 2 + (i % 5) * 2);
            if (auto *edit = limits_[g]->Control(i); i % 5 < 3)
                edit->setMaximumWidth(70);
        }
        main->addWidget(frame);
    }

    auto *inputs = new QHBoxLayout;
    inputs_ = new FieldForm(this, ap::kSwitchInputs);
    for (int di = 0; di < 3; ++di) {
        auto *frame = new QGroupBox(QStringLiteral("DI%1").arg(di + 1), this);
        auto *layout = new QGridLayout(frame);
        const int signal = 3 + di, relay = di; // table order: relays first, then signals
        inputs_->Label(signal)->setText(QStringLiteral(QT_TRANSLATE_NOOP("kz", "输入信号选择")));
        inputs_->Label(relay)->setText(QStringLiteral(QT_TRANSLATE_NOOP("kz", "报警对应继电器")));
        layout->addWidget(inputs_->Label(signal), 0, 0);
        layout->addWidget(inputs_->Control(signal), 0, 1);
        layout->addWidget(inputs_->Label(relay), 1, 0);
        layout->addWidget(inputs_->Control(relay), 1, 1);
        inputs->addWidget(frame);
    }
    inputs_->SetValues(fields::FactoryValues(ap::kSwitchInputs));
    main->addLayout(inputs);

    auto *choice = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "下载参数选择：")), this);
    auto *choiceLayout = new QHBoxLayout(choice);
    auto *group = new QButtonGroup(choice);
    for (int g = 0; g < 4; ++g) {
        radios_[g] = new QRadioButton(QString::fromUtf8(ap::kGroups[g].radio), choice);
        radios_[g]->setObjectName(QStringLiteral("RadioButton%1").arg(g + 1));
        group->addButton(radios_[g], g + 1);
        choiceLayout->addWidget(radios_[g]);
    }
    radios_[0]->setChecked(true); // exactly one group is always selected

    auto *buttons = MakeRow({addressLabel, address, choice, nullptr});
    buttons->addWidget(MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "上载数据")), [this] { upload(); }));
    buttons->addWidget(MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "下载数据")), [this] { download(); }));
    buttons->addWidget(MakeButton("BitBtn6", QStringLiteral(QT_TRANSLATE_NOOP("kz", "出厂值设置")), [this] { factoryValues(); }));
    buttons->addWidget(MakeButton("Exit", QStringLiteral(QT_TRANSLATE_NOOP("kz", "退 出")), [this] { CloseWindow(); }));
    main->addLayout(buttons);
    // One entry a group; 上载数据, 下载数据 and files take the group chosen.
    // A reply is decoded only when whole; a limit that is not a number is
    // refused and nothing is sent.
    QStringList keys;
    for (int g = 0; g < 4; ++g) {
        const ap::Group &group = ap::kGroups[g];
        AddBlock({.block = {group.first, group.count},
                  .texts = {QT_TRANSLATE_NOOP("kz", "数据设置成功！！")},
                  .form = {.form = g < 3 ? limits_[g] : inputs_, .focusRefused = false}});
        keys.append(QStringLiteral("alarm-params-%1").arg(g + 1));
    }
    ChooseEntry([this] { return CheckedGroup() - 1; });
    UseFiles(&singlephase::SettingsCatalog, keys);
}

int AlarmParamsWindow::CheckedGroup() const
{
    for (int g = 0; g < 4; ++g)
        if (radios_[g]->isChecked())
            return g + 1;
    return 1;
}

void AlarmParamsWindow::factoryValues()
{
    for (int g = 0; g < 3; ++g)
        limits_[g]->SetValues(fields::FactoryValues(ap::kGroups[g].table));
    inputs_->SetValues(fields::FactoryValues(ap::kSwitchInputs));
}

} // namespace singlephase
