// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "boundary.h"
#include "filedialog.h"
#include "gauge.h"
#include "shortcut.h"
#include "titlelist.h"
#include "version.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QColor;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QNetworkAccessManager;
class QProgressBar;
class QPushButton;
class QSystemTrayIcon;
class QTimer;
class QToolButton;

namespace qv {

class HotkeyRoute;
class MediaControls;
class MediaPlayer;
class SkinEngine;
class ClickLabel;
class TrayHosts;
namespace tray {
struct Facts;
}
namespace windowing {
class ClickPosition;
}

class AboutBox;
class Form3;
class Form5;
class Form9;
class Form10;
class Form11;
class Form12;
class Form13;
class Form14;
class Form15;
class Form16;
class Form17;

// The secondary windows, created once at start-up in this order and owned by
// the main window. They are top-level windows of their own: disabling the
// main window must not disable them.
struct SecondaryWindows {
    std::unique_ptr<AboutBox> aboutBox;
    std::unique_ptr<Form5> form5;
    std::unique_ptr<Form3> form3;
    std::unique_ptr<Form9> form9;
    std::unique_ptr<Form10> form10;
    std::unique_ptr<Form11> form11;
    std::unique_ptr<Form12> form12;
    std::unique_ptr<Form13> form13;
    std::unique_ptr<Form14> form14;
    std::unique_ptr<Form15> form15;
    std::unique_ptr<Form16> form16;
    std::unique_ptr<Form17> form17;

    SecondaryWindows();
    ~SecondaryWindows();
    SecondaryWindows(const SecondaryWindows&) = delete;
    SecondaryWindows& operator=(const SecondaryWindows&) = delete;
};

// The main window: every control, the hidden holders that are the program's
// working state, and the handlers. Each subsystem defines its handlers in its
// own folder; this header lists them all in one place.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("Quorvell Music Player " QV_VERSION);
    static constexpr int kClientWidth = 619;
    static constexpr int kClientHeight = 351;
    static constexpr int kCollapsedWidth = 417;
    static constexpr int kExpandedWidth = 625;
    static inline const QString kPlaylistFilter =
        QStringLiteral("Quorvell Radioplayer playlist file (*.qvl)");

    explicit Form1(std::unique_ptr<MediaPlayer> player);
    ~Form1() override;

    // ---- Start-up and shutdown ----
    void FormCreate();
    void FormClick();
    void FormMouseDown() { FormClick(); }
    void Close1Click();
    void FormDestroy();

    // ---- Right-hand panel ----
    void SpeedButton2Click();
    void SpeedButton3Click();

    // ---- Search ----
    void sEdit1Change();
    void sBitBtn5Click();
    void sCheckBox3Click();

    // ---- Play control ----
    void sBitBtn3Click();  // Play
    void sBitBtn4Click();  // Pause
    void sBitBtn11Click(); // Resume
    void sBitBtn1Click();  // Next
    void sBitBtn2Click();  // Previous
    void ListBox1DblClick() { sBitBtn3Click(); }
    void sListBox1DblClick() { sBitBtn3Click(); }
    void sListBox2DblClick() { sBitBtn3Click(); }
    void Play1Click() { sBitBtn3Click(); }
    void Play2Click() { sBitBtn3Click(); }
    void WindowsMediaPlayer1CurrentItemChange();
    void WindowsMediaPlayer1StatusChange();
    void WindowsMediaPlayer1MediaChange();
    void Timer1Timer();

    // ---- Position, seek and volume ----
    void Timer2Timer();
    void sBitBtn6Click(); // volume up
    void sBitBtn7Click(); // volume down
    // Pointer offsets in pixels from the bar's left (position) or top (volume) edge.
    void sGauge1MouseDown(int y);
    void sGauge1MouseMove(int y);
    void sGauge1MouseUp();
    void sGauge2MouseDown(int x);
    void sGauge2MouseMove(int x);
    void sGauge2MouseUp();
    // Seeking and setting the volume as the bars do, for the media controls.
    void seekToSeconds(double seconds);
    void setVolumeLevel(int volume);

    // ---- Song page, download, radio ----
    void sBitBtn8Click(); // Download Song
    void sBitBtn9Click(); // Check out on Quorvell
    void DownloadSong1Click() { sBitBtn8Click(); }
    void CheckoutonQuorvell1Click() { sBitBtn9Click(); }
    void Download1Click() { sBitBtn8Click(); }
    void CableDSLT11Click();
    void DialUp1Click();
    // A radio stream that breaks off is opened again after 1, 2, 4, 8 and 16
    // of these pauses; tests shorten them.
    int reconnectPauseMs = 1000;
    static constexpr int kReconnectAttempts = 5;

