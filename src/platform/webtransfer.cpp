// SPDX-License-Identifier: GPL-3.0-or-later
#include "webtransfer.h"

#include "error.h"
#include "logging.h"
#include "textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSaveFile>
#include <QThread>
#include <QTimer>

#include <QSslError>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <exception>
#include <memory>

namespace qv {

namespace {

int idleTimeoutMs = 15000;
int pageTimeLimitMs = 120000;
std::optional<bool> onlineOverride;

// One manager for the user-interface thread, owned by the application object
// so that it goes away before Qt does; a later application gets a new one.
QNetworkAccessManager& manager() {
    static QPointer<QNetworkAccessManager> instance;
    if (!instance) {
        QCoreApplication* const app = QCoreApplication::instance();
        Q_ASSERT(app && QThread::currentThread() == app->thread());
        instance = new QNetworkAccessManager(app);
    }
    return *instance;
}

// What the caller plugs into one transfer. begin and progress are the
// caller's code: they may process events, start other transfers or throw.
struct Hooks {
    std::function<void(qint64 expected)> begin;
    // Stores a piece of the body (never that of an error status); false when
    // it cannot be stored.
    std::function<bool(const QByteArray& chunk)> store;
    std::function<void(qint64 received, qint64 total)> progress;
    bool reportErrorBody = false; // begin and progress for the body of a status >= 400
    QDeadlineTimer deadline = QDeadlineTimer::Forever; // the whole transfer ends by then
};

struct Outcome {
    bool cancelled = false; // the application is quitting
    bool timedOut = false;
    bool storeFailed = false;
    std::exception_ptr hookError;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorText;
    int status = 0;
    QString statusLine;
    qint64 received = 0;
    qint64 expected = -1; // announced body size, -1 when unknown

