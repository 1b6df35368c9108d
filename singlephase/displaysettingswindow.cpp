#include "singlephase/displaysettingswindow.h"

#include "ui/fieldform.h"
#include "singlephase/settings.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include "singlephase/settingsblocks.h"

namespace singlephase {

namespace d = singlephase::display;

DisplaySettingsWindow::DisplaySettingsWindow(SerialLink &link, QWidget *parent)
    : SettingsWindow(link, Family::SinglePhase, "singlephase::DisplaySettingsWindow", {d::kFirstRegister, d::kRegisters},
                     {QT_TRANSLATE_NOOP("kz", "参数下载成功！！")}, parent)
{
    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "仪表地址：")), &addressLabel, 0);
    form_ = new FieldForm(this, d::kFields);
    // A list without a choice is refused rather than sent as 0xFF.
    UseForm({form_, d::Reset(), false});

    // One frame per display window: its list, then its interval in seconds.
    auto *windows = new QHBoxLayout;
    const char *titles[] = {QT_TRANSLATE_NOOP("kz", "上窗口参数设置"), QT_TRANSLATE_NOOP("kz", "中窗口参数设置"), QT_TRANSLATE_NOOP("kz", "下窗口参数设置")};
    for (int i = 0; i < 3; ++i) {
        auto *box = new QGroupBox(QString::fromUtf8(titles[i]), this);
        auto *layout = new QGridLayout(box);
        layout->addWidget(form_->Label(i), 0, 0);
        layout->addWidget(form_->Control(i), 0, 1, 1, 2);
        layout->addWidget(form_->Label(d::kFirstSpin + i), 1, 0);
        layout->addWidget(form_->Control(d::kFirstSpin + i), 1, 1);
        layout->addWidget(new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "秒")), box), 1, 2);
        windows->addWidget(box);
    }

    auto *metering = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "有功电能计量定时：")), this);
    auto *meteringLayout = new QHBoxLayout(metering);
    const int meteringTime = d::kFirstSpin + 3;
    form_->Label(meteringTime)->setText(QStringLiteral(QT_TRANSLATE_NOOP("kz", "定时")));
    meteringLayout->addWidget(form_->Label(meteringTime));
    meteringLayout->addWidget(form_->Control(meteringTime));
    meteringLayout->addWidget(new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "秒")), metering));

    auto *mask = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "下窗口显示屏蔽选择")), this);
    auto *maskLayout = new QGridLayout(mask);
    for (int i = d::kFirstBox; i < d::kFirstSpin; ++i)
        maskLayout->addWidget(form_->Control(i), (i - d::kFirstBox) / 5, (i - d::kFirstBox) % 5);

    auto *buttons = MakeRow({addressLabel, address, nullptr,
                             MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "上  载")), [this] { upload(); }),
                             MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "下  载")), [this] { download(); }),
                             MakeButton("BitBtn4", QStringLiteral(QT_TRANSLATE_NOOP("kz", "全 选")), [this] { form_->SetValues(d::AllBoxes(true)); }),
                             MakeButton("BitBtn5", QStringLiteral(QT_TRANSLATE_NOOP("kz", "全 清")), [this] { form_->SetValues(d::AllBoxes(false)); }),
                             MakeButton("BitBtn6", QStringLiteral(QT_TRANSLATE_NOOP("kz", "出厂值设置")), [this] { factoryValues(); }),
                             MakeButton("Exit", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); })});

    auto *main = MakeColumn({MakeHeading(QStringLiteral("KZ5700E"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪"))), windows, metering,
                             mask, new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "注：(显示时间间隔最大值不大于99秒；")), this)});
    main->addWidget(new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "有功电能计量定时值不大于9999秒。)")), this));
    main->addLayout(buttons);
    UseFiles(&singlephase::SettingsCatalog, {QStringLiteral("display")});
}

void DisplaySettingsWindow::factoryValues()
{
    form_->SetValues(fields::FactoryValues(d::kFields));
}

} // namespace singlephase
