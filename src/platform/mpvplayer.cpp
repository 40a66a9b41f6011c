// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpvplayer.h"

#include "error.h"
#include "logging.h"

#include <QLibrary>
#include <QPointer>
#include <QScopeGuard>

#include <mpv/client.h>

#include <algorithm>
#include <atomic>
#include <clocale>
#include <cmath>
#include <optional>

namespace qv {

namespace {

// Every libmpv function the player calls, resolved by name at run time.
#define QV_MPV_FUNCTIONS(X)                                                                        \
    X(mpv_create)                                                                                  \
    X(mpv_initialize)                                                                              \
    X(mpv_terminate_destroy)                                                                       \
    X(mpv_set_option_string)                                                                       \
    X(mpv_observe_property)                                                                        \
    X(mpv_set_wakeup_callback)                                                                     \
    X(mpv_wait_event)                                                                              \
    X(mpv_command_async)                                                                           \
    X(mpv_set_property)                                                                            \
    X(mpv_set_property_async)                                                                      \
    X(mpv_get_property)                                                                            \
    X(mpv_free)                                                                                    \
    X(mpv_error_string)

struct Api {
#define QV_MPV_DECLARE(name) decltype(&::name) name = nullptr;
    QV_MPV_FUNCTIONS(QV_MPV_DECLARE)
#undef QV_MPV_DECLARE
    QString error; // empty when everything was resolved
};

// Loaded once and kept for the life of the process: libmpv's threads must
// never outlive its code.
const Api& api() {
    static const Api loaded = [] {
        Api a;
        QLibrary library(QStringLiteral("mpv"), 2);
        if (!library.load()) {
            a.error = library.errorString();
            return a;
        }
        const auto resolve = [&](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                library.resolve(name));
            if (!function && a.error.isEmpty())
                a.error = QStringLiteral("the function %1 is missing").arg(QLatin1String(name));
        };
#define QV_MPV_RESOLVE(name) resolve(a.name, #name);
        QV_MPV_FUNCTIONS(QV_MPV_RESOLVE)
#undef QV_MPV_RESOLVE
        return a;
    }();
    return loaded;
}

// Built-in options: audio only, headless, no user configuration, network
// reads that give up. The tiny probe size keeps libavformat from reading
// seconds of an endless stream before playing it; songs open as fast as before.
constexpr const char* kOptions[][2] = {
    {"config", "no"},
    {"load-scripts", "no"},
    {"terminal", "no"},
    {"vo", "null"},
    {"vid", "no"},
    {"idle", "yes"},
    {"ytdl", "no"},
    {"input-default-bindings", "no"},
    {"network-timeout", "15"},
    // Like the page transfers: a server whose certificate the system does not
    // trust plays nothing (libmpv checks no certificate unless told to).
    {"tls-verify", "yes"},
    {"audio-display", "no"},
    {"demuxer-lavf-probesize", "32"},
};

enum Property : uint64_t { Duration = 1, TimePos, MediaTitle, Seekable, FileSize, PausedForCache };

} // namespace

struct MpvPlayer::Engine {
    // Where the current address is in its life.
    enum class Phase {
        Idle,    // nothing opened yet
        Opening, // handed over; events of an earlier address may still arrive
        Started, // libmpv started on our playlist entry
        Loaded,  // the media is open
        Ended,   // played to its end, failed or stopped
    };

    Engine(MpvPlayer& player, QStringList options)
        : owner(player), extraOptions(std::move(options)) {}

    ~Engine() {
        if (!handle)
            return;
        // After this returns no wake-up runs or follows, so none can reach a
        // destroyed player.
        api().mpv_set_wakeup_callback(handle, nullptr, nullptr);
        api().mpv_terminate_destroy(handle);
    }

    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    static QString errorText(int code) { return QString::fromUtf8(api().mpv_error_string(code)); }

    void check(int code, const QString& what) const {
        if (code < 0)
            throw Error(QStringLiteral("%1: %2").arg(what, errorText(code)));
    }

