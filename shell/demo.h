#pragma once
// Demo mode: runs the instrument simulator as a child process and reports the
// pseudo-terminal (or, on Windows, the local Modbus TCP gateway) it serves
// the demo bus on. The child ends with this object
// (and by itself when this process dies).
#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

class DemoSimulator : public QObject {
    Q_OBJECT
public:
    explicit DemoSimulator(QObject *parent = nullptr);
    ~DemoSimulator() override;

    // Starts the program. Ready or Failed follows from the event loop.
    void Start(const QString &program, const QStringList &arguments = {});
    // Terminates the child and waits for it to end (killing it if it will
    // not). Nothing happens when it does not run.
    void Stop();

    bool Running() const { return proc_.state() != QProcess::NotRunning; }
    qint64 ProcessId() const { return proc_.processId(); }
    // The port the demo bus is served on, once ready: the pseudo-terminal
    // path, or mbtcp://HOST:PORT when the simulator announced a Modbus TCP
    // gateway instead (on Windows, which has no pseudo-terminals).
    QString PtyPath() const { return ptyPath_; }

    // How long the child may take to announce its pseudo-terminal.
    int ReadyTimeoutMs = 10000;
    // How long Stop waits after asking the child to end before killing it.
    int StopGraceMs = 3000;

signals:
    // The child announced its pseudo-terminal.
    void Ready(const QString &ptyPath);
    // The child is missing, failed to start, did not become ready or ended
    // unexpectedly. The text is for the user.
    void Failed(const QString &message);

private:
    void onStdout();
    void onStderr();
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onError(QProcess::ProcessError error);
    void fail(const QString &message);
    QString stderrTail() const;

    QProcess proc_;
    QTimer readyTimer_;
    QString program_;
    QString ptyPath_;
    QByteArray stdout_;
    QByteArray stderr_;
    bool stopping_ = false;
    bool failed_ = false;
};