    // ---- Playlist store ----
    // The window's hidden buttons, never shown: each is the one entry point
    // of a store operation that the other handlers press, as they press Play.
    void Button8Click();  // "Load Playlists": read the names from "playlists.ini"
    void Button10Click(); // "Save Playlists": write the names to "playlists.ini"
    void Button5Click();  // "WICHTIG!": load the current playlist
    void Button7Click();  // "Save specific playlist": save the current playlist

    // ---- Play modes ----
    void sButton2Click(); // Normal
    void sButton4Click(); // Own Playlist
    void sButton3Click(); // Favorite songs
    void sComboBox3Change();
    void sBitBtn14Click(); // Refresh

    // ---- Playlist editing ----
    void sBitBtn12Click(); // New playlist
    void sBitBtn13Click(); // Delete playlist
    void PlaylistMenuItemClick(int tag);
    // Pointer positions in the list's viewport.
    void PopupMenu1Popup(QPoint at);
    void PopupMenu2Popup(QPoint at);
    void Delete1Click();
    void Moveup1Click();
    void MoveDown1Click();

    // ---- Playlist import and export ----
    void Importplaylist1Click();
    void exportplaylist1Click();

    // The store operations for callers that stop at a failure (they throw
    // Error). saveNames writes the names and on success keeps them in `playlists`.
    void loadNames();
    void saveNames(const QString& names);
    void loadCurrentPlaylist();

    // The name of the current playlist, as holder text: the selector's text.
    QString currentPlaylist() const;
    // The selector gets the names of `playlists` as items, and the text.
    void setPlaylistSelector(const QString& text);
    // "Add to Playlist" gets one entry per name of `playlists`.
    void rebuildPlaylistMenu();

    // ---- Favourites ----
    void Login3Click();  // "Favorites" > "Login"
    void Export1Click(); // "Favorites" > "Import"
    // Fetches the favourites page of a login name into the page file and
    // fills the favourites lists from it. Throws Error, and refuses a name
    // that cannot be the page's host name before any download.
    void GetFavsExecute(const QString& loginName);
    // "Favorite songs" for callers that stop at a failure (throws Error).
    void showFavourites();
    // Runs a favourites command (fetch, scan, import) at the error boundary,
    // unless one is already running further up the stack.
    template <typename Handler> void favouritesCommand(Handler&& handler) {
        guardedOnce(favouritesBusy_, std::forward<Handler>(handler));
    }

    // ---- Updates ----
    void sButton5Click(); // "Updates available - click here!"
    void sButton7Click(); // "CONNECTION ERROR"

    // ---- Information ----
    void Changelog1Click();
    void Contact1Click();
    void About1Click();
    void sLabelFX2Click(); // the credit link

    // ---- Settings window ----
    void Settings1Click(); // "Extras" > "Settings"
    void sBitBtn15Click(); // "Setting": the main window waits until it closes
    void sBitBtn10Click(); // "Updates deactivated"

    // ---- Global hotkeys ----
    // "Register Shortcut", a hidden button: the one entry point the settings
    // window presses to register the ticked rows of its hotkey page.
    void Button13Click();
    // A claimed combination was pressed: modifiers Shift 4, Ctrl 2, Alt 1
    // and the virtual-key code. Every row whose field holds it acts.
    void WMHotKey(shortcut::Value pressed);
    void bringToFront();

    // ---- Tray ----
    void Showwindow1Click();
    void PlayPause1Click();
    void Previoussong1Click() { sBitBtn2Click(); }
    void Nextsong1Click() { sBitBtn1Click(); }
    // The tray switches as the settings give them.
    void applyTray(bool iconVisible, bool toTray);

    // ---- Media controls ----
    // Offers the player to the desktop's media controls (MPRIS) on the
    // session bus; without a bus the player runs without them.
    void startMediaControls();

    // The list pair that play control works on: the first list whose own
    // visibility is on, so the answer is the same while the window is
    // minimised or in the tray.
    enum class ListKind { SearchResults, OwnPlaylist, Favourites };
    struct ShownList {
        ListKind kind;
        QListWidget* titles;
        QStringList* links;
    };
    ShownList shownList();

    // ---- Visible controls (left column) ----
    QLabel* Label1;
    QComboBox* ComboBox1;
    QCheckBox* sCheckBox3;
    QLabel* Label10;
    QComboBox* sComboBox1;
    QLabel* Label20;
    QComboBox* sComboBox2;
    QLabel* Label11;
    QLineEdit* sEdit1;
    QPushButton* sBitBtn15;

