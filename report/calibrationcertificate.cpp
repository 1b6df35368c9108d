#include "report/calibrationcertificate.h"

#include "core/tr.h"

#include <QFont>
#include <QSaveFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace calib {

namespace {

QString Cell(const QString &text, const char *align = "center")
{
    return QStringLiteral("<td align=\"%1\">%2</td>").arg(QLatin1String(align), text.toHtmlEscaped());
}

QString Number(const std::optional<double> &v, int decimals)
{
    return v ? QString::number(*v, 'f', decimals) : QStringLiteral("—");
}

// The certificate's fonts, TrueType ones first. Qt's PDF writer gives each
// glyph the first code point its font maps to it: with a CFF font such as
// Noto Sans CJK the text layer then read Kangxi radicals for 方 and 工, and
// lost digits drawn with glyphs the font's character map does not reach.
// WenQuanYi Micro Hei (Linux) and Microsoft YaHei (Windows) hold Latin,
// digits and Chinese in TrueType outlines whose map gives every glyph drawn
// its own character back.
const QStringList &Fonts()
{
    return ReportFonts();
}

} // namespace

void SetUpReportPage(QPdfWriter &pdf, const QString &title)
{
    pdf.setTitle(title);
    pdf.setCreator(QStringLiteral("kz"));
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                  QPageLayout::Millimeter));
    pdf.setResolution(300);
}

const QStringList &ReportFonts()
{
    static const QStringList fonts = {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Microsoft YaHei"),
                                      QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC")};
    return fonts;
}

QString FamilyText(Family family)
{
    // In the order of Family.
    static const char *const kTexts[] = {QT_TRANSLATE_NOOP("kz", "三相模块"), QT_TRANSLATE_NOOP("kz", "单相表"), "KZ827KVE"};
    return kz::Tr(kTexts[static_cast<int>(family)]);
}

QString CertificateHtml(const CertificateHeader &header, const RunResult &result)
{
    const bool passed = result.Passed();
    QStringList fonts;
    for (const QString &font : Fonts())
        fonts << QLatin1Char('\'') + font + QLatin1Char('\'');
    QString html = QStringLiteral("<html><body style=\"font-family: %1; font-size: 8pt;\">"
                                  "<h2 align=\"center\">%2</h2><table width=\"100%\" cellpadding=\"3\">")
                       .arg(fonts.join(QStringLiteral(", ")), kz::Tr(QT_TRANSLATE_NOOP("kz", "仪表校验证书")).toHtmlEscaped());
    const auto row = [&html](const QString &a, const QString &b, const QString &c, const QString &d) {
        html += QStringLiteral("<tr><td width=\"15%\"><b>%1</b></td><td width=\"35%\">%2</td>"
                               "<td width=\"15%\"><b>%3</b></td><td width=\"35%\">%4</td></tr>")
                    .arg(a.toHtmlEscaped(), b.toHtmlEscaped(), c.toHtmlEscaped(), d.toHtmlEscaped());
    };
    row(kz::Tr(QT_TRANSLATE_NOOP("kz", "仪表类型")), header.family, kz::Tr(QT_TRANSLATE_NOOP("kz", "通信地址")), QString::number(header.address));
    row(kz::Tr(QT_TRANSLATE_NOOP("kz", "开始时间")), result.started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
        kz::Tr(QT_TRANSLATE_NOOP("kz", "结束时间")), result.finished.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    row(kz::Tr(QT_TRANSLATE_NOOP("kz", "校验方案")), kz::Tr(header.planName), kz::Tr(QT_TRANSLATE_NOOP("kz", "方案来源")), header.planSource);
    row(kz::Tr(QT_TRANSLATE_NOOP("kz", "操作员")),
        header.operatorName.isEmpty() ? QStringLiteral("________________") : header.operatorName,
        kz::Tr(QT_TRANSLATE_NOOP("kz", "校验点数")), QStringLiteral("%1").arg(result.planned));
    html += QStringLiteral("</table><br/>"
                           "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\" style=\"font-size: 7pt;\">"
                           "<tr style=\"background-color: #e8e8e8;\">");
    for (const char *title : {QT_TRANSLATE_NOOP("kz", "点"), QT_TRANSLATE_NOOP("kz", "校验参数"), QT_TRANSLATE_NOOP("kz", "标准源"), QT_TRANSLATE_NOOP("kz", "标准值"), QT_TRANSLATE_NOOP("kz", "校验前"), QT_TRANSLATE_NOOP("kz", "校验数据"), QT_TRANSLATE_NOOP("kz", "校验后"), QT_TRANSLATE_NOOP("kz", "误差(%)"),
                              QT_TRANSLATE_NOOP("kz", "限值(%)"), QT_TRANSLATE_NOOP("kz", "次数"), QT_TRANSLATE_NOOP("kz", "结论")})
        html += QStringLiteral("<th>%1</th>").arg(kz::Tr(title));
    html += QStringLiteral("</tr>");
    for (const PointResult &p : result.points) {
        const QString verdict = Verdict(p);
        html += QStringLiteral("<tr>") + Cell(QString::number(p.point.point)) + Cell(p.point.Title().section(QLatin1Char('['), 0, 0).trimmed(), "left") +
                Cell(p.point.source.Text(), "left") + Cell(p.point.ReferenceText(), "right") +
                Cell(Number(p.before, 3), "right") + Cell(p.word) + Cell(Number(p.after, 3), "right") +
                Cell(Number(p.error, 4), "right") + Cell(QStringLiteral("±%1").arg(p.point.limit)) +
                Cell(QString::number(p.attempts)) + Cell(verdict) + QStringLiteral("</tr>");
        if (!p.passed && !p.message.isEmpty())
            html += QStringLiteral("<tr><td></td><td colspan=\"10\">%1</td></tr>").arg(p.message.toHtmlEscaped());
    }
    html += QStringLiteral("</table>");
    if (!result.stoppedAt.isEmpty())
        html += kz::Tr(QT_TRANSLATE_NOOP("kz", "<p>运行停止于%1；此前写入的校验数据保留在仪表中。</p>")).arg(result.stoppedAt.toHtmlEscaped());
    if (result.points.size() < result.planned)
        html += kz::Tr(QT_TRANSLATE_NOOP("kz", "<p>方案中 %1 个点未校验。</p>")).arg(result.planned - result.points.size());
    html += kz::Tr(QT_TRANSLATE_NOOP("kz", "<h2 align=\"center\">结论：%1</h2>"))
                .arg(passed ? kz::Tr(QT_TRANSLATE_NOOP("kz", "合格")) : kz::Tr(QT_TRANSLATE_NOOP("kz", "不合格")));
    html += kz::Tr(QT_TRANSLATE_NOOP("kz", "<br/><table width=\"100%\"><tr><td>校验员：________________</td>"
                           "<td>审核：________________</td><td>日期：________________</td></tr></table>"
                           "</body></html>"));
    return html;
}

bool WriteCertificate(const QString &path, const CertificateHeader &header, const RunResult &result,
                      QString *error)
{
    // Written whole to a file beside it and put in its place only then: a
    // certificate already there stays until a new one is complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    QPdfWriter pdf(&file);
    SetUpReportPage(pdf, kz::Tr(QT_TRANSLATE_NOOP("kz", "仪表校验证书")));
    QTextDocument doc;
    QFont font;
    font.setFamilies(Fonts());
    doc.setDefaultFont(font);
    doc.setHtml(CertificateHtml(header, result));
    doc.print(&pdf);
    if (file.error() != QFileDevice::NoError || file.size() == 0 || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace calib
