#include "ui/displayvalue.h"

#include <QGridLayout>
#include <QLabel>

QLabel *AddDisplayValue(QWidget *area, QGridLayout *grid, int row, const char *caption, const char *name,
                        const QString &initial, const QString &accessible, int enlarge)
{
    auto *label = new QLabel(QString::fromLatin1(caption), area);
    auto *value = new QLabel(initial, area);
    value->setObjectName(QLatin1String(name));
    value->setAccessibleName(accessible);
    value->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    value->setFocusPolicy(Qt::StrongFocus);
    QFont font = value->font();
    font.setPointSize(font.pointSize() + enlarge);
    font.setBold(true);
    label->setFont(font);
    value->setFont(font);
    grid->addWidget(label, row, 0);
    grid->addWidget(value, row, 1);
    return value;
}
