// The family-neutral pieces of the relay, state, event log and clock
// windows: their frames, the replies they accept, the poll interval, and the
// link sending a repeated held frame once.
#include "core/clockblock.h"
#include "core/eventlog.h"
#include "tests/support/fakeport.h"
#include "core/pollinterval.h"
#include "core/relaycommands.h"
#include "link/seriallink.h"
#include "tests/support/testutil.h"

#include <gtest/gtest.h>

namespace {

modbus::Exchange exchange(const char *request, const char *reply)
{
    return {WithCrc(Hex(request)), WithCrc(Hex(reply))};
}

const relays::Command kTable[] = {
    {"B1", "OUT1合闸", relays::Command::SwitchCoil, 0, false, "OUT1合闸成功！！！"},
    {"B4", "OUT1拉闸", relays::Command::SwitchCoil, 0, true, "OUT1拉闸成功！！！"},
    {"B6", "OUT3拉闸", relays::Command::SwitchCoil, 2, true, "OUT3拉闸成功！！！"},
    {"R1", "读输出状态", relays::Command::ReadOutputs},
    {"R2", "读输入状态", relays::Command::ReadInputs},
};

} // namespace

TEST(RelayCommands, FramesAndTheRepliesTheyExpect)
{
    EXPECT_EQ(ToHex(relays::Request(kTable[2], 5)), "05 05 00 02 FF 00 2C 7E");
    EXPECT_EQ(ToHex(relays::Request(kTable[0], 1)), ToHex(WithCrc(Hex("01 05 00 00 00 00"))));
    EXPECT_EQ(ToHex(relays::Request(kTable[3], 1)), "01 01 00 00 00 03 7C 0B");
    EXPECT_EQ(ToHex(relays::Request(kTable[4], 1)), "01 02 00 00 00 03 38 0B");

    auto in = relays::Read(kTable[4], exchange("01 02 00 00 00 03", "01 02 01 05"));
    EXPECT_EQ(in.kind, relays::Outcome::Inputs);
    EXPECT_EQ(in.bits, 0x05);
    EXPECT_EQ(relays::Read(kTable[3], exchange("01 01 00 00 00 03", "01 01 01 02")).kind, relays::Outcome::Outputs);
    // A read answered by another function, or with no data byte, is nothing.
    EXPECT_EQ(relays::Read(kTable[3], exchange("01 01 00 00 00 03", "01 02 01 02")).kind, relays::Outcome::Nothing);
    EXPECT_EQ(relays::Read(kTable[4], exchange("01 02 00 00 00 03", "01 02 00")).kind, relays::Outcome::Nothing);

    // A switch is confirmed by the echo of its very write: 0000 is 合闸,
    // FF00 拉闸; an echo of another coil or value confirms nothing.
    const auto echo = [](const relays::Command &c, const char *reply) {
        return relays::Read(c, {relays::Request(c, 1), WithCrc(Hex(reply))});
    };
    EXPECT_EQ(echo(kTable[0], "01 05 00 00 00 00").message, "OUT1合闸成功！！！");
    EXPECT_EQ(echo(kTable[1], "01 05 00 00 FF 00").message, "OUT1拉闸成功！！！");
    for (const char *other : {"01 05 00 02 00 00", "01 05 00 00 12 00", "01 05 00 00 FF 00", "01 85 02"})
        EXPECT_EQ(echo(kTable[0], other).kind, relays::Outcome::Nothing) << other;
}

