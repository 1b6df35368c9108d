#include "threephase/limitswindow.h"

#include "ui/fieldform.h"
#include "ui/messagebox.h"
#include "threephase/limits.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include "threephase/settingsblocks.h"
#include "ui/settingsfile.h"

namespace threephase {

namespace lim = threephase::limits;

namespace {

bool IsDelay(const fields::Field &f)
{
    return f.kind == fields::Kind::BcdSpin && QString::fromUtf8(f.caption) == QStringLiteral(QT_TRANSLATE_NOOP("kz", "报警延时"));
}

// A group's fields on a grid: each upper limit with the lower limit that
// follows it on one row, every other field on a row of its own, the delay
// followed by its unit.
void LayOut(const FieldForm &form, QGroupBox *box)
{
    auto *grid = new QGridLayout(box);
    const int width = box->fontMetrics().horizontalAdvance(QStringLiteral("-0000.00")) + 16;
    int row = 0;
    for (int i = 0; i < form.Size(); ++i) {
        const fields::Field &f = form.Table()[i];
        if (f.IsTextEdit())
            form.Control(i)->setFixedWidth(width);
        const bool lower = i > 0 && QString::fromUtf8(f.caption).endsWith(QStringLiteral(QT_TRANSLATE_NOOP("kz", "下限"))) &&
                           QString::fromUtf8(form.Table()[i - 1].caption).endsWith(QStringLiteral(QT_TRANSLATE_NOOP("kz", "上限")));
        if (lower) {
            form.AddToGrid(grid, i, row - 1, 2);
            continue;
        }
        form.AddToGrid(grid, i, row, 0);
        if (IsDelay(f)) {
            grid->addWidget(new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "秒")), box), row, 2);
            form.Control(i)->setAccessibleDescription(QStringLiteral(QT_TRANSLATE_NOOP("kz", "秒")));
        }
        ++row;
    }
    grid->setRowStretch(row, 1);
}

} // namespace

LimitsWindow::LimitsWindow(SerialLink &link, QWidget *parent)
    : SettingsWindow(link, Family::ThreePhase, "threephase::LimitsWindow", parent)
{
    std::array<QGroupBox *, 10> boxes{};
    for (int g = 0; g < 10; ++g) {
        boxes[g] = new QGroupBox(QString::fromUtf8(lim::kGroups[g].title), this);
        boxes[g]->setObjectName(QStringLiteral("GroupBox%1").arg(g + 1));
        forms_[g] = new FieldForm(boxes[g], lim::kGroups[g].table);
        LayOut(*forms_[g], boxes[g]);
    }
    const auto stack = [](QGroupBox *upper, QGroupBox *lower) {
        auto *column = new QVBoxLayout;
        column->addWidget(upper);
        column->addWidget(lower);
        return column;
    };
    auto *groups = new QGridLayout;
    groups->addWidget(boxes[0], 0, 0, 2, 1);
    groups->addWidget(boxes[1], 0, 1);
    groups->addLayout(stack(boxes[7], boxes[8]), 1, 1);
    groups->addWidget(boxes[2], 0, 2);
    groups->addWidget(boxes[3], 1, 2);
    groups->addWidget(boxes[4], 0, 3);
    groups->addLayout(stack(boxes[5], boxes[6]), 1, 3);

    // The group that 上载 and 下载 work on; none is chosen at first.
    auto *selection = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "上载、下载参数选择")), this);
    selection->setObjectName("GroupBox11");
    auto *radios = new QGridLayout(selection);
    choice_ = new QButtonGroup(selection);
    for (int g = 0; g < 10; ++g) {
        auto *radio = new QRadioButton(QString::fromUtf8(lim::kGroups[g].radio), selection);
        radio->setObjectName(QStringLiteral("RadioButton%1").arg(g + 1));
        choice_->addButton(radio, g + 1);
        radios->addWidget(radio, g / 5, g % 5);
    }

    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "仪表地址：")), &addressLabel, 0);
    auto *buttons = MakeRow({addressLabel, address, nullptr,
                             MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "上载")), [this] { upload(); }),
                             MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "下载")), [this] { download(); }),
                             MakeButton("BitBtn6", QStringLiteral(QT_TRANSLATE_NOOP("kz", "出厂值设置")), [this] { factoryValues(); }),
                             MakeButton("BitBtn3", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返回")), [this] { back(); })});

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(boxes[9]);
    auto *controls = new QVBoxLayout;
    controls->addWidget(selection);
    controls->addLayout(buttons);
    bottom->addLayout(controls, 1);

    MakeColumn({MakeHeading(QStringLiteral("KZ5500E"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪"))), groups, bottom});
    // One entry a group; 上载, 下载 and files take the group chosen. A
    // reply cut short still fills the fields whose bytes it holds, once it
    // reaches the group's minimum; the others keep the zeros of the upload.
    QStringList keys;
    for (int g = 0; g < 10; ++g) {
        const lim::Group &group = lim::kGroups[g];
        AddBlock({.block = {.first = group.first, .registers = group.count, .fewest = group.minimum},
                  .texts = {QT_TRANSLATE_NOOP("kz", "数据设置成功！！")},
                  .form = {forms_[g]},
                  .beforeUpload = [this, g] { ClearLimitGroup(g + 1); }});
        keys.append(QStringLiteral("limits-%1").arg(g + 1));
    }
    ChooseEntry([this] { return SelectedGroup() - 1; });
    UseFiles(&threephase::SettingsCatalog, keys);
}

void LimitsWindow::onShow()
{
    for (FieldForm *form : forms_)
        for (int i = 0; i < form->Size(); ++i)
            if (form->Table()[i].IsTextEdit())
                form->SetValue(i, QStringLiteral("0"));
}

int LimitsWindow::SelectedGroup()
{
    const int group = choice_->checkedId();
    if (group >= 1 && group <= 10)
        return group;
    // Without a group there is no register block to read or write.
    ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "请选择上载、下载参数！")));
    return 0;
}

void LimitsWindow::ClearLimitGroup(int group)
{
    FieldForm *form = forms_[group - 1];
    for (int i = 0; i < form->Size(); ++i)
        if (form->Table()[i].kind != fields::Kind::ComboByte)
            form->SetValue(i, QStringLiteral("0"));
}

void LimitsWindow::back()
{
    CloseWindow();
}

void LimitsWindow::factoryValues()
{
    // Limit texts only: delays, relays and output choices have no factory
    // value here, and nothing is sent.
    for (FieldForm *form : forms_)
        form->SetValues(fields::FactoryValues(form->Table()));
}

} // namespace threephase
