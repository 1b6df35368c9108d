#include "singlephase/alarmenablewindow.h"

#include "ui/fieldform.h"
#include "singlephase/settings.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <span>
#include "singlephase/settingsblocks.h"

namespace singlephase {

namespace ae = singlephase::alarmenable;

AlarmEnableWindow::AlarmEnableWindow(SerialLink &link, QWidget *parent)
    : SettingsWindow(link, Family::SinglePhase, "singlephase::AlarmEnableWindow", {ae::kFirstRegister, ae::kRegisters},
                     {QT_TRANSLATE_NOOP("kz", "参数设置成功！！")}, parent)
{
    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "输入仪表地址：")), &addressLabel, 0);
    auto *outer = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "报警启用设置")), this);
    form_ = new FieldForm(outer, ae::kFields);
    // An upload shows only what the instrument answers; a relay list without
    // a choice is refused rather than sent as 0xFF.
    fields::Values cleared = ae::Preset(false);
    for (int i = ae::kCheckBoxes; i < cleared.size(); ++i)
        cleared[i] = QStringLiteral("-1");
    UseForm({form_, cleared});

    // One frame per mode: a column per quantity, H above L, in bit order.
    int box = 0;
    auto frame = [&](const QString &title, std::span<const char *const> columns) {
        return form_->MakeLimitGrid(outer, title, columns, [&box](const QString &) {
            const int upper = box++;
            return std::pair{upper, box++};
        });
    };
    auto *outerLayout = new QVBoxLayout(outer);
    outerLayout->addWidget(frame(QStringLiteral(QT_TRANSLATE_NOOP("kz", "普通模式")), ae::kColumns));
    outerLayout->addWidget(frame(QStringLiteral(QT_TRANSLATE_NOOP("kz", "基波模式")), ae::kColumns));
    auto *harmonicRow = new QHBoxLayout;
    harmonicRow->addWidget(frame(QStringLiteral(QT_TRANSLATE_NOOP("kz", "谐波模式")), ae::kHarmonicColumns));
    harmonicRow->addWidget(form_->Control("CheckBox33"));
    outerLayout->addLayout(harmonicRow);

    auto *relays = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "继电器对应开关量输入")), outer);
    relays->setAccessibleName(relays->title());
    auto *relaysLayout = new QGridLayout(relays);
    for (int i = 0; i < 3; ++i) {
        const int field = ae::kCheckBoxes + i;
        relaysLayout->addWidget(form_->Label(field), i, 0);
        relaysLayout->addWidget(form_->Control(field), i, 1);
    }
    outerLayout->addWidget(relays);

    auto *buttons = MakeRow({addressLabel, address, nullptr,
                             MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "下  载")), [this] { download(); }),
                             MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "上  载")), [this] { upload(); }),
                             MakeButton("BitBtn4", QStringLiteral(QT_TRANSLATE_NOOP("kz", "全部选择")), [this] { form_->SetValues(ae::Preset(true)); }),
                             MakeButton("BitBtn5", QStringLiteral(QT_TRANSLATE_NOOP("kz", "全部清除")), [this] { form_->SetValues(ae::Preset(false)); }),
                             MakeButton("BitBtn6", QStringLiteral(QT_TRANSLATE_NOOP("kz", "出厂值设置")), [this] { form_->SetValues(ae::Preset(false)); }),
                             MakeButton("Exit", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); })});

    MakeColumn({MakeHeading(QStringLiteral("KZ5700E"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪"))), outer, buttons});
    UseFiles(&singlephase::SettingsCatalog, {QStringLiteral("alarm-enable")});
}

} // namespace singlephase
