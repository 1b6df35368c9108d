#pragma once
// A status lamp: a small lime (normal) or red (active) shape. Its caption is
// its accessible name and its state is readable as its accessible
// description ("正常" or "异常"), so assistive technology can tell a lamp's
// state without seeing its colour.
#include <QWidget>

class QHBoxLayout;

class Lamp : public QWidget {
    Q_OBJECT
public:
    enum Shape { Circle, Square };
    Lamp(const QString &objectName, const QString &caption, QWidget *parent = nullptr, Shape shape = Circle);

    bool IsOn() const { return on_; }
    // On shows red, off lime.
    void SetOn(bool on);
    // Shows the given colour as it is, for lamps that blink or show other
    // states (the accessible description says "亮" or "灭").
    void SetColour(const QColor &colour);
    QColor Colour() const { return colour_; }

    static QColor Normal() { return QColor(0x00, 0xFF, 0x00); }
    static QColor Active() { return QColor(0xFF, 0x00, 0x00); }

    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Shape shape_;
    bool on_ = false;
    QColor colour_ = Normal();
};

// The legend of a lamp panel: a lamp off captioned "正常" and one on
// captioned "异常" (with the given object names), each with its label.
QHBoxLayout *MakeLampLegend(QWidget *parent, const char *normalName, const char *activeName);
