#pragma once
// The wiring check drawn: the phasor diagram (for the window and the
// report) and the one-page PDF report of a check, with the diagram, the
// readings, the verdict, the meter and the time. Qt Gui, no widgets.
#include "threephase/wiring.h"

#include <QDateTime>
#include <QRectF>
#include <QString>

class QPainter;

namespace threephase {

// Three voltages and three currents as arrows from the centre of area, each
// kind to its own scale (the longest fills the radius), labelled with
// magnitude and angle in degrees (Ua at 0, counter-clockwise leading).
void DrawPhasors(QPainter &painter, const QRectF &area, const threephase::wiring::Readings &readings,
                 const threephase::wiring::Verdict &verdict);

// "滞后25.0°（功率因数0.906）", and a correction factor or why there is none.
QString LoadAngleText(double angle);
QString ShortLoadAngleText(double angle); // "滞后25.0°"
QString CorrectionText(const std::optional<double> &factor);

struct WiringReportHeader {
    int address = 0;
    QDateTime time;
};

// The readings, the verdict and the fitting connections as HTML.
QString WiringReportHtml(const WiringReportHeader &header, const threephase::wiring::Readings &readings,
                         const threephase::wiring::Verdict &verdict);
// Writes the one-page PDF; false with a reason when it cannot be written.
bool WriteWiringReport(const QString &path, const WiringReportHeader &header,
                       const threephase::wiring::Readings &readings, const threephase::wiring::Verdict &verdict,
                       QString *error);

} // namespace threephase
