// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue.h"
#include "demoportal.h"
#include "fakemediaplayer.h"
#include "form1.h"
#include "listrows.h"
#include "messagerecorder.h"
#include "program.h"
#include "secondarywindows.h"
#include "testinstall.h"
#include "testloop.h"
#include "testportal.h"
#include "testprogram.h"
#include "webtransfer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

using qv::Form1;
using qv::MessageKind;
namespace cat = demo::catalogue;

namespace {

// The holder texts of a page's titles and links as the portal writes them.
struct Expected {
    QStringList titles;
    QStringList links;
};

Expected pageEntries(const std::string& base, int list, int page, cat::Order order) {
    Expected e;
    for (const std::string& n : cat::pageSongs(list, page, order)) {
        e.titles << QString::fromLatin1(cat::songTitle(n));
        e.links << QString::fromLatin1(cat::songLink(base, n));
    }
    return e;
}

QStringList titles(const Form1& form1) {
    QStringList out;
    for (int row = 0; row < form1.ListBox1->count(); ++row)
        out << qv::rows::holder(*form1.ListBox1, row);
    return out;
}

QColor statusColour(const Form1& form1) {
    return form1.Label4->palette().color(QPalette::WindowText);
}

const QColor kRed(255, 0, 0);
const QColor kLime(0, 255, 0);

} // namespace

class TestSearch : public QObject {
    Q_OBJECT

private:
    demo::Portal portal_{portalWithoutRadio()};
    std::string base_;
    std::unique_ptr<TestInstall> install_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<qv::MessageRecorder> unexpected_; // no test may hang on a message box
    qsizetype logged_ = 0;

    // The list pages requested since the last call, as "PATH STATUS".
    QStringList listRequests() {
        const std::vector<std::string> log = portal_.requestLog();
        QStringList out;
        for (auto i = std::size_t(logged_); i < log.size(); ++i) {
            if (log[i].rfind("GET /audio/list/", 0) == 0)
                out << QString::fromStdString(log[i].substr(4));
        }
        logged_ = qsizetype(log.size());
        return out;
    }

    // The pages of one genre are asked for at once: their order is the network's.
    static QStringList sorted(QStringList requests) {
        requests.sort();
        return requests;
    }

    void setOptions(const char* genre, const char* order, const char* results, const char* start) {
        form1_->ComboBox1->setEditText(QLatin1String(genre));
        form1_->sComboBox1->setEditText(QLatin1String(order));
        form1_->sComboBox2->setEditText(QLatin1String(results));
        form1_->sEdit1->setText(QLatin1String(start));
    }

