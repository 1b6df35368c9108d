#include "threephase/statepanelwindow.h"

#include "ui/lamp.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace threephase {

namespace {
const char *const kTopRow[] = {"DI1", "DI2", "DI3", "DO1", "DO2", "DO3", "ALI", "ALU", QT_TRANSLATE_NOOP("kz", "相序"), QT_TRANSLATE_NOOP("kz", "通讯"), QT_TRANSLATE_NOOP("kz", "三线"), QT_TRANSLATE_NOOP("kz", "四线")};
const char *const kUpperLeft[] = {"UA", "UB", "UC", "UAB", "UBC", "UCA", "Ueo", "Ue", "FRE"};
const char *const kMiddleLeft[] = {"IA", "IB", "IC", "Ieo", "Io", "PF", "PFA", "PFB", "PFC"};
const char *const kLowerLeft[] = {"P", "Q", "S", "WH", "QH"};
const char *const kBelowLower[] = {"A", "B", "C", "F--H", "R--H"};
const char *const kUpperUnits[] = {"V", "KV", "Hz"};
const char *const kMiddleUnits[] = {"A", "KA", "M.S"};
const char *const kLowerUnits[] = {"KW", "Kvar", "KVA", "KWH", "Kvah"};
const char *const kLowerUnits2[] = {"MW", "KWH", "MVA", "MWH", "Mvrh"};
} // namespace

StatePanelWindow::StatePanelWindow(SerialLink &link, QWidget *parent) : FamilyWindow(link, Family::ThreePhase, "threephase::StatePanelWindow", parent)
{
    int lampNumber = 0;
    // A block of lamps with their captions, columns wide. Lamps of the same
    // caption in different places are told apart by their group's name.
    auto lamps = [&](std::span<const char *const> captions, int columns, const QString &group) {
        auto *grid = new QGridLayout;
        int i = 0;
        for (const char *c : captions) {
            const QString caption = QString::fromUtf8(c);
            auto *lamp = new Lamp(QStringLiteral("Shape%1").arg(++lampNumber),
                                  group.isEmpty() ? caption : group + QLatin1Char(' ') + caption, this);
            auto *label = new QLabel(caption, this);
            label->setBuddy(lamp);
            grid->addWidget(lamp, i / columns, (i % columns) * 2);
            grid->addWidget(label, i / columns, (i % columns) * 2 + 1);
            ++i;
        }
        return grid;
    };
    auto readout = [&](const char *name, const char *text, const QString &caption) {
        auto *edit = new QLineEdit(QString::fromUtf8(text), this);
        edit->setObjectName(QLatin1String(name));
        edit->setReadOnly(true);
        edit->setAccessibleName(caption);
        edit->setAlignment(Qt::AlignRight);
        QFont font = edit->font();
        font.setPixelSize(96);
        edit->setFont(font);
        edit->setStyleSheet(QStringLiteral("color: red; background: #FFFFF0;"));
        edit->setFixedWidth(360);
        return edit;
    };

    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "仪表地址：")), &addressLabel, 0);
    QHBoxLayout *top = MakeHeading(QStringLiteral("KZ5500E"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪")));
    top->addWidget(addressLabel);
    top->addWidget(address);

    auto *panel = new QGridLayout;
    panel->addLayout(lamps(kTopRow, 12, QString()), 0, 0, 1, 4);
    panel->addLayout(lamps(kUpperLeft, 3, QString()), 1, 0);
    panel->addWidget(readout("Edit1", "99.99", QStringLiteral(QT_TRANSLATE_NOOP("kz", "上显示窗"))), 1, 1);
    panel->addLayout(lamps(kUpperUnits, 1, QStringLiteral(QT_TRANSLATE_NOOP("kz", "上单位"))), 1, 2);
    panel->addLayout(lamps(kMiddleLeft, 3, QString()), 2, 0);
    panel->addWidget(readout("Edit2", "99.99", QStringLiteral(QT_TRANSLATE_NOOP("kz", "中显示窗"))), 2, 1);
    panel->addLayout(lamps(kMiddleUnits, 1, QStringLiteral(QT_TRANSLATE_NOOP("kz", "中单位"))), 2, 2);
    panel->addLayout(lamps(kLowerLeft, 1, QString()), 3, 0);
    panel->addWidget(readout("Edit3", "99.999", QStringLiteral(QT_TRANSLATE_NOOP("kz", "下显示窗"))), 3, 1);
    panel->addLayout(lamps(kLowerUnits, 1, QStringLiteral(QT_TRANSLATE_NOOP("kz", "下单位"))), 3, 2);
    panel->addLayout(lamps(kLowerUnits2, 1, QStringLiteral(QT_TRANSLATE_NOOP("kz", "下单位2"))), 3, 3);
    panel->addLayout(lamps(kBelowLower, 5, QStringLiteral(QT_TRANSLATE_NOOP("kz", "下"))), 4, 1);

    // The panel's buttons are part of the picture.
    auto *bottom = MakeRow({nullptr, MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "启  动")), [] {}),
                            MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "停  止")), [] {}),
                            MakeButton("BitBtn3", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); })});

    // A fixed size on every platform: the panel is drawn for it.
    MakeColumn({top, panel, bottom})->setSizeConstraint(QLayout::SetFixedSize);

    // Replies routed here change nothing.
}

} // namespace threephase
