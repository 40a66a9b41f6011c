// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowing.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QWindow>

namespace qv::windowing {

Q_LOGGING_CATEGORY(lcWindows, "qv.windows", QtWarningMsg)

bool desktopPlacesWindows() {
    // "wayland", and "wayland-egl" when chosen by name.
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

Qt::WindowFlags genreListFlags() {
    return Qt::FramelessWindowHint | (desktopPlacesWindows() ? Qt::ToolTip : Qt::Tool);
}

namespace {

// Names the main window as the transient parent just before the window goes
// on screen: the Show event comes after the native window exists and before
// Qt hands it to the compositor.
class TransientParent : public QObject {
public:
    TransientParent(QWidget& window, QWidget& main) : QObject(&window), main_(&main) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && main_) {
            QWindow* const own = static_cast<QWidget*>(watched)->windowHandle();
            QWindow* const parent = main_->windowHandle();
            if (own && parent && own != parent && own->transientParent() != parent)
                own->setTransientParent(parent);
        }
        return false;
    }

private:
    QPointer<QWidget> main_;
};

} // namespace

void followMainWindow(QWidget& window, QWidget& main) {
    if (desktopPlacesWindows() && &window != &main)
        new TransientParent(window, main);
}

ClickPosition::ClickPosition(QWidget& control) : QObject(&control) {
    control.installEventFilter(this);
}

std::optional<QPoint> ClickPosition::take() {
    return std::exchange(position_, std::nullopt);
}

bool ClickPosition::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        // The toggle comes with the release; the filter sees it first.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        position_ = static_cast<QWidget*>(watched)->mapToGlobal(mouse->position().toPoint());
        break;
    }
    case QEvent::KeyPress:
        position_.reset();
        break;
    default:
        break;
    }
    return false;
}

KeptPopup::KeptPopup(QWidget& popup, QWidget& main, std::function<bool()> ending)
    : QObject(&popup), popup_(popup), main_(main), ending_(std::move(ending)) {
    popup.installEventFilter(this);
    main.installEventFilter(this);
}

bool KeptPopup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &popup_ && event->type() == QEvent::Close && !ending_()) {
        // The program itself only ever hides the popup: a close comes from the desktop.
        if (sinceReopened_.isValid() && sinceReopened_.elapsed() < kSettleMs) {
            qCDebug(lcWindows)
                << "the desktop closed the genre list again at once; it stays closed";
            return false;
        }
        event->ignore();
        if (!pending_) {
            pending_ = true;
            QMetaObject::invokeMethod(this, &KeptPopup::reopen, Qt::QueuedConnection);
        }
        return true;
    }
    // Qt drops the popup while the main window is hidden; once the main
    // window is back (after its own Show event), the popup comes back too.
    if (watched == &main_ && event->type() == QEvent::Show && popup_.isVisible() && !pending_) {
        pending_ = true;
        QMetaObject::invokeMethod(this, &KeptPopup::reopen, Qt::QueuedConnection);
    }
    return false;
}

void KeptPopup::reopen() {
    pending_ = false;
    if (!popup_.isVisible() || !main_.isVisible() || ending_())
        return;
    // A new popup surface, at the place the old one had.
    const QPoint at = popup_.pos();
    popup_.hide();
    popup_.move(at);
    popup_.show();
    ++reopened_;
    sinceReopened_.start();
}

} // namespace qv::windowing
