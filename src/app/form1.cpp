// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "accessibility.h"
#include "atoms.h"
#include "boundary.h"
#include "clicklabel.h"
#include "genres.h"
#include "hotkeyroute.h"
#include "inifile.h"
#include "listrows.h"
#include "logging.h"
#include "mediaplayer.h"
#include "paths.h"
#include "secondarywindows.h"
#include "servers.h"
#include "settingkeys.h"
#include "skinengine.h"
#include "textfile.h"
#include "webtransfer.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace qv {

SecondaryWindows::SecondaryWindows() = default;
SecondaryWindows::~SecondaryWindows() = default;

namespace {

template <typename W> W* place(W* widget, int left, int top, int width = 0, int height = 0) {
    if (width > 0 && height > 0) {
        widget->setGeometry(left, top, width, height);
    } else {
        widget->adjustSize();
        widget->move(left, top);
    }
    return widget;
}

QLabel* label(const QString& text, QWidget* parent, int left, int top) {
    return place(new QLabel(text, parent), left, top);
}

QPushButton* button(const QString& text, QWidget* parent, int left, int top, int width,
                    int height) {
    auto* b = new QPushButton(text, parent);
    b->setFocusPolicy(Qt::TabFocus);
    return place(b, left, top, width, height);
}

QComboBox* dropDown(const QString& text, const QStringList& items, QWidget* parent, int left,
                    int top, int width = 121) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    box->setEditText(text);
    return place(box, left, top, width, 21);
}

template <typename Bar = QProgressBar>
Bar* gauge(QWidget* parent, Qt::Orientation orientation, int value) {
    auto* bar = new Bar(parent);
    bar->setOrientation(orientation);
    bar->setRange(0, 100);
    bar->setValue(value);
    bar->setTextVisible(false);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Highlight, QColor(0, 0, 128)); // navy
    palette.setColor(QPalette::Base, Qt::white);
    bar->setPalette(palette);
    return bar;
}

TitleList* list(QWidget* parent, int left, int top, int width, int height) {
    auto* box = new TitleList(parent);
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    // Every row is one line in one font. Equal row sizes spare laying out the
    // text of every row whenever a row changes, which stalls long playlists;
    // a title wider than the list ends in "..." and shows whole as a tool tip.
    box->setUniformItemSizes(true);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return place(box, left, top, width, height);
}

} // namespace

Form1::Form1(std::unique_ptr<MediaPlayer> player)
    : Timer1(new QTimer(this)), Timer2(new QTimer(this)), WindowsMediaPlayer1(player.release()),
      WebBrowser1(new QNetworkAccessManager(this)), sSkinManager1(new SkinEngine(this)) {
    WindowsMediaPlayer1->setParent(this);
    setWindowTitle(kCaption);

    QFont font = this->font();
    font.setPixelSize(10);
    setFont(font);
    // Every window shares the font, also where a skin's style sheet cuts the
    // inheritance from the parent widget.
    QApplication::setFont(font);

    client_ = new QWidget(this);
    client_->installEventFilter(this);
    setCentralWidget(client_);
    buildControls(client_);
    buildMenus();
    setUpSearch();
    setUpPlayback();
    setUpPlaylists();
    setUpDesktop();
    setUpUpdates();
    setUpInfo();
    setUpKeyboard();

    // The client area is fixed; only "<<" and ">>" change its width.
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());

    Timer1->setInterval(2000);
    Timer2->setInterval(1000);

    sSkinManager1->setSkinDirectory(paths::exeFile(QStringLiteral("skins")));
}

Form1::~Form1() {
    FormDestroy();
}