    bool truncated() const { return expected >= 0 && received != expected; }
    bool httpError() const { return status >= 400; }
    bool failed() const {
        return cancelled || timedOut || storeFailed || hookError || httpError() ||
               error != QNetworkReply::NoError || truncated();
    }
};

// The announced body size; unknown when the body arrives compressed, since
// the manager hands it over decompressed.
qint64 announcedSize(const QNetworkReply& reply) {
    const QByteArray encoding = reply.rawHeader("Content-Encoding").trimmed().toLower();
    const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
    if (!length.isValid() || !(encoding.isEmpty() || encoding == "identity"))
        return -1;
    return length.toLongLong();
}

QString statusLineOf(const QNetworkReply& reply, int status) {
    const bool http2 = reply.attribute(QNetworkRequest::Http2WasUsedAttribute).toBool();
    const QString reason = reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    return QStringLiteral("%1 %2 %3")
        .arg(http2 ? QStringLiteral("HTTP/2") : QStringLiteral("HTTP/1.1"))
        .arg(status)
        .arg(reason)
        .trimmed();
}

// Runs one GET to its end in a local event loop and reports how it ended.
QNetworkRequest makeRequest(const QUrl& url) {
    QNetworkRequest request(url);
    request.setRawHeader("Accept", "text/html, */*");
    request.setRawHeader("User-Agent", "Mozilla/3.0 (compatible; Indy Library)");
    // Restarted by every piece of data, so it measures silence, not length.
    request.setTransferTimeout(idleTimeoutMs);
    return request;
}

// The failure the user is shown names only the address: the reason, a
// certificate that cannot be verified above all, goes to the log.
void logTlsErrors(QNetworkReply& reply, QObject& context) {
    QObject::connect(&reply, &QNetworkReply::sslErrors, &context,
                     [url = reply.url()](const QList<QSslError>& errors) {
                         for (const QSslError& e : errors)
                             qCDebug(lcNet).noquote() << "TLS error on" << url.toDisplayString()
                                                      << ":" << e.errorString();
                     });
}

void logFailure(const QUrl& url, const QString& reason) {
    qCDebug(lcNet).noquote() << "GET" << url.toDisplayString() << "failed:" << reason;
}

// A whole page into file, replacing it only once all of it is written.
void storePage(const QString& file, const QByteArray& body) {
    // A folder the user removed is made again rather than failing every search.
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile target(file);
    // Unbuffered, so a full disk fails the write rather than a commit that
    // would succeed with the data lost.
    if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw Error(text::createErrorText(file, target.errorString()));
    errno = 0;
    if (target.write(body) != body.size())
        throw Error(text::createErrorText(file, text::writeFailure(target)));
    if (!target.commit())
        throw Error(text::createErrorText(file, target.errorString()));
}

Outcome runTransfer(const QUrl& url, const Hooks& hooks, QEventLoop::ProcessEventsFlags flags) {
    const QNetworkRequest request = makeRequest(url);

    Outcome out;
    QEventLoop loop;
    bool aborting = false; // our own abort; any other cancellation is the idle time-out
    bool inHook = false;   // the caller's code is running further up this stack
    bool begun = false;
    qint64 reported = -1; // received bytes of the last progress call

    // Declared after the loop so that it goes first: its signals reach
    // nothing of this frame once the frame ends.
    const std::unique_ptr<QNetworkReply> reply(manager().get(request));

    const auto stop = [&] {
        aborting = true;
        reply->abort();
    };
    // Caller's code: no exception may cross the event loop, so it is kept
    // and raised again once the loop has returned. A progress call is skipped
    // while an earlier one of the same transfer is still running.
    const auto callHook = [&](const auto& hook) {
        if (inHook || aborting)
            return;
        inHook = true;
        try {
            hook();
        } catch (...) {
            out.hookError = std::current_exception();
            stop();
        }
        inHook = false;
    };
    const auto beginOnce = [&] {
        if (begun)
            return;
        begun = true;
        out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        out.expected = announcedSize(*reply);
        if (out.status >= 400)
            out.statusLine = statusLineOf(*reply, out.status);
        if (hooks.begin && (hooks.reportErrorBody || !out.httpError()))
            callHook([&] { hooks.begin(out.expected); });
    };
    const auto take = [&] {
        if (aborting || !reply->isOpen())
            return;
        beginOnce();
        if (aborting)
            return;
        const QByteArray chunk = reply->readAll();
        if (chunk.isEmpty())
            return;
        out.received += chunk.size();
        if (!out.httpError() && hooks.store && !hooks.store(chunk)) {
            out.storeFailed = true;
            stop();
        }
    };
    const auto report = [&] {
        if (!hooks.progress || reported == out.received || inHook ||
            (out.httpError() && !hooks.reportErrorBody))
            return;
        reported = out.received;
        callHook([&, received = out.received] { hooks.progress(received, out.expected); });
    };

    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        take();
        report();
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    logTlsErrors(*reply, loop);

    QTimer limit;
    if (!hooks.deadline.isForever()) {
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
            out.timedOut = true;
            stop();
        });
        limit.start(std::chrono::milliseconds(std::max<qint64>(0, hooks.deadline.remainingTime())));
    }
    if (!reply->isFinished())
        loop.exec(flags);
    if (!reply->isFinished()) {
        // Only a quitting application ends the loop early.
        out.cancelled = true;
        stop();
        return out;
    }

    out.error = reply->error();
    out.errorText = reply->errorString();
    out.timedOut |= out.error == QNetworkReply::OperationCanceledError && !aborting;
    if (out.error != QNetworkReply::NoError && !aborting)
        qCDebug(lcNet).noquote() << "GET" << url.toDisplayString() << "failed:"
                                 << (out.timedOut
                                         ? QStringLiteral("no data for %1 ms").arg(idleTimeoutMs)
                                         : out.errorText);
    if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
        take(); // what is left, and the headers of an empty body
        if (!out.failed())
            report(); // the last call shows the whole body even if one was skipped
    }
    return out;
}

} // namespace

