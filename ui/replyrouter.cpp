#include "ui/replyrouter.h"

#include <QPointer>

ReplyRouter::ReplyRouter(SerialLink &link) : QObject(&link), link_(link)
{
    setObjectName(QStringLiteral("ReplyRouter"));
}

ReplyRouter &ReplyRouter::Of(SerialLink &link)
{
    if (auto *router = link.findChild<ReplyRouter *>(QString(), Qt::FindDirectChildrenOnly))
        return *router;
    return *new ReplyRouter(link);
}

void ReplyRouter::ChooseFamily(Family family)
{
    chosen_ = family;
    // A reply nobody waits for is judged, for the record, by the chosen
    // family's lengths.
    link_.UnrequestedLengths = modbus::CalibrationLengthsOf(family);
}

void ReplyRouter::TakeOver(Family family, const void *who, const QString &name)
{
    hold(family) = {who, name};
}

void ReplyRouter::Release(Family family, const void *who)
{
    if (!who || hold(family).who == who)
        hold(family) = {};
}

bool ReplyRouter::Holds(Family family, const void *who) const
{
    return who && CurrentFamily() == family && hold(family).who == who;
}

RequestInfo::Acceptance ReplyRouter::accepts(Family family, const void *requester) const
{
    if (Holds(family, requester))
        return {};
    // Named only when another window of the chosen family holds them.
    return {.taken = false, .holder = CurrentFamily() == family ? hold(family).name : QString()};
}

RequestInfo ReplyRouter::RequestFor(std::optional<Family> family, const void *requester, const QString &name) const
{
    RequestInfo info{.requester = requester,
                     .name = name,
                     .calibration = modbus::CalibrationLengthsOf(family.value_or(CurrentFamily()))};
    if (family) {
        // The router lives as long as the link that runs the check.
        info.accept = [router = QPointer<const ReplyRouter>(this), f = *family, requester] {
            return router ? router->accepts(f, requester) : RequestInfo::Acceptance{};
        };
    }
    return info;
}