    void start() {
        if (handle)
            return;
        const Api& a = api();
        if (!a.error.isEmpty())
            throw Error(
                QStringLiteral("The media engine libmpv could not be loaded: %1").arg(a.error));
        // mpv_create() fails unless LC_NUMERIC is "C", and Qt has set the user's locale.
        std::setlocale(LC_NUMERIC, "C");
        mpv_handle* const h = a.mpv_create();
        if (!h)
            throw Error(QStringLiteral("The media engine libmpv could not be started."));
        auto destroy = qScopeGuard([&] { a.mpv_terminate_destroy(h); });

        const auto setOption = [&](const QByteArray& name, const QByteArray& value) {
            check(a.mpv_set_option_string(h, name.constData(), value.constData()),
                  QStringLiteral("The media engine rejected the option %1=%2")
                      .arg(QString::fromUtf8(name), QString::fromUtf8(value)));
        };
        for (const auto& [name, value] : kOptions)
            setOption(name, value);
        setOption("volume", QByteArray::number(volume));
        for (const QString& option : std::as_const(extraOptions)) {
            const qsizetype eq = option.indexOf(QLatin1Char('='));
            if (eq < 0)
                setOption(option.toUtf8(), "yes");
            else
                setOption(option.left(eq).toUtf8(), option.mid(eq + 1).toUtf8());
        }
        check(a.mpv_initialize(h), QStringLiteral("The media engine libmpv could not be started"));

        const auto observe = [&](Property id, const char* name, mpv_format format) {
            check(a.mpv_observe_property(h, id, name, format),
                  QStringLiteral("The media engine could not watch %1").arg(QLatin1String(name)));
        };
        observe(Duration, "duration", MPV_FORMAT_DOUBLE);
        observe(TimePos, "time-pos", MPV_FORMAT_DOUBLE);
        observe(MediaTitle, "media-title", MPV_FORMAT_STRING);
        observe(Seekable, "seekable", MPV_FORMAT_FLAG);
        observe(FileSize, "file-size", MPV_FORMAT_INT64);
        observe(PausedForCache, "paused-for-cache", MPV_FORMAT_FLAG);

        a.mpv_set_wakeup_callback(h, &Engine::wakeUp, this);
        destroy.dismiss();
        handle = h;
    }

    // Called on one of libmpv's threads: hand the work to the owner's thread,
    // once per batch of events.
    static void wakeUp(void* context) {
        auto* const engine = static_cast<Engine*>(context);
        if (!engine->wakeUpPending.exchange(true))
            QMetaObject::invokeMethod(
                &engine->owner, [engine] { engine->drain(); }, Qt::QueuedConnection);
    }

    void drain() {
        wakeUpPending = false;
        // A slot connected to our signals may destroy the player.
        const QPointer<MpvPlayer> alive(&owner);
        while (alive && handle) {
            const mpv_event* const event = api().mpv_wait_event(handle, 0);
            if (event->event_id == MPV_EVENT_NONE)
                break;
            handleEvent(*event);
        }
    }

    bool active() const {
        return phase == Phase::Opening || phase == Phase::Started || phase == Phase::Loaded;
    }
    // Whether property values describe our address rather than an earlier one.
    bool current() const { return phase == Phase::Started || phase == Phase::Loaded; }

    QString activeStatus() const {
        if (paused)
            return QStringLiteral("Paused");
        if (!playbackStarted)
            return QStringLiteral("Opening...");
        if (buffering)
            return QStringLiteral("Buffering...");
        return QStringLiteral("Playing");
    }

    // Emits, so it must be the last thing an event's handling does.
    void setStatus(const QString& text) {
        if (text == status)
            return;
        status = text;
        emit owner.StatusChange();
    }

