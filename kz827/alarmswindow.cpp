#include "kz827/alarmswindow.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include "kz827/settingsblocks.h"

namespace kz827 {

using kz827::Quantity;

namespace {

// Object names of one group's controls, in the order of Controls.
struct GroupNames {
    Quantity quantity;
    const char *title;
    const char *what; // "电压", "电流", "功率"
    const char *edits[4];
    const char *spins[2];
    const char *boxes[2];
};

const GroupNames kGroups[] = {
    {Quantity::Voltage, QT_TRANSLATE_NOOP("kz", "电压"), QT_TRANSLATE_NOOP("kz", "电压"), {"Edit1", "Edit2", "Edit4", "Edit3"}, {"SpinEdit2", "SpinEdit7"}, {"CheckBox1", "CheckBox2"}},
    {Quantity::Current, QT_TRANSLATE_NOOP("kz", "电流"), QT_TRANSLATE_NOOP("kz", "电流"), {"Edit5", "Edit6", "Edit8", "Edit7"}, {"SpinEdit3", "SpinEdit4"}, {"CheckBox3", "CheckBox4"}},
    {Quantity::Power, QT_TRANSLATE_NOOP("kz", "有功功率"), QT_TRANSLATE_NOOP("kz", "功率"), {"Edit9", "Edit10", "Edit12", "Edit11"}, {"SpinEdit5", "SpinEdit6"}, {"CheckBox5", "CheckBox6"}},
};

} // namespace

AlarmsWindow::AlarmsWindow(SerialLink &link, QWidget *parent)
    : SettingsWindow(link, Family::Kz827, "kz827::AlarmsWindow", {kz827::kAlarmFirst, kz827::kAlarmRegisters},
                     {QT_TRANSLATE_NOOP("kz", "数据下载成功！！"), QT_TRANSLATE_NOOP("kz", "数据上载成功！！"), QT_TRANSLATE_NOOP("kz", "数据上载失败！！"),
                      QT_TRANSLATE_NOOP("kz", "数据上载失败！！")}, parent)
{
    auto *groups = new QHBoxLayout;
    int groupNumber = 1;
    for (const GroupNames &g : kGroups) {
        const QString what = QString::fromUtf8(g.what);
        auto *box = new QGroupBox(QString::fromUtf8(g.title), this);
        box->setObjectName(QStringLiteral("GroupBox%1").arg(groupNumber++));
        auto *grid = new QGridLayout(box);
        int row = 0;
        // A labelled control: the label is its buddy; the accessible name
        // carries the quantity, as the relay and enable captions repeat in
        // every group.
        const auto place = [&](QWidget *control, const QString &caption, const QString &accessible) {
            control->setAccessibleName(accessible);
            auto *label = new QLabel(caption, box);
            label->setBuddy(control);
            grid->addWidget(label, row, 0);
            grid->addWidget(control, row, 1);
            ++row;
        };
        const auto edit = [&](const char *name, const QString &caption) {
            auto *e = new QLineEdit(QStringLiteral("0"), box);
            e->setObjectName(QLatin1String(name));
            place(e, caption, caption);
            return e;
        };
        const auto relay = [&](const char *name, const QString &caption) {
            auto *s = new QSpinBox(box);
            s->setObjectName(QLatin1String(name));
            s->setRange(0, 15);
            place(s, caption, what + caption);
            return s;
        };
        const auto check = [&](const char *name, const QString &caption) {
            auto *c = new QCheckBox(caption, box);
            c->setObjectName(QLatin1String(name));
            c->setAccessibleName(what + caption);
            grid->addWidget(c, row++, 0, 1, 2);
            return c;
        };
        Controls &c = controls_[static_cast<int>(g.quantity)];
        c.upper = edit(g.edits[0], what + QStringLiteral(QT_TRANSLATE_NOOP("kz", "上限")));
        c.upperHysteresis = edit(g.edits[1], what + QStringLiteral(QT_TRANSLATE_NOOP("kz", "上限回差值")));
        c.upperRelay = relay(g.spins[0], QStringLiteral(QT_TRANSLATE_NOOP("kz", "上限报警继电器")));
        c.upperEnabled = check(g.boxes[0], QStringLiteral(QT_TRANSLATE_NOOP("kz", "上限报警启用")));
        c.lower = edit(g.edits[2], what + QStringLiteral(QT_TRANSLATE_NOOP("kz", "下限")));
        c.lowerHysteresis = edit(g.edits[3], what + QStringLiteral(QT_TRANSLATE_NOOP("kz", "下限回差值")));
        c.lowerRelay = relay(g.spins[1], QStringLiteral(QT_TRANSLATE_NOOP("kz", "下限报警继电器")));
        c.lowerEnabled = check(g.boxes[1], QStringLiteral(QT_TRANSLATE_NOOP("kz", "下限报警启用")));
        groups->addWidget(box);
    }

    auto *note = new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "电压数据范围（0.000V---9999KV）；电流数据范围（0.000A---9999KA）；"
                                           "功率数据范围（0.000W---9999MW）超出时数据无效")),
                            this);
    note->setObjectName("Label1");
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: lime;"));

    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "仪表地址：")), &addressLabel, 0);
    auto *buttons = MakeRow({addressLabel, address, nullptr,
                             MakeButton("BitBtn6", QStringLiteral(QT_TRANSLATE_NOOP("kz", "出厂值设置")), [this] { showSettings(kz827::FactoryAlarms()); }),
                             MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "下  载")), [this] { download(); }),
                             MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "上  载")), [this] { upload(); }),
                             MakeButton("Exit", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); })});

    MakeColumn({MakeHeading(QStringLiteral("KZ827"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪"))), groups, note, buttons});
    UseCodec({[this](QString *why) { return kz827::EncodeAlarms(settings(), why); },
              [this](const QByteArray &data) { showSettings(kz827::DecodeAlarms(data)); }});
    UseFiles(&kz827::SettingsCatalog, {QStringLiteral("alarms")});
}

kz827::AlarmSettings AlarmsWindow::settings() const
{
    kz827::AlarmSettings s;
    for (int q = 0; q < 3; ++q) {
        const Controls &c = controls_[q];
        s[q] = {c.upper->text(), c.upperHysteresis->text(), c.lower->text(), c.lowerHysteresis->text(),
                c.upperRelay->value(), c.lowerRelay->value(), c.upperEnabled->isChecked(), c.lowerEnabled->isChecked()};
    }
    return s;
}

void AlarmsWindow::showSettings(const kz827::AlarmSettings &s)
{
    for (int q = 0; q < 3; ++q) {
        const Controls &c = controls_[q];
        c.upper->setText(s[q].upper);
        c.upperHysteresis->setText(s[q].upperHysteresis);
        c.lower->setText(s[q].lower);
        c.lowerHysteresis->setText(s[q].lowerHysteresis);
        c.upperRelay->setValue(s[q].upperRelay);
        c.lowerRelay->setValue(s[q].lowerRelay);
        c.upperEnabled->setChecked(s[q].upperEnabled);
        c.lowerEnabled->setChecked(s[q].lowerEnabled);
    }
}

} // namespace kz827