TEST(PollInterval, OnlyWholeNumbersFrom1To65535)
{
    QString error;
    EXPECT_EQ(polling::Interval("500", std::nullopt, &error), 500);
    EXPECT_EQ(polling::Interval("65535", std::nullopt, &error), 65535);
    EXPECT_EQ(polling::Interval("", 1000, &error), 1000);
    for (const char *bad : {"", "abc", "0", "-5", "65536", "70000", "1.5"}) {
        error.clear();
        EXPECT_FALSE(polling::Interval(bad, std::nullopt, &error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
    polling::Interval("x1", std::nullopt, &error);
    EXPECT_EQ(error, "'x1' is not a valid integer value");
}

TEST(EventLog, RowsOnlyFromAWholeLog)
{
    EXPECT_EQ(eventlog::TimeText(Hex("09 05 12 08 30 05")), "2009-5-12  8: 30: 5");
    EXPECT_EQ(eventlog::TimeText(Hex("10 12 31 23 59 59")), "2010-12-31  23: 59: 59");

    static const char *const kinds[] = {"a", "b", "c"};
    const eventlog::Log log{kinds, 4, 2, [](const QByteArray &r, int kind) {
                                return QStringList{ToHex(r), QString::number(kind)};
                            }};
    EXPECT_EQ(ToHex(eventlog::Request(log, 1, 2)), ToHex(WithCrc(Hex("01 03 20 02 00 01"))));
    EXPECT_EQ(eventlog::Register(log, 2), 0x2002);
    const auto rows = eventlog::Rows(log, Hex("01 02 03 04 05 06 07 08"), 2, "c");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1], (QStringList{"2", "c", "05 06 07 08", "2"}));
    // Short or long data.
    EXPECT_TRUE(eventlog::Rows(log, Hex("01 02 03 04"), 2, "c").isEmpty());
    EXPECT_TRUE(eventlog::Rows(log, Hex("01 02 03 04 05 06 07 08 09"), 2, "c").isEmpty());
}

TEST(ClockBlock, FramesAtTheBaseRegisterAndTheBlockRead)
{
    const QDateTime t(QDate(2026, 12, 6), QTime(8, 5, 9));
    EXPECT_EQ(ToHex(clockblock::ClockRequest(0x60, 1, t)),
              ToHex(WithCrc(Hex("01 10 00 60 00 06 0C 07 EA 00 0C 00 06 00 08 00 05 00 09"))));
    EXPECT_EQ(ToHex(clockblock::ClockRequest(0x5C, 1, t)),
              ToHex(WithCrc(Hex("01 10 00 5C 00 06 0C 07 EA 00 0C 00 06 00 08 00 05 00 09"))));
    EXPECT_EQ(ToHex(clockblock::BaudRequest(0x60, 1, 5)), ToHex(WithCrc(Hex("01 10 00 67 00 01 02 00 06"))));
    EXPECT_EQ(ToHex(clockblock::AddressRequest(0x5C, 3, 18)), ToHex(WithCrc(Hex("03 10 00 62 00 01 02 00 12"))));
    EXPECT_EQ(ToHex(clockblock::UploadRequest(0x60, 1)), ToHex(WithCrc(Hex("01 03 00 60 00 08"))));

    const auto read = [](const char *baud) {
        return clockblock::Read(Hex((QByteArray("07 EA 00 03 00 07 00 09 00 05 00 00 00 12 ") + baud).constData()));
    };
    const auto r = read("00 04");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->clock, "2026-3-7  9:5:0");
    EXPECT_EQ(r->address, 18);
    EXPECT_EQ(r->baudIndex, 3);
    EXPECT_EQ(read("00 06")->baudIndex, 5);
    EXPECT_EQ(read("00 00")->baudIndex, 3);
    EXPECT_EQ(read("00 07")->baudIndex, -1);
    // Only the whole block.
    EXPECT_FALSE(clockblock::Read(Hex("07 EA 00 03")));
}

TEST(HeldFrames, AWindowsRepeatedRequestIsHeldOnce)
{
    FakePortControl port;
    SerialLink link(&port);
    port.SetPortOpen(true);
    link.PrepareReceive();
    port.Feed(WithCrc(Hex("01 03 02 12 34")));
    Pump(50); // inside the settle time
    ASSERT_TRUE(link.Collecting());
    const QByteArray poll = WithCrc(Hex("01 03 00 2A 00 04"));
    const int limitState = 3, events = 4; // two windows
    for (int i = 0; i < 20; ++i)
        link.Send(poll, {.requester = &limitState});
    link.Send(poll, {.requester = &events}); // another sender
    link.Send(WithCrc(Hex("02 03 00 2A 00 04")), {.requester = &limitState});
    EXPECT_EQ(link.HeldFrames(), 3);
    ASSERT_TRUE(WaitFor([&] { return port.written.size() == 3; }, 1000));
}
