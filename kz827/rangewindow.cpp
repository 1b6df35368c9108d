#include "kz827/rangewindow.h"

#include "ui/messagebox.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>
#include "kz827/settingsblocks.h"

namespace kz827 {

namespace {

// A radio group of the given items, nothing selected; its buttons are
// named <name>_<item>.
QButtonGroup *RadioGroup(QWidget *parent, QLayout *into, const char *name, const QString &title,
                         const QStringList &items)
{
    auto *box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    // Named by its own title, not by the group it sits in.
    box->setAccessibleName(title);
    auto *layout = new QHBoxLayout(box);
    auto *group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto *radio = new QRadioButton(items[i], box);
        radio->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
        radio->setAccessibleName(title + items[i]);
        group->addButton(radio, i);
        layout->addWidget(radio);
    }
    into->addWidget(box);
    return group;
}

} // namespace

RangeWindow::RangeWindow(SerialLink &link, QWidget *parent)
    : SettingsWindow(link, Family::Kz827, "kz827::RangeWindow", {kz827::kRangeFirst, kz827::kRangeRegisters},
                     {QT_TRANSLATE_NOOP("kz", "数据下载成功！！"), QT_TRANSLATE_NOOP("kz", "数据上载成功！！"), QT_TRANSLATE_NOOP("kz", "数据上载失败！！"),
                      QT_TRANSLATE_NOOP("kz", "数据上载失败！！")}, parent)
{
    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "地址：")), &addressLabel, 0);
    QHBoxLayout *addressRow = MakeRow({addressLabel, address, nullptr});

    // A ratio edit takes up to four digits as typed; an uploaded value is
    // shown whole, however long, so nothing is cut on its way back.
    const auto ratioGroup = [this](const char *groupName, const QString &title, const char *editName,
                                   const QString &what, QLineEdit **edit) {
        auto *box = new QGroupBox(title, this);
        box->setObjectName(QLatin1String(groupName));
        auto *layout = new QHBoxLayout(box);
        *edit = new QLineEdit(QStringLiteral("1"), box);
        (*edit)->setObjectName(QLatin1String(editName));
        (*edit)->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), *edit));
        (*edit)->setToolTip(QStringLiteral(QT_TRANSLATE_NOOP("kz", "最大被率为10000")));
        (*edit)->setAccessibleName(what + QStringLiteral(QT_TRANSLATE_NOOP("kz", "被率")));
        auto *label = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "被率")), box);
        label->setBuddy(*edit);
        layout->addWidget(label);
        layout->addWidget(*edit);
        return box;
    };
    auto *voltageBox = ratioGroup("GroupBox1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "电压量程")), "LabeledEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "电压")), &voltageRatio_);
    voltageUnit_ = RadioGroup(voltageBox, voltageBox->layout(), "RadioGroup2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "电压单位")),
                              {QStringLiteral("V"), QStringLiteral("KV")});
    auto *currentBox = ratioGroup("GroupBox2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "电流量程")), "LabeledEdit2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "电流")), &currentRatio_);
    currentUnit_ = RadioGroup(currentBox, currentBox->layout(), "RadioGroup3", QStringLiteral(QT_TRANSLATE_NOOP("kz", "电流单位")),
                              {QStringLiteral("A"), QStringLiteral("KA")});
    auto *ranges = new QVBoxLayout;
    ranges->addWidget(voltageBox);
    ranges->addWidget(currentBox);
    powerUnit_ = RadioGroup(this, ranges, "RadioGroup4", QStringLiteral(QT_TRANSLATE_NOOP("kz", "有功功率单位")),
                            {QStringLiteral("W"), QStringLiteral("KW"), QStringLiteral("MW")});

    auto *blockButtons = MakeRow({MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "上载数据")), [this] { upload(); }),
                                  MakeButton("BitBtn3", QStringLiteral(QT_TRANSLATE_NOOP("kz", "下载数据")), [this] { download(); }),
                                  MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "出厂值设置")), [this] { showSettings({}); }),
                                  MakeButton("Exit", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返    回")), [this] { CloseWindow(); })});

    auto *lower = new QGroupBox(this);
    lower->setObjectName("GroupBox3");
    auto *lowerGrid = new QGridLayout(lower);
    rate_ = new QComboBox(lower);
    rate_->setObjectName("ComboBox1");
    rate_->addItems(kz827::BaudRates());
    rate_->setCurrentIndex(-1);
    rate_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "通讯拨特率")));
    auto *rateLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "通讯拨特率:")), lower);
    rateLabel->setBuddy(rate_);
    auto *oldAddress = new QSpinBox(lower);
    oldAddress->setObjectName("SpinEdit2");
    oldAddress->setRange(0, 255);
    oldAddress->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "原地址")));
    auto *oldLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "原地址:")), lower);
    oldLabel->setBuddy(oldAddress);
    newAddress_ = new QSpinBox(lower);
    newAddress_->setObjectName("SpinEdit3");
    newAddress_->setRange(0, 255);
    newAddress_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "新地址")));
    auto *newLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "新地址：")), lower);
    newLabel->setBuddy(newAddress_);
    lowerGrid->addWidget(rateLabel, 0, 0);
    lowerGrid->addWidget(rate_, 0, 1);
    lowerGrid->addWidget(MakeButton("BitBtn4", QStringLiteral(QT_TRANSLATE_NOOP("kz", "设置波特率")), [this] { setBaudRate(); }), 0, 2);
    lowerGrid->addWidget(oldLabel, 1, 0);
    lowerGrid->addWidget(oldAddress, 1, 1);
    lowerGrid->addWidget(newLabel, 2, 0);
    lowerGrid->addWidget(newAddress_, 2, 1);
    lowerGrid->addWidget(MakeButton("BitBtn5", QStringLiteral(QT_TRANSLATE_NOOP("kz", "设置地址")), [this] { setAddress(); }), 2, 2);

    MakeColumn({MakeHeading(QStringLiteral("KZ827"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪"))), addressRow, ranges, blockButtons,
                lower});
    UseCodec({[this](QString *why) { return kz827::EncodeRange(settings(), why); },
              [this](const QByteArray &data) { showSettings(kz827::DecodeRange(data)); }});
    UseFiles(&kz827::SettingsCatalog, {QStringLiteral("range")});
}

void RangeWindow::select(QButtonGroup *group, int item)
{
    if (QAbstractButton *button = group->button(item)) {
        button->setChecked(true);
        return;
    }
    // No item: an exclusive group only lets go of its choice when not exclusive.
    group->setExclusive(false);
    for (QAbstractButton *button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}

kz827::RangeSettings RangeWindow::settings() const
{
    return {voltageUnit_->checkedId(), voltageRatio_->text(), currentUnit_->checkedId(), currentRatio_->text(),
            powerUnit_->checkedId()};
}

void RangeWindow::showSettings(const kz827::RangeSettings &s)
{
    select(voltageUnit_, s.voltageUnit);
    voltageRatio_->setText(s.voltageRatio);
    select(currentUnit_, s.currentUnit);
    currentRatio_->setText(s.currentRatio);
    select(powerUnit_, s.powerUnit);
}

void RangeWindow::setBaudRate()
{
    if (rate_->currentIndex() < 0) {
        ui::ShowMessage(this, fields::NoChoiceMessage(QStringLiteral(QT_TRANSLATE_NOOP("kz", "通讯拨特率"))));
        return;
    }
    set(kz827::SetBaudFrame(static_cast<std::uint8_t>(Address()), static_cast<std::uint8_t>(rate_->currentIndex())));
}

void RangeWindow::set(const QByteArray &frame)
{
    Ask(frame, [this](const modbus::Exchange &exchange) {
        // Said as the block's download is; any other answer but a read
        // fails as the block's upload does.
        if (exchange.Confirms())
            ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "数据下载成功！！")));
        else if (exchange.Function() != 0x03)
            ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "数据上载失败！！")));
    });
}

void RangeWindow::setAddress()
{
    set(kz827::SetAddressFrame(static_cast<std::uint8_t>(Address()), static_cast<std::uint8_t>(newAddress_->value())));
}

} // namespace kz827
