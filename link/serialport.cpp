#include "link/serialport.h"

#include <QCoreApplication>
#include <QStringList>

std::optional<LineSettings> ParseSettings(const QString &text, QString *error)
{
    auto fail = [&](const QString &why) -> std::optional<LineSettings> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return fail(QCoreApplication::translate("kz", "串口参数格式错误：“%1”（应为 波特率,校验,数据位,停止位）").arg(text));
    LineSettings s;
    bool ok = false;
    s.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baud <= 0)
        return fail(QCoreApplication::translate("kz", "波特率无效：“%1”").arg(parts[0]));
    const QString parity = parts[1].trimmed().toLower();
    if (parity != QLatin1String("n") && parity != QLatin1String("o") && parity != QLatin1String("e"))
        return fail(QCoreApplication::translate("kz", "校验位无效：“%1”").arg(parts[1]));
    s.parity = parity.at(0).toLatin1();
    s.dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || s.dataBits < 5 || s.dataBits > 8)
        return fail(QCoreApplication::translate("kz", "数据位无效：“%1”").arg(parts[2]));
    s.stopBits = parts[3].trimmed();
    if (s.stopBits != QLatin1String("1") && s.stopBits != QLatin1String("1.5") && s.stopBits != QLatin1String("2"))
        return fail(QCoreApplication::translate("kz", "停止位无效：“%1”").arg(parts[3]));
    return s;
}

QString EscapeControls(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case 0x2028:
        case 0x2029:
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            break;
        default:
            if (c.category() == QChar::Other_Control)
                out += QLatin1String("\\x") + QString::number(c.unicode(), 16).rightJustified(2, QLatin1Char('0')).toUpper();
            else
                out += c;
        }
    }
    return out;
}

QString PlatformPortName(int commPort)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(commPort);
#else
    return QStringLiteral("/dev/ttyS%1").arg(commPort - 1);
#endif
}
