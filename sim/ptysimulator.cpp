#include "sim/ptysimulator.h"

#include "sim/modbus.h"

#include <QFileInfo>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace sim {

#ifndef Q_OS_UNIX
// Windows has no pseudo-terminals: the simulator is served over TCP there
// (TcpSimulator), and opening one reports why it cannot.
PtySimulator::PtySimulator(QObject *parent) : QObject(parent) {}

PtySimulator::~PtySimulator() = default;

bool PtySimulator::Open(QString *error)
{
    if (error)
        *error = QStringLiteral("pseudo-terminals do not exist on this system; serve the bus over TCP instead");
    return false;
}

void PtySimulator::Close() {}

bool PtySimulator::SetLink(const QString &, QString *error)
{
    if (error)
        *error = QStringLiteral("no pseudo-terminal is open");
    return false;
}

#else

namespace {

// Replies that nobody reads pile up here once the terminal's own buffer is
// full; past this much the oldest are given up.
constexpr qsizetype kMaxQueued = 64 * 1024;

bool MakeRaw(int fd)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

QString ErrnoText(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PtySimulator::PtySimulator(QObject *parent) : QObject(parent)
{
    silence_.setSingleShot(true);
    silence_.setInterval(50);
    connect(&silence_, &QTimer::timeout, this, &PtySimulator::OnSilence);
    retryRead_.setSingleShot(true);
    retryRead_.setInterval(200);
    connect(&retryRead_, &QTimer::timeout, this, [this] {
        if (readNotifier_)
            readNotifier_->setEnabled(true);
    });
}

PtySimulator::~PtySimulator()
{
    Close();
}

bool PtySimulator::Open(QString *error)
{
    if (IsOpen())
        return true;
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        if (error)
            *error = ErrnoText("openpty");
        return false;
    }
    const char *name = ttyname(slave);
    if (!name || !MakeRaw(master) || !MakeRaw(slave) ||
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0 ||
        fcntl(master, F_SETFD, FD_CLOEXEC) != 0 || fcntl(slave, F_SETFD, FD_CLOEXEC) != 0) {
        if (error)
            *error = ErrnoText("pseudo-terminal set-up");
        ::close(master);
        ::close(slave);
        return false;
    }
    master_ = master;
    slave_ = slave;
    slavePath_ = QString::fromLocal8Bit(name);

    readNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &PtySimulator::OnReadable);
    writeNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &PtySimulator::OnWritable);
    return true;
}

void PtySimulator::Close()
{
    RemoveLink();
    silence_.stop();
    retryRead_.stop();
    delete readNotifier_;
    readNotifier_ = nullptr;
    delete writeNotifier_;
    writeNotifier_ = nullptr;
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
    ++session_;
    muted_ = false;
    slavePath_.clear();
    in_.clear();
    out_.clear();
}

bool PtySimulator::SetLink(const QString &path, QString *error)
{
    if (!IsOpen()) {
        if (error)
            *error = QStringLiteral("the pseudo-terminal is not open");
        return false;
    }
    if (path == linkPath_)
        return true;
    const QByteArray target = slavePath_.toLocal8Bit();
    const QByteArray where = path.toLocal8Bit();
    const QFileInfo info(path);
    if (info.isSymLink()) {
        // Most likely left behind by a simulator that was killed.
        if (::unlink(where.constData()) != 0) {
            if (error)
                *error = ErrnoText("unlink");
            return false;
        }
    } else if (info.exists()) {
        if (error)
            *error = QStringLiteral("%1 exists and is not a symbolic link").arg(path);
        return false;
    }
    if (::symlink(target.constData(), where.constData()) != 0) {
        if (error)
            *error = ErrnoText("symlink");
        return false;
    }
    RemoveLink(); // the previous one, if any
    linkPath_ = path;
    return true;
}

void PtySimulator::RemoveLink()
{
    if (linkPath_.isEmpty())
        return;
    // Only our own link: another simulator may have taken the name since.
    const QFileInfo info(linkPath_);
    if (info.isSymLink() && info.symLinkTarget() == QFileInfo(slavePath_).absoluteFilePath())
        ::unlink(linkPath_.toLocal8Bit().constData());
    linkPath_.clear();
}

void PtySimulator::OnReadable()
{
    char buffer[4096];
    bool got = false;
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            in_.append(buffer, n);
            got = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        // EOF or EIO: no slave side open. Our own slave descriptor should
        // prevent this; if it happens anyway, look again later rather than
        // being woken for it in a tight loop.
        readNotifier_->setEnabled(false);
        retryRead_.start();
        break;
    }
    if (got) {
        lastArrival_.start();
        TakeFrames();
    }
}

void PtySimulator::TakeFrames()
{
    while (const auto frame = TakeRequest(in_))
        Serve(*frame, lastArrival_);
    if (in_.isEmpty())
        silence_.stop();
    else
        silence_.start(); // restarted by every arrival
}

void PtySimulator::OnSilence()
{
    // A frame of unknown length ends here; an incomplete one of known
    // length is a broken request: the bus drops it on its CRC.
    const QByteArray frame = in_;
    in_.clear();
    if (!frame.isEmpty())
        Serve(frame, lastArrival_);
}

void PtySimulator::Serve(const QByteArray &request, const QElapsedTimer &arrived)
{
    ++requests_;
    if (muted_) {
        emit Served(request, QByteArray(), -1);
        return;
    }
    auto pending = std::make_shared<PendingReply>(request, bus_.Respond(request), arrived, session_);
    if (pending->Mute()) {
        // A line has no connection to end: the bus stays silent until the
        // terminal is closed.
        muted_ = true;
    }
    if (pending->pieces.isEmpty()) {
        emit Served(request, QByteArray(), -1);
        return;
    }
    SendNext(pending);
}

void PtySimulator::SendNext(const std::shared_ptr<PendingReply> &pending)
{
    auto writeIt = [this, pending] {
        if (pending->session != session_)
            return; // the terminal it was meant for has been closed
        const bool first = pending->next == 0;
        // A hang-up on a line: the reply stops half-way.
        pending->WriteNext([this](const QByteArray &bytes) { Write(bytes); });
        if (first)
            lastReplyMicros_ = pending->firstMicros;
        if (!pending->Done())
            SendNext(pending);
        else
            emit Served(pending->request, pending->written, pending->firstMicros);
    };
    if (pending->NextDelayMs() <= 0)
        writeIt();
    else
        QTimer::singleShot(pending->NextDelayMs(), this, writeIt);
}

void PtySimulator::Write(const QByteArray &bytes)
{
    if (!out_.isEmpty()) {
        out_.append(bytes);
        if (out_.size() > kMaxQueued)
            out_.remove(0, out_.size() - kMaxQueued);
        return;
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN (terminal buffer full) or an error: queue the rest
    }
    if (done < bytes.size()) {
        out_ = bytes.mid(done);
        writeNotifier_->setEnabled(true);
    }
}

void PtySimulator::OnWritable()
{
    while (!out_.isEmpty()) {
        const ssize_t n = ::write(master_, out_.constData(), static_cast<size_t>(out_.size()));
        if (n > 0) {
            out_.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return; // wait for the next notification
        out_.clear(); // the terminal is gone
        break;
    }
    writeNotifier_->setEnabled(false);
}

#endif // Q_OS_UNIX

} // namespace sim
