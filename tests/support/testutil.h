#pragma once
// Helpers shared by the tests: hex byte strings and waiting on the event loop.
#include "link/family.h"

#include <QByteArray>
#include <QString>
#include <QTranslator>
#include <functional>

class SerialLink;

// "01 03 00 50" -> bytes. Spaces are optional.
QByteArray Hex(const char *text);
// Bytes -> "01 03 00 50", for readable assertion failures.
QString ToHex(const QByteArray &bytes);
// The same frame with its CRC appended.
QByteArray WithCrc(const QByteArray &frame);
// Writes an executable /bin/sh script with the given body to path.
QString WriteShellScript(const QString &path, const QString &body);
// Runs the event loop until pred() is true or timeoutMs passes; returns pred().
bool WaitFor(const std::function<bool()> &pred, int timeoutMs = 2000);
// Runs the event loop for the given time.
void Pump(int ms);
// Another window (a stand-in) takes the family's replies over, as opening
// another window of the family from its menu does.
void TakeOverByAnother(SerialLink &link, Family family);

// The program's English translation installed for the scope, so that a
// reason from the shared checks reads as kzctl prints it.
class ScopedEnglish {
public:
    ScopedEnglish();
    ~ScopedEnglish();
    ScopedEnglish(const ScopedEnglish &) = delete;
    ScopedEnglish &operator=(const ScopedEnglish &) = delete;

private:
    QTranslator translator_;
};

// True when the test runs under Wine rather than on Windows or Linux.
bool UnderWine();

// Tests that play a serial device on a pseudo-terminal, run /bin/sh
// scripts or drive Linux programs as peers skip where there are none
// (Windows). The skip is listed in the test output with its reason.
#ifdef Q_OS_UNIX
#define KZ_NEEDS_POSIX(what) (void)0
#else
#define KZ_NEEDS_POSIX(what) GTEST_SKIP() << "needs " << what << ", which Windows does not have"
#endif
#define KZ_NEEDS_PTY() KZ_NEEDS_POSIX("a pseudo-terminal")
// A test that fails only through a limitation of Wine, not of Windows or
// the program; the reason names the limitation.
#define KZ_SKIP_UNDER_WINE(reason) \
    if (UnderWine())               \
    GTEST_SKIP() << "Wine: " << reason
