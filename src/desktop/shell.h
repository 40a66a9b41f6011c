// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

// Hands addresses and files to the desktop. Only http, https and mailto
// addresses leave the program; a relative song link is resolved against the
// portal's base address first. Nothing waits for or examines the result.
namespace qv::shell {

// The address the desktop would get, or an invalid QUrl when it is refused.
QUrl resolve(const QString& address, const QString& portalBase);

// Opens an address with the desktop's default action. Relative addresses are
// resolved against the configured portal. False when refused.
bool openAddress(const QString& address);

// Opens a local file with the desktop's default "open" (never executes it).
bool openFile(const QString& path);

// Tests record what would be opened instead of starting a browser.
using Opener = std::function<bool(const QUrl&)>;
Opener setOpener(Opener opener);

} // namespace qv::shell
