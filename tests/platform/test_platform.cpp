// SPDX-License-Identifier: GPL-3.0-or-later
#include "boundary.h"
#include "logging.h"
#include "messagerecorder.h"
#include "paths.h"
#include "servers.h"
#include "shell.h"
#include "testfiles.h"
#include "textfile.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>

using namespace qv;

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void holderTextKeepsEveryByteUpToTheFirstZero() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("page.txt"));
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            all.append(char(b));
        writeAll(path, all + QByteArray("\0tail", 5));

        const QString holder = text::loadFile(path);
        QCOMPARE(holder.size(), 255);
        QCOMPARE(text::toBytes(holder), all);

        // Written back, the holder gives the same bytes (without what followed the zero).
        const QString copy = dir.filePath(QStringLiteral("copy.txt"));
        text::saveFile(copy, holder);
        QCOMPARE(readAll(copy), all);
    }

    void fileErrorsNameTheAbsolutePath() {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("nope/x.txt"));
        try {
            text::loadFile(missing);
            QFAIL("no error");
        } catch (const Error& e) {
            QVERIFY2(e.text().startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(missing)),
                     qPrintable(e.text()));
        }
        try {
            text::saveFile(missing, QStringLiteral("x"));
            QFAIL("no error");
        } catch (const Error& e) {
            QVERIFY(
                e.text().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(missing)));
        }
    }

    void failedSaveLeavesTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("list.qvl"));
        writeAll(path, "old\r\n");
        // Writing over a directory fails at commit; the file beside it must survive untouched.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub.qvl")));
        QVERIFY_THROWS_EXCEPTION(Error,
                                 text::saveFile(dir.filePath(QStringLiteral("sub.qvl")), "x"));
        QCOMPARE(readAll(path), QByteArray("old\r\n"));
        text::saveFile(path, QStringLiteral("new"));
        QCOMPARE(readAll(path), QByteArray("new"));
    }

    void linesAreCrLfLines_data() {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("final break adds no line") << "a\r\nb\r\n" << QStringList{"a", "b"};
        QTest::newRow("missing final break") << "a\r\nb" << QStringList{"a", "b"};
        QTest::newRow("bare LF and CR are no breaks") << "a\nb\rc" << QStringList{"a\nb\rc"};
        QTest::newRow("empty lines kept") << "a\r\n\r\nb\r\n" << QStringList{"a", "", "b"};
        QTest::newRow("only a break") << "\r\n" << QStringList{""};
    }
    void linesAreCrLfLines() {
        QFETCH(QString, holder);
        QFETCH(QStringList, expected);
        QCOMPARE(text::lines(holder), expected);
        if (!holder.isEmpty() && holder.endsWith(QStringLiteral("\r\n")))
            QCOMPARE(text::joinLines(expected), holder);
    }

    void displayDecodesUtf8OnlyWhenValid() {
        const QString utf8Holder = text::fromBytes("Caf\xc3\xa9 Nocturne");
        QCOMPARE(text::display(utf8Holder), QStringLiteral("Café Nocturne"));
        const QString latin1Holder = text::fromBytes("Caf\xe9");
        QCOMPARE(text::display(latin1Holder), QStringLiteral("Café"));
        QCOMPARE(text::display(QStringLiteral("Rock &amp; Roll")),
                 QStringLiteral("Rock &amp; Roll"));
        QCOMPARE(text::display(text::fromUser(QStringLiteral("Żółw"))), QStringLiteral("Żółw"));
    }

    void titlesDecodeCharacterReferences_data() {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("shown");
        QTest::newRow("named") << "Caf&eacute; Nocturne"
                               << "Café Nocturne";
        QTest::newRow("markup five") << "&lt;b&gt; &quot;Hi&quot; &amp; &apos;yo&apos;"
                                     << "<b> \"Hi\" & 'yo'";
        QTest::newRow("case matters") << "&Eacute;&eacute;&EACUTE;"
                                      << "Éé&EACUTE;";
        QTest::newRow("latin-1 set") << "&nbsp;&copy;&yuml;"
                                     << "\u00a0©ÿ";
        QTest::newRow("symbol set") << "&alpha;&hearts;&thetasym;"
                                    << "α♥ϑ";
        QTest::newRow("special set") << "&ndash;&mdash;&euro;&OElig;"
                                     << "–—€Œ";
        QTest::newRow("decimal") << "Rock &amp; Roll &#8211; caf&#233;"
                                 << "Rock & Roll – café";
        QTest::newRow("hex") << "&#x2013;&#X2013;&#xe9;&#XE9;"
                             << "––éé";
        QTest::newRow("leading zeros") << "&#0000233;&#x00000e9;"
                                       << "éé";
        QTest::newRow("beyond the basic plane") << "&#x1F3B5;&#127925;"
                                                << "🎵🎵";
        QTest::newRow("last code point")
            << "&#x10FFFF;" << QStringView(QChar::fromUcs4(0x10FFFF)).toString();
        QTest::newRow("windows-1252 numbers") << "&#150;&#147;&#148;&#128;"
                                              << "–“”€";
        QTest::newRow("code page gaps stay controls") << "&#129;"
                                                      << "\u0081";
        QTest::newRow("side by side") << "&lt;&gt;&lt;"
                                      << "<><";
        QTest::newRow("decoded once") << "&amp;amp; &amp;#8211; &amp;lt;"
                                      << "&amp; &#8211; &lt;";
        QTest::newRow("unterminated") << "&amp &#8211 &#x2013 fish&chips"
                                      << "&amp &#8211 &#x2013 fish&chips";
        QTest::newRow("unknown names") << "&bogus; &ampx; &AMP; &thetasymx;"
                                       << "&bogus; &ampx; &AMP; &thetasymx;";
        QTest::newRow("empty") << "&; &#; &#x; & ;"
                               << "&; &#; &#x; & ;";
        QTest::newRow("malformed digits") << "&#12a; &#xZZ; &#-1; &#+5; &# 5;"
                                          << "&#12a; &#xZZ; &#-1; &#+5; &# 5;";
        QTest::newRow("zero") << "&#0; &#x0;"
                              << "&#0; &#x0;";
        QTest::newRow("surrogates") << "&#xD800; &#55296; &#xDFFF;"
                                    << "&#xD800; &#55296; &#xDFFF;";
        QTest::newRow("out of range") << "&#x110000; &#1114112; &#99999999999999999999999;"
                                      << "&#x110000; &#1114112; &#99999999999999999999999;";
        QTest::newRow("at the end") << "a& b&# c&#x d&amp"
                                    << "a& b&# c&#x d&amp";
        QTest::newRow("ampersand before a reference") << "&&amp;&#&#38;"
                                                      << "&&&#&";
    }
    void titlesDecodeCharacterReferences() {
        QFETCH(QString, written);
        QFETCH(QString, shown);
        QCOMPARE(text::decodeReferences(written), shown);
    }

    void titlesDecodeUtf8BeforeTheReferences() {
        // The stored bytes stay as they were; only what is shown changes.
        const QByteArray bytes("Caf\xc3\xa9 &amp; Cr&egrave;me &#8211; &#x263A;");
        const QString holder = text::fromBytes(bytes);
        QCOMPARE(text::displayTitle(holder), QStringLiteral("Café & Crème – ☺"));
        QCOMPARE(text::toBytes(holder), bytes);
        // A Latin-1 page and a reference to the same letter look alike.
        QCOMPARE(text::displayTitle(text::fromBytes("Caf\xe9 / Caf&#233;")),
                 QStringLiteral("Café / Café"));
        // A reference to a UTF-8 lead byte's number is a character, not a byte.
        QCOMPARE(text::displayTitle(text::fromBytes("&#195;&#169;")), QStringLiteral("Ã©"));
        // Names are not titles.
        QCOMPARE(text::display(holder), QStringLiteral("Café &amp; Cr&egrave;me &#8211; &#x263A;"));
    }

    void pathsAreInjectable() {
        paths::setExeDir(QStringLiteral("/tmp/inst"));
        paths::setWorkDir(QStringLiteral("/tmp/work"));
        QCOMPARE(paths::exeFile(QStringLiteral("settings.ini")),
                 QStringLiteral("/tmp/inst/settings.ini"));
        QCOMPARE(paths::workFile(QStringLiteral("./temp/text.txt")),
                 QStringLiteral("/tmp/work/temp/text.txt"));
        paths::setExeDir({});
        paths::setWorkDir({});
        QCOMPARE(paths::exeDir(), QCoreApplication::applicationDirPath());
    }

    void shellHandsOnlyWebAndMailAddresses_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("expected");
        const QString base = QStringLiteral("http://127.0.0.1:8080");
        QTest::newRow("http") << "http://127.0.0.1:8080/listen/0180001/"
                              << "http://127.0.0.1:8080/listen/0180001/";
        QTest::newRow("https") << "https://example.org/a"
                               << "https://example.org/a";
        QTest::newRow("relative") << "/listen/0180027/" << base + "/listen/0180027/";
        QTest::newRow("relative no slash") << "listen/0180027/" << base + "/listen/0180027/";
        QTest::newRow("mailto") << "mailto:contact@halvane.example"
                                << "mailto:contact@halvane.example";
        QTest::newRow("javascript") << "javascript:alert(1)" << QString();
        QTest::newRow("file") << "file:///etc/passwd" << QString();
        QTest::newRow("exec-like") << "/usr/bin/xterm" << base + "/usr/bin/xterm";
        QTest::newRow("empty") << "" << QString();
        QTest::newRow("empty mailto") << "mailto:" << QString();
    }
    void shellHandsOnlyWebAndMailAddresses() {
        QFETCH(QString, address);
        QFETCH(QString, expected);
        const QUrl url = shell::resolve(address, QStringLiteral("http://127.0.0.1:8080"));
        QCOMPARE(url.isValid() ? url.toString() : QString(), expected);
    }

    void shellOpensThroughTheOpener() {
        QList<QUrl> opened;
        const auto previous = shell::setOpener([&](const QUrl& u) {
            opened.append(u);
            return true;
        });
        Servers s = Servers::defaults();
        s.portal = QStringLiteral("http://127.0.0.1:9");
        Servers::setCurrent(s);
        QVERIFY(shell::openAddress(QStringLiteral("/listen/0010001/")));
        QVERIFY(!shell::openAddress(QStringLiteral("javascript:void(0)")));
        QTemporaryDir dir;
        writeAll(dir.filePath(QStringLiteral("update.exe")), "MZ");
        QVERIFY(shell::openFile(dir.filePath(QStringLiteral("update.exe"))));
        QVERIFY(!shell::openFile(dir.filePath(QStringLiteral("missing.exe"))));
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[0].toString(), QStringLiteral("http://127.0.0.1:9/listen/0010001/"));
        QVERIFY(opened[1].isLocalFile());
        shell::setOpener(previous);
    }

    // The categories say nothing unless switched on; switched on, a refused
    // address and an port that is no number each leave a line in theirs.
    void silentFailuresLogOnlyWhenSwitchedOn() {
        for (const QLoggingCategory& category :
             {std::cref(lcNet()), std::cref(lcPlayer()), std::cref(lcMpris()),
              std::cref(lcUpdate()), std::cref(lcSettings())}) {
            QVERIFY2(QByteArray(category.categoryName()).startsWith("qv."),
                     category.categoryName());
            QVERIFY2(!category.isDebugEnabled(), category.categoryName());
        }
        static QStringList lines;
        lines.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext& context, const QString& text) {
                lines << QLatin1String(context.category) + QLatin1String(": ") + text;
            });
        QLoggingCategory::setFilterRules(QStringLiteral("qv.*=true"));
        const auto restore = qScopeGuard([previous] {
            QLoggingCategory::setFilterRules({});
            qInstallMessageHandler(previous);
        });
        QVERIFY(!shell::openAddress(QStringLiteral("javascript:void(0)")));
        QTemporaryDir dir;
        writeAll(dir.filePath(QStringLiteral("servers.ini")), "[Servers]\r\nRadioPort=loud\r\n");
        QCOMPARE(Servers::load(dir.filePath(QStringLiteral("servers.ini"))).radioPort, 6870);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith(QLatin1String("qv.net: ")) &&
                     lines[0].contains(QLatin1String("javascript:void(0)")),
                 qPrintable(lines[0]));
        QVERIFY2(lines[1].startsWith(QLatin1String("qv.settings: ")) &&
                     lines[1].contains(QLatin1String("loud")),
                 qPrintable(lines[1]));
    }

    void serversFallBackKeyByKey() {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("servers.ini"));
        QCOMPARE(Servers::load(ini).portal, Servers::defaults().portal);
        writeAll(ini, "[Servers]\r\nPortal=http://127.0.0.1:5000/\r\n"
                      "FavoritesPage=http://127.0.0.1:5000/users/%1/favorites/\r\nRadio=http://"
                      "127.0.0.2\r\n");
        const Servers s = Servers::load(ini);
        QCOMPARE(s.portal, QStringLiteral("http://127.0.0.1:5000"));
        QCOMPARE(s.favoritesAddress(QStringLiteral("alice")),
                 QStringLiteral("http://127.0.0.1:5000/users/alice/favorites/"));
        QCOMPARE(s.radioAddress(6872), QStringLiteral("http://127.0.0.2:6872/"));
        QCOMPARE(s.update, Servers::defaults().update);
        QCOMPARE(s.radioPort, 6870);
        QCOMPARE(s.radioDialUpPort, 6872);
        // The radio's ports: whole numbers of a port's range, each on its own.
        for (const auto& [text, port] : {std::pair{"6000", 6000},
                                         {" 65535 ", 65535},
                                         {"1", 1},
                                         {"0", 6870},
                                         {"65536", 6870},
                                         {"-6870", 6870},
                                         {"68x0", 6870},
                                         {"6870.5", 6870},
                                         {"", 6870}}) {
            // A file of its own each time: QSettings would take a file of
            // the same size and time for the one it read before.
            const QString own = dir.filePath(QStringLiteral("port-%1.ini").arg(port) + text);
            writeAll(own,
                     QByteArray("[Servers]\r\nRadioPort=") + text + "\r\nRadioDialUpPort=7001\r\n");
            const Servers ports = Servers::load(own);
            QVERIFY2(ports.radioPort == port, text);
            QCOMPARE(ports.radioDialUpPort, 7001);
        }
        // A comma typed into an address by hand is part of it.
        writeAll(ini, "[Servers]\r\nPortal=http://127.0.0.1:5000/a,b\r\n");
        QCOMPARE(Servers::load(ini).portal, QStringLiteral("http://127.0.0.1:5000/a,b"));
        QVERIFY(
            Servers::defaults().favoritesAddress("bob").endsWith(".quorvell.example/favorites/"));
    }

    void serversIniTextReadsBackAsWritten() {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("servers.ini"));

        // The shipped file: plain lines a user can edit, every key present.
        const QByteArray shipped = Servers::defaults().toIni();
        QVERIFY(shipped.startsWith("[Servers]\r\nPortal=" + Servers::defaults().portal.toUtf8() +
                                   "\r\n"));
        QCOMPARE(shipped.count("\r\n"), 13);
        QVERIFY(shipped.contains("\r\nRadio=http://radio.quorvell.example\r\nRadioPort=6870\r\n"
                                 "RadioDialUpPort=6872\r\n"));
        QVERIFY(shipped.endsWith("\r\nUpdateKey=\r\n")); // no key is built in
        QVERIFY(!shipped.contains('"'));
        writeAll(ini, shipped);
        QVERIFY(Servers::load(ini) == Servers::defaults());

        // Characters QSettings treats as syntax survive the trip.
        Servers odd;
        odd.portal = QStringLiteral("http://h.example/a,b;c=d#e");
        odd.favoritesPage = QStringLiteral("http://%1.h.example/\"quoted\"/back\\slash/");
        odd.radio = QStringLiteral("@http://radio.example");
        odd.update = QStringLiteral(" http://padded.example ");
        odd.counter = QStringLiteral("http://h\u00e9.example/\u00fc");
        odd.homepage = QStringLiteral("line\r\nbreak\ttab");
        odd.makerPage = QStringLiteral("@@two");
        odd.contactMail = QStringLiteral("a@b.example");
        odd.secondMail = QStringLiteral("\\");
        odd.updateKey = QStringLiteral("RWSagcTk+/= RWQf6LRC"); // two keys, blank-separated
        odd.radioPort = 1;
        odd.radioDialUpPort = 65535;
        writeAll(ini, odd.toIni());
        const Servers back = Servers::load(ini);
        QCOMPARE(back.portal, odd.portal);
        QCOMPARE(back.favoritesPage, odd.favoritesPage);
        QCOMPARE(back.radio, odd.radio);
        QCOMPARE(back.update, odd.update);
        QCOMPARE(back.counter, odd.counter);
        QCOMPARE(back.homepage, odd.homepage);
        QCOMPARE(back.makerPage, odd.makerPage);
        QCOMPARE(back.contactMail, odd.contactMail);
        QCOMPARE(back.secondMail, odd.secondMail);
        QCOMPARE(back.updateKey, odd.updateKey);
        QCOMPARE(back.radioPort, 1);
        QCOMPARE(back.radioDialUpPort, 65535);
    }

    void boundaryShowsErrorsAndSwallowsCancellation() {
        MessageRecorder recorder;
        guarded([] { throw Error(QStringLiteral("Error downloading URL: http://x/")); });
        guarded([] { throw Cancelled(QStringLiteral("quitting")); });
        guarded([] { throw std::runtime_error("boom"); });
        bool ran = false;
        guarded([&] { ran = true; });
        QVERIFY(ran);
        QCOMPARE(recorder.texts(), (QStringList{"Error downloading URL: http://x/", "boom"}));
        QCOMPARE(recorder.records[0].kind, MessageKind::Error);
        QCOMPARE(recorder.records[0].title, QStringLiteral("Quorvell Radio Player"));
    }

    void recorderAnswersFromItsScriptAndNests() {
        MessageRecorder outer;
        {
            MessageRecorder inner;
            inner.answers = {true};
            QVERIFY(messages::question(QStringLiteral("Delete?")));
            QVERIFY(!messages::question(QStringLiteral("Again?")));
            messages::information(QStringLiteral("Info"));
            QCOMPARE(inner.records.size(), 3);
            QCOMPARE(inner.records[0].title, QStringLiteral("Warning"));
            QCOMPARE(inner.records[2].title, QStringLiteral("Information"));
        }
        messages::plain(QStringLiteral("after"));
        QCOMPARE(outer.texts(), QStringList{"after"});
        QCOMPARE(outer.records[0].title, QStringLiteral("Quorvell Radio Player"));
    }

    void nestGuardRefusesTheInnerRun() {
        bool busy = false;
        int runs = 0;
        std::function<void()> handler = [&] {
            NestGuard guard(busy);
            if (!guard)
                return;
            ++runs;
            handler(); // as if events were processed inside
        };
        handler();
        QCOMPARE(runs, 1);
        QVERIFY(!busy);
    }
};

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
