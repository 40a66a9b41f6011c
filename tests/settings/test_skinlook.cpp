// SPDX-License-Identifier: GPL-3.0-or-later
// The skins look as they did when a style sheet drew them: the windows drawn
// by the skin's style, and drawn again by the rules the sheet had, agree.
#include "fakemediaplayer.h"
#include "form1.h"
#include "listrows.h"
#include "program.h"
#include "secondarywindows.h"
#include "skinengine.h"
#include "testinstall.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDirIterator>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTest>

namespace {

// The rules the skins had as a style sheet.
QString formerSheet(bool extendedBorders, bool glowing) {
    const QString width = extendedBorders ? QStringLiteral("2px") : QStringLiteral("1px");
    QString sheet =
        QStringLiteral("QPushButton { background-color: palette(button); border: %1 solid "
                       "palette(light); border-radius: 3px; padding: 0px; }\n"
                       "QDialog QPushButton { padding: 3px 12px; min-width: 40px; }\n"
                       "QPushButton:pressed, QPushButton:checked { background-color: "
                       "palette(dark); }\n"
                       "QGroupBox { border: %1 solid palette(light); border-radius: 4px; "
                       "margin-top: 2ex; padding-top: 2px; }\n"
                       "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 "
                       "3px; }\n")
            .arg(width);
    if (extendedBorders)
        sheet += QStringLiteral("QAbstractScrollArea { border: 2px solid palette(mid); }\n");
    if (glowing)
        sheet += QStringLiteral("QPushButton:hover { border-color: palette(highlight); "
                                "background-color: palette(midlight); }\n");
    return sheet;
}

// Draws the skin with the former rules instead of its style; the skin's own
// sheet stays on top of them.
void useFormerRules(bool extendedBorders, bool glowing) {
    const QString skinSheet = qApp->styleSheet();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("fusion")));
    qApp->setStyleSheet(formerSheet(extendedBorders, glowing) + skinSheet);
}

// How many pixels differ, and the images kept for a look when any do.
int differingPixels(const QImage& expected, const QImage& actual, const QString& name) {
    int differing = expected.size() == actual.size() ? 0 : expected.width() * expected.height();
    for (int y = 0; !differing && y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x)
            differing += expected.pixel(x, y) != actual.pixel(x, y);
    }
    if (differing) {
        expected.save(QDir::temp().filePath(name + QStringLiteral("-former.png")));
        actual.save(QDir::temp().filePath(name + QStringLiteral("-now.png")));
    }
    return differing;
}

// A button whose style option the test can set to any state.
class Button : public QPushButton {
public:
    using QPushButton::initStyleOption;
    using QPushButton::QPushButton;
};

} // namespace

class TestSkinLook : public QObject {
    Q_OBJECT

    std::unique_ptr<TestInstall> install_;

    std::unique_ptr<qv::Form1> start(const QString& skin, bool extendedBorders, bool glowing,
                                     int hue) {
        const QDir shipped(QStringLiteral(QV_SOURCE_DIR "/skins"));
        QDirIterator files(shipped.path(), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString from = files.next();
            const QString to =
                install_->path(QStringLiteral("skins/") + shipped.relativeFilePath(from));
            QDir().mkpath(QFileInfo(to).path());
            QFile::copy(from, to);
        }
        install_->writeSettings({"[General]", "Reportstarts=0", "[Skin]", "Name=" + skin,
                                 QStringLiteral("EXTBorders=%1").arg(extendedBorders),
                                 QStringLiteral("Glowing=%1").arg(glowing),
                                 QStringLiteral("HUE=%1").arg(hue)});
        return qv::startProgram(std::make_unique<qv::FakeMediaPlayer>(), qv::UpdateCheck::Skip);
    }

    static void addRows() {
        QTest::addColumn<QString>("skin");
        QTest::addColumn<bool>("extendedBorders");
        QTest::addColumn<bool>("glowing");
        QTest::addColumn<int>("hue");
        for (const char* skin : {"WMP 2008", "Silver", "Ember"}) {
            QTest::addRow("%s", skin) << skin << true << true << 0;
            QTest::addRow("%s, plain borders, hue 120", skin) << skin << false << false << 120;
        }
    }

    // The window drawn now, and by the former rules.
    static std::pair<QImage, QImage> bothWays(QWidget& window, bool extendedBorders, bool glowing) {
        QCoreApplication::sendPostedEvents();
        const QImage now = window.grab().toImage();
        useFormerRules(extendedBorders, glowing);
        QCoreApplication::sendPostedEvents();
        return {window.grab().toImage(), now};
    }

private slots:
    void init() { install_ = std::make_unique<TestInstall>(); }
    void cleanup() { install_.reset(); }

    void mainWindow_data() { addRows(); }
    void mainWindow() {
        QFETCH(QString, skin);
        QFETCH(bool, extendedBorders);
        QFETCH(bool, glowing);
        QFETCH(int, hue);
        const auto form1 = start(skin, extendedBorders, glowing, hue);
        for (const char* title : {"First song", "Second song", "Third song"})
            qv::rows::append(*form1->ListBox1, QLatin1String(title));
        form1->ListBox1->setCurrentRow(1);
        const auto [former, now] = bothWays(*form1, extendedBorders, glowing);
        const int differing = differingPixels(
            former, now, QStringLiteral("skinlook-main-%1").arg(QTest::currentDataTag()));
        QVERIFY2(differing == 0, qPrintable(QString::number(differing)));
    }

