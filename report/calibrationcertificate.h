#pragma once
// The certificate of a guided calibration run: a plain A4 page (more when
// the table needs them) with the family, the address, the date and time, an
// operator field, the plan used, a table of every point and the verdict in
// words (合格 / 不合格). Drawn with QTextDocument onto a QPdfWriter; needs
// a QGuiApplication for its fonts, no widgets.
#include "core/calibrationrun.h"
#include "link/family.h"

#include <QString>
#include <QStringList>

class QPdfWriter;

namespace calib {

struct CertificateHeader {
    QString family;   // as the user knows it, e.g. 三相模块
    int address = 0;
    QString operatorName; // empty: a line to sign on
    QString planName;
    QString planSource;   // "默认方案" or the plan file's name
};

// The fonts of the printed documents, TrueType ones first (see the
// certificate's code for why).
const QStringList &ReportFonts();
// The page every printed document uses: A4 portrait, 15 mm margins,
// 300 dpi, with its title.
void SetUpReportPage(QPdfWriter &pdf, const QString &title);

// The certificate as HTML (what the PDF shows).
// The family as a certificate names it: 三相模块, 单相表, KZ827KVE.
QString FamilyText(Family family);

QString CertificateHtml(const CertificateHeader &header, const RunResult &result);
// Writes the PDF to path; false with a reason when it cannot be written.
bool WriteCertificate(const QString &path, const CertificateHeader &header, const RunResult &result,
                      QString *error);

} // namespace calib
