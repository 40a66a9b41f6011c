// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's search: options, the search driver and the list page scan.
#include "boundary.h"
#include "form1.h"
#include "form13.h"
#include "genres.h"
#include "listrows.h"
#include "listscan.h"
#include "messages.h"
#include "paths.h"
#include "servers.h"
#include "textfile.h"
#include "webtransfer.h"
#include "windowing.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <memory>
#include <vector>

namespace qv {

namespace {
const QString kDownloading = QStringLiteral("Downloading...");
const QColor kRed(255, 0, 0);
const QColor kLime(0, 255, 0);

QString pageFile() {
    return paths::workFile(QStringLiteral("temp/text.txt"));
}
} // namespace

// The option texts as they stood when "Search" was pressed: editing the
// fields while a search runs does not change its remaining pages.
struct Form1::SearchOptions {
    QString sortOrder;
    QString results;
    QString startPage;
};

void Form1::setUpSearch() {
    // Rows of one line each: a list that measures every row again on each
    // insertion makes the cut of a page twice as slow.
    ListBox1->setUniformItemSizes(true);
    connect(sEdit1, &QLineEdit::textChanged, this, &Form1::sEdit1Change);
    connect(sBitBtn5, &QPushButton::clicked, this, &Form1::sBitBtn5Click);
    // Enter in any search option searches, as in a browser's search field.
    for (QLineEdit* field :
         {sEdit1, ComboBox1->lineEdit(), sComboBox1->lineEdit(), sComboBox2->lineEdit()})
        connect(field, &QLineEdit::returnPressed, sBitBtn5, &QPushButton::click);
    connect(sCheckBox3, &QCheckBox::toggled, this, &Form1::sCheckBox3Click);
    moreClicked_ = new windowing::ClickPosition(*sCheckBox3);
}

void Form1::sEdit1Change() {
    for (const QString& message : catalogue::startPageMessages(sEdit1->text()))
        messages::plain(message);
}

void Form1::sCheckBox3Click() {
    const bool multiGenre = sCheckBox3->isChecked();
    ComboBox1->setEnabled(!multiGenre);
    Form13* const genreList = windows.form13.get();
    if (!genreList)
        return;
    if (multiGenre) {
        genreList->move(genreListPosition());
        genreList->show();
    } else {
        genreList->hide();
    }
}

QPoint Form1::genreListPosition() {
    // Taken every time, so a click is never used for a later toggle.
    const std::optional<QPoint> clicked = moreClicked_->take();
    if (!windowing::desktopPlacesWindows())
        return QCursor::pos();
    // Where the pointer clicked "more..."; beside the box for a keyboard toggle.
    return clicked.value_or(sCheckBox3->mapToGlobal(QPoint(sCheckBox3->width(), 0)));
}

void Form1::sBitBtn5Click() {
    const NestGuard guard(searching_);
    if (!guard)
        return;
    // A second search inside this one would clear the lists under it.
    sBitBtn5->setEnabled(false);
    guarded([this] { runSearch(); });
    sBitBtn5->setEnabled(true);
}

void Form1::runSearch() {
    const bool multiGenre = sCheckBox3->isChecked();
    const QString genre = ComboBox1->currentText();
    const QStringList ticked =
        multiGenre && windows.form13 ? windows.form13->checkedGenres() : QStringList();
    const SearchOptions options{sComboBox1->currentText(), sComboBox2->currentText(),
                                sEdit1->text()};

    sGauge3->setValue(0);
    ListBox1->clear();
    ListBox2.clear();
    setStatus(kDownloading, kRed);
    if (!multiGenre && genre == QLatin1String("Select genre")) {
        messages::plain(QStringLiteral("Please select a genre"));
        return;
    }
    Memo1.clear();
    if (!multiGenre) {
        genreSearch(genre, options);
        return;
    }
    for (const QString& next : ticked) {
        sGauge3->setValue(0);
        ComboBox1->setEditText(next);
        setStatus(kDownloading, kRed);
        QCoreApplication::processEvents();
        if (!genreSearch(next, options) || !sCheckBox3->isChecked())
            return;
        setStatus(QStringLiteral("Ready"), kLime);
    }
}

// False when the whole search has to end.
bool Form1::genreSearch(const QString& genre, const SearchOptions& options) {
    const std::optional<int> list = catalogue::listNumber(genre);
    if (!list) {
        messages::plain(QStringLiteral("No list is available for this genre"));
        return true;
    }
    const std::optional<catalogue::ResultPages> pages = catalogue::resultPages(options.results);
    if (!pages) {
        messages::plain(QStringLiteral("Please choose 50, 100, 150 or 200 results"));
        return false;
    }
    const std::optional<int> start = catalogue::startPage(options.startPage);
    if (!start)
        throw Error(catalogue::notAnIntegerText(options.startPage));

    const QString listAddress = catalogue::listAddress(Servers::current().portal, *list);
    const QString suffix = catalogue::sortSuffix(options.sortOrder);
    // Every page is asked for at once and taken in page order: a page is on
    // its way while the one before it is stored and cut. A failing page ends
    // the search there, and the pages after it are abandoned unread.
    std::vector<std::unique_ptr<PageFetch>> fetches;
    for (int k = 0; k < pages->pages; ++k)
        fetches.push_back(std::make_unique<PageFetch>(
            catalogue::pageAddress(listAddress, qint64(*start) + k, suffix)));
    for (std::unique_ptr<PageFetch>& page : fetches) {
        page->takeInto(pageFile());
        page.reset();
        sGauge3->setValue(std::min(sGauge3->maximum(), sGauge3->value() + pages->step));
        scanListPage();
    }
    return true;
}

void Form1::scanListPage() {
    Memo1.clear(); // a page that cannot be read leaves no stale text behind
    Memo1 = text::loadFile(pageFile());
    Label4->setText(QStringLiteral("Scanning..."));
    catalogue::ListPageScanner scanner(Memo1);
    for (;;) {
        QCoreApplication::processEvents(); // the window stays live while the page is cut
        const std::optional<catalogue::ListEntry> entry = scanner.next();
        if (!entry)
            break;
        ListBox2.append(entry->link);
        rows::append(*ListBox1, entry->title);
    }
}

void Form1::setStatus(const QString& text, const QColor& colour) {
    QPalette palette = Label4->palette();
    palette.setColor(QPalette::WindowText, colour);
    Label4->setPalette(palette);
    Label4->setText(text);
}

} // namespace qv
