// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader and a keyboard user get from the windows: every control
// that can be seen has a name and its role, the position and volume bars are
// sliders that assistive technology and the keys set as a press would, and
// the now-playing and status lines announce their changes.
//
// Run with --bus, the test starts a private Xvfb and the accessibility bus
// (it runs under dbus-run-session), so that Qt's accessibility is on and its
// events can be seen; otherwise it runs offscreen and skips those.
#include "clicklabel.h"
#include "demoportal.h"
#include "fakemediaplayer.h"
#include "form1.h"
#include "listrows.h"
#include "messagerecorder.h"
#include "playcontrol.h"
#include "program.h"
#include "secondarywindows.h"
#include "skinengine.h"
#include "testinstall.h"
#include "testportal.h"
#include "testprogram.h"
#include "testxvfb.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <optional>
#include <string_view>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

using qv::FakeMediaPlayer;
using qv::Form1;

namespace {

QAccessibleInterface* face(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

QString name(QObject* object) {
    return face(object)->text(QAccessible::Name);
}

// Roles of what a user acts on; a screen reader must be able to name each.
bool interactive(QAccessible::Role role) {
    static constexpr QAccessible::Role kRoles[] = {
        QAccessible::Button,        QAccessible::CheckBox,     QAccessible::RadioButton,
        QAccessible::ComboBox,      QAccessible::EditableText, QAccessible::List,
        QAccessible::Slider,        QAccessible::SpinBox,      QAccessible::Link,
        QAccessible::HotkeyField,   QAccessible::ScrollBar,    QAccessible::PageTab,
        QAccessible::MenuItem,      QAccessible::ProgressBar,  QAccessible::ButtonMenu,
        QAccessible::ButtonDropDown};
    return std::find(std::begin(kRoles), std::end(kRoles), role) != std::end(kRoles);
}

// A scroll area's own scroll bars go with the list or text they move.
bool scrollAreaPart(QObject* object) {
    auto* bar = qobject_cast<QScrollBar*>(object);
    for (QWidget* up = bar ? bar->parentWidget() : nullptr; up; up = up->parentWidget()) {
        if (qobject_cast<QAbstractScrollArea*>(up))
            return true;
        if (up->isWindow())
            break;
    }
    return false;
}

// Every control in the window that can be seen and acted on but has no name,
// by class and role.
void collectUnnamed(QAccessibleInterface* node, QStringList& unnamed) {
    if (!node || node->state().invisible)
        return;
    QObject* object = node->object();
    if (interactive(node->role()) && node->text(QAccessible::Name).trimmed().isEmpty() &&
        !scrollAreaPart(object))
        unnamed << QStringLiteral("%1 (role 0x%2)")
                       .arg(object ? QString::fromLatin1(object->metaObject()->className())
                                   : QStringLiteral("item"))
                       .arg(int(node->role()), 0, 16);
    for (int i = 0; i < node->childCount(); ++i)
        collectUnnamed(node->child(i), unnamed);
}

QString unnamedControls(QWidget* window) {
    QStringList unnamed;
    collectUnnamed(face(window), unnamed);
    return unnamed.join(QStringLiteral(", "));
}

// The labels a screen reader names the field by.
QList<QObject*> labelsOf(QObject* field) {
    QList<QObject*> labels;
    for (const auto& [label, relation] : face(field)->relations(QAccessible::Label))
        labels << label->object();
    return labels;
}

QAccessibleValueInterface* valueOf(QObject* bar) {
    return face(bar)->valueInterface();
}

// Keys as the window system delivers them: to the focused control.
void press(Qt::Key key) {
    QTest::keyClick(static_cast<QWidget*>(nullptr), key);
}

// The name-changed events of the running program, as a screen reader gets
// them: the control and its new name.
QList<std::pair<QObject*, QString>> heard;

void hear(QAccessibleEvent* event) {
    QAccessibleInterface* node = event->accessibleInterface();
    if (event->type() == QAccessible::NameChanged && node)
        heard.append({event->object(), node->text(QAccessible::Name)});
}

QStringList heardNames(QObject* object) {
    QStringList names;
    for (const auto& [control, name] : heard) {
        if (control == object)
            names << name;
    }
    return names;
}

} // namespace

class TestAccessibility : public ProgramTest {
    Q_OBJECT

private:
    FakeMediaPlayer* player_ = nullptr;

