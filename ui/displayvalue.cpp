#include "ui/displayvalue.h"

#include <QFrame>

#include <QGridLayout>
#include <QLabel>

namespace {
constexpr const char *kQuantity = "quantity";
}

QLabel *MakeValueLabel(QWidget *parent, const char *name, const QString &quantity, const QString &initial)
{
    auto *value = new QLabel(parent);
    value->setObjectName(QLatin1String(name));
    value->setProperty(kQuantity, quantity);
    value->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    value->setFocusPolicy(Qt::StrongFocus);
    ShowValue(value, initial);
    return value;
}

void ShowValue(QLabel *label, const QString &text)
{
    label->setText(text);
    const QString quantity = label->property(kQuantity).toString();
    label->setAccessibleName(text.isEmpty() ? quantity : quantity + QLatin1Char(' ') + text);
}

QLabel *AddDisplayValue(QWidget *area, QGridLayout *grid, int row, const char *caption, const char *name,
                        const QString &initial, const QString &accessible, int enlarge)
{
    auto *label = new QLabel(QString::fromLatin1(caption), area);
    QLabel *value = MakeValueLabel(area, name, accessible, initial);
    label->setBuddy(value);
    QFont font = value->font();
    font.setPointSize(font.pointSize() + enlarge);
    font.setBold(true);
    label->setFont(font);
    value->setFont(font);
    grid->addWidget(label, row, 0);
    grid->addWidget(value, row, 1);
    return value;
}

QFrame *MakeReadOutPanel(QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName("Panel1");
    panel->setStyleSheet(QStringLiteral("QFrame#Panel1 { background: black; } QLabel { color: lime; }"));
    return panel;
}

PowerReadOuts MakePowerReadOuts(QWidget *parent, int enlarge)
{
    PowerReadOuts r;
    r.panel = MakeReadOutPanel(parent);
    auto *grid = new QGridLayout(r.panel);
    r.power = AddDisplayValue(r.panel, grid, 0, "P:", "StaticText7", QStringLiteral("0.0"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "有功功率")), enlarge);
    r.voltage = AddDisplayValue(r.panel, grid, 1, "U:", "StaticText1", QStringLiteral("0.0V"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电压")), enlarge);
    r.current = AddDisplayValue(r.panel, grid, 2, "I:", "StaticText4", QStringLiteral("0.0A"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电流")), enlarge);
    return r;
}
