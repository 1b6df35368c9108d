// The shared settings core: typed numbers, limit codecs, the reply guard,
// the request frames the windows send, and settings files read and written.
#include "core/calibrationplan.h"
#include "core/fields.h"
#include "core/jsonfile.h"
#include "core/wholefile.h"
#include "link/modbusframes.h"
#include "tests/support/testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

using namespace fields;

TEST(ParseInteger, SignAndDecimalDigitsOnly)
{
    const std::pair<const char *, qint64> good[] = {{"0", 0}, {"+5", 5}, {"-0", 0}, {"007", 7}, {"-12000", -12000},
                                                    {"99999999999999999999999", std::numeric_limits<qint64>::max()}};
    for (const auto &[text, value] : good)
        EXPECT_EQ(ParseInteger(QString::fromUtf8(text)), value) << text;
    for (const char *bad : {"", "-", "+", " 1", "1 ", "1.0", "0x10", "1e3", "１２", "--1"}) {
        QString error;
        EXPECT_FALSE(ParseInteger(QString::fromUtf8(bad), &error)) << bad;
        EXPECT_EQ(error, QStringLiteral("'%1' is not a valid integer value").arg(QString::fromUtf8(bad)));
    }
}

namespace {
struct LimitCase {
    const char *text;
    bool isSigned;
    const char *bytes; // value high, value low, decimals; or the message
};
} // namespace

TEST(LimitCodec, TypedLimitsBecomeTheirRegisterBytes)
{
    const LimitCase cases[] = {
        {"1.000", false, "10 00 03"},  {"220.0", false, "22 00 01"}, {"1.5", false, "00 15 01"},
        {".5", false, "00 05 01"},     {"999", false, "09 99 00"},   {"70000", false, "99 99 00"},
        {"220.05", false, "22 00 01"}, // the unsigned field keeps five characters
        {"-12.5", true, "FF 83 01"},   {"12345", true, "27 0F 00"},  {"-99999", true, "D8 F1 00"},
        {"-0.5", true, "FF FB 01"},    {".1234", true, "04 D2 04"},
        {"-1", false, "“限值”不能为负数！"}, {"abc", false, "'abc' is not a valid integer value"},
        {"1.2.3", true, "'12.3' is not a valid integer value"}, {"", false, "'' is not a valid integer value"},
    };
    for (const LimitCase &c : cases) {
        QString error;
        const auto limit = c.isSigned ? PutSignedLimit(QString::fromUtf8(c.text), "限值", &error)
                                      : PutBcdLimit(QString::fromUtf8(c.text), "限值", &error);
        const char bytes[] = {char(limit ? limit->high : 0), char(limit ? limit->low : 0), char(limit ? limit->decimals : 0)};
        const QString got = limit ? ToHex(QByteArray(bytes, 3)) : error;
        EXPECT_EQ(got, QString::fromUtf8(c.bytes)) << c.text;
    }
}

TEST(LimitCodec, RecordsShowTheirDigitsWithThePointPlaced)
{
    const std::pair<const char *, const char *> cases[] = {
        {"02 20 00 01", "022.0"}, {"09 99 00 00", "0999"}, {"10 00 00 03", "1.000"},
        {"1A F0 00 02", "10.00"}, {"12 34 00 07", "1234"}, {"12", "1200"}};
    for (const auto &[record, text] : cases)
        EXPECT_EQ(BcdLimitText(Hex(record)), QString::fromUtf8(text)) << record;
}

TEST(ReplyGuard, DataStopsAtTheByteCountOrTheFramesEnd)
{
    EXPECT_EQ(ToHex(modbus::ReplyData(WithCrc(Hex("01 03 04 11 22 33 44")))), "11 22 33 44");
    // A frame shorter than its byte count gives only the bytes present.
    EXPECT_EQ(ToHex(modbus::ReplyData(WithCrc(Hex("01 03 10 11 22")))), "11 22");
    // Stray bytes after the byte count are not data.
    EXPECT_EQ(ToHex(modbus::ReplyData(Hex("01 03 01 11 C0 FF EE"))), "11");
    EXPECT_TRUE(modbus::ReplyData(Hex("01 03")).isEmpty());
    EXPECT_TRUE(modbus::ReplyData(Hex("01 03 04 AA")).isEmpty());

    modbus::Exchange ex{modbus::ReadRegisters(1, 0x34, 4), WithCrc(Hex("01 03 08 01 02 03 04 05 06 07 08"))};
    EXPECT_TRUE(ex.IsReadOf(0x03, 8));
    EXPECT_EQ(ex.RequestStart(), 0x34);
    EXPECT_FALSE(ex.IsReadOf(0x03, 4));
    ex.reply = WithCrc(Hex("01 03 08 01 02"));
    EXPECT_FALSE(ex.IsReadOf(0x03, 8)); // the byte count says 8, only 2 are there
}

