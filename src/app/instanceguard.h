// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDeadlineTimer>
#include <QLockFile>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class QLocalServer;
class QLocalSocket;

Q_DECLARE_LOGGING_CATEGORY(lcInstance)

namespace qv {

// One player per installation folder (widget-free). The player holds a lock
// file in the folder and listens on a local socket whose name comes from the
// folder's canonical path; a later start in the same folder asks it there to
// show its window and ends without touching anything else. Players of other
// folders have other locks and other names, and run side by side.
class InstanceGuard : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        Player,     // this process is the folder's player
        Unguarded,  // the lock cannot be written: the player runs without a guard
        Forwarded,  // the folder's player shows itself: this process ends
        Unanswered, // the folder's player lives but does not answer: this process ends
    };
    // How long a later start waits for the running player's answer. When the
    // lock's holder has not answered by then, a lock left by a dead process
    // (whose number now belongs to another program of the same name) is
    // taken over; a living holder keeps the folder.
    static constexpr std::chrono::milliseconds kPatience{10000};
    static inline const QString kLockName = QStringLiteral("qvplayer.lock");

    explicit InstanceGuard(const QString& folder, QObject* parent = nullptr);
    ~InstanceGuard() override;
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // Becomes the folder's player, or has the running one show itself. Two
    // starts at the same time end with one player; a lock left by a killed
    // player does not count.
    Claim claim(std::chrono::milliseconds patience = kPatience);

    // Shows the window for a later start; the start's activation token is
    // passed on (empty when it had none). Returns false when it cannot, as
    // while the program ends: the later start then waits and takes over.
    using ShowHandler = std::function<bool(const QString& activationToken)>;
    // Later starts are answered by the handler from now on; one that came
    // before gets its window shown now. Until then each is promised a window.
    void serve(ShowHandler handler);
    // Later starts get no answer from now on; they wait until this process
    // has ended and its lock is free.
    void stopServing();

    QString lockPath() const { return lockPath_; }
    // The local socket's name for a folder.
    static QString serverName(const QString& folder);
    // The socket is listening (only a Player's, unless the name was taken).
    bool listening() const;

private:
    void listen();
    bool askToShow(const QDeadlineTimer& deadline) const;
    void answer(QLocalSocket* socket);

    QString lockPath_;
    QString serverName_;
    QLockFile lock_;
    QLocalServer* server_ = nullptr;
    ShowHandler handler_;
    bool serving_ = true;
    bool pending_ = false;
    QString pendingToken_;
};

} // namespace qv
