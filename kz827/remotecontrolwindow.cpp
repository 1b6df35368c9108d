#include "kz827/remotecontrolwindow.h"

#include "ui/messagebox.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kz827 {

RemoteControlWindow::RemoteControlWindow(SerialLink &link, QWidget *parent)
    : FamilyWindow(link, Family::Kz827, "kz827::RemoteControlWindow", parent)
{
    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "输入仪表地址：")), &addressLabel, 0);
    QHBoxLayout *addressRow = MakeRow({addressLabel, address, nullptr});

    auto *group = new QGroupBox(QStringLiteral(QT_TRANSLATE_NOOP("kz", "遥控")), this);
    group->setObjectName("GroupBox1");
    auto *groupLayout = new QHBoxLayout(group);
    struct Command {
        const char *name;
        const char *caption;
        int coil;
        bool close;
    };
    const Command commands[] = {{"BitBtn9", QT_TRANSLATE_NOOP("kz", "OUT1合闸"), 1, true},
                                {"BitBtn8", QT_TRANSLATE_NOOP("kz", "OUT2合闸"), 2, true},
                                {"BitBtn12", QT_TRANSLATE_NOOP("kz", "OUT1拉闸"), 1, false},
                                {"BitBtn11", QT_TRANSLATE_NOOP("kz", "OUT2拉闸"), 2, false}};
    for (const Command &c : commands) {
        QPushButton *button = MakeButton(QLatin1String(c.name), QString::fromUtf8(c.caption),
                                         [this, c] { switchCoil(c.coil, c.close); });
        groupLayout->addWidget(button);
    }

    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(MakeButton("Exit", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); }));

    MakeColumn({MakeHeading(QStringLiteral("KZ827"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪"))), addressRow, group, bottom});

}

void RemoteControlWindow::switchCoil(int coil, bool close)
{
    const auto address = static_cast<std::uint8_t>(Address());
    Ask(modbus::WriteCoil(address, static_cast<std::uint16_t>(coil), close), [this](const modbus::Exchange &exchange) {
        ui::ShowMessage(this, exchange.Confirms() ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "数据下载成功！！"))
                                                  : QStringLiteral(QT_TRANSLATE_NOOP("kz", "数据下载失败！！")));
    });
}

} // namespace kz827
