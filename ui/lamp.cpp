#include "ui/lamp.h"

#include <QHBoxLayout>
#include <QLabel>

#include <QPainter>

Lamp::Lamp(const QString &objectName, const QString &caption, QWidget *parent, Shape shape)
    : QWidget(parent), shape_(shape)
{
    setObjectName(objectName);
    setAccessibleName(caption);
    setToolTip(caption);
    setAccessibleDescription(QStringLiteral(QT_TRANSLATE_NOOP("kz", "正常")));
    setFixedSize(sizeHint());
    // Reachable from the keyboard so its name and state can be read.
    setFocusPolicy(Qt::TabFocus);
}

void Lamp::SetOn(bool on)
{
    on_ = on;
    colour_ = on ? Active() : Normal();
    setAccessibleDescription(on ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "异常")) : QStringLiteral(QT_TRANSLATE_NOOP("kz", "正常")));
    update();
}

void Lamp::SetColour(const QColor &colour)
{
    colour_ = colour;
    on_ = colour != Normal();
    setAccessibleDescription(colour == palette().color(QPalette::Window) ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "灭")) : QStringLiteral(QT_TRANSLATE_NOOP("kz", "亮")));
    update();
}

void Lamp::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(hasFocus() ? QPen(palette().color(QPalette::Highlight), 2) : QPen(Qt::black, 1));
    p.setBrush(colour_);
    const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    if (shape_ == Circle)
        p.drawEllipse(r);
    else
        p.drawRect(r);
}

QHBoxLayout *MakeLampLegend(QWidget *parent, const char *normalName, const char *activeName)
{
    auto *legend = new QHBoxLayout;
    auto *normal = new Lamp(normalName, QStringLiteral(QT_TRANSLATE_NOOP("kz", "正常")), parent);
    auto *active = new Lamp(activeName, QStringLiteral(QT_TRANSLATE_NOOP("kz", "异常")), parent);
    active->SetOn(true);
    for (Lamp *l : {normal, active}) {
        auto *label = new QLabel(l->accessibleName(), parent);
        label->setBuddy(l);
        legend->addWidget(l);
        legend->addWidget(label);
    }
    return legend;
}
