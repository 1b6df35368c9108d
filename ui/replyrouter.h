#pragma once
// Which window takes the replies of the bus: the family the user chose, and
// for each family the one window that holds its replies.
//
// The rules: a reply goes only to the window that asked, and only while
// that window still holds its family's replies and its family is the chosen
// one; a window that polls stops when it finds it no longer holds them
// (another window took them over, or the port was lost); a closed window
// gets nothing. The link asks the router through the acceptance check each
// request carries (RequestFor), so the link itself knows no windows.
//
// One router per link, made on first use as the link's child: every window
// and the main window on the same link share it. No widgets.
#include "link/family.h"
#include "link/seriallink.h"

#include <QObject>
#include <QString>
#include <array>
#include <optional>

class ReplyRouter : public QObject {
    Q_OBJECT
public:
    // The router of the link's replies, made on first use.
    static ReplyRouter &Of(SerialLink &link);

    SerialLink &Link() const { return link_; }

    // ---- The chosen family ----
    // The family the user chose; none until one is chosen.
    void ChooseFamily(Family family);
    std::optional<Family> ChosenFamily() const { return chosen_; }
    // The chosen family, three-phase until one is chosen.
    Family CurrentFamily() const { return chosen_.value_or(Family::ThreePhase); }

    // ---- Who takes a family's replies ----
    // Makes who (named name in the record) the one window that takes the
    // family's replies: a request of another window of the family finds its
    // reply dropped, and a window that polls stops when it sees it no longer
    // holds them.
    void TakeOver(Family family, const void *who, const QString &name);
    // Nobody takes the family's replies any more; with who given, only when
    // who holds them (a closing window leaves another's hold alone).
    void Release(Family family, const void *who = nullptr);
    // True when who takes the family's replies and the family is the chosen one.
    bool Holds(Family family, const void *who) const;
    // Who takes the family's replies, chosen or not; nullptr: nobody.
    const void *Holder(Family family) const { return hold(family).who; }

    // What a request of requester (named name) carries: the calibration
    // lengths of its family's meters and, for a window of a family, the
    // check that drops its reply unless it still holds the family's replies
    // when the reply comes. family unset: a window of every family, whose
    // replies are its own whoever holds which family; the chosen family's
    // lengths apply.
    RequestInfo RequestFor(std::optional<Family> family, const void *requester, const QString &name) const;

private:
    explicit ReplyRouter(SerialLink &link);

    struct Hold {
        const void *who = nullptr;
        QString name;
    };
    Hold &hold(Family family) { return holds_[static_cast<std::size_t>(family)]; }
    const Hold &hold(Family family) const { return holds_[static_cast<std::size_t>(family)]; }
    // Whether the reply to requester's request of the family is still taken.
    RequestInfo::Acceptance accepts(Family family, const void *requester) const;

    SerialLink &link_;
    std::optional<Family> chosen_;
    std::array<Hold, 3> holds_{};
};