void Form1::buildControls(QWidget* c) {
    // Left column: the search options.
    Label1 = label(QStringLiteral("Genre"), c, 16, 16);
    ComboBox1 = dropDown(QStringLiteral("Select genre"), catalogue::genreNames(), c, 16, 32);
    sCheckBox3 = place(new QCheckBox(QStringLiteral("more..."), c), 16, 56);
    Label10 = label(QStringLiteral("Playmode:"), c, 16, 88);
    sComboBox1 = dropDown(
        QStringLiteral("Top rated"),
        {QStringLiteral("Top rated"), QStringLiteral("Title"), QStringLiteral("Recently added")}, c,
        16, 104);
    Label20 = label(QStringLiteral("Results"), c, 16, 144);
    sComboBox2 = dropDown(
        QStringLiteral("50"),
        {QStringLiteral("50"), QStringLiteral("100"), QStringLiteral("150"), QStringLiteral("200")},
        c, 16, 160);
    Label11 = label(QStringLiteral("Start from Page:"), c, 16, 200);
    sEdit1 = place(new QLineEdit(QStringLiteral("1"), c), 16, 216, 73, 21);
    sBitBtn15 = button(QStringLiteral("Setting"), c, 16, 272, 121, 41);
    accessibility::caption(Label1, ComboBox1);
    accessibility::caption(Label10, sComboBox1);
    accessibility::caption(Label20, sComboBox2);
    accessibility::caption(Label11, sEdit1);

    // Middle: search, song commands, player.
    sBitBtn5 = button(QStringLiteral("Search"), c, 168, 16, 81, 41);
    Label3 = label(QStringLiteral("Status:"), c, 168, 64);
    Label4 = new QLabel(QStringLiteral("Waiting..."), c);
    QFont italic = Label4->font();
    italic.setItalic(true);
    Label4->setFont(italic);
    place(Label4, 204, 64, 200, 14); // clear of "Status:" in this font
    sGauge3 = place(gauge(c, Qt::Horizontal, 0), 168, 80, 89, 9);
    sGauge3->setAccessibleName(QStringLiteral("Search progress"));
    sBitBtn8 = button(QStringLiteral("Download Song"), c, 272, 8, 105, 41);
    sBitBtn9 = button(QStringLiteral("Check out on Quorvell"), c, 272, 56, 121, 41);
    sLabelFX1 = label(QStringLiteral("Player:"), c, 168, 120);
    sBitBtn3 = button(QStringLiteral("Play"), c, 168, 144, 89, 37);
    sBitBtn4 = button(QStringLiteral("Pause"), c, 270, 144, 89, 37);
    sBitBtn11 = button(QStringLiteral("Resume"), c, 270, 144, 89, 37);
    sBitBtn11->hide();
    sBitBtn2 = button(QStringLiteral("Previous"), c, 168, 192, 89, 37);
    sBitBtn1 = button(QStringLiteral("Next"), c, 270, 192, 89, 37);
    sBitBtn6 = button(QString(), c, 371, 127, 25, 25);
    sBitBtn6->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    sBitBtn6->setToolTip(QStringLiteral("Volume up"));
    sBitBtn6->setAccessibleName(sBitBtn6->toolTip());
    sBitBtn7 = button(QString(), c, 371, 232, 25, 25);
    sBitBtn7->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    sBitBtn7->setToolTip(QStringLiteral("Volume down"));
    sBitBtn7->setAccessibleName(sBitBtn7->toolTip());
    sGauge1 = place(gauge<Gauge>(c, Qt::Vertical, 50), 372, 151, 22, 82);
    sGauge1->setAccessibleName(QStringLiteral("Volume"));
    Label2 = label(QStringLiteral("Now playing:"), c, 168, 256);
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    Label2->adjustSize();
    Label9 = place(new QLabel(QStringLiteral("Loading..."), c), 168, 272, 236, 14);
    sGauge2 = place(gauge<Gauge>(c, Qt::Horizontal, 0), 168, 288, 161, 17);
    sGauge2->setAccessibleName(QStringLiteral("Position"));
    // The time labels get room for longer texts than "0:00"; the elapsed
    // time grows to the left so that it never runs into the "/".
    Label16 = place(new QLabel(QStringLiteral("0:00"), c), 330, 289, 28, 14);
    Label16->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label17 = label(QStringLiteral("/"), c, 359, 289);
    Label15 = place(new QLabel(QStringLiteral("0:00"), c), 367, 289, 40, 14);

    // Palettes rather than style sheets: a style sheet pulls in a whole
    // second style engine at start.
    QPalette speedPalette = palette();
    speedPalette.setColor(QPalette::Button, QColor(0x46, 0x54, 0x6e));
    speedPalette.setColor(QPalette::ButtonText, Qt::white);
    const auto speedButton = [&](const QString& text) {
        auto* b = place(new QToolButton(c), 408, 67, 17, 220);
        b->setText(text);
        b->setAutoRaise(true);
        b->setPalette(speedPalette);
        b->setAutoFillBackground(true);
        return b;
    };
    SpeedButton2 = speedButton(QStringLiteral("<<"));
    SpeedButton3 = speedButton(QStringLiteral(">>"));
    SpeedButton3->hide();
    // Read aloud, "<<" and ">>" would be mere punctuation.
    SpeedButton2->setAccessibleName(QStringLiteral("Hide playlist"));
    SpeedButton3->setAccessibleName(QStringLiteral("Show playlist"));
    connect(SpeedButton2, &QToolButton::clicked, this, &Form1::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &Form1::SpeedButton3Click);

    // Right-hand panel: the three lists and the play modes. sListBox2 lies
    // behind ListBox1, so the search results are the shown list at start.
    Label5 = label(QStringLiteral("Playlist:"), c, 424, 16);
    sButton2 = button(QStringLiteral("Normal"), c, 424, 34, 47, 25);
    sButton4 = button(QStringLiteral("Own Playlist"), c, 471, 34, 72, 25);
    sButton3 = button(QStringLiteral("Favorite songs"), c, 543, 34, 76, 25);
    sListBox2 = list(c, 424, 86, 185, 203);
    ListBox1 = list(c, 424, 67, 185, 222);
    sListBox1 = list(c, 428, 120, 177, 168);
    sListBox1->hide();
    ListBox1->setAccessibleName(QStringLiteral("Search results"));
    sListBox1->setAccessibleName(QStringLiteral("Own playlist"));
    sListBox2->setAccessibleName(QStringLiteral("Favourite songs"));
    sComboBox3 = dropDown(QStringLiteral("Standart Playlist"), {}, c, 428, 96, 117);
    sComboBox3->hide();
    accessibility::caption(Label5, sComboBox3);
    sBitBtn12 = button(QStringLiteral("New playlist"), c, 426, 69, 84, 25);
    sBitBtn12->hide();
    sBitBtn13 = button(QStringLiteral("Delete playlist"), c, 512, 69, 95, 25);
    sBitBtn13->hide();
    sBitBtn14 = button(QStringLiteral("Refresh"), c, 424, 66, 185, 21);
    sBitBtn14->hide();
    sCheckBox1 = place(new QCheckBox(QStringLiteral("Random Playback"), c), 431, 291);

    // Bottom bar: the credit link and the update indicators at its right end.
    sPanel1 = new QFrame(c);
    sPanel1->setFrameShape(QFrame::StyledPanel);
    sPanel1->setAutoFillBackground(true);
    place(sPanel1, -16, 324, 649, 37);
    sLabelFX2 =
        place(new ClickLabel(QStringLiteral("Halvane Entertainment"), sPanel1), 20, 4, 160, 20);
    const int indicatorLeft = 448;
    Image1 = place(new QLabel(sPanel1), indicatorLeft - 20, 6, 16, 16);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(16, 16));
    Image1->hide();
    Image2 = place(new QLabel(sPanel1), indicatorLeft - 20, 6, 16, 16);
    Image2->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    Image2->hide();
    sButton5 = button(QStringLiteral("Updates available - click here!"), sPanel1, indicatorLeft, 3,
                      180, 22);
    sButton5->hide();
    sBitBtn10 = button(QStringLiteral("Updates deactivated"), sPanel1, indicatorLeft, 3, 180, 22);
    sBitBtn10->hide();
    sButton7 = button(QStringLiteral("CONNECTION ERROR"), sPanel1, indicatorLeft, 3, 180, 22);
    QPalette red = sButton7->palette();
    red.setColor(QPalette::ButtonText, Qt::red);
    sButton7->setPalette(red);
    sButton7->hide();
    Label21 = place(new QLabel(QStringLiteral("No Updates are available"), sPanel1), indicatorLeft,
                    6, 180, 16);
    Label21->hide();
}

