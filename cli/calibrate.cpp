#include "cli/calibrate.h"

#include <QCoreApplication>
#include <QTimer>
#include <QStringList>
#include <QTranslator>
#include <memory>
#include <utility>

namespace cli {

void SyncExchanger::Exchange(const QByteArray &request, std::function<void(const QByteArray &reply)> done)
{
    const QByteArray reply = link_.Transact(request).value_or(QByteArray());
    QTimer::singleShot(0, [done = std::move(done), reply] { done(reply); });
}

bool SetLanguage(const QString &code)
{
    static QTranslator *translator = nullptr;
    if (code != QLatin1String("en") && code != QLatin1String("zh"))
        return false;
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete std::exchange(translator, nullptr);
    }
    if (code == QLatin1String("zh"))
        return true;
    auto next = std::make_unique<QTranslator>();
    if (!next->load(QStringLiteral(":/i18n/kzdebug_en.qm")))
        return false;
    translator = next.release();
    QCoreApplication::installTranslator(translator);
    return true;
}

QString PointLine(const calib::PointResult &r)
{
    const auto number = [](const std::optional<double> &v, int decimals) {
        return v ? QString::number(*v, 'f', decimals) : QStringLiteral("-");
    };
    return QStringList{QString::number(r.point.point),
                       r.point.Title(),
                       calib::Verdict(r),
                       QStringLiteral("reference %1").arg(r.point.ReferenceText()),
                       QStringLiteral("before %1").arg(number(r.before, 4)),
                       QStringLiteral("word %1").arg(r.word.isEmpty() ? QStringLiteral("-") : r.word),
                       QStringLiteral("after %1").arg(number(r.after, 4)),
                       QStringLiteral("error %1%").arg(number(r.error, 4)),
                       QStringLiteral("%1 attempt(s)").arg(r.attempts),
                       r.message}
        .join(QLatin1Char('\t'))
        .trimmed();
}

QString SourcePrompt(const calib::PlanPoint &p)
{
    return QStringLiteral("point %1 %2: set the standard source to %3; the standard meter should show %4. "
                          "Enter goes on, s skips, q stops: ")
        .arg(p.point)
        .arg(p.Title(), p.source.Text(), p.ReferenceText());
}

} // namespace cli
