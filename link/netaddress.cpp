#include "link/netaddress.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QRegularExpression>

namespace {
const QLatin1String kTcp("tcp://");
const QLatin1String kMbtcp("mbtcp://");

bool looksLikeIpv4(const QString &host)
{
    static const QRegularExpression digitsAndDots(QStringLiteral("^[0-9.]+$"));
    return digitsAndDots.match(host).hasMatch();
}
} // namespace

bool IsNetPortName(const QString &name)
{
    return name.startsWith(kTcp, Qt::CaseInsensitive) || name.startsWith(kMbtcp, Qt::CaseInsensitive);
}

QString HostProblem(const QString &host)
{
    if (host.isEmpty())
        return QStringLiteral(QT_TRANSLATE_NOOP("kz", "主机名为空"));
    if (host.contains(QLatin1Char(':'))) {
        // Only an IPv6 literal has colons.
        QHostAddress address;
        if (!address.setAddress(host) || address.protocol() != QAbstractSocket::IPv6Protocol)
            return QCoreApplication::translate("kz", "IPv6 地址“%1”格式错误").arg(host);
        return {};
    }
    if (looksLikeIpv4(host)) {
        QHostAddress address;
        if (!address.setAddress(host) || address.protocol() != QAbstractSocket::IPv4Protocol ||
            host.count(QLatin1Char('.')) != 3)
            return QCoreApplication::translate("kz", "IPv4 地址“%1”格式错误").arg(host);
        return {};
    }
    // A host name: dot-separated labels of letters, digits and hyphens, no
    // label starting or ending with a hyphen (a trailing dot is allowed).
    static const QRegularExpression name(QStringLiteral(
        "^(?=.{1,253}\\.?$)([A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)(\\.[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*\\.?$"));
    if (!name.match(host).hasMatch())
        return QCoreApplication::translate("kz", "主机名“%1”格式错误").arg(host);
    return {};
}

std::optional<NetAddress> ParseNetPort(const QString &name, QString *error)
{
    const auto fail = [&](const QString &why) -> std::optional<NetAddress> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    NetAddress a;
    QString rest;
    if (name.startsWith(kTcp, Qt::CaseInsensitive)) {
        a.mode = NetMode::RtuOverTcp;
        rest = name.mid(kTcp.size());
    } else if (name.startsWith(kMbtcp, Qt::CaseInsensitive)) {
        a.mode = NetMode::ModbusTcp;
        rest = name.mid(kMbtcp.size());
    } else {
        return fail(QStringLiteral(QT_TRANSLATE_NOOP("kz", "网络端口应写作 tcp://主机:端口 或 mbtcp://主机:端口")));
    }
    QString portText;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0 || rest.mid(close + 1, 1) != QLatin1String(":"))
            return fail(QStringLiteral(QT_TRANSLATE_NOOP("kz", "IPv6 地址应写在方括号中，后接 :端口，如 [::1]:502")));
        a.host = rest.mid(1, close - 1);
        portText = rest.mid(close + 2);
        if (!a.host.contains(QLatin1Char(':')))
            return fail(QStringLiteral(QT_TRANSLATE_NOOP("kz", "方括号中应为 IPv6 地址")));
    } else {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        if (colon < 0)
            return fail(QStringLiteral(QT_TRANSLATE_NOOP("kz", "缺少端口号（应写作 主机:端口）")));
        a.host = rest.left(colon);
        portText = rest.mid(colon + 1);
        if (a.host.contains(QLatin1Char(':')))
            return fail(QStringLiteral(QT_TRANSLATE_NOOP("kz", "IPv6 地址应写在方括号中，如 [::1]:502")));
    }
    if (const QString why = HostProblem(a.host); !why.isEmpty())
        return fail(why);
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    const int port = digits.match(portText).hasMatch() ? portText.toInt() : 0;
    if (port < 1 || port > 65535)
        return fail(QCoreApplication::translate("kz", "端口号“%1”无效（应为 1～65535）").arg(portText));
    a.port = static_cast<std::uint16_t>(port);
    return a;
}

QString HostAndPort(const QString &host, std::uint16_t port)
{
    return (host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]:%2") : QStringLiteral("%1:%2")).arg(host).arg(port);
}

QString NetPortName(const NetAddress &address)
{
    return (address.mode == NetMode::ModbusTcp ? QLatin1String(kMbtcp) : QLatin1String(kTcp)) +
           HostAndPort(address.host, address.port);
}
