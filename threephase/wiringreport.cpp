#include "threephase/wiringreport.h"

#include "core/tr.h"
#include "report/calibrationcertificate.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

#include <cmath>
#include <numbers>

namespace threephase {

namespace {

// Phase colours as on switchgear: A yellow, B green, C red.
const QColor kPhaseColours[3] = {QColor(0xC8, 0x96, 0x00), QColor(0x1E, 0x8C, 0x32), QColor(0xC0, 0x28, 0x28)};

QPointF Tip(const QPointF &centre, double length, double degrees)
{
    const double r = degrees * std::numbers::pi / 180.0;
    return centre + QPointF(length * std::cos(r), -length * std::sin(r));
}

void Arrow(QPainter &p, const QPointF &from, const QPointF &to, double head)
{
    p.drawLine(from, to);
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    if (length < 1)
        return;
    const QPointF u = d / length;
    const QPointF n(-u.y(), u.x());
    QPainterPath path;
    path.moveTo(to);
    path.lineTo(to - u * head + n * head * 0.4);
    path.lineTo(to - u * head - n * head * 0.4);
    path.closeSubpath();
    p.fillPath(path, p.pen().color());
}

QString Degrees(double angle)
{
    return QStringLiteral("%1°").arg(angle, 0, 'f', 1);
}

} // namespace

void DrawPhasors(QPainter &p, const QRectF &area, const wiring::Readings &r, const wiring::Verdict &v)
{
    const wiring::Diagram d = wiring::PhasorDiagram(r, v);
    const QPointF centre = area.center();
    const double radius = std::min(area.width(), area.height()) * 0.30;
    const double unit = radius / 30.0; // sizes follow the drawing, on screen and on paper
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xB0, 0xB0, 0xB0), unit * 0.15, Qt::DotLine));
    p.drawEllipse(centre, radius, radius);
    p.drawLine(Tip(centre, radius * 1.08, 180), Tip(centre, radius * 1.08, 0));
    p.drawLine(Tip(centre, radius * 1.08, 90), Tip(centre, radius * 1.08, -90));

    double vMax = 0, iMax = 0;
    for (int k = 0; k < 3; ++k)
        if (d.present[k]) {
            vMax = std::max(vMax, d.voltages[k].magnitude);
            iMax = std::max(iMax, d.currents[k].magnitude);
        }
    QFont font = p.font();
    font.setPixelSize(std::max(8, int(unit * 2.2)));
    p.setFont(font);
    const bool threeWire = r.mode == wiring::Mode::ThreeWire;
    const QString voltageNames[3] = {threeWire ? QStringLiteral("Uab") : QStringLiteral("Ua"), QStringLiteral("Ub"),
                                     threeWire ? QStringLiteral("Ucb") : QStringLiteral("Uc")};
    // A label just beyond its arrow's tip, clear of the arrow whatever its
    // direction.
    const auto label = [&](double length, double angle, const QString &text, const QColor &colour) {
        const QFontMetricsF metrics(p.font(), p.device());
        const QSizeF size(metrics.horizontalAdvance(text) + unit, metrics.height());
        const double r = angle * std::numbers::pi / 180.0;
        const double clear = size.width() / 2 * std::abs(std::cos(r)) + size.height() / 2 * std::abs(std::sin(r));
        const QPointF at = Tip(centre, length + unit * 1.5 + clear, angle);
        p.setPen(colour);
        p.drawText(QRectF(at.x() - size.width() / 2, at.y() - size.height() / 2, size.width(), size.height()),
                   Qt::AlignCenter, text);
    };
    for (int k = 0; k < 3; ++k) {
        if (!d.present[k])
            continue;
        const QColor colour = kPhaseColours[k];
        const double vLength = vMax > 0 ? radius * d.voltages[k].magnitude / vMax : 0;
        p.setPen(QPen(colour, unit * 0.5));
        Arrow(p, centre, Tip(centre, vLength, d.voltages[k].angle), unit * 2.2);
        label(std::max(vLength, radius * 0.15), d.voltages[k].angle,
              v.lost[k] ? kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 %2V 断相")).arg(voltageNames[k]).arg(d.voltages[k].magnitude, 0, 'f', 1)
                        : QStringLiteral("%1 %2V %3").arg(voltageNames[k]).arg(d.voltages[k].magnitude, 0, 'f', 1)
                              .arg(Degrees(d.voltages[k].angle)),
              colour);
        // Without its voltage an element's current angle is unknown.
        if (v.lost[k] && !v.judged[k])
            continue;
        const double iLength = iMax > 0 ? radius * 0.65 * d.currents[k].magnitude / iMax : 0;
        p.setPen(QPen(colour, unit * 0.4, Qt::DashLine));
        Arrow(p, centre, Tip(centre, iLength, d.currents[k].angle), unit * 1.8);
        label(iLength, d.currents[k].angle,
              QStringLiteral("I%1 %2A %3").arg(QChar(u'a' + k)).arg(d.currents[k].magnitude, 0, 'f', 3)
                  .arg(Degrees(d.currents[k].angle)),
              colour);
    }
    p.restore();
}

