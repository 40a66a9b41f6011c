// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The handlers' boundary: what ends a handler is shown in the standard error
// box, never thrown through Qt's event loop.
#include "error.h"
#include "messages.h"

#include <exception>
#include <utility>

namespace qv {

// The one boundary per handler: nothing may throw through Qt's event loop.
template <typename Handler> void guarded(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (const Cancelled&) {
    } catch (const Error& e) {
        messages::error(e.text());
    } catch (const std::exception& e) {
        messages::error(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        messages::error(QStringLiteral("Unknown error"));
    }
}

// guarded(), unless a handler sharing the flag is already running further up
// the stack (waiting in a message box, say): then nothing happens.
template <typename Handler> void guardedOnce(bool& busy, Handler&& handler) noexcept {
    const NestGuard guard(busy);
    if (guard)
        guarded(std::forward<Handler>(handler));
}

} // namespace qv