void WebTransfer::download(const QString& url, const QString& file, const Progress& progress) {
    const QString failure = QStringLiteral("Error downloading URL: ") + url;
    // A folder the user removed is made again rather than failing every search.
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile target(file);
    // Unbuffered, so a full disk fails the write rather than a commit that
    // would succeed with the data lost.
    if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw Error(text::createErrorText(file, target.errorString()));

    Hooks hooks;
    bool tooLarge = false;
    std::optional<QString> writeError;
    hooks.store = [&](const QByteArray& chunk) {
        if (target.pos() + chunk.size() > kMaxDownloadBytes) {
            tooLarge = true;
            return false;
        }
        errno = 0;
        if (target.write(chunk) == chunk.size())
            return true;
        writeError = text::writeFailure(target);
        return false;
    };
    hooks.progress = progress;
    hooks.deadline = QDeadlineTimer(pageTimeLimitMs);
    const Outcome out = runTransfer(QUrl(url), hooks, QEventLoop::AllEvents);

    if (out.hookError)
        std::rethrow_exception(out.hookError);
    if (out.cancelled)
        throw Cancelled(failure);
    // A full disk is the disk's fault, not the server's.
    if (writeError)
        throw Error(text::createErrorText(file, *writeError));
    // Without commit() the save file leaves the old target as it was.
    if (out.failed() || tooLarge)
        throw Error(failure);
    if (!target.commit())
        throw Error(text::createErrorText(file, target.errorString()));
}

struct PageFetch::Impl {
    QUrl url;
    QObject context; // the connections' receiver: they go with it
    std::unique_ptr<QNetworkReply> reply;
    QTimer limit;
    QByteArray body;
    bool tooLarge = false;
    bool timedOut = false; // the whole page took too long
    bool aborting = false;
    bool taken = false;

    void stop() {
        aborting = true;
        reply->abort();
    }
};

PageFetch::PageFetch(const QString& url) : impl_(std::make_unique<Impl>()) {
    Impl& d = *impl_;
    d.url = QUrl(url);
    d.reply.reset(manager().get(makeRequest(d.url)));
    logTlsErrors(*d.reply, d.context);
    QObject::connect(d.reply.get(), &QNetworkReply::readyRead, &d.context, [&d] {
        if (d.aborting || !d.reply->isOpen())
            return;
        const QByteArray chunk = d.reply->readAll();
        if (d.body.size() + chunk.size() > WebTransfer::kMaxDownloadBytes) {
            d.tooLarge = true;
            d.stop();
            return;
        }
        d.body += chunk;
    });
    d.limit.setSingleShot(true);
    QObject::connect(&d.limit, &QTimer::timeout, &d.context, [&d] {
        d.timedOut = true;
        d.stop();
    });
    d.limit.start(pageTimeLimitMs);
}

PageFetch::~PageFetch() {
    if (impl_->reply && !impl_->reply->isFinished())
        impl_->stop();
}

QString PageFetch::url() const {
    return impl_->url.toString();
}

void PageFetch::takeInto(const QString& file) {
    Impl& d = *impl_;
    const QString failure = QStringLiteral("Error downloading URL: ") + url();
    if (d.taken)
        throw Error(failure);
    d.taken = true;
    if (!d.reply->isFinished()) {
        QEventLoop loop;
        QObject::connect(d.reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::AllEvents);
    }
    if (!d.reply->isFinished()) {
        // Only a quitting application ends the loop early.
        d.stop();
        throw Cancelled(failure);
    }
    const QNetworkReply::NetworkError error = d.reply->error();
    const int status = d.reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!d.aborting && d.reply->isOpen())
        d.body += d.reply->readAll(); // what is left
    const qint64 expected = announcedSize(*d.reply);
    const bool idle = error == QNetworkReply::OperationCanceledError && !d.aborting;
    if (error != QNetworkReply::NoError && !d.aborting)
        logFailure(d.url, idle ? QStringLiteral("no data for %1 ms").arg(idleTimeoutMs)
                               : d.reply->errorString());
    if (error != QNetworkReply::NoError || d.tooLarge || d.timedOut || status >= 400 ||
        (expected >= 0 && d.body.size() != expected))
        throw Error(failure);
    storePage(file, d.body);
    d.body.clear();
}

bool WebTransfer::tryDownloadToFile(const QString& url, const QString& file,
                                    QDeadlineTimer deadline) {
    if (deadline.hasExpired())
        return false;
    QSaveFile target(file);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    Hooks hooks;
    hooks.deadline = deadline;
    hooks.store = [&](const QByteArray& chunk) {
        return target.pos() + chunk.size() <= kMaxDownloadBytes &&
               target.write(chunk) == chunk.size();
    };
    const Outcome out = runTransfer(QUrl(url), hooks, QEventLoop::ExcludeUserInputEvents);
    return !out.failed() && target.commit();
}