    void startPlaying(double seconds) {
        qv::rows::append(*form1_->ListBox1, QStringLiteral("Song"));
        form1_->ListBox2 << songLink(1);
        form1_->sBitBtn3Click();
        player_->setDuration(seconds);
    }

    // The window's look of a bar, with or without the keyboard focus.
    QImage barLook(QWidget* bar, bool focused) {
        if (focused) {
            bar->setFocus(Qt::TabFocusReason);
        } else {
            form1_->sBitBtn3->setFocus(Qt::TabFocusReason);
        }
        if (bar->hasFocus() != focused)
            return {};
        return bar->grab().toImage();
    }

private slots:
    void init() {
        install_ = quietInstall();
        messages_ = std::make_unique<qv::MessageRecorder>();
        form1_ = startWithFakePlayer(&player_);
        form1_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form1_.get(), 5000));
        player_->volumeRequests.clear();
    }

    void cleanup() { endProgram(); }

    void mainWindowControlsAreNamed() {
        const struct {
            QWidget* control;
            QAccessible::Role role;
            const char* name;
        } expected[] = {
            {form1_->ComboBox1->lineEdit(), QAccessible::EditableText, "Genre"},
            {form1_->sCheckBox3, QAccessible::CheckBox, "more..."},
            {form1_->sEdit1, QAccessible::EditableText, "Start from Page"},
            {form1_->sBitBtn15, QAccessible::Button, "Setting"},
            {form1_->sBitBtn5, QAccessible::Button, "Search"},
            {form1_->sGauge3, QAccessible::ProgressBar, "Search progress"},
            {form1_->sBitBtn3, QAccessible::Button, "Play"},
            {form1_->sBitBtn4, QAccessible::Button, "Pause"},
            {form1_->sBitBtn11, QAccessible::Button, "Resume"},
            {form1_->sBitBtn6, QAccessible::Button, "Volume up"},
            {form1_->sBitBtn7, QAccessible::Button, "Volume down"},
            {form1_->sGauge1, QAccessible::Slider, "Volume"},
            {form1_->sGauge2, QAccessible::Slider, "Position"},
            {form1_->SpeedButton2, QAccessible::Button, "Hide playlist"},
            {form1_->SpeedButton3, QAccessible::Button, "Show playlist"},
            {form1_->ListBox1, QAccessible::List, "Search results"},
            {form1_->sListBox1, QAccessible::List, "Own playlist"},
            {form1_->sListBox2, QAccessible::List, "Favourite songs"},
            {form1_->sCheckBox1, QAccessible::CheckBox, "Random Playback"},
            {form1_->sLabelFX2, QAccessible::Link, "Halvane Entertainment"},
            {form1_->Label4, QAccessible::StaticText, "Waiting..."},
            {form1_->Label9, QAccessible::StaticText, "Loading..."},
        };
        for (const auto& e : expected) {
            QCOMPARE(face(e.control)->role(), e.role);
            QCOMPARE(name(e.control), QLatin1String(e.name));
        }
        // The captions stay as they were; the fields are tied to them. On
        // Linux a drop-down's name is its text: its caption is read from the
        // tie, and names it while the text is empty.
        QCOMPARE(form1_->Label11->text(), QStringLiteral("Start from Page:"));
        QCOMPARE(labelsOf(form1_->sEdit1), QList<QObject*>{form1_->Label11});
        const std::pair<QLabel*, QComboBox*> dropDowns[] = {{form1_->Label1, form1_->ComboBox1},
                                                            {form1_->Label10, form1_->sComboBox1},
                                                            {form1_->Label20, form1_->sComboBox2},
                                                            {form1_->Label5, form1_->sComboBox3}};
        for (const auto& [label, box] : dropDowns) {
            QCOMPARE(face(box)->role(), QAccessible::ComboBox);
            QCOMPARE(labelsOf(box), QList<QObject*>{label});
        }
        form1_->sComboBox3->setEditText(QString());
        QCOMPARE(name(form1_->sComboBox3), QStringLiteral("Playlist"));
        QCOMPARE(form1_->SpeedButton2->text(), QStringLiteral("<<"));

        // Every state of the window: at start, collapsed, and in each play mode.
        QCOMPARE(unnamedControls(form1_.get()), QString());
        form1_->SpeedButton2Click();
        QCOMPARE(unnamedControls(form1_.get()), QString());
        form1_->SpeedButton3Click();
        form1_->sButton4Click();
        QVERIFY(!form1_->sComboBox3->isHidden());
        QCOMPARE(unnamedControls(form1_.get()), QString());
        form1_->sButton3Click();
        QVERIFY(!form1_->sBitBtn14->isHidden());
        QCOMPARE(unnamedControls(form1_.get()), QString());
        // The credit link can be pressed from a screen reader.
        QSignalSpy pressed(form1_->sLabelFX2, &qv::ClickLabel::clicked);
        auto* actions = face(form1_->sLabelFX2)->actionInterface();
        QVERIFY(actions);
        QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
        actions->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(pressed.size(), 1);
    }

    // Each window shown as the user meets it, the settings on each page.
    void secondaryWindowsControlsAreNamed() {
        qv::SecondaryWindows& w = form1_->windows;
        qv::Form11& settings = *w.form11;
        QWidget* const windows[] = {w.aboutBox.get(), w.form5.get(),  w.form3.get(),
                                    w.form9.get(),    w.form10.get(), w.form11.get(),
                                    w.form12.get(),   w.form13.get(), w.form14.get(),
                                    w.form15.get(),   w.form16.get(), w.form17.get()};
        for (QWidget* window : windows) {
            window->show();
            QCOMPARE(name(window), window->windowTitle()); // read by its caption
            QCOMPARE(unnamedControls(window), QString());
            if (window == &settings) {
                for (QPushButton* page :
                     {settings.sButton2, settings.sButton3, settings.sButton1}) {
                    page->click();
                    QCOMPARE(unnamedControls(window), QString());
                }
            }
            window->hide();
        }
        const std::pair<QWidget*, const char*> named[] = {
            {w.form5->RichEdit1, "Whats New?"},
            {w.form3->sGauge1, "Checking for updates..."},
            {w.form10->sGauge1, "Download Progress"},
            {settings.sBitBtn4, "About start-up reports"},
            {settings.HotKey1, "Play / Pause"},
            {settings.HotKey5, "Restore / minimize"},
            {settings.sScrollBar1, "Hue offset"},
            {settings.ComboBox1->lineEdit(), "Skin"},
            {w.form12->sEdit1, "Please enter the name of your Playlist"},
            {w.form14->sEdit1, "Please enter your Quorvell name"},
            {w.form16->sComboBox1->lineEdit(), "Select the playlist, you want to export"},
            {w.form13->CheckListBox1, "Genres"},
            {w.aboutBox->Image1, "Maker's page on Quorvell"}};
        for (const auto& [control, wanted] : named)
            QCOMPARE(name(control), QLatin1String(wanted));
        QCOMPARE(face(w.aboutBox->sLabelFX2)->role(), QAccessible::Link);
    }

    // The boxes are read with their titles and texts, as they always were.
    void messageBoxesReadAsTheyAre() {
        messages_.reset(); // the real boxes
        QStringList read;
        QTimer reader;
        QElapsedTimer waited;
        connect(&reader, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) {
                if (waited.elapsed() > 5000)
                    reader.stop();
                return;
            }
            QStringList texts{name(box)};
            QList<QAccessibleInterface*> nodes{face(box)};
            while (!nodes.isEmpty()) {
                QAccessibleInterface* node = nodes.takeFirst();
                if (node->role() == QAccessible::StaticText &&
                    !node->text(QAccessible::Name).isEmpty())
                    texts << node->text(QAccessible::Name);
                for (int i = 0; i < node->childCount(); ++i)
                    nodes << node->child(i);
            }
            read << texts.join(QLatin1Char('|'));
            box->done(QMessageBox::No);
        });
        reader.start(20);
        waited.start();
        QTest::mouseClick(form1_->sBitBtn5, Qt::LeftButton); // no genre chosen
        waited.start();
        QVERIFY(!qv::messages::question(QStringLiteral("Are you shure?")));
        QCOMPARE(read, (QStringList{"Quorvell Radio Player|Please select a genre",
                                    "Warning|Are you shure?"}));
    }

    // Setting a bar's value as a screen reader does acts as a press at that
    // place of the bar.
    void barsAreSlidersThatSet() {
        QAccessibleValueInterface* volume = valueOf(form1_->sGauge1);
        QAccessibleValueInterface* position = valueOf(form1_->sGauge2);
        QVERIFY(volume && position);
        QCOMPARE(volume->currentValue().toInt(), 50);
        QCOMPARE(volume->minimumValue().toInt(), 0);
        QCOMPARE(volume->maximumValue().toInt(), 100);
        QCOMPARE(position->maximumValue().toInt(), 100);

        volume->setCurrentValue(30.0);
        QCOMPARE(form1_->sGauge1->value(), 30);
        QCOMPARE(player_->volumeRequests, QList<int>{30});
        volume->setCurrentValue(250); // beyond the top is the top
        QCOMPARE(player_->volumeRequests, (QList<int>{30, 100}));
        QCOMPARE(volume->currentValue().toInt(), 100);

        // Before anything was played, as a press, it does nothing.
        position->setCurrentValue(40);
        QCOMPARE(form1_->sGauge2->value(), 0);
        QVERIFY(player_->positionRequests.isEmpty());

        startPlaying(200);
        position->setCurrentValue(40.7);
        QCOMPARE(form1_->sGauge2->value(), 40);
        QCOMPARE(position->currentValue().toInt(), 40);
        // A press at the place of 40 asks for the same position.
        const QPoint at(65, 8);
        QCOMPARE(qv::playback::seekPercent(at.x(), form1_->sGauge2->width()), 40);
        QTest::mousePress(form1_->sGauge2, Qt::LeftButton, {}, at);
        QTest::mouseRelease(form1_->sGauge2, Qt::LeftButton, {}, at);
        QCOMPARE(player_->positionRequests, (QList<double>{80, 80}));

        // The elapsed and total time are read with the position.
        form1_->Timer2Timer();
        QCOMPARE(face(form1_->sGauge2)->text(QAccessible::Description),
                 QStringLiteral("0:01 of 03:20"));
        QCOMPARE(face(form1_->sGauge2)->text(QAccessible::Value), QStringLiteral("0:01 of 03:20"));
        QCOMPARE(face(form1_->sGauge1)->text(QAccessible::Value), QStringLiteral("100"));
        QVERIFY(messages_->records.isEmpty());
    }

    // Through the window as a keyboard user meets it: Tab reaches each bar
    // beside the player's buttons.
    void keysSeekAndTurnTheVolume() {
        form1_->sBitBtn6->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form1_->sGauge1);
        press(Qt::Key_Up);
        press(Qt::Key_Up);
        press(Qt::Key_Down);
        QCOMPARE(player_->volumeRequests, (QList<int>{60, 70, 60}));
        QCOMPARE(form1_->sGauge1->value(), 60);
        press(Qt::Key_Left); // not a volume key
        QVERIFY(player_->positionRequests.isEmpty());

        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form1_->sBitBtn7);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form1_->sGauge2);
        press(Qt::Key_Right); // nothing played yet
        QVERIFY(player_->positionRequests.isEmpty());

        startPlaying(200);
        player_->setPosition(100);
        press(Qt::Key_Right);
        press(Qt::Key_Right);
        press(Qt::Key_Left);
        QCOMPARE(player_->positionRequests, (QList<double>{105, 110, 105}));
        QCOMPARE(form1_->sGauge2->value(), 52); // 105 of 200 s, half to even
        press(Qt::Key_End);
        QCOMPARE(form1_->sGauge2->value(), 100);
        press(Qt::Key_Right); // no further than the end
        press(Qt::Key_Home);
        press(Qt::Key_Left); // nor before the start
        QCOMPARE(player_->positionRequests, (QList<double>{105, 110, 105, 200, 200, 0, 0}));
        QCOMPARE(form1_->sGauge2->value(), 0);
        press(Qt::Key_Up); // not a position key
        QCOMPARE(player_->volumeRequests, (QList<int>{60, 70, 60}));

        // A stream without a length has nothing to seek in.
        player_->positionRequests.clear();
        player_->setDuration(0);
        press(Qt::Key_Right);
        press(Qt::Key_End);
        QVERIFY(player_->positionRequests.isEmpty());
        QCOMPARE(QApplication::focusWidget(), form1_->sGauge2);
        QVERIFY(messages_->records.isEmpty());
    }

    // Unfocused the bars look as before; focused they show a frame, under
    // every skin the player ships and with skins off.
    void focusedBarsShowAFrameUnderEverySkin() {
        const QDir shipped(QStringLiteral(QV_SOURCE_DIR "/skins"));
        for (const QString& file : shipped.entryList(QDir::Files))
            QVERIFY(QFile::copy(shipped.filePath(file), install_->path("skins/" + file)));
        QVERIFY(QDir(install_->path("skins")).mkpath(QStringLiteral("Ember")));
        for (const QString& file : QDir(shipped.filePath("Ember")).entryList(QDir::Files))
            QVERIFY(QFile::copy(shipped.filePath("Ember/" + file),
                                install_->path("skins/Ember/" + file)));

        // A plain progress bar made as the window makes its bars.
        const auto plainLook = [&] {
            QProgressBar plain(form1_->sGauge1->parentWidget());
            plain.setGeometry(form1_->sGauge1->geometry());
            plain.setOrientation(Qt::Vertical);
            plain.setTextVisible(false);
            QPalette colours = plain.palette();
            for (const auto role : {QPalette::Highlight, QPalette::Base})
                colours.setColor(role, form1_->sGauge1->palette().color(role));
            plain.setPalette(colours);
            plain.setValue(form1_->sGauge1->value());
            plain.show();
            return plain.grab().toImage();
        };

        qv::SkinEngine& skins = *form1_->sSkinManager1;
        const QStringList names{QString(), qv::SkinEngine::kBuiltInSkin, "Ember", "Silver"};
        QCOMPARE(qv::SkinEngine::listSkins(install_->path("skins")),
                 (QStringList{"Ember", "Silver"}));
        for (const QString& skin : names) {
            skins.setActive(!skin.isEmpty());
            if (!skin.isEmpty())
                skins.setSkinName(skin);
            QCOMPARE(barLook(form1_->sGauge1, false), plainLook());
            for (qv::Gauge* bar : {form1_->sGauge1, form1_->sGauge2}) {
                const QImage before = barLook(bar, false);
                const QImage focused = barLook(bar, true);
                QVERIFY2(!before.isNull() && !focused.isNull(), qPrintable(skin));
                QCOMPARE(focused.size(), before.size());
                // Only the ring one pixel inside the edge changes, and enough
                // of it to be seen.
                const QRect ring = QRect(QPoint(0, 0), before.size()).adjusted(1, 1, -1, -1);
                int changed = 0;
                for (int y = 0; y < before.height(); ++y) {
                    for (int x = 0; x < before.width(); ++x) {
                        if (before.pixel(x, y) == focused.pixel(x, y))
                            continue;
                        const bool onRing = (x == ring.left() || x == ring.right() ||
                                             y == ring.top() || y == ring.bottom()) &&
                                            ring.contains(x, y);
                        QVERIFY2(onRing,
                                 qPrintable(QStringLiteral("%1: %2,%3").arg(skin).arg(x).arg(y)));
                        ++changed;
                    }
                }
                const int ringLength = 2 * (ring.width() + ring.height()) - 4;
                QVERIFY2(changed * 3 >= ringLength, qPrintable(skin));
            }
        }
    }

    // The events a screen reader speaks: a new song's title in the
    // now-playing line, the status line's texts during a search.
    void changesAreAnnounced() {
        if (!QAccessible::isActive())
            QSKIP("accessibility is off (no accessibility bus): run with --bus");
        demo::Portal portal(portalWithoutRadio());
        portal.start();
        install_->usePortal(portal);
        heard.clear();
        QAccessible::installUpdateHandler(hear);
        const auto deaf = qScopeGuard([] { QAccessible::installUpdateHandler(nullptr); });

        startPlaying(60);
        player_->setName(QStringLiteral("Autumn Leaves"));
        form1_->Timer1Timer();
        form1_->Timer1Timer(); // the same title again is not news
        QCOMPARE(heardNames(form1_->Label9), (QStringList{"Opening...", "Autumn Leaves"}));

        // Several genres, so that each ends with "Ready".
        QTest::mouseClick(form1_->sCheckBox3, Qt::LeftButton);
        qv::Form13& genres = *form1_->windows.form13;
        for (const char* genre : {"Jazz", "Techno"})
            genres.CheckListBox1->findItems(QLatin1String(genre), Qt::MatchExactly)
                .first()
                ->setCheckState(Qt::Checked);
        QTest::mouseClick(genres.sBitBtn1, Qt::LeftButton);
        QTest::mouseClick(form1_->sBitBtn5, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form1_->ListBox1->count(), 50 + 50, 20000);
        const QStringList status = heardNames(form1_->Label4);
        QCOMPARE(status.first(), QStringLiteral("Downloading..."));
        QVERIFY(status.contains(QStringLiteral("Scanning...")));
        QCOMPARE(status.last(), QStringLiteral("Ready"));
        QCOMPARE(status.count(QStringLiteral("Ready")), 2);
    }
};