    // ---- Search and player ----
    QPushButton* sBitBtn5;
    QLabel* Label3;
    QLabel* Label4; // status line
    QProgressBar* sGauge3;
    QPushButton* sBitBtn8;
    QPushButton* sBitBtn9;
    QLabel* sLabelFX1;
    QPushButton* sBitBtn3;  // Play
    QPushButton* sBitBtn4;  // Pause
    QPushButton* sBitBtn11; // Resume, on top of Pause
    QPushButton* sBitBtn2;  // Previous
    QPushButton* sBitBtn1;  // Next
    QPushButton* sBitBtn6;  // volume up
    QPushButton* sBitBtn7;  // volume down
    Gauge* sGauge1;         // volume
    QLabel* Label2;
    QLabel* Label9; // now playing
    Gauge* sGauge2; // song position
    QLabel* Label16;
    QLabel* Label17;
    QLabel* Label15;
    QToolButton* SpeedButton2; // "<<"
    QToolButton* SpeedButton3; // ">>"

    // ---- Right-hand panel ----
    QLabel* Label5;
    QPushButton* sButton2; // Normal
    QPushButton* sButton4; // Own Playlist
    QPushButton* sButton3; // Favorite songs
    TitleList* ListBox1;
    TitleList* sListBox1;
    TitleList* sListBox2;
    QComboBox* sComboBox3;
    QPushButton* sBitBtn12;
    QPushButton* sBitBtn13;
    QPushButton* sBitBtn14;
    QCheckBox* sCheckBox1; // Random Playback

    // ---- Bottom bar ----
    QFrame* sPanel1;
    ClickLabel* sLabelFX2;
    QPushButton* sButton5;
    QPushButton* sBitBtn10;
    QPushButton* sButton7;
    QLabel* Label21;
    QLabel* Image1;
    QLabel* Image2;

    // ---- Main menu ----
    QMenu* File1;
    QAction* Importplaylist1;
    QAction* exportplaylist1;
    QAction* Close1;
    QMenu* Playlists1;
    QAction* Addsongtocurrentplaylist1;
    QAction* DeletesongfromPlaylist1;
    QAction* Moveup2;
    QAction* Movedown2;
    QMenu* Favorites1;
    QAction* Login3;
    QAction* Export1;
    QMenu* Extras1;
    QMenu* ListentoVellwave1;
    QAction* CableDSLT11;
    QAction* DialUp1;
    QAction* CheckoutonQuorvell1;
    QAction* DownloadSong1;
    QAction* Settings1;
    QMenu* Help1;
    QAction* Changelog1;
    QAction* Contact1;
    QAction* About1;

    // ---- Context menus ----
    QMenu* PopupMenu1; // on sListBox1
    QAction* Play2;
    QAction* Delete1;
    QAction* Moveup1;
    QAction* MoveDown1;
    QAction* Download1;
    QMenu* PopupMenu2; // on ListBox1 and sListBox2
    QMenu* AddtoPlaylist1;
    QAction* Play1;
    QAction* Download2;
    QMenu* PopupMenu3; // tray icon
    QAction* Showwindow1;
    QAction* PlayPause1;
    QAction* Previoussong1;
    QAction* Nextsong1;
    QAction* Close2;

    // ---- Non-visual parts ----
    QTimer* Timer1; // now-playing line, 2000 ms
    QTimer* Timer2; // position tick, 1000 ms
    MediaPlayer* WindowsMediaPlayer1;
    FileDialog OpenDialog1{FileDialog::Mode::Open, {}, kPlaylistFilter, QStringLiteral("qvl")};
    FileDialog SaveDialog1{FileDialog::Mode::Save, QStringLiteral("Export"), kPlaylistFilter,
                           QStringLiteral("qvl")};
    QNetworkAccessManager* WebBrowser1; // the start-up report
    SkinEngine* sSkinManager1;
    // Created once a tray host exists, since creating it fixes where Qt puts
    // it for the whole run; null until then.
    QSystemTrayIcon* CoolTrayIcon1 = nullptr;
    TrayHosts* trayHosts = nullptr; // the desktop's tray hosts, as Qt sees them
    HotkeyRoute* hotkeys = nullptr; // the system-wide key combinations
    MediaControls* mediaControls = nullptr;