    // Each handler below reads the event first and emits last: a slot may
    // drain nested events (invalidating the event) or destroy the player.
    void handleEvent(const mpv_event& event) {
        switch (event.event_id) {
        case MPV_EVENT_COMMAND_REPLY:
            opened(event);
            break;
        case MPV_EVENT_START_FILE: {
            // Until libmpv has said which entry our address is, a file that
            // starts is one handed over before it.
            const auto id = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
            if (phase == Phase::Opening && !awaitingEntry && entry < 0)
                entry = lastEntry = id;
            if (phase == Phase::Opening && !awaitingEntry && entry == id)
                phase = Phase::Started;
            break;
        }
        case MPV_EVENT_FILE_LOADED:
            if (phase == Phase::Started) {
                phase = Phase::Loaded;
                refreshMediaFacts();
                keepNothingPlayedOfStream();
                emit owner.CurrentItemChange();
            }
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            if (phase == Phase::Loaded) {
                playbackStarted = true;
                setStatus(activeStatus());
            }
            break;
        case MPV_EVENT_END_FILE:
            endFile(*static_cast<const mpv_event_end_file*>(event.data));
            break;
        case MPV_EVENT_PROPERTY_CHANGE:
            propertyChange(event.reply_userdata,
                           *static_cast<const mpv_event_property*>(event.data));
            break;
        default:
            break;
        }
    }

    void endFile(const mpv_event_end_file& end) {
        if (!active() || end.playlist_entry_id != entry)
            return; // an earlier address, replaced by ours
        if (end.reason == MPV_END_FILE_REASON_REDIRECT && end.playlist_insert_num_entries > 0) {
            // A playlist address (a radio's list of servers): its entries
            // replace it, and libmpv goes on to the next one when one fails.
            entry = end.playlist_insert_id;
            lastEntry = entry + end.playlist_insert_num_entries - 1;
            beginEntry();
            return;
        }
        if ((end.reason == MPV_END_FILE_REASON_EOF || end.reason == MPV_END_FILE_REASON_ERROR) &&
            entry < lastEntry) {
            ++entry;
            beginEntry();
            setStatus(activeStatus());
            return;
        }
        switch (end.reason) {
        case MPV_END_FILE_REASON_QUIT:
            return;
        case MPV_END_FILE_REASON_EOF:
            finish(Stop::Ended, QStringLiteral("Media ended"));
            return;
        case MPV_END_FILE_REASON_ERROR:
            finish(Stop::Failed, QStringLiteral("Error: %1")
                                     .arg(end.error < 0 ? errorText(end.error)
                                                        : QStringLiteral("playback failed")));
            return;
        default:
            finish(Stop::Other, QStringLiteral("Stopped"));
            return;
        }
    }

    void finish(Stop reason, const QString& text) {
        phase = Phase::Ended;
        playState = PlayState::Stopped;
        stopReason = reason;
        setStatus(text);
    }

    void propertyChange(uint64_t id, const mpv_event_property& property) {
        if (!current())
            return; // values of an earlier address, or of the one that just ended
        const bool known = property.format != MPV_FORMAT_NONE && property.data;
        switch (id) {
        case Duration:
            length = known ? *static_cast<const double*>(property.data) : 0;
            break;
        case TimePos:
            position = known ? *static_cast<const double*>(property.data) : 0;
            break;
        case MediaTitle: {
            const QString now =
                known ? QString::fromUtf8(*static_cast<const char* const*>(property.data))
                      : QString();
            if (now == title)
                break;
            title = now;
            // Before the media is open its name is only being found out.
            if (phase == Phase::Loaded)
                emit owner.MediaChange();
            break;
        }
        case Seekable:
            seekable = known && *static_cast<const int*>(property.data);
            break;
        case FileSize:
            sized = known;
            break;
        case PausedForCache:
            buffering = known && *static_cast<const int*>(property.data);
            setStatus(activeStatus());
            break;
        default:
            break;
        }
    }

