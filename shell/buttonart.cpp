#include "shell/buttonart.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
QFont scriptFont(qreal pixelSize)
{
    QFont f;
    // A brush-script face where one is installed, else a serif CJK face.
    f.setFamilies({QStringLiteral("华文行楷"), QStringLiteral("STXingkai"), QStringLiteral("楷体"),
                   QStringLiteral("KaiTi"), QStringLiteral("AR PL UKai CN"), QStringLiteral("Noto Serif CJK SC"),
                   QStringLiteral("Noto Sans CJK SC"), QStringLiteral("serif")});
    f.setPixelSize(qRound(pixelSize));
    f.setWeight(QFont::DemiBold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}
} // namespace

QPixmap ButtonPicture(const QString &label, const QSize &size, qreal devicePixelRatio)
{
    QPixmap pix(size * devicePixelRatio);
    pix.setDevicePixelRatio(devicePixelRatio);
    pix.fill(Qt::transparent);

    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF r = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient ground(r.topLeft(), r.bottomLeft());
    ground.setColorAt(0.0, QColor(0xFB, 0xFD, 0xFF));
    ground.setColorAt(0.55, QColor(0xE4, 0xEE, 0xFA));
    ground.setColorAt(1.0, QColor(0xC9, 0xDB, 0xF2));
    QPainterPath outline;
    outline.addRoundedRect(r, 4, 4);
    p.fillPath(outline, ground);
    p.setPen(QPen(QColor(0x6E, 0x8F, 0xC0), 1));
    p.drawPath(outline);

    // Shrink the text until it fits with a small margin.
    qreal px = size.height() * 0.68;
    QFont font = scriptFont(px);
    while (px > 8) {
        font = scriptFont(px);
        const QFontMetricsF fm(font);
        if (fm.horizontalAdvance(label) <= size.width() - 12 && fm.height() <= size.height())
            break;
        px -= 1;
    }
    p.setFont(font);
    // A faint light shadow lifts the text off the ground.
    p.setPen(QColor(255, 255, 255, 200));
    p.drawText(r.translated(1, 1), Qt::AlignCenter, label);
    p.setPen(QColor(0x0B, 0x24, 0x7A));
    p.drawText(r, Qt::AlignCenter, label);
    return pix;
}
