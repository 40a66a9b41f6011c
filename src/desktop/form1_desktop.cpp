// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's share of desktop integration: opening the settings
// window, the global hotkeys and the tray icon.
#include "atoms.h"
#include "form1.h"
#include "hotkeyroute.h"
#include "programpicture.h"
#include "secondarywindows.h"
#include "shortcut.h"
#include "showwindow.h"
#include "trayhosts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

namespace qv {

void Form1::setUpDesktop() {
    QApplication::setWindowIcon(QIcon(programPicture(64)));
    trayHosts = new TrayHosts(this);
    trayHost = [this] { return trayIconHasHost(); };
    connect(trayHosts, &TrayHosts::changed, this, [this] {
        if (!CoolTrayIcon1)
            createTrayIcon(trayHosts->facts());
    });
    createTrayIcon(trayHosts->facts());
    connect(Showwindow1, &QAction::triggered, this, &Form1::Showwindow1Click);
    connect(PlayPause1, &QAction::triggered, this, &Form1::PlayPause1Click);
    connect(Previoussong1, &QAction::triggered, this, &Form1::Previoussong1Click);
    connect(Nextsong1, &QAction::triggered, this, &Form1::Nextsong1Click);

    // The window that "Restore / minimize" brings back: the one active last,
    // also while another program has the focus.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focused) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (focused && window->windowHandle() == focused)
                lastActive_ = window;
        }
    });

    hotkeys = createHotkeyRoute(this);
    connect(hotkeys, &HotkeyRoute::hotkeyPressed, this, &Form1::WMHotKey);

    connect(Settings1, &QAction::triggered, this, &Form1::Settings1Click);
    connect(sBitBtn15, &QPushButton::clicked, this, &Form1::sBitBtn15Click);
    connect(sBitBtn10, &QPushButton::clicked, this, &Form1::sBitBtn10Click);
}

// ---- Settings window ----

void Form1::Settings1Click() {
    if (windows.form11)
        showCentred(*windows.form11);
}

void Form1::sBitBtn15Click() {
    if (!windows.form11)
        return;
    showCentred(*windows.form11);
    ShowTrayiconAlways = windows.form11->sCheckBox13->isChecked();
    setEnabled(false);
}

void Form1::sBitBtn10Click() {
    Settings1Click();
}

// ---- Global hotkeys ----

void Form1::Button13Click() {
    for (const HotkeySlot slot : {PlayPauseKey, PreviousSongKey, RestoreKey, NextSongKey})
        hotkeyIds[slot] = atoms::add(kHotkeyAtomNames[slot]);
    const Form11* settings = windows.form11.get();
    if (!settings || !hotkeys)
        return;
    // A row that is not ticked keeps whatever it registered before. The rows
    // are in the order of the slots.
    for (const HotkeySlot slot : {PlayPauseKey, NextSongKey, PreviousSongKey, RestoreKey}) {
        hotkeys->describe(hotkeyIds[slot], kHotkeyNames[slot], Form11::kHotkeyCaptions[slot]);
        const Form11::HotkeyRow row = settings->hotkeyRow(slot);
        if (!row.ticked)
            continue;
        hotkeys->unregisterHotkey(hotkeyIds[slot]);
        hotkeys->registerHotkey(hotkeyIds[slot], row.value);
    }
}

void Form1::WMHotKey(shortcut::Value pressed) {
    const Form11* settings = windows.form11.get();
    if (!settings)
        return;
    const struct {
        HotkeySlot slot;
        void (Form1::*action)();
    } rows[] = {{PlayPauseKey, nullptr},
                {NextSongKey, &Form1::sBitBtn1Click},
                {PreviousSongKey, &Form1::sBitBtn2Click},
                {RestoreKey, &Form1::bringToFront}};
    // Every row is tested against its field as it is now, in table order.
    for (const auto& row : rows) {
        if (settings->hotkeyRow(row.slot).value != pressed)
            continue;
        if (row.action)
            (this->*row.action)();
        else if (!sBitBtn11->isHidden())
            sBitBtn11Click();
        else
            sBitBtn4Click();
    }
}

void Form1::bringToFront() {
    QWidget* window = lastActive_ ? lastActive_.data() : this;
    if (window->isVisible() && window->isEnabled()) {
        // A Wayland compositor lets a window take the focus only with a
        // token from the input that asked for it; Qt reads it from here.
        if (const QString token = hotkeys ? hotkeys->activationToken() : QString();
            !token.isEmpty() && QGuiApplication::platformName() == QLatin1StringView("wayland"))
            qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
        window->raise();
        window->activateWindow();
    }
}

// ---- Tray ----

void Form1::createTrayIcon(const tray::Facts& now) {
    if (CoolTrayIcon1)
        return;
    if (!tray::createNow(now, tray::routeTaken())) {
        qCDebug(lcTray) << "no tray host yet: the tray icon waits for one";
        return;
    }
    const tray::Route route = tray::takeRoute(now);
    qCDebug(lcTray) << "tray icon created on route" << tray::routeName(route)
                    << "- StatusNotifier host:" << now.statusNotifierHost
                    << "XEmbed tray:" << now.xembedTray;
    CoolTrayIcon1 = new QSystemTrayIcon(QApplication::windowIcon(), this);
    CoolTrayIcon1->setContextMenu(PopupMenu3);
    connect(CoolTrayIcon1, &QSystemTrayIcon::activated, this,
            [this, route](QSystemTrayIcon::ActivationReason reason) {
                // A StatusNotifier host sends no double click: its primary
                // activation, which Qt reports as Trigger, is that desktop's
                // double click. On an XEmbed tray Trigger is a single click.
                if (reason == QSystemTrayIcon::DoubleClick ||
                    (reason == QSystemTrayIcon::Trigger && route == tray::Route::StatusNotifier))
                    Showwindow1Click();
                else if (reason == QSystemTrayIcon::Trigger)
                    qCDebug(lcTray) << "a single click on the XEmbed tray icon does nothing";
            });
    CoolTrayIcon1->setVisible(trayIconShown_);
}

bool Form1::trayIconHasHost() {
    const tray::Facts now = trayHosts->facts();
    createTrayIcon(now); // a host that came unannounced gets the icon now
    return CoolTrayIcon1 && tray::hasHost(tray::routeTaken().value_or(tray::Route::None), now);
}

void Form1::setTrayIconVisible(bool visible) {
    trayIconShown_ = visible;
    if (CoolTrayIcon1)
        CoolTrayIcon1->setVisible(visible);
}

void Form1::Showwindow1Click() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    if (!ShowTrayiconAlways)
        setTrayIconVisible(false);
}

void Form1::PlayPause1Click() {
    if (!sBitBtn4->isHidden())
        sBitBtn4Click();
    else
        sBitBtn11Click();
}

void Form1::applyTray(bool iconVisible, bool toTray) {
    trayIconVisible = iconVisible;
    minimizeToTray = toTray;
    // A window waiting in the tray keeps its icon, or nothing could bring it back.
    setTrayIconVisible(iconVisible || isHidden());
}

void Form1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || !minimizeToTray)
        return;
    if (!trayHost()) {
        qCDebug(lcTray) << "minimised with no tray host to show the icon: an ordinary minimise";
        return;
    }
    // Hidden once the minimise has finished, which takes the taskbar entry too.
    QTimer::singleShot(0, this, [this] {
        if (!isMinimized())
            return;
        qCDebug(lcTray) << "minimised into the tray";
        hide();
        setTrayIconVisible(true);
    });
}

} // namespace qv
