// SPDX-License-Identifier: GPL-3.0-or-later
#include "servertime.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QTimer>

#include <cstdlib>
#include <utility>
#include <xcb/xcb.h>

namespace qv::x11 {
namespace {

// A local server answers within milliseconds; a lost answer must not keep
// the window away.
constexpr int kWaitLimitMs = 500;

// Waits for the property change to come back, then runs the command once
// Qt has taken the time from it (Qt reads an event after the filters).
class PropertyWatch : public QObject, public QAbstractNativeEventFilter {
public:
    PropertyWatch(QWindow& window, xcb_atom_t atom, std::function<void()> then)
        : QObject(&window), window_(xcb_window_t(window.winId())), atom_(atom),
          then_(std::move(then)) {
        qGuiApp->installNativeEventFilter(this);
        QTimer::singleShot(kWaitLimitMs, this, &PropertyWatch::finish);
    }
    ~PropertyWatch() override {
        if (qGuiApp)
            qGuiApp->removeNativeEventFilter(this);
    }
    PropertyWatch(const PropertyWatch&) = delete;
    PropertyWatch& operator=(const PropertyWatch&) = delete;

    xcb_window_t window() const { return window_; }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (notify->window == window_ && notify->atom == atom_)
            QTimer::singleShot(0, this, &PropertyWatch::finish);
        return false;
    }

private:
    void finish() {
        if (!then_)
            return;
        const std::function<void()> then = std::exchange(then_, nullptr);
        deleteLater();
        then();
    }

    xcb_window_t window_;
    xcb_atom_t atom_;
    std::function<void()> then_;
};

} // namespace

void afterServerTime(QWindow& window, std::function<void()> then) {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) {
        then();
        return;
    }
    static const char kName[] = "_QV_SERVER_TIME";
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof kName - 1, kName), nullptr);
    if (!reply) {
        then();
        return;
    }
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    auto* watch = new PropertyWatch(window, atom, std::move(then));
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, watch->window(), atom, XCB_ATOM_INTEGER,
                        32, 0, nullptr);
    xcb_flush(connection);
}

} // namespace qv::x11
