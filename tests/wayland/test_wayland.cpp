// SPDX-License-Identifier: GPL-3.0-or-later
// The player on a real Wayland compositor: weston's headless backend, started
// by this test with a private runtime directory. weston has no input devices
// there, so clicks are delivered by Qt Test inside the process; what the
// compositor makes of the windows is read from weston's scene graph and a
// screenshot. "--offscreen" checks that nothing of it applies elsewhere.
#include "fakemediaplayer.h"
#include "form1.h"
#include "program.h"
#include "secondarywindows.h"
#include "testinstall.h"
#include "windowing.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using qv::FakeMediaPlayer;
using qv::Form1;

namespace {

// The bound of each wait; the sanitized build is several times slower. A
// failed QTRY waits twice as long again, to say whether more time would have
// helped: the ctest TIMEOUT allows for a few of those.
#ifdef QV_SLOW_BUILD
constexpr int kWaitMs = 25000;
#else
constexpr int kWaitMs = 10000;
#endif

constexpr int kSkipped = 77; // ctest's SKIP_RETURN_CODE for this test
const QString kSocket = QStringLiteral("qv-test");
// A colour no window of the player uses, so a screenshot tells the two apart.
constexpr QRgb kBackground = 0xff993366;
const QString kCaption = QStringLiteral("Quorvell Music Player 1.36");

// What a test that ends early (killed at its time-out) leaves behind is
// removed by a helper process that outlives it: paths made before the fork,
// so the helper only calls functions that are safe in a signal handler.
struct Leftovers {
    char files[4][256] = {};
    char dir[256] = {};
} leftovers;

extern "C" void removeLeftovers(int) {
    for (const char* file : leftovers.files)
        if (*file)
            unlink(file);
    rmdir(leftovers.dir);
    _exit(0);
}

// Forks the helper; it acts once this process is gone.
pid_t forkCleaner() {
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGTERM, removeLeftovers);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            removeLeftovers(0);
        for (;;)
            pause();
    }
    return pid;
}