void Form1::buildMenus() {
    QMenuBar* bar = menuBar();

    File1 = bar->addMenu(QStringLiteral("File"));
    Importplaylist1 = File1->addAction(QStringLiteral("Import playlist"));
    exportplaylist1 = File1->addAction(QStringLiteral("Export playlist"));
    File1->addSeparator();
    Close1 = File1->addAction(QStringLiteral("Close"));
    connect(Close1, &QAction::triggered, this, &Form1::Close1Click);

    Playlists1 = bar->addMenu(QStringLiteral("Playlists"));
    Addsongtocurrentplaylist1 =
        Playlists1->addAction(QStringLiteral("Add song to current playlist"));
    DeletesongfromPlaylist1 = Playlists1->addAction(QStringLiteral("Delete song from Playlist"));
    Playlists1->addSeparator();
    Moveup2 = Playlists1->addAction(QStringLiteral("Move up"));
    Movedown2 = Playlists1->addAction(QStringLiteral("Move down"));

    Favorites1 = bar->addMenu(QStringLiteral("Favorites"));
    Login3 = Favorites1->addAction(QStringLiteral("Login"));
    Export1 = Favorites1->addAction(QStringLiteral("Import"));

    Extras1 = bar->addMenu(QStringLiteral("Extras"));
    ListentoVellwave1 = Extras1->addMenu(QStringLiteral("Listen to Vellwave"));
    CableDSLT11 = ListentoVellwave1->addAction(QStringLiteral("Cable/DSL/T1"));
    DialUp1 = ListentoVellwave1->addAction(QStringLiteral("Dial-Up"));
    CheckoutonQuorvell1 = Extras1->addAction(QStringLiteral("Check out on QV"));
    DownloadSong1 = Extras1->addAction(QStringLiteral("Download Song"));
    Extras1->addSeparator();
    Settings1 = Extras1->addAction(QStringLiteral("Settings"));

    Help1 = bar->addMenu(QStringLiteral("Help"));
    Changelog1 = Help1->addAction(QStringLiteral("Changelog"));
    Contact1 = Help1->addAction(QStringLiteral("&Contact"));
    About1 = Help1->addAction(QStringLiteral("About"));

    PopupMenu1 = new QMenu(this);
    Play2 = PopupMenu1->addAction(QStringLiteral("Play"));
    Delete1 = PopupMenu1->addAction(QStringLiteral("Delete"));
    PopupMenu1->addSeparator();
    Moveup1 = PopupMenu1->addAction(QStringLiteral("Move up"));
    MoveDown1 = PopupMenu1->addAction(QStringLiteral("Move down"));
    PopupMenu1->addSeparator();
    Download1 = PopupMenu1->addAction(QStringLiteral("Download"));

    PopupMenu2 = new QMenu(this);
    AddtoPlaylist1 = PopupMenu2->addMenu(QStringLiteral("Add to Playlist"));
    Play1 = PopupMenu2->addAction(QStringLiteral("Play"));
    Download2 = PopupMenu2->addAction(QStringLiteral("Download"));

    PopupMenu3 = new QMenu(this);
    Showwindow1 = PopupMenu3->addAction(QStringLiteral("Show window"));
    QFont bold = Showwindow1->font();
    bold.setBold(true);
    Showwindow1->setFont(bold);
    PopupMenu3->setDefaultAction(Showwindow1);
    PlayPause1 = PopupMenu3->addAction(QStringLiteral("Play / Pause"));
    Previoussong1 = PopupMenu3->addAction(QStringLiteral("Previous song"));
    Nextsong1 = PopupMenu3->addAction(QStringLiteral("Next song"));
    PopupMenu3->addSeparator();
    Close2 = PopupMenu3->addAction(QStringLiteral("Close"));
    // The tray's "Close" ends the program like "File" > "Close".
    connect(Close2, &QAction::triggered, this, &Form1::Close1Click);
}

