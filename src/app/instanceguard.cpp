// SPDX-License-Identifier: GPL-3.0-or-later
#include "instanceguard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <utility>

Q_LOGGING_CATEGORY(lcInstance, "qv.instance", QtWarningMsg)

namespace qv {
namespace {

// What a later start sends: the request and its activation token.
const QByteArray kShow = QByteArrayLiteral("show");
// The player's answer: the window will show.
const QByteArray kShown = QByteArrayLiteral("shown\n");
// A request is one short line; anything longer is not a later start.
constexpr qint64 kMaxRequest = 4096;
// A connection that says nothing is dropped after this long.
constexpr int kRequestTimeoutMs = 5000;
// Between two attempts while the player is starting up or ending.
constexpr unsigned long kRetryPauseMs = 20;

// Abstract names: nothing left behind by a killed player, and the same name
// whatever TMPDIR a start is given.
constexpr auto kSocketOptions = QLocalSocket::AbstractNamespaceOption;

} // namespace

QString InstanceGuard::serverName(const QString& folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QString path = canonical.isEmpty() ? QDir(folder).absolutePath() : canonical;
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("qvplayer-") + QString::fromLatin1(hash.toHex().left(32));
}

InstanceGuard::InstanceGuard(const QString& folder, QObject* parent)
    : QObject(parent), lockPath_(QDir(folder).filePath(kLockName)), serverName_(serverName(folder)),
      lock_(lockPath_) {
    // The player keeps the lock for as long as it runs: only a dead holder
    // makes a lock stale, never its age.
    lock_.setStaleLockTime(0);
}

// The socket closes before the lock goes, so that a start meanwhile waits
// for the lock rather than for an answer.
InstanceGuard::~InstanceGuard() {
    delete server_;
    server_ = nullptr;
}

InstanceGuard::Claim InstanceGuard::claim(std::chrono::milliseconds patience) {
    QDeadlineTimer deadline(patience);
    bool tookOver = false;
    for (;;) {
        if (lock_.tryLock(0)) {
            listen();
            return Claim::Player;
        }
        if (lock_.error() != QLockFile::LockFailedError) {
            qCDebug(lcInstance) << "cannot write the lock file" << lockPath_ << "(error"
                                << int(lock_.error()) << "): running without the one-player guard";
            return Claim::Unguarded;
        }
        if (askToShow(deadline))
            return Claim::Forwarded;
        if (deadline.hasExpired()) {
            // Removing succeeds only when no living process holds the lock.
            if (tookOver || !lock_.removeStaleLockFile()) {
                qCDebug(lcInstance) << "the player holding" << lockPath_ << "did not answer within"
                                    << patience.count() << "ms: leaving the folder to it";
                return Claim::Unanswered;
            }
            qCDebug(lcInstance) << "no living process holds" << lockPath_
                                << "and none answered: taking the lock over";
            tookOver = true;
            deadline = QDeadlineTimer(patience);
            continue;
        }
        // The holder is starting up and not listening yet, or ending.
        QThread::msleep(kRetryPauseMs);
    }
}

void InstanceGuard::listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!server_->listen(serverName_)) {
        qCDebug(lcInstance) << "cannot listen as" << serverName_ << ":" << server_->errorString()
                            << "- later starts in this folder will not find this player";
        delete server_;
        server_ = nullptr;
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection())
            answer(socket);
    });
}

bool InstanceGuard::listening() const {
    return server_ && server_->isListening();
}

void InstanceGuard::answer(QLocalSocket* socket) {
    auto* silence = new QTimer(socket);
    silence->setSingleShot(true);
    connect(silence, &QTimer::timeout, socket, &QLocalSocket::abort);
    silence->start(kRequestTimeoutMs);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > kMaxRequest)
                socket->abort();
            return;
        }
        // One request per connection.
        disconnect(socket, &QLocalSocket::readyRead, socket, nullptr);
        const QByteArray line = socket->readLine(kMaxRequest).trimmed();
        const qsizetype blank = line.indexOf(' ');
        const QByteArray verb = blank < 0 ? line : line.left(blank);
        const QString token = blank < 0 ? QString() : QString::fromUtf8(line.mid(blank + 1));
        bool shown = false;
        if (verb == kShow && serving_) {
            if (handler_) {
                shown = handler_(token);
            } else {
                // Still starting: the window shows once the program is up.
                pending_ = true;
                pendingToken_ = token;
                shown = true;
            }
        }
        qCDebug(lcInstance) << "a later start asked for the window:"
                            << (shown ? "shown" : "not answered");
        if (shown)
            socket->write(kShown);
        socket->disconnectFromServer();
    });
}

void InstanceGuard::serve(ShowHandler handler) {
    handler_ = std::move(handler);
    if (pending_ && handler_) {
        pending_ = false;
        handler_(std::exchange(pendingToken_, QString()));
    }
}

void InstanceGuard::stopServing() {
    serving_ = false;
    handler_ = nullptr;
    pending_ = false;
}

bool InstanceGuard::askToShow(const QDeadlineTimer& deadline) const {
    QLocalSocket socket;
    socket.setSocketOptions(kSocketOptions);
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 1))))
        return false;
    // A desktop that started this process with an activation token lets the
    // window that uses it take the focus.
    QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (token.contains('\n') || token.contains('\r') || token.size() > kMaxRequest / 2)
        token.clear();
    socket.write(kShow + (token.isEmpty() ? QByteArray() : ' ' + token) + '\n');
    if (!socket.waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 1))))
        return false;
    // The answer comes from the player's event loop, which may be busy
    // starting up; a player that ends closes without one.
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    return socket.readLine(kMaxRequest) == kShown;
}

} // namespace qv
