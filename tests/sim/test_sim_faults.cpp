// Fault rules (parsing, choice of requests, effect on the wire) and the
// kzsim command line.
#include "link/crc.h"
#include "sim/bus.h"
#include "sim/cli.h"
#include "sim/faults.h"
#include "tests/support/testutil.h"

#include <gtest/gtest.h>

using sim::FaultKind;
using sim::FaultRule;

namespace {

FaultRule Rule(const char *text)
{
    QString error;
    const auto rule = sim::ParseFault(QString::fromLatin1(text), &error);
    EXPECT_TRUE(rule.has_value()) << text << ": " << qPrintable(error);
    return rule.value_or(FaultRule{});
}

const QByteArray kReply = WithCrc(Hex("01 03 04 11 22 33 44")); // 9 bytes

// Which of the first n requests a single rule hits.
QList<int> HitRequests(const char *text, int n, std::uint64_t seed = 1)
{
    sim::FaultInjector faults(seed);
    faults.Add(Rule(text));
    QList<int> hits;
    for (int i = 1; i <= n; ++i) {
        if (faults.Apply(kReply).isEmpty())
            hits.append(i);
    }
    return hits;
}

} // namespace

TEST(SimFaultParse, KindsParametersAndTriggers)
{
    FaultRule r = Rule("drop");
    EXPECT_EQ(r.kind, FaultKind::Drop);
    EXPECT_EQ(r.when, FaultRule::When::Always);

    r = Rule("split:30,4@every=3");
    EXPECT_EQ(r.kind, FaultKind::Split);
    EXPECT_EQ(r.value, 30);
    EXPECT_EQ(r.chunk, 4);
    EXPECT_EQ(r.when, FaultRule::When::Every);
    EXPECT_EQ(r.n, 3);

    r = Rule("delay:800@at=2");
    EXPECT_EQ(r.kind, FaultKind::Delay);
    EXPECT_EQ(r.value, 800);
    EXPECT_EQ(r.when, FaultRule::When::At);
    EXPECT_EQ(r.n, 2);

    r = Rule("garbage@prob=0.25");
    EXPECT_EQ(r.kind, FaultKind::Garbage);
    EXPECT_EQ(r.value, -1);
    EXPECT_EQ(r.when, FaultRule::When::Probability);
    EXPECT_DOUBLE_EQ(r.probability, 0.25);

    EXPECT_EQ(Rule("wrongaddr:0").value, 0);
    EXPECT_EQ(Rule("badcrc").kind, FaultKind::BadCrc);
}