void Form1::FormCreate() {
    guarded([&] {
        const IniFile ini = IniFile::settings();

        {
            // One restyle for all six switches, before the window is shown.
            const SkinEngine::Hold hold(*sSkinManager1);
            sSkinManager1->setActive(settings::read(ini, settings::kSkinEnabled));
            sSkinManager1->setSkinName(settings::read(ini, settings::kSkinName));
            sSkinManager1->setActive(settings::read(ini, settings::kSkinEnabled));
            sSkinManager1->setExtendedBorders(settings::read(ini, settings::kExtendedBorders));
            sSkinManager1->setAllowGlowing(settings::read(ini, settings::kGlowing));
            if (settings::read(ini, settings::kHueEnabled))
                sSkinManager1->setHueOffset(settings::read(ini, settings::kHue));
        }

        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        show();

        WindowsMediaPlayer1->setVolume(50);

        if (settings::read(ini, settings::kReportStarts))
            reportStart();

        trayIconVisible = settings::read(ini, settings::kShowTrayIcon);
        ShowTrayiconAlways = settings::read(ini, settings::kShowTrayIcon);
        minimizeToTray = settings::read(ini, settings::kMinimizeToTray);
        applyTray(trayIconVisible, minimizeToTray);

        for (const HotkeySlot slot : {PlayPauseKey, PreviousSongKey, RestoreKey, NextSongKey})
            hotkeyIds[slot] = atoms::add(kHotkeyAtomNames[slot]);

        loadPlaylistNames();
    });
}

