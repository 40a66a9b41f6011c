// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QIODevice;

namespace qv {

// The blocking web transfers of the player, run on the user-interface thread.
// Every request sends Accept "text/html, */*" and User-Agent
// "Mozilla/3.0 (compatible; Indy Library)", and every transfer ends as a
// failure once no data has arrived for idleTimeout() milliseconds.
class WebTransfer {
public:
    // received and total bytes; total is -1 while unknown.
    using Progress = std::function<void(qint64 received, qint64 total)>;

    // Portal pages are well under a megabyte: a body that runs on past this,
    // or past pageTimeLimit(), comes from a broken or hostile server.
    static constexpr qint64 kMaxDownloadBytes = 16 * 1024 * 1024;

    // Fetches a page into file, replacing it only once the whole body has
    // arrived; a missing folder of file is made. All pending events (user
    // input too) are processed while it runs, and progress is called as data
    // arrives. A transfer may start inside another one's event processing.
    // Throws Error("Error downloading URL: " + url) on any failure of the
    // transfer (refused, HTTP status >= 400, broken, silent too long, larger
    // than kMaxDownloadBytes, longer than pageTimeLimit()), Error("Cannot
    // create file ...") when file cannot be written, and Cancelled when the
    // application quits meanwhile.
    static void download(const QString& url, const QString& file, const Progress& progress = {});

    // The same without callbacks and without raising, with a deadline of its
    // own: true when the file was fetched completely by the deadline. User
    // input waits until it returns.
    static bool tryDownloadToFile(const QString& url, const QString& file,
                                  QDeadlineTimer deadline = QDeadlineTimer::Forever);

    // A small body into memory, processing all pending events meanwhile:
    // std::nullopt on any failure (refused, HTTP status >= 400, broken,
    // larger than maxBytes, past the deadline), with why set to the reason.
    // Throws Cancelled when the application quits meanwhile.
    static std::optional<QByteArray> fetch(const QString& url, qint64 maxBytes,
                                           QDeadlineTimer deadline, QString* why = nullptr);

    // False only when the system explicitly reports that it is offline.
    static bool isOnline();

    static int idleTimeout();
    static void setIdleTimeout(int milliseconds);
    // The longest a download() may take in all (2 minutes).
    static int pageTimeLimit();
    static void setPageTimeLimit(int milliseconds);
    // Tests force isOnline()'s answer; std::nullopt returns to the system's.
    static void setOnlineOverride(std::optional<bool> online);
};

// A page asked for now and taken later, so that several pages can be on
// their way at once: the request goes out when it is made, and the body is
// kept in memory as it arrives, within download()'s bounds (idle time-out,
// kMaxDownloadBytes, pageTimeLimit() from the request on). Dropping it before
// it is taken abandons the request; its answer is never read.
class PageFetch {
public:
    explicit PageFetch(const QString& url);
    ~PageFetch();
    PageFetch(const PageFetch&) = delete;
    PageFetch& operator=(const PageFetch&) = delete;

    QString url() const;
    // Waits for the whole page, processing all pending events (user input
    // too), then stores it into file as download() does and throws as it
    // does. Once only.
    void takeInto(const QString& file);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// An HTTP GET into an open device with begin, progress and end
// notifications, for the installer download.
class HttpGet : public QObject {
    Q_OBJECT
public:
    explicit HttpGet(QObject* parent = nullptr);

    // Blocking; processes pending events. Writes the body into out. An HTTP
    // status of 400 or more reads the body into memory (with work events),
    // leaves out untouched and throws Error with the status line; a transfer
    // failure throws Error with the transfer's error text.
    void get(const QString& url, QIODevice& out);

signals:
    void workBegin(qint64 expectedBytes); // -1 when the server announces no size
    void work(qint64 bytesSoFar);
    void workEnd(); // only after a complete, successful transfer
};

} // namespace qv