    void tick(const char* genre) {
        const auto found = form1_->windows.form13->CheckListBox1->findItems(QLatin1String(genre),
                                                                            Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        found.first()->setCheckState(Qt::Checked);
    }

    // Every value the progress bar takes while the action runs.
    template <typename Action> QList<int> gaugeValues(Action&& action) {
        QList<int> values;
        const auto c = connect(form1_->sGauge3, &QProgressBar::valueChanged, this,
                               [&](int v) { values << v; });
        action();
        disconnect(c);
        return values;
    }

    void search() { QTest::mouseClick(form1_->sBitBtn5, Qt::LeftButton); }

private slots:
    void initTestCase() {
        portal_.start();
        base_ = portal_.baseUrl();
    }

    void init() {
        install_ = quietInstall(&portal_);
        unexpected_ = std::make_unique<qv::MessageRecorder>();
        form1_ = startWithFakePlayer();
        listRequests();
    }

    void cleanup() {
        form1_.reset();
        unexpected_.reset();
        install_.reset();
        portal_.setFaults({});
    }

    void genreListsOfferTheTable() {
        QCOMPARE(form1_->ComboBox1->count(), 31);
        QCOMPARE(form1_->ComboBox1->itemText(26), QStringLiteral("R&B"));
        QCOMPARE(form1_->ComboBox1->currentText(), QStringLiteral("Select genre"));
        const QListWidget& checks = *form1_->windows.form13->CheckListBox1;
        QCOMPARE(checks.count(), 31);
        for (int i = 0; i < checks.count(); ++i) {
            QCOMPARE(checks.item(i)->text(), form1_->ComboBox1->itemText(i));
            QCOMPARE(checks.item(i)->checkState(), Qt::Unchecked);
        }
        QCOMPARE(form1_->windows.form13->size(), QSize(137, 435));
        QVERIFY(form1_->windows.form13->windowFlags() & Qt::FramelessWindowHint);
    }

    void singleGenreSearch() {
        qv::MessageRecorder messages;
        setOptions("Dubstep", "Top rated", "50", "1");
        search();
        QCOMPARE(form1_->ListBox1->count(), 23); // a genre with fewer than 50 songs
        QCOMPARE(form1_->sGauge3->value(), 100);
        QCOMPARE(listRequests(), QStringList{"/audio/list/41/1/score 200"});

        setOptions("Jazz", "Top rated", "100", "3");
        const QList<int> bar = gaugeValues([&] { search(); });
        QCOMPARE(bar, (QList<int>{0, 50, 100}));
        QCOMPARE(sorted(listRequests()),
                 (QStringList{"/audio/list/18/3/score 200", "/audio/list/18/4/score 200"}));
        // Page 3 holds Jazz's last 30 songs; page 4 lies past the end. Nothing
        // of the earlier search is left.
        const Expected page3 = pageEntries(base_, 18, 3, cat::Order::Score);
        QCOMPARE(titles(*form1_), page3.titles);
        QCOMPARE(form1_->ListBox2, page3.links);
        QCOMPARE(form1_->Label4->text(), QStringLiteral("Scanning..."));
        QCOMPARE(statusColour(*form1_), kRed);
        QVERIFY(form1_->Label4->font().italic());
        QVERIFY(form1_->Memo1.contains(QLatin1String("No submissions found on this page.")));
        QVERIFY(form1_->sBitBtn5->isEnabled());
        QVERIFY(messages.records.isEmpty());

        // The rows keep the titles as the page writes them; on screen UTF-8
        // is readable and character references are decoded.
        const QStringList all = titles(*form1_);
        const auto utf8 = std::find_if(all.begin(), all.end(),
                                       [](const QString& t) { return t.contains(QChar(0xC3)); });
        QVERIFY(utf8 != all.end());
        const QString shown = form1_->ListBox1->item(int(utf8 - all.begin()))->text();
        QVERIFY2(shown.contains(QStringLiteral("Café")) || shown.contains(QStringLiteral("Żółw")),
                 qPrintable(shown));
        const auto reference = std::find_if(
            all.begin(), all.end(), [](const QString& t) { return t.contains(QLatin1Char('&')); });
        QVERIFY(reference != all.end());
        QVERIFY(reference->contains(QLatin1String("&amp;")) ||
                reference->contains(QLatin1String("&quot;")) ||
                reference->contains(QLatin1String("&eacute;")));
        const QString decoded = form1_->ListBox1->item(int(reference - all.begin()))->text();
        QVERIFY2(!decoded.contains(QLatin1String("&amp;")) &&
                     !decoded.contains(QLatin1String("&quot;")) &&
                     !decoded.contains(QLatin1String("&eacute;")) &&
                     !decoded.contains(QLatin1String("&#")),
                 qPrintable(decoded));
        QVERIFY2(decoded.contains(QLatin1String("Rock & Roll 'Demo'")) ||
                     decoded.contains(QLatin1String("\"Live\"")) ||
                     decoded.contains(QStringLiteral("Café – Mix")),
                 qPrintable(decoded));

        // Searching again (Enter in an option field) gives the same rows, never more.
        QTest::keyClick(form1_->sComboBox2, Qt::Key_Return);
        QCOMPARE(titles(*form1_), page3.titles);
        QCOMPARE(form1_->ListBox2.size(), page3.links.size());
        QCOMPARE(listRequests().size(), 2);
    }

    void theBarStopsAtAHundred() {
        setOptions("Jazz", "Title", "150", "1");
        QCOMPARE(gaugeValues([&] { search(); }), (QList<int>{34, 68, 100}));
        QCOMPARE(form1_->ListBox1->count(), 130);
        QCOMPARE(form1_->ListBox2.size(), 130);
    }

    void crowdedPagesGiveFiftyEach() {
        portal_.setFaults({"crowded"});
        setOptions("Jazz", "Recently added", "100", "1");
        search();
        const Expected p1 = pageEntries(base_, 18, 1, cat::Order::Date);
        const Expected p2 = pageEntries(base_, 18, 2, cat::Order::Date);
        QCOMPARE(titles(*form1_), p1.titles + p2.titles);
    }

    void hostilePagesAreTakenVerbatimAndShownSafely() {
        portal_.setFaults({"hostile"});
        setOptions("Jazz", "Top rated", "50", "1");
        search();
        // Up to the zero byte; the item cut off there never ends.
        QCOMPARE(form1_->ListBox1->count(), 6);
        QCOMPARE(form1_->ListBox2[1].left(11), QStringLiteral("javascript:"));
        QCOMPARE(qv::rows::holder(*form1_->ListBox1, 3),
                 QStringLiteral("<img src=x onerror=alert(1)>Click"));
        const QString huge = qv::rows::holder(*form1_->ListBox1, 4);
        QCOMPARE(huge, QString(100 * 1024, QLatin1Char('A')));
        // A row shows one line of bounded length; the holder keeps it all.
        const QString shown = form1_->ListBox1->item(4)->text();
        QCOMPARE(shown, QString(qv::rows::kMaxShown, QLatin1Char('A')) + QChar(0x2026));
        QCOMPARE(qv::rows::shown(QStringLiteral("\r\n Caf\xC3\xA9\nLive\r")),
                 QStringLiteral("  Café Live "));
    }

    void multiGenreSearch() {
        qv::MessageRecorder messages;
        QCursor::setPos(300, 200);
        QTest::mouseClick(form1_->sCheckBox3, Qt::LeftButton);
        qv::Form13& genres = *form1_->windows.form13;
        QVERIFY(genres.isVisible());
        QCOMPARE(genres.pos(), QCursor::pos());
        QVERIFY(!form1_->ComboBox1->isEnabled());
        QVERIFY(form1_->isEnabled()); // the list is not modal
        tick("Techno");
        tick("Pop");
        tick("Ambient");
        QTest::mouseClick(genres.sBitBtn1, Qt::LeftButton);
        QVERIFY(!genres.isVisible());

        setOptions("Jazz", "Top rated", "50", "1");
        const QList<int> bar = gaugeValues([&] { search(); });
        // Each genre starts the bar again; "Pop" has no list and is skipped.
        QCOMPARE(bar, (QList<int>{100, 0, 100}));
        QCOMPARE(listRequests(),
                 (QStringList{"/audio/list/5/1/score 200", "/audio/list/10/1/score 200"}));
        const Expected ambient = pageEntries(base_, 5, 1, cat::Order::Score);
        const Expected techno = pageEntries(base_, 10, 1, cat::Order::Score);
        QCOMPARE(titles(*form1_), ambient.titles + techno.titles);
        QCOMPARE(form1_->ListBox2, ambient.links + techno.links);
        QCOMPARE(form1_->ComboBox1->currentText(), QStringLiteral("Techno"));
        QCOMPARE(form1_->Label4->text(), QStringLiteral("Ready"));
        QCOMPARE(statusColour(*form1_), kLime);
        QCOMPARE(messages.texts(), QStringList{"No list is available for this genre"});

        // Unticking "more..." hides the list and keeps its marks.
        QTest::mouseClick(form1_->sCheckBox3, Qt::LeftButton);
        QVERIFY(!genres.isVisible());
        QVERIFY(form1_->ComboBox1->isEnabled());
        QCOMPARE(genres.checkedGenres(), (QStringList{"Ambient", "Pop", "Techno"}));
    }

    void untickingMoreStopsAfterTheGenre() {
        form1_->sCheckBox3->setChecked(true);
        tick("Blues");
        tick("House");
        setOptions("Select genre", "Title", "100", "1");
        // Unticked while Blues' first page is being cut.
        const auto c = connect(form1_->ListBox1->model(), &QAbstractItemModel::rowsInserted, this,
                               [&] { form1_->sCheckBox3->setChecked(false); });
        search();
        disconnect(c);
        QCOMPARE(form1_->ListBox1->count(), 100);
        QCOMPARE(sorted(listRequests()),
                 (QStringList{"/audio/list/2/1/title 200", "/audio/list/2/2/title 200"}));
        QCOMPARE(form1_->Label4->text(), QStringLiteral("Scanning..."));
        QCOMPARE(statusColour(*form1_), kRed);
    }

    void searchesThatDownloadNothing_data() {
        QTest::addColumn<QStringList>("options"); // more..., genre, results, start page
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, QStringList options, const char* message) {
            QTest::newRow(name) << options << QString::fromUtf8(message);
        };
        row("select genre", {"", "Select genre", "50", "1"}, "Please select a genre");
        row("nothing ticked", {"more", "Jazz", "50", "1"}, "");
        row("no list", {"", "Ska", "50", "1"}, "No list is available for this genre");
        row("typed genre", {"", "Rock", "50", "1"}, "No list is available for this genre");
        row("results", {"", "Jazz", "75", "1"}, "Please choose 50, 100, 150 or 200 results");
        row("start page", {"", "Jazz", "50", "abc"}, "'abc' is not a valid integer value");
    }