QString WiringReportHtml(const WiringReportHeader &header, const wiring::Readings &r, const wiring::Verdict &v)
{
    QStringList fonts;
    for (const QString &font : calib::ReportFonts())
        fonts << QLatin1Char('\'') + font + QLatin1Char('\'');
    const auto esc = [](const QString &text) { return text.toHtmlEscaped(); };
    QString html = QStringLiteral("<html><body style=\"font-family: %1; font-size: 9pt;\">").arg(fonts.join(QStringLiteral(", ")));
    html += QStringLiteral("<p><b>%1</b> %2</p>").arg(esc(kz::Tr(QT_TRANSLATE_NOOP("kz", "结论："))), esc(v.text));
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\"><tr>");
    for (const char *h : {QT_TRANSLATE_NOOP("kz", "元件"), QT_TRANSLATE_NOOP("kz", "电压(V)"), QT_TRANSLATE_NOOP("kz", "电流(A)"),
                          QT_TRANSLATE_NOOP("kz", "有功(W)"), QT_TRANSLATE_NOOP("kz", "无功(var)"), QT_TRANSLATE_NOOP("kz", "角度")})
        html += QStringLiteral("<th>%1</th>").arg(esc(kz::Tr(h)));
    html += QStringLiteral("</tr>");
    for (int k = 0; k < 3; ++k) {
        if (r.mode == wiring::Mode::ThreeWire && k == 1)
            continue;
        const double volts = r.mode == wiring::Mode::FourWire ? r.volts[k] : r.lineVolts[k == 0 ? 0 : 1];
        html += QStringLiteral("<tr><td align=\"center\">%1</td><td align=\"right\">%2</td><td align=\"right\">%3</td>"
                               "<td align=\"right\">%4</td><td align=\"right\">%5</td><td align=\"right\">%6</td></tr>")
                    .arg(QChar(u'A' + k))
                    .arg(volts, 0, 'f', 1)
                    .arg(r.amps[k], 0, 'f', 3)
                    .arg(r.watts[k], 0, 'f', 0)
                    .arg(r.vars[k], 0, 'f', 0)
                    .arg(Degrees(v.angles[k]));
    }
    html += QStringLiteral("</table><p>%1 %2 Hz</p>").arg(esc(kz::Tr(QT_TRANSLATE_NOOP("kz", "频率："))))
                .arg(r.hertz, 0, 'f', 2);
    if (!v.fits.isEmpty()) {
        html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\"><tr>");
        for (const char *h : {QT_TRANSLATE_NOOP("kz", "相符的接线"), QT_TRANSLATE_NOOP("kz", "残差"),
                              QT_TRANSLATE_NOOP("kz", "负载角"), QT_TRANSLATE_NOOP("kz", "更正系数")})
            html += QStringLiteral("<th>%1</th>").arg(esc(kz::Tr(h)));
        html += QStringLiteral("</tr>");
        for (const wiring::Fit &f : v.fits)
            html += QStringLiteral("<tr><td>%1</td><td align=\"right\">%2</td><td align=\"right\">%3</td>"
                                   "<td align=\"right\">%4</td></tr>")
                        .arg(esc(f.fault), Degrees(f.residual), esc(LoadAngleText(f.loadAngle)),
                             esc(CorrectionText(f.correction)));
        html += QStringLiteral("</table>");
    }
    html += QStringLiteral("<p>%1</p></body></html>")
                .arg(esc(kz::Tr(QT_TRANSLATE_NOOP("kz", "仪表地址：%1　　检查时间：%2"))
                             .arg(header.address)
                             .arg(header.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))));
    return html;
}

QString ShortLoadAngleText(double angle)
{
    return (angle >= 0 ? kz::Tr(QT_TRANSLATE_NOOP("kz", "滞后%1°")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "超前%1°")))
        .arg(std::abs(angle), 0, 'f', 1);
}

QString LoadAngleText(double angle)
{
    return (angle >= 0 ? kz::Tr(QT_TRANSLATE_NOOP("kz", "滞后%1°（功率因数%2）"))
                       : kz::Tr(QT_TRANSLATE_NOOP("kz", "超前%1°（功率因数%2）")))
        .arg(std::abs(angle), 0, 'f', 1)
        .arg(std::cos(angle * std::numbers::pi / 180.0), 0, 'f', 3);
}

QString CorrectionText(const std::optional<double> &k)
{
    return k ? QString::number(*k, 'f', 3) : kz::Tr(QT_TRANSLATE_NOOP("kz", "无（仪表几乎不计量）"));
}

bool WriteWiringReport(const QString &path, const WiringReportHeader &header, const wiring::Readings &r,
                       const wiring::Verdict &v, QString *error)
{
    // As the certificate: written whole beside the target, then moved in.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    {
        QPdfWriter pdf(&file);
        calib::SetUpReportPage(pdf, kz::Tr(QT_TRANSLATE_NOOP("kz", "接线检查报告")));
        QPainter painter(&pdf);
        const QRect page = painter.viewport();
        QFont font;
        font.setFamilies(calib::ReportFonts());
        font.setPointSizeF(16);
        font.setBold(true);
        painter.setFont(font);
        const QRectF title(0, 0, page.width(), page.height() * 0.05);
        painter.drawText(title, Qt::AlignCenter, kz::Tr(QT_TRANSLATE_NOOP("kz", "接线检查报告")));
        font.setBold(false);
        font.setPointSizeF(9);
        painter.setFont(font);
        const QRectF diagram(0, title.bottom(), page.width(), page.height() * 0.5);
        DrawPhasors(painter, diagram, r, v);
        QTextDocument doc;
        doc.setDefaultFont(font);
        doc.setHtml(WiringReportHtml(header, r, v));
        // The document lays out in points; the page is in device pixels.
        const double scale = pdf.resolution() / 72.0;
        doc.setTextWidth(page.width() / scale);
        painter.translate(0, diagram.bottom());
        painter.scale(scale, scale);
        doc.drawContents(&painter);
    }
    if (file.error() != QFileDevice::NoError || file.size() == 0 || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace threephase