TEST(SimFaultParse, MalformedRulesAreRefusedWithAReason)
{
    for (const char *bad : {"", "lose", "drop:5", "split:1,2,3", "split:-5", "split:10,0", "delay:x",
                            "delay:", "garbage:300", "wrongaddr:256", "drop@every=0", "drop@every=",
                            "drop@at=-1", "drop@prob=1.5", "drop@prob=nan", "drop@sometimes",
                            "drop@every=2@at=3", "DROP"}) {
        QString error;
        EXPECT_FALSE(sim::ParseFault(QString::fromLatin1(bad), &error).has_value()) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}

TEST(SimFaultTrigger, EveryAtAndProbabilityChooseTheRightRequests)
{
    EXPECT_EQ(HitRequests("drop@every=3", 10), (QList<int>{3, 6, 9}));
    EXPECT_EQ(HitRequests("drop@at=2", 10), (QList<int>{2}));
    EXPECT_EQ(HitRequests("drop", 4), (QList<int>{1, 2, 3, 4}));
    EXPECT_TRUE(HitRequests("drop@prob=0", 200).isEmpty());
    EXPECT_EQ(HitRequests("drop@prob=1", 200).size(), 200);

    const QList<int> a = HitRequests("drop@prob=0.3", 1000, 42);
    EXPECT_EQ(a, HitRequests("drop@prob=0.3", 1000, 42)) << "repeatable from the seed";
    EXPECT_NE(a, HitRequests("drop@prob=0.3", 1000, 43));
    EXPECT_GT(a.size(), 240);
    EXPECT_LT(a.size(), 360);
}

TEST(SimFaultTrigger, ReseedingRestartsTheRequestCount)
{
    sim::FaultInjector faults;
    faults.Add(Rule("drop@at=1"));
    EXPECT_TRUE(faults.Apply(kReply).isEmpty());
    EXPECT_FALSE(faults.Apply(kReply).isEmpty());
    faults.SetSeed(1);
    EXPECT_EQ(faults.RequestCount(), 0);
    EXPECT_TRUE(faults.Apply(kReply).isEmpty());
}

TEST(SimFaultEffect, EachKindChangesTheReplyAsDescribed)
{
    auto apply = [](const char *text) {
        sim::FaultInjector faults;
        faults.Add(Rule(text));
        return faults.Apply(kReply);
    };

    sim::Transmission t = apply("badcrc");
    ASSERT_EQ(t.size(), 1);
    EXPECT_EQ(t[0].bytes.left(7), kReply.left(7));
    EXPECT_EQ(t[0].bytes.size(), kReply.size());
    EXPECT_FALSE(CheckFrameCrc(t[0].bytes));

    t = apply("split");
    EXPECT_EQ(t, (sim::Transmission{{0, kReply.left(5)}, {50, kReply.mid(5)}}));
    t = apply("split:20,4");
    EXPECT_EQ(t, (sim::Transmission{{0, kReply.left(4)}, {20, kReply.mid(4, 4)}, {20, kReply.mid(8)}}));
    t = apply("split:0,1");
    EXPECT_EQ(t.size(), kReply.size());

    t = apply("garbage:5");
    ASSERT_EQ(t.size(), 1);
    EXPECT_EQ(t[0].bytes.size(), kReply.size() + 5);
    EXPECT_EQ(t[0].bytes.left(kReply.size()), kReply) << "the reply itself stays intact";
    EXPECT_EQ(apply("garbage")[0].bytes.size(), kReply.size() + 3);

    EXPECT_EQ(apply("delay:250"), (sim::Transmission{{250, kReply}}));
    EXPECT_EQ(apply("delay"), (sim::Transmission{{500, kReply}}));

    t = apply("wrongaddr");
    ASSERT_EQ(t.size(), 1);
    EXPECT_EQ(ToHex(t[0].bytes), ToHex(WithCrc(Hex("02 03 04 11 22 33 44"))));
    t = apply("wrongaddr:9");
    EXPECT_EQ(ToHex(t[0].bytes), ToHex(WithCrc(Hex("09 03 04 11 22 33 44"))));
    sim::FaultInjector wrap;
    wrap.Add(Rule("wrongaddr"));
    EXPECT_EQ(wrap.Apply(WithCrc(Hex("FF 99 30 30 30 30")))[0].bytes.at(0), 0);

    EXPECT_TRUE(apply("drop").isEmpty());
}

TEST(SimFaultEffect, RulesHittingOneRequestCombineInAFixedOrder)
{
    sim::FaultInjector faults;
    // Given in reverse order on purpose.
    faults.Add(Rule("delay:100"));
    faults.Add(Rule("split:10,20"));
    faults.Add(Rule("garbage:2"));
    faults.Add(Rule("wrongaddr:5"));
    const sim::Transmission t = faults.Apply(kReply);
    ASSERT_EQ(t.size(), 1);
    EXPECT_EQ(t[0].delayMs, 100);
    EXPECT_EQ(t[0].bytes.left(9), WithCrc(Hex("05 03 04 11 22 33 44")));
    EXPECT_EQ(t[0].bytes.size(), 11);

    sim::FaultInjector dropWins;
    dropWins.Add(Rule("delay:100"));
    dropWins.Add(Rule("drop@every=2"));
    EXPECT_EQ(dropWins.Apply(kReply).size(), 1);
    EXPECT_TRUE(dropWins.Apply(kReply).isEmpty());
}

TEST(SimFaultEffect, OnTheBusOnlyAnsweredRequestsAreCounted)
{
    sim::Bus bus;
    bus.Add(1, sim::Family::ThreePhase);
    bus.Faults().Add(Rule("drop@at=2"));
    const QByteArray probe = WithCrc(Hex("01 99 30 30 30 30"));
    EXPECT_EQ(bus.Respond(probe).size(), 1);
    EXPECT_TRUE(bus.Respond(WithCrc(Hex("05 99 30 30 30 30"))).isEmpty()); // nobody at 5
    QByteArray bad = probe;
    bad[2] = 'x';
    EXPECT_TRUE(bus.Respond(bad).isEmpty());
    EXPECT_TRUE(bus.Respond(probe).isEmpty()) << "second answered request";
    EXPECT_EQ(bus.Respond(probe).size(), 1);
}

// ---- kzsim command line ----

TEST(SimCommandLine, DefaultsToTheDemoBus)
{
    sim::SimOptions o;
    QString error;
    ASSERT_TRUE(sim::ParseArguments({}, &o, &error)) << qPrintable(error);
    EXPECT_EQ(o.instruments, sim::DemoBus());
    EXPECT_EQ(o.instruments.size(), 3);
    EXPECT_EQ(o.seed, 1u);
    EXPECT_TRUE(o.link.isEmpty());
    EXPECT_TRUE(o.faults.isEmpty());
    EXPECT_FALSE(o.help);
}

TEST(SimCommandLine, ReadsEveryOptionInBothSpellings)
{
    sim::SimOptions o;
    QString error;
    ASSERT_TRUE(sim::ParseArguments({"--link", "/tmp/x", "--instrument", "5:kz827", "--instrument=7:three-phase",
                                     "--seed=99", "--fault", "drop@every=2", "--fault=delay:10", "-v",
                                     "--input", "7:3", "--toggle-inputs=20"},
                                    &o, &error))
        << qPrintable(error);
    EXPECT_EQ(o.link, QStringLiteral("/tmp/x"));
    ASSERT_EQ(o.instruments.size(), 2);
    EXPECT_EQ(o.instruments[0], std::make_pair(std::uint8_t{5}, sim::Family::Kz827));
    EXPECT_EQ(o.instruments[1], std::make_pair(std::uint8_t{7}, sim::Family::ThreePhase));
    EXPECT_EQ(o.seed, 99u);
    ASSERT_EQ(o.faults.size(), 2);
    EXPECT_EQ(o.faults[1].kind, FaultKind::Delay);
    EXPECT_TRUE(o.verbose);
    EXPECT_EQ(o.inputs, (QList<std::pair<std::uint8_t, int>>{{7, 3}}));
    EXPECT_EQ(o.toggleSeconds, 20);

    ASSERT_TRUE(sim::ParseArguments({"--help"}, &o, &error));
    EXPECT_TRUE(o.help);
    EXPECT_TRUE(sim::UsageText().contains(QLatin1String("@every=N")));
}

TEST(SimCommandLine, BadArgumentsAreRefusedWithAReason)
{
    const QList<QStringList> bad = {
        {"--instrument", "0:kz827"},
        {"--instrument", "256:kz827"},
        {"--instrument", "1:four-phase"},
        {"--instrument", "kz827"},
        {"--instrument", "1:kz827", "--instrument", "1:single-phase"},
        {"--seed", "-3"},
        {"--seed"},
        {"--link"},
        {"--link="},
        {"--fault", "sometimes"},
        {"--frobnicate"},
        {"--input", "1:4"},
        {"--input", "0:1"},
        {"--toggle-inputs", "0"},
        {"extra"},
    };
    for (const QStringList &args : bad) {
        sim::SimOptions o;
        QString error;
        EXPECT_FALSE(sim::ParseArguments(args, &o, &error)) << qPrintable(args.join(' '));
        EXPECT_FALSE(error.isEmpty()) << qPrintable(args.join(' '));
    }
}