namespace {

// The accessibility bus that a desktop session provides, on the session bus
// of dbus-run-session; it dies with the test. Its socket goes to a folder of
// the test's own: in the usual one it would meet another test's.
bool startAccessibilityBus(const QTemporaryDir& runtime) {
    const char* launcher = "/usr/libexec/at-spi-bus-launcher";
    if (access(launcher, X_OK) != 0 || !getenv("DBUS_SESSION_BUS_ADDRESS") || !runtime.isValid())
        return false;
    setenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()).constData(), 1);
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        execl(launcher, launcher, "--launch-immediately", nullptr);
        _exit(127);
    }
    return pid > 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    const bool bus = args.size() > 1 && std::string_view(args[1]) == "--bus";
    if (bus)
        args.erase(args.begin() + 1);
    int count = int(args.size());
    std::optional<TestXvfb> xvfb;
    const QTemporaryDir runtime;
    if (bus) {
        if (!QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() &&
            startAccessibilityBus(runtime)) {
            xvfb.emplace();
            if (xvfb->display.empty())
                qFatal("Xvfb did not start");
            setenv("QT_QPA_PLATFORM", "xcb", 1);
            setenv("DISPLAY", xvfb->display.c_str(), 1);
            setenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1", 1);
        }
    }
    QApplication app(count, args.data());
    // Qt turns accessibility on once it has found the bus.
    if (xvfb && !QTest::qWaitFor([] { return QAccessible::isActive(); }, 10000))
        qFatal("accessibility did not come on");
    TestAccessibility test;
    return QTest::qExec(&test, count, args.data());
}

#include "test_accessibility.moc"