    // Every secondary window as it opens, the settings on the page with the
    // group box, and a menu of the main window.
    void secondaryWindowsAndMenus_data() { addRows(); }
    void secondaryWindowsAndMenus() {
        QFETCH(QString, skin);
        QFETCH(bool, extendedBorders);
        QFETCH(bool, glowing);
        QFETCH(int, hue);
        const auto form1 = start(skin, extendedBorders, glowing, hue);
        const qv::SecondaryWindows& w = form1->windows;
        w.form10->startPauseMs = 3600 * 1000; // no download while it is open
        QList<QWidget*> windows = {w.aboutBox.get(), w.form5.get(),  w.form3.get(),
                                   w.form9.get(),    w.form10.get(), w.form11.get(),
                                   w.form12.get(),   w.form13.get(), w.form14.get(),
                                   w.form15.get(),   w.form16.get(), w.form17.get()};
        for (QWidget* window : windows)
            window->show();
        w.form11->sButton3Click();
        form1->Help1->popup(QPoint(40, 40));
        windows << form1->Help1;
        QCoreApplication::sendPostedEvents();
        QList<QImage> now;
        for (QWidget* window : windows)
            now << window->grab().toImage();
        useFormerRules(extendedBorders, glowing);
        QCoreApplication::sendPostedEvents();
        for (int i = 0; i < windows.size(); ++i) {
            const QString name = QString::fromLatin1(windows[i]->metaObject()->className())
                                     .remove(QStringLiteral("qv::"));
            const int differing = differingPixels(
                windows[i]->grab().toImage(), now[i],
                QStringLiteral("skinlook-%1-%2").arg(name, QTest::currentDataTag()));
            QVERIFY2(differing == 0, qPrintable(name + QStringLiteral(": %1").arg(differing)));
        }
        form1->Help1->hide();
    }

    // Buttons in every state, in and outside a dialog, and a message box.
    void buttonsAndMessageBoxes_data() { addRows(); }
    void buttonsAndMessageBoxes() {
        QFETCH(QString, skin);
        QFETCH(bool, extendedBorders);
        QFETCH(bool, glowing);
        QFETCH(int, hue);
        const auto form1 = start(skin, extendedBorders, glowing, hue);
        QDialog dialog;
        Button inDialog(QStringLiteral("Install "), &dialog);
        Button alone(QStringLiteral("Search"));
        alone.resize(81, 41);
        const QList<QStyle::State> states = {
            QStyle::State_Enabled | QStyle::State_Raised,
            QStyle::State_Enabled | QStyle::State_MouseOver,
            QStyle::State_Enabled | QStyle::State_Sunken,
            QStyle::State_Enabled | QStyle::State_Sunken | QStyle::State_MouseOver,
            QStyle::State_Enabled | QStyle::State_On | QStyle::State_MouseOver,
            QStyle::State_Enabled | QStyle::State_HasFocus,
            QStyle::State_None};
        const auto draw = [&](Button& button) {
            button.resize(button.sizeHint().expandedTo(button.size()));
            QImage strip(button.width() * int(states.size()), button.height(),
                         QImage::Format_ARGB32_Premultiplied);
            strip.fill(Qt::transparent);
            QPainter painter(&strip);
            for (int i = 0; i < states.size(); ++i) {
                QStyleOptionButton option;
                button.initStyleOption(&option);
                option.state = states[i] | QStyle::State_Active;
                painter.save();
                painter.translate(i * button.width(), 0);
                button.style()->drawControl(QStyle::CE_PushButton, &option, &painter, &button);
                painter.restore();
            }
            return strip;
        };
        QMessageBox box(QMessageBox::Information, QStringLiteral("Information"),
                        QStringLiteral("Playlist already exists"));
        box.show();
        QCoreApplication::sendPostedEvents(); // the box lays itself out when shown
        const QImage nowDialog = draw(inDialog);
        const QImage nowAlone = draw(alone);
        const QImage nowBox = box.grab().toImage();
        useFormerRules(extendedBorders, glowing);
        QCoreApplication::sendPostedEvents();
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        for (const auto& [former, now, name] :
             {std::tuple{draw(inDialog), nowDialog, QStringLiteral("dialog-button")},
              std::tuple{draw(alone), nowAlone, QStringLiteral("button")},
              std::tuple{box.grab().toImage(), nowBox, QStringLiteral("message-box")}}) {
            const int differing =
                differingPixels(former, now, QStringLiteral("skinlook-%1-%2").arg(name, tag));
            QVERIFY2(differing == 0, qPrintable(name + QStringLiteral(": %1").arg(differing)));
        }
    }

    // The list of a drop-down box: one frame around it, the list's own.
    void dropDownList() {
        const auto form1 = start(QStringLiteral("Ember"), true, true, 0);
        form1->sComboBox2->showPopup();
        QWidget* popup = form1->sComboBox2->view()->window();
        QTRY_VERIFY_WITH_TIMEOUT(popup->isVisible(), 5000);
        const QImage now = popup->grab().toImage();
        useFormerRules(true, true);
        const int differing =
            differingPixels(popup->grab().toImage(), now, QStringLiteral("skinlook-drop-down"));
        QVERIFY2(differing == 0, qPrintable(QString::number(differing)));
        form1->sComboBox2->hidePopup();
    }
};

QTEST_MAIN(TestSkinLook)
#include "test_skinlook.moc"
