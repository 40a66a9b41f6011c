// SPDX-License-Identifier: GPL-3.0-or-later
#include "skinengine.h"
#include "skinstyle.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using qv::SkinEngine;

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Counts the palette changes the application announces: one per restyle.
class PaletteChanges : public QObject {
public:
    PaletteChanges() { qApp->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
            ++count;
        return false;
    }
};

} // namespace

class TestSkins : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString skins() const { return dir_.filePath(QStringLiteral("skins")); }
    QString skin(const QString& relative) const { return skins() + QLatin1Char('/') + relative; }

    QColor builtIn(QPalette::ColorRole role) const {
        SkinEngine engine;
        return engine.colour(role);
    }

private slots:
    void listsDirectoriesWithOptionsAndLowerCaseAszFiles() {
        write(skin("Zeta/Options.dat"), "");
        write(skin("alpha/Options.dat"), "");
        write(skin("NoOptions/readme.txt"), "");
        write(skin("a.asz"), "");
        write(skin("b.ASZ"), "");
        write(skin("c.d.asz"), "");
        write(skin("x.txt"), "");
        QCOMPARE(SkinEngine::listSkins(skins()), QStringList({"a", "alpha", "c", "Zeta"}));
        QCOMPARE(SkinEngine::listSkins(dir_.filePath("missing")), QStringList());
        QDir().mkpath(dir_.filePath("empty"));
        QCOMPARE(SkinEngine::listSkins(dir_.filePath("empty")), QStringList());
    }

    void hueOffsetTurnsTheDrawnColours() {
        SkinEngine engine;
        engine.setActive(true);
        QPushButton button; // no text: its middle is all background
        button.resize(60, 24);
        const auto middle = [&] { return button.grab().toImage().pixelColor(30, 12); };

        const QColor before = middle();
        QCOMPARE(before.name(), engine.colour(QPalette::Button).name());
        engine.setHueOffset(180);
        const QColor after = middle();
        QCOMPARE(after.name(), engine.colour(QPalette::Button).name());
        const int turned = (after.hsvHue() - before.hsvHue() + 360) % 360;
        QVERIFY2(qAbs(turned - 180) <= 3, qPrintable(QString::number(turned)));

        // A window made later is skinned too; grey has no hue to turn.
        QWidget later;
        QCOMPARE(later.palette().color(QPalette::Window), engine.colour(QPalette::Window));
        QCOMPARE(engine.colour(QPalette::Shadow), builtIn(QPalette::Shadow));

        engine.setHueOffset(-20);
        QCOMPARE(engine.HueOffset(), 340);
    }

    void unknownOrUnsafeNamesDrawTheBuiltInSkin() {
        write(skin("Red.asz"), "[Colors]\nWindow=#aa0000\n");
        write(dir_.filePath("outside/Options.dat"), "[Colors]\nWindow=#00aa00\n");
        SkinEngine engine;
        engine.setSkinDirectory(skins());
        engine.setSkinName("Red");
        QCOMPARE(engine.colour(QPalette::Window), QColor("#aa0000"));
        for (const char* name : {"Nothing", "../outside", "Red.asz", "", ".."}) {
            engine.setSkinName(name);
            QCOMPARE(engine.colour(QPalette::Window), builtIn(QPalette::Window));
            QCOMPARE(engine.SkinName(), QString::fromLatin1(name)); // kept for the settings
        }
    }

    void switchingOffRestoresTheApplication() {
        qApp->setStyleSheet("QLabel { margin: 1px; }");
        const QPalette original = QApplication::palette();
        {
            SkinEngine engine;
            engine.setActive(true);
            QVERIFY(QApplication::palette().color(QPalette::Window) !=
                    original.color(QPalette::Window));
            QVERIFY(qApp->styleSheet().startsWith("QLabel { margin: 1px; }"));
            engine.setActive(false);
            QCOMPARE(qApp->styleSheet(), QString("QLabel { margin: 1px; }"));
            QCOMPARE(QApplication::palette(), original);
            engine.setActive(true);
        } // and so does an engine that goes away while on
        QCOMPARE(qApp->styleSheet(), QString("QLabel { margin: 1px; }"));
        QCOMPARE(QApplication::palette(), original);
        qApp->setStyleSheet({});
    }

    // The skin's drawing is a style of its own; a style sheet is set only
    // for a skin that brings one, and only as that skin's sheet.
    void aSheetOnlyForASkinThatBringsOne() {
        write(skin("Sheeted.asz"), "[Sheet]\nQLabel { margin: 2px; }\n");
        const QString original = QApplication::style()->name();
        {
            SkinEngine engine;
            engine.setSkinDirectory(skins());
            engine.setActive(true);
            QVERIFY(qobject_cast<qv::SkinStyle*>(QApplication::style()));
            QVERIFY(qApp->styleSheet().isEmpty());
            engine.setSkinName("Sheeted");
            QCOMPARE(qApp->styleSheet().trimmed(), QString("QLabel { margin: 2px; }"));
            engine.setExtendedBorders(false);
            engine.setSkinName(SkinEngine::kBuiltInSkin);
            QVERIFY(qApp->styleSheet().isEmpty());
            const auto* style = qobject_cast<qv::SkinStyle*>(QApplication::style());
            QVERIFY(style && !style->extendedBorders() && style->glowing());
            engine.setActive(false);
            QCOMPARE(QApplication::style()->name(), original);
            engine.setActive(true);
        } // an engine that goes away leaves the style as it found it
        QCOMPARE(QApplication::style()->name(), original);
    }

    // A window that has not been shown yet takes up a new palette too.
    void windowsNotShownYetFollowThePalette() {
        QWidget hidden;
        QPushButton child(&hidden);
        SkinEngine engine;
        engine.setActive(true);
        engine.setHueOffset(150);
        QCOMPARE(hidden.palette().color(QPalette::Window), engine.colour(QPalette::Window));
        QCOMPARE(child.palette().color(QPalette::Button), engine.colour(QPalette::Button));
    }

    void restylesOnlyOnRealChangesAndOnceWhenHeld() {
        SkinEngine engine;
        PaletteChanges changes;
        {
            const SkinEngine::Hold hold(engine);
            engine.setActive(true);
            engine.setSkinName("Nothing");
            engine.setExtendedBorders(false);
            engine.setAllowGlowing(false);
            engine.setHueOffset(90);
        }
        QCOMPARE(changes.count, 1);
        engine.setHueOffset(90);
        engine.setSkinName(SkinEngine::kBuiltInSkin); // the same look as "Nothing"
        QCOMPARE(changes.count, 1);
        engine.setHueOffset(91);
        QCOMPARE(changes.count, 2);
    }

    void malformedSkinsFallBackWithoutHarm() {
        write(skin("Bad.asz"), "\xff\xfe garbage\n[Colors\n=#123456\nWindow=blue\nBase=#12345\n"
                               "Button=#zzzzzz\nText=#102030\nNoRole=#ffffff\n"
                               "[Sheet]\nQLabel { color: #ff0000; \n");
        write(skin("Binary.asz"), QByteArray("[Colors]\nWindow=#aa0000\n\0\x01", 26));
        write(skin("Huge.asz"), "[Colors]\nWindow=#aa0000\n" + QByteArray(2 << 20, 'x'));
        write(skin("Turned.asz"), "[Sheet]\nQLabel#abc { color: #ff0000; }\n");
        SkinEngine engine;
        engine.setSkinDirectory(skins());
        engine.setActive(true);

        QTest::ignoreMessage(QtWarningMsg,
                             "Skin \"Bad\": a style sheet with unbalanced braces is left out");
        engine.setSkinName("Bad");
        QCOMPARE(engine.colour(QPalette::Text), QColor("#102030"));
        for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
            QCOMPARE(engine.colour(role), builtIn(role));
        QVERIFY(!qApp->styleSheet().contains("#ff0000")); // unbalanced: left out
        for (const char* name : {"Binary", "Huge"}) {
            QTest::ignoreMessage(QtWarningMsg, QByteArray("Skin \"") + name +
                                                   "\" could not be read; using the built-in skin");
            engine.setSkinName(name);
            QCOMPARE(engine.colour(QPalette::Window), builtIn(QPalette::Window));
        }

        // Colours in a skin's sheet turn with the hue; an object name does not.
        engine.setSkinName("Turned");
        engine.setHueOffset(120);
        QVERIFY2(qApp->styleSheet().contains("QLabel#abc { color: #00ff00; }"),
                 qPrintable(qApp->styleSheet()));
    }
};

QTEST_MAIN(TestSkins)
#include "test_skins.moc"