// Fire and forget: the answer is never read, and a failure is only logged.
void Form1::reportStart() {
    QNetworkRequest request(
        QUrl(Servers::current().counter + QStringLiteral("/radioplayer/counter.htm")));
    request.setTransferTimeout(WebTransfer::idleTimeout());
    QNetworkReply* reply = WebBrowser1->get(request);
    connect(reply, &QNetworkReply::finished, reply, [reply] {
        if (reply->error() != QNetworkReply::NoError)
            qCDebug(lcNet).noquote() << "start report to" << reply->url().toDisplayString()
                                     << "failed:" << reply->errorString();
        reply->deleteLater();
    });
}

void Form1::loadPlaylistNames() {
    playlists.clear();
    playlists = text::loadFile(paths::workFile(QStringLiteral("Playlists/playlists.ini")));
    setPlaylistSelector(text::lines(playlists).value(0));
    rebuildPlaylistMenu();
}

void Form1::FormClick() {
    if (windows.form13)
        windows.form13->sBitBtn1Click();
}

void Form1::Close1Click() {
    close();
}

void Form1::FormDestroy() {
    for (const HotkeySlot slot : {PlayPauseKey, NextSongKey, PreviousSongKey, RestoreKey}) {
        if (hotkeys)
            hotkeys->unregisterHotkey(hotkeyIds[slot]);
        atoms::remove(hotkeyIds[slot]);
        hotkeyIds[slot] = 0;
    }
}

void Form1::SpeedButton2Click() {
    setFixedWidth(kCollapsedWidth);
    SpeedButton2->hide();
    SpeedButton3->show();
}

void Form1::SpeedButton3Click() {
    setFixedWidth(kExpandedWidth);
    SpeedButton2->show();
    SpeedButton3->hide();
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program, whatever other windows are
    // open. A transfer running meanwhile ends as cancelled, and its handler
    // unwinds before any window is destroyed.
    event->accept();
    ending_ = true;
    QCoreApplication::quit();
}

// Tab goes down the search options, through the player's buttons and bars
// and on to the lists' panel, as the eye reads the window. Hidden controls
// are passed by.
void Form1::setUpKeyboard() {
    QWidget* const order[] = {
        ComboBox1, sCheckBox3, sComboBox1, sComboBox2, sEdit1,       sBitBtn15,    sBitBtn5,
        sBitBtn8,  sBitBtn9,   sBitBtn3,   sBitBtn4,   sBitBtn11,    sBitBtn2,     sBitBtn1,
        sBitBtn6,  sGauge1,    sBitBtn7,   sGauge2,    SpeedButton2, SpeedButton3, sButton2,
        sButton4,  sButton3,   sBitBtn12,  sBitBtn13,  sComboBox3,   sBitBtn14,    ListBox1,
        sListBox1, sListBox2,  sCheckBox1, sButton5,   sBitBtn10,    sButton7};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    for (QListWidget* list : {ListBox1, sListBox1, sListBox2})
        list->installEventFilter(this);
}

// Enter plays the selected row of a list; Delete removes it from the own
// playlist, as the context menu's "Delete" does.
bool Form1::listKeyEvent(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* list = qobject_cast<QListWidget*>(watched);
    if (!list || (list != ListBox1 && list != sListBox1 && list != sListBox2) ||
        rows::selected(*list) < 0)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        sBitBtn3Click();
        return true;
    }
    if (key->key() == Qt::Key_Delete && list == sListBox1) {
        Delete1Click();
        return true;
    }
    return false;
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (barMouseEvent(watched, event) || barKeyEvent(watched, event) ||
        listKeyEvent(watched, event))
        return true;
    // Presses that a control leaves unhandled reach the client area too; only
    // one on the bare background counts.
    if (watched == client_ && event->type() == QEvent::MouseButtonPress &&
        !client_->childAt(static_cast<QMouseEvent*>(event)->position().toPoint()))
        FormMouseDown();
    return QMainWindow::eventFilter(watched, event);
}

} // namespace qv
