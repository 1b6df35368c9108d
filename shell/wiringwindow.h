#pragma once
// The wiring diagram window: one picture of the three-phase instrument's
// typical connections (three-phase four-wire, three-wire with three and with
// two current transformers) on a cream ground. No controls.
#include <QWidget>

class QSvgRenderer;

class WiringWindow : public QWidget {
    Q_OBJECT
public:
    explicit WiringWindow(QWidget *parent = nullptr);

    // Size of the picture in device-independent pixels.
    static QSize PictureSize() { return {600, 630}; }
    // Whether the picture could be loaded.
    bool PictureLoaded() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSvgRenderer *picture_;
};