// weston on its headless backend with its debug protocol (scene graph,
// screenshots), no panel, no animations and no screen locking. It dies with this process,
// whichever way the process ends.
class Weston {
public:
    Weston() {
        char name[] = "/tmp/qv-wayland-XXXXXX";
        if (!mkdtemp(name))
            return;
        runtime_ = name;
        chmod(name, 0700);
        const std::string ini = runtime_ + "/weston.ini";
        if (FILE* f = std::fopen(ini.c_str(), "w")) {
            // No animations: a screenshot shows the windows as they are.
            std::fprintf(f,
                         "[shell]\nbackground-color=0x%08x\npanel-position=none\n"
                         "startup-animation=none\nanimation=none\nclose-animation=none\n"
                         "focus-animation=none\n",
                         unsigned{kBackground});
            std::fclose(f);
        }
        const std::string config = "--config=" + ini;
        const std::string socket = "--socket=" + kSocket.toStdString();
        const std::string log = runtime_ + "/weston.log";
        const std::string names[] = {ini, log, runtime_ + "/" + kSocket.toStdString(),
                                     runtime_ + "/" + kSocket.toStdString() + ".lock"};
        for (std::size_t i = 0; i < std::size(names); ++i)
            std::snprintf(leftovers.files[i], sizeof leftovers.files[i], "%s", names[i].c_str());
        std::snprintf(leftovers.dir, sizeof leftovers.dir, "%s", runtime_.c_str());
        cleaner_ = forkCleaner();
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
            const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            execlp("weston", "weston", "--backend=headless-backend.so", "--use-pixman",
                   socket.c_str(), "--debug", "--idle-time=0", config.c_str(), "--width=1024",
                   "--height=768", nullptr);
            _exit(127);
        }
    }
    ~Weston() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            for (int i = 0; i < 50 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
                usleep(100'000);
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (!runtime_.empty())
            QDir(QString::fromStdString(runtime_)).removeRecursively();
        if (cleaner_ > 0) {
            kill(cleaner_, SIGKILL);
            waitpid(cleaner_, nullptr, 0);
        }
    }
    Weston(const Weston&) = delete;
    Weston& operator=(const Weston&) = delete;

    // True once clients can connect.
    bool waitForSocket() const {
        const std::string socket = runtime_ + "/" + kSocket.toStdString();
        struct stat st {};
        for (int i = 0; i < kWaitMs / 50 && running(); ++i) {
            if (stat(socket.c_str(), &st) == 0)
                return true;
            usleep(50'000);
        }
        return false;
    }
    QString runtimeDir() const { return QString::fromStdString(runtime_); }
    bool running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

private:
    std::string runtime_;
    pid_t pid_ = -1;
    pid_t cleaner_ = -1;
};

// A view of weston's scene graph: what the compositor shows, where.
struct View {
    QString role;        // "xdg_toplevel", "xdg_popup", ...
    qint64 pid = 0;      // the client's process
    QString description; // "top-level window 'CAPTION' of APP_ID", ...
    QRect rect;
};

QString runTool(const QString& program, const QStringList& args, const QString& dir = {}) {
    QProcess tool;
    if (!dir.isEmpty())
        tool.setWorkingDirectory(dir);
    tool.start(program, args);
    if (!tool.waitForFinished(10000)) {
        tool.kill();
        tool.waitForFinished(1000);
        return {};
    }
    return QString::fromUtf8(tool.readAllStandardOutput());
}

QList<View> sceneGraph() {
    static const QRegularExpression viewLine(QStringLiteral(
        R"(View \d+ \(role ([^,]+), PID (\d+), surface ID \d+, (.*), 0x[0-9a-f]+\):)"));
    static const QRegularExpression positionLine(
        QStringLiteral(R"(position: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\))"));
    QList<View> views;
    for (const QString& line :
         runTool(QStringLiteral("weston-debug"), {QStringLiteral("scene-graph")}).split('\n')) {
        if (const auto m = viewLine.match(line); m.hasMatch()) {
            views.append({m.captured(1), m.captured(2).toLongLong(), m.captured(3), {}});
        } else if (const auto p = positionLine.match(line); p.hasMatch() && !views.isEmpty()) {
            const QPoint from(p.captured(1).toInt(), p.captured(2).toInt());
            const QPoint to(p.captured(3).toInt(), p.captured(4).toInt());
            views.last().rect = QRect(from, to - QPoint(1, 1));
        }
    }
    return views;
}

std::optional<View> findView(qint64 pid, const QString& role, const QString& description = {}) {
    for (const View& view : sceneGraph())
        if (view.pid == pid && view.role == role && view.description.contains(description))
            return view;
    return std::nullopt;
}

QString toplevelOf(const QString& caption) {
    return QStringLiteral("top-level window '%1' of qvplayer").arg(caption);
}

// A screenshot of the whole output, through weston's screenshooter.
QImage screenshot() {
    QTemporaryDir dir;
    runTool(QStringLiteral("weston-screenshooter"), {}, dir.path());
    const QStringList shots = QDir(dir.path()).entryList({QStringLiteral("*.png")}, QDir::Files);
    return shots.isEmpty() ? QImage() : QImage(dir.filePath(shots.first()));
}

bool isBackground(QRgb pixel) {
    return (pixel | 0xff000000) == kBackground;
}

// How many pixels of a rectangle differ from the background, as a share.
double shareNotBackground(const QImage& image, const QRect& rect) {
    qint64 differ = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            differ += !isBackground(image.pixel(x, y));
    return double(differ) / double(rect.width() * rect.height());
}

// How many pixels outside a rectangle differ from the background.
qint64 notBackgroundOutside(const QImage& image, const QRect& rect) {
    qint64 differ = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            differ += !rect.contains(x, y) && !isBackground(image.pixel(x, y));
    return differ;
}

int distinctColours(const QImage& image, const QRect& rect) {
    QSet<QRgb> colours;
    for (int y = rect.top(); y <= rect.bottom(); y += 2)
        for (int x = rect.left(); x <= rect.right(); x += 2)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

} // namespace

namespace QTest {
// Failed comparisons of places say where, or that there was none.
template <> char* toString(const std::optional<QPoint>& at) {
    return at ? QTest::toString(*at) : qstrdup("none");
}
} // namespace QTest

// The player's windows on the compositor.
class TestWayland : public QObject {
    Q_OBJECT

    std::unique_ptr<TestInstall> install_;

    std::unique_ptr<Form1> start() {
        install_->writeSettings({"[General]", "Reportstarts=0"});
        return qv::startProgram(std::make_unique<FakeMediaPlayer>(), qv::UpdateCheck::Skip);
    }

    // Whether the compositor shows the main window, waiting for it.
    static bool mainShown() {
        return QTest::qWaitFor(
            [] {
                return findView(QCoreApplication::applicationPid(), QStringLiteral("xdg_toplevel"),
                                toplevelOf(kCaption))
                    .has_value();
            },
            kWaitMs);
    }

    // Where the compositor shows the genre list, relative to the main
    // window's surface; empty while it shows none.
    static std::optional<QPoint> listOffset() {
        const qint64 self = QCoreApplication::applicationPid();
        const auto main = findView(self, QStringLiteral("xdg_toplevel"), toplevelOf(kCaption));
        const auto list = findView(self, QStringLiteral("xdg_popup"));
        if (!main || !list)
            return std::nullopt;
        return list->rect.topLeft() - main->rect.topLeft();
    }

    // Where a point of the main window lies on its surface: Qt draws the
    // window's frame on the surface, left of and above the window.
    static QPoint onSurface(const Form1& form1, const QWidget& widget, QPoint at) {
        const QMargins frame = form1.windowHandle()->frameMargins();
        return widget.mapTo(&form1, at) + QPoint(frame.left(), frame.top());
    }

    static QPoint inBox(const QCheckBox& box) { return {4, box.height() / 2}; }

private slots:
    void initTestCase() {
        // The shell has put up its background: screenshots show it.
        QTRY_VERIFY_WITH_TIMEOUT(
            [] {
                for (const View& view : sceneGraph())
                    if (view.description.startsWith(QLatin1String("background for output")))
                        return true;
                return false;
            }(),
            kWaitMs);
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
    }

    void init() { install_ = std::make_unique<TestInstall>(); }
    void cleanup() { install_.reset(); }

    void thePlayerRunsNatively_data() {
        QTest::addColumn<bool>("named");
        QTest::newRow("platform chosen by Qt") << false;
        QTest::newRow("QT_QPA_PLATFORM=wayland") << true;
    }

    void thePlayerRunsNatively() {
        QFETCH(bool, named);
        const QString exe = install_->path(QStringLiteral("qvplayer"));
        QVERIFY(QFile::copy(QStringLiteral(QVPLAYER_PATH), exe));
        // Every server a closed port: the update check fails at once.
        writeAll(
            install_->path(QStringLiteral("servers.ini")),
            "[Servers]\nPortal=http://127.0.0.1:9\nFavoritesPage=http://127.0.0.1:9\n"
            "Radio=http://127.0.0.1:9\nUpdate=http://127.0.0.1:9\nCounter=http://127.0.0.1:9\n");
        // No update check: its open error box would stay on screen.
        install_->writeSettings({"[General]", "Reportstarts=0", "Ceckforupdates=0"});

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (named)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        else
            env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        env.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("1"));
        env.insert(QStringLiteral("QVPLAYER_MPV_OPTIONS"), QStringLiteral("ao=null"));
        // The slow unwinder this test runs with in the sanitizer build would
        // slow the player's start several times over; it is killed, never
        // checked for leaks.
        if (env.contains(QStringLiteral("ASAN_OPTIONS")))
            env.insert(QStringLiteral("ASAN_OPTIONS"),
                       env.value(QStringLiteral("ASAN_OPTIONS"))
                           .remove(QStringLiteral(":fast_unwind_on_malloc=0")));
        const QString wire = install_->path(QStringLiteral("wire.log"));
        QProcess player;
        player.setProcessEnvironment(env);
        player.setWorkingDirectory(install_->path({}));
        player.setStandardErrorFile(wire);
        player.setStandardOutputFile(QProcess::nullDevice());
        player.start(exe, {});
        QVERIFY(player.waitForStarted(5000));
        const auto stop = qScopeGuard([&] {
            player.kill();
            player.waitForFinished(5000);
        });

        // The compositor shows the main window under its caption and app id,
        // and the splash of the update check has come and gone. The main
        // window can be shown before the splash is, and the splash can be on
        // the wire before the compositor shows it, so only a splash that the
        // player has destroyed again counts as gone.
        const auto splashDestroyed = [&] {
            static const QRegularExpression made(
                QStringLiteral(R"(-> (xdg_toplevel@\d+)\.set_title\("Quorvell Radio Player"\))"));
            const QString log = QString::fromUtf8(readAll(wire));
            const auto m = made.match(log);
            return m.hasMatch() &&
                   log.indexOf(m.captured(1) + QStringLiteral(".destroy()"), m.capturedEnd()) >= 0;
        };
        std::optional<View> main;
        QTRY_VERIFY_WITH_TIMEOUT(
            splashDestroyed() &&
                (main = findView(player.processId(), QStringLiteral("xdg_toplevel"),
                                 toplevelOf(kCaption))) &&
                !findView(player.processId(), QStringLiteral("xdg_toplevel"),
                          toplevelOf(QStringLiteral("Quorvell Radio Player"))),
            kWaitMs);
        QCOMPARE(player.state(), QProcess::Running);

        // On the wire: the app id, and the splash names the main window as
        // its parent.
        const QString log = QString::fromUtf8(readAll(wire));
        QVERIFY(log.contains(QLatin1String("set_app_id(\"qvplayer\")")));
        static const QRegularExpression toplevel(
            QStringLiteral("-> (xdg_toplevel@\\d+)\\.set_title\\(\"([^\"]*)\"\\)"));
        QMap<QString, QString> titles; // caption -> object
        for (auto it = toplevel.globalMatch(log); it.hasNext();) {
            const auto m = it.next();
            titles.insert(m.captured(2), m.captured(1));
        }
        QVERIFY(titles.contains(kCaption));
        QVERIFY(titles.contains(QStringLiteral("Quorvell Radio Player")));
        QVERIFY(log.contains(QStringLiteral("%1.set_parent(%2)")
                                 .arg(titles.value(QStringLiteral("Quorvell Radio Player")),
                                      titles.value(kCaption))));

        // The screenshot shows the window where the compositor says it is.
        const QImage shot = screenshot();
        QVERIFY(!shot.isNull());
        QVERIFY(shot.rect().contains(main->rect));
        QVERIFY2(shareNotBackground(shot, main->rect) > 0.99,
                 qPrintable(QString::number(shareNotBackground(shot, main->rect))));
        QVERIFY(distinctColours(shot, main->rect) > 20); // drawn, not a plain fill
        QCOMPARE(notBackgroundOutside(shot, main->rect), 0);
    }

    void genreListOpensWhereMoreWasClicked() {
        const auto form1 = start();
        QVERIFY(mainShown());
        qv::Form13& list = *form1->windows.form13;
        QCheckBox& more = *form1->sCheckBox3;

        QTest::mouseClick(&more, Qt::LeftButton, {}, inBox(more));
        QVERIFY(list.isVisible());
        QCOMPARE(list.windowHandle()->type(), Qt::ToolTip);
        QCOMPARE(list.windowHandle()->transientParent(), form1->windowHandle());
        // Placed by the compositor at the click, relative to the main window.
        QTRY_COMPARE_WITH_TIMEOUT(listOffset(), std::optional(onSurface(*form1, more, inBox(more))),
                                  kWaitMs);

        // Another click point, another place.
        QTest::mouseClick(&more, Qt::LeftButton, {}, inBox(more));
        QTRY_COMPARE_WITH_TIMEOUT(listOffset(), std::nullopt, kWaitMs);
        QStyleOptionButton option;
        option.initFrom(&more);
        option.text = more.text();
        const QRect clickable =
            more.style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, &more);
        const QPoint onText = clickable.bottomRight() - QPoint(2, 2);
        QTest::mouseClick(&more, Qt::LeftButton, {}, onText);
        QTRY_COMPARE_WITH_TIMEOUT(listOffset(), std::optional(onSurface(*form1, more, onText)),
                                  kWaitMs);

        // Toggled with the keyboard: beside the box, not at the last click.
        more.setFocus();
        QTest::keyClick(&more, Qt::Key_Space);
        QVERIFY(!list.isVisible());
        QTest::keyClick(&more, Qt::Key_Space);
        QVERIFY(list.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(
            listOffset(), std::optional(onSurface(*form1, more, QPoint(more.width(), 0))), kWaitMs);
    }

    void genreListClosesOnlyWhereItShould() {
        const auto form1 = start();
        QVERIFY(mainShown());
        qv::Form13& list = *form1->windows.form13;
        QCheckBox& more = *form1->sCheckBox3;
        const QPoint at = onSurface(*form1, more, inBox(more));
        const auto open = [&] {
            QTest::mouseClick(&more, Qt::LeftButton, {}, inBox(more));
            QTRY_COMPARE_WITH_TIMEOUT(listOffset(), std::optional(at), kWaitMs);
        };
        const auto closed = [&] {
            QVERIFY(!list.isVisible());
            QTRY_COMPARE_WITH_TIMEOUT(listOffset(), std::nullopt, kWaitMs);
        };

        open();
        QTest::mouseClick(list.sBitBtn1, Qt::LeftButton);
        closed();
        QVERIFY(more.isChecked());

        more.setChecked(false);
        open();
        QTest::mousePress(form1->centralWidget(), Qt::LeftButton, {}, QPoint(150, 100));
        closed();

        more.setChecked(false);
        open();
        QTest::mouseClick(&more, Qt::LeftButton, {}, inBox(more));
        closed();

        // The compositor dismissing it (its popup_done ends in this close):
        // it comes back at the same place. Dismissed again at once, it stays
        // closed, rather than flicker.
        open();
        QVERIFY(!list.close());
        QVERIFY(list.kept);
        QTRY_COMPARE_WITH_TIMEOUT(list.kept->reopened(), 1, kWaitMs);
        QVERIFY(list.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(listOffset(), std::optional(at), kWaitMs);
        QVERIFY(list.close());
        closed();

        // Hidden with the main window (the tray), back with it.
        more.setChecked(false);
        open();
        form1->hide();
        QTRY_VERIFY_WITH_TIMEOUT(!findView(QCoreApplication::applicationPid(),
                                           QStringLiteral("xdg_toplevel"), toplevelOf(kCaption)),
                                 kWaitMs);
        form1->show();
        QTRY_COMPARE_WITH_TIMEOUT(list.kept->reopened(), 2, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(listOffset(), std::optional(at), kWaitMs);
    }

    void secondaryWindowsNameTheMainWindow() {
        const auto form1 = start();
        QVERIFY(mainShown());
        const qv::SecondaryWindows& w = form1->windows;
        // Form10 starts the installer download when shown; the helper is the
        // same for every window.
        const QList<QWidget*> windows = {w.aboutBox.get(), w.form5.get(),  w.form3.get(),
                                         w.form9.get(),    w.form11.get(), w.form12.get(),
                                         w.form13.get(),   w.form14.get(), w.form15.get(),
                                         w.form16.get(),   w.form17.get(), w.form10.get()};
        // Hidden windows cost no native window until they are first shown.
        for (QWidget* window : windows)
            QVERIFY2(!window->windowHandle(), window->metaObject()->className());
        for (QWidget* window : windows.first(windows.size() - 1)) {
            window->show();
            QVERIFY(window->windowHandle());
            QCOMPARE(window->windowHandle()->transientParent(), form1->windowHandle());
            window->hide();
        }
    }
};

// Away from Wayland the windows stay as they were: no transient parents, the
// genre list a tool window at the pointer's screen position.
class TestAwayFromWayland : public QObject {
    Q_OBJECT
private slots:
    void nothingChanges() {
        TestInstall install;
        install.writeSettings({"[General]", "Reportstarts=0"});
        const auto form1 =
            qv::startProgram(std::make_unique<FakeMediaPlayer>(), qv::UpdateCheck::Skip);
        QVERIFY(!qv::windowing::desktopPlacesWindows());
        qv::Form13& list = *form1->windows.form13;
        QCOMPARE(list.windowFlags(), Qt::FramelessWindowHint | Qt::Tool);
        QVERIFY(!list.kept);

        QCursor::setPos(300, 200);
        QTest::mouseClick(form1->sCheckBox3, Qt::LeftButton, {}, QPoint(4, 8));
        QCOMPARE(list.pos(), QPoint(300, 200));
        QCOMPARE(list.windowHandle()->transientParent(), nullptr);
        form1->windows.form12->show();
        QCOMPARE(form1->windows.form12->windowHandle()->transientParent(), nullptr);
    }

    void aClickIsTakenOnce() {
        QWidget control;
        control.setGeometry(40, 30, 100, 20);
        qv::windowing::ClickPosition click(control);
        QCOMPARE(click.take(), std::nullopt);
        QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(7, 5));
        QCOMPARE(click.take(), std::optional(control.mapToGlobal(QPoint(7, 5))));
        QCOMPARE(click.take(), std::nullopt);
        // A key press in between: the toggle that follows is the keyboard's.
        QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(7, 5));
        QTest::keyClick(&control, Qt::Key_Space);
        QCOMPARE(click.take(), std::nullopt);
    }
};

int main(int argc, char** argv) {
    if (argc > 1 && std::string_view(argv[1]) == "--offscreen") {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        int one = 1;
        QApplication app(one, argv);
        TestAwayFromWayland test;
        return QTest::qExec(&test);
    }
    if (QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty()) {
        std::puts("SKIP: weston is not installed");
        return kSkipped;
    }
    Weston weston;
    if (!weston.waitForSocket())
        qFatal("weston did not start");
    setenv("XDG_RUNTIME_DIR", weston.runtimeDir().toLocal8Bit().constData(), 1);
    setenv("WAYLAND_DISPLAY", kSocket.toLocal8Bit().constData(), 1);
    setenv("QT_QPA_PLATFORM", "wayland", 1);
    unsetenv("DISPLAY");
    int status = 0;
    {
        QApplication app(argc, argv);
        TestWayland test;
        status = QTest::qExec(&test, argc, argv);
    }
    return status;
}

#include "test_wayland.moc"