    void searchesThatDownloadNothing() {
        QFETCH(QStringList, options);
        QFETCH(QString, message);

        setOptions("Jazz", "Top rated", "50", "1");
        search(); // something to clear
        QCOMPARE(form1_->ListBox1->count(), 50);
        listRequests();

        qv::MessageRecorder messages;
        form1_->sCheckBox3->setChecked(!options[0].isEmpty());
        form1_->ComboBox1->setEditText(options[1]);
        form1_->sComboBox2->setEditText(options[2]);
        form1_->sEdit1->setText(options[3]);
        messages.clear();
        search();
        QCOMPARE(form1_->ListBox1->count(), 0);
        QVERIFY(form1_->ListBox2.isEmpty());
        QCOMPARE(form1_->sGauge3->value(), 0);
        QCOMPARE(form1_->Label4->text(), QStringLiteral("Downloading..."));
        QCOMPARE(statusColour(*form1_), kRed);
        QCOMPARE(listRequests(), QStringList());
        if (message.isEmpty()) {
            QVERIFY(messages.records.isEmpty());
        } else {
            QCOMPARE(messages.texts(), QStringList{message});
            // Only the start page's conversion error is an error box.
            QCOMPARE(messages.records.first().kind,
                     options[3] == "abc" ? MessageKind::Error : MessageKind::Plain);
        }
        QVERIFY(form1_->sBitBtn5->isEnabled());
    }