std::optional<QByteArray> WebTransfer::fetch(const QString& url, qint64 maxBytes,
                                             QDeadlineTimer deadline, QString* why) {
    QByteArray body;
    bool tooLarge = false;
    Hooks hooks;
    hooks.deadline = deadline;
    hooks.store = [&](const QByteArray& chunk) {
        tooLarge = body.size() + chunk.size() > maxBytes;
        if (!tooLarge)
            body += chunk;
        return !tooLarge;
    };
    const Outcome out = runTransfer(QUrl(url), hooks, QEventLoop::AllEvents);
    if (out.cancelled)
        throw Cancelled(QStringLiteral("Transfer cancelled: ") + url);
    if (!out.failed() && !tooLarge)
        return body;
    if (why) {
        *why = tooLarge          ? QStringLiteral("larger than %1 bytes").arg(maxBytes)
               : out.timedOut    ? QStringLiteral("timed out")
               : out.httpError() ? out.statusLine
               : out.error != QNetworkReply::NoError ? out.errorText
                                                     : QStringLiteral("broken off");
    }
    return std::nullopt;
}

bool WebTransfer::isOnline() {
    if (onlineOverride)
        return *onlineOverride;
    static bool loadTried = false;
    // NetworkManager only: the GLib backend would bring GIO's whole stack
    // into the process (3 MB resident) for an answer that, where there is no
    // NetworkManager, is as good as "unknown".
    if (!QNetworkInformation::instance() && !loadTried) {
        loadTried = true;
        QNetworkInformation::loadBackendByName(u"networkmanager");
    }
    // Backends report Online even where nothing is reachable, and unknown is
    // no reason to stop trying: only an explicit Disconnected counts.
    const QNetworkInformation* const info = QNetworkInformation::instance();
    return !info || info->reachability() != QNetworkInformation::Reachability::Disconnected;
}

int WebTransfer::idleTimeout() {
    return idleTimeoutMs;
}

void WebTransfer::setIdleTimeout(int milliseconds) {
    idleTimeoutMs = milliseconds;
}

int WebTransfer::pageTimeLimit() {
    return pageTimeLimitMs;
}

void WebTransfer::setPageTimeLimit(int milliseconds) {
    pageTimeLimitMs = milliseconds;
}

void WebTransfer::setOnlineOverride(std::optional<bool> online) {
    onlineOverride = online;
}

HttpGet::HttpGet(QObject* parent) : QObject(parent) {}

void HttpGet::get(const QString& url, QIODevice& out) {
    const QUrl target(url);

    QString writeError;
    Hooks hooks;
    hooks.reportErrorBody = true; // an error page is read to its end but never kept
    hooks.begin = [this](qint64 expected) { emit workBegin(expected); };
    hooks.store = [&](const QByteArray& chunk) {
        errno = 0;
        if (out.write(chunk) == chunk.size())
            return true;
        writeError = text::writeFailure(out);
        return false;
    };
    hooks.progress = [this](qint64 received, qint64) { emit work(received); };
    const Outcome result = runTransfer(target, hooks, QEventLoop::AllEvents);

    if (result.hookError)
        std::rethrow_exception(result.hookError);
    if (result.cancelled)
        throw Cancelled(QStringLiteral("Transfer cancelled: ") + url);
    if (result.storeFailed)
        throw Error(QStringLiteral("Cannot write the downloaded file: ") + writeError);
    if (result.timedOut)
        throw Error(QStringLiteral("Transfer timed out: no data for %1 ms").arg(idleTimeoutMs));
    if (result.httpError())
        throw Error(result.statusLine);
    if (result.error != QNetworkReply::NoError)
        throw Error(result.errorText);
    if (result.truncated())
        throw Error(QStringLiteral("Connection closed after %1 of %2 bytes")
                        .arg(result.received)
                        .arg(result.expected));
    emit workEnd();
}

} // namespace qv
