#include "ui/replyrouter.h"

#include "link/seriallink.h"
#include "tests/support/fakeport.h"
#include "tests/support/testutil.h"

#include <gtest/gtest.h>

namespace {

struct Routed : ::testing::Test {
    FakePortControl port;
    SerialLink link{&port};
    ReplyRouter &router = ReplyRouter::Of(link);
    // Who sends: the address of a name stands for its window.
    const QString a = QStringLiteral("A"), b = QStringLiteral("B");
};

} // namespace

TEST_F(Routed, OneRouterPerLink)
{
    EXPECT_EQ(&ReplyRouter::Of(link), &router);
    FakePortControl otherPort;
    SerialLink other{&otherPort};
    EXPECT_NE(&ReplyRouter::Of(other), &router);
}

TEST_F(Routed, HoldersFollowTakeOverReleaseAndTheChosenFamily)
{
    EXPECT_FALSE(router.ChosenFamily());
    EXPECT_EQ(router.CurrentFamily(), Family::ThreePhase);
    router.TakeOver(Family::ThreePhase, &a, a);
    router.TakeOver(Family::SinglePhase, &b, b);
    EXPECT_TRUE(router.Holds(Family::ThreePhase, &a));
    // Only the chosen family's holder takes replies.
    EXPECT_FALSE(router.Holds(Family::SinglePhase, &b));
    router.ChooseFamily(Family::SinglePhase);
    EXPECT_TRUE(router.Holds(Family::SinglePhase, &b));
    // A closing window leaves another's hold alone.
    router.Release(Family::SinglePhase, &a);
    EXPECT_TRUE(router.Holds(Family::SinglePhase, &b));
    router.Release(Family::SinglePhase);
    EXPECT_FALSE(router.Holds(Family::SinglePhase, &b));
    EXPECT_EQ(router.Holder(Family::SinglePhase), nullptr);
    EXPECT_EQ(router.Holder(Family::ThreePhase), &a);
}

// What a request's check answers when its reply comes, after what happened
// in between: the reply is the asking window's only while it holds its
// family's replies and the family is the chosen one; who holds them instead
// is named only within the chosen family.
TEST_F(Routed, AReplyIsTakenOnlyByTheWindowThatAskedWhileItHoldsTheFamily)
{
    struct Case {
        const char *what;
        std::function<void(ReplyRouter &, const QString &a, const QString &b)> between;
        bool taken;
        const char *holder;
    };
    const Case cases[] = {
        {"nothing", [](ReplyRouter &, const QString &, const QString &) {}, true, ""},
        {"taken over", [](ReplyRouter &r, const QString &, const QString &b) { r.TakeOver(Family::ThreePhase, &b, b); },
         false, "B"},
        {"closed", [](ReplyRouter &r, const QString &a, const QString &) { r.Release(Family::ThreePhase, &a); }, false, ""},
        {"another closed", [](ReplyRouter &r, const QString &, const QString &b) { r.Release(Family::ThreePhase, &b); },
         true, ""},
        {"family changed", [](ReplyRouter &r, const QString &, const QString &) { r.ChooseFamily(Family::Kz827); },
         false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        router.ChooseFamily(Family::ThreePhase);
        router.TakeOver(Family::ThreePhase, &a, a);
        const RequestInfo info = router.RequestFor(Family::ThreePhase, &a, a);
        ASSERT_TRUE(info.accept);
        c.between(router, a, b);
        const RequestInfo::Acceptance acceptance = info.accept();
        EXPECT_EQ(acceptance.taken, c.taken);
        EXPECT_EQ(acceptance.holder, QString::fromUtf8(c.holder));
    }
    // A window of every family takes its replies whoever holds which.
    const RequestInfo anyFamily = router.RequestFor(std::nullopt, &a, a);
    EXPECT_FALSE(anyFamily.accept);
}

// The family chosen sets the calibration lengths: of a request that names
// no family, and of a reply nobody waits for (judged for the record).
TEST_F(Routed, TheChosenFamilysLengthsApplyWhereNoFamilyIsNamed)
{
    router.ChooseFamily(Family::Kz827);
    const modbus::CalibrationLengths kz827 = modbus::CalibrationLengthsOf(Family::Kz827);
    EXPECT_EQ(router.RequestFor(std::nullopt, &a, a).calibration.data, kz827.data);
    EXPECT_EQ(router.RequestFor(Family::ThreePhase, &a, a).calibration.data,
              modbus::CalibrationLengthsOf(Family::ThreePhase).data);
    port.SetPortOpen(true);
    link.PrepareReceive();
    // A whole KZ827 calibration data reply, unasked: recorded as whole.
    QByteArray data = Hex("01 AA 72");
    data.append(QByteArray(kz827.data - 5, '\0'));
    link.Dispatch(WithCrc(data));
    EXPECT_EQ(link.Log().At(link.Log().Size() - 1).verdict, FrameRecord::Verdict::Unrequested);
}