    void aPageFailingHalfWayKeepsTheEarlierOnes() {
        portal_.setFaults({"http500:/audio/list/18/2"});
        setOptions("Jazz", "Top rated", "150", "1");
        qv::MessageRecorder messages;
        search();
        QCOMPARE(messages.texts(),
                 QStringList{QStringLiteral("Error downloading URL: ") +
                             QString::fromStdString(base_) + "/audio/list/18/2/score"});
        QCOMPARE(messages.records.first().kind, MessageKind::Error);
        QCOMPARE(titles(*form1_), pageEntries(base_, 18, 1, cat::Order::Score).titles);
        QCOMPARE(form1_->sGauge3->value(), 34);
        QCOMPARE(form1_->Label4->text(), QStringLiteral("Scanning..."));
        // Page 3 was asked for with the others and abandoned: the portal may
        // or may not have finished answering it, and none of it is listed.
        QStringList requests = sorted(listRequests());
        requests.removeAll("/audio/list/18/3/score 200");
        QCOMPARE(requests,
                 (QStringList{"/audio/list/18/1/score 200", "/audio/list/18/2/score 500"}));
        QVERIFY(form1_->sBitBtn5->isEnabled());
    }

    // All pages go out at once: while page 1 hangs, pages 2 and 3 are
    // already asked for, and nothing of them is listed when page 1 fails.
    void pagesAreAskedForAtOnce() {
        portal_.setFaults({"hang:/audio/list/18/1/"});
        qv::WebTransfer::setIdleTimeout(1500);
        const auto restore = qScopeGuard([] { qv::WebTransfer::setIdleTimeout(15000); });
        setOptions("Jazz", "Top rated", "150", "1");
        qv::MessageRecorder messages;
        QStringList seenWhileWaiting;
        int rowsMeanwhile = -1;
        QTimer watch;
        const std::size_t before = portal_.requestLog().size();
        connect(&watch, &QTimer::timeout, this, [&] {
            if (!seenWhileWaiting.isEmpty())
                return;
            QStringList later;
            const std::vector<std::string> log = portal_.requestLog();
            for (const std::string& line :
                 std::vector<std::string>(log.begin() + qsizetype(before), log.end())) {
                if (line.rfind("GET /audio/list/18/2/", 0) == 0 ||
                    line.rfind("GET /audio/list/18/3/", 0) == 0)
                    later << QString::fromStdString(line.substr(4));
            }
            if (later.size() == 2) {
                seenWhileWaiting = sorted(later);
                rowsMeanwhile = form1_->ListBox1->count();
            }
        });
        watch.start(5);
        search(); // ends when page 1 has been silent for 1.5 s
        QCOMPARE(seenWhileWaiting,
                 (QStringList{"/audio/list/18/2/score 200", "/audio/list/18/3/score 200"}));
        QCOMPARE(rowsMeanwhile, 0);
        QCOMPARE(messages.texts(),
                 QStringList{QStringLiteral("Error downloading URL: ") +
                             QString::fromStdString(base_) + "/audio/list/18/1/score"});
        QCOMPARE(form1_->ListBox1->count(), 0);
        QVERIFY(form1_->ListBox2.isEmpty());
        QCOMPARE(form1_->sGauge3->value(), 0);
    }

