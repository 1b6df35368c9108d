#include "shell/demo.h"

#include "core/tr.h"

#include <QFileInfo>

namespace {
// Keep only the end of the child's diagnostics: it may log every request.
constexpr int kStderrKeep = 2048;
} // namespace

DemoSimulator::DemoSimulator(QObject *parent) : QObject(parent)
{
    readyTimer_.setSingleShot(true);
    connect(&readyTimer_, &QTimer::timeout, this, [this] {
        fail(kz::Tr(QT_TRANSLATE_NOOP("kz", "模拟仪表程序 %1 在 %2 秒内没有就绪，演示模式不可用。"))
                 .arg(program_)
                 .arg(ReadyTimeoutMs / 1000.0));
        // Ask it to end without waiting here; kill it if it will not.
        stopping_ = true;
        proc_.terminate();
        QTimer::singleShot(StopGraceMs, this, [this] {
            if (proc_.state() != QProcess::NotRunning)
                proc_.kill();
        });
    });
    connect(&proc_, &QProcess::readyReadStandardOutput, this, &DemoSimulator::onStdout);
    connect(&proc_, &QProcess::readyReadStandardError, this, &DemoSimulator::onStderr);
    connect(&proc_, &QProcess::finished, this, &DemoSimulator::onFinished);
    connect(&proc_, &QProcess::errorOccurred, this, &DemoSimulator::onError);
}

DemoSimulator::~DemoSimulator()
{
    Stop();
}

void DemoSimulator::Start(const QString &program, const QStringList &arguments)
{
    program_ = program;
    ptyPath_.clear();
    stdout_.clear();
    stderr_.clear();
    failed_ = false;
    stopping_ = false;
    const QFileInfo fi(program);
    if (!fi.exists() || !fi.isExecutable()) {
        // Reported from the event loop, like every other outcome.
        QTimer::singleShot(0, this, [this] {
            fail(kz::Tr(QT_TRANSLATE_NOOP("kz", "找不到模拟仪表程序 %1，演示模式不可用。")).arg(program_));
        });
        return;
    }
    readyTimer_.start(ReadyTimeoutMs);
    proc_.start(program, arguments, QIODevice::ReadOnly);
}

void DemoSimulator::Stop()
{
    readyTimer_.stop();
    if (proc_.state() == QProcess::NotRunning)
        return;
    stopping_ = true;
    proc_.terminate();
    if (!proc_.waitForFinished(StopGraceMs)) {
        proc_.kill();
        proc_.waitForFinished(1000);
    }
}

void DemoSimulator::onStdout()
{
    stdout_.append(proc_.readAllStandardOutput());
    int nl;
    while ((nl = stdout_.indexOf('\n')) >= 0) {
        const QByteArray line = stdout_.left(nl).trimmed();
        stdout_.remove(0, nl + 1);
        // A pseudo-terminal, or (where there is none, as on Windows) the
        // Modbus TCP gateway the simulator listens as.
        QString port;
        if (line.startsWith("PTY "))
            port = QString::fromLocal8Bit(line.mid(4).trimmed());
        else if (line.startsWith("MBTCP "))
            port = QStringLiteral("mbtcp://") + QString::fromLocal8Bit(line.mid(6).trimmed());
        if (ptyPath_.isEmpty() && !port.isEmpty()) {
            ptyPath_ = port;
            readyTimer_.stop();
            emit Ready(ptyPath_);
        }
    }
    // Nothing else is expected on stdout; never let it grow without bound.
    if (stdout_.size() > 4096)
        stdout_.clear();
}

void DemoSimulator::onStderr()
{
    stderr_.append(proc_.readAllStandardError());
    if (stderr_.size() > kStderrKeep)
        stderr_.remove(0, stderr_.size() - kStderrKeep);
}

QString DemoSimulator::stderrTail() const
{
    const QString text = QString::fromLocal8Bit(stderr_).trimmed();
    if (text.isEmpty())
        return {};
    const QStringList lines = text.split(QLatin1Char('\n'));
    return QStringLiteral("\n") + lines.mid(qMax(0, lines.size() - 3)).join(QLatin1Char('\n'));
}

void DemoSimulator::onFinished(int exitCode, QProcess::ExitStatus status)
{
    readyTimer_.stop();
    if (stopping_)
        return;
    onStderr();
    const QString how = status == QProcess::CrashExit ? kz::Tr(QT_TRANSLATE_NOOP("kz", "异常终止"))
                                                      : kz::Tr(QT_TRANSLATE_NOOP("kz", "退出码 %1")).arg(exitCode);
    if (ptyPath_.isEmpty())
        fail(kz::Tr(QT_TRANSLATE_NOOP("kz", "模拟仪表程序 %1 没有就绪就退出了（%2），演示模式不可用。%3"))
                 .arg(program_, how, stderrTail()));
    else
        fail(kz::Tr(QT_TRANSLATE_NOOP("kz", "模拟仪表程序已退出（%1），模拟仪表不再应答。%2")).arg(how, stderrTail()));
}

void DemoSimulator::onError(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart || stopping_)
        return;
    readyTimer_.stop();
    fail(kz::Tr(QT_TRANSLATE_NOOP("kz", "模拟仪表程序 %1 无法启动：%2")).arg(program_, proc_.errorString()));
}

void DemoSimulator::fail(const QString &message)
{
    if (failed_)
        return;
    failed_ = true;
    emit Failed(message);
}