    // Observed values arrive only when they change, and those that arrived
    // before our entry started were dropped: read them once the media is open.
    void refreshMediaFacts() {
        const Api& a = api();
        double number = 0;
        if (a.mpv_get_property(handle, "duration", MPV_FORMAT_DOUBLE, &number) >= 0)
            length = number;
        int flag = 0;
        if (a.mpv_get_property(handle, "seekable", MPV_FORMAT_FLAG, &flag) >= 0)
            seekable = flag;
        int64_t size = 0;
        sized = a.mpv_get_property(handle, "file-size", MPV_FORMAT_INT64, &size) >= 0;
        char* text = nullptr;
        if (a.mpv_get_property(handle, "media-title", MPV_FORMAT_STRING, &text) >= 0 && text) {
            title = QString::fromUtf8(text);
            a.mpv_free(text);
        }
    }

    // libmpv's cache keeps what it has played of a network stream for
    // seeking back, up to demuxer-max-back-bytes (50 MiB): an endless stream
    // would fill it at the stream's rate, hour after hour. An endless stream
    // (neither a size nor seeking, see liveLength) is never sought in, so it
    // plays without the cache, reading a second ahead (the server's burst
    // waits in the socket). Not demuxer-max-back-bytes=0: with that libmpv's
    // stream title (ICY) stays on the first one it had. A file-local option,
    // so libmpv restores its value for the next address. A failure only
    // costs memory.
    void keepNothingPlayedOfStream() {
        if (seekable || sized)
            return;
        char no[] = "no";
        char* text = no;
        if (const int code = api().mpv_set_property(handle, "file-local-options/cache",
                                                    MPV_FORMAT_STRING, &text);
            code < 0)
            qCDebug(lcPlayer).noquote() << "stream keeps libmpv's cache:" << errorText(code);
    }

    // libmpv's answer to the last address handed over: the entry it
    // appended, or the reason it could not. Answers to earlier addresses
    // count for nothing.
    void opened(const mpv_event& event) {
        if (!awaitingEntry || event.reply_userdata != openings)
            return;
        awaitingEntry = false;
        if (event.error < 0) {
            finish(Stop::Failed, QStringLiteral("Error: %1").arg(errorText(event.error)));
            return;
        }
        entry = lastEntry = entryId(static_cast<const mpv_event_command*>(event.data)->result);
    }

    // libmpv's own id of the entry that loadfile appended, or -1 when it did
    // not say (then the next file that starts is taken as ours).
    static int64_t entryId(const mpv_node& result) {
        if (result.format != MPV_FORMAT_NODE_MAP)
            return -1;
        const mpv_node_list* const map = result.u.list;
        for (int i = 0; i < map->num; ++i) {
            if (qstrcmp(map->keys[i], "playlist_entry_id") == 0 &&
                map->values[i].format == MPV_FORMAT_INT64)
                return map->values[i].u.int64;
        }
        return -1;
    }

    // Both requests are queued rather than waited for: at the end of a song
    // libmpv first plays out what its audio output still holds (0.6 s with
    // the null output) and takes no request meanwhile, so waiting would
    // freeze the window just when the next song is handed over.
    void open(const QString& address) {
        start();
        const Api& a = api();
        int no = 0;
        check(a.mpv_set_property_async(handle, 0, "pause", MPV_FORMAT_FLAG, &no),
              QStringLiteral("The media player could not start playing"));
        const QByteArray utf8 = address.toUtf8();
        const char* command[] = {"loadfile", utf8.constData(), "replace", nullptr};
        check(a.mpv_command_async(handle, openings + 1, command),
              QStringLiteral("The media player could not open %1").arg(address));
        ++openings;
        awaitingEntry = true;
        entry = lastEntry = -1;

        url = address;
        paused = false;
        playState = PlayState::Playing;
        stopReason = Stop::None;
        beginEntry();
        setStatus(QStringLiteral("Opening..."));
    }

    // Forgets what was known of the media before: the next entry starts.
    void beginEntry() {
        phase = Phase::Opening;
        buffering = false;
        playbackStarted = false;
        position = 0;
        length = 0;
        seekable = false;
        sized = false;
        title.clear();
    }

    void setPaused(bool pause) {
        if (!handle || !active())
            return; // nothing is playing that could be held or continued
        int flag = pause;
        check(api().mpv_set_property(handle, "pause", MPV_FORMAT_FLAG, &flag),
              pause ? QStringLiteral("The media player could not pause")
                    : QStringLiteral("The media player could not play"));
        paused = pause;
        playState = pause ? PlayState::Paused : PlayState::Playing;
        setStatus(activeStatus());
    }

