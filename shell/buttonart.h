#pragma once
// Pictures of the main window's command buttons: the button's label in dark
// blue script on a light ground, drawn at run time so that they stay sharp at
// any screen scale.
#include <QPixmap>
#include <QSize>
#include <QString>

// The picture for a label, size in device-independent pixels.
QPixmap ButtonPicture(const QString &label, const QSize &size, qreal devicePixelRatio = 1.0);
