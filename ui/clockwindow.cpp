#include "ui/clockwindow.h"

#include "core/clockblock.h"
#include "ui/messagebox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

ClockWindow::ClockWindow(SerialLink &link, const ClockWindowConfig &config, QWidget *parent)
    : FamilyWindow(link, config.names, parent), config_(config)
{

    // The present address comes first: every request goes to it.
    QLabel *addressLabel = nullptr;
    QLabel *newLabel = nullptr;
    address_ = MakeAddressSpin("SpinEdit2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "原地址:")), &addressLabel, 0);
    newAddress_ = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "新地址：")), &newLabel, 0);

    baud_ = new QComboBox(this);
    baud_->setObjectName("ComboBox1");
    for (const char *rate : clockblock::kBaudRates)
        baud_->addItem(QString::fromUtf8(rate));
    baud_->setCurrentIndex(-1);
    baud_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "通讯拨特率:")));
    auto *baudLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "通讯拨特率:")), this);
    baudLabel->setBuddy(baud_);

    clock_ = new QLineEdit(this);
    clock_->setObjectName("Edit1");
    clock_->setReadOnly(true);
    clock_->setMinimumWidth(170);
    clock_->setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "仪表当前时间:")));
    auto *clockLabel = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "仪表当前时间:")), this);
    clockLabel->setBuddy(clock_);

    auto *grid = new QGridLayout;
    grid->addWidget(addressLabel, 0, 0);
    grid->addWidget(address_, 0, 1);
    grid->addWidget(newLabel, 1, 0);
    grid->addWidget(newAddress_, 1, 1);
    grid->addWidget(MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "设置地址")), [this] { setAddress(); }), 1, 2);
    grid->addWidget(baudLabel, 2, 0);
    grid->addWidget(baud_, 2, 1);
    grid->addWidget(MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "设置波特率")), [this] { setBaudRate(); }), 2, 2);
    grid->addWidget(clockLabel, 3, 0);
    grid->addWidget(clock_, 3, 1);
    grid->addWidget(MakeButton("BitBtn3", QStringLiteral(QT_TRANSLATE_NOOP("kz", "校时")), [this] { setClock(); }), 3, 2);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(MakeButton("BitBtn4", QStringLiteral(QT_TRANSLATE_NOOP("kz", "上载数据")), [this] { upload(); }));
    bottom->addWidget(MakeButton(QLatin1String(config.names.returnButton), QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); }));

    MakeColumn({MakeHeading(config.names), grid, bottom});

}

void ClockWindow::upload()
{
    baud_->setCurrentIndex(-1);
    clock_->clear();
    newAddress_->setValue(0);
    Read({config_.base, clockblock::kRegisters}, [this](const QByteArray &data) {
        if (const auto reading = clockblock::Read(data)) {
            clock_->setText(reading->clock);
            address_->setValue(reading->address);
            baud_->setCurrentIndex(reading->baudIndex);
        }
    });
}

void ClockWindow::set(const QByteArray &frame)
{
    Ask(frame, [this](const modbus::Exchange &exchange) {
        if (exchange.Confirms())
            ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "数据设置成功！！")));
    });
}

void ClockWindow::setBaudRate()
{
    // Code 0 is no rate at all: an instrument told so would stop answering.
    if (baud_->currentIndex() < 0) {
        ui::ShowMessage(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "请先选择通讯波特率！")));
        return;
    }
    set(clockblock::BaudRequest(config_.base, static_cast<std::uint8_t>(address_->value()), baud_->currentIndex()));
}

void ClockWindow::setAddress()
{
    set(clockblock::AddressRequest(config_.base, static_cast<std::uint8_t>(address_->value()),
                                   static_cast<std::uint8_t>(newAddress_->value())));
}

void ClockWindow::setClock()
{
    set(clockblock::ClockRequest(config_.base, static_cast<std::uint8_t>(address_->value()), Now()));
}
