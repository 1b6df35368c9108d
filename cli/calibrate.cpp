#include "cli/calibrate.h"

#include <QTimer>

namespace cli {

void SyncExchanger::Exchange(const QByteArray &request, std::function<void(const QByteArray &reply)> done)
{
    const QByteArray reply = link_.Transact(request).value_or(QByteArray());
    QTimer::singleShot(0, [done = std::move(done), reply] { done(reply); });
}

QString PointLine(const calib::PointResult &r)
{
    const auto number = [](const std::optional<double> &v, int decimals) {
        return v ? QString::number(*v, 'f', decimals) : QStringLiteral("-");
    };
    QString verdict = r.passed ? QStringLiteral("合格") : r.skipped ? QStringLiteral("跳过") : QStringLiteral("不合格");
    return QStringList{QString::number(r.point.point),
                       r.point.name,
                       verdict,
                       QStringLiteral("标准 %1").arg(r.point.ReferenceText()),
                       QStringLiteral("校验前 %1").arg(number(r.before, 4)),
                       QStringLiteral("校验数据 %1").arg(r.word.isEmpty() ? QStringLiteral("-") : r.word),
                       QStringLiteral("校验后 %1").arg(number(r.after, 4)),
                       QStringLiteral("误差 %1%").arg(number(r.error, 4)),
                       QStringLiteral("%1次").arg(r.attempts),
                       r.message}
        .join(QLatin1Char('\t'))
        .trimmed();
}

} // namespace cli