    // A portal slow to answer each page changes nothing the user sees: the
    // pages are listed in page order, the bar steps once per page.
    void aLaggingPortalGivesTheSameLists() {
        portal_.setFaults({"lag"});
        setOptions("Jazz", "Top rated", "200", "1");
        const QList<int> bar = gaugeValues([&] { search(); });
        QCOMPARE(bar, (QList<int>{25, 50, 75, 100}));
        Expected all;
        for (int page = 1; page <= 4; ++page) {
            const Expected e = pageEntries(base_, 18, page, cat::Order::Score);
            all.titles += e.titles;
            all.links += e.links;
        }
        QCOMPARE(titles(*form1_), all.titles);
        QCOMPARE(form1_->ListBox2, all.links);
        QCOMPARE(sorted(listRequests()),
                 (QStringList{"/audio/list/18/1/score 200", "/audio/list/18/2/score 200",
                              "/audio/list/18/3/score 200", "/audio/list/18/4/score 200"}));
        QCOMPARE(form1_->Label4->text(), QStringLiteral("Scanning..."));
    }

    void aSearchCannotNestAndReadsItsOptionsOnce() {
        setOptions("Jazz", "Top rated", "100", "1");
        bool enabledMeanwhile = true;
        int nested = 0;
        // While the first page is being cut, the user edits the options and
        // presses "Search" again.
        const auto c =
            connect(form1_->ListBox1->model(), &QAbstractItemModel::rowsInserted, this, [&] {
                if (nested++)
                    return;
                form1_->sComboBox2->setEditText(QStringLiteral("200"));
                form1_->sComboBox1->setEditText(QStringLiteral("Title"));
                form1_->sEdit1->setText(QStringLiteral("9"));
                QTimer::singleShot(0, this, [&] {
                    enabledMeanwhile = form1_->sBitBtn5->isEnabled();
                    form1_->sBitBtn5Click();
                });
            });
        search();
        disconnect(c);
        QVERIFY(!enabledMeanwhile);
        QCOMPARE(sorted(listRequests()),
                 (QStringList{"/audio/list/18/1/score 200", "/audio/list/18/2/score 200"}));
        QCOMPARE(form1_->ListBox1->count(), 100);
        QVERIFY(form1_->sBitBtn5->isEnabled());
    }

    void startPageCheckedPerKeystroke() {
        qv::MessageRecorder messages;
        QLineEdit& field = *form1_->sEdit1;
        field.setFocus();
        field.selectAll();
        QTest::keyClicks(&field, QStringLiteral("150"));
        QCOMPARE(messages.texts(), QStringList{"Please enter a value below 100"});
        messages.clear();
        QTest::keyClick(&field, Qt::Key_Backspace);
        QTest::keyClick(&field, Qt::Key_Backspace);
        QTest::keyClick(&field, Qt::Key_Backspace);
        QCOMPARE(messages.texts(), QStringList{"You must enter a value between 1 and 100"});
        messages.clear();
        QTest::keyClicks(&field, QStringLiteral("0"));
        QCOMPARE(messages.texts(), QStringList{"You must enter a value over 0"});
        QCOMPARE(field.text(), QStringLiteral("0")); // it only informs
    }

    void closingDuringASearchIsSafe() {
        portal_.setFaults({"hang:/audio/list/18/2"});
        setOptions("Jazz", "Top rated", "100", "1");
        qv::MessageRecorder messages;
        QTimer::singleShot(0, form1_->sBitBtn5, &QPushButton::click);
        // Closed once the first page is listed and the second never answers.
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            if (form1_->ListBox1->count() == 50) {
                closer.stop();
                form1_->close();
            }
        });
        closer.start(50);
        QCOMPARE(runEventLoop(10000), 0);
        portal_.setFaults({});
        QCOMPARE(form1_->ListBox1->count(), 50);
        QVERIFY(messages.records.isEmpty());
        QVERIFY(form1_->sBitBtn5->isEnabled());
        form1_.reset();
    }
};

QTEST_MAIN(TestSearch)
#include "test_search.moc"