    // ---- Hidden holders: the program's working state ----
    QStringList ListBox2;                    // song links of ListBox1's rows
    QStringList ListBox3;                    // song links of sListBox1's rows
    QStringList ListBox4;                    // song links of sListBox2's rows
    QString Memo1 = QStringLiteral("Memo1"); // the list page downloaded last
    QString Memo2 = QStringLiteral("Memo2"); // lines of the current own playlist file
    QString Memo3 = QStringLiteral("Memo3"); // the favourites page downloaded last
    QString playlists;                       // playlist names, one per CR LF line
    QString Edit2 = QStringLiteral("Edit2"); // link of the song played or downloaded
    QString Edit3 = QStringLiteral("Edit3"); // duration text of the current song
    QString Edit4 = QStringLiteral("Edit4"); // local version marker
    QString Edit5 = QStringLiteral("Edit5"); // server's version marker
    qint64 SpinEdit4 = 1;                    // new-song flag
    qint64 SpinEdit8 = 0;                    // elapsed seconds within the minute
    qint64 SpinEdit9 = 0;                    // elapsed whole minutes
    bool positionDrag = false;               // a button is held on the position bar
    bool volumeDrag = false;                 // a button is held on the volume bar
    QString playingTitle;                    // the row's title playing; empty for the radio

    // ---- Process-wide values set up at start ----
    // Identifiers of the global hotkeys, in the order of HotkeySlot.
    enum HotkeySlot { PlayPauseKey, NextSongKey, PreviousSongKey, RestoreKey };
    static inline const std::array<QString, 4> kHotkeyAtomNames = {
        QStringLiteral("HotKeyDemo1"), QStringLiteral("HotKeyDemo2"), QStringLiteral("HotKeyDemo3"),
        QStringLiteral("HotKeyDemo4")};
    // The names a desktop that lists granted hotkeys knows them by.
    static inline const std::array<QString, 4> kHotkeyNames = {
        QStringLiteral("play-pause"), QStringLiteral("next-song"), QStringLiteral("previous-song"),
        QStringLiteral("restore-minimize")};
    std::array<int, 4> hotkeyIds{};
    // Whether the tray icon stays visible after the window has been restored.
    bool ShowTrayiconAlways = true;
    // The tray switches: the icon shown while the window is, and minimising
    // into the tray.
    bool trayIconVisible = true;
    bool minimizeToTray = true;
    // Whether a tray host shows the icon now, asked at each minimise: a tray
    // may start or stop while the player runs. Without one, minimising stays
    // ordinary so the window can always be brought back. Tests replace it.
    std::function<bool()> trayHost;
    // The main window has closed and the program is ending: Qt closes every
    // other window too, which must not count as the user closing it.
    bool ending() const { return ending_; }

    SecondaryWindows windows;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct SearchOptions;

    void buildControls(QWidget* client);
    void buildMenus();
    void loadPlaylistNames();
    void reportStart();

    void setUpSearch();
    void runSearch();
    bool genreSearch(const QString& genre, const SearchOptions& options);
    void scanListPage();
    void setStatus(const QString& text, const QColor& colour);
    // Where "more..." opens the genre check list.
    QPoint genreListPosition();

    void setUpPlaylists();
    void setUpDesktop();
    void createTrayIcon(const tray::Facts& now);
    bool trayIconHasHost();
    void setTrayIconVisible(bool visible);
    void setUpUpdates();
    void setUpInfo();
    void showMode(ListKind kind);
    void movePlaylistEntry(int step);
    // Fills the favourites lists from Memo3; live lets pending events run
    // before each item.
    void scanFavourites(bool live);

    void setUpPlayback();
    void showPlaying(bool playing);
    void play();
    void step(int direction);
    void stepVolume(int step);
    void goOnAtEnd();
    void playRadio(int port);
    void forgetRadio();
    void radioBrokeOff();
    void reopenRadio();
    void seekTo(int x);
    void seekToBarPercent(int percent); // without the checks of a press
    void seekToPercent(int percent);
    void seekBy(double seconds);
    void setVolumeFrom(int y);
    bool barMouseEvent(QObject* watched, QEvent* event);
    bool barKeyEvent(QObject* watched, QEvent* event);
    void setUpKeyboard();
    bool listKeyEvent(QObject* watched, QEvent* event);

    QWidget* client_ = nullptr;
    bool searching_ = false;
    bool playControlBusy_ = false; // the play, song and volume commands
    bool playlistBusy_ = false;    // the playlist commands
    bool favouritesBusy_ = false;  // the favourites fetch, scan and import
    bool ending_ = false;
    int failedInARow_ = 0;      // songs that ended in an error, one after another
    bool radioPlaying_ = false; // the radio, not a song, was opened last
    QString radioUrl_;          // the stream to keep open; empty when none is
    int radioAttempts_ = 0;     // reopenings since the stream last ran well
    QTimer* radioReopen_ = nullptr;
    QElapsedTimer radioOpened_;
    QPointer<QWidget> lastActive_; // the program's window that had the focus last
    bool trayIconShown_ = false;   // also while the icon waits for a tray host
    // The last click on "more...", where the pointer's own position is unknown.
    windowing::ClickPosition* moreClicked_ = nullptr;
};

} // namespace qv