    // An endless stream has neither a size nor seeking; its duration only
    // grows with the buffer, so it counts as having no length. A file from a
    // server without range requests still has a size and is played from the
    // cache, where seeking works.
    double liveLength() const { return seekable || sized ? length : 0; }

    MpvPlayer& owner;
    const QStringList extraOptions;
    mpv_handle* handle = nullptr;
    std::atomic<bool> wakeUpPending{false};

    QString url;
    QString status;
    PlayState playState = PlayState::Undefined;
    Stop stopReason = Stop::None;
    Phase phase = Phase::Idle;
    int64_t entry = -1;         // libmpv's playlist entry of our address
    int64_t lastEntry = -1;     // the last entry a playlist address was replaced with
    uint64_t openings = 0;      // addresses handed over; the last one's answer is awaited
    bool awaitingEntry = false; // libmpv has not yet said which entry that is
    bool paused = false;
    bool buffering = false;
    bool playbackStarted = false;
    double position = 0;
    double length = 0;
    bool seekable = false;
    bool sized = false; // the server told the media's size
    QString title;
    int volume = 50;
};

MpvPlayer::MpvPlayer(QObject* parent, QStringList extraOptions)
    : MediaPlayer(parent), engine_(std::make_unique<Engine>(*this, std::move(extraOptions))) {}

MpvPlayer::~MpvPlayer() = default;

bool MpvPlayer::available() {
    return api().error.isEmpty();
}

void MpvPlayer::setUrl(const QString& url) {
    engine_->open(url);
}

QString MpvPlayer::url() const {
    return engine_->url;
}

MediaPlayer::PlayState MpvPlayer::playState() const {
    return engine_->playState;
}

MediaPlayer::Stop MpvPlayer::stopReason() const {
    return engine_->stopReason;
}

QString MpvPlayer::status() const {
    return engine_->status;
}

void MpvPlayer::play() {
    engine_->setPaused(false);
}

void MpvPlayer::pause() {
    engine_->setPaused(true);
}

double MpvPlayer::currentPosition() const {
    return engine_->position;
}

void MpvPlayer::setCurrentPosition(double seconds) {
    Engine& e = *engine_;
    // A live stream has no length to seek in; before the media is open there
    // is nothing to seek yet.
    if (e.phase != Engine::Phase::Loaded || e.liveLength() <= 0 || !std::isfinite(seconds))
        return;
    double target = std::clamp(seconds, 0.0, e.length);
    e.check(api().mpv_set_property(e.handle, "time-pos", MPV_FORMAT_DOUBLE, &target),
            QStringLiteral("The media player could not seek"));
    e.position = target;
}

int MpvPlayer::volume() const {
    return engine_->volume;
}

void MpvPlayer::setVolume(int volume) {
    Engine& e = *engine_;
    const int clamped = std::clamp(volume, 0, 100);
    // Before the engine runs the volume is only remembered: start() applies it.
    if (e.handle) {
        double value = clamped;
        e.check(api().mpv_set_property(e.handle, "volume", MPV_FORMAT_DOUBLE, &value),
                QStringLiteral("The media player could not set the volume"));
    }
    e.volume = clamped;
}

double MpvPlayer::duration() const {
    return engine_->liveLength();
}

QString MpvPlayer::durationString() const {
    return formatDuration(duration());
}

QString MpvPlayer::name() const {
    return engine_->title;
}

QString MpvPlayer::engineProperty(const QString& name) const {
    const Engine& e = *engine_;
    if (!e.handle)
        return {};
    char* text = nullptr;
    if (api().mpv_get_property(e.handle, name.toUtf8().constData(), MPV_FORMAT_STRING, &text) < 0 ||
        !text)
        return {};
    const QString value = QString::fromUtf8(text);
    api().mpv_free(text);
    return value;
}

} // namespace qv