TEST(RequestFrames, EveryBuilderMakesTheModbusLayout)
{
    const std::pair<QByteArray, const char *> frames[] = {
        {modbus::ReadCoils(1, 0, 3), "01 01 00 00 00 03"},
        {modbus::ReadInputs(2, 0, 3), "02 02 00 00 00 03"},
        {modbus::ReadRegisters(1, 0x1025, 28), "01 03 10 25 00 1C"},
        {modbus::WriteCoil(1, 2, true), "01 05 00 02 FF 00"},
        {modbus::WriteCoil(1, 2, false), "01 05 00 02 00 00"},
        {modbus::WriteRegister(3, 0x0060, 0x1234), "03 06 00 60 12 34"},
        {modbus::WriteRegisters(1, 0x005B, 2, Hex("00 00 7B 2D 00 00 00 00")),
         "01 10 00 5B 00 02 08 00 00 7B 2D 00 00 00 00"},
    };
    for (const auto &[frame, hex] : frames)
        EXPECT_EQ(ToHex(frame), ToHex(WithCrc(Hex(hex)))) << hex;
    EXPECT_EQ(ToHex(modbus::ReadRegisters(1, 0, 0x2A)), "01 03 00 00 00 2A C4 15");
}

// A key given twice is found at any depth and named by its path; keys are
// compared decoded, and what stands inside a string is no key.
TEST(JsonFile, RepeatedKeysAreNamedWhereTheyStand)
{
    const ScopedEnglish english; // the reasons as kzctl prints them
    const std::pair<const char *, const char *> cases[] = {
        {R"({"a":1,"b":{"a":2},"c":[{"a":3},{"a":4}]})", ""},
        {R"({"a":1,"a":2})", "a"},
        {R"({"blocks":[{"x":1},{"fields":[{"name":"n","value":"1","value":"2"}]}]})", "blocks[1].fields[0].value"},
        {R"({"a":"\"a\",","\u0061":2})", "a"},
        {R"([{"k":[1,2],"k":3}])", "[0].k"},
        {R"({"s":"{\"a\":1,\"a\":2}","t":{}})", ""},
        {R"({"x":{"y":1},"x":2})", "x"},
    };
    for (const auto &[json, path] : cases)
        EXPECT_EQ(jsonfile::RepeatedKey(json).toStdString(), path) << json;
    QString error;
    EXPECT_FALSE(jsonfile::ParseObject(R"({"version":1,"version":2})", &error));
    EXPECT_EQ(error, "the key \"version\" is given twice");
}

#ifndef Q_OS_WIN
// Only regular files are read, and never past the bound whatever size they
// claim: /dev/zero (or a link to it) would be read without end, and a pipe
// would wait for a writer.
TEST(JsonFile, OnlyRegularFilesUpToTheBoundAreRead)
{
    const ScopedEnglish english; // the reasons as kzctl prints them
    QTemporaryDir dir;
    const QString link = dir.filePath("zero.json"), fifo = dir.filePath("fifo.json"), big = dir.filePath("big.json");
    ASSERT_TRUE(QFile::link("/dev/zero", link));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1001, ' '));
    file.close();
    const std::pair<QString, QString> refused[] = {
        {"/dev/zero", "/dev/zero is not a regular file"},
        {link, link + " is not a regular file"},
        {fifo, fifo + " is not a regular file"},
        {dir.path(), dir.path() + " is a folder"},
        {big, big + " is larger than 1000 bytes"},
        {dir.filePath("none.json"), "cannot read " + dir.filePath("none.json")},
    };
    for (const auto &[path, reason] : refused) {
        QString error;
        EXPECT_FALSE(jsonfile::ReadBounded(path, 1000, &error)) << path.toStdString();
        EXPECT_TRUE(error.startsWith(reason)) << error.toStdString();
    }
    QString error;
    EXPECT_EQ(jsonfile::ReadBounded(big, 1001, &error).value_or("").size(), 1001) << error.toStdString();

    // A calibration plan is read the same way, bounded far lower, and a key
    // given twice is no choice of the last one.
    const QString plan = dir.filePath("plan.json");
    const std::pair<QByteArray, QString> plans[] = {
        {R"({"limit":0.05,"points":[],"limit":50})", plan + ": the key \"limit\" is given twice"},
        {QByteArray(300 * 1024, ' '), plan + " is larger than 262144 bytes, the most such a file may hold"},
    };
    for (const auto &[json, reason] : plans) {
        ASSERT_TRUE(WriteWholeFile(plan, json));
        EXPECT_FALSE(calib::LoadPlan(plan, "three-phase", {}, &error));
        EXPECT_EQ(error, reason);
    }
    EXPECT_FALSE(calib::LoadPlan(link, "three-phase", {}, &error));
    EXPECT_EQ(error, link + " is not a regular file (a device, pipe or socket); only files are read");
}

// A write that fails part way leaves the file that was there untouched
// (here the process may not write files larger than 4 kB).
TEST(WholeFile, AFailedWriteKeepsTheFileThere)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.json");
    ASSERT_TRUE(WriteWholeFile(path, "old settings"));
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool written = WriteWholeFile(path, QByteArray(8192, 'x'), &error);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_TRUE(error.startsWith("无法保存到 " + path + "：") && !error.endsWith("Unknown error")) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "old settings");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"settings.json"}) << "no temporary file is left";

    // A device there is written, not replaced by a file (a null device of
    // our own, where the system lets us make one).
    const QString device = dir.filePath("null");
    if (mknod(device.toLocal8Bit().constData(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_TRUE(WriteWholeFile(device, "x", &error)) << error.toStdString();
        EXPECT_FALSE(QFileInfo(device).isFile());
    }
}
#endif
