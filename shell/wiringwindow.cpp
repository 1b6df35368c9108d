#include "shell/wiringwindow.h"

#include <QPainter>
#include <QSvgRenderer>

namespace {
constexpr int kMargin = 12;
}

WiringWindow::WiringWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), picture_(new QSvgRenderer(QStringLiteral(":/assets/wiring.svg"), this))
{
    setObjectName(QStringLiteral("KZ5500_Connectiondcu"));
    setWindowTitle(QStringLiteral(QT_TRANSLATE_NOOP("kz", "KZ5500E典型接线图")));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xFF, 0xF8, 0xDC)); // cream
    setPalette(pal);
    setFixedSize(PictureSize() + QSize(2 * kMargin, 2 * kMargin));
    setAccessibleName(windowTitle());
    setAccessibleDescription(QStringLiteral(QT_TRANSLATE_NOOP("kz", "三相四线、三相三线（三个电流互感器）和三相三线（两个电流互感器）的接线图，"
                                            "A、B、C 相（及 N 线）接到端子 13 至 24")));
}

bool WiringWindow::PictureLoaded() const
{
    return picture_->isValid();
}

void WiringWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QSize size = PictureSize();
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    picture_->render(&p, target);
}
